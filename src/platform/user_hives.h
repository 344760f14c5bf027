#pragma once
// The users' registry hives that are open now besides HKCU: the other profiles' hives mounted
// below HKLM as "guest_" keys, and the hives loaded below HKU.

#include <string>
#include <vector>

namespace kestrel {

class Context;

struct UserHive {
    std::string topKey;  // "HKLM" for a mounted hive, "HKU" for a loaded one
    std::string prefix;  // the hive's key name and "\": a path P inside it is prefix + P
    std::string user;    // whose hive it is (see UserHives)
    bool current = false;  // the hive of the user running the program, which HKCU also opens
};

// In order: each user hive of mounted (the "guest_" keys of HKLM, through IsUserHive), named
// after the text behind "guest_"; then each subkey of HKU except the "_Classes" ones, named
// after the last folder of its profile (ProfileList's ProfileImagePath), or its SID when it
// has none. Without identify, user and current are left empty and false (nothing more is
// read).
std::vector<UserHive> UserHives(Context& ctx, const std::vector<std::string>& mounted,
                                bool identify = true);

}  // namespace kestrel

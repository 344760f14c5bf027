#pragma once
// Hives of other user profiles (and of another installation on the target drive), mounted
// below HKLM as "guest_" keys for the registry cleanup and unmounted after it (modLoadReg).

#include <string>

namespace kestrel {

class Context;

// Mounts the hives of the installation on the drive (the running system's, or another one)
// and records in ctx.mountedHives every "guest_" key of HKLM afterwards; sets ctx.hivesLoaded.
void LoadReg(Context& ctx, const std::string& drive);
// Mounts one hive file as "guest_" + given name, after a dated backup of the file.
void LoadHive(Context& ctx, const std::string& hiveFile, const std::string& givenName);
// Unmounts every "guest_" key of HKLM and deletes the marker key. With ask set, a hive that
// stays mounted brings the Abort/Retry/Ignore question. True when every unmount worked.
[[nodiscard]] bool UnLoadReg(Context& ctx, bool& ask);
// A mounted name that is a user's hive (not guest_system, _localservice, _networkservice or
// _software, in any letter case).
bool IsUserHive(const std::string& mountedName);
// Some HKLM subkey begins with "guest_" (any letter case).
bool AreGuestHivesLoaded(Context& ctx);

}  // namespace kestrel

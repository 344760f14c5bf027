#pragma once
// Where the registry leftovers are looked for: every hive of the machine that a user's or
// the machine's programs write to, and the start-up keys inside each.

#include <array>
#include <string>
#include <vector>

namespace kestrel {

class Context;

// The six start-up (Run) keys, in the order their values are deleted.
inline constexpr std::array<const char*, 6> kRunKeys = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
};

// One hive: a definition's key path P is addressed as topKey, prefix + P.
struct RegistryPlace {
    std::string topKey;
    std::string prefix;  // "" or a hive's key name and "\"
};

// The hive set, in order: HKLM, HKCU, each mounted user hive (ctx.mountedHives through
// IsUserHive, below HKLM), and each subkey of HKU except the "_Classes" ones. HKU is listed
// once per call: callers make the set once and apply every definition to it.
std::vector<RegistryPlace> RegistryPlaces(Context& ctx);

}  // namespace kestrel

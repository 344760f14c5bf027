#pragma once
// Every Uninstall key that applications register under (the machine's two views and each
// user's hive), and the applications read from one of them with where they were found.

#include <string>
#include <vector>

#include "inventory/app_list.h"

namespace kestrel {

class Context;

// The "Options" key that limits the inventory and the uninstalls to the machine's keys ("0").
inline constexpr const char* kIncludeUserInstallsKey = "IncludeUserInstalls";
inline constexpr const char* kUserView = "user";
bool IncludeUserInstalls(Context& ctx);

// One Uninstall key.
struct UninstallRoot {
    std::string topKey;   // "HKLM", "HKCU" or "HKU"
    std::string keyPath;  // the Uninstall key's path as the registry layer takes it
    std::string view;     // "64-bit" or "32-bit" for the machine's keys, "user" for a user hive
    std::string user;     // "" for the machine's keys; the name of the user whose hive it is

    bool PerUser() const { return !user.empty(); }
    bool operator==(const UninstallRoot&) const = default;
};

// One application's Uninstall subkey, as read.
struct InstalledApp {
    AppRecordFields fields;  // DisplayName, SubkeyName, QuietUninstallString or else UninstallString, Publisher
    std::string displayVersion;
    std::string installDate;
    std::string parentDisplayName;
    bool innoSetup = false;  // "Inno Setup: Setup Version" holds text
    UninstallRoot root;

    // The application's own key: root.keyPath & "\" & subkey.
    std::string KeyPath() const;
};

// The machine's two keys first (kUninstallKey, then kUninstallKey32 in the 32-bit view); then,
// unless "Options\IncludeUserInstalls" is "0", the current user's (HKCU), each mounted user
// hive's (ctx.mountedHives) and each loaded user hive's (HKU subkeys without "_Classes"; the
// current user's own is HKCU and is not listed twice).
std::vector<UninstallRoot> UninstallRoots(Context& ctx);

// Every non-empty subkey of the root, unfiltered, in listing order; false when the key cannot
// be listed. Values are cut at their first NUL; the fields carry the root's user.
bool ReadInstalledApps(Context& ctx, const UninstallRoot& root, std::vector<InstalledApp>& apps);

// The applications of every root of UninstallRoots, in order. When the machine's first key
// cannot be listed its second is not read; each user's key stands on its own.
std::vector<InstalledApp> ReadEveryInstalledApp(Context& ctx);

}  // namespace kestrel

#include "inventory/installed_apps.h"

#include "base/strings.h"
#include "core/context.h"
#include "inventory/inventory_scan.h"
#include "core/settings.h"
#include "platform/registry.h"
#include "platform/hive_support.h"
#include "platform/user_hives.h"

namespace kestrel {
namespace {

const std::vector<std::string> kValueNames = {
    "DisplayName",      "UninstallString", "QuietUninstallString",      "ParentDisplayName",
    "Publisher",        "DisplayVersion",  "Inno Setup: Setup Version", "InstallDate"};

// A value as the text Windows shows for it: it ends at its first NUL.
void CutAtNul(std::string& value) {
    const size_t nul = value.find('\0');
    if (nul != std::string::npos) {
        value.erase(nul);
    }
}

}  // namespace

bool IncludeUserInstalls(Context& ctx) {
    return Trim(ReadIniSection(ctx, ctx.settingsFile, "Options", kIncludeUserInstallsKey)) != "0";
}

std::string InstalledApp::KeyPath() const {
    return root.keyPath + "\\" + fields.subkeyName;
}

std::vector<UninstallRoot> UninstallRoots(Context& ctx) {
    std::vector<UninstallRoot> roots = {{"HKLM", kUninstallKey, "64-bit", ""},
                                        {"HKLM", kUninstallKey32, "32-bit", ""}};
    if (!IncludeUserInstalls(ctx)) {
        return roots;
    }
    const std::string me = ctx.os.env.Variable("username");
    roots.push_back({"HKCU", kUninstallKey, kUserView, me});
    // The hives mounted now, whoever mounted them: a cleanup's, or those a run left.
    for (const UserHive& hive : UserHives(ctx, ListGuestKeys(ctx))) {
        if (hive.current) {
            continue;  // HKCU
        }
        roots.push_back({hive.topKey, hive.prefix + kUninstallKey, kUserView, hive.user});
    }
    return roots;
}

bool ReadInstalledApps(Context& ctx, const UninstallRoot& root, std::vector<InstalledApp>& apps) {
    std::string list;
    if (fEnumKey(ctx, root.topKey, root.keyPath, list) != 0) {
        return false;
    }
    std::vector<std::string> subkeys = Split(list, std::string(1, '\0'));
    std::erase(subkeys, std::string());
    std::vector<std::vector<std::string>> all;
    (void)ReadSubkeyTextValues(ctx, root.topKey, root.keyPath, subkeys, kValueNames, all);
    for (size_t k = 0; k < subkeys.size(); ++k) {
        std::vector<std::string>& values = all[k];
        for (std::string& value : values) {
            CutAtNul(value);
        }
        InstalledApp app;
        app.fields.displayName = std::move(values[0]);
        app.fields.subkeyName = subkeys[k];
        app.fields.uninstallCommand = std::move(values[2].empty() ? values[1] : values[2]);
        app.fields.publisher = std::move(values[4]);
        app.parentDisplayName = std::move(values[3]);
        app.displayVersion = std::move(values[5]);
        // Read as text, an empty value looks missing: the engine asks the registry itself.
        app.innoSetup = !values[6].empty();
        app.installDate = std::move(values[7]);
        app.fields.user = root.user;
        app.root = root;
        apps.push_back(std::move(app));
    }
    return true;
}

std::vector<InstalledApp> ReadEveryInstalledApp(Context& ctx) {
    std::vector<InstalledApp> apps;
    const std::vector<UninstallRoot> roots = UninstallRoots(ctx);
    for (size_t i = 0; i < roots.size(); ++i) {
        if (!ReadInstalledApps(ctx, roots[i], apps) && i == 0) {
            ++i;
        }
    }
    return apps;
}

}  // namespace kestrel

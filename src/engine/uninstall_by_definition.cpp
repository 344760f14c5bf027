#include "engine/uninstall_by_definition.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/run_log.h"
#include "engine/browser_guard.h"
#include "engine/run_uninstall.h"
#include "inventory/app_filters.h"
#include "inventory/inventory_scan.h"
#include "os/errors.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

constexpr const char* kUninstallKeys[] = {kUninstallKey, kUninstallKey32};
constexpr const char* kUninstallHead = "CommonModule\\UninstallByDefinition VB ERROR: ";
constexpr const char* kVerifyHead = "CommonModule\\VerifyUninstalled VB ERROR: ";

// The subkey names of an Uninstall key; false when it cannot be listed.
bool ListApplications(Context& ctx, const std::string& uninstallKey,
                      std::vector<std::string>& names) {
    std::string list;
    if (fEnumKey(ctx, "HKLM", uninstallKey, list) != 0) {
        return false;
    }
    for (std::string& name : Split(list, std::string(1, '\0'))) {
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return true;
}

// Texts of one key's values, "" for those that cannot be read.
std::vector<std::string> ReadTexts(Context& ctx, const std::string& keyPath,
                                   const std::vector<std::string>& names) {
    std::vector<std::string> values;
    (void)ReadTextValues(ctx, "HKLM", keyPath, names, values);
    return values;
}

// Only "not found" proves a key gone: one that cannot be opened may still be there.
bool KeyIsGone(Context& ctx, const std::string& keyPath) {
    std::string list;
    return fEnumKey(ctx, "HKLM", keyPath, list) == os::error::kFileNotFound;
}

// True when an application whose trimmed display name contains wanted is registered in either
// Uninstall key, or when neither key can be listed (nothing then shows the application gone).
bool NameStillRegistered(Context& ctx, const std::string& wanted) {
    bool listed = false;
    for (const char* uninstallKey : kUninstallKeys) {
        std::vector<std::string> names;
        if (!ListApplications(ctx, uninstallKey, names)) {
            continue;
        }
        listed = true;
        std::vector<std::vector<std::string>> found;
        (void)ReadSubkeyTextValues(ctx, "HKLM", uninstallKey, names, {"DisplayName"}, found);
        for (const std::vector<std::string>& displayName : found) {
            if (ContainsNoCase(Trim(displayName[0]), wanted)) {
                return true;
            }
        }
    }
    return !listed;
}

std::string UninstallCommandOf(Context& ctx, const std::string& appKey) {
    const std::vector<std::string> commands =
        ReadTexts(ctx, appKey, {"QuietUninstallString", "UninstallString"});
    return commands[0].empty() ? commands[1] : commands[0];
}

bool IsInnoSetup(Context& ctx, const std::string& appKey) {
    std::string version;
    return fReadValue(ctx, "HKLM", appKey, "Inno Setup: Setup Version", "S", std::string(),
                      version) == 0;
}

// Uninstalls the application of one Uninstall subkey when the definition names it and
// nothing protects it; true when it was put through an uninstall.
bool UninstallIfNamed(Context& ctx, const std::string& appKey, const std::string& definition,
                      const std::vector<std::string>& whitelist, StatusSink* status) {
    const std::vector<std::string> names = ReadTexts(ctx, appKey, {"DisplayName", "Publisher"});
    const std::string& displayName = names[0];
    const std::string& publisher = names[1];
    if (!ContainsNoCase(Trim(displayName), definition) &&
        !ContainsNoCase(Trim(publisher), definition)) {
        return false;
    }
    if (WhitelistProtects(whitelist, displayName, publisher) || IsWindowsUpdateName(displayName)) {
        return false;
    }
    if (status != nullptr) {
        status->SetStatus("Uninstalling " + displayName);
    }
    BrowserGuardScope guard(ctx);
    RunUninstallString(ctx, UninstallCommandOf(ctx, appKey), IsInnoSetup(ctx, appKey));
    VerifyUninstalled(ctx, displayName, appKey);
    return true;
}

}  // namespace

bool UninstallByDefinition(Context& ctx, const std::string& definition,
                           const std::vector<std::string>& whitelist, StatusSink* status) {
    if (Trim(definition).empty()) {
        ctx.debug.Print("UninstallByDefinition: refused an empty definition.");
        return false;
    }
    bool uninstalled = false;
    for (const char* uninstallKey : kUninstallKeys) {
        std::vector<std::string> names;
        if (!ListApplications(ctx, uninstallKey, names)) {
            break;
        }
        for (const std::string& name : names) {
            try {
                const std::string appKey = std::string(uninstallKey) + "\\" + name;
                if (UninstallIfNamed(ctx, appKey, definition, whitelist, status)) {
                    uninstalled = true;
                }
            } catch (const std::exception& e) {
                // The next application is tried all the same.
                ctx.debug.Error(kUninstallHead, ExceptionError(e),
                                {"\t- sDefinition=" + definition, "\t- Subkey=" + name});
            } catch (...) {
                ctx.debug.Error(kUninstallHead, UnknownExceptionError(),
                                {"\t- sDefinition=" + definition, "\t- Subkey=" + name});
            }
        }
    }
    return uninstalled;
}

void VerifyUninstalled(Context& ctx, const std::string& displayName, const std::string& appKey) {
    const std::string wanted = Trim(displayName);
    // Until the registry shows the application gone, it counts as still installed.
    bool stillInstalled = true;
    try {
        const bool ownKeyGone = appKey.empty() || KeyIsGone(ctx, appKey);
        if (wanted.empty() && !appKey.empty()) {
            stillInstalled = !ownKeyGone;
        } else {
            stillInstalled = !ownKeyGone || NameStillRegistered(ctx, wanted);
        }
    } catch (const std::exception& e) {
        ctx.debug.Error(kVerifyHead, ExceptionError(e), {"\t- sDisplayName=" + displayName});
    } catch (...) {
        ctx.debug.Error(kVerifyHead, UnknownExceptionError(), {"\t- sDisplayName=" + displayName});
    }
    AddToLog(ctx, (stillInstalled ? kUninstallFailedVerdict : kUninstalledVerdict) + displayName);
}

}  // namespace kestrel

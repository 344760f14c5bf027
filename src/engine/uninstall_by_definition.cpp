#include "engine/uninstall_by_definition.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/run_log.h"
#include "engine/browser_guard.h"
#include "engine/run_uninstall.h"
#include "engine/uninstall_command.h"
#include "inventory/app_filters.h"
#include "inventory/inventory_scan.h"
#include "os/errors.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

constexpr const char* kUninstallHead = "CommonModule\\UninstallByDefinition VB ERROR: ";
constexpr const char* kVerifyHead = "CommonModule\\VerifyUninstalled VB ERROR: ";

// Only "not found" proves a key gone: one that cannot be opened may still be there.
bool KeyIsGone(Context& ctx, const std::string& topKey, const std::string& keyPath) {
    std::string list;
    return fEnumKey(ctx, topKey, keyPath, list) == os::error::kFileNotFound;
}

bool KeyListable(Context& ctx, const UninstallRoot& root) {
    std::string list;
    return fEnumKey(ctx, root.topKey, root.keyPath, list) == 0;
}

// True when an application whose trimmed display name contains wanted is registered under
// any Uninstall key, or when none can be listed (nothing then shows the application gone).
bool NameStillRegistered(Context& ctx, const std::string& wanted) {
    bool listed = false;
    for (const UninstallRoot& root : UninstallRoots(ctx)) {
        std::vector<InstalledApp> apps;
        if (!ReadInstalledApps(ctx, root, apps)) {
            continue;
        }
        listed = true;
        for (const InstalledApp& app : apps) {
            if (ContainsNoCase(Trim(app.fields.displayName), wanted)) {
                return true;
            }
        }
    }
    return !listed;
}

// A successful read of the value marks an Inno Setup uninstaller, even an empty one.
bool IsInnoSetup(Context& ctx, const InstalledApp& app) {
    std::string version;
    return fReadValue(ctx, app.root.topKey, app.KeyPath(), "Inno Setup: Setup Version", "S",
                      std::string(), version) == 0;
}

void Uninstall(Context& ctx, const UninstallCandidate& candidate, StatusSink* status) {
    const InstalledApp& app = candidate.app;
    if (status != nullptr) {
        status->SetStatus("Uninstalling " + app.fields.displayName);
    }
    BrowserGuardScope guard(ctx);
    RunUninstallString(ctx, app.fields.uninstallCommand, app.innoSetup);
    VerifyUninstalled(ctx, app.fields.displayName, &app);
}

}  // namespace

std::vector<UninstallCandidate> FindUninstallCandidates(Context& ctx, const UninstallRoot& root,
                                                        const std::string& definition,
                                                        const std::vector<std::string>& whitelist) {
    std::vector<UninstallCandidate> candidates;
    std::vector<InstalledApp> apps;
    if (Trim(definition).empty() || !ReadInstalledApps(ctx, root, apps)) {
        return candidates;
    }
    for (InstalledApp& app : apps) {
        const std::string& name = app.fields.displayName;
        const std::string& publisher = app.fields.publisher;
        if (!ContainsNoCase(Trim(name), definition) && !ContainsNoCase(Trim(publisher), definition)) {
            continue;
        }
        UninstallCandidate candidate;
        if (const std::string* line = ProtectingWhitelistLine(whitelist, name, publisher)) {
            candidate.decision = UninstallDecision::kWhitelisted;
            candidate.protectingLine = *line;
        } else if (IsWindowsUpdateName(name)) {
            candidate.decision = UninstallDecision::kWindowsUpdate;
        }
        if (candidate.decision == UninstallDecision::kUninstall) {
            app.innoSetup = IsInnoSetup(ctx, app);
            candidate.command = SilentUninstallCommand(app.fields.uninstallCommand, app.innoSetup);
        }
        candidate.app = std::move(app);
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

bool UninstallByDefinition(Context& ctx, const std::string& definition,
                           const std::vector<std::string>& whitelist, StatusSink* status) {
    if (Trim(definition).empty()) {
        ctx.debug.Print("UninstallByDefinition: refused an empty definition.");
        return false;
    }
    bool uninstalled = false;
    const std::vector<UninstallRoot> roots = UninstallRoots(ctx);
    // Without the machine's first key nothing is walked.
    if (roots.empty() || !KeyListable(ctx, roots[0])) {
        return false;
    }
    for (const UninstallRoot& root : roots) {
        std::vector<UninstallCandidate> candidates;
        try {
            // Each key is read when its turn comes: what an earlier one's uninstalls removed
            // is no longer found.
            candidates = FindUninstallCandidates(ctx, root, definition, whitelist);
        } catch (const std::exception& e) {
            ctx.debug.Error(kUninstallHead, ExceptionError(e), {"\t- sDefinition=" + definition});
        } catch (...) {
            ctx.debug.Error(kUninstallHead, UnknownExceptionError(),
                            {"\t- sDefinition=" + definition});
        }
        for (const UninstallCandidate& candidate : candidates) {
            // An earlier uninstaller of this key may have taken this application with it.
            if (candidate.decision != UninstallDecision::kUninstall ||
                KeyIsGone(ctx, candidate.app.root.topKey, candidate.app.KeyPath())) {
                continue;
            }
            try {
                Uninstall(ctx, candidate, status);
                uninstalled = true;
            } catch (const std::exception& e) {
                // The next application is tried all the same.
                ctx.debug.Error(kUninstallHead, ExceptionError(e),
                                {"\t- sDefinition=" + definition,
                                 "\t- Subkey=" + candidate.app.fields.subkeyName});
            } catch (...) {
                ctx.debug.Error(kUninstallHead, UnknownExceptionError(),
                                {"\t- sDefinition=" + definition,
                                 "\t- Subkey=" + candidate.app.fields.subkeyName});
            }
        }
    }
    return uninstalled;
}

void VerifyUninstalled(Context& ctx, const std::string& displayName, const InstalledApp* app) {
    const std::string wanted = Trim(displayName);
    // Until the registry shows the application gone, it counts as still installed.
    bool stillInstalled = true;
    try {
        const bool ownKeyGone = app == nullptr || KeyIsGone(ctx, app->root.topKey, app->KeyPath());
        if (wanted.empty() && app != nullptr) {
            stillInstalled = !ownKeyGone;
        } else {
            stillInstalled = !ownKeyGone || NameStillRegistered(ctx, wanted);
        }
    } catch (const std::exception& e) {
        ctx.debug.Error(kVerifyHead, ExceptionError(e), {"\t- sDisplayName=" + displayName});
    } catch (...) {
        ctx.debug.Error(kVerifyHead, UnknownExceptionError(), {"\t- sDisplayName=" + displayName});
    }
    const std::string named = app == nullptr ? displayName : ShownName(displayName, app->root.user);
    AddToLog(ctx, (stillInstalled ? kUninstallFailedVerdict : kUninstalledVerdict) + named);
}

}  // namespace kestrel

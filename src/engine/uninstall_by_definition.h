#pragma once
// Uninstalling every registered application that a definition names, and the verdict on each.

#include <string>
#include <vector>

#include "inventory/installed_apps.h"

namespace kestrel {

class Context;

inline constexpr const char* kUninstalledVerdict = "*Uninstalled:  ";
inline constexpr const char* kUninstallFailedVerdict = "*Uninstall Failed:  ";

// Where the engine shows what it is doing (the main window's status box).
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void SetStatus(const std::string& text) = 0;
};

// What happens to an application that a definition names.
enum class UninstallDecision { kUninstall, kWhitelisted, kWindowsUpdate };

struct UninstallCandidate {
    InstalledApp app;
    UninstallDecision decision = UninstallDecision::kUninstall;
    std::string protectingLine;  // the whitelist line that protects it (kWhitelisted)
    std::string command;         // the silent command line that would run (kUninstall)
};

// The applications of one root whose trimmed display name or publisher contains the
// definition (ignoring case), in listing order, with the decision for each: protected by a
// whitelist line, or as a Windows update, or to be uninstalled. Reads only. Empty for a blank
// definition (it would match every application) and for a root that cannot be listed.
std::vector<UninstallCandidate> FindUninstallCandidates(Context& ctx, const UninstallRoot& root,
                                                        const std::string& definition,
                                                        const std::vector<std::string>& whitelist);

// Walks every Uninstall key of UninstallRoots (the machine's 64-bit key, then its 32-bit key
// once the first is done, then the users' keys) and uninstalls every application that
// FindUninstallCandidates decides to. Each uninstall runs with the browser guard on and ends
// with a verdict line in the run log. True when at least one application was put through an
// uninstall, whatever its outcome. Nothing is done when the machine's first key cannot be
// listed, and nothing for a blank definition. status may be null.
bool UninstallByDefinition(Context& ctx, const std::string& definition,
                           const std::vector<std::string>& whitelist, StatusSink* status);

// Appends "*Uninstall Failed:  " & name to the run log when an application whose trimmed
// display name contains the trimmed name is still registered under any Uninstall key, when
// the application's own key (app, when given) is still there, readable or not, or when no
// Uninstall key can be listed; else "*Uninstalled:  " & name. An application of a user's hive
// is named with " (user NAME)". A blank name says nothing about which application is meant;
// then only the application's own key decides.
void VerifyUninstalled(Context& ctx, const std::string& displayName,
                       const InstalledApp* app = nullptr);

}  // namespace kestrel

#pragma once
// Uninstalling every registered application that a definition names, and the verdict on each.

#include <string>
#include <vector>

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

// Walks both Uninstall keys (kUninstallKey, then kUninstallKey32 once the first is done) and uninstalls every
// application whose trimmed display name or publisher contains the definition (ignoring case)
// and that is not protected: by a whitelist line, or as a Windows update. Each uninstall runs
// with the browser guard on and ends with a verdict line in the run log. True when at least
// one application was put through an uninstall, whatever its outcome. Nothing is done when the
// first key cannot be listed, and nothing for a blank definition (it would match every
// application). status may be null.
bool UninstallByDefinition(Context& ctx, const std::string& definition,
                           const std::vector<std::string>& whitelist, StatusSink* status);

// Appends "*Uninstall Failed:  " & name to the run log when an application whose trimmed
// display name contains the trimmed name is still registered in either Uninstall key, when
// the application's own Uninstall key (appKey, a path below HKLM, when given) is still there,
// readable or not, or when neither Uninstall key can be listed; else "*Uninstalled:  " & name.
// A blank name says nothing about which application is meant; then only appKey decides.
void VerifyUninstalled(Context& ctx, const std::string& displayName,
                       const std::string& appKey = {});

}  // namespace kestrel

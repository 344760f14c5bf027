#pragma once
// What the command-line runner hands over: the uninstall engine, the browser guard, the
// leftover cleanups, e-mail and the packages. The composition root hands in the real ones
// (EngineServices); tests may record the calls instead.

#include <string>
#include <vector>

namespace kestrel {

class RunnerServices {
public:
    virtual ~RunnerServices() = default;

    // Uninstalls every application that the definition names and the whitelist does not
    // protect. True when at least one was put through an uninstall, whatever its outcome.
    [[nodiscard]] virtual bool UninstallByDefinition(const std::string& definition,
                                                     const std::vector<std::string>& whitelist) = 0;
    // Switches the browser guard off; harmless when it is off.
    virtual void RemoveBrowserGuard() = 0;
    // Switches off a guard that a run which did not finish left on, unless another Kestrel
    // runs. True when it switched one off.
    [[nodiscard]] virtual bool RemoveAbandonedBrowserGuard() = 0;
    virtual void CleanFileSystemLeftovers() = 0;
    virtual void CleanRegistryLeftovers() = 0;
    // "/preview": what "/auto" would do, written to "Kestrel_Preview.txt" and the debug
    // channel; nothing else changes. The text.
    [[nodiscard]] virtual std::string PreviewAutoRun() = 0;
    // quiet: no message box on failure (unattended runs).
    virtual void SendEmail(const std::string& subject, const std::string& body, bool quiet) = 0;
    // The silent update check of "/update". True when the new program was started: this run
    // must end at once.
    [[nodiscard]] virtual bool CheckForUpdate() = 0;
    // The configuration and definitions packages of "/getconfig=" and "/getdefs=".
    virtual void GetConfigPackage(const std::string& url) = 0;
    virtual void GetDefsPackage(const std::string& url) = 0;
    // The window road: shows the main window until the technician closes it.
    virtual void ShowMainWindow() = 0;
};

}  // namespace kestrel

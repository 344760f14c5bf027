#pragma once
// What the main window asks of the engine. The app layer hands in the real engine; tests record
// the calls instead.

#include <string>
#include <vector>

namespace kestrel {

class StatusSink;

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Uninstalls every application that the definition names and the whitelist does not
    // protect, telling status what it is doing. True when at least one was put through an
    // uninstall, whatever its outcome.
    [[nodiscard]] virtual bool UninstallByDefinition(const std::string& definition,
                                                     const std::vector<std::string>& whitelist,
                                                     StatusSink& status) = 0;
    virtual void CleanRegistryLeftovers() = 0;
    // What "/auto" would uninstall and delete now, as the preview's text ("Kestrel_Preview.txt"
    // is written too); nothing else changes.
    [[nodiscard]] virtual std::string PreviewAutoRun() = 0;
    virtual void CleanFileSystemLeftovers() = 0;
    // Switches the browser guard off; harmless when it is off.
    virtual void RemoveBrowserGuard() = 0;
    // quiet: no message box about the outcome.
    virtual void SendEmail(const std::string& subject, const std::string& body, bool quiet) = 0;
    // The update check the technician asked for (it may ask and tell). True when the new
    // program was started: the window must close.
    [[nodiscard]] virtual bool CheckForUpdateInteractive() = 0;
};

}  // namespace kestrel

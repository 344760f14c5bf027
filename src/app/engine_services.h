#pragma once
// The services of the command-line runner and of the main window on the real engine:
// uninstalls are run, verified and guarded, the leftovers cleaned, mail sent and packages
// fetched for real.

#include <functional>
#include <string>
#include <vector>

#include "app/runner_services.h"
#include "ui/window_services.h"

namespace kestrel {

class Context;
class PackageWindows;

class EngineServices : public RunnerServices, public WindowServices {
public:
    // windows shows the downloads and unpackings; it outlives the services.
    EngineServices(Context& ctx, PackageWindows& windows) : m_ctx(ctx), m_windows(windows) {}

    [[nodiscard]] bool UninstallByDefinition(const std::string& definition,
                                             const std::vector<std::string>& whitelist) override;
    [[nodiscard]] bool UninstallByDefinition(const std::string& definition,
                                             const std::vector<std::string>& whitelist,
                                             StatusSink& status) override;
    void RemoveBrowserGuard() override;
    [[nodiscard]] bool RemoveAbandonedBrowserGuard() override;
    void CleanFileSystemLeftovers() override;
    void CleanRegistryLeftovers() override;
    std::string PreviewAutoRun() override;
    void SendEmail(const std::string& subject, const std::string& body, bool quiet) override;
    [[nodiscard]] bool CheckForUpdate() override;
    void GetConfigPackage(const std::string& url) override;
    void GetDefsPackage(const std::string& url) override;
    [[nodiscard]] bool CheckForUpdateInteractive() override;
    void ShowMainWindow() override;

    // The main window, run over the context and these services until it closes; without
    // one the window road says in the debug log that it is not available.
    using MainWindow = std::function<int(Context&, WindowServices&)>;
    void SetMainWindow(MainWindow window) { m_mainWindow = std::move(window); }

private:
    Context& m_ctx;
    PackageWindows& m_windows;
    MainWindow m_mainWindow;
};

}  // namespace kestrel

#pragma once
// The runner's services on the real engine: uninstalls are run, verified and guarded for
// real. The leftover cleanups and e-mail are not in this version; they say so in the debug log.

#include <string>
#include <vector>

#include "app/runner_services.h"

namespace kestrel {

class Context;

class EngineServices : public RunnerServices {
public:
    explicit EngineServices(Context& ctx) : m_ctx(ctx) {}

    [[nodiscard]] bool UninstallByDefinition(const std::string& definition,
                                             const std::vector<std::string>& whitelist) override;
    void RemoveBrowserGuard() override;
    [[nodiscard]] bool RemoveAbandonedBrowserGuard() override;
    void CleanFileSystemLeftovers() override;
    void CleanRegistryLeftovers() override;
    void SendEmail(const std::string& subject, const std::string& body, bool quiet) override;

private:
    Context& m_ctx;
};

}  // namespace kestrel

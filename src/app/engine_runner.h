#pragma once
// The command-line runner on the real uninstall engine: "/u=", "/auto" and "/fixbrowsers"
// uninstall, verify and guard the browsers for real, and every start switches off a browser
// guard that an interrupted run left on.

#include <string>
#include <vector>

#include "app/command_runner.h"

namespace kestrel {

class EngineRunner : public CommandRunner {
public:
    using CommandRunner::CommandRunner;

    void RecoverInterruptedRun() override;

protected:
    bool UninstallByDefinition(const std::string& definition,
                               const std::vector<std::string>& whitelist) override;
    void RemoveBrowserGuard() override;
};

}  // namespace kestrel

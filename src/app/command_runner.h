#pragma once
// The actions behind the command-line switches and the window road: the "/u=" runner, the
// "/auto" runner and the blacklist runner, and the switches that hand over to other parts.

#include <string>
#include <vector>

#include "app/program_actions.h"
#include "app/runner_services.h"

namespace kestrel {

class Context;

class CommandRunner : public ProgramActions {
public:
    // services does the uninstalls, the guard, the cleanups and e-mail; it outlives the runner.
    CommandRunner(Context& ctx, RunnerServices& services) : m_ctx(ctx), m_services(services) {}

    void Update() override;
    void GetConfig(const std::string& packageName) override;
    void GetDefs(const std::string& packageName) override;
    void AutoRun() override;
    void UninstallFromCommandLine(const std::string& definition) override;
    void FixBrowsers() override;
    void SendReport() override;
    void LogReport() override;
    void Preview() override;
    void JsonReport() override;
    void ShowMainWindow() override;
    // Every start switches off a browser guard that an interrupted run left on.
    void RecoverInterruptedRun() override;

    // Uninstalls by every usable blacklist line, honouring the whitelist.
    void UninstallBlacklist();

private:
    Context& m_ctx;
    RunnerServices& m_services;

    // Log file, e-mail and browser guard: the end of every unattended uninstall run.
    void FinishUnattendedRun();
};

}  // namespace kestrel

#pragma once
// The actions behind the command-line switches and the window road.

#include "app/program_actions.h"

namespace kestrel {

class Context;

class CommandRunner : public ProgramActions {
public:
    explicit CommandRunner(Context& ctx) : m_ctx(ctx) {}

    void Update() override;
    void GetConfig(const std::string& packageName) override;
    void GetDefs(const std::string& packageName) override;
    void AutoRun() override;
    void UninstallFromCommandLine(const std::string& definition) override;
    void FixBrowsers() override;
    void SendReport() override;
    void LogReport() override;
    void ShowMainWindow() override;

private:
    void NotAvailable(const char* what);
    Context& m_ctx;
};

}  // namespace kestrel

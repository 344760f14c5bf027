#pragma once
// The actions behind the command-line switches and the window road: the "/u=" runner, the
// "/auto" runner and the blacklist runner, and the switches that hand over to other parts.

#include <string>
#include <vector>

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

    // Uninstalls by every usable blacklist line, honouring the whitelist.
    void UninstallBlacklist();

protected:
    // The work of the uninstall engine, the leftover cleanups and e-mail. Each answers what
    // the caller needs; a version of the program without one of them says so in the log.
    virtual bool UninstallByDefinition(const std::string& definition,
                                       const std::vector<std::string>& whitelist);
    virtual void CleanFileSystemLeftovers();
    virtual void CleanRegistryLeftovers();
    virtual void SendEmail(const std::string& subject, const std::string& body, bool quiet);
    virtual void RemoveBrowserGuard();

    Context& m_ctx;

private:
    // Log file, e-mail and browser guard: the end of every unattended uninstall run.
    void FinishUnattendedRun();
    void NotAvailable(const std::string& what);
};

}  // namespace kestrel

#include "app/command_runner.h"

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "core/run_log.h"
#include "core/settings.h"
#include "inventory/inventory_scan.h"
#include "inventory/json_report.h"
#include "inventory/report.h"
#include "platform/file_tests.h"
#include "platform/text_file.h"

namespace kestrel {

void CommandRunner::Update() {
    if (m_services.CheckForUpdate()) {
        m_ctx.endRequested = true;
    }
}

void CommandRunner::GetConfig(const std::string& url) {
    m_services.GetConfigPackage(url);
}

void CommandRunner::GetDefs(const std::string& url) {
    m_services.GetDefsPackage(url);
}

void CommandRunner::RecoverInterruptedRun() {
    (void)m_services.RemoveAbandonedBrowserGuard();
}

void CommandRunner::FixBrowsers() {
    m_services.RemoveBrowserGuard();
}

// The main window's start-up without a window: the scan fills the two lists, from which the
// report is made.
void CommandRunner::SendReport() {
    AppLists lists;
    EnumerateInstalledApps(m_ctx, lists);
    LogResultsOnly(m_ctx, lists, false, true,
                   [this](const std::string& subject, const std::string& body, bool quiet) {
                       m_services.SendEmail(subject, body, quiet);
                   });
}

void CommandRunner::LogReport() {
    AppLists lists;
    EnumerateInstalledApps(m_ctx, lists);
    LogResultsOnly(m_ctx, lists, false, false, nullptr);
}

void CommandRunner::JsonReport() {
    WriteJsonReport(m_ctx);
}

void CommandRunner::Preview() {
    (void)m_services.PreviewAutoRun();
}

void CommandRunner::ShowMainWindow() {
    m_services.ShowMainWindow();
}

void CommandRunner::UninstallFromCommandLine(const std::string& definition) {
    // A blank definition would match every installed application.
    if (Trim(definition).empty()) {
        m_ctx.debug.Print("UninstallFromCommandLine: refused an empty definition.");
        return;
    }
    (void)m_services.UninstallByDefinition(definition, {});
    FinishUnattendedRun();
}

void CommandRunner::AutoRun() {
    UninstallBlacklist();
    m_services.CleanFileSystemLeftovers();
    m_services.CleanRegistryLeftovers();
    FinishUnattendedRun();
}

void CommandRunner::FinishUnattendedRun() {
    const std::string& ini = m_ctx.settingsFile;
    if (CommandLineFlagOn(ReadIniSection(m_ctx, ini, "Options", "LogFile"))) {
        (void)AppendRunLogToFile(m_ctx);
    }
    if (ContainsNoCase(m_ctx.runLog, "*Uninstall") &&
        CommandLineFlagOn(ReadIniSection(m_ctx, ini, "Options", "EmailResults"))) {
        m_services.SendEmail("Kestrel Log for " + m_ctx.os.env.Variable("computername"),
                             m_ctx.runLog, true);
    }
    m_services.RemoveBrowserGuard();
}

void CommandRunner::UninstallBlacklist() {
    const DefinitionPaths& defs = m_ctx.definitions;
    if (!DoesFileExist(m_ctx, defs.blacklist)) {
        return;
    }
    std::vector<std::string> blacklist;
    std::vector<std::string> whitelist;
    (void)ReadTextLines(m_ctx, defs.blacklist, blacklist);
    if (DoesFileExist(m_ctx, defs.whitelist)) {
        (void)ReadTextLines(m_ctx, defs.whitelist, whitelist);
    }
    for (const std::string& line : blacklist) {
        const std::string term = SearchTerm(line);
        if (Trim(term).empty() || term[0] == ';') {
            continue;
        }
        (void)m_services.UninstallByDefinition(term, whitelist);
    }
}

}  // namespace kestrel

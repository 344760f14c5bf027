#include "app/command_runner.h"

#include "app/context.h"

namespace kestrel {

// Switches whose work this version of the program does not do yet say so in the debug log
// and change nothing.
void CommandRunner::NotAvailable(const char* what) {
    m_ctx.debug.Print(std::string("Main: ") + what + " is not available in this version.");
}

void CommandRunner::Update() {
    NotAvailable("/update");
}

void CommandRunner::GetConfig(const std::string& packageName) {
    NotAvailable("/getconfig=");
    m_ctx.debug.Print("\t- Package: " + packageName);
}

void CommandRunner::GetDefs(const std::string& packageName) {
    NotAvailable("/getdefs=");
    m_ctx.debug.Print("\t- Package: " + packageName);
}

void CommandRunner::AutoRun() {
    NotAvailable("/auto");
}

void CommandRunner::UninstallFromCommandLine(const std::string& definition) {
    NotAvailable("/u=");
    m_ctx.debug.Print("\t- Definition: " + definition);
}

void CommandRunner::FixBrowsers() {
    NotAvailable("/fixbrowsers");
}

void CommandRunner::SendReport() {
    NotAvailable("/sendreport");
}

void CommandRunner::LogReport() {
    NotAvailable("/logreport");
}

void CommandRunner::ShowMainWindow() {
    NotAvailable("The main window");
}

}  // namespace kestrel

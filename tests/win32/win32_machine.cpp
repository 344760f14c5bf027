#include "win32/win32_machine.h"

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

namespace kestrel::testing {

struct Win32Machine::Ports {
    std::unique_ptr<os::Environment> env = os::win32::MakeEnvironment();
    std::unique_ptr<os::FileSystem> files = os::win32::MakeFileSystem();
    std::unique_ptr<os::ProfileStrings> ini = os::win32::MakeProfileStrings();
    std::unique_ptr<os::Clock> clock = os::win32::MakeClock();
    std::unique_ptr<os::Wow64Redirection> wow64 = os::win32::MakeWow64Redirection();
    std::unique_ptr<os::Volumes> volumes = os::win32::MakeVolumes();
    std::unique_ptr<os::ShellFiles> shell = os::win32::MakeShellFiles();
    std::unique_ptr<os::SystemInfo> system = os::win32::MakeSystemInfo();
    std::unique_ptr<os::Registry> registry = os::win32::MakeRegistry();
    std::unique_ptr<os::Security> security = os::win32::MakeSecurity();
    std::unique_ptr<os::Processes> processes = os::win32::MakeProcesses();
    std::unique_ptr<os::ProcessQuery> processQuery = os::win32::MakeProcessQuery();
};

Win32Machine::Win32Machine() : m_ports(std::make_unique<Ports>()) {
    Ports& p = *m_ports;
    m_ctx = std::make_unique<Context>(
        os::Ports{*p.env, *p.files, *p.ini, debugOut, *p.clock, *p.wow64, *p.volumes, *p.shell,
                  *p.system, prompts, *p.registry, *p.security, *p.processes, *p.processQuery});
    m_ctx->redirection.SetAllowed(true);
    m_ctx->systemDrive = p.env->WindowsDirectory().substr(0, 2);
}

Win32Machine::~Win32Machine() = default;

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace kestrel::testing

#include "win32/real_machine.h"

#include "os/win32/win32_ports.h"

namespace kestrel::testing {

struct RealMachine::Ports {
    std::unique_ptr<os::Environment> env = os::win32::MakeEnvironment();
    std::unique_ptr<os::FileSystem> files = os::win32::MakeFileSystem();
    std::unique_ptr<os::ProfileStrings> ini = os::win32::MakeProfileStrings();
    std::unique_ptr<os::Clock> clock = os::win32::MakeClock();
    std::unique_ptr<os::Wow64Redirection> wow64 = os::win32::MakeWow64Redirection();
    std::unique_ptr<os::Registry> registry = os::win32::MakeRegistry();
    std::unique_ptr<os::Security> security = os::win32::MakeSecurity();
    std::unique_ptr<os::Processes> processes = os::win32::MakeProcesses();
};

RealMachine::RealMachine()
    : m_ports(std::make_unique<Ports>()),
      ctx(os::Ports{*m_ports->env, *m_ports->files, *m_ports->ini, debugOut, *m_ports->clock,
                    *m_ports->wow64, *m_ports->registry, *m_ports->security, *m_ports->processes}) {
    ctx.redirection.SetAllowed(true);
}

RealMachine::~RealMachine() = default;

}  // namespace kestrel::testing

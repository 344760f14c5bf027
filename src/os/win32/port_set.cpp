#include "os/win32/port_set.h"

#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {

struct PortSet::Owned {
    std::unique_ptr<Environment> env = MakeEnvironment();
    std::unique_ptr<FileSystem> files = MakeFileSystem();
    std::unique_ptr<ProfileStrings> ini = MakeProfileStrings();
    std::unique_ptr<DebugOutput> debugOut = MakeDebugOutput();
    std::unique_ptr<Clock> clock = MakeClock();
    std::unique_ptr<Wow64Redirection> wow64 = MakeWow64Redirection();
    std::unique_ptr<Volumes> volumes = MakeVolumes();
    std::unique_ptr<ShellFiles> shell = MakeShellFiles();
    std::unique_ptr<SystemInfo> system = MakeSystemInfo();
    std::unique_ptr<UserPrompts> prompts = MakeUserPrompts();
    std::unique_ptr<Registry> registry = MakeRegistry();
    std::unique_ptr<Security> security = MakeSecurity();
    std::unique_ptr<Processes> processes = MakeProcesses();
    std::unique_ptr<ProcessQuery> processQuery = MakeProcessQuery();
};

PortSet::PortSet() : m_owned(std::make_unique<Owned>()) {}

PortSet::~PortSet() = default;

Ports PortSet::Get(DebugOutput* debugOut) {
    Owned& o = *m_owned;
    return Ports{*o.env,       *o.files,       *o.ini,      debugOut ? *debugOut : *o.debugOut,
                 *o.clock,     *o.wow64,       *o.volumes,  *o.shell,
                 *o.system,    *o.prompts,     *o.registry, *o.security,
                 *o.processes, *o.processQuery};
}

}  // namespace kestrel::os::win32

#include "app/win32/composition_root.h"

#include "app/engine_runner.h"
#include "app/startup.h"
#include "core/context.h"
#include "os/win32/win32_ports.h"

namespace kestrel {

int RunKestrel() {
    auto env = os::win32::MakeEnvironment();
    auto files = os::win32::MakeFileSystem();
    auto ini = os::win32::MakeProfileStrings();
    auto debugOut = os::win32::MakeDebugOutput();
    auto clock = os::win32::MakeClock();
    auto wow64 = os::win32::MakeWow64Redirection();
    auto volumes = os::win32::MakeVolumes();
    auto shell = os::win32::MakeShellFiles();
    auto system = os::win32::MakeSystemInfo();
    auto prompts = os::win32::MakeUserPrompts();
    auto registry = os::win32::MakeRegistry();
    auto security = os::win32::MakeSecurity();
    auto processes = os::win32::MakeProcesses();
    auto processQuery = os::win32::MakeProcessQuery();
    Context ctx(os::Ports{*env, *files, *ini, *debugOut, *clock, *wow64, *volumes, *shell, *system,
                          *prompts, *registry, *security, *processes, *processQuery});
    EngineRunner runner(ctx);
    return Main(ctx, runner);
}

}  // namespace kestrel

#pragma once
// A whole fake Windows machine for tests: every port faked, a Context on top, and a typical
// 64-bit Windows 7 set-up (drive C:, the program in C:\Kestrel, the usual variables).

#include "core/context.h"
#include "os/fake/fake_basics.h"
#include "os/fake/fake_environment.h"
#include "os/fake/fake_file_system.h"
#include "os/fake/fake_hives.h"
#include "os/fake/fake_http.h"
#include "os/fake/fake_network.h"
#include "os/fake/fake_process_query.h"
#include "os/fake/fake_processes.h"
#include "os/fake/fake_profile_strings.h"
#include "os/fake/fake_registry.h"
#include "os/fake/fake_security.h"
#include "os/fake/fake_shell_files.h"
#include "os/fake/fake_system_handles.h"
#include "os/fake/fake_system_info.h"
#include "os/fake/fake_user_prompts.h"
#include "os/fake/fake_volumes.h"

namespace kestrel::testing {

class FakeMachine {
public:
    FakeMachine();

    os::fake::FakeEnvironment env;
    os::fake::FakeFileSystem files;
    os::fake::FakeProfileStrings ini{files};
    os::fake::FakeDebugOutput debugOut;
    os::fake::FakeClock clock;
    os::fake::FakeWow64 wow64;
    os::fake::FakeVolumes volumes{files};
    os::fake::FakeShellFiles shell{files};
    os::fake::FakeSystemInfo system;
    os::fake::FakeUserPrompts prompts;
    os::fake::FakeRegistry registry;
    os::fake::FakeSecurity security{registry};
    os::fake::FakeProcesses processes{clock};
    os::fake::FakeProcessQuery processQuery{processes};
    os::fake::FakeHives hives{registry, files, security};
    os::fake::FakeSystemHandles handles{processes, files};
    os::fake::FakeNetwork network;
    os::fake::FakeHttp http;
    Context ctx;

    // Every debug line, each followed by "\n".
    std::string Log() const { return debugOut.All(); }
};

}  // namespace kestrel::testing

#pragma once
// cmd.exe on the fake machine as the engine's tests want it: it runs a while and does nothing,
// since what "tskill" and "taskkill" would do is not what those tests look at.

#include <cstdint>

#include "support/fake_machine.h"

namespace kestrel::testing {

inline void ProvideIdleCommandShell(FakeMachine& m, uint32_t runMs) {
    os::fake::FakeProcesses::Program cmd;
    cmd.runMs = runMs;
    m.processes.OnProgram("cmd.exe", cmd);
}

}  // namespace kestrel::testing

#pragma once
// The real Windows ports (under Wine) with a Context on top, for tests of the platform layer
// against real files and folders. The user is a script (no dialog ever opens) and redirection
// switching is on, as the program's start sets it.

#include <memory>

#include "core/context.h"
#include "os/fake/fake_basics.h"
#include "os/fake/fake_user_prompts.h"
#include "os/win32/port_set.h"

namespace kestrel::testing {

class Win32Machine {
public:
    Win32Machine();
    ~Win32Machine();

    os::fake::FakeUserPrompts prompts;
    os::fake::FakeDebugOutput debugOut;
    Context& ctx() { return *m_ctx; }

private:
    std::unique_ptr<os::win32::PortSet> m_ports;
    std::unique_ptr<Context> m_ctx;
};

// True when the tests run under Wine rather than Windows.
bool RunningUnderWine();

}  // namespace kestrel::testing

#pragma once
// The program's context on the real Windows ports (under Wine), with the debug lines kept for
// the test to read.

#include "app/context.h"
#include "os/fake/fake_basics.h"
#include "os/win32/port_set.h"

namespace kestrel::testing {

class RealMachine {
public:
    RealMachine() : ctx(m_ports.Get(&debugOut)) { ctx.redirection.SetAllowed(true); }

    os::fake::FakeDebugOutput debugOut;

private:
    os::win32::PortSet m_ports;  // made before the context that refers to them

public:
    Context ctx;
};

}  // namespace kestrel::testing

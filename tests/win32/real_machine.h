#pragma once
// The program's context on the real Windows ports (under Wine), with the debug lines kept for
// the test to read.

#include <memory>

#include "app/context.h"
#include "os/fake/fake_basics.h"

namespace kestrel::testing {

class RealMachine {
public:
    RealMachine();
    ~RealMachine();

    os::fake::FakeDebugOutput debugOut;

private:
    struct Ports;
    std::unique_ptr<Ports> m_ports;  // made before the context that refers to them

public:
    Context ctx;
};

}  // namespace kestrel::testing

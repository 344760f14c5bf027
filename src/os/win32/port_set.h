#pragma once
// Every Win32 port, made together and handed out as one set of ports. Like win32_ports.h this
// header does not include <windows.h>.

#include <memory>

#include "os/ports.h"

namespace kestrel::os::win32 {

class PortSet {
public:
    PortSet();
    ~PortSet();
    PortSet(const PortSet&) = delete;
    PortSet& operator=(const PortSet&) = delete;

    // The set. debugOut and prompts, where given, take the place of the debugger channel and
    // of the real dialogs (tests and benchmarks).
    Ports Get(DebugOutput* debugOut = nullptr, UserPrompts* prompts = nullptr);

private:
    struct Owned;
    std::unique_ptr<Owned> m_owned;
};

}  // namespace kestrel::os::win32

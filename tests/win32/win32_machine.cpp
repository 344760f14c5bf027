#include "win32/win32_machine.h"

#include "os/win32/port_set.h"
#include "os/win32/windows_api.h"

namespace kestrel::testing {

Win32Machine::Win32Machine() : m_ports(std::make_unique<os::win32::PortSet>()) {
    m_ctx = std::make_unique<Context>(m_ports->Get(&debugOut, &prompts));
    m_ctx->redirection.SetAllowed(true);
    m_ctx->systemDrive = m_ctx->os.env.WindowsDirectory().substr(0, 2);
}

Win32Machine::~Win32Machine() = default;

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace kestrel::testing

#pragma once
// The Win32 implementations of the ports: os::win32::Make<Type>() for every port of the list.
// PortSet makes them all; Win32 tests that need one port alone make it here. This header does
// not include <windows.h>.

#include <memory>

#include "os/ports.h"

namespace kestrel::os::win32 {

#define KESTREL_WIN32_PORT_FACTORY(Type, member) std::unique_ptr<Type> Make##Type();
KESTREL_PORTS(KESTREL_WIN32_PORT_FACTORY)
#undef KESTREL_WIN32_PORT_FACTORY

}  // namespace kestrel::os::win32

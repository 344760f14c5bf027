#include "os/win32/port_set.h"

#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

template <class Port>
Port& Chosen(const std::unique_ptr<Port>& owned, DebugOutput*, UserPrompts*) {
    return *owned;
}

DebugOutput& Chosen(const std::unique_ptr<DebugOutput>& owned, DebugOutput* debugOut,
                    UserPrompts*) {
    return debugOut != nullptr ? *debugOut : *owned;
}

UserPrompts& Chosen(const std::unique_ptr<UserPrompts>& owned, DebugOutput*, UserPrompts* prompts) {
    return prompts != nullptr ? *prompts : *owned;
}

}  // namespace

struct PortSet::Owned {
#define KESTREL_OWNED_PORT(Type, member) std::unique_ptr<Type> member = Make##Type();
    KESTREL_PORTS(KESTREL_OWNED_PORT)
#undef KESTREL_OWNED_PORT
};

PortSet::PortSet() : m_owned(std::make_unique<Owned>()) {}

PortSet::~PortSet() = default;

Ports PortSet::Get(DebugOutput* debugOut, UserPrompts* prompts) {
    const Owned& owned = *m_owned;
#define KESTREL_CHOSEN_PORT(Type, member) Chosen(owned.member, debugOut, prompts),
    return Ports{KESTREL_PORTS(KESTREL_CHOSEN_PORT)};
#undef KESTREL_CHOSEN_PORT
}

}  // namespace kestrel::os::win32

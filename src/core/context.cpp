#include "core/context.h"

namespace kestrel {

Context::Context(os::Ports ports)
    : os(ports), debug(ports.debugOut), redirection(ports.wow64, ports.env) {}

}  // namespace kestrel

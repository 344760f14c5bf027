#include "app/win32/composition_root.h"

#include "app/command_runner.h"
#include "app/engine_services.h"
#include "app/startup.h"
#include "core/context.h"
#include "os/win32/port_set.h"

namespace kestrel {

int RunKestrel() {
    os::win32::PortSet ports;
    Context ctx(ports.Get());
    EngineServices services(ctx);
    CommandRunner runner(ctx, services);
    return Main(ctx, runner);
}

}  // namespace kestrel

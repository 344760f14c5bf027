#include "app/win32/composition_root.h"

#include "app/command_runner.h"
#include "app/engine_services.h"
#include "app/startup.h"
#include "core/context.h"
#include "os/win32/port_set.h"
#include "ui/win32/main_window.h"
#include "ui/win32/package_windows.h"

namespace kestrel {

int RunKestrel() {
    os::win32::PortSet ports;
    Context ctx(ports.Get());
    std::unique_ptr<PackageWindows> windows = ui::MakePackageWindows(ctx.os.prompts);
    EngineServices services(ctx, *windows);
    services.SetMainWindow(ui::RunMainWindow);
    CommandRunner runner(ctx, services);
    return Main(ctx, runner);
}

}  // namespace kestrel

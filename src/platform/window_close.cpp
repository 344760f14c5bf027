#include "platform/window_close.h"

#include "base/error_line.h"
#include "core/context.h"
#include "os/owned.h"

namespace kestrel {

void KillWindow(Context& ctx, const std::string& sWindowName) {
    try {
        os::Processes& processes = ctx.os.processes;
        uint32_t pid = 0;
        if (processes.WindowProcess(sWindowName, pid) != 0) {
            return;
        }
        os::OwnedProcess handle(processes);
        if (processes.Open(pid, os::processaccess::kAllAccess, handle.Out()) != 0) {
            return;
        }
        uint32_t code = 0;
        (void)processes.ExitCode(handle.Get(), code);
        (void)processes.Terminate(handle.Get(), 0);
    } catch (const std::exception& e) {
        ctx.debug.Error("CommonModule\\KillWindow VB ERROR: ", ExceptionError(e),
                        {"\t- sWindowName=" + sWindowName});
    }
}

}  // namespace kestrel

#include "engine/run_uninstall.h"

#include <cstdint>
#include <cstdlib>

#include "app/context.h"
#include "app/settings.h"
#include "app/strings.h"
#include "engine/uninstall_command.h"
#include "platform/process_launch.h"

namespace kestrel {

int32_t UninstallTimeLimit(Context& ctx) {
    const std::string text =
        Trim(ReadIniSection(ctx, ctx.settingsFile, "Options", kUninstallTimeoutKey));
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 10) {
        return kUninstallTimeLimit;
    }
    const long long ms = std::strtoll(text.c_str(), nullptr, 10);
    if (ms < 1 || ms > INT32_MAX) {
        return kUninstallTimeLimit;
    }
    return static_cast<int32_t>(ms);
}

void RunUninstallString(Context& ctx, const std::string& uninstallString, bool inno) {
    try {
        const std::string command = SilentUninstallCommand(uninstallString, inno);
        if (command.empty()) {
            return;
        }
        std::string message;
        (void)ShellAndWaitForTermination(ctx, command, kWindowNormal, message,
                                         UninstallTimeLimit(ctx), true,
                                         {.waitForDescendants = true});
    } catch (...) {
        // The outcome is judged from the registry afterwards.
    }
}

}  // namespace kestrel

#include "engine/run_uninstall.h"

#include <cstdint>
#include <cstdlib>

#include "base/number.h"
#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "engine/uninstall_command.h"
#include "platform/process_launch.h"

namespace kestrel {

int32_t UninstallTimeLimit(Context& ctx) {
    const std::string text =
        Trim(ReadIniSection(ctx, ctx.settingsFile, "Options", kUninstallTimeoutKey));
    IntegerRules rules;
    rules.min = 1;
    rules.allowSign = false;
    return static_cast<int32_t>(IntegerOrNothing(text, rules).value_or(kUninstallTimeLimit));
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
    } catch (const std::exception& e) {
        // The outcome is judged from the registry afterwards.
        ctx.debug.Error("CommonModule\\RunUninstallString VB ERROR: ", ExceptionError(e),
                        {"\t- sUninstallString=" + uninstallString});
    } catch (...) {
        ctx.debug.Error("CommonModule\\RunUninstallString VB ERROR: ", UnknownExceptionError(),
                        {"\t- sUninstallString=" + uninstallString});
    }
}

}  // namespace kestrel

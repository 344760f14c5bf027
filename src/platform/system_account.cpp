#include "platform/system_account.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"

namespace kestrel {
namespace {

bool SystemByEnvironment(Context& ctx) {
    const std::string user = ctx.os.env.Variable("username");
    if (user.empty()) {
        return true;
    }
    if (EqualsNoCase(user, ctx.os.env.Variable("computername") + "$")) {
        return true;
    }
    return LCase(ctx.os.env.Variable("systemdrive")) == "x:";
}

}  // namespace

bool IsRunningAsSystem(Context& ctx, bool showMessage) {
    const bool system = SystemByEnvironment(ctx);
    if (system && showMessage) {
        (void)ctx.os.prompts.ShowMessage("It appears you now have SYSTEM access.  Congrats!",
                                         kProgramTitle, os::mb::kOkOnly);
    }
    return system;
}

}  // namespace kestrel

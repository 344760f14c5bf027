#include "platform/system_account.h"

#include "base/strings.h"
#include "core/context.h"

namespace kestrel {

bool IsRunningAsSystem(Context& ctx) {
    const std::string user = ctx.os.env.Variable("username");
    if (user.empty()) {
        return true;
    }
    if (EqualsNoCase(user, ctx.os.env.Variable("computername") + "$")) {
        return true;
    }
    return LCase(ctx.os.env.Variable("systemdrive")) == "x:";
}

}  // namespace kestrel

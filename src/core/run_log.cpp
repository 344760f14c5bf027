#include "core/run_log.h"

#include "core/context.h"

namespace kestrel {

std::string GeneralDateTime(Context& ctx) {
    return ctx.os.clock.ShortDate() + " " + ctx.os.clock.TimeOfDay();
}

void StartRunLog(Context& ctx) {
    ctx.runLog = GeneralDateTime(ctx) + "  -  Started on " + ctx.os.env.Variable("computername") +
                 "\r\n" + std::string(9, '-');
}

void AddToLog(Context& ctx, const std::string& line) {
    ctx.runLog += "\r\n" + line;
}

}  // namespace kestrel

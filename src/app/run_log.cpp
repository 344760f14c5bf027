#include "app/run_log.h"

#include "app/context.h"
#include "app/settings.h"
#include "app/text_file.h"

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

bool AppendRunLogToFile(Context& ctx) {
    return SaveTextToFile(ctx, AppPath(ctx) + kLogFileName, ctx.runLog + "\r\n---END---\r\n", false,
                          false);
}

}  // namespace kestrel

#include "app/init_settings.h"

#include <string>

#include "core/context.h"
#include "core/settings.h"
#include "platform/file_tests.h"
#include "platform/folder_entries.h"
#include "platform/text_file.h"

namespace kestrel {

void InitAppSettings(Context& ctx, bool setAppIni, bool ownIni, bool debugFile) {
    try {
        const std::string appPath = AppPath(ctx);
        const std::string name = ProgramName(ctx);
        if (setAppIni) {
            if (ownIni) {
                ctx.settingsFile = appPath + name + ".ini";
            } else {
                if (!DoesDirExist(ctx, appPath + "Config")) {
                    (void)MakeFolderPath(ctx, appPath + "Config");
                }
                ctx.settingsFile = appPath + "Config\\" + name + ".ini";
            }
        }
        if (debugFile) {
            ctx.debugFileOn = true;
            ctx.debugFile = appPath + name + ".log";
        }
        if (ctx.debugFileOn) {
            const std::string folder = appPath + "Debug";
            if (!DoesDirExist(ctx, folder)) {
                (void)MakeFolderPath(ctx, folder);
            }
            if (DoesDirExist(ctx, folder)) {
                ctx.debugFile = folder + "\\DebugOutput - " + name + " " +
                                std::to_string(CountFiles(ctx, folder, "") + 1) + ".txt";
            } else {
                ctx.debugFileOn = false;
            }
        }
        if (ctx.debugFileOn) {
            ctx.debug.SetFileSink([&ctx](const std::string& line) {
                (void)AppendDebugLine(ctx, ctx.debugFile, ctx.os.clock.TimeOfDay() + line, false,
                                      false);
            });
        }
        ctx.debug.Print("");
        ctx.debug.Print(ctx.os.clock.ShortDate() + " - Starting " + AppVersionText(ctx, "", ""));
        ctx.debug.Print(std::string(40, '-'));
    } catch (const std::exception& e) {
        ctx.debug.Error("CommonModule\\InitAppSettings VB ERROR: ", ExceptionError(e),
                        {"\t- bSetAppINI=" + ToText(setAppIni)});
    }
}

}  // namespace kestrel

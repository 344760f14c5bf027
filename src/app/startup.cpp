#include "app/startup.h"

#include "base/strings.h"

#include "app/command_line.h"
#include "app/init_settings.h"
#include "app/program_actions.h"
#include "core/context.h"
#include "core/run_log.h"
#include "core/settings.h"
#include "platform/file_tests.h"
#include "platform/special_folders.h"

namespace kestrel {
namespace {

// Main runs in continue-on-error mode: a failing step is skipped and the next one runs. Steps
// report their own failures; only an unexpected exception is reported here.
constexpr const char* kMainHead = "CommonModule\\Main VB ERROR: ";

void SetDefinitionPaths(Context& ctx) {
    ctx.definitions = DefinitionPathsIn(AppPath(ctx));
}

void MigrateOldBlacklist(Context& ctx) {
    const std::string old = AppPath(ctx) + "UninstallApps.txt";
    if (DoesFileExist(ctx, old)) {
        // Fails, and leaves both files, when the new list already exists.
        RedirectionOff off(ctx.redirection);
        (void)ctx.os.files.Move(old, ctx.definitions.blacklist);
    }
}

void RunAction(Context& ctx, ProgramActions& actions, const Action& action) {
    switch (action.kind) {
        case ActionKind::kUpdate:
            actions.Update();
            break;
        case ActionKind::kGetConfig:
            actions.GetConfig(action.argument);
            break;
        case ActionKind::kGetDefs:
            actions.GetDefs(action.argument);
            break;
        case ActionKind::kAutoRun:
            actions.AutoRun();
            break;
        case ActionKind::kUninstall:
            actions.UninstallFromCommandLine(action.argument);
            break;
        case ActionKind::kFixBrowsers:
            actions.FixBrowsers();
            break;
        case ActionKind::kSendReport:
            actions.SendReport();
            break;
        case ActionKind::kLogReport:
            actions.LogReport();
            break;
        case ActionKind::kJsonReport:
            actions.JsonReport();
            break;
        case ActionKind::kPreview:
            actions.Preview();
            break;
        case ActionKind::kShowMainWindow:
            actions.ShowMainWindow();
            break;
        case ActionKind::kRemoveOldExe:
            RemoveOldProgramCopy(ctx);
            break;
    }
}

}  // namespace

void PrepareProgram(Context& ctx) {
    ctx.debug.Step(kMainHead, [&] { ctx.redirection.SetAllowed(true); });
    ctx.debug.Step(kMainHead, [&] { InitAppSettings(ctx, true, true, false); });
    ctx.debug.Step(kMainHead, [&] {
        ctx.systemDrive = GetSpecialFolderPath(ctx, kCsidlWindows).substr(0, 2);
    });
    ctx.debug.Step(kMainHead, [&] { SetDefinitionPaths(ctx); });
    ctx.debug.Step(kMainHead, [&] { MigrateOldBlacklist(ctx); });
    ctx.debug.Step(kMainHead, [&] { StartRunLog(ctx); });
}

void RemoveOldProgramCopy(Context& ctx) {
    const std::string old = AppPath(ctx) + ProgramName(ctx) + "_old.exe";
    if (DoesFileExist(ctx, old)) {
        RedirectionOff off(ctx.redirection);
        (void)ctx.os.files.Delete(old);
    }
}

int Main(Context& ctx, ProgramActions& actions) {
    PrepareProgram(ctx);
    ctx.debug.Step(kMainHead, [&] { actions.RecoverInterruptedRun(); });
    std::vector<Action> plan;
    ctx.debug.Step(kMainHead, [&] {
        plan = ParseCommandLine(CommandArgumentsOf(ctx.os.env.CommandLine()), ctx.debug);
    });
    for (const Action& action : plan) {
        ctx.debug.Step(kMainHead, [&] { RunAction(ctx, actions, action); });
        if (ctx.endRequested) {
            break;
        }
    }
    return 0;
}

}  // namespace kestrel

#include "platform/process_launch.h"

#include <algorithm>
#include <cmath>

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "os/owned.h"
#include "platform/file_tests.h"
#include "platform/process_wait.h"
#include "platform/system_account.h"

namespace kestrel {
namespace {

constexpr const char* kNoHandleMessage =
    "This program could not determine whether the process started."
    "Please watch the program and check it completes.";

// What a start handed out, closed whichever way the procedure leaves.
struct OwnedStart {
    OwnedStart(os::Processes& p, const os::StartedProcess& started)
        : process(p, started.process), group(p, started.group) {}
    os::OwnedProcess process;
    os::OwnedProcess group;
};

uint32_t StartWithoutRedirection(Context& ctx, const std::string& commandLine, uint16_t windowStyle,
                                 bool inGroup, os::StartedProcess& out) {
    RedirectionOff off(ctx.redirection);
    return ctx.os.processes.Start(commandLine, windowStyle, inGroup, out);
}

}  // namespace

bool ShellAndWaitForTermination(Context& ctx, const std::string& sShell, uint16_t windowStyle,
                                std::string& message, int32_t timeoutMs, bool useTimeout,
                                const ShellWaitOptions& options) {
    constexpr const char* kHead = "CommonModule\\ShellAndWaitForTermination VB ERROR: ";
    try {
        ctx.debug.Print("ShellandWaitForTermination:  " + sShell);
        WaitTarget target;
        target.descendants = options.waitForDescendants;
        if (target.descendants) {
            (void)ctx.os.processes.List(target.beforeStart);
        }
        const uint32_t err =
            StartWithoutRedirection(ctx, sShell, windowStyle, target.descendants, target.started);
        const OwnedStart owned(ctx.os.processes, target.started);
        if (err != 0) {
            VbError error = FileError(err);
            message = error.description;
            ctx.debug.Error(kHead, error, {"\t- sShell=" + sShell});
            return false;
        }
        bool result = false;
        if (target.started.process == 0) {
            message = kNoHandleMessage;
        } else {
            result = true;
            uint32_t startTime = ctx.os.clock.Milliseconds();
            WaitResult waited = WaitForProcess(ctx, target, startTime, useTimeout, timeoutMs);
            if (waited.end == WaitEnd::kTimedOut) {
                message = kTimedOutMessage;
                result = false;
            }
        }
        ctx.debug.Print("\tSuccess=" + BoolText(result));
        return result;
    } catch (const std::exception& e) {
        VbError error = ExceptionError(e);
        message = error.description;
        ctx.debug.Error(kHead, error, {"\t- sShell=" + sShell});
        return false;
    }
}

bool ShellX(Context& ctx, const std::string& sPathAndFileName, const std::string& parameters,
            bool wait, uint16_t windowStyle, uint32_t& exitCode, bool asSystem, bool useTimeout,
            int32_t timeoutMs) {
    constexpr const char* kHead = "CommonModule\\ShellX VB ERROR: ";
    std::string sShell;
    try {
        if (sPathAndFileName.find('\\') != std::string::npos &&
            !DoesFileExist(ctx, sPathAndFileName)) {
            ctx.debug.Print("CommonModule\\ShellX FILE NOT FOUND");
            ctx.debug.Print("\t- sPathAndFileName=" + sPathAndFileName);
            return false;
        }
        std::string program = sPathAndFileName;
        if (program.find(' ') != std::string::npos) {
            program = "\"" + program + "\"";
        }
        sShell = parameters.empty() ? program : program + " " + parameters;

        if (asSystem && !IsRunningAsSystem(ctx)) {
            const std::string appPath = AppPath(ctx);
            const std::string psexec = appPath + "3rd Party Tools\\psexec.exe";
            if (StartsWith(appPath, "\\\\")) {
                ctx.debug.Print("ShellX:  Cannot run app as system with PSEXEC on a UNC path.");
            } else if (!DoesFileExist(ctx, psexec)) {
                ctx.debug.Print("ShellX:  Cannot find PSEXEC.EXE");
            } else {
                sShell = "\"" + psexec + "\"" + (wait ? " -s -i " : " -s -i -d ") + sShell;
                windowStyle = kWindowHidden;
            }
        }

        bool result = false;
        const uint32_t startTime = ctx.os.clock.Milliseconds();
        os::StartedProcess started;
        const uint32_t err = StartWithoutRedirection(ctx, sShell, windowStyle, false, started);
        const OwnedStart owned(ctx.os.processes, started);
        if (err != 0) {
            ctx.debug.Error(kHead, FileError(err), {"\t- sShell=" + sShell});
            return false;
        }
        if (!wait) {
            result = started.pid != 0;
        } else if (started.process != 0) {
            WaitTarget target;
            target.started = started;
            exitCode = WaitForProcess(ctx, target, startTime, useTimeout, timeoutMs).exitCode;
            result = true;
        }
        if (!result) {
            ctx.debug.Print("ShellX (Failed):  " + sShell);
        }
        return result;
    } catch (const std::exception& e) {
        ctx.debug.Error(kHead, ExceptionError(e), {"\t- sShell=" + sShell});
        return false;
    }
}

void Delay(Context& ctx, double seconds) {
    try {
        if (!(seconds > 0)) {
            ctx.os.prompts.DoEvents();
            return;
        }
        // At most about 24 days: a longer wait is a caller's mistake, not a plan.
        const auto total = static_cast<uint32_t>(std::min(seconds * 1000.0, 2147483647.0));
        const uint32_t start = ctx.os.clock.Milliseconds();
        for (;;) {
            uint32_t elapsed = ctx.os.clock.Milliseconds() - start;
            if (elapsed >= total) {
                break;
            }
            (void)ctx.os.processes.Wait({}, std::min<uint32_t>(100, total - elapsed));
            ctx.os.prompts.DoEvents();
        }
    } catch (const std::exception& e) {
        ctx.debug.Error("CommonModule\\Delay VB ERROR: ", ExceptionError(e));
    }
}

void OpenWebPage(Context& ctx, const std::string& strWebPage) {
    try {
        (void)ctx.os.processes.ShellOpen(strWebPage, kWindowNormal);
    } catch (const std::exception& e) {
        ctx.debug.Error("CommonModule\\OpenWebPage VB ERROR: ", ExceptionError(e),
                        {"\t- strWebPage=" + strWebPage});
    }
}

}  // namespace kestrel

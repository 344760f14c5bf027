#include "zip/seven_zip.h"

#include <exception>

#include "base/error_line.h"
#include "core/context.h"
#include "core/settings.h"
#include "platform/file_tests.h"
#include "platform/process_launch.h"

namespace kestrel {
namespace {

constexpr const char* kHead = "modUnzip\\UnzipWith7z:  ";

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Runs one step; an unexpected failure is logged with its description and the caller goes on
// with the next step.
template <class F>
void Step(Context& ctx, F&& step) {
    try {
        step();
    } catch (const std::exception& e) {
        ctx.debug.Print(kHead + ExceptionError(e).description);
    } catch (...) {
        ctx.debug.Print(kHead + UnknownExceptionError().description);
    }
}

// Runs the tool hidden and waits for it without a time-out. False when it could not be run;
// exitCode is then left as it was.
bool RunHidden(Context& ctx, const std::string& tool, const std::string& parameters,
               uint32_t& exitCode) {
    return ShellX(ctx, tool, parameters, true, kWindowHidden, exitCode, false, false, kNoTimeout);
}

}  // namespace

bool UnzipWith7z(Context& ctx, const std::string& sFileToUnzip,
                 const std::string& sDirToExtractTo) {
    Step(ctx, [&] {
        ctx.debug.Print(std::string(kHead) + "Initiated due to Internal Unzip Failure.\r\n\t" +
                        "sFileToUnzip - " + sFileToUnzip + "\r\n\tsDirToExtractTo - " +
                        sDirToExtractTo);
    });

    std::string tool;
    Step(ctx, [&] {
        const std::string folder = AppPath(ctx) + "3rd Party Tools\\Ketarin\\";
        if (DoesFileExist(ctx, folder + "7za.exe")) {
            tool = folder + "7za.exe";
        }
        if (DoesFileExist(ctx, folder + "7z.exe")) {
            tool = folder + "7z.exe";
        }
    });
    if (tool.empty()) {
        ctx.debug.Print(std::string(kHead) + "7zip executable not found!  Aborting function!");
        return false;
    }
    Step(ctx, [&] { ctx.debug.Print(kHead + std::string("7zip executable found:  ") + tool); });

    bool archiveFound = true;
    Step(ctx, [&] { archiveFound = DoesFileExist(ctx, sFileToUnzip); });
    if (!archiveFound) {
        ctx.debug.Print(std::string(kHead) + "sFileToUnzip not found!  Aborting function!");
        return false;
    }

    const std::string archive = Quoted(sFileToUnzip);
    // A tool that could not be started counts as a failed test.
    uint32_t testExit = 1;
    Step(ctx, [&] {
        ctx.debug.Print(std::string(kHead) + "Testing Zip File Integrity with Command:  \r\n\t" +
                        tool + " t " + archive);
        if (!RunHidden(ctx, tool, "t " + archive, testExit)) {
            testExit = 1;
        }
    });
    Step(ctx, [&] {
        if (testExit != 0) {
            ctx.debug.Print(std::string(kHead) +
                            "Zip File Integrity Check FAILED!  Proceeding with extract attempt "
                            "anyway...");
        } else {
            ctx.debug.Print(std::string(kHead) +
                            "Zip File Integrity Check PASSED!  Proceeding with extract attempt...");
        }
    });

    Step(ctx, [&] {
        const std::string parameters = "x " + archive + " -o" + Quoted(sDirToExtractTo) + " -y";
        ctx.debug.Print(std::string(kHead) + "Extracting Zip File with Command:  \r\n\t" + tool +
                        " " + parameters);
        uint32_t extractExit = 0;
        (void)RunHidden(ctx, tool, parameters, extractExit);
    });
    return true;
}

}  // namespace kestrel

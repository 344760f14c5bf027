#include "platform/text_file.h"

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "core/run_log.h"
#include "core/settings.h"
#include "os/errors.h"
#include "platform/file_tests.h"

namespace kestrel {
namespace {

using os::error::kFileExists;

bool EnsureFolder(Context& ctx, const std::string& folder, bool quiet) {
    if (DoesDirExist(ctx, folder)) {
        return true;
    }
    {
        RedirectionOff off(ctx.redirection);
        (void)ctx.os.files.CreateFolderTree(folder);
    }
    if (DoesDirExist(ctx, folder)) {
        return true;
    }
    if (MakeFolderPath(ctx, folder + "\\")) {
        return true;
    }
    if (!quiet) {
        ctx.debug.Print("SaveTextToFile - Directory does not exist / Cannot create directory:  ");
        ctx.debug.Print("\t" + folder);
    }
    return false;
}

// How many staging names beside a file are tried before the write gives up.
constexpr int kStagingNames = 100;

// Writes bytes into a new file beside file ("<file>.~tmp1", "~tmp2"...), passing over every name
// that is taken, and gives its name. 0, or the error of the write that failed.
uint32_t StageBeside(Context& ctx, const std::string& file, const std::string& bytes,
                     std::string& staged) {
    for (int n = 1; n <= kStagingNames; ++n) {
        const std::string candidate = file + ".~tmp" + std::to_string(n);
        if (ctx.os.files.Attributes(candidate) != os::kInvalidAttributes) {
            continue;
        }
        // Creating only a new file keeps one that appeared meanwhile untouched.
        const uint32_t error = ctx.os.files.Write(candidate, bytes, os::WriteMode::kCreateNew);
        if (error == kFileExists) {
            continue;
        }
        if (error != 0) {
            (void)ctx.os.files.Delete(candidate);  // what this write began
            return error;
        }
        staged = candidate;
        return 0;
    }
    return kFileExists;
}

bool ReplaceWhole(Context& ctx, const std::string& file, const std::string& bytes,
                  uint32_t& error) {
    std::string staged;
    error = StageBeside(ctx, file, bytes, staged);
    if (error != 0) {
        return false;
    }
    error = ctx.os.files.Replace(staged, file);
    if (error != 0) {
        (void)ctx.os.files.Delete(staged);  // made by this write, so it may go
        return false;
    }
    return true;
}

bool HoldsLine(Context& ctx, const std::string& file, const std::string& text, uint32_t& error) {
    // Opening for append creates the file when it is missing.
    error = ctx.os.files.Write(file, "", os::WriteMode::kAppend);
    if (error != 0) {
        return false;
    }
    std::string content;
    error = ctx.os.files.ReadAll(file, content);
    if (error != 0) {
        return false;
    }
    const std::string wanted = LCase(text);
    for (const std::string& line : SplitLines(content)) {
        if (LCase(line) == wanted) {
            return true;
        }
    }
    return false;
}

bool Save(Context& ctx, const std::string& file, const std::string& text, bool overwrite,
          bool noDuplicates, bool quiet) {
    const std::string folder = StripNameFromPathQuiet(file);
    if (!EnsureFolder(ctx, folder, quiet)) {
        return false;
    }
    RedirectionOff off(ctx.redirection);
    const std::string bytes = text + "\r\n";
    uint32_t error = 0;
    bool written = false;
    if (overwrite) {
        written = ReplaceWhole(ctx, file, bytes, error);
    } else {
        if (noDuplicates && HoldsLine(ctx, file, text, error)) {
            return true;
        }
        if (error == 0) {
            error = ctx.os.files.Write(file, bytes, os::WriteMode::kAppend);
            written = error == 0;
        }
    }
    if (!written && !quiet) {
        ctx.debug.Error(
            "CommonModule\\SaveTextToFile VB ERROR: ", FileError(error),
            {"\tbOverwrite=" + ToText(overwrite) + " \\ " + "bNoDuplicates=" + ToText(noDuplicates),
             "\t" + file});
    }
    return written;
}

}  // namespace

bool SaveTextToFile(Context& ctx, const std::string& file, const std::string& text, bool overwrite,
                    bool noDuplicates) {
    try {
        return Save(ctx, file, text, overwrite, noDuplicates, false);
    } catch (const std::exception& e) {
        ctx.debug.Error(
            "CommonModule\\SaveTextToFile VB ERROR: ", ExceptionError(e),
            {"\tbOverwrite=" + ToText(overwrite) + " \\ " + "bNoDuplicates=" + ToText(noDuplicates),
             "\t" + file});
        return false;
    }
}

bool AppendDebugLine(Context& ctx, const std::string& file, const std::string& text, bool overwrite,
                     bool noDuplicates) {
    try {
        return Save(ctx, file, text, overwrite, noDuplicates, true);
    } catch (...) {
        // The debug file's own writer: a line from here would feed the channel it serves.
        return false;
    }
}

}  // namespace kestrel

namespace kestrel {

bool ReadTextLines(Context& ctx, const std::string& file, std::vector<std::string>& lines) {
    lines.clear();
    std::string content;
    {
        RedirectionOff off(ctx.redirection);
        if (ctx.os.files.ReadAll(file, content) != 0) {
            return false;
        }
    }
    lines = SplitLines(content);
    return true;
}

bool AppendRunLogToFile(Context& ctx) {
    return SaveTextToFile(ctx, AppPath(ctx) + kLogFileName, ctx.runLog + "\r\n---END---\r\n", false,
                          false);
}

}  // namespace kestrel

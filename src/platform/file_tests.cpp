#include "platform/file_tests.h"

#include "core/context.h"

namespace kestrel {
namespace {

bool IsAbsolute(const std::string& path) {
    return path.size() >= 2 && (path[1] == ':' || path[1] == '\\');
}

// Paths this long no longer fit OpenFile's 128-character buffer.
constexpr size_t kLongPathLength = 117;

bool DirTest(Context& ctx, const std::string& path, bool log, const char* head) {
    // A folder is what carries the directory attribute. (Telling it by OpenFile failing would
    // call a locked file, or any file on a path too long for OpenFile, a folder.)
    bool result = false;
    uint32_t attributes = os::kInvalidAttributes;
    if (IsAbsolute(path)) {
        attributes = ctx.os.files.Attributes(path);
        result = attributes != os::kInvalidAttributes && (attributes & os::attr::kDirectory) != 0;
    }
    if (log) {
        ctx.debug.Print(std::string(head) + ToText(static_cast<int32_t>(attributes)));
        ctx.debug.Print("\t- Passed: " + path);
        ctx.debug.Print("\t- Returns: " + ToText(result));
    }
    return result;
}

}  // namespace

bool OpenLongPath(Context& ctx, const std::string& path) {
    std::string longForm =
        path.rfind("\\\\", 0) == 0 ? "\\\\?\\UNC\\" + path.substr(2) : "\\\\?\\" + path;
    return ctx.os.files.OpenForReading(longForm);
}

bool DoesFileExist(Context& ctx, const std::string& path, bool log) {
    bool result = false;
    int32_t answer = -1;
    if (IsAbsolute(path)) {
        RedirectionOff off(ctx.redirection);
        if (path.size() >= kLongPathLength) {
            result = OpenLongPath(ctx, path);
            answer = result ? 1 : -1;
        } else {
            answer = ctx.os.files.OpenFileExist(path);
            result = answer != -1;
        }
    }
    if (log) {
        ctx.debug.Print("CommonModule\\DoesFileExist: " + ToText(answer));
        ctx.debug.Print("\t- Passed: " + path);
        ctx.debug.Print("\t- Returns: " + ToText(result));
    }
    return result;
}

bool DoesDirExist(Context& ctx, const std::string& path, bool log) {
    RedirectionOff off(ctx.redirection);
    return DirTest(ctx, path, log, "CommonModule\\DoesDirExist: ");
}

bool DoesDirExistNo64bitCheck(Context& ctx, const std::string& path, bool log) {
    return DirTest(ctx, path, log, "CommonModule\\DoesDirExistNo64bitCheck: ");
}

std::string ClassifyPath(Context& ctx, const std::string& path) {
    if (DoesDirExist(ctx, path)) {
        return "dir";
    }
    if (DoesFileExist(ctx, path)) {
        return "file";
    }
    return "neither";
}

bool MakeFolderPath(Context& ctx, const std::string& path) {
    std::string withSlash = path;
    if (withSlash.empty() || withSlash.back() != '\\') {
        withSlash += '\\';
    }
    {
        RedirectionOff off(ctx.redirection);
        (void)ctx.os.files.MakeSurePathExists(withSlash);
    }
    return DoesDirExist(ctx, path);
}

bool Is64BitInstallation(Context& ctx, const std::string& drive) {
    if (drive.empty()) {
        return !ctx.os.env.Variable("ProgramFiles(x86)").empty();
    }
    return DoesDirExistNo64bitCheck(ctx, drive + "\\Program Files (x86)");
}

}  // namespace kestrel

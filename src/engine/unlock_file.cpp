#include "engine/unlock_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <vector>

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "os/owned.h"

namespace kestrel {
namespace {

constexpr uint32_t kTypeTimeoutMs = 100;
constexpr size_t kMaxCommandLine = 260;

// Ending one of these stops Windows, and closing handles inside them can crash it.
constexpr std::array<std::string_view, 8> kCriticalImages = {
    "system",       "smss.exe",     "csrss.exe", "wininit.exe",
    "winlogon.exe", "services.exe", "lsass.exe", "svchost.exe"};

// Lower case, "\" for "/", no repeated or trailing separators (a UNC path keeps its leading
// pair), so that whole components can be compared.
std::string NormalPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : LCase(Trim(path))) {
        c = c == '/' ? '\\' : c;
        if (c == '\\' && !out.empty() && out.back() == '\\' && out.size() > 1) {
            continue;
        }
        out += c;
    }
    while (out.size() > 1 && out.back() == '\\') {
        out.pop_back();
    }
    return out;
}

// "c:\x...": a path with at least one component below a drive root.
bool IsBelowDriveRoot(const std::string& normal) {
    return normal.size() > 3 && normal[1] == ':' && normal[2] == '\\';
}

bool IsAtOrBelow(const std::string& normal, const std::string& top) {
    return normal == top || (normal.size() > top.size() &&
                             normal.compare(0, top.size(), top) == 0 && normal[top.size()] == '\\');
}

// The program file's name in a command line or an image path, lower case.
std::string ImageName(const std::string& commandLine) {
    std::string program = Trim(commandLine);
    if (!program.empty() && program[0] == '"') {
        const size_t close = program.find('"', 1);
        program = program.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        program = program.substr(0, program.find(' '));
    }
    return LCase(StripPath(ReplaceAll(program, "/", "\\")));
}

bool IsCriticalImage(const std::string& name) {
    return std::find(kCriticalImages.begin(), kCriticalImages.end(), name) != kCriticalImages.end();
}

enum class Fate { kEnd, kKeepRunning, kSpare };

// What may be done to a process that holds a handle to release.
Fate FateOf(Context& ctx, uint32_t pid, std::string& why) {
    if (pid == ctx.os.processes.CurrentId()) {
        why = "the program itself";  // its handles belong to code that closes them
        return Fate::kSpare;
    }
    if (pid == 0 || pid == 4) {
        why = "System";
        return Fate::kSpare;
    }
    std::string listed;
    std::vector<os::ProcessEntry> entries;
    if (ctx.os.processes.List(entries) == 0) {
        for (const os::ProcessEntry& e : entries) {
            if (e.pid == pid) {
                listed = LCase(e.exeFile.substr(0, e.exeFile.find('\0')));
            }
        }
    }
    std::string commandLine;
    if (ctx.os.handles.CommandLine(pid, commandLine) != 0) {
        commandLine.clear();
    }
    const std::string image = ImageName(commandLine);
    if (listed.empty() && image.empty()) {
        why = "a process that cannot be named";
        return Fate::kSpare;
    }
    bool critical = false;
    if (IsCriticalImage(listed) || IsCriticalImage(image) ||
        (ctx.os.handles.IsCritical(pid, critical) == 0 && critical)) {
        why = listed.empty() ? image : listed;
        return Fate::kSpare;
    }
    if (listed == "explorer.exe" || image == "explorer.exe" ||
        ContainsNoCase(commandLine, "explorer.exe")) {
        return Fate::kKeepRunning;
    }
    return Fate::kEnd;
}

void EndProcess(Context& ctx, uint32_t pid) {
    os::Processes& processes = ctx.os.processes;
    os::OwnedProcess process(processes);
    if (processes.Open(pid, os::processaccess::kTerminate, process.Out()) == 0) {
        (void)processes.Terminate(process.Get(), 0);
    }
}

// The type index of files: that of the "NUL" handle the program opens itself, found in the
// list. 0 when it cannot be learned; the "NUL" handle is closed either way.
uint16_t FileTypeIndex(Context& ctx, std::vector<os::SystemHandle>& handles) {
    os::SystemHandles& port = ctx.os.handles;
    os::OwnHandle nul = 0;
    if (port.OpenNul(nul) != 0) {
        return 0;
    }
    uint16_t index = 0;
    if (port.List(handles) == 0) {
        const uint32_t own = ctx.os.processes.CurrentId();
        for (const os::SystemHandle& h : handles) {
            if (h.pid == own && h.value == nul) {
                index = h.typeIndex;
            }
        }
    }
    (void)port.Close(nul);
    return index;
}

// The drive path of another process's handle, "" when it has none or cannot be learned.
std::string PathOfRemoteHandle(Context& ctx, const os::SystemHandle& h) {
    os::OwnHandle copy = 0;
    if (ctx.os.handles.Duplicate(h.pid, h.value, false, copy) != 0) {
        return {};
    }
    std::string path = GetHandleFileType(ctx, copy) != 0 ? GetHandleFilePath(ctx, copy) : "";
    (void)ctx.os.handles.Close(copy);
    return path;
}

bool Unlock(Context& ctx, const std::string& path) {
    const std::string target = NormalPath(path);
    if (!IsBelowDriveRoot(target)) {
        ctx.debug.Print("UnlockFile: not a path below a drive root, nothing released: " + path);
        return false;
    }
    std::vector<os::SystemHandle> handles;
    const uint16_t fileType = FileTypeIndex(ctx, handles);
    if (fileType == 0) {
        return false;
    }
    const uint32_t own = ctx.os.processes.CurrentId();
    bool result = true;
    for (const os::SystemHandle& h : handles) {
        if (h.typeIndex != fileType || h.pid == own) {
            continue;
        }
        const std::string held = PathOfRemoteHandle(ctx, h);
        if (held.empty() || !IsAtOrBelow(NormalPath(held), target)) {
            continue;
        }
        if (!CloseRemoteHandle(ctx, h.pid, h.value)) {
            result = false;
        }
    }
    return result;
}

}  // namespace

bool UnlockFile(Context& ctx, const std::string& path) {
    try {
        return Unlock(ctx, path);
    } catch (const std::exception& e) {
        ctx.debug.Error("UnlockFile VB ERROR: ", ExceptionError(e), {"\t- sPath=" + path});
    } catch (...) {
        ctx.debug.Error("UnlockFile VB ERROR: ", UnknownExceptionError(), {"\t- sPath=" + path});
    }
    return false;
}

std::string GetHandleFilePath(Context& ctx, os::OwnHandle handle) {
    std::string name;
    if (ctx.os.handles.ObjectName(handle, name) != 0) {
        return {};
    }
    name = name.substr(0, name.find('\0'));
    if (StartsWith(name, "\\??\\")) {
        const std::string rest = name.substr(4);
        const bool drivePath = rest.size() >= 2 && rest[1] == ':' &&
                               std::isalpha(static_cast<unsigned char>(rest[0])) &&
                               (rest.size() == 2 || rest[2] == '\\');
        return drivePath ? rest : std::string();
    }
    for (const std::string& root : ctx.os.volumes.LogicalDrives()) {
        if (root.size() < 2) {
            continue;
        }
        const std::string drive = root.substr(0, 2);
        std::string device;
        if (ctx.os.handles.DosDevice(drive, device) != 0) {
            continue;
        }
        device = device.substr(0, device.find('\0'));
        // "\Device\HarddiskVolume1" is no prefix of "\Device\HarddiskVolume10\x".
        if (!device.empty() && StartsWithNoCase(name, device) &&
            (name.size() == device.size() || name[device.size()] == '\\')) {
            return drive + name.substr(device.size());
        }
    }
    return {};
}

uint32_t GetHandleFileType(Context& ctx, os::OwnHandle handle) {
    uint32_t type = 0;
    if (ctx.os.handles.FileType(handle, kTypeTimeoutMs, type) != 0) {
        return 0;
    }
    return type;
}

bool CloseRemoteHandle(Context& ctx, uint32_t pid, uint64_t handleValue) {
    std::string why;
    const Fate fate = FateOf(ctx, pid, why);
    if (fate == Fate::kSpare) {
        ctx.debug.Print("UnlockFile: handle left open in " + why + " (process " +
                        std::to_string(pid) + ")");
        return false;
    }
    os::OwnHandle copy = 0;
    if (ctx.os.handles.Duplicate(pid, handleValue, true, copy) != 0) {
        return false;
    }
    if (ctx.os.handles.Close(copy) != 0) {
        return false;
    }
    if (fate == Fate::kEnd) {
        EndProcess(ctx, pid);
    }
    return true;
}

std::string GetProcessCommandLine(Context& ctx, uint32_t pid) {
    std::string line;
    if (ctx.os.handles.CommandLine(pid, line) != 0) {
        return {};
    }
    line = line.substr(0, line.find('\0'));
    return line.substr(0, std::min(line.size(), kMaxCommandLine));
}

}  // namespace kestrel

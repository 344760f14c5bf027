#include "platform/shell_file_ops.h"

#include "core/context.h"
#include "platform/file_tests.h"
#include "platform/folder_entries.h"
#include "platform/path_forms.h"
#include "platform/windows_folders.h"

namespace kestrel {
namespace {

using os::fof::kAllowUndo;
using os::fof::kNoConfirmation;
using os::fof::kNoConfirmMkdir;
using os::fof::kNoCopySecurityAttribs;
using os::fof::kNoErrorUi;
using os::fof::kRenameOnCollision;

std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

// A path the shell may be given: absolute, not a root, wildcards only in the last name, and
// no pattern that takes every entry of a drive's root.
bool IsSafeShellPath(const std::string& path) {
    if (!IsAbsolutePath(path) || IsDriveOrShareRoot(path) || HasWildcard(FolderOf(path))) {
        return false;
    }
    const std::string name = NameOf(path);
    if (HasWildcard(name) && IsDriveOrShareRoot(FolderOf(path)) &&
        name.find_first_not_of("*?.") == std::string::npos) {
        return false;
    }
    return true;
}

bool NothingLeft(Context& ctx, const std::string& path) {
    if (!HasWildcard(path)) {
        return ClassifyPath(ctx, path) == "neither";
    }
    std::vector<os::DirEntry> entries;
    RedirectionOff off(ctx.redirection);
    (void)ctx.os.files.List(path, entries);
    for (const os::DirEntry& e : entries) {
        if (e.name != "." && e.name != "..") {
            return false;
        }
    }
    return true;
}

bool ShellDelete(Context& ctx, const std::string& path, uint16_t flags, bool recycle,
                 const char* head) {
    bool result = false;
    if (IsSafeShellPath(path)) {
        {
            RedirectionOff off(ctx.redirection);
            (void)ctx.os.shell.FileOperation(os::ShellOp::kDelete, {path}, "", flags, nullptr);
            if (recycle) {
                ctx.os.shell.UpdateRecycleBinIcon();
            }
        }
        result = NothingLeft(ctx, path);
    }
    ctx.debug.Print(head);
    ctx.debug.Print("\t- passed: " + path);
    ctx.debug.Print("\t- returned: " + ToText(result));
    return result;
}

bool MoveOnce(Context& ctx, const std::string& source, const std::string& target, uint16_t flags) {
    bool aborted = false;
    return ctx.os.shell.FileOperation(os::ShellOp::kMove, {source}, target, flags, &aborted) == 0 &&
           !aborted;
}

// The items that a pattern still names, moved one at a time into the target folder.
bool MoveItemByItem(Context& ctx, const std::string& pattern, const std::string& target,
                    uint16_t flags) {
    std::vector<os::DirEntry> entries;
    (void)ctx.os.files.List(pattern, entries);
    std::vector<std::string> items;
    for (const os::DirEntry& e : entries) {
        if (e.name != "." && e.name != "..") {
            items.push_back(FolderOf(pattern) + e.name);
        }
    }
    if (items.empty()) {
        return false;
    }
    const uint32_t made = ctx.os.files.CreateFolderTree(target);
    if (made != 0 && made != 183) {
        return false;
    }
    bool all = true;
    for (const std::string& item : items) {
        all = MoveOnce(ctx, item, target, flags) && all;
    }
    return all;
}

}  // namespace

bool Recycle(Context& ctx, const std::string& path, bool silent) {
    const uint16_t flags = silent ? (kAllowUndo | kNoConfirmation | kNoErrorUi) : kAllowUndo;
    return ShellDelete(ctx, path, flags, true, "commonmodule\\Recycle: ");
}

bool APIDelete(Context& ctx, const std::string& path, bool silent) {
    const uint16_t flags = silent ? (kNoConfirmation | kNoErrorUi) : 0;
    return ShellDelete(ctx, path, flags, false, "commonmodule\\APIDelete: ");
}

bool ShellMove(Context& ctx, const std::string& source, const std::string& target, bool silent,
               bool renameOnCollision) {
    if (!IsSafeShellPath(source) || !IsAbsolutePath(target) || HasWildcard(target)) {
        return false;
    }
    uint16_t flags = kNoConfirmMkdir | kNoErrorUi | kNoCopySecurityAttribs;
    if (renameOnCollision) {
        flags |= kRenameOnCollision;
    } else if (silent) {
        flags |= kNoConfirmation;
    }
    RedirectionOff off(ctx.redirection);
    bool moved = MoveOnce(ctx, source, target, flags);
    if (!moved && IsVista(ctx) && !IsWin7(ctx)) {
        moved = MoveOnce(ctx, source, target, flags);
    }
    if (!moved && HasWildcard(NameOf(source))) {
        moved = MoveItemByItem(ctx, source, target, flags);
    }
    return moved;
}

}  // namespace kestrel

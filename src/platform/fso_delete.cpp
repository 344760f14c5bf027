// clsFSO: deleting files and folder trees.
#include "base/strings.h"
#include "core/context.h"
#include "platform/file_tests.h"
#include "platform/folder_entries.h"
#include "platform/fso.h"

#include "platform/file_owner.h"
#include "platform/key_permissions.h"
#include "platform/path_forms.h"
#include "platform/process_launch.h"

namespace kestrel {
namespace {

const VbError kBadArgument{5, "Invalid procedure call or argument"};

bool IsFolderAt(uint32_t attributes) {
    return attributes != os::kInvalidAttributes && (attributes & os::attr::kDirectory) != 0;
}

bool IsFileAt(uint32_t attributes) {
    return attributes != os::kInvalidAttributes && (attributes & os::attr::kDirectory) == 0;
}

// Deletes a folder and everything below it; links inside are removed as links. Read-only
// files and folders go too. Deletes all it can and answers the first Win32 error.
uint32_t DeleteTree(Context& ctx, const std::string& root) {
    os::FileSystem& files = ctx.os.files;
    struct Pending {
        std::string path;
        bool opened = false;
    };
    std::vector<Pending> stack{{root}};
    uint32_t firstError = 0;
    auto note = [&firstError](uint32_t error) {
        if (firstError == 0) {
            firstError = error;
        }
    };
    while (!stack.empty()) {
        if (stack.back().opened) {
            const std::string folder = stack.back().path;
            stack.pop_back();
            const uint32_t attributes = files.Attributes(folder);
            if (attributes != os::kInvalidAttributes && (attributes & os::attr::kReadOnly) != 0) {
                (void)files.SetAttributes(folder, os::attr::kNormal);
            }
            note(files.RemoveFolder(folder));
            continue;
        }
        stack.back().opened = true;
        const std::string folder = stack.back().path;
        std::vector<os::DirEntry> entries;
        note(ReadFolder(ctx, folder, entries));
        for (const os::DirEntry& e : entries) {
            const std::string child = ChildAccessPath(folder, e.name);
            if (IsFolderEntry(e) && !IsLinkEntry(e)) {
                stack.push_back({child});
                continue;
            }
            if ((e.attributes & os::attr::kReadOnly) != 0) {
                (void)files.SetAttributes(child, os::attr::kNormal);
            }
            note(IsFolderEntry(e) ? files.RemoveFolder(child) : files.Delete(child));
        }
    }
    return firstError;
}

}  // namespace

void clsFSO::ResetAttributes(const std::string& file) {
    if (!IsAbsolutePath(file)) {
        return;
    }
    RedirectionOff off(m_ctx.redirection);
    const std::string path = ExactPath(m_ctx, file);
    bool subfolders = false;
    std::string owner;
    std::string grantee;
    TakeControl(m_ctx, path, subfolders, kWindowHidden, owner, grantee);
    std::string ownerName;
    ChangeOwnerOfFile(m_ctx, path, ownerName);
    (void)m_ctx.os.files.SetAttributes(path, os::attr::kNormal);
    (void)m_ctx.os.files.SetAttributes(path, os::attr::kArchive);
}

bool clsFSO::KillFile(const std::string& strFile) {
    bool result = false;
    // Relative paths, patterns and folders are not files this can delete.
    if (IsAbsolutePath(strFile) && !HasWildcard(strFile)) {
        // Decided once: after the deletion the same text could name a look-alike.
        const std::string target = ExactPath(m_ctx, strFile);
        RedirectionOff off(m_ctx.redirection);
        os::FileSystem& files = m_ctx.os.files;
        if (!IsFolderAt(files.Attributes(target))) {
            for (int attempt = 1; attempt <= 2 && !result; ++attempt) {
                (void)files.Delete(target);
                // Read by attributes, which a file held open by another program still has.
                result = !IsFileAt(files.Attributes(target));
                if (!result && attempt == 1) {
                    ResetAttributes(target);
                }
            }
        }
    }
    if (!result) {
        m_ctx.debug.Print("clsFSO\\KillFile - Unable to delete:  " + strFile);
    }
    m_ctx.debug.Print("clsFSO\\KillFile: ");
    m_ctx.debug.Print("\t- passed: " + strFile);
    m_ctx.debug.Print("\t- returned: " + ToText(result));
    return result;
}

bool clsFSO::KillDir(const std::string& strPath, bool recreatePath) {
    auto recreate = [&] {
        if (recreatePath && !MakeFolderPath(m_ctx, strPath)) {
            m_ctx.debug.Print("clsFSO\\KillDir - Error recreating:  " + strPath);
        }
    };
    auto logged = [&](bool result) {
        m_ctx.debug.Print("clsFSO\\KillDir: ");
        m_ctx.debug.Print("\t- passed: " + strPath);
        m_ctx.debug.Print("\t- returned: " + ToText(result));
        return result;
    };
    // Relative paths, roots and patterns are refused; a file is not a folder to delete.
    if (!IsAbsolutePath(strPath) || IsDriveOrShareRoot(strPath) || HasWildcard(strPath)) {
        return logged(false);
    }
    const std::string target = ExactPath(m_ctx, strPath);
    uint32_t attributes = 0;
    {
        RedirectionOff off(m_ctx.redirection);
        attributes = m_ctx.os.files.Attributes(target);
    }
    if (IsFileAt(attributes)) {
        return logged(false);
    }
    if (!IsFolderAt(attributes)) {
        recreate();
        return logged(true);
    }
    for (int attempt = 1; attempt <= 2; ++attempt) {
        if (DelTree32(target)) {
            recreate();
            return true;
        }
        if (attempt == 1) {
            ResetAttributes(target);
        }
    }
    // What resists as a whole is cleared out piece by piece; the folder may remain.
    for (const std::string& file : Split(Get_FileList(target, true, "*.*"), ";")) {
        if (!file.empty()) {
            (void)KillFile(file);
        }
    }
    for (const std::string& folder : Split(Get_DirList(target, true), ";")) {
        if (!folder.empty()) {
            (void)DelTree32(folder);
        }
    }
    return false;
}

bool clsFSO::DelTree32(const std::string& strPath) {
    VbError error{};
    try {
        if (!IsAbsolutePath(strPath) || IsDriveOrShareRoot(strPath) || HasWildcard(strPath)) {
            error = kBadArgument;
        } else {
            RedirectionOff off(m_ctx.redirection);
            const std::string root = ExactPath(m_ctx, strPath);
            const uint32_t attributes = m_ctx.os.files.Attributes(root);
            uint32_t failed = 0;
            if (!IsFolderAt(attributes)) {
                failed = 3;  // ERROR_PATH_NOT_FOUND: no such folder
            } else if ((attributes & os::attr::kReparsePoint) != 0) {
                failed = m_ctx.os.files.RemoveFolder(root);  // the link, not what it leads to
            } else {
                failed = DeleteTree(m_ctx, root);
            }
            if (failed != 0) {
                error = FileError(failed);
            }
        }
    } catch (const std::exception& e) {
        error = ExceptionError(e);
    }
    if (error.number == 0) {
        return true;
    }
    m_ctx.debug.Error("clsFSO\\DelTree32 - VB ERROR: ", error,
                      {"\t- Error deleting path:  " + strPath});
    return false;
}

}  // namespace kestrel

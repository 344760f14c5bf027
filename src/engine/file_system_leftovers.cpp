#include "engine/file_system_leftovers.h"
#include "inventory/definition_lists.h"

#include <vector>

#include "base/error_line.h"
#include "base/strings.h"
#include "core/context.h"
#include "core/fs_redirection.h"
#include "engine/process_termination.h"
#include "engine/protected_paths.h"
#include "engine/unlock_file.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/key_permissions.h"
#include "platform/process_launch.h"
#include "platform/shell_file_ops.h"
#include "platform/special_folders.h"
#include "platform/text_file.h"
#include "platform/windows_folders.h"

namespace kestrel {
namespace {

constexpr const char* kRoamingPrograms =
    "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\";
constexpr const char* kOldPrograms = "\\Start Menu\\Programs\\";
constexpr const char* kAllUsersPrograms = "\\Microsoft\\Windows\\Start Menu\\Programs\\";

std::vector<std::string> ProfileList(const Context& ctx) {
    std::vector<std::string> profiles;
    for (const std::string& profile : ctx.userList) {
        if (profile.size() > 1) {
            profiles.push_back(profile);
        }
    }
    return profiles;
}

// The guard of a single call: the profiles it protects are those of the profile list, so the
// list is read first when nobody has read it yet.
ProtectedPaths GuardFor(Context& ctx) {
    if (ctx.userList.empty()) {
        GetUserList(ctx, false);
    }
    return ProtectedPaths::Collect(ctx);
}

bool Refused(Context& ctx, const std::string& path, const ProtectedPaths& guard) {
    if (path.empty()) {
        return true;
    }
    const std::string reason = guard.Refusal(ctx, path);
    if (reason.empty()) {
        return false;
    }
    ctx.debug.Print("DeleteFileSystemObject:  refused (" + reason + "):  " + path);
    return true;
}

bool AttemptDeletion(Context& ctx, const std::string& path) {
    clsFSO fso(ctx);
    bool deleted = false;
    if (DoesFileExist(ctx, path)) {
        deleted = fso.KillFile(path);
    } else if (DoesDirExist(ctx, path)) {
        deleted = fso.KillDir(path, false);
    }
    return deleted || APIDelete(ctx, path, true);
}

bool StillThere(Context& ctx, const std::string& path) {
    return DoesFileExist(ctx, path) || DoesDirExist(ctx, path);
}

}  // namespace

void CleanFileSystemLeftovers(Context& ctx, LeftoverActions& actions) {
    const std::string windows = GetSpecialFolderPath(ctx, kCsidlWindows);
    if (windows.size() >= 2) {
        ctx.systemDrive = windows.substr(0, 2);
    }
    GetUserList(ctx, false);
    DeleteFileSystemDefinitions(ctx, actions);
    DeleteStartMenuDefinitions(ctx, actions);
}

void DeleteFileSystemDefinitions(Context& ctx, LeftoverActions& actions) {
    const std::vector<std::string> entries =
        DefinitionEntries(ctx, ctx.definitions.fileSystemObjects);
    if (entries.empty()) {
        return;
    }
    const ProtectedPaths guard = GuardFor(ctx);
    const std::string systemDrive = ctx.os.env.Variable("systemdrive");
    for (const std::string& entry : entries) {
        std::string path = StartsWith(entry, "\\") ? systemDrive + entry : entry;
        path = ExpandPathVariables(ctx, path);
        if (ContainsNoCase(path, "%programfiles%")) {
            actions.FileSystemObject(
                ctx, ReplaceAllNoCase(path, "%programfiles%", ctx.os.env.Variable("programfiles")),
                guard);
            if (Is64BitWindows(ctx.os.env)) {
                actions.FileSystemObject(ctx,
                                         ReplaceAllNoCase(path, "%programfiles%",
                                                          ctx.os.env.Variable("programfiles(x86)")),
                                         guard);
            }
        } else if (path.find("%userprofile%") != std::string::npos) {
            for (const std::string& profile : ProfileList(ctx)) {
                actions.FileSystemObject(ctx, ReplaceAll(path, "%userprofile%", profile), guard);
            }
        } else {
            actions.FileSystemObject(ctx, path, guard);
        }
    }
}

void DeleteStartMenuDefinitions(Context& ctx, LeftoverActions& actions) {
    const std::vector<std::string> entries =
        DefinitionEntries(ctx, ctx.definitions.startMenuFolders);
    if (entries.empty()) {
        return;
    }
    const ProtectedPaths guard = GuardFor(ctx);
    const std::vector<std::string> profiles = ProfileList(ctx);
    const bool newLayout = IsVista(ctx);
    const std::string programData = ctx.os.env.Variable("programdata");
    for (const std::string& entry : entries) {
        for (const std::string& profile : profiles) {
            actions.FileSystemObject(
                ctx, profile + (newLayout ? kRoamingPrograms : kOldPrograms) + entry, guard);
        }
        if (newLayout) {
            actions.FileSystemObject(ctx, programData + kAllUsersPrograms + entry, guard);
        }
    }
}

std::string ExpandPathVariables(Context& ctx, const std::string& text) {
    std::string expanded = text;
    for (const char* name : {"windir", "systemroot", "systemdrive", "homedrive"}) {
        expanded =
            ReplaceAllNoCase(expanded, std::string("%") + name + "%", ctx.os.env.Variable(name));
    }
    return expanded;
}

bool DeleteFileSystemObject(Context& ctx, const std::string& path) {
    return DeleteFileSystemObject(ctx, path, GuardFor(ctx));
}

bool DeleteFileSystemObject(Context& ctx, const std::string& path, const ProtectedPaths& guard) {
    if (Refused(ctx, path, guard)) {
        return false;
    }
    bool deleted = AttemptDeletion(ctx, path);
    if (!deleted || StillThere(ctx, path)) {
        bool subfolders = true;
        std::string owner;
        std::string grantee;
        TakeControl(ctx, path, subfolders, kWindowHidden, owner, grantee);
        (void)UnlockFile(ctx, path);
        if (IsProgramFile(path)) {
            TerminateProgramFile(ctx, path);
        }
        // What the steps above did must not have made the path one to refuse.
        deleted = !Refused(ctx, path, guard) && AttemptDeletion(ctx, path);
    }
    return deleted && !StillThere(ctx, path);
}

bool DeletePathNow(Context& ctx, const std::string& path) {
    return !Refused(ctx, path, GuardFor(ctx)) && AttemptDeletion(ctx, path);
}

}  // namespace kestrel

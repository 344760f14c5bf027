#include "platform/windows_folders.h"

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "core/settings.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/op_sys.h"

namespace kestrel {
namespace {

bool IsTheSystemDrive(Context& ctx, const std::string& drive) {
    return LCase(drive) == LCase(ctx.os.env.Variable("systemdrive"));
}

// A candidate folder is valid when it exists and holds its marker file.
bool HasMarker(Context& ctx, const std::string& folder, const std::string& marker) {
    return DoesDirExist(ctx, folder) && DoesFileExist(ctx, folder + "\\" + marker);
}

bool IsLink(Context& ctx, const std::string& path) {
    RedirectionOff off(ctx.redirection);
    const uint32_t attributes = ctx.os.files.Attributes(path);
    return attributes != os::kInvalidAttributes && (attributes & os::attr::kReparsePoint) != 0;
}

}  // namespace

bool IsGuestOS(Context& ctx, const std::string& drive) {
    if (UCase(drive) == UCase(ctx.os.env.Variable("homedrive"))) {
        return false;
    }
    return UCase(drive) != UCase(ctx.os.env.Variable("windir").substr(0, 2));
}

std::string RunningWindowsFolder(Context& ctx) {
    return ctx.os.env.WindowsDirectory();
}

std::string RunningSystemFolder(Context& ctx) {
    return ctx.os.env.SystemDirectory();
}

std::string PickFolder(Context& ctx, const std::string& prompt, const std::string& startFolder) {
    const std::string root = DoesDirExist(ctx, startFolder) ? startFolder : std::string();
    return ctx.os.prompts.BrowseForFolder(
        0, prompt, root, os::bif::kReturnOnlyFsDirs | os::bif::kEditBox | os::bif::kNewDialogStyle);
}

std::string GetWinDir(Context& ctx, bool ask) {
    const std::string drive = ctx.systemDrive;
    if (!IsGuestOS(ctx, drive)) {
        const std::string folder = RunningWindowsFolder(ctx);
        ctx.debug.Print("IsGuestOS is false, GetWinDir is using GetWindowsDirectory, returns:  " +
                        folder);
        return folder;
    }
    std::string found;
    for (const char* name : {"\\Windows", "\\Winnt"}) {
        if (HasMarker(ctx, drive + name, "explorer.exe")) {
            found = drive + name;
        }
    }
    if (found.empty()) {
        ctx.debug.Print("GetWinDir:  could not find %windir%, moving to manual selection.");
        if (ask) {
            found = PickFolder(ctx,
                               "Could not determine Windows folder on " + UCase(drive) +
                                   " drive.                 Please select the correct Windows "
                                   "folder for " +
                                   UCase(drive) + " drive now:",
                               drive);
        }
    }
    return found;
}

std::string GetSysDir(Context& ctx, bool ask) {
    if (!IsGuestOS(ctx, ctx.systemDrive)) {
        return RunningSystemFolder(ctx);
    }
    const std::string windows = GetWinDir(ctx, ask);
    std::string found;
    if (HasMarker(ctx, windows + "\\system32", "winlogon.exe")) {
        found = windows + "\\system32";
    }
    if (HasMarker(ctx, windows + "\\system", "system.dat")) {
        found = windows + "\\system";
    }
    if (found.empty() && ask) {
        found = PickFolder(ctx,
                           "Could not determine System folder for " + UCase(windows) +
                               "               Please select the correct System or System32 "
                               "folder now:",
                           "");
    }
    return found;
}

bool HasNewProfileLayout(Context& ctx, const std::string& drive) {
    const std::string users = drive + "\\Users";
    return DoesDirExist(ctx, users) &&
           (DoesDirExist(ctx, users + "\\Default") ||
            DoesDirExist(ctx, users + "\\Default User")) &&
           (DoesDirExist(ctx, users + "\\Public") || DoesDirExist(ctx, users + "\\All Users")) &&
           DoesDirExist(ctx, drive + "\\ProgramData");
}

std::string GetUserProfOld(Context& ctx, bool ask) {
    try {
        const std::string drive = ctx.systemDrive;
        if (IsTheSystemDrive(ctx, drive)) {
            const std::string folder = StripNameFromPathQuiet(ctx.os.env.Variable("userprofile"));
            ctx.debug.Print("getuserprofold returns:  " + folder);
            return folder;
        }
        if (HasNewProfileLayout(ctx, drive)) {
            return drive + "\\Users";
        }
        if (DoesDirExist(ctx, drive + "\\Documents and Settings")) {
            return drive + "\\Documents and Settings";
        }
        ctx.debug.Print("GetUserProfOld:  Win9x suspected, no code here.");
        if (ask) {
            return PickFolder(ctx,
                              "Cannot find User Profile directory on " + UCase(drive) +
                                  "  Please select the correct folder (e.g. \\Users or "
                                  "\\Documents and Settings)",
                              drive);
        }
    } catch (const std::exception&) {
        ctx.debug.Print("GetUserProfOld:  Error retrieving userprofile.");
    }
    return {};
}

std::string GetUserProf(Context& ctx, bool ask) {
    try {
        if (IsTheSystemDrive(ctx, ctx.systemDrive)) {
            const std::string folder = clsFSO::Remove_Nulls(ctx.os.system.ProfilesDirectory());
            if (!folder.empty() && DoesDirExist(ctx, folder)) {
                ctx.debug.Print("getuserprof returns:  " + folder);
                return folder;
            }
        }
        return GetUserProfOld(ctx, ask);
    } catch (const std::exception&) {
        ctx.debug.Print("GetUserProf:  Error retrieving userprofile.");
    }
    return {};
}

void GetUserList(Context& ctx, bool ask) {
    try {
        clsFSO fso(ctx);
        std::vector<std::string> profiles;
        for (const std::string& folder :
             Split(fso.Get_DirList(GetUserProf(ctx, ask), false), ";")) {
            if (!folder.empty() && !IsLink(ctx, folder)) {
                profiles.push_back(folder);
            }
        }
        ctx.userList = std::move(profiles);
    } catch (const std::exception&) {
        const std::string text =
            "GetUserList:  Error retrieving userlist from:  " + GetUserProf(ctx, false);
        ctx.debug.Print(text);
        (void)ctx.os.prompts.ShowMessage(text, kProgramTitle, os::mb::kOkOnly);
    }
}

bool IsVista(Context& ctx) {
    return clsOpSys(ctx).IsVista();
}

bool IsWin7(Context& ctx) {
    return clsOpSys(ctx).IsWin7();
}

}  // namespace kestrel

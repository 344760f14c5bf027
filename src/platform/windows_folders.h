#pragma once
// The Windows folder, the system folder and the user profiles of the target system: the
// running Windows, or another installation on the target drive (ctx.systemDrive), a "guest".
// A folder that cannot be found is "" unless the user, asked (ask flag), picks one.

#include <string>

namespace kestrel {

class Context;

// The guest-installation test (IsGuestOS): false for the home drive; otherwise true when the
// drive is not that of the running Windows folder ("windir"). Drive letters ignore case.
bool IsGuestOS(Context& ctx, const std::string& drive);

std::string GetWinDir(Context& ctx, bool ask);
std::string GetSysDir(Context& ctx, bool ask);
// The folder that holds the user profiles.
std::string GetUserProf(Context& ctx, bool ask);
// The same without asking Windows for its profiles directory.
std::string GetUserProfOld(Context& ctx, bool ask);
// Fills ctx.userList with the profile folders of GetUserProf. Links in the profiles folder
// ("All Users", "Default User") lead to other folders and are not profiles: they are left out.
void GetUserList(Context& ctx, bool ask);

// The drive has the profile layout of Windows Vista and later: "\Users" with "\Users\Default"
// (or "Default User") and "\Users\Public" (or "All Users"), and "\ProgramData".
bool HasNewProfileLayout(Context& ctx, const std::string& drive);

// The shell's folder picker, started at startFolder when it exists; "" when cancelled.
std::string PickFolder(Context& ctx, const std::string& prompt, const std::string& startFolder);

// clsOpSys's IsVista and IsWin7 flags of the running Windows.
bool IsVista(Context& ctx);
bool IsWin7(Context& ctx);

// GetWindowsDirectoryA / GetSystemDirectoryA of the running Windows.
std::string RunningWindowsFolder(Context& ctx);
std::string RunningSystemFolder(Context& ctx);

}  // namespace kestrel

#pragma once
// File-system leftovers: the files, folders and start-menu entries that the two definition
// lists name, deleted for every profile and both program-files folders. Nothing protected
// (ProtectedPaths) is ever touched.

#include <string>

#include "engine/leftover_actions.h"

namespace kestrel {

class Context;
class ProtectedPaths;

// Sets ctx.systemDrive from the Windows folder, refreshes the profile list, then applies the
// file-system list and the start-menu list.
void CleanFileSystemLeftovers(Context& ctx, LeftoverActions& actions = DeletingActions());
// Each line of "Kestrel_FileSystemObjects.txt": a leading "\" stands for the system drive's
// root, "%programfiles%" (any case) for each program-files folder, "%userprofile%" (exactly
// so) for each profile of ctx.userList.
void DeleteFileSystemDefinitions(Context& ctx, LeftoverActions& actions = DeletingActions());
// Each line of "Kestrel_StartMenuFolders.txt", below every profile's start-menu programs and,
// on Windows Vista and later, the all-users one.
void DeleteStartMenuDefinitions(Context& ctx, LeftoverActions& actions = DeletingActions());
// "%windir%", "%systemroot%", "%systemdrive%" and "%homedrive%" replaced, ignoring case, in
// that order.
std::string ExpandPathVariables(Context& ctx, const std::string& text);
// Deletes the file or folder, with a second attempt after taking it over, releasing it and
// ending its program. True when it is gone and the last attempt reported success. An empty or
// protected path is refused (false, and a debug line naming it) before anything is done.
bool DeleteFileSystemObject(Context& ctx, const std::string& path);
// The same against protected paths collected once for many calls.
bool DeleteFileSystemObject(Context& ctx, const std::string& path, const ProtectedPaths& guard);
// One deletion attempt; its success. A protected path is refused (false).
bool DeletePathNow(Context& ctx, const std::string& path);

}  // namespace kestrel

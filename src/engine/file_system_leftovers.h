#pragma once
// File-system leftovers: the files, folders and start-menu entries that the two definition
// lists name, deleted for every profile and both program-files folders.

#include <string>

namespace kestrel {

class Context;

void CleanFileSystemLeftovers(Context& ctx);
void DeleteFileSystemDefinitions(Context& ctx);
void DeleteStartMenuDefinitions(Context& ctx);
// "%windir%", "%systemroot%", "%systemdrive%" and "%homedrive%" replaced, ignoring case.
std::string ExpandPathVariables(Context& ctx, const std::string& text);
// Deletes the file or folder, with a second attempt after taking it over, releasing it and
// ending its program. True when it is gone and the last attempt reported success. Protected
// paths are refused (false).
bool DeleteFileSystemObject(Context& ctx, const std::string& path);
// One deletion attempt; its success.
bool DeletePathNow(Context& ctx, const std::string& path);

}  // namespace kestrel

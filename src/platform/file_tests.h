#pragma once
// Existence tests of files and folders. Only absolute paths are tested (a drive path, whose
// second character is ":", or a UNC path, whose second is "\"); anything else does not exist.
// The tests never fail: a missing drive or an access error reads as "does not exist".

#include <string>

namespace kestrel {

class Context;

// True when the file can be opened for reading under its long-path form ("\\?\UNC\..." for
// "\\server\...", "\\?\..." otherwise).
bool OpenLongPath(Context& ctx, const std::string& path);

// An existing file (not a folder), redirection off. Paths of 117 characters or more go to
// OpenLongPath. With log, three debug lines tell what was asked and answered.
bool DoesFileExist(Context& ctx, const std::string& path, bool log = false);
// An existing folder, redirection off.
bool DoesDirExist(Context& ctx, const std::string& path, bool log = false);
// The same without redirection switching.
bool DoesDirExistNo64bitCheck(Context& ctx, const std::string& path, bool log = false);

// "file", "dir" (a folder wins) or "neither".
std::string ClassifyPath(Context& ctx, const std::string& path);

// MakeSureDirectoryPathExists on the path and a trailing "\", redirection off; true when the
// folder exists afterwards.
bool MakeFolderPath(Context& ctx, const std::string& path);

// Windows of an installation is 64-bit: the running one (empty drive) when "ProgramFiles(x86)"
// is set; another one when drive & "\Program Files (x86)" exists.
bool Is64BitInstallation(Context& ctx, const std::string& drive);

}  // namespace kestrel

#pragma once
// Deleting, recycling and moving through the shell's file operation (SHFileOperation). A path
// may end in a wildcard name. Relative paths, drive roots and every-file patterns at a drive
// root are refused: they would reach far more than the caller named.

#include <string>

namespace kestrel {

class Context;

// To the recycle bin; true when nothing of that path (or pattern) remains.
bool Recycle(Context& ctx, const std::string& path, bool silent);
// Deleted for good; true when nothing of that path (or pattern) remains.
bool APIDelete(Context& ctx, const std::string& path, bool silent);
// Moves source (a file, a folder or a pattern) to target; missing folders are made. True when
// the shell reports success. A move of several items that the shell refuses as a whole is
// made again item by item into the target folder, with the same flags.
bool ShellMove(Context& ctx, const std::string& source, const std::string& target, bool silent,
               bool renameOnCollision);

}  // namespace kestrel

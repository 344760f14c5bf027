#pragma once
// The one routine through which lists, the log and the report reach the disk.

#include <string>

namespace kestrel {

class Context;

// Writes text and CR LF to file: replacing the file (overwrite), or appending, or (no
// duplicates) appending only when no line of the file equals text ignoring case. Missing
// folders are made. A replaced file is written beside and then swapped in, so a failed write
// leaves the old file whole. False when the folder cannot be made or the write failed.
bool SaveTextToFile(Context& ctx, const std::string& file, const std::string& text,
                    bool overwrite, bool noDuplicates);

// The same without any debug lines of its own: the writer of the debug file.
bool AppendDebugLine(Context& ctx, const std::string& file, const std::string& text,
                     bool overwrite, bool noDuplicates);

}  // namespace kestrel

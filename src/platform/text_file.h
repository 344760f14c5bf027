#pragma once
// The one routine through which lists, the log and the report reach the disk.

#include <string>
#include <vector>

namespace kestrel {

class Context;

// Writes text and CR LF to file: replacing the file (overwrite), or appending, or (no
// duplicates) appending only when no line of the file equals text ignoring case. Missing
// folders are made. A replaced file is written beside, under a name no file had ("<file>.~tmpN"),
// and then swapped in, so a failed write leaves the old file whole and no other file is touched.
// False when the folder cannot be made or the write failed.
bool SaveTextToFile(Context& ctx, const std::string& file, const std::string& text, bool overwrite,
                    bool noDuplicates);

// Appends the run log, CR LF and "---END---" to "Kestrel_Log.txt" beside the program: the log
// block of an unattended run and of a window session that uninstalled something.
bool AppendRunLogToFile(Context& ctx);

// The same without any debug lines of its own: the writer of the debug file.
bool AppendDebugLine(Context& ctx, const std::string& file, const std::string& text, bool overwrite,
                     bool noDuplicates);

}  // namespace kestrel

namespace kestrel {

// The lines of a text file (CR LF, CR or LF ends a line), redirection off. False, with no
// lines, when the file cannot be read.
[[nodiscard]] bool ReadTextLines(Context& ctx, const std::string& file,
                                 std::vector<std::string>& lines);

}  // namespace kestrel

#pragma once
// FindFiles: the search by file specs that the program uses to find files of a kind.

#include <string>
#include <vector>

namespace kestrel {

class Context;

// The files (not folders) of folder that match one of the specs (Windows patterns separated
// by ";"), as full paths, each path once, in the order found; with recurse, the files of the
// subfolders too. Links are not entered. The search stops when the program's cancel button
// is pressed (ctx.cancelRequested) and yields to the window after each spec. A missing folder
// gives no files; a spec holding a path ("..\*") is passed over.
void FindFiles(Context& ctx, const std::string& folder, const std::string& specs,
               std::vector<std::string>& found, bool recurse);

}  // namespace kestrel

#pragma once
// The 7-Zip fallback: "7z.exe" or "7za.exe" from the program's tools folder tests the archive
// and extracts it. Every step goes to the debug log; nothing is shown.

#include <string>

namespace kestrel {

class Context;

// True when the extraction command was run (its exit code is not judged).
[[nodiscard]] bool UnzipWith7z(Context& ctx, const std::string& sFileToUnzip,
                               const std::string& sDirToExtractTo);

}  // namespace kestrel

#pragma once
// Unpacking a package: the internal reader first, 7-Zip when the reader cannot read it.

#include <string>

#include "zip/status_window.h"

namespace kestrel {

class Context;

// Unpacks sZipFile into sDestFolder (made when missing), keeping folder names and replacing
// existing files. Unless bHidden, window shows the progress. True when the archive was
// unpacked by the reader or by 7-Zip; an archive refused as unsafe is not handed to 7-Zip.
[[nodiscard]] bool UnzipFile(Context& ctx, const std::string& sZipFile,
                             const std::string& sDestFolder, bool bHidden, StatusWindow& window);

}  // namespace kestrel

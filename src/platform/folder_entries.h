#pragma once
// The entries of one folder, as the listings and the deletions walk them.

#include <cstdint>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace kestrel {

class Context;

// The entries of the folder without "." and "..", in the order Windows lists them. 0 (also for
// an empty folder), or the Win32 error: 3 for a missing or relative folder, 123 for a folder
// text with wildcards. The caller switches redirection.
uint32_t ReadFolder(Context& ctx, const std::string& folder, std::vector<os::DirEntry>& entries);

inline bool IsFolderEntry(const os::DirEntry& e) {
    return (e.attributes & os::attr::kDirectory) != 0;
}
// A junction or a symbolic link: never entered, removed as itself.
inline bool IsLinkEntry(const os::DirEntry& e) {
    return (e.attributes & os::attr::kReparsePoint) != 0;
}

// Plain files in folder matching pattern ("*.*" when empty), redirection off.
int16_t CountFiles(Context& ctx, const std::string& folder, const std::string& pattern);

}  // namespace kestrel

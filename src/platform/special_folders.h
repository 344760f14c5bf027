#pragma once
// Special folders by their CSIDL number.

#include <string>

namespace kestrel {

class Context;

inline constexpr int kCsidlWindows = 0x24;
inline constexpr int kCsidlFlagCreate = 0x8000;

// SHGetFolderPathA with CSIDL_FLAG_CREATE; "" on failure.
std::string GetSpecialFolderPath(Context& ctx, int csidl);

}  // namespace kestrel

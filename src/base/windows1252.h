#pragma once
// The windows-1252 code page, in which the program's texts are held, and Unicode.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The code point of a windows-1252 byte. The five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control of the same number, as Windows
// converts them.
uint32_t Windows1252ToUnicode(unsigned char byte);
// The windows-1252 byte of a code point; nothing when the code page has none.
std::optional<char> UnicodeToWindows1252(uint32_t codePoint);
// A windows-1252 text in UTF-8.
std::string Windows1252ToUtf8(std::string_view text);

}  // namespace kestrel

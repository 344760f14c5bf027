#pragma once
// Ascii85 (Adobe variant) over 8-bit texts.

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The Ascii85 text of the bytes: groups of four as five digits ("!" to "u"), a zero group as
// "z", a final partial group of n bytes as n + 1 digits, no line breaks, "~>" at the end and,
// with delimiters, "<~" at the start.
std::string EncodeAscii85(std::string_view bytes, bool delimiters);

// The bytes an Ascii85 text describes. Blanks and control characters are ignored; a leading
// "<~" is skipped, while a leading "<" followed by anything else is the digit 27. Nothing when the
// text does not decode: a "z" inside a group, a character above "u" other than "z" and "~", a "~"
// not followed by ">", no "~>" at all, or a group whose value does not fit 32 bits.
std::optional<std::string> DecodeAscii85Bytes(std::string_view text);

// DecodeAscii85Bytes, with "" for a text that does not decode.
std::string DecodeAscii85(std::string_view text);

}  // namespace kestrel

#pragma once
// The string helpers that all list parsing uses. Comparisons are case-sensitive.

#include <string>
#include <string_view>

namespace kestrel {

// The part after the last "\" (the whole text when there is none).
std::string StripPath(std::string_view path);
// The part before the last "\"; "" when there is none (StripNameFromPath without its debug
// line).
std::string StripNameFromPathQuiet(std::string_view path);
// Every occurrence of remove deleted, again and again until none is left.
std::string Strip(std::string_view text, std::string_view remove);

struct StripOptions {
    bool useFirstDelimiter = false;
    bool trimFront = false;  // StripPreceedingCharacters(result, " ")
    bool trimBack = false;   // StripTrailingCharacters(result, " ")
};
// The part before the first (or last) delimiter; the whole text when it is absent.
std::string StripEndOfString(std::string_view text, std::string_view delimiter,
                             StripOptions options = {});
// The text after the first character of the first (or last) delimiter; the whole text when
// it is absent.
std::string StripBeginningOfString(std::string_view text, std::string_view delimiter,
                                   StripOptions options = {});
// The last (first) character removed as long as it equals the one-character text given.
std::string StripTrailingCharacters(std::string_view text, std::string_view character);
std::string StripPreceedingCharacters(std::string_view text, std::string_view character);

// The search term of a definition line: everything before its last "|".
inline std::string SearchTerm(std::string_view line) {
    return StripEndOfString(line, "|");
}

}  // namespace kestrel

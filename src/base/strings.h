#pragma once
// Text helpers. Texts are 8-bit in the system code page; "ignoring case" follows the
// Windows-1252 letters, and ordering compares character codes.

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

std::string LCase(std::string_view s);
std::string UCase(std::string_view s);
// Blanks (spaces only, as VB's Trim) removed at both ends, at the front, at the back.
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Trim as a view into s, for tests that need no copy.
std::string_view TrimView(std::string_view s);

bool EqualsNoCase(std::string_view a, std::string_view b);
// True when needle occurs in haystack ignoring case; an empty needle occurs everywhere.
bool ContainsNoCase(std::string_view haystack, std::string_view needle);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);

// Every occurrence of from replaced by to, left to right, without rescanning the result.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
std::string ReplaceAllNoCase(std::string_view s, std::string_view from, std::string_view to);

// Split at every occurrence of a one-character or longer separator; "" gives one empty piece.
std::vector<std::string> Split(std::string_view s, std::string_view separator);
std::string Join(const std::vector<std::string>& pieces, std::string_view separator);

// Lines of a text file: CR LF, a lone CR and a lone LF all end a line. A final line end does
// not start another line, so "a\r\n" is one line and "" is none.
std::vector<std::string> SplitLines(std::string_view text);

// VB-style renderings used in log lines.
std::string BoolText(bool b);  // "True" / "False"

// The arguments of a full Windows command line (program name and the blanks after it removed).
std::string CommandArgumentsOf(const std::string& fullCommandLine);

}  // namespace kestrel

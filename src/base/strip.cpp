#include "base/strip.h"

namespace kestrel {
namespace {

std::string Trimmed(std::string s, const StripOptions& options) {
    if (options.trimBack) {
        s = StripTrailingCharacters(s, " ");
    }
    if (options.trimFront) {
        s = StripPreceedingCharacters(s, " ");
    }
    return s;
}

size_t FindDelimiter(std::string_view text, std::string_view delimiter, bool first) {
    if (delimiter.empty()) {
        return std::string_view::npos;
    }
    return first ? text.find(delimiter) : text.rfind(delimiter);
}

}  // namespace

std::string StripPath(std::string_view path) {
    size_t pos = path.rfind('\\');
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string StripNameFromPathQuiet(std::string_view path) {
    size_t pos = path.rfind('\\');
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos));
}

std::string Strip(std::string_view text, std::string_view remove) {
    std::string out(text);
    if (remove.empty()) {
        return out;
    }
    for (size_t pos = out.find(remove); pos != std::string::npos; pos = out.find(remove)) {
        // A removal may join two halves into a new occurrence, so each search starts over.
        out.erase(pos, remove.size());
    }
    return out;
}

std::string StripEndOfString(std::string_view text, std::string_view delimiter,
                             StripOptions options) {
    size_t pos = FindDelimiter(text, delimiter, options.useFirstDelimiter);
    std::string part(pos == std::string_view::npos ? text : text.substr(0, pos));
    return Trimmed(std::move(part), options);
}

std::string StripBeginningOfString(std::string_view text, std::string_view delimiter,
                                   StripOptions options) {
    size_t pos = FindDelimiter(text, delimiter, options.useFirstDelimiter);
    std::string part(pos == std::string_view::npos ? text : text.substr(pos + 1));
    return Trimmed(std::move(part), options);
}

std::string StripTrailingCharacters(std::string_view text, std::string_view character) {
    if (character.size() != 1) {
        return std::string(text);
    }
    size_t end = text.size();
    while (end > 0 && text[end - 1] == character[0]) {
        --end;
    }
    return std::string(text.substr(0, end));
}

std::string StripPreceedingCharacters(std::string_view text, std::string_view character) {
    if (character.size() != 1) {
        return std::string(text);
    }
    size_t begin = 0;
    while (begin < text.size() && text[begin] == character[0]) {
        ++begin;
    }
    return std::string(text.substr(begin));
}

}  // namespace kestrel

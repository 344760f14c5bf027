#include "base/strings.h"

#include <array>

namespace kestrel {
namespace {

struct CaseTables {
    std::array<unsigned char, 256> lower{};
    std::array<unsigned char, 256> upper{};
    constexpr CaseTables() {
        for (int c = 0; c < 256; ++c) {
            lower[c] = upper[c] = static_cast<unsigned char>(c);
        }
        auto pair = [this](int up, int low) {
            lower[up] = static_cast<unsigned char>(low);
            upper[low] = static_cast<unsigned char>(up);
        };
        for (int c = 'A'; c <= 'Z'; ++c) {
            pair(c, c + 32);
        }
        // Windows-1252 letters outside ASCII.
        for (int c = 0xC0; c <= 0xDE; ++c) {
            if (c != 0xD7) {
                pair(c, c + 32);
            }
        }
        pair(0x8A, 0x9A);
        pair(0x8C, 0x9C);
        pair(0x8E, 0x9E);
        pair(0x9F, 0xFF);
    }
};

// Built by the compiler, so a comparison pays no first-use check for every character.
constexpr CaseTables kTables;

char Lower(char c) {
    return static_cast<char>(kTables.lower[static_cast<unsigned char>(c)]);
}

size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from = 0) {
    if (needle.empty()) {
        return from <= haystack.size() ? from : std::string_view::npos;
    }
    if (needle.size() > haystack.size()) {
        return std::string_view::npos;
    }
    for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        size_t j = 0;
        while (j < needle.size() && Lower(haystack[i + j]) == Lower(needle[j])) {
            ++j;
        }
        if (j == needle.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::string LCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = Lower(c);
    }
    return out;
}

std::string UCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(kTables.upper[static_cast<unsigned char>(c)]);
    }
    return out;
}

std::string LTrim(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && s[b] == ' ') {
        ++b;
    }
    return std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ') {
        --e;
    }
    return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string_view TrimView(std::string_view s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) {
        return s.substr(s.size());
    }
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    return FindNoCase(haystack, needle) != std::string_view::npos;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

namespace {

template <class Find>
std::string ReplaceEach(std::string_view s, std::string_view from, std::string_view to, Find find) {
    if (from.empty()) {
        return std::string(s);
    }
    std::string out;
    size_t pos = 0;
    for (size_t hit = find(s, from, pos); hit != std::string_view::npos; hit = find(s, from, pos)) {
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

}  // namespace

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    return ReplaceEach(
        s, from, to, [](std::string_view h, std::string_view n, size_t p) { return h.find(n, p); });
}

std::string ReplaceAllNoCase(std::string_view s, std::string_view from, std::string_view to) {
    return ReplaceEach(s, from, to, [](std::string_view h, std::string_view n, size_t p) {
        return FindNoCase(h, n, p);
    });
}

std::vector<std::string> Split(std::string_view s, std::string_view separator) {
    std::vector<std::string> pieces;
    if (separator.empty()) {
        pieces.emplace_back(s);
        return pieces;
    }
    size_t pos = 0;
    while (true) {
        size_t hit = s.find(separator, pos);
        if (hit == std::string_view::npos) {
            pieces.emplace_back(s.substr(pos));
            return pieces;
        }
        pieces.emplace_back(s.substr(pos, hit - pos));
        pos = hit + separator.size();
    }
}

std::string Join(const std::vector<std::string>& pieces, std::string_view separator) {
    std::string out;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            out.append(separator);
        }
        out.append(pieces[i]);
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

std::string BoolText(bool b) {
    return b ? "True" : "False";
}

std::string CommandArgumentsOf(const std::string& full) {
    size_t i = 0;
    while (i < full.size() && (full[i] == ' ' || full[i] == '\t')) {
        ++i;
    }
    if (i < full.size() && full[i] == '"') {
        size_t close = full.find('"', i + 1);
        i = close == std::string::npos ? full.size() : close + 1;
    } else {
        while (i < full.size() && full[i] != ' ' && full[i] != '\t') {
            ++i;
        }
    }
    while (i < full.size() && (full[i] == ' ' || full[i] == '\t')) {
        ++i;
    }
    return full.substr(i);
}

}  // namespace kestrel

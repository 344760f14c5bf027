#include "net/ascii85.h"

#include <cstdint>

namespace kestrel {
namespace {

void EncodeGroup(uint32_t value, char digits[5]) {
    for (int i = 4; i >= 0; --i) {
        digits[i] = static_cast<char>('!' + value % 85);
        value /= 85;
    }
}

}  // namespace

std::string EncodeAscii85(std::string_view bytes, bool delimiters) {
    std::string out;
    out.reserve(bytes.size() / 4 * 5 + 9);
    if (delimiters) {
        out += "<~";
    }
    size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4) {
        uint32_t value = 0;
        for (size_t k = 0; k < 4; ++k) {
            value = (value << 8) | static_cast<unsigned char>(bytes[i + k]);
        }
        if (value == 0) {
            out += 'z';
            continue;
        }
        char digits[5];
        EncodeGroup(value, digits);
        out.append(digits, 5);
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t value = 0;
        for (size_t k = 0; k < 4; ++k) {
            unsigned char b = k < rest ? static_cast<unsigned char>(bytes[i + k]) : 0;
            value = (value << 8) | b;
        }
        char digits[5];
        EncodeGroup(value, digits);
        out.append(digits, rest + 1);
    }
    out += "~>";
    return out;
}

namespace {

// Checks the text from start and finds where its data end (the "~" of "~>"); digits counts
// the digits before it, a "z" as five. Nothing for a text that is not Ascii85.
std::optional<size_t> FindDataEnd(std::string_view text, size_t start, size_t& digits) {
    digits = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= '!' && c <= 'u') {
            ++digits;
        } else if (c == 'z') {
            if (digits % 5 != 0) {
                return std::nullopt;
            }
            digits += 5;
        } else if (c == '~') {
            if (i + 1 >= text.size() || text[i + 1] != '>') {
                return std::nullopt;
            }
            return i;
        } else if (c > 'u') {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The first bytes of a group's value, most significant first.
void AppendGroup(std::string& out, uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) {
        out += static_cast<char>((value >> (24 - 8 * k)) & 0xFF);
    }
}

// Decodes the checked digits between start and end; a final partial group is padded with the
// highest digit. False when a group's value does not fit four bytes.
bool DecodeDigits(std::string_view text, size_t start, size_t end, std::string& out) {
    uint64_t value = 0;
    int count = 0;
    for (size_t i = start; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 'z') {
            out.append(4, '\0');
        } else if (c >= '!' && c <= 'u') {
            value = value * 85 + (c - '!');
            if (++count == 5) {
                if (value > 0xFFFFFFFFu) {
                    return false;
                }
                AppendGroup(out, value, 4);
                value = 0;
                count = 0;
            }
        }
    }
    if (count > 1) {
        for (int k = count; k < 5; ++k) {
            value = value * 85 + 84;
        }
        if (value > 0xFFFFFFFFu) {
            return false;
        }
        AppendGroup(out, value, count - 1);
    }
    return true;
}

}  // namespace

std::optional<std::string> DecodeAscii85Bytes(std::string_view text) {
    // "<" is also the digit 27, and a text without delimiters may begin with it (every value
    // stored under the key "4152637" does): only "<~" is the opening delimiter.
    const size_t start = (text.size() >= 2 && text[0] == '<' && text[1] == '~') ? 2 : 0;
    size_t digits = 0;
    const std::optional<size_t> end = FindDataEnd(text, start, digits);
    if (!end) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(digits / 5 * 4 + 3);
    if (!DecodeDigits(text, start, *end, out)) {
        return std::nullopt;
    }
    return out;
}

std::string DecodeAscii85(std::string_view text) {
    std::optional<std::string> bytes = DecodeAscii85Bytes(text);
    return bytes ? *bytes : std::string();
}

}  // namespace kestrel

#include "zip/zip_names.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/strings.h"
#include "base/windows1252.h"

namespace kestrel {
namespace {

// CP437 bytes 0x80..0xFF as Unicode code points.
constexpr std::array<uint16_t, 128> kCp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

// The code points of a UTF-8 text; nothing for malformed or overlong sequences.
std::optional<std::vector<uint32_t>> DecodeUtf8(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t len = b < 0x80           ? 1
                     : (b >> 5) == 0x6  ? 2
                     : (b >> 4) == 0xE  ? 3
                     : (b >> 3) == 0x1E ? 4
                                        : 0;
        if (len == 0 || i + len > s.size()) {
            return std::nullopt;
        }
        uint32_t cp = len == 1 ? b : b & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::optional<std::string> ToAnsi(const std::string& raw, bool utf8) {
    std::string out;
    if (utf8) {
        const auto points = DecodeUtf8(raw);
        if (!points) {
            return std::nullopt;
        }
        for (uint32_t cp : *points) {
            const auto c = UnicodeToWindows1252(cp);
            if (!c) {
                return std::nullopt;
            }
            out += *c;
        }
        return out;
    }
    for (char ch : raw) {
        const auto b = static_cast<unsigned char>(ch);
        const auto c = UnicodeToWindows1252(b < 0x80 ? b : kCp437High[b - 0x80]);
        if (!c) {
            return std::nullopt;
        }
        out += *c;
    }
    return out;
}

bool IsDeviceName(std::string_view component) {
    // Windows takes the device for the name alone and with any extension ("nul.txt"), and
    // ignores blanks before the extension.
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (EqualsNoCase(base, device)) {
            return true;
        }
    }
    if (base.size() == 4 &&
        (EqualsNoCase(base.substr(0, 3), "COM") || EqualsNoCase(base.substr(0, 3), "LPT"))) {
        return base[3] >= '1' && base[3] <= '9';
    }
    return false;
}

ZipName Refused(std::string reason) {
    ZipName name;
    name.reason = std::move(reason);
    return name;
}

}  // namespace

std::string PrintableZipName(const std::string& raw) {
    std::string shown = raw;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return shown;
}

ZipName CheckZipName(const std::string& raw, bool utf8) {
    const std::optional<std::string> ansi = ToAnsi(raw, utf8);
    if (!ansi) {
        return Refused("its name cannot be written in the ANSI code page");
    }
    std::string name = *ansi;
    for (char& c : name) {
        if (c == '/') {
            c = '\\';
        }
    }
    if (name.empty()) {
        return Refused("its name is empty");
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return Refused("its name has control characters");
        }
    }
    if (name.front() == '\\') {
        return Refused("its name is an absolute path");
    }
    if (name.find(':') != std::string::npos) {
        return Refused("its name has a drive letter or a colon");
    }
    if (name.find_first_of("<>\"|?*") != std::string::npos) {
        return Refused("its name has characters that Windows does not allow");
    }

    ZipName result;
    result.folder = name.back() == '\\';
    size_t start = 0;
    while (start < name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        const std::string_view component(name.data() + start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") {
            continue;  // "a//b" and "a/./b" name "a\b", as unzip reads them
        }
        if (component == "..") {
            return Refused("its name has a \"..\" component");
        }
        if (component.back() == '.' || component.back() == ' ') {
            return Refused("its name has a part that ends in a dot or a blank");
        }
        if (IsDeviceName(component)) {
            return Refused("its name has a reserved device name");
        }
        if (!result.path.empty()) {
            result.path += '\\';
        }
        result.path += component;
    }
    if (result.path.empty()) {
        return Refused("its name names no file");
    }
    result.ok = true;
    return result;
}

}  // namespace kestrel

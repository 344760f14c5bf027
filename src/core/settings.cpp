#include "core/settings.h"

#include <cstdint>
#include <optional>

#include "base/number.h"
#include "base/strip.h"
#include "core/context.h"

namespace kestrel {
namespace {

// A value longer than this is not a setting but a damaged file; reading stops there.
constexpr uint32_t kMaxIniValue = 16u * 1024u * 1024u;

}  // namespace

std::string ProgramFilePath(Context& ctx) {
    std::string path = ctx.os.env.ProgramFile();
    size_t nul = path.find('\0');
    return nul == std::string::npos ? path : path.substr(0, nul);
}

std::string AppPath(Context& ctx) {
    return StripNameFromPathQuiet(ProgramFilePath(ctx)) + "\\";
}

std::string ProgramName(Context& ctx) {
    std::string name = StripPath(ProgramFilePath(ctx));
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ReadIniSection(Context& ctx, const std::string& file, const std::string& section,
                           const std::string& key) {
    uint32_t size = 255;
    while (true) {
        std::string text;
        uint32_t count = ctx.os.ini.GetString(section, key, "", size, file, text);
        if (count == 0) {
            return {};
        }
        if (count != size - 1 || size >= kMaxIniValue) {
            return text.substr(0, count);
        }
        size *= 2;
    }
}

void WriteIni(Context& ctx, const std::string& file, const std::string& section,
              const std::string& key, const std::string& value) {
    (void)ctx.os.ini.WriteString(section, key, value, file);
}

std::string AppVersionText(Context& ctx, const std::string& release, const std::string& extra) {
    const os::VersionNumbers v = ctx.os.env.ProgramVersion();
    std::string text =
        std::string(kProgramTitle) + " v" + std::to_string(v.major) + "." + std::to_string(v.minor);
    if (v.revision > 0) {
        text += "." + std::to_string(v.revision);
    }
    if (release == "A") {
        text += " ALPHA";
    } else if (release == "B") {
        text += " BETA";
    } else {
        text += " " + release;
    }
    if (!extra.empty()) {
        text += "- " + extra;
    }
    return text;
}

bool SettingFlagOn(const std::string& value) {
    std::optional<double> n = ParseDecimal(value);
    return n && *n == 1.0;
}

bool CommandLineFlagOn(const std::string& value) {
    std::optional<double> n = ParseDecimal(value);
    return !n || *n == 1.0;
}

}  // namespace kestrel

#include "app/settings.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "app/context.h"
#include "app/strings.h"
#include "app/strip.h"
#include "app/text_file.h"
#include "platform/file_tests.h"

namespace kestrel {
namespace {

// A value longer than this is not a setting but a damaged file; reading stops there.
constexpr uint32_t kMaxIniValue = 16u * 1024u * 1024u;

std::optional<double> ParseNumber(const std::string& value) {
    std::string t = Trim(value);
    if (t.empty()) {
        return std::nullopt;
    }
    size_t start = (t[0] == '+') ? 1 : 0;
    double number = 0;
    auto [end, ec] = std::from_chars(t.data() + start, t.data() + t.size(), number);
    if (ec != std::errc() || end != t.data() + t.size()) {
        return std::nullopt;
    }
    return number;
}

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

void InitAppSettings(Context& ctx, bool setAppIni, bool ownIni, bool debugFile) {
    try {
        const std::string appPath = AppPath(ctx);
        const std::string name = ProgramName(ctx);
        if (setAppIni) {
            if (ownIni) {
                ctx.settingsFile = appPath + name + ".ini";
            } else {
                if (!DoesDirExist(ctx, appPath + "Config")) {
                    (void)MakeFolderPath(ctx, appPath + "Config");
                }
                ctx.settingsFile = appPath + "Config\\" + name + ".ini";
            }
        }
        if (debugFile) {
            ctx.debugFileOn = true;
            ctx.debugFile = appPath + name + ".log";
        }
        if (ctx.debugFileOn) {
            const std::string folder = appPath + "Debug";
            if (!DoesDirExist(ctx, folder)) {
                (void)MakeFolderPath(ctx, folder);
            }
            if (DoesDirExist(ctx, folder)) {
                ctx.debugFile = folder + "\\DebugOutput - " + name + " " +
                                std::to_string(CountFiles(ctx, folder, "") + 1) + ".txt";
            } else {
                ctx.debugFileOn = false;
            }
        }
        if (ctx.debugFileOn) {
            ctx.debug.SetFileSink([&ctx](const std::string& line) {
                (void)AppendDebugLine(ctx, ctx.debugFile, ctx.os.clock.TimeOfDay() + line, false,
                                      false);
            });
        }
        ctx.debug.Print("");
        ctx.debug.Print(ctx.os.clock.ShortDate() + " - Starting " + AppVersionText(ctx, "", ""));
        ctx.debug.Print(std::string(40, '-'));
    } catch (const std::exception& e) {
        ctx.debug.Error("CommonModule\\InitAppSettings VB ERROR: ", ExceptionError(e),
                        {"\t- bSetAppINI=" + ToText(setAppIni)});
    }
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

int16_t CountFiles(Context& ctx, const std::string& folder, const std::string& pattern) {
    std::string dir = folder;
    if (dir.empty() || dir.back() != '\\') {
        dir += '\\';
    }
    RedirectionOff off(ctx.redirection);
    std::vector<os::DirEntry> entries;
    if (ctx.os.files.List(dir + (pattern.empty() ? "*.*" : pattern), entries) != 0) {
        return 0;
    }
    int count = 0;
    for (const os::DirEntry& e : entries) {
        if ((e.attributes & os::attr::kDirectory) == 0 && count < INT16_MAX) {
            ++count;
        }
    }
    return static_cast<int16_t>(count);
}

bool SettingFlagOn(const std::string& value) {
    std::optional<double> n = ParseNumber(value);
    return n && *n == 1.0;
}

bool CommandLineFlagOn(const std::string& value) {
    std::optional<double> n = ParseNumber(value);
    return !n || *n == 1.0;
}

}  // namespace kestrel

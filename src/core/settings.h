#pragma once
// The settings file, the program's folder and version, and INI access.

#include <string>

namespace kestrel {

class Context;

inline constexpr const char* kProgramTitle = "Kestrel";

// The full path of the running program file.
std::string ProgramFilePath(Context& ctx);
// The program's folder with a trailing "\".
std::string AppPath(Context& ctx);
// The program file's name without folder and extension ("Kestrel").
std::string ProgramName(Context& ctx);

// The value, read whole whatever its length; "" when the key or the file is missing.
std::string ReadIniSection(Context& ctx, const std::string& file, const std::string& section,
                           const std::string& key);
// Creates file, section and key as needed.
void WriteIni(Context& ctx, const std::string& file, const std::string& section,
              const std::string& key, const std::string& value);

// "Kestrel v1.0 " and the like: title, " v", major, ".", minor (and "." revision when above
// 0), then " ALPHA" for "A", " BETA" for "B", otherwise " " & release; then "- " & extra.
std::string AppVersionText(Context& ctx, const std::string& release, const std::string& extra);

// A flag as the settings store it ("1"/"0"): on when the value converts to the number 1.
bool SettingFlagOn(const std::string& value);
// The command line's reading of a flag: a value that is not a number at all (missing, empty,
// text) counts as on, as the unattended road has always treated it; otherwise on when it is 1.
bool CommandLineFlagOn(const std::string& value);

}  // namespace kestrel

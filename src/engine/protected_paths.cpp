#include "engine/protected_paths.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "platform/special_folders.h"
#include "platform/windows_folders.h"

namespace kestrel {
namespace {

// "<", ">" and '"' are wildcards to the file search of Windows as well.
bool HasWildcardCharacter(std::string_view name) {
    return name.find_first_of("*?<>\"") != std::string_view::npos;
}

// An 8.3 alias ("PROGRA~1") may stand for any long name: what it reaches is not known.
bool LooksLikeShortName(std::string_view name) {
    for (size_t i = name.find('~'); i != std::string_view::npos; i = name.find('~', i + 1)) {
        if (i + 1 < name.size() && name[i + 1] >= '0' && name[i + 1] <= '9') {
            return true;
        }
    }
    return false;
}

std::string PathText(const NormalPath& path, size_t nameCount) {
    std::string text = path.drive;
    for (size_t i = 0; i < nameCount; ++i) {
        text += '\\';
        text += path.names[i];
    }
    return text;
}

bool IsLink(Context& ctx, const std::string& path) {
    RedirectionOff off(ctx.redirection);
    const uint32_t attributes = ctx.os.files.Attributes(path);
    return attributes != os::kInvalidAttributes && (attributes & os::attr::kReparsePoint) != 0;
}

// Where the start menus of one profile, or of all users, keep their programs, in the layout of
// Windows Vista and later and in the older one.
const char* const kProgramsFolders[] = {
    "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
    "\\Microsoft\\Windows\\Start Menu\\Programs",
    "\\Start Menu\\Programs",
};

// The folders of a profile that hold the user's own files or every program's data.
const char* const kShellFolders[] = {
    "\\AppData\\Local",
    "\\AppData\\LocalLow",
    "\\AppData\\Roaming",
    "\\Application Data",
    "\\Local Settings",
    "\\Desktop",
    "\\Documents",
    "\\My Documents",
    "\\Downloads",
    "\\Favorites",
    "\\Music",
    "\\Pictures",
    "\\Videos",
};

void AddStartMenus(ProtectedPaths& paths, const std::string& base) {
    for (const char* programs : kProgramsFolders) {
        paths.Add(base + programs);
        paths.Add(base + programs + "\\Startup");
    }
}

}  // namespace

std::optional<NormalPath> NormalizeLocalPath(std::string_view path) {
    std::string text(path);
    for (char& c : text) {
        if (c == '/') {
            c = '\\';
        }
    }
    for (std::string_view prefix : {"\\\\?\\", "\\\\.\\", "\\??\\"}) {
        if (StartsWith(text, prefix)) {
            text.erase(0, prefix.size());
            break;
        }
    }
    const bool letter =
        !text.empty() && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
    if (!letter || text.size() < 2 || text[1] != ':' || (text.size() > 2 && text[2] != '\\')) {
        return std::nullopt;
    }
    NormalPath out;
    out.drive = LCase(text.substr(0, 2));
    for (std::string& name : Split(std::string_view(text).substr(2), "\\")) {
        if (name == "..") {
            if (!out.names.empty()) {
                out.names.pop_back();
            }
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
            name.pop_back();
        }
        if (name.find(':') != std::string::npos) {
            return std::nullopt;
        }
        if (!name.empty()) {
            out.names.push_back(LCase(name));
        }
    }
    return out;
}

bool Holds(const NormalPath& outer, const NormalPath& inner) {
    if (outer.drive != inner.drive || outer.names.size() > inner.names.size()) {
        return false;
    }
    for (size_t i = 0; i < outer.names.size(); ++i) {
        if (outer.names[i] != inner.names[i]) {
            return false;
        }
    }
    return true;
}

void ProtectedPaths::Add(std::string_view path) {
    if (std::optional<NormalPath> normal = NormalizeLocalPath(path)) {
        m_paths.push_back(std::move(*normal));
    }
}

ProtectedPaths ProtectedPaths::Collect(Context& ctx) {
    ProtectedPaths paths;
    auto var = [&ctx](const char* name) { return ctx.os.env.Variable(name); };
    const std::string appPath = AppPath(ctx);
    for (const std::string& drive : {var("systemdrive"), ctx.systemDrive, appPath.substr(0, 2)}) {
        if (drive.size() == 2) {
            paths.Add(drive + "\\");
        }
    }
    paths.Add(appPath);

    for (const std::string& windows :
         {var("windir"), var("systemroot"), GetSpecialFolderPath(ctx, kCsidlWindows),
          RunningWindowsFolder(ctx)}) {
        if (windows.empty()) {
            continue;
        }
        paths.Add(windows);
        for (const char* system : {"\\System32", "\\SysWOW64", "\\Sysnative"}) {
            paths.Add(windows + system);
        }
    }
    paths.Add(RunningSystemFolder(ctx));

    for (const char* name : {"programfiles", "programfiles(x86)", "programw6432"}) {
        const std::string folder = var(name);
        if (!folder.empty()) {
            paths.Add(folder);
            paths.Add(folder + "\\Common Files");
        }
    }
    for (const char* name :
         {"commonprogramfiles", "commonprogramfiles(x86)", "commonprogramw6432"}) {
        paths.Add(var(name));
    }

    for (const char* name : {"programdata", "allusersprofile"}) {
        const std::string folder = var(name);
        if (!folder.empty()) {
            paths.Add(folder);
            AddStartMenus(paths, folder);
        }
    }

    std::vector<std::string> profiles;
    for (const std::string& profile : ctx.userList) {
        if (profile.size() > 1) {
            profiles.push_back(profile);
        }
    }
    profiles.push_back(var("userprofile"));
    profiles.push_back(var("public"));
    const std::string profilesFolder = GetUserProf(ctx, false);
    if (!profilesFolder.empty()) {
        paths.Add(profilesFolder);
        for (const char* name : {"\\Public", "\\Default", "\\All Users", "\\Default User"}) {
            profiles.push_back(profilesFolder + name);
        }
    }
    for (const std::string& profile : profiles) {
        if (profile.empty()) {
            continue;
        }
        paths.Add(profile);
        for (const char* folder : kShellFolders) {
            paths.Add(profile + folder);
        }
        AddStartMenus(paths, profile);
    }
    return paths;
}

bool ProtectedPaths::HoldsProtected(const NormalPath& path) const {
    for (const NormalPath& protectedPath : m_paths) {
        if (Holds(path, protectedPath)) {
            return true;
        }
    }
    return false;
}

std::string ProtectedPaths::Refusal(Context& ctx, const std::string& path) const {
    const std::optional<NormalPath> normal = NormalizeLocalPath(path);
    if (!normal) {
        return "not a local path";
    }
    const std::vector<std::string>& names = normal->names;
    // Names from the first uncertain one on (a wildcard or a short name) may reach anything
    // in the folder that holds it: that folder decides.
    size_t certain = names.size();
    for (size_t i = 0; i < names.size(); ++i) {
        const bool wildcard = HasWildcardCharacter(names[i]);
        if (wildcard && i + 1 < names.size()) {
            return "a wildcard before the last name";
        }
        if ((wildcard || LooksLikeShortName(names[i])) && certain == names.size()) {
            certain = i;
        }
    }
    NormalPath holder{normal->drive, {names.begin(), names.begin() + certain}};
    if (holder.names.empty()) {
        return certain == names.size() ? "a drive root" : "matches in a drive root";
    }
    if (HoldsProtected(holder)) {
        return certain == names.size() ? "a protected folder or one that holds one"
                                       : "matches in a protected folder";
    }
    for (size_t count = 1; count <= certain; ++count) {
        if (IsLink(ctx, PathText(holder, count))) {
            return "a link or a path through one";
        }
    }
    return {};
}

}  // namespace kestrel

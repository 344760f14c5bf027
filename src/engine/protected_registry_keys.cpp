#include "engine/protected_registry_keys.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "base/strings.h"

namespace kestrel {
namespace {

// The vital keys below a hive root, lower case. Those below "software" hold in the 32-bit
// view too ("software\wow6432node\..."); "system\currentcontrolset" stands for every
// "system\controlsetNNN" as well.
constexpr std::array kVitalSoftwareKeys = {
    "",
    "classes",
    "microsoft",
    "microsoft\\windows",
    "microsoft\\windows\\currentversion",
    "microsoft\\windows\\currentversion\\run",
    "microsoft\\windows\\currentversion\\runonce",
    "microsoft\\windows\\currentversion\\uninstall",
    "microsoft\\windows\\currentversion\\policies",
    "microsoft\\windows nt",
    "microsoft\\windows nt\\currentversion",
    "policies",
};
constexpr std::array kVitalOtherKeys = {
    "software\\wow6432node",
    "system",
    "system\\currentcontrolset",
    "system\\currentcontrolset\\services",
    "control panel",
    "environment",
};

std::string TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string FoldWow6432Node(std::string text) {
    for (;;) {
        std::string folded = ReplaceAllNoCase(text, "\\Wow6432Node\\", "\\");
        if (folded == text) {
            return text;
        }
        text = std::move(folded);
    }
}

// The non-empty pieces between backslashes.
std::vector<std::string> Components(std::string_view path) {
    std::vector<std::string> parts;
    for (std::string& piece : Split(path, "\\")) {
        if (!piece.empty()) {
            parts.push_back(std::move(piece));
        }
    }
    return parts;
}

bool IsControlSet(std::string_view name) {
    constexpr std::string_view kPrefix = "controlset";
    return name.size() > kPrefix.size() && name.substr(0, kPrefix.size()) == kPrefix &&
           std::all_of(name.begin() + kPrefix.size(), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The lower-case form compared with the vital keys: numbered control sets count as the
// current one.
std::string ComparableForm(std::string_view keyPath) {
    std::vector<std::string> parts = Components(LCase(NormaliseKeyPath(keyPath)));
    if (parts.size() >= 2 && parts[0] == "system" && IsControlSet(parts[1])) {
        parts[1] = "currentcontrolset";
    }
    return Join(parts, "\\");
}

// vital equals path or lies below it.
bool Holds(const std::string& path, std::string_view vital) {
    return vital == path || (vital.size() > path.size() && vital.substr(0, path.size()) == path &&
                             vital[path.size()] == '\\');
}

bool HoldsVital(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    for (const char* below : kVitalSoftwareKeys) {
        const std::string tail = *below == '\0' ? "" : std::string("\\") + below;
        if (Holds(path, "software" + tail) || Holds(path, "software\\wow6432node" + tail)) {
            return true;
        }
    }
    return std::any_of(kVitalOtherKeys.begin(), kVitalOtherKeys.end(),
                       [&](const char* vital) { return Holds(path, vital); });
}

}  // namespace

std::string NormaliseKeyPath(std::string_view path) {
    return TrimBlanks(Join(Components(FoldWow6432Node(TrimBlanks(path))), "\\"));
}

KeyDefinition SplitAtLastBackslash(std::string_view path) {
    const size_t last = path.rfind('\\');
    if (last == std::string_view::npos) {
        return {std::string(path), std::string(path)};
    }
    return {std::string(path.substr(0, last)), std::string(path.substr(last + 1))};
}

KeyDefinition SplitKeyDefinition(std::string_view entry) {
    return SplitAtLastBackslash(NormaliseKeyPath(entry));
}

KeyDefinition SplitValueDefinition(std::string_view entry) {
    std::string text = FoldWow6432Node(TrimBlanks(entry));
    text.erase(0, text.find_first_not_of('\\'));
    KeyDefinition value = SplitAtLastBackslash(text);
    value.parent = NormaliseKeyPath(value.parent);
    if (value.parent.empty()) {
        return {};
    }
    return value;
}

bool HoldsVitalRegistryKey(std::string_view keyPath) {
    return HoldsVital(ComparableForm(keyPath));
}

bool IsRefusedKeyDefinition(std::string_view entry) {
    const KeyDefinition key = SplitKeyDefinition(entry);
    const std::string target = ComparableForm(key.parent + "\\" + key.name);
    return HoldsVitalRegistryKey(entry) || HoldsVital(target) ||
           target.find('\\') == std::string::npos;
}

}  // namespace kestrel

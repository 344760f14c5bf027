#include <vector>

#include "base/strings.h"
#include "core/context.h"
#include "core/fs_redirection.h"
#include "platform/registry.h"
#include "platform/registry_detail.h"

namespace kestrel {
namespace {

constexpr TopKeyName kTopKeys[] = {
    {"HKCU", os::kHkeyCurrentUser, "HKEY_CURRENT_USER"},
    {"HKLM", os::kHkeyLocalMachine, "HKEY_LOCAL_MACHINE"},
    {"HKU", os::kHkeyUsers, "HKEY_USERS"},
    {"HKDD", os::kHkeyDynData, "HKEY_DYN_DATA"},
    {"HKCC", os::kHkeyCurrentConfig, "HKEY_CURRENT_CONFIG"},
    {"HKCR", os::kHkeyClassesRoot, "HKEY_CLASSES_ROOT"},
};

// An existing file of that name, as a directory lookup of the text finds it: wildcards would
// name no single file, and a folder does not count.
bool NamesAFile(Context& ctx, const std::string& text) {
    if (text.empty() || text.find_first_of("*?") != std::string::npos) {
        return false;
    }
    std::vector<os::DirEntry> entries;
    if (ctx.os.files.List(text, entries) != 0) {
        return false;
    }
    for (const os::DirEntry& e : entries) {
        if ((e.attributes & os::attr::kDirectory) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

os::RegKey fTopKey(Context& ctx, const std::string& topKey) {
    os::RegKey handle = 0;
    try {
        if (const TopKeyName* t = FindTopKey(topKey)) {
            return t->key;
        }
        if (NamesAFile(ctx, topKey)) {
            handle = kIniFileTarget;
        }
    } catch (const std::exception& e) {
        ctx.debug.Error("modRegistry\\fTopKey - VB ERROR: ", ExceptionError(e),
                        {"\t- Passed: " + topKey, "\t- Returned: " + ToText(handle)});
    }
    return handle;
}

const TopKeyName* FindTopKey(const std::string& text) {
    const std::string upper = UCase(text);
    for (const TopKeyName& t : kTopKeys) {
        if (upper == t.abbreviation) {
            return &t;
        }
    }
    return nullptr;
}

ViewedPath ApplyRegistryViewRule(Context& ctx, const std::string& keyPath) {
    if (!Is64BitWindows(ctx.os.env)) {
        return {keyPath, os::RegView::kDefault};
    }
    if (!ContainsNoCase(keyPath, "wow6432node")) {
        return {keyPath, os::RegView::k64};
    }
    if (ContainsNoCase(keyPath, "guest_")) {
        return {keyPath, os::RegView::k32};
    }
    return {ReplaceAll(LCase(keyPath), "wow6432node\\", ""), os::RegView::k32};
}

std::string JoinKeyPath(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "\\" + name;
}

os::RegView WriteView(Context& ctx) {
    return Is64BitWindows(ctx.os.env) ? os::RegView::k64 : os::RegView::kDefault;
}

std::string RegDataText(const RegData& data) {
    if (const auto* s = std::get_if<std::string>(&data)) {
        return *s;
    }
    if (const auto* b = std::get_if<bool>(&data)) {
        return BoolText(*b);
    }
    return std::to_string(std::get<int32_t>(data));
}

std::string NulsAsBars(const std::string& text) {
    std::string shown = text;
    for (char& c : shown) {
        if (c == '\0') {
            c = '|';
        }
    }
    return shown;
}

}  // namespace kestrel

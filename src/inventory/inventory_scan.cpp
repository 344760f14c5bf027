#include "inventory/inventory_scan.h"

#include "base/strings.h"
#include "core/context.h"
#include "inventory/app_filters.h"
#include "platform/file_tests.h"
#include "platform/registry.h"
#include "platform/text_file.h"

namespace kestrel {
namespace {

const std::vector<std::string> kValueNames = {
    "DisplayName", "UninstallString", "QuietUninstallString", "ParentDisplayName", "Publisher"};

// A value as the text Windows shows for it: it ends at its first NUL (a string stored with
// embedded NULs, or a number read as text, shows no bytes past it anywhere else).
void CutAtNul(std::string& value) {
    const size_t nul = value.find('\0');
    if (nul != std::string::npos) {
        value.erase(nul);
    }
}

// Adds the records of one Uninstall key; false when the key cannot be listed.
bool ScanKey(Context& ctx, const std::string& base, const std::vector<std::string>& whitelist,
             std::vector<std::string>& records) {
    std::string list;
    if (fEnumKey(ctx, "HKLM", base, list) != 0) {
        return false;
    }
    std::vector<std::string> subkeys = Split(list, std::string(1, '\0'));
    std::erase(subkeys, std::string());
    std::vector<std::vector<std::string>> all;
    (void)ReadSubkeyTextValues(ctx, "HKLM", base, subkeys, kValueNames, all);
    for (size_t k = 0; k < subkeys.size(); ++k) {
        const std::string& subkey = subkeys[k];
        std::vector<std::string>& values = all[k];
        for (std::string& value : values) {
            CutAtNul(value);
        }
        AppRecordFields app;
        app.displayName = std::move(values[0]);
        std::string& uninstall = values[1];
        std::string& quiet = values[2];
        const std::string& parent = values[3];
        app.publisher = std::move(values[4]);
        if (!parent.empty() || app.displayName.empty() || IsWindowsUpdateName(app.displayName) ||
            WhitelistProtects(whitelist, app.displayName, app.publisher)) {
            continue;
        }
        app.subkeyName = subkey;
        app.uninstallCommand = std::move(quiet.empty() ? uninstall : quiet);
        records.push_back(MakeAppRecord(app));
    }
    return true;
}

}  // namespace

std::vector<std::string> ReadListLines(Context& ctx, const std::string& file) {
    std::vector<std::string> lines;
    if (DoesFileExist(ctx, file)) {
        (void)ReadTextLines(ctx, file, lines);
    }
    return lines;
}

std::vector<std::string> ScanInstalledApps(Context& ctx,
                                           const std::vector<std::string>& whitelist) {
    std::vector<std::string> records;
    if (ScanKey(ctx, kUninstallKey, whitelist, records)) {
        (void)ScanKey(ctx, kUninstallKey32, whitelist, records);
    }
    return records;
}

void EnumerateInstalledApps(Context& ctx, AppLists& lists) {
    const std::vector<std::string> blacklist = ReadListLines(ctx, ctx.definitions.blacklist);
    const std::vector<std::string> whitelist = ReadListLines(ctx, ctx.definitions.whitelist);
    std::vector<std::string> records = ScanInstalledApps(ctx, whitelist);
    SortCollection(records, true);
    PlaceApps(lists, records, blacklist);
}

}  // namespace kestrel

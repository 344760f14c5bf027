#include "inventory/inventory_scan.h"

#include "base/strings.h"
#include "core/context.h"
#include "inventory/app_filters.h"
#include "inventory/installed_apps.h"
#include "platform/file_tests.h"
#include "platform/registry.h"
#include "platform/text_file.h"

namespace kestrel {
namespace {

// Adds the records of one Uninstall key; false when the key cannot be listed.
bool ScanRoot(Context& ctx, const UninstallRoot& root, const std::vector<std::string>& whitelist,
              std::vector<std::string>& records) {
    std::vector<InstalledApp> apps;
    if (!ReadInstalledApps(ctx, root, apps)) {
        return false;
    }
    for (InstalledApp& app : apps) {
        AppRecordFields& f = app.fields;
        if (!app.parentDisplayName.empty() || f.displayName.empty() ||
            IsWindowsUpdateName(f.displayName) ||
            WhitelistProtects(whitelist, f.displayName, f.publisher)) {
            continue;
        }
        f.user = root.user;
        records.push_back(MakeAppRecord(f));
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
    const std::vector<UninstallRoot> roots = UninstallRoots(ctx);
    for (size_t i = 0; i < roots.size(); ++i) {
        // When the machine's first key cannot be listed its second is not read either; each
        // user's key stands on its own.
        if (!ScanRoot(ctx, roots[i], whitelist, records) && i == 0) {
            ++i;
        }
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

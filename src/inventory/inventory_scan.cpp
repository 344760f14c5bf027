#include "inventory/inventory_scan.h"

#include "base/strings.h"
#include "core/context.h"
#include "inventory/app_filters.h"
#include "inventory/installed_apps.h"
#include "platform/file_tests.h"
#include "platform/registry.h"
#include "platform/text_file.h"

namespace kestrel {

std::vector<std::string> ReadListLines(Context& ctx, const std::string& file) {
    std::vector<std::string> lines;
    if (DoesFileExist(ctx, file)) {
        (void)ReadTextLines(ctx, file, lines);
    }
    return lines;
}

bool ShownInLists(const InstalledApp& app, const std::vector<std::string>& whitelist) {
    const AppRecordFields& f = app.fields;
    return app.parentDisplayName.empty() && !f.displayName.empty() &&
           !IsWindowsUpdateName(f.displayName) &&
           !WhitelistProtects(whitelist, f.displayName, f.publisher);
}

std::vector<std::string> ScanInstalledApps(Context& ctx,
                                           const std::vector<std::string>& whitelist) {
    std::vector<std::string> records;
    for (const InstalledApp& app : ReadEveryInstalledApp(ctx)) {
        if (ShownInLists(app, whitelist)) {
            records.push_back(MakeAppRecord(app.fields));
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

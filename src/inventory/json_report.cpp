#include "inventory/json_report.h"

#include <cstdio>

#include "base/civil_date.h"
#include "base/json_writer.h"
#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "inventory/app_filters.h"
#include "inventory/inventory_scan.h"
#include "inventory/matching.h"
#include "platform/op_sys.h"
#include "platform/text_file.h"

namespace kestrel {
namespace {

void WriteApp(JsonWriter& json, const InstalledApp& app, const BlacklistTerms& terms,
              bool blacklistRead, const std::vector<std::string>& whitelist) {
    const AppRecordFields& f = app.fields;
    const std::optional<std::string> term = MatchingTerm(terms, f.displayName, f.publisher);
    const std::optional<std::string> hiding = HidingTerm(terms, f.displayName, f.publisher);
    const std::string* protecting =
        ProtectingWhitelistLine(whitelist, f.displayName, f.publisher);
    const std::string protectingLine = protecting == nullptr ? std::string() : *protecting;
    const bool update = IsWindowsUpdateName(f.displayName);
    // Where the window and the text report place it (PlaceApps); hidden ones are in neither.
    const char* list = nullptr;
    if (ShownInLists(app, whitelist) && !(blacklistRead && hiding)) {
        list = blacklistRead && term ? "Matching Blacklist" : "Not in Defs";
    }
    json.BeginObject();
    json.Key("displayName").String(f.displayName);
    json.Key("publisher").StringOrNull(f.publisher);
    json.Key("displayVersion").StringOrNull(app.displayVersion);
    json.Key("installDate").StringOrNull(app.installDate);
    json.Key("registry").BeginObject();
    json.Key("hive").String(app.root.topKey);
    json.Key("view").String(app.root.view);
    json.Key("key").String(app.KeyPath());
    json.EndObject();
    json.Key("user").StringOrNull(app.root.user);
    json.Key("uninstallCommand").StringOrNull(f.uninstallCommand);
    json.Key("parentDisplayName").StringOrNull(app.parentDisplayName);
    json.Key("blacklist").BeginObject();
    json.Key("matches").Bool(blacklistRead && term.has_value());
    json.Key("term").StringOrNull(blacklistRead && term ? *term : std::string());
    json.Key("hiddenByDisabledLine")
        .StringOrNull(blacklistRead && hiding ? *hiding : std::string());
    json.EndObject();
    json.Key("protection").BeginObject();
    json.Key("whitelistLine").StringOrNull(protectingLine);
    json.Key("windowsUpdate").Bool(update);
    json.EndObject();
    json.Key("list");
    if (list == nullptr) {
        json.Null();
    } else {
        json.String(list);
    }
    json.EndObject();
}

}  // namespace

std::string IsoTime(int64_t localSeconds, int offsetMinutes) {
    const int64_t days = FloorDiv(localSeconds, 86400);
    const int64_t secondOfDay = localSeconds - days * 86400;
    int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                  static_cast<long long>(year), month, day, static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60),
                  offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string IsoTimeNow(Context& ctx) {
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    const int64_t utc = ctx.os.clock.UnixSeconds();
    os::LocalTime local;
    if (!ctx.os.clock.ToLocalTime((utc + kSecondsFrom1601To1970) * 10000000, local)) {
        return IsoTime(utc, 0).substr(0, 19) + "Z";
    }
    const int64_t localSeconds = DaysFromCivil(local.year, local.month, local.day) * 86400 +
                                 local.hour * 3600 + local.minute * 60 + local.second;
    // Time zones are whole minutes away from UTC.
    const auto offsetMinutes = static_cast<int>(FloorDiv(localSeconds - utc + 30, 60));
    return IsoTime(localSeconds, offsetMinutes);
}

std::string JsonReportText(const JsonReportHeader& header, const std::vector<InstalledApp>& apps,
                           const std::vector<std::string>& blacklist,
                           const std::vector<std::string>& whitelist) {
    // With no blacklist lines nothing is matched or hidden, as in the window's lists.
    const bool blacklistRead = !blacklist.empty();
    const BlacklistTerms terms = BlacklistTermsOf(blacklist);
    JsonWriter json;
    json.BeginObject();
    json.Key("computerName").String(header.computerName);
    json.Key("time").String(header.time);
    json.Key("kestrelVersion").String(header.version);
    json.Key("windows").String(header.windows);
    json.Key("applications").BeginArray();
    for (const InstalledApp& app : apps) {
        if (!app.fields.displayName.empty()) {
            WriteApp(json, app, terms, blacklistRead, whitelist);
        }
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}

void WriteJsonReport(Context& ctx) {
    JsonReportHeader header;
    header.computerName = ctx.os.env.Variable("computername");
    header.time = IsoTimeNow(ctx);
    header.version = Trim(AppVersionText(ctx, "", ""));
    // The version text joins its parts with blanks that may be doubled when a part is empty.
    header.windows = Trim(clsOpSys(ctx).Version());
    while (header.windows.find("  ") != std::string::npos) {
        header.windows = ReplaceAll(header.windows, "  ", " ");
    }
    const std::string text =
        JsonReportText(header, ReadEveryInstalledApp(ctx), ReadListLines(ctx, ctx.definitions.blacklist),
                       ReadListLines(ctx, ctx.definitions.whitelist));
    // The text is UTF-8 already and is written as it stands; the file ends with CR LF.
    (void)SaveTextToFile(ctx, AppPath(ctx) + kJsonReportFileName, text.substr(0, text.size() - 1),
                         true, false);
}

}  // namespace kestrel

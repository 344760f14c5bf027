#pragma once
// The machine-readable report for fleets ("/jsonreport"): every registered application with
// where it is registered and what the lists decide about it, as one JSON object in UTF-8. Its
// schema is res/schema/Kestrel_Report.schema.json.

#include <string>
#include <vector>

#include "inventory/installed_apps.h"

namespace kestrel {

class Context;

inline constexpr const char* kJsonReportFileName = "Kestrel_Report.json";

struct JsonReportHeader {
    std::string computerName;
    std::string time;  // ISO 8601, local time with its offset from UTC
    std::string version;
    std::string windows;
};

// The report of the applications (every one with a display name, components included) against
// the blacklist's and the whitelist's lines, decided as the inventory and the uninstall engine
// decide.
std::string JsonReportText(const JsonReportHeader& header, const std::vector<InstalledApp>& apps,
                           const std::vector<std::string>& blacklist,
                           const std::vector<std::string>& whitelist);

// Scans every Uninstall key and replaces "Kestrel_Report.json" beside the program.
void WriteJsonReport(Context& ctx);

// "YYYY-MM-DDThh:mm:ss+hh:mm" of a local time, given as seconds since 1970 on the local
// clock, and its offset from UTC in minutes.
std::string IsoTime(int64_t localSeconds, int offsetMinutes);
// Now, in that form; in UTC ("...Z") when the local time cannot be had.
std::string IsoTimeNow(Context& ctx);

}  // namespace kestrel

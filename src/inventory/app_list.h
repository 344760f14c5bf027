#pragma once
// The two application lists of the main window and what each entry carries.

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// DisplayName, SubkeyName, UninstallCommand and Publisher joined by "|". An application
// registered in a user's hive also carries the user's name, after a NUL (registry texts are
// cut at their first NUL, so no field holds one, and a field holding "|" cannot shift it).
struct AppRecordFields {
    std::string displayName;
    std::string subkeyName;
    std::string uninstallCommand;
    std::string publisher;
    std::string user;  // "" for the machine's applications
};
std::string MakeAppRecord(const AppRecordFields& fields);
// Splits a record at "|": a field that itself held "|" shifts the later ones, and missing
// fields are empty.
AppRecordFields SplitAppRecord(std::string_view record);

// The display name as the report and the window show it: with " (user NAME)" appended for an
// application registered in a user's hive.
std::string ShownName(const std::string& displayName, const std::string& user);

struct AppListEntry {
    std::vector<std::string> data;  // DisplayName, SubkeyName, UninstallCommand
    std::string publisher;          // shown only
    std::string user;               // whose hive it is registered in; "" for the machine
    bool checked = false;
    bool selected = false;

    // What the list control renders; made when it is drawn, not for every scan.
    std::string Markup() const;
    // The name the list and the report show.
    std::string Shown() const;
};

struct AppLists {
    std::vector<AppListEntry> notInDefs;  // "Installed Apps (Not in Defs)"
    std::vector<AppListEntry> matching;   // "Installed Apps (Matching Blacklist)"
};

// The escaping of a text for the entry markup.
std::string fMuF(std::string_view s);

// The markup of one entry: a bordered block with the rows Name, Publisher and Uninstall.
std::string EntryMarkup(const AppRecordFields& fields);

// Adds one entry at the end of "Matching Blacklist" (blacklisted) or "Not in Defs".
void AddAppToList(AppLists& lists, const std::string& record, bool blacklisted);

// Places the sorted records: with no blacklist lines everything is "Not in Defs"; otherwise a
// record hidden by a disabled line is dropped, a matching one goes to "Matching Blacklist" and
// the rest to "Not in Defs". Finally every "Matching Blacklist" entry is checked.
void PlaceApps(AppLists& lists, const std::vector<std::string>& sortedRecords,
               const std::vector<std::string>& blacklist);

// Ascending or descending by character code, comparing whole records.
void SortCollection(std::vector<std::string>& records, bool ascending);

// The report: both lists' display names under their headings, CR LF between lines, no line
// break after the last name.
std::string ReportText(const AppLists& lists);

}  // namespace kestrel

#include "inventory/app_list.h"

#include <algorithm>

#include "app/strings.h"
#include "inventory/matching.h"

namespace kestrel {

std::string MakeAppRecord(const AppRecordFields& f) {
    return f.displayName + "|" + f.subkeyName + "|" + f.uninstallCommand + "|" + f.publisher;
}

AppRecordFields SplitAppRecord(std::string_view record) {
    std::vector<std::string> parts = Split(record, "|");
    parts.resize(std::max<size_t>(parts.size(), 4));
    return {parts[0], parts[1], parts[2], parts[3]};
}

std::string fMuF(std::string_view s) {
    // One pass gives what replacing "&", "<", ">", "'", the double quote, CR LF, "{", "}" and
    // "?" one after the other gives: no replacement text holds a character a later one replaces.
    std::string out;
    out.reserve(s.size() + 16);
    for (size_t i = 0; i < s.size(); ++i) {
        switch (s[i]) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '{':
                out += '(';
                break;
            case '}':
                out += ')';
                break;
            case '?':
                out += '_';
                break;
            case '\r':
                if (i + 1 < s.size() && s[i + 1] == '\n') {
                    out += "<LineBreak/>";
                    ++i;
                } else {
                    out += '\r';
                }
                break;
            default:
                out += s[i];
        }
    }
    return out;
}

std::string EntryMarkup(const AppRecordFields& f) {
    return "<Border BorderThickness='2' BorderBrush='Gray' Margin='0, 2, 0, 2' Padding='3'>"
           "<StackPanel Orientation='Horizontal'>"
           "<Grid><Grid.ColumnDefinitions><ColumnDefinition Width='Auto'/>"
           "<ColumnDefinition Width='*'/></Grid.ColumnDefinitions>"
           "<Grid.RowDefinitions><RowDefinition/><RowDefinition/><RowDefinition/>"
           "</Grid.RowDefinitions>"
           "<TextBlock TextAlignment='Right' FontWeight='Bold' Foreground='Navy' Text='Name:'/>"
           "<TextBlock TextAlignment='Right' Grid.Row='1' FontWeight='Bold' Foreground='Navy' "
           "Text='Publisher:'/>"
           "<TextBlock TextAlignment='Right' Grid.Row='2' FontWeight='Bold' Foreground='Navy' "
           "Text='Uninstall:'/>"
           "<TextBlock Margin='6, 0, 0, 0' Grid.Column='1' Text='" +
           fMuF(f.displayName) +
           "'/>"
           "<TextBlock Margin='6, 0, 0, 0'  Grid.Column='1' Grid.Row='1'  Text='" +
           fMuF(f.publisher) +
           "'/>"
           "<TextBlock Margin='6, 0, 0, 0'  Grid.Column='1' Grid.Row='2'  Text='" +
           fMuF(f.uninstallCommand) +
           "'/>"
           "</Grid></StackPanel></Border>";
}

std::string AppListEntry::Markup() const {
    AppRecordFields f;
    f.displayName = data.size() > 0 ? data[0] : std::string();
    f.subkeyName = data.size() > 1 ? data[1] : std::string();
    f.uninstallCommand = data.size() > 2 ? data[2] : std::string();
    f.publisher = publisher;
    return EntryMarkup(f);
}

void AddAppToList(AppLists& lists, const std::string& record, bool blacklisted) {
    const AppRecordFields f = SplitAppRecord(record);
    AppListEntry entry;
    entry.data = {f.displayName, f.subkeyName, f.uninstallCommand};
    entry.publisher = f.publisher;
    (blacklisted ? lists.matching : lists.notInDefs).push_back(std::move(entry));
}

void PlaceApps(AppLists& lists, const std::vector<std::string>& sortedRecords,
               const std::vector<std::string>& blacklist) {
    for (const std::string& record : sortedRecords) {
        if (blacklist.empty()) {
            AddAppToList(lists, record, false);
            continue;
        }
        const AppRecordFields f = SplitAppRecord(record);
        if (MatchesDisabledDefinition(blacklist, f.displayName, f.publisher)) {
            continue;
        }
        AddAppToList(lists, record, MatchesDefinition(blacklist, f.displayName, f.publisher));
    }
    for (AppListEntry& entry : lists.matching) {
        entry.checked = true;
    }
}

void SortCollection(std::vector<std::string>& records, bool ascending) {
    // Byte-wise comparison of whole records, as unsigned character codes.
    auto less = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            });
    };
    if (ascending) {
        std::stable_sort(records.begin(), records.end(), less);
    } else {
        std::stable_sort(records.begin(), records.end(),
                         [&](const std::string& a, const std::string& b) { return less(b, a); });
    }
}

std::string ReportText(const AppLists& lists) {
    auto names = [](const std::vector<AppListEntry>& list) {
        std::vector<std::string> out;
        for (const AppListEntry& e : list) {
            if (!e.data.empty() && !e.data[0].empty()) {
                out.push_back(e.data[0]);
            }
        }
        return Join(out, "\r\n");
    };
    const std::string rule(40, '-');
    return "Installed Apps Not Matching Definitions:  \r\n" + rule + "\r\n" +
           names(lists.notInDefs) + "\r\n\r\nInstalled Apps Matching Blacklist:  \r\n" + rule +
           "\r\n" + names(lists.matching);
}

}  // namespace kestrel

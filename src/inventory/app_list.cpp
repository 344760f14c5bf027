#include "inventory/app_list.h"

#include <algorithm>
#include <array>

#include "base/strings.h"
#include "inventory/matching.h"

namespace kestrel {

std::string MakeAppRecord(const AppRecordFields& f) {
    std::string record;
    record.reserve(f.displayName.size() + f.subkeyName.size() + f.uninstallCommand.size() +
                   f.publisher.size() + 3);
    record.append(f.displayName).append(1, '|').append(f.subkeyName).append(1, '|');
    record.append(f.uninstallCommand).append(1, '|').append(f.publisher);
    if (!f.user.empty()) {
        record.append(1, '\0').append(f.user);
    }
    return record;
}

namespace {

// The record's four fields and, behind a NUL, its user.
std::pair<std::string_view, std::string_view> FieldsAndUser(std::string_view record) {
    const size_t nul = record.find('\0');
    if (nul == std::string_view::npos) {
        return {record, {}};
    }
    return {record.substr(0, nul), record.substr(nul + 1)};
}

}  // namespace

AppRecordFields SplitAppRecord(std::string_view record) {
    const auto [fields, user] = FieldsAndUser(record);
    std::vector<std::string> parts = Split(fields, "|");
    parts.resize(std::max<size_t>(parts.size(), 4));
    return {parts[0], parts[1], parts[2], parts[3], std::string(user)};
}

std::string ShownName(const std::string& displayName, const std::string& user) {
    return user.empty() ? displayName : displayName + " (user " + user + ")";
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

std::string AppListEntry::Shown() const {
    return ShownName(data.empty() ? std::string() : data[0], user);
}

std::string AppListEntry::Markup() const {
    AppRecordFields f;
    f.displayName = Shown();
    f.subkeyName = data.size() > 1 ? data[1] : std::string();
    f.uninstallCommand = data.size() > 2 ? data[2] : std::string();
    f.publisher = publisher;
    return EntryMarkup(f);
}

namespace {

// A record's first four fields as views into it, as SplitAppRecord cuts them (missing fields
// are empty), and its user as the fifth.
std::array<std::string_view, 5> RecordFieldViews(std::string_view full) {
    const auto [record, user] = FieldsAndUser(full);
    std::array<std::string_view, 5> fields{};
    fields[4] = user;
    size_t start = 0;
    for (size_t i = 0; i < 4 && start <= record.size(); ++i) {
        const size_t bar = record.find('|', start);
        if (bar == std::string_view::npos) {
            fields[i] = record.substr(start);
            break;
        }
        fields[i] = record.substr(start, bar - start);
        start = bar + 1;
    }
    return fields;
}

void AddFields(AppLists& lists, const std::array<std::string_view, 5>& f, bool blacklisted) {
    AppListEntry entry;
    entry.data = {std::string(f[0]), std::string(f[1]), std::string(f[2])};
    entry.publisher = std::string(f[3]);
    entry.user = std::string(f[4]);
    (blacklisted ? lists.matching : lists.notInDefs).push_back(std::move(entry));
}

}  // namespace

void AddAppToList(AppLists& lists, const std::string& record, bool blacklisted) {
    AddFields(lists, RecordFieldViews(record), blacklisted);
}

void PlaceApps(AppLists& lists, const std::vector<std::string>& sortedRecords,
               const std::vector<std::string>& blacklist) {
    const BlacklistTerms terms = BlacklistTermsOf(blacklist);
    for (const std::string& record : sortedRecords) {
        const std::array<std::string_view, 5> f = RecordFieldViews(record);
        if (blacklist.empty()) {
            AddFields(lists, f, false);
            continue;
        }
        if (MatchesDisabledDefinition(terms, f[0], f[3])) {
            continue;
        }
        AddFields(lists, f, MatchesDefinition(terms, f[0], f[3]));
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
                out.push_back(e.Shown());
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

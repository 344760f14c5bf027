// "Kestrel.exe /preview" on a machine with real applications and leftovers in every profile,
// hive and view: the machine is the same afterwards, and what the preview lists is exactly
// what "/auto" then uninstalls and deletes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "base/strings.h"
#include "base/strip.h"
#include "e2e/kestrel_sandbox.h"
#include "e2e/leftover_fixtures.h"
#include "e2e/machine_snapshot.h"
#include "e2e/test_apps.h"
#include "e2e/watched_run.h"

namespace kestrel::e2e {
namespace {

// The preview's sections: each heading (without its count) and its lines, trimmed.
std::map<std::string, std::vector<std::string>> Sections(const std::string& text) {
    std::map<std::string, std::vector<std::string>> sections;
    std::vector<std::string>* current = nullptr;
    for (const std::string& line : Split(text, "\r\n")) {
        if (line.empty()) {
            current = nullptr;
        } else if (current == nullptr && line.find(" (") != std::string::npos &&
                   line[0] != ' ') {
            current = &sections[line.substr(0, line.rfind(" ("))];
        } else if (current != nullptr && line[0] == ' ' && Trim(line) != "(none)") {
            current->push_back(Trim(line));
        }
    }
    return sections;
}

// A registry path of the preview as the snapshot names it: lower case, HKCU as its HKU key.
std::string SnapshotName(const std::string& path) {
    const std::string lower = LCase(path);
    return StartsWith(lower, "hkcu\\") ? CurrentUserRoot() + lower.substr(4) : lower;
}

TEST(PreviewE2E, ThePreviewChangesNothingAndListsExactlyWhatAutoThenRemoves) {
    MakeGuestProfile();
    SetEntries(HKEY_LOCAL_MACHINE, RegistryLeftovers("Software"));
    SetEntries(HKEY_CURRENT_USER, RegistryLeftovers("Software"));
    MakeLeftoverFolder(Env("ProgramFiles") + "\\" + kVendor);
    MakeLeftoverFolder(kGuestProfile + "\\AppData\\Local\\" + kVendor);
    InstallNsis("toolbar");
    InstallNsis("keeper");

    KestrelSandbox k("preview");
    k.Write("Kestrel.txt", "Kestrel Test Toolbar\r\n;Disabled\r\nAcme Toolbars\r\n");
    k.Write("Kestrel_Whitelist.txt", "Keeper|never this one\r\n");
    k.Write("Kestrel_FileSystemObjects.txt",
            "%ProgramFiles%\\" + kVendor + "\r\n%userprofile%\\AppData\\Local\\" + kVendor +
                "\r\n%programfiles%\r\n");
    k.Write("Kestrel_RegKeys.txt", "Software\\" + kVendor + "\\Product\r\nSoftware\\Microsoft\r\n");
    k.Write("Kestrel_RegValues.txt", "Software\\" + kVendor + "\\Settings\\Homepage\r\n");
    k.Write("Kestrel_RunValues.txt", "KestrelLeftoverUpdater\r\n");

    const MachineSnapshot before = TakeMachineSnapshot();
    const WatchedRun preview = RunWatched(k, "/preview /auto");
    const MachineSnapshot after = TakeMachineSnapshot();
    EXPECT_EQ(preview.exitCode, 0);
    const std::vector<std::string> changes =
        UnexpectedChanges(before, after, {{StripNameFromPathQuiet(k.Program())}, {}, {}});
    EXPECT_TRUE(changes.empty()) << Join(changes, "\n");
    EXPECT_FALSE(GuestHiveMounted());
    EXPECT_FALSE(k.Exists("Kestrel_Log.txt"));  // "/auto" on the same line did not run

    const std::optional<std::string> text = k.Read("Kestrel_Preview.txt");
    ASSERT_TRUE(text.has_value());
    auto sections = Sections(*text);
    const std::vector<std::string>& uninstalls =
        sections["Would uninstall, by the blacklist's lines in their order"];
    ASSERT_EQ(uninstalls.size(), 3u) << *text;  // the line, the application, its command
    EXPECT_EQ(uninstalls[0], "\"Kestrel Test Toolbar\" names:");
    EXPECT_TRUE(StartsWith(uninstalls[1], "Kestrel Test Toolbar    [HKLM\\")) << uninstalls[1];
    EXPECT_EQ(uninstalls[2],
              "runs: \"C:\\Program Files\\Kestrel Test Toolbar\\uninst.exe\" /S");
    EXPECT_EQ(sections["Named by the blacklist but protected, not uninstalled"],
              std::vector<std::string>{
                  "Kestrel Test Keeper    (whitelist line \"Keeper|never this one\")"});
    const std::vector<std::string>& refused =
        sections["Definitions refused as dangerous (never deleted)"];
    EXPECT_EQ(refused.size(), 3u) << *text;  // both %programfiles% and Software\Microsoft
    const std::vector<std::string> files =
        sections["Files and folders that exist now and would be deleted"];
    const std::vector<std::string> keys =
        sections["Registry keys that exist now and would be deleted"];
    const std::vector<std::string> values =
        sections["Registry and Run values that exist now and would be deleted"];
    EXPECT_EQ(files.size(), 2u) << *text;
    EXPECT_FALSE(keys.empty()) << *text;
    EXPECT_FALSE(values.empty()) << *text;
    bool guestSeen = false;
    for (const std::string& key : keys) {
        guestSeen |= key.find(kGuestHive) != std::string::npos;
    }
    EXPECT_TRUE(guestSeen) << *text;  // the second profile's hive, mounted for the look

    // "/auto" then removes what the preview listed, and nothing that it did not list, but
    // what the uninstaller itself takes away.
    std::vector<std::string> listed;  // as the snapshot names them
    for (const std::string& file : files) {
        listed.push_back(LCase(file.back() == '\\' ? file.substr(0, file.size() - 1) : file));
    }
    for (const std::string& key : keys) {
        listed.push_back(SnapshotName(key));
    }
    for (const std::string& value : values) {
        const size_t at = value.find("  value \"");
        listed.push_back(SnapshotName(value.substr(0, at)) + "|" +
                         LCase(value.substr(at + 9, value.size() - at - 10)));
    }
    const MachineSnapshot beforeAuto = TakeMachineSnapshot();
    const WatchedRun run = RunWatched(k, "/auto");
    const MachineSnapshot afterAuto = TakeMachineSnapshot();
    EXPECT_EQ(run.exitCode, 0);
    const std::optional<std::string> log = k.Read("Kestrel_Log.txt");
    EXPECT_TRUE(log && log->find("*Uninstalled:  Kestrel Test Toolbar\r\n---END---") !=
                           std::string::npos)
        << log.value_or("(no log)");
    EXPECT_TRUE(Registered("Kestrel Test Keeper"));
    // The NSIS uninstaller runs from a copy in the temporary folder, which it leaves for
    // Windows to delete at the next start.
    const ExpectedChanges byUninstaller = {
        {StripNameFromPathQuiet(k.Program()), LCase(Env("TEMP")),
         "c:\\program files\\kestrel test toolbar",
         "hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\kestrel test toolbar"},
        {},
        {kGuestProfile + "\\ntuser.dat.*.Fenx_RegBackup",
         "hklm\\system\\currentcontrolset\\control\\session manager|pendingfilerenameoperations"}};
    for (const std::string& change : UnexpectedChanges(beforeAuto, afterAuto, byUninstaller)) {
        const bool covered =
            StartsWith(change, "removed ") &&
            std::any_of(listed.begin(), listed.end(), [&](const std::string& item) {
                const std::string entry = change.substr(8);
                return entry == item || StartsWith(entry, item + "\\") ||
                       StartsWith(entry, item + "|");
            });
        EXPECT_TRUE(covered) << change << " was not in the preview:\n" << *text;
    }
    for (const std::string& item : listed) {
        if (item.find(LCase(kGuestHive)) != std::string::npos) {
            // Wine does not write a mounted hive back: the debug lines tell.
            EXPECT_TRUE(ReportsDeleted(run, item)) << item << "\n" << run.Text();
        } else {
            EXPECT_TRUE(beforeAuto.count(item) == 1 && afterAuto.count(item) == 0) << item;
        }
    }
}

}  // namespace
}  // namespace kestrel::e2e

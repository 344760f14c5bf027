// Kestrel.exe's "/auto" cleaning up real leftovers under Wine: folders in both program-files
// folders, in two profiles (the running user's and a second one whose hive file is mounted for
// the run), a folder a running program holds a file open in, a read-only file, start-menu
// entries in both layouts, and registry keys, values and Run values in HKLM (both views), HKCU
// and the second profile's hive. After every run nothing but the named leftovers has changed;
// dangerous definitions are refused and change nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/strings.h"
#include "base/strip.h"
#include "e2e/kestrel_sandbox.h"
#include "e2e/leftover_fixtures.h"
#include "e2e/machine_snapshot.h"
#include "e2e/test_apps.h"
#include "e2e/watched_run.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "support/child_mode.h"
#include "win32/win32_machine.h"

namespace kestrel::e2e {
namespace {

// Runs "/auto" and expects the machine to change only by the removed roots and what a cleanup
// run makes besides its log: a dated backup of every hive file it mounts (one per minute). Of
// the run itself nothing may be left: no hive mounted, no marker of a mount (its keys go with
// the unmount), no browser guard. The machine after the run goes to after when given.
WatchedRun RunAutoRemoving(const KestrelSandbox& k, const std::vector<std::string>& removed,
                           MachineSnapshot* after = nullptr) {
    const MachineSnapshot before = TakeMachineSnapshot();
    WatchedRun run = RunWatched(k, "/auto");
    const MachineSnapshot now = TakeMachineSnapshot();
    EXPECT_EQ(run.exitCode, 0);
    const ExpectedChanges expected = {{StripNameFromPathQuiet(k.Program())},
                                      removed,
                                      {kGuestProfile + "\\ntuser.dat.*.Fenx_RegBackup"}};
    const std::vector<std::string> unexpected = UnexpectedChanges(before, now, expected);
    EXPECT_TRUE(unexpected.empty()) << Join(unexpected, "\n") << "\n" << run.Text();
    EXPECT_FALSE(GuestHiveMounted());
    EXPECT_FALSE(MachineKeyExists("Software\\Ashgrove"));
    EXPECT_FALSE(MachineText(std::string(kIfeoKey) + "\\iexplore.exe", "Debugger"));
    if (after != nullptr) {
        *after = now;
    }
    return run;
}

// A child of the test program that holds path open (and then marks it ".held").
void* StartHolder(const std::string& path) {
    void* holder =
        StartProcess(kestrel::testing::ChildCommandLine("hold:" + path + ",sleep:600000"), "C:\\");
    for (int i = 0; i < 400 && !PathExists(path + ".held"); ++i) {
        Sleep(25);
    }
    if (!PathExists(path + ".held")) {
        TerminateProcess(holder, 1);
        CloseHandle(holder);
        throw std::runtime_error("the holder did not open " + path);
    }
    return holder;
}

TEST(CleanupE2E, AutoRemovesTheLeftoversOfEveryProfileHiveAndViewAndNothingElse) {
    const std::string user = Env("USERPROFILE");
    const std::string hkcu = CurrentUserRoot();
    MakeGuestProfile();
    SetEntries(HKEY_LOCAL_MACHINE, RegistryLeftovers("Software"));
    SetEntries(HKEY_LOCAL_MACHINE, RegistryLeftovers("Software"), KEY_WOW64_32KEY);
    SetEntries(HKEY_CURRENT_USER, RegistryLeftovers("Software"));
    const std::vector<std::string> folders = {Env("ProgramFiles"), Env("ProgramFiles(x86)"),
                                              user + "\\AppData\\Local",
                                              kGuestProfile + "\\AppData\\Local"};
    const std::vector<std::string> menus = {user + kRoamingPrograms,
                                            kGuestProfile + kRoamingPrograms, kAllUsersPrograms};
    for (const std::string& folder : folders) {
        MakeLeftoverFolder(folder + "\\" + kVendor);
    }
    for (const std::string& programs : menus) {
        MakeFile(programs + "\\Kestrel Leftover Menu\\Kestrel Leftover.lnk");
        MakeFile(programs + "\\Startup\\Kestrel Leftover.lnk");
        MakeFile(programs + "\\Startup\\Kestrel Kept.lnk");
    }
    MakeFile("C:\\kestrel-leftovers\\read-only.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile("C:\\kestrel-leftovers\\held\\app.log");
    MakeFile("C:\\kestrel-leftovers\\kept.txt");

    KestrelSandbox k("cleanup");
    k.Write("Kestrel_FileSystemObjects.txt",
            "%ProgramFiles%\\" + kVendor + "\r\n  %userprofile%\\AppData\\Local\\" + kVendor +
                "  \r\n\r\n\\kestrel-leftovers\\held\r\n"
                "%SystemDrive%\\kestrel-leftovers\\read-only.txt\r\n");
    k.Write("Kestrel_StartMenuFolders.txt",
            "Kestrel Leftover Menu\r\nStartup\\Kestrel Leftover.lnk\r\n");
    k.Write("Kestrel_RegKeys.txt", "Software\\" + kVendor + "\\Product\r\n");
    k.Write("Kestrel_RegValues.txt", "Software\\" + kVendor + "\\Settings\\Homepage\r\n");
    k.Write("Kestrel_RunValues.txt", "KestrelLeftoverUpdater\r\n");
    void* holder = StartHolder("C:\\kestrel-leftovers\\held\\app.log");

    std::vector<std::string> removed;
    for (const std::string& root :
         {std::string("hklm\\software"), std::string("hklm\\software\\wow6432node"),
          hkcu + "\\software"}) {
        const std::vector<std::string> entries = RegistryLeftovers(root).removed;
        removed.insert(removed.end(), entries.begin(), entries.end());
    }
    for (const std::string& folder : folders) {
        removed.push_back(folder + "\\" + kVendor);
    }
    for (const std::string& programs : menus) {
        removed.push_back(programs + "\\Kestrel Leftover Menu");
        removed.push_back(programs + "\\Startup\\Kestrel Leftover.lnk");
    }
    removed.push_back("C:\\kestrel-leftovers\\read-only.txt");
    removed.push_back("C:\\kestrel-leftovers\\held");
    MachineSnapshot after;
    const WatchedRun run = RunAutoRemoving(k, removed, &after);
    const bool holderEnded = WaitForSingleObject(holder, 0) == WAIT_OBJECT_0;
    TerminateProcess(holder, 1);
    CloseHandle(holder);
    EXPECT_TRUE(holderEnded);
    bool backup = false;
    for (const auto& [entry, description] : after) {
        backup |= entry.rfind("c:\\users\\kestrel-guest\\ntuser.dat.", 0) == 0 &&
                  entry.ends_with(".fenx_regbackup");
    }
    EXPECT_TRUE(backup);

    // Windows writes a mounted hive back to its file when it is unmounted; Wine does not, so
    // the second profile's deletions are seen in the run's debug lines.
    for (const std::string& entry :
         RegistryLeftovers("HKLM\\" + kGuestHive + "\\Software").removed) {
        EXPECT_TRUE(ReportsDeleted(run, entry)) << entry << "\n" << run.Text();
    }
}

// Wine reports the Windows version that HKCU\Software\Wine\AppDefaults names for a program
// file; Windows XP has the older start-menu layout.
class ReportedAsWindowsXp {
public:
    ReportedAsWindowsXp() { SetValue(HKEY_CURRENT_USER, kKey, "Version", "winxp64"); }
    ~ReportedAsWindowsXp() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

private:
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\Kestrel.exe";
};

TEST(CleanupE2E, OnWindowsXpTheStartMenusAreCleanedInTheOlderLayout) {
    if (!kestrel::testing::RunningUnderWine()) {
        GTEST_SKIP() << "the reported Windows version is changed through Wine's settings";
    }
    const std::string user = Env("USERPROFILE");
    (void)os::win32::MakeFileSystem()->CreateFolderTree(kGuestProfile);
    const ReportedAsWindowsXp xp;
    for (const std::string& programs :
         {user + "\\Start Menu\\Programs", kGuestProfile + "\\Start Menu\\Programs",
          user + kRoamingPrograms, kAllUsersPrograms}) {
        MakeFile(programs + "\\Kestrel XP Menu\\Kestrel XP.lnk");
    }
    KestrelSandbox k("xp");
    k.Write("Kestrel_StartMenuFolders.txt", "Kestrel XP Menu\r\n");

    // The newer layout's folders are not looked at.
    (void)RunAutoRemoving(k, {user + "\\Start Menu\\Programs\\Kestrel XP Menu",
                              kGuestProfile + "\\Start Menu\\Programs\\Kestrel XP Menu"});
}

// Definitions that would wipe the machine or its vital keys: each is refused, and nothing on
// the machine changes. Runs last: a failure here may leave the prefix wrecked.
TEST(CleanupE2E, DangerousDefinitionsAreRefusedAndChangeNothing) {
    KestrelSandbox k("dangerous");
    const std::string program = StripNameFromPathQuiet(k.Program());
    const std::vector<std::string> paths = {
        "%programfiles%",
        "%ProgramFiles%\\",
        "%userprofile%",
        "%userprofile%\\AppData\\..",
        "C:\\Users",
        "c:\\users\\\\",
        "C:\\users\\Public",
        "%windir%",
        "C:\\Program Files\\..\\Windows",
        "%systemroot%\\System32",
        "%windir%\\SysWOW64\\.",
        "C:\\Program Files\\Common Files",
        "C:\\Program Files (x86)\\Common Files",
        "\\",
        "%systemdrive%",
        "C:\\ProgramData",
        "%userprofile%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
        "%userprofile%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
        "Windows",
        program,
    };
    k.Write("Kestrel_FileSystemObjects.txt", Join(paths, "\r\n") + "\r\n");
    const std::vector<std::string> menus = {"Startup", "..", "."};
    k.Write("Kestrel_StartMenuFolders.txt", Join(menus, "\r\n") + "\r\n");
    const std::vector<std::string> keys = {
        "Software\\",
        "Software\\Microsoft",
        "SOFTWARE\\Microsoft\\Windows",
        "Software\\Microsoft\\Windows\\CurrentVersion",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies",
        "Software\\Microsoft\\Windows NT\\CurrentVersion",
        "Software\\Classes",
        "Software\\Policies",
        "Software\\Wow6432Node",
        "Software\\Wow6432Node\\Microsoft",
        "System\\CurrentControlSet",
        "System\\CurrentControlSet\\Services",
        "Control Panel\\",
        "Environment\\"};
    k.Write("Kestrel_RegKeys.txt", Join(keys, "\r\n") + "\r\n");

    const WatchedRun run = RunAutoRemoving(k, {});
    EXPECT_TRUE(k.Exists("Kestrel_FileSystemObjects.txt"));  // its own folder is kept too
    // Each definition is refused with a debug line, a key definition naming its entry.
    const auto refusals = [&](const std::string& part) {
        return std::count_if(run.debugLines.begin(), run.debugLines.end(), [&](const auto& line) {
            return LCase(line).find("refused") != std::string::npos &&
                   line.find(part) != std::string::npos;
        });
    };
    EXPECT_GE(refusals(""), static_cast<long>(paths.size() + menus.size() + keys.size()))
        << run.Text();
    for (const std::string& key : keys) {
        EXPECT_GE(refusals(key), 1) << key << "\n" << run.Text();
    }
}

}  // namespace
}  // namespace kestrel::e2e

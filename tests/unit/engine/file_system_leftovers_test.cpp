// File-system leftovers over the fake machine: where a definition is deleted (placeholders,
// profiles, program-files folders, start menus), what a resisting object goes through before
// the second attempt, and the protected paths that no definition can reach.
#include <gtest/gtest.h>

#include "base/strings.h"
#include "engine/file_system_leftovers.h"
#include "support/fake_machine.h"
#include "support/idle_command_shell.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using Program = os::fake::FakeProcesses::Program;

constexpr const char* kSubinacl = "C:\\Kestrel\\subinacl.exe";
constexpr const char* kRoaming = "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\";

class FileSystemLeftovers : public ::testing::Test {
protected:
    FileSystemLeftovers() {
        m.ctx.redirection.SetAllowed(true);
        m.ctx.systemDrive = "C:";
        m.ctx.definitions = DefinitionPathsIn("C:\\Kestrel\\");
        testing::ProvideIdleCommandShell(m, 50);
        m.files.AddFolder("C:\\Users\\visitor\\AppData\\Local");
        m.ctx.userList = {"C:\\Users\\Default", "C:\\Users\\Public", "C:\\Users\\tech",
                          "C:\\Users\\visitor", "C"};
    }
    void FileSystemList(const std::string& lines) {
        m.files.AddFile(m.ctx.definitions.fileSystemObjects, lines);
    }
    // What AllPaths should read once the given paths and everything below them are gone.
    Lines Without(const Lines& before, const Lines& gone) {
        Lines left;
        for (const std::string& path : before) {
            bool deleted = false;
            for (const std::string& g : gone) {
                deleted = deleted || EqualsNoCase(path, g) || StartsWithNoCase(path, g + "\\");
            }
            if (!deleted) {
                left.push_back(path);
            }
        }
        return left;
    }

    testing::FakeMachine m;
};

TEST_F(FileSystemLeftovers, TheFixedPlaceholdersAreReplacedInTheirOrderIgnoringCase) {
    m.env.Set("windir", "%SystemDrive%\\WINDOWS");  // expanded by the later placeholder
    m.env.Set("homedrive", "%windir%");             // its placeholder has been replaced already
    EXPECT_EQ(ExpandPathVariables(m.ctx,
                                  "%WinDir%\\a%windir%;%SYSTEMROOT%;%systemdrive%;%HomeDrive%;"
                                  "%programfiles%;%userprofile%"),
              "C:\\WINDOWS\\aC:\\WINDOWS;C:\\Windows;C:;%windir%;%programfiles%;%userprofile%");
}

// Each definition alone, in turn: a dangerous one is refused with the machine unchanged and
// nothing started; a near-miss deletes exactly what it names, wherever it stands.
TEST_F(FileSystemLeftovers, DefinitionsDeleteExactlyWhatTheyNameAndNeverAProtectedPath) {
    for (const char* file :
         {"C:\\Windows\\SysWOW64\\x.dll", "C:\\Windows\\system32\\drivers\\d.sys",
          "C:\\Program Files\\Common Files\\c.dll", "C:\\Program Files\\Vendor\\a.log",
          "C:\\Program Files\\Vendor\\b.LOG", "C:\\Program Files\\Vendor\\app.exe",
          "C:\\Program Files (x86)\\Vendor\\app.exe",
          "C:\\Program Files (x86)\\Common Files\\Vendor\\v.dll",
          "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\s.lnk",
          "C:\\Users\\tech\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\p.lnk",
          "C:\\Users\\tech\\AppData\\Local\\Vendor\\t.dat", "C:\\Users\\tech\\Desktop\\work.doc",
          "C:\\Users\\visitor\\AppData\\Local\\Vendor\\v.dat", "C:\\Users\\techie\\t.txt",
          "C:\\Program Files Extra\\x", "C:\\WindowsApps-old\\a", "C:\\Program\\p",
          "C:\\Users\\tec\\t", "C:\\Vendor Data\\d.txt"}) {
        m.files.AddFile(file, "x");
    }
    // Read-only: deleted by the second try after its attributes were cleared.
    m.files.AddFile("C:\\Windows\\Temp\\vendor.tmp", "x", os::attr::kReadOnly);
    m.files.AddLink("C:\\Documents and Settings", "C:\\Users");
    m.files.AddFile(kSubinacl, "MZ");  // a refusal must come before any taking over
    // Each refused one leaves the machine as it was and starts nothing.
    const auto expectDeletes = [&](const std::string& definition, const Lines& gone) {
        SCOPED_TRACE(definition);
        FileSystemList("\r\n" + definition + "\r\n");
        const Lines before = m.files.AllPaths();
        const size_t launches = m.processes.launches.size();
        m.debugOut.lines.clear();
        DeleteFileSystemDefinitions(m.ctx);
        EXPECT_EQ(m.files.AllPaths(), Without(before, gone));
        EXPECT_EQ(m.debugOut.Saw("DeleteFileSystemObject:  refused"), gone.empty());
        if (gone.empty()) {
            EXPECT_EQ(m.processes.launches.size(), launches);
        }
    };
    for (const char* refused :
         {// the drive, Windows and its system folders, however written
          "%systemdrive%", "\\", "C:/", "%windir%", "%SystemRoot%\\System32\\",
          "c:\\windows\\syswow64\\.", "C:\\Windows\\System32\\..\\..\\Windows",
          "\\\\?\\C:\\WINDOWS", "C:\\\\Windows. ", "C:\\Windows::$INDEX_ALLOCATION",
          // the program-files folders, wildcards over protected folders, short names
          "%programfiles%", "%ProgramFiles%\\Common Files",
          "C:\\Program Files (x86)\\Common Files\\", "C:\\Program Files\\*", "%programfiles%\\*.*",
          "C:\\*\\Vendor", "C:\\Program Files\\Vendor\\*\\a.log", "C:\\PROGRA~1",
          // the profiles, their folders, ProgramData and the start menus' vital folders
          "C:\\Users", "C:\\Users\\*", "%userprofile%", "%USERPROFILE%\\AppData\\Local\\Vendor",
          "%userprofile%\\AppData", "%userprofile%\\Desktop", "C:\\Users\\Public\\",
          "C:\\Documents and Settings\\tech", "C:\\ProgramData",
          "C:\\ProgramData\\Microsoft\\Windows\\Start Menu",
          "%userprofile%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
          // the program's own folder and file
          "C:\\Kestrel\\", "Kestrel\\Kestrel.exe"}) {
        expectDeletes(refused, {});
    }
    const std::vector<std::pair<const char*, Lines>> deleting = {
        {"C:\\Program Files\\Vendor\\*.log",
         {"C:\\Program Files\\Vendor\\a.log", "C:\\Program Files\\Vendor\\b.LOG"}},
        {"%PROGRAMFILES%\\Vendor",
         {"C:\\Program Files\\Vendor", "C:\\Program Files (x86)\\Vendor"}},
        {"%userprofile%\\AppData\\Local\\Vendor",
         {"C:\\Users\\tech\\AppData\\Local\\Vendor", "C:\\Users\\visitor\\AppData\\Local\\Vendor"}},
        {"C:\\Program Files (x86)\\Common Files\\Vendor",
         {"C:\\Program Files (x86)\\Common Files\\Vendor"}},
        {"C:\\Program Files Extra\\x", {"C:\\Program Files Extra\\x"}},
        {"C:\\WindowsApps-old", {"C:\\WindowsApps-old"}},
        {"C:\\Users\\techie", {"C:\\Users\\techie"}},
        {"C:\\Program", {"C:\\Program"}},  // the start of a protected folder's name
        {"C:\\Users\\tec", {"C:\\Users\\tec"}},
        {"\\Vendor Data", {"C:\\Vendor Data"}},
        {"%windir%\\system32\\drivers\\d.sys", {"C:\\Windows\\system32\\drivers\\d.sys"}},
        {"  %WINDIR%\\Temp\\vendor.tmp  ", {"C:\\Windows\\Temp\\vendor.tmp"}},
    };
    for (const auto& [definition, gone] : deleting) {
        expectDeletes(definition, gone);
    }

    m.files.AddDrive("\\\\server\\share");
    m.files.AddFile("\\\\server\\share\\Vendor\\v.dat");
    const Lines before = m.files.AllPaths();
    EXPECT_FALSE(DeleteFileSystemObject(m.ctx, "\\\\server\\share\\Vendor"));
    EXPECT_FALSE(DeletePathNow(m.ctx, "C:\\Windows"));
    EXPECT_FALSE(DeleteFileSystemObject(m.ctx, ""));
    EXPECT_FALSE(DeleteFileSystemObject(m.ctx, "%USERPROFILE%\\AppData\\Local\\Vendor"));
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_TRUE(
        m.debugOut.Saw("\tDeleteFileSystemObject:  refused (not a local path):  "
                       "%USERPROFILE%\\AppData\\Local\\Vendor"));
}

TEST_F(FileSystemLeftovers, ProgramFilesStandsForOneFolderOnThirtyTwoBitWindows) {
    m.env.Unset("ProgramFiles(x86)");
    m.files.AddFile("C:\\Program Files\\Vendor\\app.exe");
    m.files.AddFile("C:\\Program Files (x86)\\Vendor\\app.exe");
    FileSystemList("%ProgramFiles%\\Vendor\r\n");
    DeleteFileSystemDefinitions(m.ctx);
    EXPECT_FALSE(m.files.Exists("C:\\Program Files\\Vendor"));
    EXPECT_TRUE(m.files.Exists("C:\\Program Files (x86)\\Vendor\\app.exe"));
}

TEST_F(FileSystemLeftovers, StartMenuEntriesGoFromEveryProfileInTheLayoutOfTheSystem) {
    const Lines newerLayout = {"C:\\Users\\tech" + std::string(kRoaming),
                               "C:\\Users\\visitor" + std::string(kRoaming),
                               "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\"};
    const std::string olderLayout = "C:\\Users\\tech\\Start Menu\\Programs\\";
    for (const std::string& programs :
         {newerLayout[0], newerLayout[1], newerLayout[2], olderLayout}) {
        m.files.AddFile(programs + "Vendor\\App.lnk");
        m.files.AddFile(programs + "Vendor2\\App.lnk");
        m.files.AddFile(programs + "Startup\\Vendor.lnk");
    }
    m.files.AddFile(m.ctx.definitions.startMenuFolders,
                    "Vendor\r\n\r\n Startup\\Vendor.lnk\r\n..\\..\r\n");
    m.ctx.systemDrive.clear();
    m.ctx.userList.clear();
    const Lines before = m.files.AllPaths();

    CleanFileSystemLeftovers(m.ctx);  // Windows 7: the newer layout
    EXPECT_EQ(m.ctx.systemDrive, "C:");
    EXPECT_EQ(m.ctx.userList, (Lines{"C:\\Users\\Default", "C:\\Users\\Public", "C:\\Users\\tech",
                                     "C:\\Users\\visitor"}));
    Lines gone;
    for (const std::string& programs : newerLayout) {
        gone.push_back(programs + "Vendor");
        gone.push_back(programs + "Startup\\Vendor.lnk");
    }
    EXPECT_EQ(m.files.AllPaths(), Without(before, gone));
    EXPECT_TRUE(m.debugOut.Saw(
        "refused (a protected folder or one that holds one):  " + newerLayout[0] + "..\\.."));

    m.system.record.major = 5;  // Windows XP: the older layout, profiles only
    DeleteStartMenuDefinitions(m.ctx);
    gone.push_back(olderLayout + "Vendor");
    gone.push_back(olderLayout + "Startup\\Vendor.lnk");
    EXPECT_EQ(m.files.AllPaths(), Without(before, gone));
}

// A resisting object is taken over (subfolders included, hidden, the default owner), released
// and, for a program file, its processes are ended; only then is it deleted again.
TEST_F(FileSystemLeftovers, TheSecondAttemptFollowsTakingOverReleasingAndEndingTheProgram) {
    const std::string exe = "C:\\Program Files\\Vendor\\Updater.EXE";
    m.files.AddFile(kSubinacl, "MZ");
    m.files.AddFile(exe, "MZ");
    m.files.SetLocked(exe, true);
    const uint32_t pid = m.processes.AddRunning("updater.exe");
    Lines events;
    m.processes.OnProgram(kSubinacl, [&](const std::string& line) -> std::optional<Program> {
        events.push_back(line);
        return Program{};
    });
    // Ending the program releases its file.
    m.processes.OnProgram("cmd.exe", [&](const std::string& line) -> std::optional<Program> {
        events.push_back(line);
        EXPECT_FALSE(m.processes.Running(pid));  // the process list came first
        m.files.SetLocked(exe, false);
        return Program{};
    });
    EXPECT_TRUE(DeleteFileSystemObject(m.ctx, exe));
    EXPECT_FALSE(m.files.Exists(exe));
    const std::string takeOver =
        "\"C:\\Kestrel\\subinacl.exe\" /file \"" + exe + "\" /setowner=tech /grant=tech=F";
    // The first is the first attempt's own attribute reset.
    EXPECT_EQ(events, (Lines{takeOver, takeOver, "cmd.exe /c tskill \"Updater.EXE\" /a",
                             "cmd.exe /c taskkill /f /t /im \"Updater.EXE\""}));
    for (const auto& launch : m.processes.launches) {
        EXPECT_EQ(launch.showWindow, 0) << launch.commandLine;
    }

    // A folder is taken over with everything below it; no program is ended for it.
    const std::string folder = "C:\\Users\\tech\\AppData\\Local\\Vendor";
    m.files.AddFile(folder + "\\cache\\data.bin");
    m.files.SetLocked(folder + "\\cache\\data.bin", true);
    m.processes.OnProgram(kSubinacl, [&](const std::string& line) -> std::optional<Program> {
        if (line.find("/subdirectories") != std::string::npos) {
            events.push_back(line);
            m.files.SetLocked(folder + "\\cache\\data.bin", false);
        }
        return Program{};
    });
    events.clear();
    EXPECT_TRUE(DeleteFileSystemObject(m.ctx, folder));
    EXPECT_FALSE(m.files.Exists(folder));
    EXPECT_EQ(events, (Lines{"\"C:\\Kestrel\\subinacl.exe\" /subdirectories \"" + folder +
                             "\\*.*\" /setowner=tech /grant=tech=F"}));

    // What stays locked is left in place, and the answer says so.
    m.files.AddFile(folder + "\\held.dat");
    m.files.SetLocked(folder + "\\held.dat", true);
    EXPECT_FALSE(DeleteFileSystemObject(m.ctx, folder));
    EXPECT_TRUE(m.files.Exists(folder + "\\held.dat"));
}

}  // namespace
}  // namespace kestrel

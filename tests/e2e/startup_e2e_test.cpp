// Kestrel.exe started as a technician starts it, judged by the files it leaves.
#include <gtest/gtest.h>

#include "e2e/kestrel_sandbox.h"

namespace kestrel::e2e {
namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) {
        ++n;
    }
    return n;
}

TEST(StartupE2E, OldBlacklistIsRenamedWhenTheNewOneIsMissing) {
    KestrelSandbox k("migrate");
    k.Write("UninstallApps.txt", "Old Toolbar\r\n");
    EXPECT_EQ(k.Run("/fixbrowsers"), 0);
    EXPECT_FALSE(k.Exists("UninstallApps.txt"));
    EXPECT_EQ(k.Read("Kestrel.txt"), "Old Toolbar\r\n");

    KestrelSandbox both("migrate-both");
    both.Write("UninstallApps.txt", "old\r\n");
    both.Write("Kestrel.txt", "new\r\n");
    EXPECT_EQ(both.Run("/fixbrowsers"), 0);
    EXPECT_EQ(both.Read("UninstallApps.txt"), "old\r\n");
    EXPECT_EQ(both.Read("Kestrel.txt"), "new\r\n");
}

TEST(StartupE2E, SelfUpdateCopyIsRemovedOnBothRoadsButNotAfterAPackageDownload) {
    KestrelSandbox k("old-exe");
    for (const auto& [arguments, removed] :
         {std::pair{"/nothing-known", true}, {"", true}, {"/getdefs=Shop /auto", false}}) {
        k.Write("Kestrel_old.exe", "MZ");
        EXPECT_EQ(k.Run(arguments), 0) << arguments;
        EXPECT_EQ(k.Exists("Kestrel_old.exe"), !removed) << arguments;
    }
    EXPECT_FALSE(k.Exists("Kestrel_Log.txt"));  // "/auto" was part of the package name
}

TEST(StartupE2E, UnattendedRunsAppendTheLogUnlessTheSettingIsOff) {
    KestrelSandbox k("log");
    EXPECT_EQ(k.Run("/u=Nothing Installed Has This Name"), 0);
    EXPECT_EQ(k.Run("/U=again"), 0);
    std::optional<std::string> log = k.Read("Kestrel_Log.txt");
    ASSERT_TRUE(log);
    EXPECT_EQ(Count(*log, "---END---\r\n\r\n"), 2u);
    EXPECT_EQ(Count(*log, "  -  Started on "), 2u);
    EXPECT_NE(log->find("\r\n---------\r\n---END---"), std::string::npos);

    k.Write("Kestrel.ini", "[Options]\r\nLogFile=0\r\n");
    EXPECT_EQ(k.Run("/u=third"), 0);
    EXPECT_EQ(Count(*k.Read("Kestrel_Log.txt"), "---END---"), 2u);
    k.Write("Kestrel.ini", "[Options]\r\nLogFile=1\r\n");
    EXPECT_EQ(k.Run("/auto"), 0);
    EXPECT_EQ(Count(*k.Read("Kestrel_Log.txt"), "---END---"), 3u);
}

TEST(StartupE2E, ARenamedProgramUsesItsOwnSettingsAndOldCopy) {
    KestrelSandbox k("renamed", "ShopTool.exe");
    k.Write("ShopTool.ini", "[Options]\r\nLogFile=0\r\n");
    k.Write("ShopTool_old.exe", "MZ");
    k.Write("Kestrel_old.exe", "MZ");
    EXPECT_EQ(k.Run("/u=x"), 0);
    EXPECT_FALSE(k.Exists("Kestrel_Log.txt"));
    EXPECT_FALSE(k.Exists("ShopTool_old.exe"));
    EXPECT_TRUE(k.Exists("Kestrel_old.exe"));
}

TEST(StartupE2E, AProgramFolderWithALongPathWorks) {
    std::string parent = "C:\\kestrel-tests\\a folder with blanks";
    while (parent.size() < 150) {
        parent += "\\and another rather long folder name";
    }
    KestrelSandbox k("deep", "Kestrel.exe", parent);
    ASSERT_GT(k.Program().size(), 117u);
    k.Write("UninstallApps.txt", "Deep\r\n");
    k.Write("Kestrel_old.exe", "MZ");
    EXPECT_EQ(k.Run("/u=deep"), 0);
    EXPECT_EQ(k.Read("Kestrel.txt"), "Deep\r\n");
    EXPECT_FALSE(k.Exists("Kestrel_old.exe"));
    EXPECT_TRUE(k.Exists("Kestrel_Log.txt"));
}

TEST(StartupE2E, OddCommandLinesEndQuietlyWithoutAWindow) {
    KestrelSandbox k("odd");
    for (const char* line :
         {"/", "/u=", "/u=   /u=", "\"unterminated", "////", "/getdefs=", "/U=\xE9t\xE9 /AUTO"}) {
        EXPECT_EQ(k.Run(line, 60000), 0) << line;
    }
}

}  // namespace
}  // namespace kestrel::e2e

// Kestrel.exe started as a technician starts it, judged by the files it leaves.
#include <gtest/gtest.h>

#include "e2e/kestrel_sandbox.h"

namespace kestrel::e2e {
namespace {

TEST(StartupE2E, ARenamedProgramInALongFolderKeepsItsFilesBesideIt) {
    std::string parent = "C:\\kestrel-tests\\a folder with blanks";
    while (parent.size() < 150) {
        parent += "\\and another rather long folder name";
    }
    KestrelSandbox k("deep", "ShopTool.exe", parent);
    ASSERT_GT(k.Program().size(), 117u);
    k.Write("UninstallApps.txt", "Deep\r\n");
    k.Write("ShopTool_old.exe", "MZ");
    k.Write("Kestrel_old.exe", "MZ");
    EXPECT_EQ(k.Run("/u=deep"), 0);
    EXPECT_EQ(k.Read("Kestrel.txt"), "Deep\r\n");  // the old blacklist's name, migrated
    EXPECT_FALSE(k.Exists("ShopTool_old.exe"));    // the self-update copy is the program's own
    EXPECT_TRUE(k.Exists("Kestrel_old.exe"));
    const std::optional<std::string> log = k.Read("Kestrel_Log.txt");
    ASSERT_TRUE(log);
    EXPECT_NE(log->find("  -  Started on "), std::string::npos);
    EXPECT_NE(log->find("\r\n---------\r\n---END---\r\n\r\n"), std::string::npos);

    // Its own settings file is the one read.
    k.Write("ShopTool.ini", "[Options]\r\nLogFile=0\r\n");
    EXPECT_EQ(k.Run("/u=deep"), 0);
    EXPECT_EQ(k.Read("Kestrel_Log.txt"), log);
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

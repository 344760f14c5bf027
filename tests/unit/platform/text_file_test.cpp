#include <gtest/gtest.h>

#include <tuple>

#include "platform/file_tests.h"
#include "platform/text_file.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

class TextFileTest : public ::testing::Test {
protected:
    testing::FakeMachine m;
    const std::string list = "C:\\Kestrel\\Kestrel.txt";
};
using FileTests = TextFileTest;
using Redirection = TextFileTest;

TEST_F(TextFileTest, OverwriteReplacesAppendAddsAndMissingFoldersAreMade) {
    m.files.AddFile(list, "old content\r\n");
    EXPECT_TRUE(SaveTextToFile(m.ctx, list, "a\r\nb", true, false));
    EXPECT_EQ(m.files.Content(list), "a\r\nb\r\n");
    const std::string log = "C:\\Kestrel\\Logs\\Deep\\Kestrel_Log.txt";
    EXPECT_TRUE(SaveTextToFile(m.ctx, log, "first", false, false));
    EXPECT_TRUE(SaveTextToFile(m.ctx, log, "first", false, false));
    EXPECT_EQ(m.files.Content(log), "first\r\nfirst\r\n");
    EXPECT_FALSE(SaveTextToFile(m.ctx, "Q:\\nowhere\\file.txt", "x", true, false));
    EXPECT_TRUE(m.debugOut.Saw("\tSaveTextToFile - Directory does not exist / Cannot create"));
    size_t lines = m.debugOut.lines.size();
    EXPECT_FALSE(AppendDebugLine(m.ctx, "Q:\\nowhere\\file.txt", "x", false, false));
    EXPECT_EQ(m.debugOut.lines.size(), lines);  // a debug file's own failure is not logged
}

TEST_F(TextFileTest, ALockedOrReadOnlyTargetIsReportedAndKept) {
    m.files.AddFile(list, "keep\r\n", os::attr::kReadOnly);
    EXPECT_FALSE(SaveTextToFile(m.ctx, list, "x", true, false));
    m.files.SetAttributes(list, os::attr::kNormal);
    m.files.SetLocked(list, true);
    EXPECT_FALSE(SaveTextToFile(m.ctx, list, "x", false, false));
    EXPECT_EQ(m.files.Content(list), "keep\r\n");
}

TEST_F(TextFileTest, NoDuplicatesComparesWholeLinesIgnoringCase) {
    m.files.AddFile(list, "Ask Toolbar\r\nCoupon");
    EXPECT_TRUE(SaveTextToFile(m.ctx, list, "ASK TOOLBAR", false, true));
    EXPECT_TRUE(SaveTextToFile(m.ctx, list, "coupon", false, true));
    EXPECT_EQ(m.files.Content(list), "Ask Toolbar\r\nCoupon");
    EXPECT_TRUE(SaveTextToFile(m.ctx, list, "Ask", false, true));
    EXPECT_EQ(m.files.Content(list), "Ask Toolbar\r\nCouponAsk\r\n");
    // Text holding a line break is never a duplicate.
    EXPECT_TRUE(SaveTextToFile(m.ctx, list, "Ask Toolbar\r\nCoupon", false, true));
    EXPECT_NE(m.files.Content(list)->find("CouponAsk\r\nAsk Toolbar\r\nCoupon\r\n"),
              std::string::npos);
    const std::string white = "C:\\Kestrel\\Kestrel_Whitelist.txt";
    EXPECT_TRUE(SaveTextToFile(m.ctx, white, "Keep", false, true));
    EXPECT_EQ(m.files.Content(white), "Keep\r\n");
}

TEST_F(TextFileTest, ReadTextLinesAcceptsAnyLineEnd) {
    m.files.AddFile(list, "a\r\nb\rc\nd");
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadTextLines(m.ctx, list, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(ReadTextLines(m.ctx, "C:\\Kestrel\\absent.txt", lines));
    EXPECT_TRUE(lines.empty());
    m.files.AddFolder("C:\\Kestrel\\folder.txt");
    EXPECT_FALSE(ReadTextLines(m.ctx, "C:\\Kestrel\\folder.txt", lines));
}

TEST_F(FileTests, OnlyAbsolutePathsExistAndFoldersAreToldByTheirAttribute) {
    EXPECT_TRUE(DoesDirExist(m.ctx, "C:\\Windows"));
    EXPECT_TRUE(DoesFileExist(m.ctx, "C:\\Kestrel\\Kestrel.exe"));
    for (const char* no : {"Windows", "C:\\Kestrel\\Kestrel.exe", "Q:\\x", ""}) {
        EXPECT_FALSE(DoesDirExist(m.ctx, no)) << no;
    }
    for (const char* no : {"C:\\Windows", "Kestrel\\Kestrel.exe", "Q:\\x", ""}) {
        EXPECT_FALSE(DoesFileExist(m.ctx, no)) << no;
    }
    EXPECT_EQ(ClassifyPath(m.ctx, "C:\\Windows"), "dir");
    EXPECT_EQ(ClassifyPath(m.ctx, "C:\\Windows\\explorer.exe"), "file");
    EXPECT_EQ(ClassifyPath(m.ctx, "C:\\nothing"), "neither");
    DoesDirExistNo64bitCheck(m.ctx, "C:\\Nope", true);
    EXPECT_EQ(m.debugOut.lines,
              (std::vector<std::string>{"\tCommonModule\\DoesDirExistNo64bitCheck: -1",
                                        "\t\t- Passed: C:\\Nope", "\t\t- Returns: False"}));
}

TEST_F(FileTests, LongPathsAndFolderChains) {
    std::string folder = "C:\\" + std::string(120, 'd');
    m.files.AddFile(folder + "\\file.txt", "x");
    EXPECT_TRUE(DoesFileExist(m.ctx, folder + "\\file.txt"));
    EXPECT_TRUE(DoesDirExist(m.ctx, folder));
    EXPECT_TRUE(OpenLongPath(m.ctx, folder + "\\file.txt"));
    m.files.AddDrive("\\\\server\\share");
    m.files.AddFile("\\\\server\\share\\f.txt");
    EXPECT_TRUE(OpenLongPath(m.ctx, "\\\\server\\share\\f.txt"));
    EXPECT_TRUE(MakeFolderPath(m.ctx, "C:\\a\\b\\c"));
    EXPECT_TRUE(m.files.IsFolder("C:\\a\\b\\c"));
    EXPECT_FALSE(MakeFolderPath(m.ctx, "C:\\Kestrel\\Kestrel.exe\\below"));
}

TEST_F(FileTests, Is64BitInstallation) {
    EXPECT_TRUE(Is64BitInstallation(m.ctx, ""));
    m.files.AddDrive("D:");
    EXPECT_FALSE(Is64BitInstallation(m.ctx, "D:"));
    m.files.AddFolder("D:\\Program Files (x86)");
    EXPECT_TRUE(Is64BitInstallation(m.ctx, "D:"));
    m.env.Unset("ProgramFiles(x86)");
    EXPECT_FALSE(Is64BitInstallation(m.ctx, ""));
}

TEST_F(Redirection, PairsNestAndTheFirstRevertSwitchesBack) {
    FsRedirection& r = m.ctx.redirection;
    r.Disable();
    EXPECT_EQ(m.wow64.disabled, 0);  // the control is off until the program start
    r.Revert();
    r.SetAllowed(true);
    {
        RedirectionOff outer(r);
        RedirectionOff inner(r);
        EXPECT_TRUE(m.wow64.currentlyOff);
        r.Revert();
        EXPECT_FALSE(m.wow64.currentlyOff);
    }
    EXPECT_EQ(std::tuple(m.wow64.disabled, m.wow64.reverted), std::tuple(1, 1));
    m.env.Unset("ProgramFiles(x86)");  // 32-bit Windows: nothing to switch
    r.Disable();
    EXPECT_EQ(m.wow64.disabled, 1);
}

TEST_F(TextFileTest, AReplacementIsStagedUnderANameNoFileHas) {
    m.files.AddFile(list, "old\r\n");
    m.files.AddFile(list + ".~tmp", "someone's\r\n");
    m.files.AddFile(list + ".~tmp1", "another's\r\n");
    m.files.AddFolder(list + ".~tmp2");
    m.files.AddFile(list + ".~tmp3", "locked\r\n");
    m.files.SetLocked(list + ".~tmp3", true);
    const std::vector<std::string> before = m.files.AllPaths();
    EXPECT_TRUE(SaveTextToFile(m.ctx, list, "new", true, false));
    EXPECT_EQ(m.files.Content(list), "new\r\n");
    EXPECT_EQ(m.files.Content(list + ".~tmp"), "someone's\r\n");
    EXPECT_EQ(m.files.Content(list + ".~tmp1"), "another's\r\n");
    EXPECT_EQ(m.files.Content(list + ".~tmp3"), "locked\r\n");
    EXPECT_EQ(m.files.AllPaths(), before);  // the staged copy became the list

    // A write that fails keeps the old list whole and removes only what it began.
    m.files.FailWrites(112, 3);  // the disk fills up three bytes in
    EXPECT_FALSE(SaveTextToFile(m.ctx, list, "does not fit", true, false));
    m.files.FailWrites(0);
    EXPECT_TRUE(m.debugOut.Saw("CommonModule\\SaveTextToFile VB ERROR: 61 Disk full"));
    EXPECT_EQ(m.files.Content(list), "new\r\n");
    EXPECT_EQ(m.files.Content(list + ".~tmp1"), "another's\r\n");
    EXPECT_EQ(m.files.AllPaths(), before);
}

}  // namespace
}  // namespace kestrel

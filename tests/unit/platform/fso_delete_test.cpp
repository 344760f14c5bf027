// Deleting: KillFile, KillDir, DelTree32 and ResetAttributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "platform/fso.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::attr::kArchive;
using os::attr::kHidden;
using os::attr::kReadOnly;
using os::attr::kSystem;
using Lines = std::vector<std::string>;

Lines KillFileLines(const std::string& path, bool result) {
    Lines lines;
    if (!result) {
        lines.push_back("\tclsFSO\\KillFile - Unable to delete:  " + path);
    }
    lines.insert(lines.end(), {"\tclsFSO\\KillFile: ", "\t\t- passed: " + path,
                               std::string("\t\t- returned: ") + (result ? "True" : "False")});
    return lines;
}

// What taking the file over logs (no subinacl.exe on the machine: only the owner change).
Lines WithOwnership(const std::string& path, const Lines& rest) {
    Lines lines = {
        "\tSetOwnerFS\\ChangeOwnerOfFile:", "\t\t- Passed: " + path,
        "\t\t- Optional Parm OwnerAccountName=", "\tOwner of " + path + " changed to tech"};
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

class Deleting : public ::testing::Test {
protected:
    Deleting() { m.ctx.redirection.SetAllowed(true); }
    Lines TakeLines() { return std::exchange(m.debugOut.lines, {}); }
    testing::FakeMachine m;
    clsFSO fso{m.ctx};
};

TEST_F(Deleting, KillFileTakesReadOnlyFilesOnTheSecondTry) {
    m.files.AddFile("C:\\app\\plain.txt");
    m.files.AddFile("C:\\app\\guarded.txt", "x", kReadOnly | kHidden | kSystem);
    EXPECT_TRUE(fso.KillFile("C:\\app\\plain.txt"));
    EXPECT_EQ(TakeLines(), KillFileLines("C:\\app\\plain.txt", true));
    EXPECT_TRUE(fso.KillFile("C:\\app\\guarded.txt"));
    EXPECT_EQ(m.debugOut.lines,
              WithOwnership("C:\\app\\guarded.txt", KillFileLines("C:\\app\\guarded.txt", true)));
    EXPECT_FALSE(m.files.Exists("C:\\app\\guarded.txt"));
    EXPECT_GT(m.wow64.disabled, 0);
    EXPECT_EQ(m.wow64.disabled, m.wow64.reverted);
    EXPECT_FALSE(m.ctx.redirection.IsOff());
}

TEST_F(Deleting, KillFileReportsALockedFileAsNotDeleted) {
    m.files.AddFile("C:\\app\\held.dll", "x", kReadOnly);
    m.files.SetLocked("C:\\app\\held.dll", true);
    EXPECT_FALSE(fso.KillFile("C:\\app\\held.dll"));
    EXPECT_EQ(m.debugOut.lines,
              WithOwnership("C:\\app\\held.dll", KillFileLines("C:\\app\\held.dll", false)));
    EXPECT_TRUE(m.files.Exists("C:\\app\\held.dll"));
    EXPECT_EQ(m.files.Attributes("C:\\app\\held.dll"), kArchive);  // cleared for the second try
}

TEST_F(Deleting, KillFileRefusesWhatIsNotOneFile) {
    m.files.AddFile("C:\\app\\dir\\inside.txt");
    m.files.AddFile("C:\\app\\a.txt");
    const auto before = m.files.AllPaths();
    for (const char* path : {"C:\\app\\dir", "app\\a.txt", "a.txt", "C:\\app\\*.txt", "", "C:\\"}) {
        EXPECT_FALSE(fso.KillFile(path)) << path;
        EXPECT_EQ(TakeLines(), KillFileLines(path, false)) << path;
    }
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_TRUE(fso.KillFile("C:\\app\\never-there.txt"));
}

TEST_F(Deleting, KillFileDeletesTheNameItWasGivenNotItsLookAlike) {
    m.files.AddFile("C:\\app\\name", "plain");
    m.files.AddFile("\\\\?\\C:\\app\\name.", "dotted");
    m.files.AddFile("\\\\?\\C:\\app\\name ", "blank", kReadOnly);
    EXPECT_TRUE(fso.KillFile("C:\\app\\name."));
    EXPECT_TRUE(fso.KillFile("C:\\app\\name "));
    EXPECT_EQ(m.files.Content("C:\\app\\name"), "plain");
    EXPECT_FALSE(m.files.Exists("\\\\?\\C:\\app\\name."));
    EXPECT_FALSE(m.files.Exists("\\\\?\\C:\\app\\name "));
    EXPECT_TRUE(fso.KillFile("C:\\app\\name"));
    EXPECT_FALSE(m.files.Exists("C:\\app\\name"));
}

TEST_F(Deleting, KillDirAndDelTree32DeleteTheFolderNamedNotItsLookAlike) {
    m.files.AddFile("C:\\app\\data\\keep.txt", "keep");
    m.files.AddFile("\\\\?\\C:\\app\\data.\\inner.\\x.txt", "x", kReadOnly);
    m.files.AddFile("\\\\?\\C:\\app\\data \\y.txt");
    EXPECT_TRUE(fso.KillDir("C:\\app\\data."));
    EXPECT_TRUE(fso.DelTree32("C:\\app\\data "));
    EXPECT_EQ(m.files.Content("C:\\app\\data\\keep.txt"), "keep");
    EXPECT_FALSE(m.files.Exists("\\\\?\\C:\\app\\data."));
    EXPECT_FALSE(m.files.Exists("\\\\?\\C:\\app\\data "));
}

TEST_F(Deleting, ResetAttributesLeavesOnlyArchive) {
    m.files.AddFile("C:\\app\\f.txt", "x", kReadOnly | kHidden | kSystem);
    m.files.AddFolder("C:\\app\\d");
    (void)m.files.SetAttributes("C:\\app\\d", kReadOnly | kHidden);
    for (const char* path : {"C:\\app\\f.txt", "C:\\app\\d", "relative"}) {
        fso.ResetAttributes(path);
    }
    EXPECT_EQ(m.files.Attributes("C:\\app\\f.txt"), kArchive);
    EXPECT_EQ(m.files.Attributes("C:\\app\\d"), os::attr::kDirectory | kArchive);
}

TEST_F(Deleting, ResetAttributesTakesTheFileOverFirst) {
    m.files.AddFile("C:\\Windows\\subinacl.exe", "MZ");
    m.files.AddFile("C:\\app\\f.txt", "x", kReadOnly);
    m.processes.OnProgram("C:\\Windows\\subinacl.exe", os::fake::FakeProcesses::Program{});
    fso.ResetAttributes("C:\\app\\f.txt");
    EXPECT_EQ(m.processes.CommandLines(), Lines{"\"C:\\Windows\\subinacl.exe\" /file "
                                                "\"C:\\app\\f.txt\" /setowner=tech /grant=tech=F"});
    EXPECT_TRUE(m.debugOut.Saw("Owner of C:\\app\\f.txt changed to tech"));
    EXPECT_EQ(m.files.Attributes("C:\\app\\f.txt"), kArchive);
}

TEST_F(Deleting, DelTree32TakesWholeTreesWithReadOnlyPartsQuietly) {
    m.files.AddFile("C:\\app\\a.txt", "x", kReadOnly);
    m.files.AddFile("C:\\app\\sub\\b.txt", "x", kHidden | kSystem);
    m.files.AddFolder("C:\\app\\sub\\empty");
    (void)m.files.SetAttributes("C:\\app\\sub", kReadOnly);
    std::string deep = "C:\\app\\deep";
    for (int i = 0; i < 400; ++i) {
        deep += "\\level";
    }
    m.files.AddFile(deep + "\\bottom.txt");
    EXPECT_TRUE(fso.DelTree32("C:\\app"));
    EXPECT_FALSE(m.files.Exists("C:\\app"));
    EXPECT_TRUE(m.files.Exists("C:\\Kestrel\\Kestrel.exe"));
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(Deleting, DelTree32RefusesRootsRelativePathsAndPatterns) {
    m.files.AddFile("C:\\app\\a.txt");
    const auto before = m.files.AllPaths();
    for (const char* path :
         {"C:\\", "C:", "c:/", "\\\\?\\C:\\", "app", "\\app", "C:\\app\\*", "C:\\a?p", ""}) {
        EXPECT_FALSE(fso.DelTree32(path)) << path;
        EXPECT_EQ(TakeLines(),
                  (Lines{"\tclsFSO\\DelTree32 - VB ERROR: 5 Invalid procedure call or argument",
                         std::string("\t\t- Error deleting path:  ") + path}));
    }
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_FALSE(fso.DelTree32("C:\\app\\a.txt"));
    EXPECT_FALSE(fso.DelTree32("C:\\missing"));
    EXPECT_EQ(m.debugOut.lines.back(), "\t\t- Error deleting path:  C:\\missing");
    EXPECT_EQ(m.debugOut.lines.front(), "\tclsFSO\\DelTree32 - VB ERROR: 76 Path not found");
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST_F(Deleting, DelTree32RemovesLinksWithoutWhatTheyLeadTo) {
    m.files.AddFile("D:\\precious\\keep.txt", "keep");
    m.files.AddFile("C:\\app\\own.txt");
    m.files.AddLink("C:\\app\\to-d", "D:\\precious");
    m.files.AddLink("C:\\app\\loop", "C:\\app");
    m.files.AddLink("C:\\app\\keep-link.txt", "D:\\precious\\keep.txt", false);
    m.files.AddLink("C:\\link-alone", "D:\\precious");
    for (const char* path : {"C:\\app", "C:\\link-alone"}) {
        EXPECT_TRUE(fso.DelTree32(path)) << path;
        EXPECT_FALSE(m.files.Exists(path)) << path;
    }
    EXPECT_EQ(m.files.Content("D:\\precious\\keep.txt"), "keep");
}

TEST_F(Deleting, DelTree32DeletesWhatItCanAroundALockedFile) {
    Lines expected = m.files.AllPaths();
    m.files.AddFile("C:\\app\\a.txt");
    m.files.AddFile("C:\\app\\locked.txt");
    m.files.AddFile("C:\\app\\z\\z.txt");
    m.files.SetLocked("C:\\app\\locked.txt", true);
    EXPECT_FALSE(fso.DelTree32("C:\\app"));
    EXPECT_EQ(m.debugOut.lines, (Lines{"\tclsFSO\\DelTree32 - VB ERROR: 70 Permission denied",
                                       "\t\t- Error deleting path:  C:\\app"}));
    expected.insert(std::find(expected.begin(), expected.end(), "C:\\Kestrel"),
                    {"C:\\app", "C:\\app\\locked.txt"});
    EXPECT_EQ(m.files.AllPaths(), expected);
}

TEST_F(Deleting, KillDirOfAMissingFolderSucceedsAndCanRecreateIt) {
    EXPECT_TRUE(fso.KillDir("C:\\gone"));
    EXPECT_EQ(TakeLines(),
              (Lines{"\tclsFSO\\KillDir: ", "\t\t- passed: C:\\gone", "\t\t- returned: True"}));
    EXPECT_TRUE(fso.KillDir("C:\\gone\\again", true));
    EXPECT_TRUE(m.files.IsFolder("C:\\gone\\again"));
    m.files.AddFile("C:\\blocker");
    m.debugOut.lines.clear();
    EXPECT_TRUE(fso.KillDir("C:\\blocker\\below", true));
    EXPECT_EQ(m.debugOut.lines.front(),
              "\tclsFSO\\KillDir - Error recreating:  C:\\blocker\\below");
}

TEST_F(Deleting, KillDirEmptiesAndRecreatesWithoutLogging) {
    m.files.AddFile("C:\\cache\\a.bin", "x", kReadOnly);
    m.files.AddFile("C:\\cache\\sub\\b.bin");
    EXPECT_TRUE(fso.KillDir("C:\\cache", true));
    EXPECT_TRUE(m.files.IsFolder("C:\\cache"));
    EXPECT_FALSE(m.files.Exists("C:\\cache\\sub"));
    EXPECT_TRUE(m.debugOut.lines.empty());
    EXPECT_TRUE(fso.KillDir("C:\\cache"));
    EXPECT_FALSE(m.files.Exists("C:\\cache"));
}

TEST_F(Deleting, KillDirRefusesFilesRootsAndRelativePaths) {
    m.files.AddFile("C:\\app\\file.txt");
    const auto before = m.files.AllPaths();
    for (const char* path : {"C:\\app\\file.txt", "C:\\", "app", "C:\\app\\*"}) {
        EXPECT_FALSE(fso.KillDir(path, true)) << path;
        EXPECT_EQ(m.debugOut.lines.back(), "\t\t- returned: False");
    }
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST_F(Deleting, KillDirClearsOutWhatItCanWhenTheTreeResists) {
    for (const char* path : {"C:\\app\\a.txt", "C:\\app\\bin\\held.dll", "C:\\app\\bin\\other.dll",
                             "C:\\app\\docs\\x\\y.txt"}) {
        m.files.AddFile(path);
    }
    m.files.SetLocked("C:\\app\\bin\\held.dll", true);
    EXPECT_FALSE(fso.KillDir("C:\\app"));
    EXPECT_TRUE(m.files.Exists("C:\\app\\bin\\held.dll"));
    for (const char* gone : {"C:\\app\\a.txt", "C:\\app\\bin\\other.dll", "C:\\app\\docs"}) {
        EXPECT_FALSE(m.files.Exists(gone)) << gone;
    }
    EXPECT_TRUE(m.debugOut.Saw("clsFSO\\KillFile - Unable to delete:  C:\\app\\bin\\held.dll"));
    m.files.SetLocked("C:\\app\\bin\\held.dll", false);
    EXPECT_TRUE(fso.KillDir("C:\\app"));
    EXPECT_FALSE(m.files.Exists("C:\\app"));
}

}  // namespace
}  // namespace kestrel

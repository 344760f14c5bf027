// Deleting: KillFile, KillDir, DelTree32 and ResetAttributes.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fso.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::attr::kArchive;
using os::attr::kHidden;
using os::attr::kReadOnly;
using os::attr::kSystem;
using Lines = std::vector<std::string>;

class Deleting : public ::testing::Test {
protected:
    Deleting() { m.ctx.redirection.SetAllowed(true); }
    testing::FakeMachine m;
    clsFSO fso{m.ctx};
};

TEST_F(Deleting, KillFileTakesReadOnlyFilesOverOnTheSecondTry) {
    m.files.AddFile("C:\\app\\plain.txt");
    m.files.AddFile("C:\\app\\guarded.txt", "x", kReadOnly | kHidden | kSystem);
    EXPECT_TRUE(fso.KillFile("C:\\app\\plain.txt"));
    EXPECT_EQ(m.debugOut.lines, (Lines{"\tclsFSO\\KillFile: ", "\t\t- passed: C:\\app\\plain.txt",
                                       "\t\t- returned: True"}));
    EXPECT_TRUE(fso.KillFile("C:\\app\\guarded.txt"));
    EXPECT_TRUE(m.debugOut.Saw("\tOwner of C:\\app\\guarded.txt changed to tech"));
    EXPECT_FALSE(m.files.Exists("C:\\app\\guarded.txt"));
    EXPECT_GT(m.wow64.disabled, 0);
    EXPECT_EQ(m.wow64.disabled, m.wow64.reverted);
    EXPECT_FALSE(m.ctx.redirection.IsOff());
    EXPECT_TRUE(fso.KillFile("C:\\app\\never-there.txt"));
}

TEST_F(Deleting, KillFileReportsALockedFileAsNotDeleted) {
    m.files.AddFile("C:\\app\\held.dll", "x", kReadOnly);
    m.files.SetLocked("C:\\app\\held.dll", true);
    EXPECT_FALSE(fso.KillFile("C:\\app\\held.dll"));
    EXPECT_TRUE(m.debugOut.Saw("\tclsFSO\\KillFile - Unable to delete:  C:\\app\\held.dll"));
    EXPECT_EQ(m.debugOut.lines.back(), "\t\t- returned: False");
    EXPECT_TRUE(m.files.Exists("C:\\app\\held.dll"));
    EXPECT_EQ(m.files.Attributes("C:\\app\\held.dll"), kArchive);  // cleared for the second try
}

TEST_F(Deleting, RootsRelativePathsPatternsAndTheWrongKindAreRefused) {
    m.files.AddFile("C:\\app\\dir\\inside.txt");
    m.files.AddFile("C:\\app\\a.txt");
    const auto before = m.files.AllPaths();
    for (const char* path : {"", "C:\\", "C:", "c:/", "\\\\?\\C:\\", "app", "\\app", "a.txt",
                             "app\\a.txt", "C:\\app\\*", "C:\\a?p", "C:\\app\\*.txt"}) {
        EXPECT_FALSE(fso.KillFile(path)) << path;
        EXPECT_FALSE(fso.KillDir(path, true)) << path;
        EXPECT_FALSE(fso.DelTree32(path)) << path;
    }
    EXPECT_FALSE(fso.KillFile("C:\\app\\dir"));
    EXPECT_FALSE(fso.KillDir("C:\\app\\a.txt", true));
    EXPECT_FALSE(fso.DelTree32("C:\\app\\a.txt"));
    EXPECT_FALSE(fso.DelTree32("C:\\missing"));
    EXPECT_TRUE(m.debugOut.Saw("\tclsFSO\\DelTree32 - VB ERROR: 5 Invalid procedure call"));
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST_F(Deleting, TheNameGivenGoesNotItsLookAlike) {
    m.files.AddFile("C:\\app\\name", "plain");
    m.files.AddFile("\\\\?\\C:\\app\\name.", "dotted");
    m.files.AddFile("\\\\?\\C:\\app\\name ", "blank", kReadOnly);
    m.files.AddFile("C:\\app\\data\\keep.txt", "keep");
    m.files.AddFile("\\\\?\\C:\\app\\data.\\inner.\\x.txt", "x", kReadOnly);
    m.files.AddFile("\\\\?\\C:\\app\\data \\y.txt");
    EXPECT_TRUE(fso.KillFile("C:\\app\\name."));
    EXPECT_TRUE(fso.KillFile("C:\\app\\name "));
    EXPECT_TRUE(fso.KillDir("C:\\app\\data."));
    EXPECT_TRUE(fso.DelTree32("C:\\app\\data "));
    EXPECT_EQ(m.files.Content("C:\\app\\name"), "plain");
    EXPECT_EQ(m.files.Content("C:\\app\\data\\keep.txt"), "keep");
    for (const char* gone : {"\\\\?\\C:\\app\\name.", "\\\\?\\C:\\app\\name ",
                             "\\\\?\\C:\\app\\data.", "\\\\?\\C:\\app\\data "}) {
        EXPECT_FALSE(m.files.Exists(gone)) << gone;
    }
}

TEST_F(Deleting, ResetAttributesTakesTheFileOverAndLeavesOnlyArchive) {
    m.files.AddFile("C:\\Windows\\subinacl.exe", "MZ");
    m.processes.OnProgram("C:\\Windows\\subinacl.exe", os::fake::FakeProcesses::Program{});
    m.files.AddFile("C:\\app\\f.txt", "x", kReadOnly | kHidden | kSystem);
    m.files.AddFolder("C:\\app\\d");
    (void)m.files.SetAttributes("C:\\app\\d", kReadOnly | kHidden);
    for (const char* path : {"C:\\app\\f.txt", "C:\\app\\d", "relative"}) {
        fso.ResetAttributes(path);
    }
    EXPECT_EQ(m.files.Attributes("C:\\app\\f.txt"), kArchive);
    EXPECT_EQ(m.files.Attributes("C:\\app\\d"), os::attr::kDirectory | kArchive);
    EXPECT_EQ(m.processes.CommandLines().front(),
              "\"C:\\Windows\\subinacl.exe\" /file \"C:\\app\\f.txt\" /setowner=tech "
              "/grant=tech=F");
    EXPECT_TRUE(m.debugOut.Saw("Owner of C:\\app\\f.txt changed to tech"));
}

TEST_F(Deleting, DelTree32TakesWholeTreesAndLinksButNotWhatTheyLeadTo) {
    m.files.AddFile("C:\\app\\a.txt", "x", kReadOnly);
    m.files.AddFile("C:\\app\\sub\\b.txt", "x", kHidden | kSystem);
    m.files.AddFolder("C:\\app\\sub\\empty");
    (void)m.files.SetAttributes("C:\\app\\sub", kReadOnly);
    m.files.AddFile("D:\\precious\\keep.txt", "keep");
    m.files.AddLink("C:\\app\\to-d", "D:\\precious");
    m.files.AddLink("C:\\app\\loop", "C:\\app");
    m.files.AddLink("C:\\app\\keep-link.txt", "D:\\precious\\keep.txt", false);
    m.files.AddLink("C:\\link-alone", "D:\\precious");
    for (const char* path : {"C:\\app", "C:\\link-alone"}) {
        EXPECT_TRUE(fso.DelTree32(path)) << path;
        EXPECT_FALSE(m.files.Exists(path)) << path;
    }
    EXPECT_EQ(m.files.Content("D:\\precious\\keep.txt"), "keep");
    EXPECT_TRUE(m.debugOut.lines.empty());
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

TEST_F(Deleting, KillDirEmptiesRecreatesAndTakesMissingFoldersAsDone) {
    m.files.AddFile("C:\\cache\\a.bin", "x", kReadOnly);
    m.files.AddFile("C:\\cache\\sub\\b.bin");
    EXPECT_TRUE(fso.KillDir("C:\\cache", true));
    EXPECT_TRUE(m.files.IsFolder("C:\\cache"));
    EXPECT_FALSE(m.files.Exists("C:\\cache\\sub"));
    EXPECT_TRUE(m.debugOut.lines.empty());
    EXPECT_TRUE(fso.KillDir("C:\\cache"));
    EXPECT_FALSE(m.files.Exists("C:\\cache"));
    EXPECT_TRUE(fso.KillDir("C:\\gone"));
    EXPECT_TRUE(fso.KillDir("C:\\gone\\again", true));
    EXPECT_TRUE(m.files.IsFolder("C:\\gone\\again"));
    m.files.AddFile("C:\\blocker");
    EXPECT_TRUE(fso.KillDir("C:\\blocker\\below", true));
    EXPECT_TRUE(m.debugOut.Saw("\tclsFSO\\KillDir - Error recreating:  C:\\blocker\\below"));
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
    m.files.SetLocked("C:\\app\\bin\\held.dll", false);
    EXPECT_TRUE(fso.KillDir("C:\\app"));
    EXPECT_FALSE(m.files.Exists("C:\\app"));
}

}  // namespace
}  // namespace kestrel

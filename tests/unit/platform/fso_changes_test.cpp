// Changing files: Move_File, Copy_File, RenFile and Move_Dir; KillFile, KillDir, DelTree32 and
// ResetAttributes.
#include <gtest/gtest.h>

#include <algorithm>

#include "os/fake/fake_basics.h"
#include "platform/fso.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::attr::kArchive;
using os::attr::kHidden;
using os::attr::kReadOnly;
using os::attr::kSystem;
using Lines = std::vector<std::string>;

class Fso : public ::testing::Test {
protected:
    testing::FakeMachine m;
    clsFSO fso{m.ctx};
};
using RenFile = Fso;
using MoveDir = Fso;

class Transfers : public Fso {
protected:
    Transfers() {
        m.files.AddFile("C:\\src\\new.txt", "new", kReadOnly | kHidden);
        m.files.AddFile("C:\\dst\\old.txt", "old");
        m.files.SetTimes("C:\\dst\\old.txt", os::fake::FileTimeOf(2025, 1, 2),
                         os::fake::FileTimeOf(2025, 1, 2, 15, 4, 5));
    }
};

TEST_F(Transfers, MoveAndCopyToAFreeNameKeepTheSourceAttributes) {
    EXPECT_TRUE(fso.Copy_File("C:\\src\\new.txt", "C:\\dst\\copy.txt", false));
    EXPECT_TRUE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\", false));
    EXPECT_FALSE(m.files.Exists("C:\\src\\new.txt"));
    for (const char* path : {"C:\\dst\\copy.txt", "C:\\dst\\new.txt"}) {
        EXPECT_EQ(m.files.Content(path), "new") << path;
        EXPECT_EQ(m.files.Attributes(path), kReadOnly | kHidden) << path;
    }
    EXPECT_TRUE(m.prompts.messages.empty());
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(Transfers, AMissingSourceChangesNothing) {
    EXPECT_FALSE(fso.Move_File("C:\\src\\absent.txt", "C:\\dst\\x.txt", true));
    EXPECT_FALSE(fso.Copy_File("C:\\src\\absent.txt", "C:\\dst\\x.txt", true));
    EXPECT_TRUE(m.debugOut.Saw("\tclsFSO\\Copy_File - Source file does not exist, aborting"));
    EXPECT_FALSE(m.files.Exists("C:\\dst\\x.txt"));
}

TEST_F(Transfers, AnExistingTargetIsReplacedOnlyWhenTheUserSaysYes) {
    const auto before = m.files.AllPaths();
    EXPECT_FALSE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\old.txt", false));
    ASSERT_EQ(m.prompts.messages.size(), 1u);
    EXPECT_EQ(m.prompts.messages[0].title, "Replace File?");
    EXPECT_EQ(m.prompts.messages[0].style, os::mb::kYesNo | os::mb::kIconQuestion);
    EXPECT_EQ(m.prompts.messages[0].text,
              "File already exist at\r\nC:\\dst\\old.txt\r\nSize:  3 bytes\r\nModified:  1/2/2025 "
              "3:04:05 PM\r\n\r\nDo you want to replace it?");
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "old");
    m.prompts.answers.push_back(os::mb::kIdYes);
    EXPECT_TRUE(fso.Copy_File("C:\\src\\new.txt", "C:\\dst\\old.txt", false));
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "new");
    EXPECT_EQ(m.files.Content("C:\\src\\new.txt"), "new");
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST_F(Transfers, OverwriteReplacesEvenAReadOnlyTargetWithoutAsking) {
    (void)m.files.SetAttributes("C:\\dst\\old.txt", kReadOnly);
    EXPECT_TRUE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_TRUE(m.prompts.messages.empty());
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "new");
    EXPECT_EQ(m.files.Attributes("C:\\dst\\old.txt"), kReadOnly | kHidden);
    EXPECT_FALSE(m.files.Exists("C:\\src\\new.txt"));
}

TEST_F(Transfers, AFailedReplaceKeepsTheTargetAndTheSource) {
    (void)m.files.SetAttributes("C:\\dst\\old.txt", kReadOnly | kArchive);
    m.files.SetLocked("C:\\dst\\old.txt", true);
    const auto before = m.files.AllPaths();
    EXPECT_FALSE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_FALSE(fso.Copy_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_EQ(m.debugOut.lines.front(), "\tclsFSO\\Move_File - VB ERROR: 70 Permission denied");
    EXPECT_EQ(m.files.Attributes("C:\\dst\\old.txt"), kReadOnly | kArchive);
    m.files.SetLocked("C:\\dst\\old.txt", false);
    m.files.SetLocked("C:\\src\\new.txt", true);
    EXPECT_FALSE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "old");
    EXPECT_EQ(m.files.Content("C:\\src\\new.txt"), "new");
}

TEST_F(Transfers, TargetsThatAreNotFileNamesAreRefused) {
    m.files.AddFolder("C:\\dst\\folder");
    const auto before = m.files.AllPaths();
    EXPECT_FALSE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\folder", true));
    for (const char* to : {"relative.txt", "C:\\dst\\*.txt", "C:\\nowhere\\x.txt"}) {
        EXPECT_FALSE(fso.Copy_File("C:\\src\\new.txt", to, true)) << to;
    }
    EXPECT_TRUE(m.debugOut.Saw("\tclsFSO\\Copy_File - VB ERROR: 52 Bad file name or number"));
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST_F(RenFile, RenamesWithinTheOldFolderAndGivesBackTheNewPath) {
    m.files.AddFile("C:\\app\\old.cfg", "config");
    std::string newName = "D:\\elsewhere\\new.cfg";
    EXPECT_TRUE(fso.RenFile("C:\\app\\old.cfg", newName, false));
    EXPECT_EQ(newName, "C:\\app\\new.cfg");
    EXPECT_EQ(m.files.Content("C:\\app\\new.cfg"), "config");
    newName = "missing.cfg";
    EXPECT_FALSE(fso.RenFile("C:\\app\\old.cfg", newName, false));
    newName = "x";
    EXPECT_FALSE(fso.RenFile("C:\\app", newName, false));
    EXPECT_TRUE(m.files.IsFolder("C:\\app"));
}

TEST_F(RenFile, AnExistingNameGoesOnlyWithOverwriteAndOnlyWhenReplaced) {
    m.files.AddFile("C:\\app\\a.txt", "a");
    m.files.AddFile("C:\\app\\b.txt", "b", kReadOnly);
    std::string newName = "b.txt";
    EXPECT_FALSE(fso.RenFile("C:\\app\\a.txt", newName, false));
    EXPECT_TRUE(m.debugOut.Saw("\t\t- File Already Exists: C:\\app\\b.txt"));
    m.files.SetLocked("C:\\app\\a.txt", true);
    EXPECT_FALSE(fso.RenFile("C:\\app\\a.txt", newName, true));
    EXPECT_EQ(m.files.Content("C:\\app\\b.txt"), "b");
    EXPECT_EQ(m.files.Attributes("C:\\app\\b.txt"), kReadOnly);
    m.files.SetLocked("C:\\app\\a.txt", false);
    EXPECT_TRUE(fso.RenFile("C:\\app\\a.txt", newName, true));
    EXPECT_EQ(m.files.Content("C:\\app\\b.txt"), "a");
    EXPECT_FALSE(m.files.Exists("C:\\app\\a.txt"));
}

TEST_F(RenFile, AChangeOfCaseKeepsTheFile) {
    m.files.AddFile("C:\\app\\readme.TXT", "keep me");
    for (bool overwrite : {false, true}) {
        std::string newName = overwrite ? "README.txt" : "Readme.Txt";
        EXPECT_TRUE(fso.RenFile("C:\\app\\readme.TXT", newName, overwrite));
        EXPECT_EQ(m.files.Content("C:\\app\\readme.txt"), "keep me");
    }
    const Lines paths = m.files.AllPaths();
    EXPECT_NE(std::find(paths.begin(), paths.end(), "C:\\app\\README.txt"), paths.end());
}

TEST_F(MoveDir, MovesFoldersWholeAndRefusesTheRest) {
    m.files.AddFile("C:\\from\\tree\\x.txt", "x");
    m.files.AddFolder("C:\\to");
    EXPECT_TRUE(fso.Move_Dir("C:\\from\\tree", "C:\\to\\"));
    EXPECT_EQ(m.files.Content("C:\\to\\tree\\x.txt"), "x");
    EXPECT_TRUE(fso.Move_Dir("C:\\to\\tree", "C:\\moved"));
    EXPECT_EQ(m.files.Content("C:\\moved\\x.txt"), "x");
    for (const char* from : {"C:\\absent", "C:\\", "moved", "C:\\moved\\x.txt"}) {
        EXPECT_FALSE(fso.Move_Dir(from, "C:\\x")) << from;
    }
    EXPECT_FALSE(fso.Move_Dir("C:\\moved", "C:\\to"));
    EXPECT_TRUE(m.debugOut.Saw("\tclsFSO\\Move_Dir - VB ERROR: 58 File already exists"));
    EXPECT_FALSE(m.files.Exists("C:\\x"));
    EXPECT_TRUE(m.files.Exists("C:\\moved\\x.txt"));
}

class Deleting : public Fso {
protected:
    Deleting() { m.ctx.redirection.SetAllowed(true); }
};

TEST_F(Deleting, KillFileTakesReadOnlyFilesOverOnTheSecondTry) {
    m.files.AddFile("C:\\app\\plain.txt");
    m.files.AddFile("C:\\app\\guarded.txt", "x", kReadOnly | kHidden | kSystem);
    EXPECT_TRUE(fso.KillFile("C:\\app\\plain.txt"));
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
    m.files.AddFile("C:\\app\\f.txt", "x", kReadOnly | kHidden | kSystem);
    m.files.AddFolder("C:\\app\\d");
    (void)m.files.SetAttributes("C:\\app\\d", kReadOnly | kHidden);
    for (const char* path : {"C:\\app\\f.txt", "C:\\app\\d", "relative"}) {
        fso.ResetAttributes(path);
    }
    EXPECT_EQ(m.files.Attributes("C:\\app\\f.txt"), kArchive);
    EXPECT_EQ(m.files.Attributes("C:\\app\\d"), os::attr::kDirectory | kArchive);
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

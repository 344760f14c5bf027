// Copying, moving and renaming: Move_File, Copy_File, RenFile and Move_Dir.
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

}  // namespace
}  // namespace kestrel

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

std::vector<std::string> TransferErrorLines(const std::string& procedure, const std::string& error,
                                            const std::string& from, const std::string& to) {
    return {
        "\tclsFSO\\" + procedure + " - VB ERROR: " + error,
        procedure == "Move_File" ? "\tError while moving a file:" : "\tError while copying a file:",
        "\t\tFROM: " + from, "\t\tTO:   " + to, "\t\tNote TO: path may need a trailing backslash!"};
}

class Transfers : public ::testing::Test {
protected:
    Transfers() {
        m.files.AddFile("C:\\src\\new.txt", "new", kReadOnly | kHidden);
        m.files.AddFile("C:\\dst\\old.txt", "old");
        m.files.SetTimes("C:\\dst\\old.txt", os::fake::FileTimeOf(2025, 1, 2),
                         os::fake::FileTimeOf(2025, 1, 2, 15, 4, 5));
    }
    testing::FakeMachine m;
    clsFSO fso{m.ctx};
};

TEST_F(Transfers, MoveAndCopyToAFreeNameKeepTheSourceAttributes) {
    EXPECT_TRUE(fso.Copy_File("C:\\src\\new.txt", "C:\\dst\\copy.txt", false));
    EXPECT_TRUE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\", false));
    EXPECT_EQ(m.files.Content("C:\\dst\\copy.txt"), "new");
    EXPECT_EQ(m.files.Content("C:\\dst\\new.txt"), "new");
    EXPECT_FALSE(m.files.Exists("C:\\src\\new.txt"));
    EXPECT_EQ(m.files.Attributes("C:\\dst\\new.txt"), kReadOnly | kHidden);
    EXPECT_EQ(m.files.Attributes("C:\\dst\\copy.txt"), kReadOnly | kHidden);
    EXPECT_TRUE(m.prompts.messages.empty());
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(Transfers, AMissingSourceChangesNothing) {
    EXPECT_FALSE(fso.Move_File("C:\\src\\absent.txt", "C:\\dst\\x.txt", true));
    EXPECT_FALSE(fso.Copy_File("C:\\src\\absent.txt", "C:\\dst\\x.txt", true));
    EXPECT_EQ(m.debugOut.lines,
              (std::vector<std::string>{
                  "\tclsFSO\\Move_File - Source file does not exist, aborting routine.",
                  "\tclsFSO\\Copy_File - Source file does not exist, aborting routine.",
                  "\t\tFile:  C:\\src\\absent.txt"}));
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
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "old");

    m.prompts.answers.push_back(os::mb::kIdYes);
    EXPECT_TRUE(fso.Copy_File("C:\\src\\new.txt", "C:\\dst\\old.txt", false));
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "new");
    EXPECT_EQ(m.files.Content("C:\\src\\new.txt"), "new");
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST_F(Transfers, OverwriteReplacesEvenAReadOnlyTargetWithoutAsking) {
    (void)m.files.SetAttributes("C:\\dst\\old.txt", kReadOnly);
    std::vector<std::string> expected = m.files.AllPaths();
    expected.erase(std::find(expected.begin(), expected.end(), "C:\\src\\new.txt"));
    EXPECT_TRUE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_TRUE(m.prompts.messages.empty());
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "new");
    EXPECT_EQ(m.files.Attributes("C:\\dst\\old.txt"), kReadOnly | kHidden);
    EXPECT_EQ(m.files.AllPaths(), expected);
}

TEST_F(Transfers, AFailedReplaceKeepsTheTargetAndTheSource) {
    (void)m.files.SetAttributes("C:\\dst\\old.txt", kReadOnly | kArchive);
    m.files.SetLocked("C:\\dst\\old.txt", true);
    const auto before = m.files.AllPaths();
    EXPECT_FALSE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_FALSE(fso.Copy_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "old");
    EXPECT_EQ(m.files.Content("C:\\src\\new.txt"), "new");
    EXPECT_EQ(m.files.Attributes("C:\\dst\\old.txt"), kReadOnly | kArchive);
    std::vector<std::string> expected = TransferErrorLines("Move_File", "70 Permission denied",
                                                           "C:\\src\\new.txt", "C:\\dst\\old.txt");
    for (const std::string& line : TransferErrorLines("Copy_File", "70 Permission denied",
                                                      "C:\\src\\new.txt", "C:\\dst\\old.txt")) {
        expected.push_back(line);
    }
    EXPECT_EQ(m.debugOut.lines, expected);
}

TEST_F(Transfers, ALockedSourceLeavesTheTargetAlone) {
    m.files.SetLocked("C:\\src\\new.txt", true);
    const auto before = m.files.AllPaths();
    EXPECT_FALSE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\old.txt", true));
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_EQ(m.files.Content("C:\\dst\\old.txt"), "old");
}

TEST_F(Transfers, TargetsThatAreNotFileNamesAreRefused) {
    m.files.AddFolder("C:\\dst\\folder");
    const auto before = m.files.AllPaths();
    EXPECT_FALSE(fso.Move_File("C:\\src\\new.txt", "C:\\dst\\folder", true));
    EXPECT_EQ(m.debugOut.lines.front(), "\tclsFSO\\Move_File - VB ERROR: 70 Permission denied");
    m.debugOut.lines.clear();
    EXPECT_FALSE(fso.Copy_File("C:\\src\\new.txt", "relative.txt", true));
    EXPECT_EQ(m.debugOut.lines.front(),
              "\tclsFSO\\Copy_File - VB ERROR: 52 Bad file name or number");
    EXPECT_FALSE(fso.Copy_File("C:\\src\\new.txt", "C:\\dst\\*.txt", true));
    EXPECT_FALSE(fso.Copy_File("C:\\src\\new.txt", "C:\\nowhere\\x.txt", true));
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST(RenFile, RenamesWithinTheOldFolderAndGivesBackTheNewPath) {
    testing::FakeMachine m;
    clsFSO fso(m.ctx);
    m.files.AddFile("C:\\app\\old.cfg", "config");
    std::string newName = "D:\\elsewhere\\new.cfg";
    EXPECT_TRUE(fso.RenFile("C:\\app\\old.cfg", newName, false));
    EXPECT_EQ(newName, "C:\\app\\new.cfg");
    EXPECT_EQ(m.files.Content("C:\\app\\new.cfg"), "config");
    EXPECT_EQ(
        m.debugOut.lines,
        std::vector<std::string>{"\tclsFSO\\RenFile: Rename to \"C:\\app\\new.cfg\" succeeded."});
    m.debugOut.lines.clear();
    newName = "missing.cfg";
    EXPECT_FALSE(fso.RenFile("C:\\app\\old.cfg", newName, false));
    EXPECT_EQ(m.debugOut.lines,
              (std::vector<std::string>{"\tclsFSO\\RenFile: Failed.",
                                        "\t\t- File Not Found: C:\\app\\old.cfg"}));
    m.debugOut.lines.clear();
    newName = "x";
    EXPECT_FALSE(fso.RenFile("C:\\app", newName, false));
    EXPECT_TRUE(m.files.IsFolder("C:\\app"));
}

TEST(RenFile, AnExistingNameGoesOnlyWithOverwriteAndOnlyWhenReplaced) {
    testing::FakeMachine m;
    clsFSO fso(m.ctx);
    m.files.AddFile("C:\\app\\a.txt", "a");
    m.files.AddFile("C:\\app\\b.txt", "b", kReadOnly);
    std::string newName = "b.txt";
    EXPECT_FALSE(fso.RenFile("C:\\app\\a.txt", newName, false));
    EXPECT_EQ(m.debugOut.lines,
              (std::vector<std::string>{"\tclsFSO\\RenFile: Failed, exiting function.",
                                        "\t\t- File Already Exists: C:\\app\\b.txt",
                                        "\t\t- Input: C:\\app\\a.txt"}));
    m.files.SetLocked("C:\\app\\a.txt", true);
    m.debugOut.lines.clear();
    EXPECT_FALSE(fso.RenFile("C:\\app\\a.txt", newName, true));
    EXPECT_EQ(m.debugOut.lines,
              (std::vector<std::string>{"\tclsFSO\\RenFile: Rename to \"C:\\app\\b.txt\" failed.",
                                        "\t\t- Input: C:\\app\\a.txt"}));
    EXPECT_EQ(m.files.Content("C:\\app\\b.txt"), "b");
    EXPECT_EQ(m.files.Attributes("C:\\app\\b.txt"), kReadOnly);
    m.files.SetLocked("C:\\app\\a.txt", false);
    EXPECT_TRUE(fso.RenFile("C:\\app\\a.txt", newName, true));
    EXPECT_EQ(m.files.Content("C:\\app\\b.txt"), "a");
    EXPECT_FALSE(m.files.Exists("C:\\app\\a.txt"));
}

TEST(RenFile, AChangeOfCaseKeepsTheFile) {
    testing::FakeMachine m;
    clsFSO fso(m.ctx);
    m.files.AddFile("C:\\app\\readme.TXT", "keep me");
    for (bool overwrite : {false, true}) {
        std::string newName = overwrite ? "README.txt" : "Readme.Txt";
        EXPECT_TRUE(fso.RenFile("C:\\app\\readme.TXT", newName, overwrite));
        EXPECT_EQ(m.files.Content("C:\\app\\readme.txt"), "keep me");
    }
    EXPECT_EQ(m.files.AllPaths().back(), "C:\\Windows\\system32");
    EXPECT_NE(
        std::find(m.files.AllPaths().begin(), m.files.AllPaths().end(), "C:\\app\\README.txt"),
        m.files.AllPaths().end());
}

TEST(MoveDir, MovesFoldersWholeAndRefusesTheRest) {
    testing::FakeMachine m;
    clsFSO fso(m.ctx);
    m.files.AddFile("C:\\from\\tree\\x.txt", "x");
    m.files.AddFolder("C:\\to");
    EXPECT_TRUE(fso.Move_Dir("C:\\from\\tree", "C:\\to\\"));
    EXPECT_EQ(m.files.Content("C:\\to\\tree\\x.txt"), "x");
    EXPECT_TRUE(fso.Move_Dir("C:\\to\\tree", "C:\\moved"));
    EXPECT_EQ(m.files.Content("C:\\moved\\x.txt"), "x");
    EXPECT_FALSE(fso.Move_Dir("C:\\moved", "C:\\to"));
    EXPECT_EQ(m.debugOut.lines,
              (std::vector<std::string>{"\tclsFSO\\Move_Dir - VB ERROR: 58 File already exists",
                                        "\t\t- Source=C:\\moved", "\t\t- Destination=C:\\to"}));
    EXPECT_FALSE(fso.Move_Dir("C:\\absent", "C:\\x"));
    EXPECT_FALSE(fso.Move_Dir("C:\\", "C:\\x"));
    EXPECT_FALSE(fso.Move_Dir("moved", "C:\\x"));
    EXPECT_FALSE(fso.Move_Dir("C:\\moved\\x.txt", "C:\\x"));
    EXPECT_FALSE(m.files.Exists("C:\\x"));
}

}  // namespace
}  // namespace kestrel

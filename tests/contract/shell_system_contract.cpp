// The contracts of the shell's file operations, the drives and the system facts: the same
// cases for the fakes and for Windows (Wine).
#include <gtest/gtest.h>

#include <algorithm>

#include "app/strings.h"
#include "contract/file_system_contract.h"

namespace kestrel::testing {
namespace {

using os::ShellOp;
using os::WriteMode;

constexpr uint16_t kSilentDelete = os::fof::kNoConfirmation | os::fof::kNoErrorUi;
constexpr uint16_t kSilentMove = os::fof::kNoConfirmMkdir | os::fof::kNoErrorUi |
                                 os::fof::kNoCopySecurityAttribs | os::fof::kNoConfirmation;

bool Exists(os::FileSystem& fs, const std::string& path) {
    return fs.Attributes(path) != os::kInvalidAttributes;
}

void Make(os::FileSystem& fs, const std::string& path, const std::string& content = "x") {
    ASSERT_EQ(fs.Write(path, content, WriteMode::kTruncate), 0u) << path;
}

TEST_P(ShellFilesContract, DeletionTakesWholeTreesWithReadOnlyFiles) {
    auto& fs = Files();
    const std::string tree = Root() + "\\tree";
    ASSERT_EQ(fs.CreateFolderTree(tree + "\\deeper\\deepest"), 0u);
    Make(fs, tree + "\\deeper\\deepest\\file.txt");
    Make(fs, tree + "\\ro.txt");
    ASSERT_EQ(fs.SetAttributes(tree + "\\ro.txt", os::attr::kReadOnly), 0u);
    bool aborted = true;
    EXPECT_EQ(World().Shell().FileOperation(ShellOp::kDelete, {tree}, "", kSilentDelete, &aborted),
              0);
    EXPECT_FALSE(aborted);
    EXPECT_FALSE(Exists(fs, tree));
    EXPECT_TRUE(Exists(fs, Root()));
}

TEST_P(ShellFilesContract, DeletionOfAWildcardTakesOnlyTheMatches) {
    auto& fs = Files();
    for (const char* name : {"a.log", "b.log", "keep.txt"}) {
        Make(fs, Root() + "\\" + name);
    }
    EXPECT_EQ(World().Shell().FileOperation(ShellOp::kDelete, {Root() + "\\*.log"}, "",
                                            kSilentDelete, nullptr),
              0);
    EXPECT_FALSE(Exists(fs, Root() + "\\a.log"));
    EXPECT_FALSE(Exists(fs, Root() + "\\b.log"));
    EXPECT_TRUE(Exists(fs, Root() + "\\keep.txt"));
}

TEST_P(ShellFilesContract, DeletionOfAMissingPathFails) {
    EXPECT_NE(World().Shell().FileOperation(ShellOp::kDelete, {Root() + "\\absent"}, "",
                                            kSilentDelete, nullptr),
              0);
}

TEST_P(ShellFilesContract, OneItemMovesIntoAFolderOrToAFullName) {
    auto& fs = Files();
    ASSERT_EQ(fs.CreateFolder(Root() + "\\to"), 0u);
    Make(fs, Root() + "\\one.txt", "one");
    Make(fs, Root() + "\\two.txt", "two");
    ASSERT_EQ(fs.CreateFolder(Root() + "\\sub"), 0u);
    auto& shell = World().Shell();
    EXPECT_EQ(shell.FileOperation(ShellOp::kMove, {Root() + "\\one.txt"}, Root() + "\\to",
                                  kSilentMove, nullptr),
              0);
    EXPECT_EQ(shell.FileOperation(ShellOp::kMove, {Root() + "\\two.txt"},
                                  Root() + "\\to\\renamed.txt", kSilentMove, nullptr),
              0);
    EXPECT_EQ(shell.FileOperation(ShellOp::kMove, {Root() + "\\sub"}, Root() + "\\to", kSilentMove,
                                  nullptr),
              0);
    std::string bytes;
    EXPECT_EQ(fs.ReadAll(Root() + "\\to\\one.txt", bytes), 0u);
    EXPECT_EQ(bytes, "one");
    EXPECT_EQ(fs.ReadAll(Root() + "\\to\\renamed.txt", bytes), 0u);
    EXPECT_EQ(bytes, "two");
    EXPECT_NE(fs.Attributes(Root() + "\\to\\sub") & os::attr::kDirectory, 0u);
    EXPECT_FALSE(Exists(fs, Root() + "\\one.txt"));
}

TEST_P(ShellFilesContract, SeveralItemsMoveTogetherExceptUnderWine) {
    auto& fs = Files();
    ASSERT_EQ(fs.CreateFolder(Root() + "\\from"), 0u);
    ASSERT_EQ(fs.CreateFolder(Root() + "\\to"), 0u);
    Make(fs, Root() + "\\from\\a.txt");
    Make(fs, Root() + "\\from\\b.txt");
    bool aborted = false;
    int answer = World().Shell().FileOperation(ShellOp::kMove, {Root() + "\\from\\*.txt"},
                                               Root() + "\\to", kSilentMove, &aborted);
    if (World().ShellMoveOfSeveralItemsFails()) {
        EXPECT_EQ(answer, os::kShellOpCancelled);
        EXPECT_TRUE(aborted);
        EXPECT_TRUE(Exists(fs, Root() + "\\from\\a.txt"));
        EXPECT_FALSE(Exists(fs, Root() + "\\to\\a.txt"));
    } else {
        EXPECT_EQ(answer, 0);
        EXPECT_TRUE(Exists(fs, Root() + "\\to\\a.txt"));
        EXPECT_TRUE(Exists(fs, Root() + "\\to\\b.txt"));
    }
}

TEST_P(ShellFilesContract, TypeNamesComeFromTheExtension) {
    auto& shell = World().Shell();
    EXPECT_FALSE(shell.TypeName(Root() + "\\letter.txt").empty());
    EXPECT_FALSE(shell.TypeName(Root() + "\\data.qqq").empty());
}

TEST_P(VolumesContract, TheSystemDriveIsAReadyFixedDrive) {
    auto& drives = World().Drives();
    const std::vector<std::string> roots = drives.LogicalDrives();
    EXPECT_NE(std::find(roots.begin(), roots.end(), "C:\\"), roots.end());
    EXPECT_EQ(drives.DriveType("C:\\"), os::drive_type::kFixed);
    EXPECT_TRUE(drives.IsReady("C:\\"));
    uint64_t free = 0, total = 0;
    EXPECT_EQ(drives.FreeSpace("C:\\", free, total), 0u);
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);
}

TEST_P(VolumesContract, AnAbsentDriveIsNeitherThereNorReady) {
    auto& drives = World().Drives();
    const std::vector<std::string> roots = drives.LogicalDrives();
    ASSERT_EQ(std::find(roots.begin(), roots.end(), "Q:\\"), roots.end());
    EXPECT_EQ(drives.DriveType("Q:\\"), os::drive_type::kNoRootDir);
    EXPECT_FALSE(drives.IsReady("Q:\\"));
    uint64_t free = 7, total = 7;
    EXPECT_NE(drives.FreeSpace("Q:\\", free, total), 0u);
}

TEST_P(SystemInfoContract, BothVersionRecordsDescribeTheSameWindows) {
    auto& system = World().System();
    os::OsVersionRecord extended, shorter;
    ASSERT_TRUE(system.Version(true, extended));
    ASSERT_TRUE(system.Version(false, shorter));
    EXPECT_EQ(extended.platformId, 2u);
    EXPECT_GE(extended.major, 5u);
    EXPECT_EQ(shorter.major, extended.major);
    EXPECT_EQ(shorter.minor, extended.minor);
    EXPECT_EQ(shorter.build, extended.build);
    EXPECT_EQ(extended.csdVersion.size(), 128u);
    EXPECT_EQ(shorter.csdVersion, extended.csdVersion);
    EXPECT_GE(extended.productType, 1u);
    EXPECT_EQ(shorter.productType, 0u);
    EXPECT_EQ(shorter.suiteMask, 0u);
}

TEST_P(SystemInfoContract, TheMachineKnowsItsStartModeEditionAndProfiles) {
    auto& system = World().System();
    EXPECT_EQ(system.CleanBoot(), 0);
    uint32_t sku = 9999;
    EXPECT_TRUE(system.OperatingSystemSku(sku));
    EXPECT_LT(sku, 200u);
    const std::string profiles = system.ProfilesDirectory();
    ASSERT_GE(profiles.size(), 3u);
    EXPECT_EQ(profiles.find('\0'), std::string::npos);
    EXPECT_NE(Files().Attributes(profiles) & os::attr::kDirectory, 0u);
    EXPECT_NE(Files().Attributes(profiles + "\\Public") & os::attr::kDirectory, 0u);
}

}  // namespace
}  // namespace kestrel::testing

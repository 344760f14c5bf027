// The contracts of the shell's file operations, the drives and the system facts: the same
// cases for the fakes and for Windows (Wine).
#include <gtest/gtest.h>

#include <algorithm>

#include "base/strings.h"
#include "contract/file_system_contract.h"

namespace kestrel::testing {
namespace {

using os::ShellOp;

constexpr uint16_t kSilentDelete = os::fof::kNoConfirmation | os::fof::kNoErrorUi;
constexpr uint16_t kSilentMove = os::fof::kNoConfirmMkdir | os::fof::kNoErrorUi |
                                 os::fof::kNoCopySecurityAttribs | os::fof::kNoConfirmation;

bool Exists(os::FileSystem& fs, const std::string& path) {
    return fs.Attributes(path) != os::kInvalidAttributes;
}

int ShellDelete(FileWorld& w, const std::string& path, bool* aborted = nullptr) {
    return w.Shell().FileOperation(ShellOp::kDelete, {path}, "", kSilentDelete, aborted);
}

int ShellMove(FileWorld& w, const std::string& from, const std::string& to,
              bool* aborted = nullptr) {
    return w.Shell().FileOperation(ShellOp::kMove, {from}, to, kSilentMove, aborted);
}

TEST_P(ShellFilesContract, DeletionTakesWholeTreesOrTheMatchesOfAPattern) {
    const std::string tree = At("tree");
    ASSERT_EQ(fs.CreateFolderTree(tree + "\\deeper\\deepest"), 0u);
    Put(tree + "\\deeper\\deepest\\file.txt");
    Put(tree + "\\ro.txt");
    ASSERT_EQ(fs.SetAttributes(tree + "\\ro.txt", os::attr::kReadOnly), 0u);
    bool aborted = true;
    EXPECT_EQ(ShellDelete(World(), tree, &aborted), 0);
    EXPECT_FALSE(aborted);
    EXPECT_FALSE(Exists(fs, tree));
    EXPECT_TRUE(Exists(fs, Root()));
    EXPECT_NE(ShellDelete(World(), tree), 0);

    for (const char* name : {"a.log", "b.log", "keep.txt"}) {
        Put(At(name));
    }
    EXPECT_EQ(ShellDelete(World(), At("*.log")), 0);
    EXPECT_FALSE(Exists(fs, At("a.log")));
    EXPECT_FALSE(Exists(fs, At("b.log")));
    EXPECT_TRUE(Exists(fs, At("keep.txt")));
}

TEST_P(ShellFilesContract, OneItemMovesIntoAFolderOrToAFullName) {
    ASSERT_EQ(fs.CreateFolder(At("to")), 0u);
    Put(At("one.txt"), "one");
    Put(At("two.txt"), "two");
    ASSERT_EQ(fs.CreateFolder(At("sub")), 0u);
    EXPECT_EQ(ShellMove(World(), At("one.txt"), At("to")), 0);
    EXPECT_EQ(ShellMove(World(), At("two.txt"), At("to\\renamed.txt")), 0);
    EXPECT_EQ(ShellMove(World(), At("sub"), At("to")), 0);
    EXPECT_EQ(Read(At("to\\one.txt")), "one");
    EXPECT_EQ(Read(At("to\\renamed.txt")), "two");
    EXPECT_NE(fs.Attributes(At("to\\sub")) & os::attr::kDirectory, 0u);
    EXPECT_FALSE(Exists(fs, At("one.txt")));
}

TEST_P(ShellFilesContract, SeveralItemsMoveTogetherExceptUnderWine) {
    ASSERT_EQ(fs.CreateFolder(At("from")), 0u);
    ASSERT_EQ(fs.CreateFolder(At("to")), 0u);
    Put(At("from\\a.txt"));
    Put(At("from\\b.txt"));
    bool aborted = false;
    const int answer = ShellMove(World(), At("from\\*.txt"), At("to"), &aborted);
    if (World().ShellMoveOfSeveralItemsFails()) {
        EXPECT_EQ(answer, os::kShellOpCancelled);
        EXPECT_TRUE(aborted);
        EXPECT_TRUE(Exists(fs, At("from\\a.txt")));
        EXPECT_FALSE(Exists(fs, At("to\\a.txt")));
    } else {
        EXPECT_EQ(answer, 0);
        EXPECT_TRUE(Exists(fs, At("to\\a.txt")));
        EXPECT_TRUE(Exists(fs, At("to\\b.txt")));
    }
}

TEST_P(ShellFilesContract, TypeNamesComeFromTheExtension) {
    EXPECT_FALSE(World().Shell().TypeName(At("letter.txt")).empty());
    EXPECT_FALSE(World().Shell().TypeName(At("data.qqq")).empty());
}

TEST_P(VolumesContract, TheSystemDriveIsAReadyFixedDriveAndAnAbsentOneIsNeither) {
    auto& drives = World().Drives();
    const std::vector<std::string> roots = drives.LogicalDrives();
    EXPECT_NE(std::find(roots.begin(), roots.end(), "C:\\"), roots.end());
    EXPECT_EQ(drives.DriveType("C:\\"), os::drive_type::kFixed);
    EXPECT_TRUE(drives.IsReady("C:\\"));
    uint64_t free = 0, total = 0;
    EXPECT_EQ(drives.FreeSpace("C:\\", free, total), 0u);
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);

    ASSERT_EQ(std::find(roots.begin(), roots.end(), "Q:\\"), roots.end());
    EXPECT_EQ(drives.DriveType("Q:\\"), os::drive_type::kNoRootDir);
    EXPECT_FALSE(drives.IsReady("Q:\\"));
    EXPECT_NE(drives.FreeSpace("Q:\\", free, total), 0u);
}

TEST_P(SystemInfoContract, VersionsStartModeEditionAndProfilesOfTheMachine) {
    // Both version records describe the same Windows.
    os::OsVersionRecord extended, shorter;
    ASSERT_TRUE(World().System().Version(true, extended));
    ASSERT_TRUE(World().System().Version(false, shorter));
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

    auto& system = World().System();
    EXPECT_EQ(system.CleanBoot(), 0);
    uint32_t sku = 9999;
    EXPECT_TRUE(system.OperatingSystemSku(sku));
    EXPECT_LT(sku, 200u);
    const std::string profiles = system.ProfilesDirectory();
    ASSERT_GE(profiles.size(), 3u);
    EXPECT_EQ(profiles.find('\0'), std::string::npos);
    EXPECT_NE(fs.Attributes(profiles) & os::attr::kDirectory, 0u);
    EXPECT_NE(fs.Attributes(profiles + "\\Public") & os::attr::kDirectory, 0u);
}

}  // namespace
}  // namespace kestrel::testing

// Recycle, APIDelete and the shell move.
#include <gtest/gtest.h>

#include "platform/shell_file_ops.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;

class ShellOps : public ::testing::Test {
protected:
    ShellOps() {
        m.files.AddFile("C:\\app\\bin\\tool.exe", "x", os::attr::kReadOnly);
        m.files.AddFile("C:\\app\\a.log");
        m.files.AddFile("C:\\app\\b.log");
        m.files.AddFile("C:\\app\\keep.txt");
    }
    std::vector<uint32_t> Flags() const {
        std::vector<uint32_t> flags;
        for (const auto& call : m.shell.calls) {
            flags.push_back(call.flags);
        }
        return flags;
    }
    testing::FakeMachine m;
};

TEST_F(ShellOps, APIDeleteTakesForGoodAndRecycleSendsToTheBin) {
    EXPECT_TRUE(APIDelete(m.ctx, "C:\\app\\bin", true));
    EXPECT_TRUE(APIDelete(m.ctx, "C:\\app\\a.log", false));
    EXPECT_FALSE(m.files.Exists("C:\\app\\bin"));
    EXPECT_TRUE(m.shell.recycled.empty());
    EXPECT_EQ(m.shell.recycleIconUpdates, 0);
    EXPECT_TRUE(Recycle(m.ctx, "C:\\app\\b.log", true));
    EXPECT_TRUE(Recycle(m.ctx, "C:\\app\\keep.txt", false));
    EXPECT_EQ(m.shell.recycled, (Lines{"C:\\app\\b.log", "C:\\app\\keep.txt"}));
    EXPECT_EQ(m.shell.recycleIconUpdates, 2);
    EXPECT_EQ(Flags(), (std::vector<uint32_t>{0x410, 0, 0x450, 0x40}));
}

TEST_F(ShellOps, PatternsAndFilesThatRemainAreReported) {
    m.files.AddFile("C:\\app\\held.log");
    m.files.SetLocked("C:\\app\\held.log", true);
    EXPECT_FALSE(APIDelete(m.ctx, "C:\\app\\*.log", true));
    EXPECT_FALSE(APIDelete(m.ctx, "C:\\app\\held.log", true));
    EXPECT_TRUE(APIDelete(m.ctx, "C:\\app\\never-there", true));
}

TEST_F(ShellOps, PathsThatReachTooFarAreNeverGivenToTheShell) {
    const auto before = m.files.AllPaths();
    for (const char* path : {"", "app", "app\\a.log", "C:", "C:\\", "\\\\server\\share", "C:\\*",
                             "C:\\*.*", "C:\\?", "C:\\a*\\b.log", "C:app"}) {
        EXPECT_FALSE(APIDelete(m.ctx, path, true)) << path;
        EXPECT_FALSE(Recycle(m.ctx, path, true)) << path;
    }
    EXPECT_FALSE(ShellMove(m.ctx, "app\\a.log", "C:\\dest", true, false));
    EXPECT_FALSE(ShellMove(m.ctx, "C:\\app\\a.log", "dest", true, false));
    EXPECT_TRUE(m.shell.calls.empty());
    EXPECT_EQ(m.files.AllPaths(), before);
}

TEST_F(ShellOps, ShellMoveKeepsWhatItWouldOverwrite) {
    m.files.AddFolder("C:\\dest");
    EXPECT_TRUE(ShellMove(m.ctx, "C:\\app\\a.log", "C:\\dest", true, false));
    EXPECT_TRUE(ShellMove(m.ctx, "C:\\app\\b.log", "C:\\dest", false, true));
    m.files.AddFile("C:\\app\\a.log", "second");
    EXPECT_FALSE(ShellMove(m.ctx, "C:\\app\\a.log", "C:\\dest", false, false));
    EXPECT_EQ(Flags(), (std::vector<uint32_t>{0xE10, 0xE08, 0xE00}));
    EXPECT_TRUE(m.files.Exists("C:\\dest\\a.log"));
    EXPECT_EQ(m.files.Content("C:\\app\\a.log"), "second");
}

TEST_F(ShellOps, ASeveralItemMoveRefusedAsAWholeIsMadeItemByItem) {
    m.shell.multiMoveFails = true;
    EXPECT_TRUE(ShellMove(m.ctx, "C:\\app\\*.log", "C:\\new\\logs", true, false));
    EXPECT_TRUE(m.files.Exists("C:\\new\\logs\\a.log"));
    EXPECT_TRUE(m.files.Exists("C:\\new\\logs\\b.log"));
    EXPECT_TRUE(m.files.Exists("C:\\app\\keep.txt"));
    ASSERT_EQ(m.shell.calls.size(), 3u);
    EXPECT_EQ(m.shell.calls[1].from, Lines{"C:\\app\\a.log"});
    EXPECT_EQ(m.shell.calls[2].from, Lines{"C:\\app\\b.log"});
    EXPECT_FALSE(ShellMove(m.ctx, "C:\\app\\*.none", "C:\\new\\logs", true, false));
}

TEST_F(ShellOps, OnlyVistaTriesAFailedMoveOnceMore) {
    m.files.AddFolder("C:\\dest");
    m.shell.scriptedFailures = {1223};
    EXPECT_FALSE(ShellMove(m.ctx, "C:\\app\\a.log", "C:\\dest", true, false));
    EXPECT_EQ(m.shell.calls.size(), 1u);
    m.system.record.minor = 0;  // Windows Vista
    m.shell.scriptedFailures = {1223};
    EXPECT_TRUE(ShellMove(m.ctx, "C:\\app\\a.log", "C:\\dest", true, false));
    EXPECT_EQ(m.shell.calls.size(), 3u);
    EXPECT_TRUE(m.files.Exists("C:\\dest\\a.log"));
}

}  // namespace
}  // namespace kestrel

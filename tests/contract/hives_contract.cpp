// The hives port's contract: the same cases for the fake and for Windows (Wine).
#include <gtest/gtest.h>

#include "contract/hive_world.h"
#include "os/owned.h"

namespace kestrel::testing {
namespace {

using os::RegKey;
using os::RegView;
namespace acc = os::regaccess;

constexpr RegKey kHKLM = os::kHkeyLocalMachine;

// Saves UserKey (a value "Colour" = "red" in its subkey "Prefs") to a hive file; its path.
std::string SaveScratchHive(HiveWorld& w) {
    os::Registry& r = w.Registry();
    os::OwnedKey prefs(r), top(r);
    EXPECT_EQ(r.CreateKey(os::kHkeyCurrentUser, w.UserKey() + "\\Prefs", acc::kAllAccess,
                          RegView::kDefault, prefs.Out()),
              0u);
    EXPECT_EQ(r.SetValue(prefs.Get(), "Colour", os::regtype::kSz, std::string("red\0", 4)), 0u);
    EXPECT_EQ(
        r.OpenKey(os::kHkeyCurrentUser, w.UserKey(), acc::kRead, RegView::kDefault, top.Out()), 0u);
    const std::string file = w.Folder() + "\\ntuser.dat";
    EXPECT_EQ(w.Hives().SaveKey(top.Get(), file), 0u);
    EXPECT_EQ(w.Hives().SaveKey(top.Get(), file), w.SaveReplacesFiles() ? 0u : 183u);
    return file;
}

TEST_P(HivesContract, ASavedKeyLoadsUnderANewNameAndUnloadsWhole) {
    const std::string file = SaveScratchHive(W());
    ASSERT_EQ(hives.LoadKey(kHKLM, name, file), 0u);
    {
        os::OwnedKey prefs(r);
        ASSERT_EQ(r.OpenKey(kHKLM, name + "\\Prefs", acc::kRead, RegView::kDefault, prefs.Out()),
                  0u);
        std::string data;
        uint32_t size = 64;
        EXPECT_EQ(r.QueryValue(prefs.Get(), "Colour", nullptr, &data, size), 0u);
        EXPECT_EQ(data, std::string("red\0", 4));
    }
    EXPECT_EQ(hives.LoadKey(kHKLM, name, file), W().TakenNameError());
    EXPECT_EQ(hives.UnLoadKey(kHKLM, name), 0u);
    EXPECT_EQ(OpenError(), 2u);
    EXPECT_EQ(hives.UnLoadKey(kHKLM, name), 2u);
}

TEST_P(HivesContract, OnlyHiveFilesLoad) {
    EXPECT_EQ(hives.LoadKey(kHKLM, name, W().Folder() + "\\missing.dat"), 2u);
    EXPECT_EQ(hives.LoadKey(kHKLM, name, W().Folder() + "\\no folder\\ntuser.dat"), 3u);
    EXPECT_NE(OpenError(), 0u);
    const std::string junk = W().Folder() + "\\junk.dat";
    ASSERT_EQ(W().Files().Write(junk, "not a hive\r\n", os::WriteMode::kTruncate), 0u);
    EXPECT_EQ(hives.LoadKey(kHKLM, name, junk), W().NotAHiveError());
    EXPECT_EQ(OpenError() == 0, W().KeepsKeyOfABadHive());
}

TEST_P(HivesContract, AnOrdinaryKeyIsNoHive) {
    {
        os::OwnedKey plain(r);
        ASSERT_EQ(r.CreateKey(kHKLM, name, acc::kAllAccess, RegView::kDefault, plain.Out()), 0u);
    }
    EXPECT_EQ(hives.UnLoadKey(kHKLM, name), W().UnloadsOrdinaryKeys() ? 0u : 87u);
    EXPECT_EQ(OpenError(), W().UnloadsOrdinaryKeys() ? 2u : 0u);
}

TEST_P(HivesContract, MountingNeedsTheRestorePrivilege) {
    const std::string file = SaveScratchHive(W());
    SetPrivileges(false);
    EXPECT_EQ(hives.LoadKey(kHKLM, name, file), 1314u);
    SetPrivileges(true);
    ASSERT_EQ(hives.LoadKey(kHKLM, name, file), 0u);
    SetPrivileges(false);
    EXPECT_EQ(hives.UnLoadKey(kHKLM, name), 1314u);
    SetPrivileges(true);
    EXPECT_EQ(hives.UnLoadKey(kHKLM, name), 0u);
}

}  // namespace

void HivesContract::SetPrivileges(bool enable) {
    for (const char* privilege : {"SeRestorePrivilege", "SeBackupPrivilege"}) {
        os::SecurityStep failed = os::SecurityStep::kNone;
        ASSERT_EQ(W().Security().AdjustPrivilege(privilege, enable, failed), 0u) << privilege;
    }
}

uint32_t HivesContract::OpenError() {
    os::OwnedKey key(r);
    return r.OpenKey(kHKLM, name, acc::kRead, RegView::kDefault, key.Out());
}

}  // namespace kestrel::testing

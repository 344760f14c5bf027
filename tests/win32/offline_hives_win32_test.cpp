// Another user's profile on the running system, with a hive file of its own, mounted for the
// cleanup and unmounted after it. The test's profile folder, its backups, the marker key and
// the scratch key go again afterwards, and the hive is never left mounted.
#include <gtest/gtest.h>

#include "os/owned.h"
#include "os/win32/windows_api.h"
#include "platform/offline_hives.h"
#include "platform/registry.h"
#include "win32/os_world.h"
#include "win32/win32_machine.h"

namespace kestrel {
namespace {

bool KeyThere(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

class RealOfflineHives : public ::testing::Test {
protected:
    RealOfflineHives()
        : m_user("kestrel-hive-" + std::to_string(GetCurrentProcessId())),
          m_profile("C:\\users\\" + m_user),
          m_hadTarn(KeyThere("Software\\Ashgrove\\Tarn")),
          m_hadAshgrove(KeyThere("Software\\Ashgrove")) {}
    ~RealOfflineHives() override {
        RegUnLoadKeyA(HKEY_LOCAL_MACHINE, ("guest_" + m_user).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Ashgrove\\Tarn\\Loadreg");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Ashgrove\\Tarn\\Loadreg");
        if (!m_hadTarn) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Ashgrove\\Tarn");
        }
        if (!m_hadAshgrove) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Ashgrove");
        }
        // The hive file and its backups: the only files the test puts in its profile folder.
        WIN32_FIND_DATAA data{};
        HANDLE find = FindFirstFileA((m_profile + "\\ntuser.dat*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((m_profile + "\\" + data.cFileName).c_str());
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
        RemoveDirectoryA(m_profile.c_str());
    }

    // The profile's hive: a copy of a scratch key whose "Software\Scratch" holds Owner.
    void MakeProfileHive() {
        Context& ctx = m.ctx();
        for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege"}) {
            os::SecurityStep failed = os::SecurityStep::kNone;
            ASSERT_EQ(ctx.os.security.AdjustPrivilege(name, true, failed), 0u) << name;
        }
        ASSERT_EQ(fWriteValue(ctx, "HKCU", m_keys.user + "\\Software\\Scratch", "Owner", "S",
                              m_user.c_str()),
                  0);
        ASSERT_TRUE(CreateDirectoryA(m_profile.c_str(), nullptr));
        os::OwnedKey key(ctx.os.registry);
        ASSERT_EQ(ctx.os.registry.OpenKey(os::kHkeyCurrentUser, m_keys.user, os::regaccess::kRead,
                                          os::RegView::kDefault, key.Out()),
                  0u);
        ASSERT_EQ(ctx.os.hives.SaveKey(key.Get(), m_profile + "\\ntuser.dat"), 0u);
    }

    testing::Win32Machine m;
    testing::TestKeys m_keys;
    const std::string m_user;
    const std::string m_profile;
    const bool m_hadTarn;
    const bool m_hadAshgrove;
};

TEST_F(RealOfflineHives, AnotherProfilesHiveIsMountedReadAndUnmounted) {
    MakeProfileHive();
    Context& ctx = m.ctx();
    const std::string guest = "guest_" + m_user;

    LoadReg(ctx, "C:");
    EXPECT_EQ(ctx.mountedHives, std::vector<std::string>{guest}) << m.debugOut.All();
    std::string owner;
    EXPECT_EQ(fReadValue(ctx, "HKLM", guest + "\\Software\\Scratch", "Owner", "S", "", owner), 0);
    EXPECT_EQ(owner, m_user);
    EXPECT_TRUE(KeyThere("Software\\Ashgrove\\Tarn\\Loadreg"));

    bool ask = false;
    EXPECT_TRUE(UnLoadReg(ctx, ask)) << m.debugOut.All();
    EXPECT_FALSE(KeyThere(guest));
    EXPECT_FALSE(KeyThere("Software\\Ashgrove\\Tarn\\Loadreg"));
    EXPECT_FALSE(AreGuestHivesLoaded(ctx));
}

}  // namespace
}  // namespace kestrel

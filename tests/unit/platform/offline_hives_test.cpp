// Mounting the other profiles' hives for the registry cleanup, and unmounting them after it.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>

#include "os/user_prompts.h"
#include "platform/offline_hives.h"
#include "platform/registry.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

constexpr const char* kMarker = "HKLM\\Software\\Ashgrove\\Tarn\\Loadreg";
constexpr const char* kAnnaHive = "C:\\Users\\anna\\ntuser.dat";

// A machine whose profiles all have hive files: the technician's own, two other users', and
// the service and shared profiles. Some other code has enabled SeDebugPrivilege.
struct ProfileMachine {
    ProfileMachine() {
        m.ctx.systemDrive = "C:";
        for (const char* profile :
             {"tech", "anna", "bob", "Public", "LocalService", "NetworkService"}) {
            const std::string folder = std::string("C:\\Users\\") + profile;
            m.files.AddFolder(folder);
            SaveHive(folder + "\\ntuser.dat", profile);
        }
        m.security.enabled = {"SeDebugPrivilege"};
    }
    // A hive file whose key "Software\Scratch" holds Owner = owner.
    void SaveHive(const std::string& file, const std::string& owner) {
        m.registry.PutString("HKCU\\Software\\Scratch\\Software\\Scratch", "Owner", owner);
        os::RegKey key = 0;
        ASSERT_EQ(m.registry.OpenKey(os::kHkeyCurrentUser, "Software\\Scratch",
                                     os::regaccess::kRead, os::RegView::k64, key),
                  0u);
        m.security.enabled.insert("SeBackupPrivilege");
        ASSERT_EQ(m.hives.SaveKey(key, file), 0u);
        m.security.enabled.erase("SeBackupPrivilege");
        (void)m.registry.CloseKey(key);
        m.registry.RemoveTree("HKCU\\Software\\Scratch");
    }
    size_t Backups(const std::string& profile) const {
        size_t found = 0;
        for (const std::string& path : m.files.AllPaths()) {
            found += path.find("\\" + profile + "\\ntuser.dat.") != std::string::npos;
        }
        return found;
    }
    bool Mounted(const std::string& name) const { return m.registry.KeyExists("HKLM\\" + name); }
    // The owner that the hive mounted as HKLM\name was saved with, read through the registry layer.
    std::string Owner(const std::string& name) {
        std::string owner;
        EXPECT_EQ(fReadValue(m.ctx, "HKLM", name + "\\Software\\Scratch", "Owner", "S", "", owner),
                  0);
        return owner;
    }
    testing::FakeMachine m;
};

class OfflineHives : public ::testing::Test, protected ProfileMachine {};

TEST_F(OfflineHives, OtherUsersProfilesAreMountedWithAMarkerAndBackups) {
    const uint32_t editor = m.processes.AddRunning("regedit.exe");
    m.processes.windows["Registry Editor"] = editor;
    LoadReg(m.ctx, "C:");
    EXPECT_EQ(m.processes.terminated, std::vector<uint32_t>{editor});
    EXPECT_EQ(m.ctx.mountedHives, (std::vector<std::string>{"guest_anna", "guest_bob"}));
    EXPECT_TRUE(m.ctx.hivesLoaded);
    EXPECT_EQ(Owner("guest_anna"), "anna");
    EXPECT_EQ(m.registry.GetValue(kMarker, "LoadedFromDrive")->data, std::string("C:\0", 3));
    EXPECT_TRUE(m.files.Exists("C:\\Users\\anna\\ntuser.dat.2026-12-06-08-10.Fenx_RegBackup"));
    EXPECT_EQ(Backups("tech") + Backups("Public") + Backups("LocalService"), 0u);
    // The two hive privileges are off again; the one other code enabled stays on.
    EXPECT_EQ(m.security.enabled, (std::set<std::string>{"SeDebugPrivilege"}));
}

TEST_F(OfflineHives, LoadingAgainMountsOnceAndBacksUpOncePerMinute) {
    LoadReg(m.ctx, "C:");
    LoadReg(m.ctx, "C:");
    EXPECT_EQ(m.ctx.mountedHives, (std::vector<std::string>{"guest_anna", "guest_bob"}));
    EXPECT_EQ(Backups("bob"), 1u);
    m.clock.unixSeconds += 60;
    LoadReg(m.ctx, "C:");
    EXPECT_EQ(Backups("bob"), 2u);
    EXPECT_FALSE(m.debugOut.Saw("modLoadReg")) << m.Log();
}

TEST_F(OfflineHives, AMountErrorIsLoggedAndTheOtherHivesStillLoad) {
    struct Case {
        const char* what;
        std::function<void(testing::FakeMachine&)> arrange;
        std::vector<std::string> lines;
        std::vector<std::string> mounted;
    };
    const std::string annaTail = std::string(":\t") + kAnnaHive;
    const Case cases[] = {
        {"not a hive",
         [](testing::FakeMachine& fm) { fm.files.AddFile(kAnnaHive, "garbage"); },
         {"\tmodLoadReg\\LoadHive - 1009 - Unknown error loading registry hive" + annaTail},
         {"guest_bob"}},
        {"name taken by an ordinary key",
         [](testing::FakeMachine& fm) { fm.registry.AddKey("HKLM\\guest_anna"); },
         {"\tmodLoadReg\\LoadHive - 5 - Open Handle on hive" + annaTail},
         {"guest_anna", "guest_bob"}},
        {"restore privilege not held",
         [](testing::FakeMachine& fm) { fm.security.held.erase("SeRestorePrivilege"); },
         {"\tAdjustTokenPrivileges: 1300",
          "\tmodLoadReg\\LoadHive - 1314 - Permissions error while loading registry hive" +
              annaTail},
         {}},
    };
    for (const Case& c : cases) {
        ProfileMachine p;
        c.arrange(p.m);
        LoadReg(p.m.ctx, "C:");
        for (const std::string& line : c.lines) {
            EXPECT_TRUE(p.m.debugOut.Saw(line)) << c.what << "\n" << p.m.Log();
        }
        EXPECT_EQ(p.m.ctx.mountedHives, c.mounted) << c.what;
    }
}

TEST_F(OfflineHives, UnloadingWithNothingMountedDeletesTheMarkerAndAsksNothing) {
    m.registry.PutString(kMarker, "LoadedFromDrive", "C:");
    bool ask = true;
    EXPECT_TRUE(UnLoadReg(m.ctx, ask));
    EXPECT_FALSE(m.registry.KeyExists(kMarker));
    EXPECT_TRUE(m.prompts.messages.empty());
    // The marker's parents go when empty, and stay when something else lives there.
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\Software\\Ashgrove"));
    m.registry.PutString(kMarker, "LoadedFromDrive", "C:");
    m.registry.PutString("HKLM\\Software\\Ashgrove", "Licence", "x");
    EXPECT_TRUE(UnLoadReg(m.ctx, ask));
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\Software\\Ashgrove\\Tarn"));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\Software\\Ashgrove"));
}

TEST_F(OfflineHives, AHiveThatStaysMountedIsReportedAndAskedAbout) {
    struct Case {
        const char* what;
        int failures;
        bool ask;
        std::deque<int> answers;
        bool result;
        size_t questions;
        bool regedit;
    };
    const Case cases[] = {
        {"retry, then it goes", 2, true, {os::mb::kIdRetry}, true, 1, false},
        {"abort opens regedit", -1, true, {os::mb::kIdAbort}, false, 1, true},
        {"ignore ends", -1, true, {os::mb::kIdIgnore}, false, 1, false},
        {"retry until ignored", -1, true, {os::mb::kIdRetry, os::mb::kIdIgnore}, false, 2, false},
        {"not asked", -1, false, {}, false, 0, false},
        {"one failure is retried at once", 1, true, {}, true, 0, false},
    };
    for (const Case& c : cases) {
        ProfileMachine p;
        LoadHive(p.m.ctx, kAnnaHive, "anna");
        p.m.hives.HoldOpen("guest_anna", c.failures);
        p.m.prompts.answers = c.answers;
        bool ask = c.ask;
        EXPECT_EQ(UnLoadReg(p.m.ctx, ask), c.result) << c.what;
        EXPECT_EQ(p.Mounted("guest_anna"), !c.result) << c.what;
        EXPECT_EQ(p.m.debugOut.Saw("\tFailed to unload guest registry hive:  guest_anna"),
                  c.failures != 1)
            << c.what;
        ASSERT_EQ(p.m.prompts.messages.size(), c.questions) << c.what;
        if (c.questions > 0) {
            const auto& question = p.m.prompts.messages[0];
            EXPECT_EQ(question.style, os::mb::kAbortRetryIgnore | os::mb::kIconError);
            EXPECT_EQ(question.text,
                      "Tarn has failed to unload all offline registry hives.\r\n\r\n"
                      "Be absolutely certain to close all registry editing software now!\r\n\r\n"
                      "Abort - Open Regedit to manually unload all hives with the \"guest_\" "
                      "prefix\r\nRetry - Try, Try again...\r\nIgnore - Don't worry about it and "
                      "proceed (this is ok in many situations.)");
        }
        const bool started = !p.m.processes.launches.empty() &&
                             p.m.processes.launches.back().commandLine == "regedit.exe" &&
                             p.m.processes.launches.back().showWindow == 2;
        EXPECT_EQ(started, c.regedit) << c.what;
    }
}

TEST_F(OfflineHives, AHiveLeftMountedByAKilledRunIsUnmountedAndWrittenBack) {
    m.security.enabled.insert("SeRestorePrivilege");
    ASSERT_EQ(m.hives.LoadKey(os::kHkeyLocalMachine, "GUEST_anna", kAnnaHive), 0u);
    m.security.enabled.erase("SeRestorePrivilege");
    m.registry.PutString("HKLM\\GUEST_anna\\Software\\Scratch", "Owner", "changed");
    m.registry.PutString(kMarker, "LoadedFromDrive", "C:");
    EXPECT_TRUE(AreGuestHivesLoaded(m.ctx));

    bool ask = true;
    EXPECT_TRUE(UnLoadReg(m.ctx, ask));
    EXPECT_FALSE(AreGuestHivesLoaded(m.ctx));
    EXPECT_FALSE(m.registry.KeyExists(kMarker));
    // The hive's changes went back into its file.
    LoadHive(m.ctx, kAnnaHive, "again");
    EXPECT_EQ(Owner("guest_again"), "changed");
}

TEST_F(OfflineHives, TheGuardUnmountsWhateverHappens) {
    try {
        MountedHiveSet mounted(m.ctx, "C:");
        ASSERT_TRUE(Mounted("guest_anna"));
        m.hives.HoldOpen("guest_bob", 2);
        throw std::runtime_error("a cleanup step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(Mounted("guest_anna"));
    EXPECT_TRUE(Mounted("guest_bob")) << "held open through both attempts";
    EXPECT_TRUE(m.prompts.messages.empty()) << "gone without Release, it does not ask";

    MountedHiveSet again(m.ctx, "C:");
    m.hives.HoldOpen("guest_bob", 2);
    m.prompts.answers = {os::mb::kIdRetry};
    bool ask = true;
    EXPECT_TRUE(again.Release(ask));
    EXPECT_EQ(m.prompts.messages.size(), 1u);
    EXPECT_FALSE(AreGuestHivesLoaded(m.ctx));
}

TEST(OfflineHiveNames, OnlyTheFourSystemHivesAreNoUserHives) {
    for (const char* user : {"guest_anna", "guest_Default", "guest_systems"}) {
        EXPECT_TRUE(IsUserHive(user)) << user;
    }
    for (const char* system :
         {"GUEST_SOFTWARE", "guest_System", "guest_localservice", "Guest_NetworkService"}) {
        EXPECT_FALSE(IsUserHive(system)) << system;
    }
}

}  // namespace
}  // namespace kestrel

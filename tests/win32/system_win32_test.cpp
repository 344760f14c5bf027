// The Windows folders, profiles and version of the test prefix (Wine's defaults: Windows 7 SP1,
// one user "root" and "Public" in C:\users).
#include <gtest/gtest.h>

#include <algorithm>

#include "base/strings.h"
#include "os/fake/fake_basics.h"
#include "platform/op_sys.h"
#include "platform/windows_folders.h"
#include "win32/win32_machine.h"

namespace kestrel::testing {
namespace {

bool Holds(const std::vector<std::string>& list, const std::string& wanted) {
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& s) { return EqualsNoCase(s, wanted); });
}

class SystemOnWindows : public ::testing::Test {
protected:
    Win32Machine machine;
    Context& ctx = machine.ctx();
};

TEST_F(SystemOnWindows, TheRunningWindowsIsNoGuestAndAnswersForItsFolders) {
    EXPECT_FALSE(IsGuestOS(ctx, ctx.systemDrive));
    EXPECT_TRUE(EqualsNoCase(GetWinDir(ctx, false), "C:\\windows"));
    EXPECT_TRUE(EqualsNoCase(GetSysDir(ctx, false), "C:\\windows\\system32"));
    EXPECT_TRUE(EqualsNoCase(RunningWindowsFolder(ctx), "C:\\windows"));
    EXPECT_TRUE(machine.prompts.folderRequests.empty());
}

TEST_F(SystemOnWindows, TheProfilesOfThePrefix) {
    const std::string profiles = GetUserProf(ctx, false);
    EXPECT_TRUE(EqualsNoCase(profiles, "C:\\users")) << profiles;
    EXPECT_TRUE(machine.debugOut.Saw("getuserprof returns:  "));
    EXPECT_TRUE(EqualsNoCase(GetUserProfOld(ctx, false), profiles));
    GetUserList(ctx, false);
    EXPECT_TRUE(Holds(ctx.userList, profiles + "\\Public"));
    const std::string user = ctx.os.env.Variable("username");
    ASSERT_FALSE(user.empty());
    EXPECT_TRUE(Holds(ctx.userList, profiles + "\\" + user)) << user;
    EXPECT_TRUE(machine.prompts.messages.empty());
}

TEST_F(SystemOnWindows, TheVersionRecordOfThePrefix) {
    clsOpSys os(ctx);
    if (os.MajorVersion() != 6 || os.MinorVersion() != 1) {
        GTEST_SKIP() << "the prefix reports " << os.Version() << ", not Wine's default Windows 7";
    }
    EXPECT_TRUE(os.IsWinNT() && os.IsWinXP() && os.IsVista() && os.IsWin7());
    EXPECT_FALSE(os.IsWin8() || os.Is2003() || os.IsServer());
    EXPECT_EQ(os.BuildNumber(), 7601);
    EXPECT_EQ(os.CSDVersion(), "Service Pack 1");
    EXPECT_EQ(os.ProductTypeName(), "NT Workstation");
    EXPECT_EQ(os.WindowsMode(), 0);
    uint32_t sku = 0;
    ASSERT_TRUE(ctx.os.system.OperatingSystemSku(sku));
    // Wine answers 28 (Ultimate N), which the edition table does not name.
    const std::string edition = EditionFromSku(sku);
    EXPECT_EQ(os.Platform(), "Windows 7" + edition);
    EXPECT_EQ(os.Version(), "Windows 7" + edition + " Service Pack 1 (Version 6.1, Build 7601)");
    EXPECT_TRUE(IsVista(ctx));
    EXPECT_TRUE(IsWin7(ctx));
    EXPECT_EQ(os.Environment().systemFolder, os.Environment().windir + "\\System32");
}

// A prefix set to Windows 10 ("winecfg /v win10" in a copy made by tools/lib/wine-prefix.sh,
// run with KESTREL_WINEPREFIX) shows a program without a compatibility manifest, as Windows
// does, version 6.2: the Windows 8 row, although Is2003 holds as well.
TEST_F(SystemOnWindows, AWindows10PrefixSeenWithoutAManifest) {
    clsOpSys os(ctx);
    if (os.MajorVersion() != 6 || os.MinorVersion() != 2) {
        GTEST_SKIP() << "the prefix reports " << os.Version();
    }
    EXPECT_TRUE(os.IsWin8() && os.Is2003() && os.IsWin7());
    EXPECT_FALSE(os.IsWin81() || os.Is2012());
    EXPECT_EQ(os.BuildNumber(), 9200);
    EXPECT_EQ(os.Platform().rfind("Windows 8 ", 0), 0u) << os.Platform();
}

TEST_F(SystemOnWindows, FileTimesInLocalTime) {
    auto& clock = ctx.os.clock;
    os::LocalTime local;
    ASSERT_TRUE(clock.ToLocalTime(os::fake::FileTimeOf(2026, 6, 15, 12), local));
    EXPECT_EQ(local.year, 2026);
    EXPECT_EQ(local.month, 6);
    EXPECT_TRUE(local.day == 15 || local.day == 14 || local.day == 16);
    const std::string text = clock.FormatDateTime(local);
    EXPECT_NE(text.find("2026"), std::string::npos) << text;
    EXPECT_FALSE(clock.ToLocalTime(-1, local));
}

}  // namespace
}  // namespace kestrel::testing

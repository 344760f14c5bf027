// Applications registered for one user under Wine: a real NSIS application installed for the
// current user only (HKCU), listed with its user and removed by "/auto" with a truthful
// verdict, and another profile's application, seen while that profile's hive is mounted.
#include <gtest/gtest.h>

#include "e2e/kestrel_sandbox.h"
#include "e2e/leftover_fixtures.h"
#include "e2e/test_apps.h"
#include "os/win32/win32_ports.h"

namespace kestrel::e2e {
namespace {

const std::string kUserUninstall = std::string(kUninstallKey) + "\\Kestrel Test PerUser";
const std::string kMatchingHeading =
    "Installed Apps Matching Blacklist:  \r\n" + std::string(40, '-') + "\r\n";

bool UserKeyExists(const std::string& keyPath) {
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key);
    if (rc == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return rc == ERROR_SUCCESS;
}

bool Contains(const std::optional<std::string>& text, const std::string& part) {
    return text && text->find(part) != std::string::npos;
}

bool EnablePrivilege(const char* name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    const bool ok = LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) &&
                    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                    GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return ok;
}

TEST(PerUserE2E, AnApplicationInstalledForTheUserIsListedWithItsUserAndRemovedByAuto) {
    InstallNsis("peruser");
    const std::string folder = Env("LOCALAPPDATA") + "\\Programs\\Kestrel Test PerUser";
    ASSERT_TRUE(UserKeyExists(kUserUninstall));
    ASSERT_TRUE(PathExists(folder + "\\payload.txt"));
    const std::string shown = "Kestrel Test PerUser (user " + Env("USERNAME") + ")";

    KestrelSandbox k("peruser");
    k.Write("Kestrel.txt", "Test PerUser\r\n");
    k.Write("Kestrel.ini", "[Options]\r\nIncludeUserInstalls=0\r\n");
    ASSERT_EQ(k.Run("/logreport"), 0);
    EXPECT_FALSE(Contains(k.Read("Kestrel_Report.txt"), "Kestrel Test PerUser"));

    k.Write("Kestrel.ini", "[Options]\r\nLogFile=1\r\nEmailResults=0\r\n");
    ASSERT_EQ(k.Run("/logreport"), 0);
    EXPECT_TRUE(Contains(k.Read("Kestrel_Report.txt"), kMatchingHeading + shown))
        << k.Read("Kestrel_Report.txt").value_or("(no report)");

    ASSERT_EQ(k.Run("/auto"), 0);
    EXPECT_FALSE(UserKeyExists(kUserUninstall));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt"), "---------\r\n*Uninstalled:  " + shown + "\r\n"))
        << k.Read("Kestrel_Log.txt").value_or("(no log)");
}

TEST(PerUserE2E, AnotherProfilesApplicationIsSeenWhileItsHiveIsMounted) {
    const std::string profile = "C:\\users\\kestrel-other";
    const std::string hive = profile + "\\ntuser.dat";
    (void)os::win32::MakeFileSystem()->CreateFolderTree(profile);
    const std::string entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other "
                              "App|DisplayName=Kestrel Other Profile App";
    ASSERT_EQ(WaitAndClose(StartProcess("\"" + TestProgramFolder() + "kestrel_make_hive.exe\" \"" +
                                            hive + "\" \"" + entry + "\"",
                                        "C:\\"),
                           60000),
              0);
    KestrelSandbox k("other-profile");
    ASSERT_TRUE(EnablePrivilege(SE_RESTORE_NAME) && EnablePrivilege(SE_BACKUP_NAME));
    ASSERT_EQ(RegLoadKeyA(HKEY_LOCAL_MACHINE, "guest_kestrel-other", hive.c_str()), ERROR_SUCCESS);
    const int mounted = k.Run("/logreport");
    const std::optional<std::string> report = k.Read("Kestrel_Report.txt");
    EXPECT_EQ(RegUnLoadKeyA(HKEY_LOCAL_MACHINE, "guest_kestrel-other"), ERROR_SUCCESS);
    EXPECT_EQ(mounted, 0);
    EXPECT_TRUE(Contains(report, "\r\nKestrel Other Profile App (user kestrel-other)"))
        << report.value_or("(no report)");

    ASSERT_EQ(k.Run("/logreport"), 0);  // unmounted: not seen
    EXPECT_FALSE(Contains(k.Read("Kestrel_Report.txt"), "Kestrel Other Profile App"));
}

}  // namespace
}  // namespace kestrel::e2e

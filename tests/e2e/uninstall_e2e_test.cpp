// Kestrel.exe uninstalling real applications: NSIS installers, a Windows Installer package and
// an Inno Setup stand-in, installed into a fresh copy of the prefix and removed through "/u="
// and "/auto". Judged by the registry, the files and the log file.
#include <gtest/gtest.h>

#include "e2e/kestrel_sandbox.h"
#include "e2e/test_apps.h"

namespace kestrel::e2e {
namespace {

bool Contains(const std::optional<std::string>& text, const std::string& part) {
    return text && text->find(part) != std::string::npos;
}

TEST(UninstallE2E, UninstallByNameRemovesRealNsisApplicationsInBothViews) {
    InstallNsis("toolbar");
    InstallNsis("keeper");
    InstallNsis("legacy");
    ASSERT_TRUE(Registered("Kestrel Test Toolbar"));
    ASSERT_TRUE(Registered("Kestrel Test Legacy", kView32));
    ASSERT_TRUE(PathExists("C:\\Program Files\\Kestrel Test Toolbar\\payload.txt"));

    // The NSIS uninstaller hands over to a copy of itself: the verdict waits for that copy.
    KestrelSandbox k("nsis");
    EXPECT_EQ(k.Run("/u=Kestrel Test Toolbar"), 0);
    EXPECT_FALSE(Registered("Kestrel Test Toolbar"));
    EXPECT_FALSE(PathExists("C:\\Program Files\\Kestrel Test Toolbar"));
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt"),
                         "---------\r\n*Uninstalled:  Kestrel Test Toolbar\r\n---END---\r\n"));

    EXPECT_EQ(k.Run("/u=old vendor"), 0);  // by publisher, in the 32-bit view
    EXPECT_FALSE(Registered("Kestrel Test Legacy", kView32));
    EXPECT_FALSE(PathExists("C:\\Program Files\\Kestrel Test Legacy"));
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt"), "*Uninstalled:  Kestrel Test Legacy\r\n"));
    EXPECT_TRUE(Registered("Kestrel Test Keeper"));
}

TEST(UninstallE2E, WindowsInstallerAndInnoSetupApplicationsAreRemovedSilently) {
    InstallMsi();
    // The stand-in waits for a person unless it is told "/silent".
    InstallInnoStandIn("C:\\Program Files\\Kestrel Test Inno", "Kestrel Test Inno_is1",
                       "Kestrel Test Inno", "Inno Vendor");
    ASSERT_TRUE(Registered(kMsiProductCode));
    ASSERT_TRUE(PathExists("C:\\Program Files\\Kestrel Test MSI\\payload.txt"));
    ASSERT_TRUE(Registered("Kestrel Test Inno_is1"));

    KestrelSandbox k("silent");
    k.Write("Kestrel.ini", "[Options]\r\nUninstallTimeout=30000\r\n");
    EXPECT_EQ(k.Run("/u=kestrel msi vendor/u=inno vendor"), 0);
    EXPECT_FALSE(Registered(kMsiProductCode));
    EXPECT_FALSE(PathExists("C:\\Program Files\\Kestrel Test MSI\\payload.txt"));
    EXPECT_FALSE(Registered("Kestrel Test Inno_is1"));
    const std::optional<std::string> log = k.Read("Kestrel_Log.txt");
    EXPECT_TRUE(Contains(log, "*Uninstalled:  Kestrel Test MSI\r\n"));
    EXPECT_TRUE(Contains(log, "*Uninstalled:  Kestrel Test Inno\r\n"));
}

TEST(UninstallE2E, AutoRunsTheBlacklistAndTellsTruthfullyWhatItCouldNotRemove) {
    InstallNsis("stuck");
    InstallNsis("toolbar");
    InstallNsis("keeper");

    KestrelSandbox k("auto");
    k.Write("Kestrel.ini", "[Options]\r\nUninstallTimeout=3000\r\n");
    k.Write("Kestrel.txt", ";Kestrel Test Toolbar|disabled\r\nKestrel Test|every test app\r\n");
    k.Write("Kestrel_Whitelist.txt", "Keeper|our own\r\n");
    EXPECT_EQ(k.Run("/auto"), 0);

    EXPECT_FALSE(Registered("Kestrel Test Toolbar"));
    EXPECT_TRUE(Registered("Kestrel Test Keeper"));
    EXPECT_TRUE(Registered("Kestrel Test Stuck"));
    const std::optional<std::string> log = k.Read("Kestrel_Log.txt");
    EXPECT_TRUE(Contains(log,
                         "*Uninstall Failed:  Kestrel Test Stuck\r\n"
                         "*Uninstalled:  Kestrel Test Toolbar\r\n---END---\r\n"))
        << log.value_or("(no log)");
    EXPECT_FALSE(Contains(log, "Keeper"));
    EndProcesses("Un.exe");
}

}  // namespace
}  // namespace kestrel::e2e

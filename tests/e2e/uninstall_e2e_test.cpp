// Kestrel.exe uninstalling real applications: NSIS installers, a Windows Installer package and
// an Inno Setup stand-in, installed into a fresh copy of the prefix and removed through "/u="
// and "/auto". Judged by the registry, the files, the log file and the commands run.
#include <gtest/gtest.h>

#include "e2e/kestrel_sandbox.h"
#include "e2e/registry_seed.h"
#include "e2e/test_apps.h"
#include "os/win32/windows_api.h"

namespace kestrel::e2e {
namespace {

using Lines = std::vector<std::string>;

// The command lines the run started through its uninstall wait, from its debug lines.
Lines UninstallCommands(const Lines& debug) {
    const std::string head = "\tShellandWaitForTermination:  ";
    Lines commands;
    for (const std::string& line : debug) {
        if (line.rfind(head, 0) == 0) {
            commands.push_back(line.substr(head.size()));
        }
    }
    return commands;
}

bool Contains(const std::optional<std::string>& text, const std::string& part) {
    return text && text->find(part) != std::string::npos;
}

TEST(UninstallE2E, UninstallByNameRemovesRealNsisApplicationsInBothViews) {
    InstallNsis("toolbar");
    InstallNsis("keeper");
    InstallNsis("legacy");
    ASSERT_TRUE(Registered("Kestrel Test Toolbar"));
    ASSERT_TRUE(Registered("Kestrel Test Legacy", true));
    ASSERT_TRUE(PathExists("C:\\Program Files\\Kestrel Test Toolbar\\payload.txt"));

    KestrelSandbox k("nsis");
    Lines debug;
    EXPECT_EQ(k.RunDebugged("/u=Kestrel Test Toolbar", debug), 0);
    EXPECT_EQ(UninstallCommands(debug),
              Lines{"\"C:\\Program Files\\Kestrel Test Toolbar\\uninst.exe\" /S"});
    EXPECT_FALSE(Registered("Kestrel Test Toolbar"));
    EXPECT_FALSE(PathExists("C:\\Program Files\\Kestrel Test Toolbar"));
    EXPECT_TRUE(Registered("Kestrel Test Keeper"));
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt"),
                         "---------\r\n*Uninstalled:  Kestrel Test Toolbar\r\n---END---\r\n"));

    // By publisher, found in the second pass over the 32-bit applications.
    EXPECT_EQ(k.Run("/u=old vendor"), 0);
    EXPECT_FALSE(Registered("Kestrel Test Legacy", true));
    EXPECT_FALSE(PathExists("C:\\Program Files\\Kestrel Test Legacy"));
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt"), "*Uninstalled:  Kestrel Test Legacy\r\n"));
    EXPECT_TRUE(Registered("Kestrel Test Keeper"));
}

TEST(UninstallE2E, AWindowsInstallerPackageIsRemovedThroughMsiexec) {
    InstallMsi();
    ASSERT_TRUE(Registered(kMsiProductCode));
    ASSERT_TRUE(PathExists("C:\\Program Files\\Kestrel Test MSI\\payload.txt"));

    KestrelSandbox k("msi");
    Lines debug;
    EXPECT_EQ(k.RunDebugged("/u=kestrel msi vendor", debug), 0);
    EXPECT_EQ(UninstallCommands(debug),
              Lines{"msiexec.exe /passive /norestart /x{7e1d3c55-2a8b-4c6f-9e0a-5b3d1f2c4a61}"});
    EXPECT_FALSE(Registered(kMsiProductCode));
    EXPECT_FALSE(PathExists("C:\\Program Files\\Kestrel Test MSI\\payload.txt"));
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt"), "*Uninstalled:  Kestrel Test MSI\r\n"));
}

TEST(UninstallE2E, AnInnoSetupUninstallerGetsTheInnoSwitches) {
    const std::string folder = "C:\\Program Files\\Kestrel Test Inno";
    InstallInnoStandIn(folder, "Kestrel Test Inno_is1", "Kestrel Test Inno", "Inno Vendor");
    ASSERT_TRUE(Registered("Kestrel Test Inno_is1"));

    KestrelSandbox k("inno");
    k.Write("Kestrel.ini", "[Options]\r\nUninstallTimeout=30000\r\n");
    EXPECT_EQ(k.Run("/u=inno vendor"), 0);
    EXPECT_EQ(ReadFileText(folder + "\\uninstall-calls.txt"),
              "\"" + folder + "\\unins000.exe\" /sp- /silent /norestart\r\n");
    EXPECT_FALSE(Registered("Kestrel Test Inno_is1"));
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt"), "*Uninstalled:  Kestrel Test Inno\r\n"));
}

TEST(UninstallE2E, AutoRunsTheBlacklistAndTellsTruthfullyWhatItCouldNotRemove) {
    InstallNsis("stuck");
    InstallNsis("toolbar");
    InstallNsis("keeper");
    UninstallSeed orphan;  // registered, but without an uninstall command
    orphan.Add(View::k64, "Kestrel Test Orphan",
               {{"DisplayName", "Kestrel Test Orphan"}, {"Publisher", "Nobody"}});

    KestrelSandbox k("auto");
    k.Write("Kestrel.ini", "[Options]\r\nUninstallTimeout=3000\r\n");
    k.Write("Kestrel.txt", ";Kestrel Test Toolbar|disabled\r\nKestrel Test|every test app\r\n");
    k.Write("Kestrel_Whitelist.txt", "Keeper|our own\r\n");
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(k.Run("/auto"), 0);
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, 3000u);   // the stuck uninstaller had its time
    EXPECT_LT(elapsed, 60000u);  // and no more

    EXPECT_FALSE(Registered("Kestrel Test Toolbar"));
    EXPECT_TRUE(Registered("Kestrel Test Keeper"));
    EXPECT_TRUE(Registered("Kestrel Test Orphan"));
    EXPECT_TRUE(Registered("Kestrel Test Stuck"));
    EXPECT_GE(CountProcesses("Un.exe"), 1);  // left running, not killed
    const std::optional<std::string> log = k.Read("Kestrel_Log.txt");
    EXPECT_TRUE(Contains(log,
                         "*Uninstall Failed:  Kestrel Test Orphan\r\n"
                         "*Uninstall Failed:  Kestrel Test Stuck\r\n"
                         "*Uninstalled:  Kestrel Test Toolbar\r\n---END---\r\n"))
        << log.value_or("(no log)");
    EXPECT_FALSE(Contains(log, "Keeper"));
    EndProcesses("Un.exe");
}

}  // namespace
}  // namespace kestrel::e2e

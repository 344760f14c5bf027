// "/logreport" and the installed-applications scan on the real registry of a fresh prefix.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/kestrel_sandbox.h"
#include "e2e/registry_seed.h"
#include "inventory/inventory_scan.h"
#include "os/win32/windows_api.h"
#include "win32/win32_machine.h"

namespace kestrel::e2e {
namespace {

const std::string kRule(40, '-');

std::string Report(const std::string& notInDefs, const std::string& matching) {
    return "Installed Apps Not Matching Definitions:  \r\n" + kRule + "\r\n" + notInDefs +
           "\r\n\r\nInstalled Apps Matching Blacklist:  \r\n" + kRule + "\r\n" + matching + "\r\n";
}

void SeedFixtureMachine(UninstallSeed& seed) {
    seed.Add(View::k64, "{86D4B82A-ABED-442A-BE86-96357B70F4FE}",
             {{"DisplayName", "Ask Toolbar"},
              {"Publisher", "APN, LLC"},
              {"UninstallString", "MsiExec.exe /I{86D4B82A-ABED-442A-BE86-96357B70F4FE}"}});
    seed.Add(View::k64, "7-Zip",
             {{"DisplayName", "7-Zip 23.01 (x64)"}, {"Publisher", "Igor Pavlov"}});
    seed.Add(View::k64, "Word",
             {{"DisplayName", "Microsoft Word MUI (English) 2016"},
              {"ParentDisplayName", "Microsoft Office 2016"}});
    seed.Add(View::k64, "KB4052623", {{"DisplayName", "Security Update for Windows (KB4052623)"}});
    seed.Add(View::k64, "Hotfix", {{"DisplayName", "Hotfix for Windows - Update KB976902"}});
    seed.Add(View::k64, "Tom's",
             {{"DisplayName", "Tom's <Photo> & \"Tool\" {2024}?"}, {"Publisher", "Tom & Jerry"}});
    seed.Add(View::k64, "NoName", {{"Publisher", "Nobody"}});
    seed.Add(View::k64, "babylon",
             {{"DisplayName", "Babylon Translator"}, {"Publisher", "Babylon"}});
    seed.Add(
        View::k32, "CouponPrinter",
        {{"DisplayName", "Coupon Printer for Windows"}, {"Publisher", "Coupons.com Incorporated"}});
    seed.Add(View::k32, "{90140000-0011-0000-0000-0000000FF1CE}",
             {{"DisplayName", "Microsoft Office Professional Plus 2010"},
              {"Publisher", "Microsoft Corporation"}});
    seed.Add(View::k32, "lower", {{"DisplayName", "aardvark tools"}, {"Publisher", "PriceGong"}});
    seed.Add(View::k32, "Long", {{"DisplayName", "Long " + std::string(3000, 'x')}});
}

class InventoryE2E : public ::testing::Test {
protected:
    UninstallSeed seed;
};

TEST_F(InventoryE2E, LogReportWritesTheExpectedBytes) {
    SeedFixtureMachine(seed);
    KestrelSandbox k("logreport");
    k.Write("Kestrel.txt", "toolbar|note\r\n;Babylon\r\nPRICEGONG\r\nCoupon\r\n");
    k.Write("Kestrel_Whitelist.txt", "Microsoft Office|keep\r\n   \r\n");
    k.Write("Kestrel_Report.txt", "an old report that must go");
    ASSERT_EQ(k.Run("/logreport"), 0);
    EXPECT_EQ(k.Read("Kestrel_Report.txt"),
              Report("7-Zip 23.01 (x64)\r\nLong " + std::string(3000, 'x') +
                         "\r\nTom's <Photo> & \"Tool\" {2024}?",
                     "Ask Toolbar\r\nCoupon Printer for Windows\r\naardvark tools"));
    EXPECT_FALSE(k.Exists("Kestrel_Log.txt"));  // a report run is no uninstall run
}

TEST_F(InventoryE2E, AnEmptyMachineGivesTheHeadingsOnly) {
    KestrelSandbox k("empty");
    ASSERT_EQ(k.Run("/LogReport"), 0);
    EXPECT_EQ(k.Read("Kestrel_Report.txt"), Report("", ""));
}

TEST_F(InventoryE2E, OddListFilesStillGiveAReport) {
    seed.Add(View::k64, "A", {{"DisplayName", "Alpha Toolbar"}});
    seed.Add(View::k32, "B", {{"DisplayName", "Beta Coupon"}});
    KestrelSandbox lf("lf-lists");
    lf.Write("Kestrel.txt", "Toolbar\nCoupon");
    lf.Write("Kestrel_Whitelist.txt", "\rBeta\r");
    ASSERT_EQ(lf.Run("/logreport"), 0);
    EXPECT_EQ(lf.Read("Kestrel_Report.txt"), Report("", "Alpha Toolbar"));

    KestrelSandbox folder("folder-list");
    ASSERT_TRUE(CreateDirectoryA((folder.Folder() + "Kestrel.txt").c_str(), nullptr));
    ASSERT_EQ(folder.Run("/logreport"), 0);
    EXPECT_EQ(folder.Read("Kestrel_Report.txt"), Report("Alpha Toolbar\r\nBeta Coupon", ""));
}

TEST_F(InventoryE2E, TheScanReadsBothViewsInProcess) {
    seed.Add(View::k64, "Only64", {{"DisplayName", "Sixty-Four"}, {"UninstallString", "a.exe"}});
    seed.Add(View::k32, "Only32", {{"DisplayName", "Thirty-Two"}, {"UninstallString", "b.exe"}});
    seed.Add(View::k32, "Both", {{"DisplayName", "Registered Twice"}});
    seed.Add(View::k64, "Both", {{"DisplayName", "Registered Twice"}});
    kestrel::testing::Win32Machine machine;
    std::vector<std::string> records = ScanInstalledApps(machine.ctx(), {});
    std::sort(records.begin(), records.end());
    EXPECT_EQ(records,
              (std::vector<std::string>{"Registered Twice|Both||", "Registered Twice|Both||",
                                        "Sixty-Four|Only64|a.exe|", "Thirty-Two|Only32|b.exe|"}));
}

}  // namespace
}  // namespace kestrel::e2e

// "/logreport" on the real registry of a fresh prefix: the report's bytes, from both views.
#include <gtest/gtest.h>

#include "e2e/kestrel_sandbox.h"
#include "e2e/test_apps.h"
#include "os/win32/windows_api.h"

namespace kestrel::e2e {
namespace {

std::string Report(const std::string& notInDefs, const std::string& matching) {
    const std::string rule(40, '-');
    return "Installed Apps Not Matching Definitions:  \r\n" + rule + "\r\n" + notInDefs +
           "\r\n\r\nInstalled Apps Matching Blacklist:  \r\n" + rule + "\r\n" + matching + "\r\n";
}

void SeedFixtureMachine() {
    Register("{86D4B82A-ABED-442A-BE86-96357B70F4FE}",
             {{"DisplayName", "Ask Toolbar"},
              {"Publisher", "APN, LLC"},
              {"UninstallString", "MsiExec.exe /I{86D4B82A-ABED-442A-BE86-96357B70F4FE}"}});
    Register("7-Zip", {{"DisplayName", "7-Zip 23.01 (x64)"}, {"Publisher", "Igor Pavlov"}});
    Register("Word", {{"DisplayName", "Microsoft Word MUI (English) 2016"},
                      {"ParentDisplayName", "Microsoft Office 2016"}});
    Register("KB4052623", {{"DisplayName", "Security Update for Windows (KB4052623)"}});
    Register("Hotfix", {{"DisplayName", "Hotfix for Windows - Update KB976902"}});
    Register("Tom's",
             {{"DisplayName", "Tom's <Photo> & \"Tool\" {2024}?"}, {"Publisher", "Tom & Jerry"}});
    Register("NoName", {{"Publisher", "Nobody"}});
    Register("babylon", {{"DisplayName", "Babylon Translator"}, {"Publisher", "Babylon"}});
    Register(
        "CouponPrinter",
        {{"DisplayName", "Coupon Printer for Windows"}, {"Publisher", "Coupons.com Incorporated"}},
        kView32);
    Register("{90140000-0011-0000-0000-0000000FF1CE}",
             {{"DisplayName", "Microsoft Office Professional Plus 2010"},
              {"Publisher", "Microsoft Corporation"}},
             kView32);
    Register("lower", {{"DisplayName", "aardvark tools"}, {"Publisher", "PriceGong"}}, kView32);
    Register("Long", {{"DisplayName", "Long " + std::string(3000, 'x')}}, kView32);
}

TEST(InventoryE2E, LogReportWritesTheExpectedBytes) {
    KestrelSandbox k("logreport");
    ASSERT_EQ(k.Run("/LogReport"), 0);  // nothing registered yet: the headings only
    EXPECT_EQ(k.Read("Kestrel_Report.txt"), Report("", ""));

    SeedFixtureMachine();
    k.Write("Kestrel.txt", "toolbar|note\r\n;Babylon\r\nPRICEGONG\r\nCoupon\r\n");
    k.Write("Kestrel_Whitelist.txt", "Microsoft Office|keep\r\n   \r\n");
    ASSERT_EQ(k.Run("/logreport"), 0);
    EXPECT_EQ(k.Read("Kestrel_Report.txt"),
              Report("7-Zip 23.01 (x64)\r\nLong " + std::string(3000, 'x') +
                         "\r\nTom's <Photo> & \"Tool\" {2024}?",
                     "Ask Toolbar\r\nCoupon Printer for Windows\r\naardvark tools"));
    EXPECT_FALSE(k.Exists("Kestrel_Log.txt"));  // a report run is no uninstall run
}

// The same machine's JSON report, with the text report beside it: json-e2e.sh validates both
// from C:\kestrel-json once the suite has run.
TEST(InventoryE2E, JsonReportIsWrittenBesideTheTextReport) {
    SeedFixtureMachine();
    KestrelSandbox k("jsonreport");
    k.Write("Kestrel.txt", "toolbar|note\r\n;Babylon\r\nPRICEGONG\r\nCoupon\r\n");
    k.Write("Kestrel_Whitelist.txt", "Microsoft Office|keep\r\n");
    ASSERT_EQ(k.Run("/jsonreport /logreport"), 0);
    const std::optional<std::string> json = k.Read("Kestrel_Report.json");
    const std::optional<std::string> text = k.Read("Kestrel_Report.txt");
    ASSERT_TRUE(json && text);
    EXPECT_NE(json->find("\"kestrelVersion\": \"Kestrel v"), std::string::npos) << *json;
    EXPECT_NE(json->find("\"whitelistLine\": \"Microsoft Office|keep\""), std::string::npos);
    EXPECT_NE(json->find("\"hiddenByDisabledLine\": \";Babylon\""), std::string::npos);
    CreateDirectoryA("C:\\kestrel-json", nullptr);
    CreateDirectoryA("C:\\kestrel-json\\inventory", nullptr);
    WriteFileText("C:\\kestrel-json\\inventory\\Kestrel_Report.json", *json);
    WriteFileText("C:\\kestrel-json\\inventory\\Kestrel_Report.txt", *text);
}

}  // namespace
}  // namespace kestrel::e2e

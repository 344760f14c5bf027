#include <gtest/gtest.h>

#include "app/startup.h"
#include "core/settings.h"
#include "inventory/inventory_scan.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::RegView;

const std::string k64 = std::string("HKLM\\") + kUninstallKey;
const std::string k32 = std::string("HKLM\\") + kUninstallKey;  // the same path, 32-bit view

class InventoryScanTest : public ::testing::Test {
protected:
    InventoryScanTest() {
        PrepareProgram(m.ctx);
        m.registry.AddKey(k64, RegView::k64);
        m.registry.AddKey(k32, RegView::k32);
    }
    void App(const std::string& subkey, const std::string& name, const std::string& publisher,
             const std::string& uninstall, RegView view = RegView::k64) {
        const std::string key = (view == RegView::k64 ? k64 : k32) + "\\" + subkey;
        m.registry.AddKey(key, view);
        if (!name.empty()) {
            m.registry.PutString(key, "DisplayName", name, view);
        }
        if (!publisher.empty()) {
            m.registry.PutString(key, "Publisher", publisher, view);
        }
        if (!uninstall.empty()) {
            m.registry.PutString(key, "UninstallString", uninstall, view);
        }
    }
    std::vector<std::string> Names(const std::vector<AppListEntry>& list) {
        std::vector<std::string> names;
        for (const AppListEntry& e : list) {
            names.push_back(e.data[0]);
        }
        return names;
    }
    testing::FakeMachine m;
};

TEST_F(InventoryScanTest, ReadsBothViewsAndDropsComponentsUpdatesAndNamelessEntries) {
    App("{A1}", "Ask Toolbar", "APN, LLC", "MsiExec.exe /I{A1}");
    App("7-Zip", "7-Zip 23.01 (x64)", "Igor Pavlov", "\"C:\\7z\\Uninstall.exe\"");
    App("Word", "Microsoft Word MUI", "Microsoft", "");
    m.registry.PutString(k64 + "\\Word", "ParentDisplayName", "Office 2016", RegView::k64);
    App("KB1", "Security Update for Windows (KB1)", "Microsoft", "x");
    App("KB2", "Hotfix - update kb976902", "Microsoft", "x");
    App("Nameless", "", "Nobody", "x");
    App("Coupons", "Coupon Printer", "Coupons.com", "\"C:\\c\\uninstall.exe\"", RegView::k32);
    EXPECT_EQ(
        ScanInstalledApps(m.ctx, {}),
        (std::vector<std::string>{"7-Zip 23.01 (x64)|7-Zip|\"C:\\7z\\Uninstall.exe\"|Igor Pavlov",
                                  "Ask Toolbar|{A1}|MsiExec.exe /I{A1}|APN, LLC",
                                  "Coupon Printer|Coupons|\"C:\\c\\uninstall.exe\"|Coupons.com"}));
}

TEST_F(InventoryScanTest, QuietUninstallStringWinsAndFieldsAreTakenAsRead) {
    App("App", "  Padded Name ", "", "uninstall.exe");
    m.registry.PutString(k64 + "\\App", "QuietUninstallString", "uninstall.exe /S", RegView::k64);
    EXPECT_EQ(ScanInstalledApps(m.ctx, {}),
              std::vector<std::string>{"  Padded Name |App|uninstall.exe /S|"});
}

TEST_F(InventoryScanTest, WithoutTheFirstKeyNothingIsReadAndWithoutTheSecondTheFirstStill) {
    App("Coupons", "Coupon Printer", "", "x", RegView::k32);
    m.registry.RemoveTree(k64, RegView::k64);
    EXPECT_TRUE(ScanInstalledApps(m.ctx, {}).empty());

    testing::FakeMachine only64;
    only64.registry.AddKey(k64 + "\\App", RegView::k64);
    only64.registry.PutString(k64 + "\\App", "DisplayName", "App", RegView::k64);
    EXPECT_EQ(ScanInstalledApps(only64.ctx, {}).size(), 1u);
}

TEST_F(InventoryScanTest, OddRegistryDataStaysContained) {
    App("Long", std::string(5000, 'L'), std::string(3000, 'P'), std::string(4000, 'U'));
    App("Bar", "Name|With|Bars", "Pub", "u");
    m.registry.AddKey(k64 + "\\Denied", RegView::k64);
    m.registry.PutString(k64 + "\\Denied", "DisplayName", "Hidden by its rights", RegView::k64);
    m.registry.SetFlags(k64 + "\\Denied", {.denyOpen = true}, RegView::k64);
    m.registry.AddKey(k64 + "\\Dword", RegView::k64);
    m.registry.PutDword(k64 + "\\Dword", "DisplayName", 0x41, RegView::k64);
    m.registry.AddKey(k64 + "\\Nul", RegView::k64);
    m.registry.PutValue(k64 + "\\Nul", "DisplayName", os::regtype::kSz,
                        std::string("Shown\0hidden tail\0", 19), RegView::k64);
    m.registry.PutValue(k64 + "\\Nul", "Publisher", os::regtype::kSz, std::string("\0x", 2),
                        RegView::k64);
    std::vector<std::string> records = ScanInstalledApps(m.ctx, {});
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], "Name|With|Bars|Bar|u|Pub");
    EXPECT_EQ(records[1], "A|Dword||");  // a number read as text ends at its first NUL
    EXPECT_EQ(records[2].size(), 5000u + 1 + 4 + 1 + 4000 + 1 + 3000);
    EXPECT_EQ(records[3], "Shown|Nul||");
}

TEST_F(InventoryScanTest, EnumerationPlacesSortedRecordsAgainstTheLists) {
    App("k2", "alpha lower", "", "u2");
    App("k1", "Zeta Upper", "", "u1");
    App("b", "Same Name", "Vendor", "ub", RegView::k32);
    App("a", "Same Name", "Vendor", "ua");
    App("tb", "Ask Toolbar", "APN", "u");
    App("bab", "Babylon Translator", "Babylon", "u");
    App("keep", "Kept Toolbar", "Keeper", "u");
    m.files.AddFile("C:\\Kestrel\\Kestrel.txt", "toolbar|why\r\n;Babylon\r\nSame\r\n");
    m.files.AddFile("C:\\Kestrel\\Kestrel_Whitelist.txt", "Keeper\r\n");
    AppLists lists;
    EnumerateInstalledApps(m.ctx, lists);
    EXPECT_EQ(Names(lists.matching),
              (std::vector<std::string>{"Ask Toolbar", "Same Name", "Same Name"}));
    EXPECT_EQ(lists.matching[1].data[1], "a");  // equal names: by subkey name
    EXPECT_EQ(Names(lists.notInDefs), (std::vector<std::string>{"Zeta Upper", "alpha lower"}));
    EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Kestrel_StartMenuFolders.txt"));
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// The current user (HKCU, which is also one of HKU's keys), two other loaded users, a
// "_Classes" key and a profile's hive that a cleanup mounted.
class UserInstallsTest : public InventoryScanTest {
protected:
    UserInstallsTest() {
        App("Machine", "Machine App", "", "m.exe");
        m.env.Set("username", "tech");
        m.security.accounts["tech"] = "S-1-5-21-7-1001";
        User("HKCU", "Mine");
        User("HKU\\S-1-5-21-7-1001", "Mine");  // HKCU again, by its SID
        User("HKU\\S-1-5-21-7-1002", "Theirs");
        m.registry.PutString(std::string(kProfiles) + "\\S-1-5-21-7-1002", "ProfileImagePath",
                             "C:\\Users\\dana\\", RegView::k64);
        User("HKU\\S-1-5-21-7-1003", "Unknown Profile");  // no ProfileList entry
        User("HKU\\S-1-5-21-7-1002_Classes", "Classes Only");
        User("HKLM\\guest_erin", "Mounted");
    }
    void User(const std::string& hive, const std::string& name) {
        const std::string key = hive + "\\" + kUninstallKey + "\\" + name;
        m.registry.PutString(key, "DisplayName", name, RegView::k64);
        m.registry.PutString(key, "UninstallString", "C:\\" + name + "\\u.exe", RegView::k64);
    }
    static constexpr const char* kProfiles =
        "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
};

std::string Record(const std::string& name, const std::string& user) {
    return MakeAppRecord({name, name, "C:\\" + name + "\\u.exe", "", user});
}

TEST_F(UserInstallsTest, EveryLoadedAndMountedUserHiveIsReadOnceWithItsUser) {
    EXPECT_EQ(ScanInstalledApps(m.ctx, {}),
              (std::vector<std::string>{"Machine App|Machine|m.exe|", Record("Mine", "tech"),
                                        Record("Mounted", "erin"), Record("Theirs", "dana"),
                                        Record("Unknown Profile", "S-1-5-21-7-1003")}));
    // Without the account's SID the profile folder's name tells which hive is HKCU.
    m.security.accounts.clear();
    m.registry.PutString(kProfiles + std::string("\\S-1-5-21-7-1001"), "ProfileImagePath",
                         "C:\\Users\\TECH", RegView::k64);
    EXPECT_EQ(ScanInstalledApps(m.ctx, {}).size(), 5u);

    WriteIni(m.ctx, m.ctx.settingsFile, "Options", "IncludeUserInstalls", " 0 ");
    EXPECT_EQ(ScanInstalledApps(m.ctx, {}),
              std::vector<std::string>{"Machine App|Machine|m.exe|"});
}

TEST_F(UserInstallsTest, TheReportAndTheListsNameTheUserAndKeepTheBareNameAsData) {
    m.files.AddFile(m.ctx.definitions.blacklist, "Theirs\r\n");
    AppLists lists;
    EnumerateInstalledApps(m.ctx, lists);
    ASSERT_EQ(lists.matching.size(), 1u);
    EXPECT_EQ(lists.matching[0].data[0], "Theirs");  // what "Uninstall Now" passes on
    EXPECT_NE(lists.matching[0].Markup().find("Text='Theirs (user dana)'"), std::string::npos);
    const std::string report = ReportText(lists);
    EXPECT_NE(report.find("\r\nMine (user tech)\r\n"), std::string::npos) << report;
    EXPECT_TRUE(report.ends_with("\r\nTheirs (user dana)")) << report;
    EXPECT_NE(report.find("\r\nMachine App\r\n"), std::string::npos) << report;

    // A field holding "|" shifts the later fields, never the user.
    const AppRecordFields shifted = SplitAppRecord(MakeAppRecord({"A|B", "K", "u", "P", "dana"}));
    EXPECT_EQ(shifted.publisher, "u");
    EXPECT_EQ(shifted.user, "dana");
}

}  // namespace
}  // namespace kestrel

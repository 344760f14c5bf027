// The browser guard around real uninstalls: browsers that run are closed, an uninstaller that
// opens a browser meets the guard, the browsers' own Image File Execution Options survive, and
// a guard left on by a killed run is switched off again.
#include <gtest/gtest.h>

#include <functional>

#include "e2e/kestrel_sandbox.h"
#include "e2e/test_apps.h"
#include "os/win32/windows_api.h"

namespace kestrel::e2e {
namespace {

using Lines = std::vector<std::string>;

const Lines kBrowsers = {"iexplore.exe", "firefox.exe", "chrome.exe", "chromium.exe",
                         "dragon.exe",   "safari.exe",  "opera.exe"};

std::string BrowserKey(const std::string& browser) {
    return std::string(kIfeoKey) + "\\" + browser;
}

bool GuardOn() {
    return MachineText(BrowserKey("iexplore.exe"), "Debugger") == "IFEO_Silent_Dummy.exe";
}

bool WaitFor(const std::function<bool()>& condition, unsigned ms = 30000) {
    for (ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(50)) {
        if (condition()) {
            return true;
        }
    }
    return condition();
}

// Nothing of the guard is left, and the keys the browsers had before are as they were.
void ExpectMachineAsFound(const std::string& keptBrowser, unsigned keptValue) {
    for (const std::string& browser : kBrowsers) {
        if (browser == keptBrowser) {
            EXPECT_EQ(MachineDword(BrowserKey(browser), "MitigationOptions"), keptValue);
            EXPECT_FALSE(MachineText(BrowserKey(browser), "Debugger"));
            EXPECT_FALSE(MachineText(BrowserKey(browser), "KestrelBrowserGuard"));
        } else if (browser != "chrome.exe") {
            EXPECT_FALSE(MachineKeyExists(BrowserKey(browser))) << browser;
        }
    }
}

TEST(BrowserGuardE2E, ABrowserOpenedByAnUninstallerMeetsTheGuardAndBrowserSettingsSurvive) {
    const std::string browser = "C:\\kestrel-tests\\browser\\firefox.exe";
    PlaceBrowserStandIn(browser);
    StartBrowserStandIn(browser);
    ASSERT_EQ(CountProcesses("firefox.exe"), 1);
    SetMachineDword(BrowserKey("firefox.exe"), "MitigationOptions", 0x100);
    SetMachineText(BrowserKey("chrome.exe"), "Debugger", "C:\\Tools\\jitdebugger.exe");
    InstallNsis("coupons");
    ASSERT_TRUE(Registered("Kestrel Test Coupons"));

    KestrelSandbox k("coupons");
    Lines debug;
    EXPECT_EQ(k.RunDebugged("/u=coupon deals", debug), 0);
    EXPECT_FALSE(Registered("Kestrel Test Coupons"));
    EXPECT_EQ(CountProcesses("firefox.exe"), 0);  // the open browser was closed first
    // The quiet command was taken, as it stands.
    EXPECT_NE(std::find(debug.begin(), debug.end(),
                        "\tShellandWaitForTermination:  \"C:\\Program Files\\Kestrel Test "
                        "Coupons\\uninst.exe\" /S"),
              debug.end());

    // The uninstaller's attempt to open a web page: on Windows the browser never starts; Wine
    // starts it anyway, and it finds the guard on.
    const std::string started = ReadFileText("C:\\kestrel-tests\\browser\\started.txt").value();
    const std::string opened = "http://example.invalid/thank-you|Debugger=IFEO_Silent_Dummy.exe";
    if (DebuggerValuesIgnored()) {
        EXPECT_NE(started.find(opened), std::string::npos) << started;
    } else {
        EXPECT_EQ(started.find("example.invalid"), std::string::npos) << started;
    }

    ExpectMachineAsFound("firefox.exe", 0x100);
    EXPECT_EQ(MachineText(BrowserKey("chrome.exe"), "Debugger"), "C:\\Tools\\jitdebugger.exe");
    EXPECT_FALSE(MachineText(BrowserKey("chrome.exe"), "KestrelSavedDebugger"));
    EXPECT_NE(k.Read("Kestrel_Log.txt").value_or("").find("*Uninstalled:  Kestrel Test Coupons"),
              std::string::npos);
    DeleteMachineKey(BrowserKey("firefox.exe"));
    DeleteMachineKey(BrowserKey("chrome.exe"));
}

TEST(BrowserGuardE2E, AGuardLeftByAKilledRunGoesAtTheNextStartUnlessAnotherKestrelRuns) {
    InstallNsis("stuck");
    SetMachineDword(BrowserKey("opera.exe"), "MitigationOptions", 7);
    KestrelSandbox k("killed");
    auto killedMidUninstall = [&](int copiesBefore) {
        KestrelSandbox::Started run = k.Start("/u=kestrel test stuck");
        EXPECT_TRUE(WaitFor([&] { return GuardOn() && CountProcesses("Un.exe") > copiesBefore; }));
        run.Kill();
    };

    killedMidUninstall(0);
    EXPECT_TRUE(GuardOn());

    // With another Kestrel running, the guard may be that run's: a start leaves it on.
    {
        KestrelSandbox::Started other = k.Start("/u=kestrel test stuck");
        ASSERT_TRUE(WaitFor([] { return GuardOn() && CountProcesses("Un.exe") >= 2; }));
        EXPECT_EQ(k.Run("/nothing-known"), 0);
        EXPECT_TRUE(GuardOn());
        other.Kill();
    }
    EXPECT_EQ(k.Run("/fixbrowsers"), 0);
    EXPECT_FALSE(GuardOn());
    ExpectMachineAsFound("opera.exe", 7);

    killedMidUninstall(2);
    EXPECT_TRUE(GuardOn());
    EXPECT_EQ(k.Run("/sendreport"), 0);  // any start
    EXPECT_FALSE(GuardOn());
    ExpectMachineAsFound("opera.exe", 7);
    EndProcesses("Un.exe");
    DeleteMachineKey(BrowserKey("opera.exe"));
}

}  // namespace
}  // namespace kestrel::e2e

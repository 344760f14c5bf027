// The browser guard around real uninstalls: browsers that run are closed, an uninstaller that
// opens a browser meets the guard, the browsers' own Image File Execution Options survive, and
// a guard left on by a killed run is switched off again.
#include <gtest/gtest.h>

#include <functional>

#include "e2e/kestrel_sandbox.h"
#include "e2e/test_apps.h"
#include "os/win32/windows_api.h"
#include "win32/win32_machine.h"

namespace kestrel::e2e {
namespace {

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

// Nothing of the guard is left (its keys go with it), and a browser's own key is as it was.
void ExpectMachineAsFound(const std::string& keptBrowser, unsigned keptValue) {
    EXPECT_FALSE(MachineKeyExists(BrowserKey("iexplore.exe")));
    EXPECT_EQ(MachineDword(BrowserKey(keptBrowser), "MitigationOptions"), keptValue);
    EXPECT_FALSE(MachineText(BrowserKey(keptBrowser), "Debugger"));
    EXPECT_FALSE(MachineText(BrowserKey(keptBrowser), "KestrelBrowserGuard"));
}

TEST(BrowserGuardE2E, ABrowserOpenedByAnUninstallerMeetsTheGuardAndBrowserSettingsSurvive) {
    const std::string browser = "C:\\kestrel-tests\\browser\\firefox.exe";
    StartBrowserStandIn(browser);
    ASSERT_EQ(CountProcesses("firefox.exe"), 1);
    SetMachineDword(BrowserKey("firefox.exe"), "MitigationOptions", 0x100);
    SetMachineText(BrowserKey("chrome.exe"), "Debugger", "C:\\Tools\\jitdebugger.exe");
    InstallNsis("coupons");
    ASSERT_TRUE(Registered("Kestrel Test Coupons"));

    KestrelSandbox k("coupons");
    EXPECT_EQ(k.Run("/u=coupon deals"), 0);
    EXPECT_FALSE(Registered("Kestrel Test Coupons"));
    EXPECT_EQ(CountProcesses("firefox.exe"), 0);  // the open browser was closed first

    // The uninstaller's attempt to open a web page: on Windows the browser never starts; Wine
    // does not honour Image File Execution Options, starts it anyway, and it finds the guard on.
    const std::string started = ReadFileText("C:\\kestrel-tests\\browser\\started.txt").value();
    const std::string opened = "http://example.invalid/thank-you|Debugger=IFEO_Silent_Dummy.exe";
    if (kestrel::testing::RunningUnderWine()) {
        EXPECT_NE(started.find(opened), std::string::npos) << started;
    } else {
        EXPECT_EQ(started.find("example.invalid"), std::string::npos) << started;
    }

    ExpectMachineAsFound("firefox.exe", 0x100);
    EXPECT_EQ(MachineText(BrowserKey("chrome.exe"), "Debugger"), "C:\\Tools\\jitdebugger.exe");
    EXPECT_FALSE(MachineText(BrowserKey("chrome.exe"), "KestrelSavedDebugger"));
}

TEST(BrowserGuardE2E, AGuardLeftByAKilledRunGoesAtTheNextStartUnlessAnotherKestrelRuns) {
    InstallNsis("stuck");
    SetMachineDword(BrowserKey("opera.exe"), "MitigationOptions", 7);
    KestrelSandbox k("killed");
    {
        KestrelSandbox::Started killed = k.Start("/u=kestrel test stuck");
        ASSERT_TRUE(WaitFor([] { return GuardOn() && CountProcesses("Un.exe") > 0; }));
    }  // killed mid-uninstall
    EXPECT_TRUE(GuardOn());

    // With another Kestrel running, the guard may be that run's: a start leaves it on.
    {
        KestrelSandbox::Started other = k.Start("/u=kestrel test stuck");
        ASSERT_TRUE(WaitFor([] { return GuardOn() && CountProcesses("Un.exe") >= 2; }));
        EXPECT_EQ(k.Run("/nothing-known"), 0);
        EXPECT_TRUE(GuardOn());
    }
    EXPECT_EQ(k.Run("/sendreport"), 0);  // any start, once it runs alone
    EXPECT_FALSE(GuardOn());
    ExpectMachineAsFound("opera.exe", 7);
    EndProcesses("Un.exe");
}

}  // namespace
}  // namespace kestrel::e2e

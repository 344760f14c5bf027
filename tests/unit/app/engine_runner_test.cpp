// The program as a technician starts it, on the real engine over the fake machine: "/u=",
// "/auto", "/fixbrowsers", and a start after a run that was ended abruptly.
#include <gtest/gtest.h>

#include "app/command_runner.h"
#include "app/engine_services.h"
#include "app/startup.h"
#include "engine/browser_guard.h"
#include "engine/uninstall_by_definition.h"
#include "inventory/inventory_scan.h"
#include "support/fake_machine.h"
#include "support/fake_package_windows.h"
#include "support/idle_command_shell.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using Program = os::fake::FakeProcesses::Program;

const std::string kUninstall = std::string("HKLM\\") + kUninstallKey;
const std::string kIfeo = std::string("HKLM\\") + kImageFileExecutionOptions;
constexpr const char* kLogFile = "C:\\Kestrel\\Kestrel_Log.txt";

class EngineRoad : public ::testing::Test {
protected:
    EngineRoad() {
        m.files.AddFile("C:\\Kestrel\\Kestrel.ini", "[Options]\r\nLogFile=1\r\nEmailResults=0\r\n");
        m.registry.AddKey(kIfeo);
        testing::ProvideIdleCommandShell(m, 20);
    }
    // An application whose uninstaller removes its entry 150 ms after it starts.
    void Install(const std::string& subkey, const std::string& name, const std::string& publisher) {
        const std::string key = kUninstall + "\\" + subkey;
        const std::string program = "C:\\Apps\\" + subkey + "\\uninst.exe";
        m.registry.PutString(key, "DisplayName", name);
        m.registry.PutString(key, "Publisher", publisher);
        m.registry.PutString(key, "UninstallString", "\"" + program + "\"");
        Program uninstaller;
        uninstaller.runMs = 150;
        uninstaller.onExit = [this, key] { m.registry.RemoveTree(key); };
        m.processes.OnProgram(program, uninstaller);
    }
    bool Installed(const std::string& subkey) const {
        return m.registry.KeyExists(kUninstall + "\\" + subkey);
    }
    void Run(const std::string& arguments) {
        m.env.SetArguments(arguments);
        EngineServices services(m.ctx, windows);
        CommandRunner runner(m.ctx, services);
        EXPECT_EQ(Main(m.ctx, runner), 0);
    }
    std::string Log() const { return m.files.Content(kLogFile).value_or(""); }

    testing::FakeMachine m;
    testing::FakePackageWindows windows;
};

TEST_F(EngineRoad, UninstallByNameRemovesTheApplicationAndLogsTheVerdict) {
    Install("Toolbar", "Ask Toolbar", "APN");
    Install("Keeper", "Ask Keeper", "APN");
    m.files.AddFile("C:\\Kestrel\\Kestrel_Whitelist.txt", "Keeper\r\n");
    Run("/u=ask toolbar");
    EXPECT_FALSE(Installed("Toolbar"));
    EXPECT_TRUE(Installed("Keeper"));
    EXPECT_EQ(Log(),
              "12/6/2026 8:10:47 AM  -  Started on WORKSHOP-PC\r\n---------\r\n"
              "*Uninstalled:  Ask Toolbar\r\n---END---\r\n\r\n");
    EXPECT_TRUE(m.registry.SubkeyNames(kIfeo).empty());

    // "/u=" does not consult the whitelist.
    Run("/u=keeper");
    EXPECT_FALSE(Installed("Keeper"));
}

TEST_F(EngineRoad, EveryStartSwitchesOffAGuardThatAnInterruptedRunLeftOn) {
    m.registry.PutDword(kIfeo + "\\chrome.exe", "MitigationOptions", 1);
    SetBrowserGuard(m.ctx);
    Run("/nothing-known");
    EXPECT_EQ(m.registry.SubkeyNames(kIfeo), Lines{"chrome.exe"});
    EXPECT_FALSE(m.registry.GetValue(kIfeo + "\\chrome.exe", "Debugger"));

    SetBrowserGuard(m.ctx);
    Run("");  // the window road
    EXPECT_EQ(m.registry.SubkeyNames(kIfeo), Lines{"chrome.exe"});
}

TEST_F(EngineRoad, FixBrowsersSwitchesTheGuardOffEvenWhileAnotherKestrelRuns) {
    SetBrowserGuard(m.ctx);
    m.processes.AddRunning("Kestrel.exe");
    Run("/u=nothing installed");
    EXPECT_EQ(m.registry.SubkeyNames(kIfeo).size(), 0u);  // each "/u=" run ends with it

    SetBrowserGuard(m.ctx);
    Run("/sendreport");
    EXPECT_EQ(m.registry.SubkeyNames(kIfeo).size(), 7u);  // perhaps the other run's guard
    Run("/fixbrowsers");
    EXPECT_TRUE(m.registry.SubkeyNames(kIfeo).empty());
    EXPECT_EQ(Log().find("*Uninstall"), std::string::npos);
}

}  // namespace
}  // namespace kestrel

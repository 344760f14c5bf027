// Starting and waiting for programs over the fake machine, whose clock the simulated
// processes move forward.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "platform/process_launch.h"
#include "platform/system_account.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using Program = os::fake::FakeProcesses::Program;

Program Runs(uint32_t ms, uint32_t exitCode = 0) {
    Program p;
    p.runMs = ms;
    p.exitCode = exitCode;
    return p;
}

class ProcessLaunch : public ::testing::Test {
protected:
    ProcessLaunch() {
        m.ctx.redirection.SetAllowed(true);
        // The tick count wraps during the waits, as it does every 49.7 days.
        m.clock.milliseconds = 0xFFFFFF80u;
        m_start = m.clock.milliseconds;
    }
    uint32_t Elapsed() const { return m.clock.milliseconds - m_start; }
    void Restart() {
        m_start = m.clock.milliseconds;
        message = "untouched";
    }
    // An NSIS-style uninstaller: the started program starts its copy and ends after 100 ms;
    // the copy removes the product's key when it ends, 900 ms later.
    void ProvideRelaunchingUninstaller() {
        m.registry.AddKey("HKLM\\SOFTWARE\\Product");
        Program launcher = Runs(100);
        launcher.children = {"C:\\Temp\\Au_.exe _?=C:\\Product"};
        m.processes.OnProgram("uninst.exe", launcher);
        Program copy = Runs(1000);
        copy.onExit = [this] { m.registry.RemoveTree("HKLM\\SOFTWARE\\Product"); };
        m.processes.OnProgram("Au_.exe", copy);
    }
    // Starts that uninstaller and waits for it, with the time-out, for its descendants or not.
    bool WaitForUninstaller(int32_t timeoutMs, bool descendants) {
        return ShellAndWaitForTermination(m.ctx, "uninst.exe /S", 1, message, timeoutMs, true,
                                          {.waitForDescendants = descendants});
    }
    bool Wait(const std::string& command, int32_t timeoutMs, bool useTimeout) {
        return ShellAndWaitForTermination(m.ctx, command, 0, message, timeoutMs, useTimeout);
    }
    bool Shell(const std::string& program, const std::string& parameters, bool wait, uint16_t style,
               bool asSystem = false) {
        return ShellX(m.ctx, program, parameters, wait, style, code, asSystem, false, kNoTimeout);
    }

    testing::FakeMachine m;
    std::string message = "untouched";
    uint32_t code = 0;
    uint32_t m_start = 0;
};

TEST_F(ProcessLaunch, AWaitEndsWhenTheProgramEndsNotAtTheNextPoll) {
    m.processes.OnProgram("setup.exe", Runs(250, 3));
    EXPECT_TRUE(
        ShellAndWaitForTermination(m.ctx, "C:\\Apps\\setup.exe /S", 1, message, 300000, true));
    EXPECT_EQ(Elapsed(), 250u);
    EXPECT_EQ(message, "untouched");
    EXPECT_EQ(m.debugOut.lines,
              (Lines{"\tShellandWaitForTermination:  C:\\Apps\\setup.exe /S", "\t\tSuccess=True"}));
    EXPECT_EQ(m.processes.launches[0].showWindow, 1);
    EXPECT_EQ(std::tuple(m.wow64.disabled, m.wow64.reverted), std::tuple(1, 1));
    EXPECT_EQ(m.processes.OpenHandleCount(), 0u);
}

TEST_F(ProcessLaunch, TheTimeOutMustBeExceededAndLeavesTheProgramRunning) {
    m.processes.OnProgram("slow.exe", Runs(300));
    EXPECT_TRUE(Wait("slow.exe", 300, true));
    m.processes.OnProgram("slower.exe", Runs(5000));
    Restart();
    EXPECT_FALSE(Wait("slower.exe", 300, true));
    EXPECT_EQ(message, "The process has timed out.");
    EXPECT_EQ(Elapsed(), 301u);
    EXPECT_TRUE(m.processes.Running(m.processes.launches.back().pid));
    Restart();
    EXPECT_TRUE(Wait("slower.exe", 10, false));  // without use-time-out its value does not matter
    EXPECT_EQ(Elapsed(), 5000u);
}

TEST_F(ProcessLaunch, StartsThatFailOrGiveNoHandleAreReported) {
    EXPECT_FALSE(Wait("C:\\Apps\\gone.exe /x", kNoTimeout, false));
    EXPECT_EQ(message, "File not found");
    EXPECT_FALSE(m.wow64.currentlyOff);
    m.processes.OnProgram("app.exe", Runs(100));
    m.processes.withholdHandles = true;
    EXPECT_FALSE(Wait("app.exe", kNoTimeout, false));
    EXPECT_EQ(message,
              "This program could not determine whether the process started.Please watch the "
              "program and check it completes.");
    EXPECT_FALSE(Shell("app.exe", "", true, 0));
    EXPECT_EQ(m.debugOut.lines.back(), "\tShellX (Failed):  app.exe");
}

TEST_F(ProcessLaunch, ARelaunchingUninstallerIsWaitedForOnlyWhenAsked) {
    ProvideRelaunchingUninstaller();
    EXPECT_TRUE(WaitForUninstaller(300000, false));
    EXPECT_EQ(Elapsed(), 100u);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));  // verified too early
    m.clock.milliseconds += 5000;
    for (bool groups : {true, false}) {
        SCOPED_TRACE(groups ? "job object" : "process list");
        m.processes.groupsUnavailable = !groups;
        Restart();
        ProvideRelaunchingUninstaller();
        EXPECT_TRUE(WaitForUninstaller(300000, true));
        EXPECT_EQ(Elapsed(), 1000u);
        EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));
        EXPECT_EQ(m.processes.OpenHandleCount(), 0u);
    }
    // The descendants share the one time-out.
    Restart();
    ProvideRelaunchingUninstaller();
    EXPECT_FALSE(WaitForUninstaller(500, true));
    EXPECT_EQ(message, "The process has timed out.");
    EXPECT_EQ(Elapsed(), 501u);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));
}

TEST_F(ProcessLaunch, ShellXTestsFullPathsQuotesBlanksAndMayNotWait) {
    EXPECT_FALSE(Shell("C:\\Tools\\missing.exe", "/x", true, 0));
    EXPECT_EQ(m.debugOut.lines, (Lines{"\tCommonModule\\ShellX FILE NOT FOUND",
                                       "\t\t- sPathAndFileName=C:\\Tools\\missing.exe"}));
    m.files.AddFile("C:\\Program Files\\Tool\\tool.exe", "MZ");
    m.processes.fallback = [](const std::string&) { return std::optional<Program>(Runs(10, 7)); };
    EXPECT_TRUE(Shell("C:\\Program Files\\Tool\\tool.exe", "", true, 1));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(Shell("cmd.exe", "/c exit", true, 0));
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"C:\\Program Files\\Tool\\tool.exe\"", "cmd.exe /c exit"}));
    // A time-out ends the wait without failing; no wait at all returns at once.
    m.processes.OnProgram("long.exe", Runs(10000, 4));
    Restart();
    EXPECT_TRUE(ShellX(m.ctx, "long.exe", "", true, 0, code, false, true, 200));
    EXPECT_EQ(std::tuple(code, Elapsed()), std::tuple(259u, 201u));
    Restart();
    code = 0;
    EXPECT_TRUE(Shell("long.exe", "", false, 0));
    EXPECT_EQ(std::tuple(code, Elapsed()), std::tuple(0u, 0u));
}

TEST_F(ProcessLaunch, ShellXGoesThroughPsexecOnlyWhereItCan) {
    m.processes.fallback = [](const std::string&) { return std::optional<Program>(Runs(10)); };
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    EXPECT_TRUE(m.debugOut.Saw("\tShellX:  Cannot find PSEXEC.EXE"));
    m.files.AddFile("C:\\Kestrel\\3rd Party Tools\\psexec.exe", "MZ");
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", false, 1, true));
    m.env.Set("systemdrive", "X:");  // Windows PE: already SYSTEM
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    m.env.Set("systemdrive", "C:");
    m.env.programFile = "\\\\server\\tools\\Kestrel\\Kestrel.exe";
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    EXPECT_TRUE(m.debugOut.Saw("\tShellX:  Cannot run app as system with PSEXEC on a UNC path."));
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"reg.exe QUERY x",
                     "\"C:\\Kestrel\\3rd Party Tools\\psexec.exe\" -s -i reg.exe QUERY x",
                     "\"C:\\Kestrel\\3rd Party Tools\\psexec.exe\" -s -i -d reg.exe QUERY x",
                     "reg.exe QUERY x", "reg.exe QUERY x"}));
    std::vector<int> styles;
    for (const auto& launch : m.processes.launches) {
        styles.push_back(launch.showWindow);
    }
    EXPECT_EQ(styles, (std::vector<int>{1, 0, 0, 1, 1}));
}

TEST_F(ProcessLaunch, DelayWaitsTheTimeAskedWhileDispatchingMessages) {
    Delay(m.ctx, 0);
    Delay(m.ctx, -3);
    Delay(m.ctx, std::nan(""));
    EXPECT_EQ(Elapsed(), 0u);
    m.processes.pendingMessages = 1;
    Delay(m.ctx, 2.5);
    EXPECT_EQ(Elapsed(), 2500u);
    EXPECT_EQ(m.processes.pendingMessages, 0u);
}

TEST_F(ProcessLaunch, TheEnvironmentTellsTheSystemAccountAndTellsTheUserOnlyWhenAsked) {
    EXPECT_FALSE(IsRunningAsSystem(m.ctx, true));
    m.env.Set("systemdrive", "x:");
    EXPECT_TRUE(IsRunningAsSystem(m.ctx));
    m.env.Set("systemdrive", "C:");
    for (const char* user : {"", "workshop-pc$"}) {
        m.env.Set("username", user);
        EXPECT_TRUE(IsRunningAsSystem(m.ctx)) << user;
    }
    EXPECT_TRUE(m.prompts.messages.empty());
    EXPECT_TRUE(IsRunningAsSystem(m.ctx, true));
    ASSERT_EQ(m.prompts.messages.size(), 1u);
    EXPECT_EQ(m.prompts.messages[0].text, "It appears you now have SYSTEM access.  Congrats!");
    EXPECT_EQ(m.prompts.messages[0].title, "Kestrel");
}

}  // namespace
}  // namespace kestrel

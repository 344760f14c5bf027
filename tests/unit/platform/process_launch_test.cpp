// Starting and waiting for programs over the fake machine, whose clock the simulated
// processes move forward.
#include <gtest/gtest.h>

#include <cmath>

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
    ProcessLaunch() { m.ctx.redirection.SetAllowed(true); }
    uint32_t Elapsed() const { return m.clock.milliseconds - m_start; }
    bool Has(const std::string& line) const {
        return std::find(m.debugOut.lines.begin(), m.debugOut.lines.end(), line) !=
               m.debugOut.lines.end();
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
    bool Shell(const std::string& program, const std::string& parameters, bool wait, uint16_t style,
               bool asSystem = false) {
        return ShellX(m.ctx, program, parameters, wait, style, code, asSystem, false, kNoTimeout);
    }

    testing::FakeMachine m;
    std::string message = "untouched";
    uint32_t code = 0;
    uint32_t m_start = m.clock.milliseconds;
};

TEST_F(ProcessLaunch, AWaitEndsWhenTheProgramEndsNotAtTheNextPoll) {
    m.processes.OnProgram("setup.exe", Runs(250, 3));
    EXPECT_TRUE(
        ShellAndWaitForTermination(m.ctx, "C:\\Apps\\setup.exe /S", 1, message, 300000, true));
    EXPECT_EQ(Elapsed(), 250u);
    EXPECT_EQ(message, "untouched");
    EXPECT_EQ(m.debugOut.lines,
              (Lines{"\tShellandWaitForTermination:  C:\\Apps\\setup.exe /S", "\t\tSuccess=True"}));
    ASSERT_EQ(m.processes.launches.size(), 1u);
    EXPECT_EQ(m.processes.launches[0].showWindow, 1);
    EXPECT_EQ(m.wow64.disabled, 1);
    EXPECT_EQ(m.wow64.reverted, 1);
    EXPECT_EQ(m.processes.OpenHandleCount(), 0u);
}

TEST_F(ProcessLaunch, TheTimeOutMustBeExceededAndLeavesTheProgramRunning) {
    m.processes.OnProgram("slow.exe", Runs(300));
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx, "slow.exe", 0, message, 300, true));
    m.processes.OnProgram("slower.exe", Runs(5000));
    m_start = m.clock.milliseconds;
    EXPECT_FALSE(ShellAndWaitForTermination(m.ctx, "slower.exe", 0, message, 300, true));
    EXPECT_EQ(message, "The process has timed out.");
    EXPECT_EQ(Elapsed(), 301u);
    EXPECT_TRUE(m.processes.Running(m.processes.launches.back().pid));
    EXPECT_EQ(m.debugOut.lines.back(), "\t\tSuccess=False");
    // Without use-time-out the time-out value does not matter.
    m_start = m.clock.milliseconds;
    message = "untouched";
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx, "slower.exe", 0, message, 10, false));
    EXPECT_EQ(Elapsed(), 5000u);
}

TEST_F(ProcessLaunch, AProgramThatCannotStartGivesTheErrorText) {
    EXPECT_FALSE(
        ShellAndWaitForTermination(m.ctx, "C:\\Apps\\gone.exe /x", 0, message, kNoTimeout, false));
    EXPECT_EQ(message, "File not found");
    EXPECT_EQ(m.debugOut.lines,
              (Lines{"\tShellandWaitForTermination:  C:\\Apps\\gone.exe /x",
                     "\tCommonModule\\ShellAndWaitForTermination VB ERROR: 53 File not found",
                     "\t\t- sShell=C:\\Apps\\gone.exe /x"}));
    EXPECT_FALSE(m.wow64.currentlyOff);
}

TEST_F(ProcessLaunch, WithoutAHandleTheWaitCannotTell) {
    m.processes.OnProgram("app.exe", Runs(100));
    m.processes.withholdHandles = true;
    EXPECT_FALSE(ShellAndWaitForTermination(m.ctx, "app.exe", 0, message, kNoTimeout, false));
    EXPECT_EQ(message,
              "This program could not determine whether the process started.Please watch the "
              "program and check it completes.");
    EXPECT_EQ(m.debugOut.lines.back(), "\t\tSuccess=False");
}

TEST_F(ProcessLaunch, WindowMessagesAreDispatchedWhileWaiting) {
    m.processes.OnProgram("app.exe", Runs(400));
    m.processes.pendingMessages = 2;
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx, "app.exe", 0, message, kNoTimeout, false));
    EXPECT_EQ(m.processes.pendingMessages, 0u);
    EXPECT_GE(m.prompts.doEvents, 1);
    EXPECT_EQ(Elapsed(), 400u);
}

TEST_F(ProcessLaunch, ARelaunchingUninstallerIsWaitedForOnlyWhenAsked) {
    ProvideRelaunchingUninstaller();
    EXPECT_TRUE(WaitForUninstaller(300000, false));
    EXPECT_EQ(Elapsed(), 100u);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));  // verified too early
    m.clock.milliseconds += 5000;
    EXPECT_FALSE(m.processes.Running(m.processes.launches.back().pid));
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));  // the copy did finish
    m_start = m.clock.milliseconds;
    ProvideRelaunchingUninstaller();
    EXPECT_TRUE(WaitForUninstaller(300000, true));
    EXPECT_EQ(Elapsed(), 1000u);
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));
}

TEST_F(ProcessLaunch, WithoutAGroupTheProcessListFindsTheDescendants) {
    m.processes.groupsUnavailable = true;
    ProvideRelaunchingUninstaller();
    EXPECT_TRUE(WaitForUninstaller(300000, true));
    EXPECT_EQ(Elapsed(), 1000u);
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));
    EXPECT_EQ(m.processes.OpenHandleCount(), 0u);
}

TEST_F(ProcessLaunch, DescendantsShareTheTimeOut) {
    ProvideRelaunchingUninstaller();
    EXPECT_FALSE(WaitForUninstaller(500, true));
    EXPECT_EQ(message, "The process has timed out.");
    EXPECT_EQ(Elapsed(), 501u);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Product"));
}

TEST_F(ProcessLaunch, ShellXTestsFullPathsAndQuotesBlanks) {
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
    EXPECT_EQ(m.processes.launches[0].showWindow, 1);
}

TEST_F(ProcessLaunch, ShellXGoesThroughPsexecOnlyWhereItCan) {
    m.processes.fallback = [](const std::string&) { return std::optional<Program>(Runs(10)); };
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    EXPECT_TRUE(Has("\tShellX:  Cannot find PSEXEC.EXE"));
    m.files.AddFile("C:\\Kestrel\\3rd Party Tools\\psexec.exe", "MZ");
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", false, 1, true));
    m.env.Set("systemdrive", "X:");  // Windows PE: already SYSTEM
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"reg.exe QUERY x",
                     "\"C:\\Kestrel\\3rd Party Tools\\psexec.exe\" -s -i reg.exe QUERY x",
                     "\"C:\\Kestrel\\3rd Party Tools\\psexec.exe\" -s -i -d reg.exe QUERY x",
                     "reg.exe QUERY x"}));
    std::vector<int> styles;
    for (const auto& launch : m.processes.launches) {
        styles.push_back(launch.showWindow);
    }
    EXPECT_EQ(styles, (std::vector<int>{1, 0, 0, 1}));
    m.env.Set("systemdrive", "C:");
    m.env.programFile = "\\\\server\\tools\\Kestrel\\Kestrel.exe";
    EXPECT_TRUE(Shell("reg.exe", "QUERY x", true, 1, true));
    EXPECT_TRUE(Has("\tShellX:  Cannot run app as system with PSEXEC on a UNC path."));
    EXPECT_EQ(m.processes.CommandLines().back(), "reg.exe QUERY x");
}

TEST_F(ProcessLaunch, ShellXTimesOutWithoutFailingAndMayNotWait) {
    m.processes.OnProgram("long.exe", Runs(10000, 4));
    EXPECT_TRUE(ShellX(m.ctx, "long.exe", "", true, 0, code, false, true, 200));
    EXPECT_EQ(code, 259u);
    EXPECT_EQ(Elapsed(), 201u);
    m_start = m.clock.milliseconds;
    code = 0;
    EXPECT_TRUE(Shell("long.exe", "", false, 0));
    EXPECT_EQ(Elapsed(), 0u);
    EXPECT_EQ(code, 0u);
}

TEST_F(ProcessLaunch, ShellXReportsStartsThatFail) {
    EXPECT_FALSE(Shell("nothere.exe", "-a", true, 0));
    EXPECT_EQ(m.debugOut.lines, (Lines{"\tCommonModule\\ShellX VB ERROR: 53 File not found",
                                       "\t\t- sShell=nothere.exe -a"}));
    m.processes.OnProgram("app.exe", Runs(10));
    m.processes.withholdHandles = true;
    EXPECT_FALSE(Shell("app.exe", "", true, 0));
    EXPECT_EQ(m.debugOut.lines.back(), "\tShellX (Failed):  app.exe");
}

TEST_F(ProcessLaunch, DelayWaitsTheTimeAskedWhileDispatchingMessages) {
    Delay(m.ctx, 0);
    EXPECT_EQ(Elapsed(), 0u);
    Delay(m.ctx, -3);
    Delay(m.ctx, std::nan(""));
    EXPECT_EQ(Elapsed(), 0u);
    m.processes.pendingMessages = 1;
    Delay(m.ctx, 2.5);
    EXPECT_EQ(Elapsed(), 2500u);
    EXPECT_EQ(m.processes.pendingMessages, 0u);
}

TEST_F(ProcessLaunch, AWebPageGoesToTheShell) {
    OpenWebPage(m.ctx, "https://www.example.com/search?q=App");
    EXPECT_EQ(m.processes.shellOpened, Lines{"https://www.example.com/search?q=App"});
}

TEST_F(ProcessLaunch, RunningAsSystemIsToldByTheEnvironment) {
    EXPECT_FALSE(IsRunningAsSystem(m.ctx));
    m.env.Set("username", "workshop-pc$");
    EXPECT_TRUE(IsRunningAsSystem(m.ctx));
    m.env.Set("username", "");
    EXPECT_TRUE(IsRunningAsSystem(m.ctx));
    m.env.Set("username", "tech");
    m.env.Set("systemdrive", "x:");
    EXPECT_TRUE(IsRunningAsSystem(m.ctx));
}

TEST_F(ProcessLaunch, TheSystemTestTellsTheUserOnlyWhenAskedAndTrue) {
    EXPECT_FALSE(IsRunningAsSystem(m.ctx, true));
    m.env.Set("username", "workshop-pc$");
    EXPECT_TRUE(IsRunningAsSystem(m.ctx));
    EXPECT_TRUE(m.prompts.messages.empty());
    EXPECT_TRUE(IsRunningAsSystem(m.ctx, true));
    ASSERT_EQ(m.prompts.messages.size(), 1u);
    EXPECT_EQ(m.prompts.messages[0].text, "It appears you now have SYSTEM access.  Congrats!");
    EXPECT_EQ(m.prompts.messages[0].title, "Kestrel");
}

}  // namespace
}  // namespace kestrel

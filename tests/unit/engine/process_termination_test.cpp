// Ending processes by name over the fake machine: the process list, WMI and the two command
// lines, each going on whatever the others did.
#include <gtest/gtest.h>

#include "engine/process_termination.h"
#include "support/fake_machine.h"
#include "support/idle_command_shell.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using Program = os::fake::FakeProcesses::Program;

class ProcessTermination : public ::testing::Test {
protected:
    ProcessTermination() {
        m.ctx.redirection.SetAllowed(true);
        testing::ProvideIdleCommandShell(m, 50);
    }
    bool Running(uint32_t pid) { return m.processes.Running(pid); }

    testing::FakeMachine m;
};

TEST_F(ProcessTermination, TheProcessListEndsExactlyTheNamedProgram) {
    const uint32_t chrome = m.processes.AddRunning("Chrome.EXE");
    const uint32_t second = m.processes.AddRunning("chrome.exe", "visitor");
    const uint32_t lookalike = m.processes.AddRunning("notchrome.exe");
    const uint32_t guarded = m.processes.AddRunning("chrome.exe", "SYSTEM", true);
    KillProcess(m.ctx, "chrome.exe");
    EXPECT_FALSE(Running(chrome));
    EXPECT_FALSE(Running(second));
    EXPECT_TRUE(Running(lookalike));
    EXPECT_TRUE(Running(guarded));  // refused to be opened; nothing else to do
    EXPECT_TRUE(m.debugOut.lines.empty());
    EXPECT_EQ(m.processes.OpenHandleCount(), 0u);
    KillProcess(m.ctx, "");
    EXPECT_TRUE(Running(lookalike));
}

TEST_F(ProcessTermination, WmiEndsEveryProcessOfTheNameAndReportsAMissingMethod) {
    const uint32_t a = m.processes.AddRunning("FIREFOX.exe");
    const uint32_t b = m.processes.AddRunning("firefox.exe");
    const uint32_t other = m.processes.AddRunning("myfirefox.exe");
    KillProcessViaWMI(m.ctx, "Firefox.exe");
    EXPECT_FALSE(Running(a));
    EXPECT_FALSE(Running(b));
    EXPECT_TRUE(Running(other));
    EXPECT_TRUE(m.debugOut.lines.empty());

    // Without a Terminate method (Wine) each failure is reported and the next one tried.
    const uint32_t c = m.processes.AddRunning("opera.exe");
    const uint32_t d = m.processes.AddRunning("opera.exe");
    m.processQuery.terminateMissing = true;
    KillProcessViaWMI(m.ctx, "opera.exe");
    EXPECT_EQ(m.processQuery.terminateCalls.size(), 4u);
    EXPECT_TRUE(Running(c) && Running(d));
    ASSERT_EQ(m.debugOut.lines.size(), 4u);  // twice the error line and the name
    EXPECT_EQ(m.debugOut.lines[2],
              "\tCommonModule\\KillProcessViaWMI VB ERROR: -2147217362 Automation error");
    EXPECT_EQ(m.debugOut.lines[3], "\t\t- sProcessName=opera.exe");

    m.debugOut.lines.clear();
    m.processQuery.unavailable = 0x80041003;
    KillProcessViaWMI(m.ctx, "opera.exe");
    EXPECT_EQ(m.debugOut.lines.front(),
              "\tCommonModule\\KillProcessViaWMI VB ERROR: -2147217405 Automation error");
}

TEST_F(ProcessTermination, ARunningProcessCountsOnlyWithAReadableOwner) {
    EXPECT_FALSE(IsProcessRunning(m.ctx, "opera.exe", false));
    m.processes.AddRunning("Opera.exe", "visitor");
    EXPECT_TRUE(IsProcessRunning(m.ctx, "OPERA.EXE", false));
    EXPECT_FALSE(IsProcessRunning(m.ctx, "opera.exe", true));
    m.processes.AddRunning("opera.exe", "Tech");
    EXPECT_TRUE(IsProcessRunning(m.ctx, "opera.exe", true));  // "username" is "tech"

    m.processes.AddRunning("safari.exe", "");
    EXPECT_FALSE(IsProcessRunning(m.ctx, "safari.exe", false));
    EXPECT_FALSE(IsProcessRunning(m.ctx, "System Idle Process", false));

    const int lists = m.processQuery.lists;
    EXPECT_FALSE(IsProcessRunning(m.ctx, "", false));
    EXPECT_EQ(m.processQuery.lists, lists);
    m.processQuery.unavailable = 0x80041003;
    EXPECT_FALSE(IsProcessRunning(m.ctx, "opera.exe", false));
}

TEST_F(ProcessTermination, OneReadingAnswersForManyNamesAndAsksOwnersOnlyOfCandidates) {
    m.processes.AddRunning("chrome.exe");
    m.processes.AddRunning("explorer.exe");
    m.processes.AddRunning("svchost.exe");
    RunningProcesses running(m.ctx);
    EXPECT_FALSE(running.IsRunning("firefox.exe", false));
    EXPECT_TRUE(running.IsRunning("chrome.exe", false));
    EXPECT_EQ(m.processQuery.lists, 1);
    EXPECT_EQ(m.processQuery.ownerQueries, 1);
}

TEST_F(ProcessTermination, AWindowsProcessIsEndedByItsTitle) {
    const uint32_t editor = m.processes.AddRunning("regedit.exe");
    m.processes.windows["Registry Editor"] = editor;
    KillWindow(m.ctx, "Notepad");
    EXPECT_TRUE(Running(editor));
    KillWindow(m.ctx, "Registry Editor");
    EXPECT_FALSE(Running(editor));
    EXPECT_TRUE(m.debugOut.lines.empty());
    EXPECT_EQ(m.processes.OpenHandleCount(), 0u);
}

TEST_F(ProcessTermination, AllFourWaysRunInOrderOnTheFileNameAlone) {
    const uint32_t chrome = m.processes.AddRunning("chrome.exe");
    const uint32_t start = m.clock.milliseconds;
    TerminateProcessByName(m.ctx, "C:\\Program Files\\Google\\Chrome\\chrome.exe", true);
    EXPECT_FALSE(Running(chrome));
    EXPECT_EQ(m.processes.terminated, std::vector<uint32_t>{chrome});  // the list came first
    EXPECT_EQ(m.processQuery.lists, 1);
    EXPECT_EQ(m.processes.CommandLines(), (Lines{"cmd.exe /c tskill \"chrome.exe\" /a",
                                                 "cmd.exe /c taskkill /f /t /im \"chrome.exe\""}));
    for (const auto& launch : m.processes.launches) {
        EXPECT_EQ(launch.showWindow, 0);
    }
    EXPECT_EQ(m.clock.milliseconds - start, 100u);  // both commands waited for

    // Nothing to end: the commands still run; without waiting, nothing is waited for.
    const uint32_t later = m.clock.milliseconds;
    TerminateProgramFile(m.ctx, "D:\\Tools\\tool.EXE");
    EXPECT_EQ(m.processes.CommandLines().back(), "cmd.exe /c taskkill /f /t /im \"tool.EXE\"");
    EXPECT_EQ(m.clock.milliseconds - later, 100u);
    TerminateProcessByName(m.ctx, "opera.exe", false);
    EXPECT_EQ(m.processes.CommandLines().size(), 6u);
    EXPECT_EQ(m.clock.milliseconds - later, 100u);
}

TEST_F(ProcessTermination, EveryWayRunsWhenOthersAreMissing) {
    // As under Wine: no WMI Terminate and no command-line tools at all.
    m.processes.OnProgram("cmd.exe", [](const std::string&) { return std::optional<Program>(); });
    m.processQuery.terminateMissing = true;
    const uint32_t browser = m.processes.AddRunning("firefox.exe");
    TerminateProcessByName(m.ctx, "firefox.exe", true);
    EXPECT_FALSE(Running(browser));
    EXPECT_EQ(m.processes.launches.size(), 2u);

    // And the other way round: the process list cannot open it, and every other way is tried.
    m.processQuery.terminateMissing = false;
    const uint32_t guarded = m.processes.AddRunning("safari.exe", "tech", true);
    TerminateProcessByName(m.ctx, "safari.exe", true);
    EXPECT_TRUE(Running(guarded));  // protected from all of them
    EXPECT_EQ(m.processQuery.terminateCalls.size(), 1u);
    EXPECT_EQ(m.processes.launches.size(), 4u);
}

TEST_F(ProcessTermination, NamesNoProgramFileCanHaveEndNothing) {
    const uint32_t any = m.processes.AddRunning("1234");
    for (const char* bad :
         {"", "C:\\Tools\\", "*.exe", "C:\\x\\?.exe", "a\" & del x & \".exe", "1234"}) {
        TerminateProcessByName(m.ctx, bad, true);
    }
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_TRUE(Running(any));
    EXPECT_EQ(m.processQuery.lists, 0);
    EXPECT_EQ(m.debugOut.lines.front(), "\tTerminateProcessByName: no program file name in: ");
}

TEST_F(ProcessTermination, ProgramFilesAreKnownByTheirLastFourCharacters) {
    EXPECT_TRUE(IsProgramFile("C:\\APP\\SETUP.EXE"));
    EXPECT_TRUE(IsProgramFile("screen.scr"));
    EXPECT_TRUE(IsProgramFile("c:\\dos\\edit.Com"));
    EXPECT_FALSE(IsProgramFile("C:\\app\\setup.exe.bak"));
    EXPECT_FALSE(IsProgramFile("readme.txt"));
    EXPECT_FALSE(IsProgramFile("exe"));
    EXPECT_FALSE(IsProgramFile(""));
}

}  // namespace
}  // namespace kestrel

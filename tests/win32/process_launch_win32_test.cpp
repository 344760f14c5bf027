// Starting and waiting for real child processes under Wine: copies of this test program in
// child mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "base/strings.h"
#include "base/strip.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "platform/process_launch.h"
#include "support/child_mode.h"
#include "win32/win32_machine.h"
#include "win32/win32_world.h"

namespace kestrel {
namespace {

using testing::ChildCommandLine;

// Copies of this program that started from here and still run.
int RunningChildren() {
    std::vector<os::ProcessEntry> entries;
    EXPECT_EQ(os::win32::MakeProcesses()->List(entries), 0u);
    const std::string name = StripPath(testing::TestProgramPath());
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [&](const auto& e) {
        return EqualsNoCase(e.exeFile, name) && e.pid != GetCurrentProcessId();
    }));
}

void WaitForChildrenToEnd() {
    for (int i = 0; i < 100 && RunningChildren() > 0; ++i) {
        Sleep(50);
    }
}

class RealProcesses : public ::testing::Test {
protected:
    ~RealProcesses() override { WaitForChildrenToEnd(); }  // none is left for the next test
    testing::Win32Machine m;
    std::string message = "untouched";
};

TEST_F(RealProcesses, AChildIsWaitedForAndItsExitCodeRead) {
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx(), ChildCommandLine("sleep:200"), 0, message,
                                           60000, true));
    EXPECT_EQ(message, "untouched");
    EXPECT_EQ(RunningChildren(), 0);
    EXPECT_EQ(m.debugOut.lines.back(), "\t\tSuccess=True");
    uint32_t code = 0;
    EXPECT_TRUE(ShellX(m.ctx(), testing::TestProgramPath(),
                       std::string(testing::kChildSwitch) + "exit:7", true, 0, code, false, false,
                       kNoTimeout));
    EXPECT_EQ(code, 7u);
}

TEST_F(RealProcesses, ATimeOutLeavesTheChildRunning) {
    EXPECT_FALSE(
        ShellAndWaitForTermination(m.ctx(), ChildCommandLine("sleep:2500"), 0, message, 200, true));
    EXPECT_EQ(message, "The process has timed out.");
    EXPECT_EQ(RunningChildren(), 1);
}

TEST_F(RealProcesses, AProgramThatDoesNotExistIsReported) {
    EXPECT_FALSE(ShellAndWaitForTermination(m.ctx(), "C:\\kestrel-tests\\none\\absent.exe /x", 0,
                                            message, kNoTimeout, false));
    EXPECT_EQ(message, "File not found");
    EXPECT_EQ(m.debugOut.lines[1],
              "\tCommonModule\\ShellAndWaitForTermination VB ERROR: 53 File not found");
}

TEST_F(RealProcesses, AProgramThatStartsAnotherIsWaitedForWholeWhenAsked) {
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx(), ChildCommandLine("spawn:1500"), 0, message,
                                           60000, true));
    EXPECT_EQ(RunningChildren(), 1);  // the grandchild outlived the wait
    WaitForChildrenToEnd();
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx(), ChildCommandLine("spawn:800"), 0, message,
                                           60000, true, {.waitForDescendants = true}));
    EXPECT_EQ(RunningChildren(), 0);
    EXPECT_FALSE(ShellAndWaitForTermination(m.ctx(), ChildCommandLine("spawn:3000"), 0, message,
                                            300, true, {.waitForDescendants = true}));
    EXPECT_EQ(message, "The process has timed out.");
}

TEST_F(RealProcesses, APathWithBlanksIsQuoted) {
    const std::string folder = testing::MakeScratchFolder("launch") + "\\with blank";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string copy = folder + "\\child copy.exe";
    ASSERT_TRUE(CopyFileA(testing::TestProgramPath().c_str(), copy.c_str(), FALSE));
    uint32_t code = 0;
    EXPECT_TRUE(ShellX(m.ctx(), copy, std::string(testing::kChildSwitch) + "exit:12", true, 0, code,
                       false, false, kNoTimeout));
    EXPECT_EQ(code, 12u);
    testing::RemoveTree(folder.substr(0, folder.rfind('\\')));
}

// A window of this thread whose messages count while the wait runs.
std::atomic<int> g_dispatched{0};
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) {
        ++g_dispatched;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST_F(RealProcesses, WindowMessagesAreDispatchedDuringTheWait) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KestrelWaitProbe";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("KestrelWaitProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    // The test machine's user is a script; the program's own DoEvents handles the messages.
    auto realPrompts = os::win32::MakeUserPrompts();
    m.prompts.onDoEvents = [&](int) { realPrompts->DoEvents(); };
    g_dispatched = 0;
    std::atomic<int> seenWhenPosted{-1};
    std::thread poster([&] {
        Sleep(300);
        PostMessageA(window, WM_APP, 0, 0);
        Sleep(300);
        seenWhenPosted = g_dispatched.load();
    });
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx(), ChildCommandLine("sleep:1500"), 0, message,
                                           60000, true));
    poster.join();
    // The message was handled while the child still ran, not when the wait returned.
    EXPECT_EQ(seenWhenPosted.load(), 1);
    DestroyWindow(window);
}

TEST_F(RealProcesses, DelayLastsAboutTheTimeAsked) {
    const DWORD before = GetTickCount();
    Delay(m.ctx(), 0.3);
    const DWORD took = GetTickCount() - before;
    EXPECT_GE(took, 280u);
    EXPECT_LT(took, 5000u);
}

}  // namespace
}  // namespace kestrel

// Waiting for a real child process under Wine (a copy of this test program in child mode) while
// the thread's window messages keep being dispatched.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "platform/process_launch.h"
#include "support/child_mode.h"
#include "win32/win32_machine.h"

namespace kestrel {
namespace {

// A window of this thread whose messages count while the wait runs.
std::atomic<int> g_dispatched{0};
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) {
        ++g_dispatched;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(RealProcesses, WindowMessagesAreDispatchedDuringTheWait) {
    testing::Win32Machine m;
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
    std::string message;
    EXPECT_TRUE(ShellAndWaitForTermination(m.ctx(), testing::ChildCommandLine("sleep:1500"), 0,
                                           message, 60000, true));
    poster.join();
    // The message was handled while the child still ran, not when the wait returned.
    EXPECT_EQ(seenWhenPosted.load(), 1);
    DestroyWindow(window);
}

}  // namespace
}  // namespace kestrel

// Ending real processes by name under Wine: copies of this test program running under browser
// names, found through WMI with their owner and ended while the missing ways (WMI Terminate,
// "tskill", "taskkill /t") fail beside the one that works.
#include <gtest/gtest.h>

#include "engine/process_termination.h"
#include "os/win32/windows_api.h"
#include "support/child_mode.h"
#include "win32/win32_machine.h"
#include "win32/win32_world.h"

namespace kestrel {
namespace {

// A copy of this program, started in child mode under another file name.
class NamedChild {
public:
    NamedChild(const std::string& folder, const std::string& name) {
        const std::string copy = folder + "\\" + name;
        EXPECT_TRUE(CopyFileA(testing::TestProgramPath().c_str(), copy.c_str(), FALSE));
        std::string line = "\"" + copy + "\" " + testing::kChildSwitch + "sleep:60000";
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
        CloseHandle(pi.hThread);
        m_process = os::win32::UniqueHandle(pi.hProcess);
    }
    ~NamedChild() {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 10000);
    }
    // True when it ends within the time.
    bool Ends(DWORD ms = 10000) const {
        return WaitForSingleObject(m_process.Get(), ms) == WAIT_OBJECT_0;
    }

private:
    os::win32::UniqueHandle m_process;
};

class RealTermination : public ::testing::Test {
protected:
    ~RealTermination() override { testing::RemoveTree(m_folder); }
    const std::string& Folder() const { return m_folder; }

    testing::Win32Machine m;
    const std::string m_folder = testing::MakeScratchFolder("terminate");
};

TEST_F(RealTermination, ABrowserIsFoundWithItsOwnerAndEndedByItsExactName) {
    NamedChild browser(Folder(), "firefox.exe");
    NamedChild lookalike(Folder(), "notfirefox.exe");
    EXPECT_TRUE(IsProcessRunning(m.ctx(), "FireFox.exe", false));
    EXPECT_TRUE(IsProcessRunning(m.ctx(), "firefox.exe", true));  // owned by this user
    EXPECT_FALSE(IsProcessRunning(m.ctx(), "nosuchbrowser.exe", false));

    KillProcess(m.ctx(), "firefox.exe");
    EXPECT_TRUE(browser.Ends());
    EXPECT_FALSE(lookalike.Ends(200));
    EXPECT_FALSE(IsProcessRunning(m.ctx(), "firefox.exe", false));
}

TEST_F(RealTermination, AllFourWaysRunAndTheProcessEnds) {
    NamedChild browser(Folder(), "opera.exe");
    const ULONGLONG start = GetTickCount64();
    TerminateProcessByName(m.ctx(), Folder() + "\\opera.exe", true);
    EXPECT_TRUE(browser.Ends());
    EXPECT_LT(GetTickCount64() - start, 30000u);
    // Both commands started (under Wine they then fail: no tskill, no "/t").
    EXPECT_FALSE(m.debugOut.Saw("ShellX"));
}

TEST_F(RealTermination, WmiAloneEndsAProcessWhereWindowsHasTheMethod) {
    NamedChild browser(Folder(), "safari.exe");
    KillProcessViaWMI(m.ctx(), "SAFARI.EXE");
    // Wine does not implement Win32_Process.Terminate; Windows ends the process.
    const bool wine = testing::RunningUnderWine();
    EXPECT_EQ(browser.Ends(wine ? 300 : 10000), !wine);
}

TEST_F(RealTermination, AWindowTitleNoWindowHasEndsNothing) {
    NamedChild browser(Folder(), "dragon.exe");
    KillWindow(m.ctx(), "Kestrel test: no window has this title");
    EXPECT_FALSE(browser.Ends(200));
    EXPECT_TRUE(m.debugOut.lines.empty());
}

}  // namespace
}  // namespace kestrel

// Kestrel.exe started without switches, as a technician double-clicks it: its main window on a
// display (Xvfb), driven from outside the program. It lists the machine's real applications,
// saves a typed list, uninstalls the checked ones, cleans the leftovers and writes the log when
// it is closed.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/kestrel_sandbox.h"
#include "e2e/test_apps.h"
#include "ui/win32/main_window_ids.h"
#include "win32/screenshot.h"
#include "win32/window_driver.h"

namespace kestrel::e2e {
namespace {

using testing::AnswerMessageBox;
using testing::FindControl;
using testing::ListTexts;
using testing::Press;
using testing::SelectTab;
using testing::WaitUntil;
using testing::WindowText;
using namespace ui;  // the control ids

bool Holds(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool Contains(const std::optional<std::string>& text, const std::string& part) {
    return text && text->find(part) != std::string::npos;
}

TEST(WindowE2E, TheWindowListsSavesUninstallsCleansAndLogsOnClose) {
    InstallNsis("toolbar");
    InstallNsis("keeper");
    ASSERT_TRUE(Registered("Kestrel Test Toolbar"));
    SetMachineText("SOFTWARE\\Kestrel Window Leftover", "Left", "behind");
    ASSERT_TRUE(CreateDirectoryA("C:\\Kestrel Window Leftover", nullptr));
    WriteFileText("C:\\Kestrel Window Leftover\\left.txt", "behind");

    KestrelSandbox k("window");
    k.Write("Kestrel.ini", "[Options]\r\nApplyOptionsAlways=1\r\nLogFile=1\r\nEmailResults=0\r\n");
    k.Write("Kestrel.txt", "Test Toolbar\r\n");
    k.Write("Kestrel_RegKeys.txt", "Software\\Kestrel Window Leftover\r\n");
    k.Write("Kestrel_FileSystemObjects.txt", "\\Kestrel Window Leftover\r\n");

    KestrelSandbox::Started run = k.Start("");
    const DWORD id = GetProcessId(run.get());
    HWND window = testing::WaitForProcessWindow(run.get(), id, L"KestrelMainWindow", 60000);
    ASSERT_NE(window, nullptr) << "the main window did not open";
    EXPECT_NE(WindowText(window).find("Kestrel"), std::string::npos) << WindowText(window);

    // The scan put each application into its list; the matching one is checked.
    EXPECT_TRUE(Holds(ListTexts(FindControl(window, ListBox1)), "Kestrel Test Keeper"));
    EXPECT_FALSE(Holds(ListTexts(FindControl(window, ListBox1)), "Kestrel Test Toolbar"));
    EXPECT_EQ(ListTexts(FindControl(window, ListBox3)),
              std::vector<std::string>{"Kestrel Test Toolbar"});

    SelectTab(window, 2);
    testing::SetWindowTextTo(FindControl(window, txtDefs), "Test Toolbar\r\nCoupon Printer");
    Press(FindControl(window, Command2));
    EXPECT_TRUE(WaitUntil([&] { return k.Read("Kestrel.txt") == "Test Toolbar\r\nCoupon Printer\r\n"; },
                          10000))
        << k.Read("Kestrel.txt").value_or("(none)");

    SelectTab(window, 1);
    HWND uninstall = FindControl(window, Command8);
    Press(uninstall);
    // While the uninstall runs the window answers, and its button is off.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(uninstall); }, 10000));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return IsWindowEnabled(uninstall) && ListTexts(FindControl(window, ListBox3)).empty();
        },
        180000));
    EXPECT_EQ(WindowText(FindControl(window, txtStatus)), "Idle...");
    EXPECT_FALSE(Registered("Kestrel Test Toolbar"));
    EXPECT_FALSE(PathExists("C:\\Program Files\\Kestrel Test Toolbar"));
    EXPECT_TRUE(Registered("Kestrel Test Keeper"));
    testing::SaveScreenshot(window, "e2e_window_after_uninstall");

    SelectTab(window, 3);
    Press(FindControl(window, Command20));
    EXPECT_EQ(AnswerMessageBox(id, 60000), "Completed!");
    EXPECT_FALSE(MachineKeyExists("SOFTWARE\\Kestrel Window Leftover"));

    SelectTab(window, 4);
    Press(FindControl(window, Command19));
    EXPECT_EQ(AnswerMessageBox(id, 60000), "Completed!");
    EXPECT_FALSE(PathExists("C:\\Kestrel Window Leftover"));

    // Closing it as its close button does ends the program and writes the log of the session.
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(run.get(), 30000), WAIT_OBJECT_0);
    const std::optional<std::string> log = k.Read("Kestrel_Log.txt");
    EXPECT_TRUE(Contains(log, "---------\r\n*Uninstalled:  Kestrel Test Toolbar\r\n---END---\r\n"))
        << log.value_or("(no log)");
}

}  // namespace
}  // namespace kestrel::e2e

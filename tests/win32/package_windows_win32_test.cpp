// The real download and status windows. PackageWindowsOnDisplay runs under a virtual X display
// (wine.windows) and saves a screenshot of each window into KESTREL_SCREENSHOTS when set;
// PackageWindowsWithoutDisplay runs where Wine has no display at all (wine.win32).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "os/fake/fake_user_prompts.h"
#include "os/win32/windows_api.h"
#include "ui/win32/download_window.h"
#include "ui/win32/status_window.h"
#include "win32/screenshot.h"

namespace kestrel::testing {
namespace {

using ui::Win32DownloadWindow;
using ui::Win32StatusWindow;

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

HWND LabelOf(HWND window) {
    return GetDlgItem(window, ui::kLabelId);
}

// The label shows its whole text on one line inside the window's client area.
void ExpectLabelFits(HWND window) {
    HWND label = LabelOf(window);
    ASSERT_NE(label, nullptr);
    const std::wstring text = TextOf(label);
    HDC dc = GetDC(label);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    RECT shown{};
    GetClientRect(label, &shown);
    EXPECT_GE(shown.right, needed.right) << "clipped: " << os::win32::Narrow(text);
    EXPECT_GE(shown.bottom, needed.bottom);
    RECT inLabel{};
    GetWindowRect(label, &inLabel);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&inLabel), 2);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_TRUE(inLabel.left >= 0 && inLabel.top >= 0 && inLabel.right <= client.right &&
                inLabel.bottom <= client.bottom);
}

class PackageWindowsOnDisplay : public ::testing::Test {
protected:
    os::fake::FakeUserPrompts prompts;
    Win32DownloadWindow download{prompts};

    HWND LoadDownload(bool visible, const std::string& caption) {
        download.Load(visible);
        download.SetCaption(caption);
        HWND hwnd = download.Handle();
        EXPECT_NE(hwnd, nullptr) << "no window: is a display there?";
        return hwnd;
    }
};

TEST_F(PackageWindowsOnDisplay, TheDownloadWindowShowsItsTextsAboveTheOthers) {
    HWND hwnd = LoadDownload(true, "Download:  12 Complete.");
    ASSERT_NE(hwnd, nullptr);
    download.SetStatus("12.50Kb  of  100.00Kb");
    EXPECT_EQ(TextOf(hwnd), L"Download:  12 Complete.");
    EXPECT_EQ(TextOf(LabelOf(hwnd)), L"12.50Kb  of  100.00Kb");
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
    ExpectLabelFits(hwnd);
    // Centred on the screen.
    RECT r{};
    GetWindowRect(hwnd, &r);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((r.left + r.right) - (work.left + work.right)), 2);
    EXPECT_LE(std::abs((r.top + r.bottom) - (work.top + work.bottom)), 2);
    SaveScreenshot(hwnd, "download_window");

    // A longer text widens the window rather than being cut.
    download.SetStatus("12345678.50Kb  of  987654321.00Kb  (a much longer progress text)");
    ExpectLabelFits(hwnd);
    SaveScreenshot(hwnd, "download_window_long");
}

TEST_F(PackageWindowsOnDisplay, AHiddenLoadMakesAnInvisibleWindow) {
    HWND hwnd = LoadDownload(false, "File Download:  ");
    ASSERT_NE(hwnd, nullptr);
    download.SetStatus("1.00Kb  of  2.00Kb");
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(download.CancelConfirmed());
    download.Unload();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(PackageWindowsOnDisplay, ClosingFromTheTitleBarAsksWhetherToCancel) {
    struct Case {
        std::string caption;
        int answer;
        std::string title;
    };
    const std::vector<Case> cases = {
        {"Download:  40 Complete.", os::mb::kIdNo, "Download:  40 Complete."},
        {"Download:  40 Complete.", os::mb::kIdYes, "Download:  40 Complete."},
        {"", os::mb::kIdYes, "Kestrel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title + (c.answer == os::mb::kIdYes ? " Yes" : " No"));
        prompts.messages.clear();
        prompts.answers = {c.answer};
        HWND hwnd = LoadDownload(true, c.caption);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_FALSE(download.CancelConfirmed());  // nothing asked before a close
        EXPECT_TRUE(prompts.messages.empty());

        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        const bool yes = c.answer == os::mb::kIdYes;
        EXPECT_EQ(download.CancelConfirmed(), yes);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, kCancelDownloadQuestion);
        EXPECT_EQ(prompts.messages[0].title, c.title);
        EXPECT_EQ(prompts.messages[0].style, os::mb::kYesNo | os::mb::kIconQuestion);
        EXPECT_EQ(IsWindow(hwnd) != 0, !yes);
        if (!yes) {
            EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
        }
        // The answer stands; nothing is asked again without another close.
        EXPECT_EQ(download.CancelConfirmed(), yes);
        EXPECT_EQ(prompts.messages.size(), 1u);
        download.Unload();
    }
}

TEST_F(PackageWindowsOnDisplay, UnloadClosesWithoutAsking) {
    HWND hwnd = LoadDownload(true, "Download:  99 Complete.");
    ASSERT_NE(hwnd, nullptr);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);  // still waiting when the program closes it
    download.Unload();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(download.Handle(), nullptr);
    EXPECT_FALSE(download.CancelConfirmed());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(PackageWindowsOnDisplay, TheStatusWindowShowsItsLabel) {
    Win32StatusWindow status;
    EXPECT_FALSE(status.Loaded());
    status.Show("Extracting Kestrel_Defs.zip...");
    HWND hwnd = status.Handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(status.Loaded());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(TextOf(LabelOf(hwnd)), L"Extracting Kestrel_Defs.zip...");
    status.SetText("Kestrel_RegKeys.txt");
    EXPECT_EQ(TextOf(LabelOf(hwnd)), L"Kestrel_RegKeys.txt");
    ExpectLabelFits(hwnd);
    SaveScreenshot(hwnd, "status_window");
    status.Unload();
    EXPECT_FALSE(status.Loaded());
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(PackageWindowsWithoutDisplay, EveryCallDoesNothingAndNothingBlocks) {
    HWND probe = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (probe != nullptr) {
        DestroyWindow(probe);
        GTEST_SKIP() << "this Wine has a display";
    }
    os::fake::FakeUserPrompts prompts;
    Win32DownloadWindow download(prompts);
    download.Load(true);
    download.SetCaption("File Download:  ");
    download.SetStatus("1.00Kb  of  2.00Kb");
    EXPECT_EQ(download.Handle(), nullptr);
    EXPECT_FALSE(download.CancelConfirmed());
    download.Unload();
    EXPECT_TRUE(prompts.messages.empty());

    Win32StatusWindow status;
    status.Show("Extracting...");
    status.SetText("Kestrel.txt");
    EXPECT_FALSE(status.Loaded());
    status.Unload();
}

}  // namespace
}  // namespace kestrel::testing

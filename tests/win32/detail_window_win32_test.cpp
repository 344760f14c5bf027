// The real detail window. DetailWindowOnDisplay runs under a virtual X display (wine.windows)
// and saves screenshots into KESTREL_SCREENSHOTS when set; DetailWindowWithoutDisplay runs where
// Wine has no display at all (wine.win32).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/app_list.h"
#include "os/win32/windows_api.h"
#include "ui/main_window_texts.h"
#include "ui/win32/detail_window.h"
#include "win32/screenshot.h"

namespace kestrel::testing {
namespace {

// The detail text of an entry with these data, as the main window makes it.
std::string DetailText(const std::string& name, const std::string& subkey,
                       const std::string& command) {
    AppListEntry entry;
    entry.data = {name, subkey, command};
    return kestrel::DetailText(entry);
}

using ui::Win32DetailWindow;

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

// The lines the edit shows, as it breaks them.
std::vector<std::wstring> LinesOf(HWND edit) {
    std::vector<std::wstring> lines;
    const int count = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[512] = {};
        *reinterpret_cast<WORD*>(buffer) = 511;  // EM_GETLINE reads the buffer's size from it
        const LRESULT length = SendMessageW(edit, EM_GETLINE, static_cast<WPARAM>(i),
                                            reinterpret_cast<LPARAM>(buffer));
        lines.emplace_back(buffer, static_cast<size_t>(length));
    }
    return lines;
}

RECT ClientOf(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

// The edit covers the window's client area exactly.
void ExpectEditFills(HWND window, HWND edit) {
    const ui::ControlRect shown = ui::ControlRectOf(edit);
    const RECT client = ClientOf(window);
    EXPECT_EQ(shown, (ui::ControlRect{0, 0, static_cast<int>(client.right),
                                      static_cast<int>(client.bottom)}));
}

// Every line shows whole: none is cut at the edit's right edge, none below its bottom.
void ExpectLinesFit(HWND edit) {
    RECT format{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    HDC dc = GetDC(edit);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    for (const std::wstring& line : LinesOf(edit)) {
        SIZE extent{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        EXPECT_LE(extent.cx, format.right - format.left) << os::win32::Narrow(line);
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    const LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    EXPECT_LE(lines * metrics.tmHeight, format.bottom - format.top);
}

// Whether above lies above below in the z-order.
bool IsAbove(HWND above, HWND below) {
    for (HWND w = GetWindow(below, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == above) {
            return true;
        }
    }
    return false;
}

class DetailWindowOnDisplay : public ::testing::Test {
protected:
    Win32DetailWindow detail;

    HWND ShowDetail(HWND owner = nullptr) {
        detail.Show(owner);
        EXPECT_NE(detail.Handle(), nullptr) << "no window: is a display there?";
        return detail.Handle();
    }
};

TEST_F(DetailWindowOnDisplay, ShowsTheEntryInOneReadOnlyEditThatFillsTheWindow) {
    HWND hwnd = ShowDetail();
    ASSERT_NE(hwnd, nullptr);
    HWND edit = detail.Edit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(TextOf(hwnd), L"Item Detail");
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
    const LONG style = GetWindowLongW(edit, GWL_STYLE);
    EXPECT_TRUE((style & ES_MULTILINE) && (style & ES_READONLY));
    EXPECT_EQ(GetDlgItem(hwnd, ui::kDetailEditId), edit);

    // An entry without an uninstall command shows two lines.
    detail.SetText(DetailText("Acme Search Toolbar 5.2", "AcmeToolbar", ""));
    EXPECT_EQ(LinesOf(edit),
              (std::vector<std::wstring>{L"Acme Search Toolbar 5.2", L"AcmeToolbar"}));
    ExpectEditFills(hwnd, edit);
    ExpectLinesFit(edit);
    SaveScreenshot(hwnd, "detail_window_two_lines");

    // With one, three; a long command widens the window rather than being cut.
    const std::string command =
        "MsiExec.exe /X{6F2A1C0E-3B7D-4E59-9A41-0C8D2B7E5F13} /passive /norestart "
        "REBOOT=ReallySuppress";
    detail.SetText(
        DetailText("Acme Search Toolbar 5.2", "{6F2A1C0E-3B7D-4E59-9A41-0C8D2B7E5F13}", command));
    EXPECT_EQ(LinesOf(edit), (std::vector<std::wstring>{L"Acme Search Toolbar 5.2",
                                                        L"{6F2A1C0E-3B7D-4E59-9A41-0C8D2B7E5F13}",
                                                        os::win32::Wide(command)}));
    ExpectEditFills(hwnd, edit);
    ExpectLinesFit(edit);
    SaveScreenshot(hwnd, "detail_window_three_lines");
}

TEST_F(DetailWindowOnDisplay, StaysAboveTheWindowTheUserWorksIn) {
    HWND main = CreateWindowExW(0, L"STATIC", L"Kestrel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                900, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(main, nullptr);
    HWND hwnd = ShowDetail();
    ASSERT_NE(hwnd, nullptr);
    detail.SetText(DetailText("Acme", "Acme", "C:\\Acme\\uninst.exe"));
    // The user goes on in the main window: it comes to the front of the normal windows.
    SetForegroundWindow(main);
    SetActiveWindow(main);
    SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsAbove(hwnd, main));
    DestroyWindow(main);
}

TEST_F(DetailWindowOnDisplay, TheEditFollowsTheWindowsSize) {
    HWND hwnd = ShowDetail();
    ASSERT_NE(hwnd, nullptr);
    HWND edit = detail.Edit();
    detail.SetText(DetailText("Acme", "Acme", ""));
    RECT first{};
    GetWindowRect(hwnd, &first);
    const SIZE sizes[] = {
        {900, 500}, {200, 120}, {first.right - first.left, first.bottom - first.top}};
    for (const SIZE& size : sizes) {
        SCOPED_TRACE(std::to_string(size.cx) + " x " + std::to_string(size.cy));
        SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        ExpectEditFills(hwnd, edit);
    }
    // Minimised and restored, the edit is back as it was.
    const ui::ControlRect before = ui::ControlRectOf(edit);
    ShowWindow(hwnd, SW_MINIMIZE);
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(ui::ControlRectOf(edit), before);
    ExpectEditFills(hwnd, edit);
}

TEST_F(DetailWindowOnDisplay, AfterTheUserClosesItShowMakesItAgainWithItsText) {
    HWND hwnd = ShowDetail();
    ASSERT_NE(hwnd, nullptr);
    detail.SetText(DetailText("Acme", "AcmeKey", ""));
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(detail.Handle(), nullptr);
    EXPECT_EQ(detail.Edit(), nullptr);
    detail.SetText(DetailText("Beta", "BetaKey", ""));  // nothing to show it in: kept

    hwnd = ShowDetail();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(LinesOf(detail.Edit()), (std::vector<std::wstring>{L"Beta", L"BetaKey"}));
    ExpectEditFills(hwnd, detail.Edit());
    detail.Unload();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(detail.Handle(), nullptr);
}

TEST(DetailWindowWithoutDisplay, EveryCallDoesNothing) {
    HWND probe = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (probe != nullptr) {
        DestroyWindow(probe);
        GTEST_SKIP() << "this Wine has a display";
    }
    Win32DetailWindow detail;
    detail.Show(nullptr);
    detail.SetText(DetailText("Acme", "Acme", "uninst.exe"));
    EXPECT_EQ(detail.Handle(), nullptr);
    EXPECT_EQ(detail.Edit(), nullptr);
    detail.Unload();
}

}  // namespace
}  // namespace kestrel::testing

// The real main window, driven in-process over a fake machine. MainWindowOnDisplay runs under a
// virtual X display (wine.windows) and saves a screenshot of every page into KESTREL_SCREENSHOTS
// when set; MainWindowWithoutDisplay runs where Wine has no display at all (wine.win32).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "inventory/inventory_scan.h"
#include "os/win32/windows_api.h"
#include "support/fake_machine.h"
#include "ui/main_presenter.h"
#include "ui/main_window_texts.h"
#include "ui/win32/detail_window.h"
#include "ui/win32/main_window.h"
#include "ui/window_services.h"
#include "win32/screenshot.h"

#include <commctrl.h>

namespace kestrel::testing {
namespace {

using namespace kestrel::ui;
using os::RegView;

class RecordingServices : public WindowServices {
public:
    std::vector<std::string> uninstalled;
    std::vector<std::string> calls;
    std::function<void()> during;  // runs inside every uninstall

    bool UninstallByDefinition(const std::string& definition, const std::vector<std::string>&,
                               StatusSink& status) override {
        uninstalled.push_back(definition);
        status.SetStatus("Uninstalling " + definition);
        if (during) {
            during();
        }
        return true;
    }
    void CleanRegistryLeftovers() override { calls.push_back("registry cleanup"); }
    void CleanFileSystemLeftovers() override { calls.push_back("file-system cleanup"); }
    void RemoveBrowserGuard() override { calls.push_back("guard off"); }
    void SendEmail(const std::string& subject, const std::string&, bool) override {
        calls.push_back("mail " + subject);
    }
    bool CheckForUpdateInteractive() override { return false; }
    std::string PreviewAutoRun() override {
        calls.push_back("preview");
        return "Would uninstall:\r\n  Ask Toolbar";
    }
};

const std::string kUninstall = std::string("HKLM\\") + kUninstallKey;
const std::string kBlacklist = "C:\\Kestrel\\Kestrel.txt";

std::string TextOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return os::win32::Narrow(buffer);
}

void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class MainWindowOnDisplay : public ::testing::Test {
protected:
    MainWindowOnDisplay() { PrepareProgram(m.ctx); }
    ~MainWindowOnDisplay() override {
        window.Close();
        Pump();
    }

    void App(const std::string& name, const std::string& publisher) {
        const std::string key = kUninstall + "\\" + name + "_key";
        m.registry.AddKey(key, RegView::k64);
        m.registry.PutString(key, "DisplayName", name, RegView::k64);
        m.registry.PutString(key, "Publisher", publisher, RegView::k64);
        m.registry.PutString(key, "UninstallString", "C:\\" + name + "\\uninst.exe", RegView::k64);
    }
    void Open() {
        m.files.AddFile(kBlacklist, "Toolbar\r\n");
        App("Ask Toolbar", "Ask.com");
        App("Bing Toolbar", "Microsoft");
        App("7-Zip 23.01 (x64)", "Igor Pavlov");
        App("Notepad++ (64-bit x64)", "Notepad++ Team");
        App("VLC media player", "VideoLAN");
        ASSERT_TRUE(window.Create(presenter, true));
        Pump();
    }
    // The names a list shows, read from its items' data.
    std::vector<std::string> Names(int listId) {
        HWND list = window.Control(listId);
        std::vector<std::string> names;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const auto* entry = reinterpret_cast<const AppListEntry*>(
                SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
            names.push_back(entry != nullptr && !entry->data.empty() ? entry->data[0] : "?");
        }
        return names;
    }
    void Click(int id, int page) {
        window.SelectPage(page);
        Pump();
        HWND control = window.Control(id);
        ASSERT_NE(control, nullptr) << id;
        SendMessageW(control, BM_CLICK, 0, 0);
        Pump();
    }
    void ClickCheckBox(int listId, int index) {
        HWND list = window.Control(listId);
        const RECT box = window.CheckBoxRect(list, index);
        const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(list, WM_LBUTTONUP, 0, at);
        Pump();
    }
    std::vector<bool> Checks(AppListId list) {
        std::vector<bool> checks;
        const auto& entries = list == AppListId::kNotInDefs ? presenter.Lists().notInDefs
                                                            : presenter.Lists().matching;
        for (const AppListEntry& e : entries) {
            checks.push_back(e.checked);
        }
        return checks;
    }

    FakeMachine m;
    RecordingServices services;
    Win32MainWindow window;
    MainPresenter presenter{m.ctx, window, services};
};

TEST_F(MainWindowOnDisplay, ShowsTheSixPagesAndTheListsOfTheMachine) {
    Open();
    EXPECT_NE(TextOf(window.Handle()).find("Kestrel"), std::string::npos);
    ASSERT_EQ(SendMessageW(window.Tab(), TCM_GETITEMCOUNT, 0, 0), kPageCount);
    for (int i = 0; i < kPageCount; ++i) {
        wchar_t caption[128] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = 128;
        SendMessageW(window.Tab(), TCM_GETITEMW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(os::win32::Narrow(caption), kPageCaptions[i]);
    }
    EXPECT_EQ(Names(ListBox1),
              (std::vector<std::string>{"7-Zip 23.01 (x64)", "Notepad++ (64-bit x64)",
                                        "VLC media player"}));
    EXPECT_EQ(Names(ListBox3), (std::vector<std::string>{"Ask Toolbar", "Bing Toolbar"}));
    EXPECT_EQ(TextOf(window.Control(txtStatus)), "Idle...");
    EXPECT_EQ(TextOf(window.Control(txtDefs)), "Toolbar");
    EXPECT_EQ(TextOf(window.Control(cmdTestEmail)),
              "Send Test Email   (sends a report of installed apps)");
    EXPECT_EQ(SendMessageW(window.Control(comboSMTPPort), CB_GETCOUNT, 0, 0), 2);
    EXPECT_NE(GetWindowLongW(window.Control(txtSMTPPassword), GWL_STYLE) & ES_PASSWORD, 0);
    // Loading shows the last list's notice, bold title at the bottom right of the work area.
    ASSERT_NE(window.Notice(), nullptr);
    EXPECT_TRUE(IsWindowVisible(window.Notice()));
    EXPECT_EQ(TextOf(window.Notice()), "Operation Completed.");
    RECT notice{};
    RECT work{};
    GetWindowRect(window.Notice(), &notice);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(notice.right, work.right);
    EXPECT_EQ(notice.bottom, work.bottom);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(notice.right - notice.left, MulDiv(270, dpi, 96));
    EXPECT_EQ(notice.bottom - notice.top, MulDiv(100, dpi, 96));
    SaveScreenshot(window.Notice(), "main_window_notice_message");

    for (int i = 0; i < kPageCount; ++i) {
        window.SelectPage(i);
        Pump();
        RedrawWindow(window.Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        const std::string name = "main_window_page" + std::to_string(i + 1);
        SaveScreenshot(window.Handle(), name.c_str());
    }
}

TEST_F(MainWindowOnDisplay, CheckBoxesSelectAllAndTheSpaceBarCheckEntries) {
    Open();
    EXPECT_EQ(Checks(AppListId::kNotInDefs), (std::vector<bool>{false, false, false}));
    ClickCheckBox(ListBox1, 1);
    EXPECT_EQ(Checks(AppListId::kNotInDefs), (std::vector<bool>{false, true, false}));
    ClickCheckBox(ListBox1, 1);
    EXPECT_EQ(Checks(AppListId::kNotInDefs), (std::vector<bool>{false, false, false}));
    // A click on the entry beside its check box selects it and leaves the check alone.
    HWND list = window.Control(ListBox1);
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM(item.right - 20, (item.top + item.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_EQ(Checks(AppListId::kNotInDefs), (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(presenter.Lists().notInDefs[2].selected);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Checks(AppListId::kNotInDefs), (std::vector<bool>{false, false, true}));

    Click(lblSelectAll, 0);
    EXPECT_EQ(Checks(AppListId::kNotInDefs), (std::vector<bool>{true, true, true}));
    Click(lblSelectNone3, 1);
    EXPECT_EQ(Checks(AppListId::kMatching), (std::vector<bool>{false, false}));
    EXPECT_EQ(Checks(AppListId::kNotInDefs), (std::vector<bool>{true, true, true}));
}

TEST_F(MainWindowOnDisplay, UninstallNowRunsTheCheckedEntriesAndRemovesThem) {
    Open();
    ClickCheckBox(ListBox1, 0);
    ClickCheckBox(ListBox1, 2);
    Click(Command3, 0);
    EXPECT_EQ(services.uninstalled,
              (std::vector<std::string>{"VLC media player", "7-Zip 23.01 (x64)"}));
    EXPECT_EQ(Names(ListBox1), std::vector<std::string>{"Notepad++ (64-bit x64)"});
    EXPECT_EQ(TextOf(window.Control(txtStatus)), "Idle...");
    EXPECT_EQ(TextOf(window.Notice()), "Uninstalls Completed.");
    // The matching list starts checked: its "Uninstall Now" runs both.
    Click(Command8, 1);
    EXPECT_EQ(services.uninstalled.size(), 4u);
    EXPECT_TRUE(Names(ListBox3).empty());
}

TEST_F(MainWindowOnDisplay, TypedDefinitionsAreSavedAndReloadedOnesShown) {
    Open();
    EXPECT_FALSE(presenter.DefinitionsAltered());
    window.SelectPage(2);
    HWND box = window.Control(txtDefs);
    SetFocus(box);
    const int end = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
    for (const wchar_t ch : std::wstring(L"\rCoupon")) {
        SendMessageW(box, WM_CHAR, ch, 1);
    }
    Pump();
    EXPECT_TRUE(presenter.DefinitionsAltered());
    EXPECT_EQ(presenter.Definitions().txtDefs, "Toolbar\r\nCoupon");
    Click(Command2, 2);
    EXPECT_EQ(m.files.Content(kBlacklist).value_or("(none)"), "Toolbar\r\nCoupon\r\n");
    EXPECT_FALSE(presenter.DefinitionsAltered());
    m.files.AddFile(kBlacklist, "Adware\r\n");
    Click(PushButton3, 2);
    EXPECT_EQ(TextOf(window.Control(txtDefs)), "Adware");
}

// What the timer types into the input box and which button it presses (timer procedures
// are plain stdcall functions in the 32-bit build, so no capturing lambdas).
struct InputBoxAnswer {
    const wchar_t* text;
    int button;
};
InputBoxAnswer answer;
std::string promptSeen;

void CALLBACK AnswerInputBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND box = FindWindowW(kInputBoxClass, nullptr);
    if (box == nullptr) {
        return;
    }
    HWND prompt = GetWindow(box, GW_CHILD);
    promptSeen = TextOf(prompt);
    HWND edit = GetWindow(prompt, GW_HWNDNEXT);
    SetWindowTextW(edit, answer.text);
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), 0);
}

void CALLBACK ConfirmInputBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(kInputBoxClass, nullptr);
    if (box != nullptr) {
        KillTimer(nullptr, timer);
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

TEST_F(MainWindowOnDisplay, TheInputBoxGivesTheConfirmedTextAndNothingWhenCancelled) {
    Open();
    answer = {L"  Zip  ", IDOK};
    SetTimer(nullptr, 0, 50, AnswerInputBox);
    EXPECT_EQ(window.InputBox("Edit Definitions Entry To Blacklist:", "Kestrel", "7-Zip"),
              "  Zip  ");
    EXPECT_EQ(promptSeen, "Edit Definitions Entry To Blacklist:");
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    answer = {L"ignored", IDCANCEL};
    SetTimer(nullptr, 0, 50, AnswerInputBox);
    EXPECT_EQ(window.InputBox("Edit Definitions Entry To Blacklist:", "Kestrel", "7-Zip"), "");
}

TEST_F(MainWindowOnDisplay, WhileAnUninstallRunsTheButtonsThatStartRunsAreDisabled) {
    Open();
    std::vector<bool> enabledDuring;
    services.during = [&] {
        for (const int id : {Command3, Command8, Command13, Command1, lblRefresh, Command20,
                             Command19, cmdTestEmail, PushButton4}) {
            enabledDuring.push_back(IsWindowEnabled(window.Control(id)) != FALSE);
        }
        enabledDuring.push_back(IsWindowEnabled(window.Control(Command2)) != FALSE);
    };
    ClickCheckBox(ListBox1, 0);
    Click(Command3, 0);
    EXPECT_EQ(enabledDuring, (std::vector<bool>{false, false, false, false, false, false, false,
                                                false, false, true}));
    EXPECT_TRUE(IsWindowEnabled(window.Control(Command3)));
    EXPECT_TRUE(IsWindowEnabled(window.Control(PushButton4)));
}

TEST_F(MainWindowOnDisplay, ADoubleClickShowsTheEntryInTheDetailWindow) {
    Open();
    HWND list = window.Control(ListBox1);
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM(item.right - 20, (item.top + item.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
    HWND detail = FindWindowW(kDetailWindowClass, nullptr);
    ASSERT_NE(detail, nullptr);
    EXPECT_TRUE(IsWindowVisible(detail));
    EXPECT_EQ(TextOf(GetDlgItem(detail, kDetailEditId)),
              "7-Zip 23.01 (x64)\r\n7-Zip 23.01 (x64)_key\r\nC:\\7-Zip 23.01 (x64)\\uninst.exe");
}

TEST_F(MainWindowOnDisplay, PreviewAutoOnBothLeftoversPagesShowsThePreviewWindow) {
    Open();
    Click(cmdPreviewFileSystem, 4);
    HWND preview = FindWindowW(kDetailWindowClass, os::win32::Wide(kPreviewWindowCaption).c_str());
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(IsWindowVisible(preview));
    EXPECT_EQ(TextOf(GetDlgItem(preview, kDetailEditId)), "Would uninstall:\r\n  Ask Toolbar");
    Click(cmdPreviewRegistry, 3);
    EXPECT_EQ(std::count(services.calls.begin(), services.calls.end(), "preview"), 2);
    SaveScreenshot(window.Handle(), "main_window_registry_with_preview_button");
}

TEST_F(MainWindowOnDisplay, ThePagesFillTheTabAndTheirControlsFollowTheWindow) {
    Open();
    HWND list = window.Control(ListBox1);
    const ControlRect before = ControlRectOf(list);
    SetWindowPos(window.Handle(), nullptr, 0, 0, 1000, 720, SWP_NOZORDER | SWP_NOMOVE);
    Pump();
    RECT display{};
    GetClientRect(window.Tab(), &display);
    SendMessageW(window.Tab(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (int i = 0; i < kPageCount; ++i) {
        EXPECT_EQ(ControlRectOf(window.Page(i)),
                  (ControlRect{static_cast<int>(display.left), static_cast<int>(display.top),
                               static_cast<int>(display.right - display.left),
                               static_cast<int>(display.bottom - display.top)}))
            << i;
    }
    const ControlRect after = ControlRectOf(list);
    EXPECT_GT(after.width, before.width);
    EXPECT_GT(after.height, before.height);
    RECT page{};
    GetClientRect(window.Page(0), &page);
    const ControlRect button = ControlRectOf(window.Control(Command3));
    EXPECT_GT(button.left, after.left + after.width);
    EXPECT_LE(button.left + button.width, page.right);
    // The status line stays below the tab.
    EXPECT_GE(ControlRectOf(window.Control(txtStatus)).top,
              ControlRectOf(window.Tab()).top + ControlRectOf(window.Tab()).height);
}

TEST_F(MainWindowOnDisplay, TabWalksThePageInOrderAndCtrlTabChangesPages) {
    Open();
    SetForegroundWindow(window.Handle());
    SetFocus(window.Control(lblSelectAll));
    auto key = [&](UINT vk) {
        MSG msg{};
        msg.hwnd = GetFocus();
        msg.message = WM_KEYDOWN;
        msg.wParam = vk;
        return window.TranslateKeys(msg);
    };
    std::vector<int> order;
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(key(VK_TAB));
        order.push_back(GetDlgCtrlID(GetFocus()));
    }
    EXPECT_EQ(order,
              (std::vector<int>{lblSelectNone, lblRefresh, ListBox1, Command3, Command1, Command10,
                                Command13, txtStatus, lblSelectAll, lblSelectNone}));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    const bool used = key(VK_TAB);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_TRUE(used);
    EXPECT_EQ(SendMessageW(window.Tab(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(IsWindowVisible(window.Page(1)));
    EXPECT_FALSE(IsWindowVisible(window.Page(0)));
}

TEST_F(MainWindowOnDisplay, ANoticeWithoutMessageIsHalfAsHighAndAClickHidesIt) {
    Open();
    window.ShowNotice(MakeNoticeLayout("Item(s) Added to List.", ""));
    HWND notice = window.Notice();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(TextOf(notice), "Item(s) Added to List.");
    RECT r{};
    GetWindowRect(notice, &r);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(r.bottom - r.top, MulDiv(50, dpi, 96));
    SaveScreenshot(notice, "main_window_notice");
    SendMessageW(notice, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FALSE(IsWindowVisible(notice));
}

TEST_F(MainWindowOnDisplay, AddToBlacklistAsksInTheInputBoxAndMovesTheEntry) {
    Open();
    ClickCheckBox(ListBox1, 0);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ConfirmInputBox);
    Click(Command13, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(Names(ListBox1),
              (std::vector<std::string>{"Notepad++ (64-bit x64)", "VLC media player"}));
    EXPECT_EQ(Names(ListBox3),
              (std::vector<std::string>{"Ask Toolbar", "Bing Toolbar", "7-Zip 23.01 (x64)"}));
    EXPECT_EQ(m.files.Content(kBlacklist).value_or("(none)"), "7-Zip 23.01 (x64)\r\nToolbar\r\n");
    EXPECT_EQ(TextOf(window.Notice()), "Item(s) Added to List.");
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
}

TEST_F(MainWindowOnDisplay, ClosingRunsTheUnloadOnce) {
    Open();
    SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(services.calls, std::vector<std::string>{"guard off"});
}

TEST(MainWindowWithoutDisplay, CreateFailsAtOnceAndTheLoopDoesNotBlock) {
    HWND probe = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (probe != nullptr) {
        DestroyWindow(probe);
        GTEST_SKIP() << "this Wine has a display";
    }
    FakeMachine m;
    PrepareProgram(m.ctx);
    RecordingServices services;
    Win32MainWindow window;
    MainPresenter presenter{m.ctx, window, services};
    EXPECT_FALSE(window.Create(presenter, true));
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(window.MessageLoop(), 0);
    EXPECT_EQ(RunMainWindow(m.ctx, services), 0);
}

}  // namespace
}  // namespace kestrel::testing

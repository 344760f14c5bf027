#include "ui/win32/main_window.h"

#include "ui/win32/window_basics.h"

#include "ui/win32/common_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/win32/window_icon.h"

namespace kestrel::ui {
namespace {

constexpr DWORD kFrameStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kDefaultWidth = 760;
constexpr int kDefaultHeight = 560;

}  // namespace

Win32MainWindow::~Win32MainWindow() {
    if (m_hwnd != nullptr) {
        DestroyWindow(m_hwnd);
    }
    if (m_notice != nullptr) {
        DestroyWindow(m_notice);
    }
}

bool Win32MainWindow::RegisterClassesOnce() {
    static const bool registered = [] {
        auto registerClass = [](const wchar_t* name, WNDPROC procedure, UINT style) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.style = style;
            wc.lpfnWndProc = procedure;
            wc.hInstance = Instance();
            wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = name;
            return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        };
        (void)InitCommonControlsOnce(ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES);
        return registerClass(kMainWindowClass, &Win32MainWindow::FrameProcedure, 0) &&
               registerClass(kMainPageClass, &Win32MainWindow::PageProcedure, 0) &&
               registerClass(kNoticeClass, &Win32MainWindow::NoticeProcedure, CS_DROPSHADOW);
    }();
    return registered;
}

bool Win32MainWindow::Create(MainPresenter& presenter, bool visible) {
    if (m_hwnd != nullptr || !RegisterClassesOnce()) {
        return m_hwnd != nullptr;
    }
    m_presenter = &presenter;
    HDC screen = GetDC(nullptr);
    m_dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    const RECT work = WorkArea();
    const int width = std::min<int>(Scaled(kDefaultWidth), work.right - work.left);
    const int height = std::min<int>(Scaled(kDefaultHeight), work.bottom - work.top);
    HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, L"Kestrel", kFrameStyle,
                                work.left + (work.right - work.left - width) / 2,
                                work.top + (work.bottom - work.top - height) / 2, width, height,
                                nullptr, nullptr, Instance(), this);
    if (hwnd == nullptr) {
        m_hwnd = nullptr;
        m_presenter = nullptr;
        return false;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        m_font = CreateFontIndirectW(&metrics.lfMessageFont);
        metrics.lfMessageFont.lfWeight = FW_BOLD;
        m_boldFont = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    m_lineHeight = std::max<int>(tm.tmHeight + tm.tmExternalLeading, 8);

    m_toolTip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, Instance(), nullptr);
    if (m_toolTip != nullptr) {
        SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, Scaled(360));
    }

    RECT client{};
    GetClientRect(hwnd, &client);
    const int margin = Scaled(6);
    const int statusHeight = m_lineHeight + Scaled(8);
    m_tab = Add(hwnd, WC_TABCONTROLW, kTabControl, "",
                WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TCS_FOCUSNEVER, margin, margin,
                client.right - 2 * margin, client.bottom - 3 * margin - statusHeight,
                WS_EX_CONTROLPARENT);
    m_status = Add(hwnd, L"EDIT", txtStatus, kIdleStatus,
                   WS_TABSTOP | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, margin,
                   client.bottom - margin - statusHeight, client.right - 2 * margin, statusHeight);
    for (int i = 0; i < kPageCount; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        std::wstring caption = os::win32::Wide(kPageCaptions[i]);
        item.pszText = caption.data();
        SendMessageW(m_tab, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
    }
    for (int i = 0; i < kPageCount; ++i) {
        m_pages[i] = CreateWindowExW(
            WS_EX_CONTROLPARENT, kMainPageClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 10, 10,
            m_tab, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageBase + i)), Instance(), this);
    }
    LayOut();
    BuildAppsPage(m_pages[0], true);
    BuildAppsPage(m_pages[1], false);
    BuildDefinitionsPage(m_pages[2]);
    BuildRegistryPage(m_pages[3]);
    BuildFileSystemPage(m_pages[4]);
    BuildOptionsPage(m_pages[5]);
    for (int i = 0; i < kPageCount; ++i) {
        m_pageResizers[i].InitResizeArray(m_pages[i]);
    }
    // The notice is a pop-up of its own, so the resizer never sees it.
    m_resizer.InitResizeArray(hwnd, {{kTabControl, "tabMain"}, {txtStatus, "txtStatus"}});
    m_resizer.SetControlProperties("PopupControl1", false, false);
    SelectPage(0);

    SetWindowIcon(hwnd, kWindowIconName, false);
    presenter.Load();
    if (visible && m_hwnd != nullptr) {
        ShowWindow(m_hwnd, SW_SHOW);
        UpdateWindow(m_hwnd);
    }
    return m_hwnd != nullptr;
}

int Win32MainWindow::MessageLoop() {
    if (m_hwnd == nullptr) {
        return 0;
    }
    m_looping = true;
    MSG msg{};
    int code = 0;
    while (true) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) {
            break;
        }
        if (TranslateKeys(msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    m_looping = false;
    return code;
}

bool Win32MainWindow::TranslateKeys(const MSG& msg) {
    if (m_hwnd == nullptr || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd))) {
        return false;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB &&
        (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        const int current = static_cast<int>(SendMessageW(m_tab, TCM_GETCURSEL, 0, 0));
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        SelectPage((current + (back ? kPageCount - 1 : 1)) % kPageCount);
        return true;
    }
    return IsDialogMessageW(m_hwnd, const_cast<MSG*>(&msg)) != FALSE;
}

HWND Win32MainWindow::Control(int id) const {
    const auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

HWND Win32MainWindow::Page(int index) const {
    return index >= 0 && index < kPageCount ? m_pages[index] : nullptr;
}

void Win32MainWindow::SelectPage(int index) {
    if (m_tab == nullptr || index < 0 || index >= kPageCount) {
        return;
    }
    SendMessageW(m_tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    for (int i = 0; i < kPageCount; ++i) {
        ShowWindow(m_pages[i], i == index ? SW_SHOW : SW_HIDE);
    }
}

// The tab and the status line follow the window in proportion; the pages fill the tab's
// display area exactly, and their controls follow the pages.
void Win32MainWindow::LayOut() {
    if (m_hwnd == nullptr || m_tab == nullptr) {
        return;
    }
    RECT display{};
    GetClientRect(m_tab, &display);
    SendMessageW(m_tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (HWND page : m_pages) {
        if (page != nullptr) {
            SetWindowPos(page, nullptr, display.left, display.top, display.right - display.left,
                         display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

void Win32MainWindow::Destroyed() {
    if (m_presenter != nullptr) {
        m_presenter->Unload();
    }
    m_detail.Unload();
    m_preview.Unload();
    if (m_notice != nullptr) {
        DestroyWindow(m_notice);
        m_notice = nullptr;
    }
    if (m_looping) {
        PostQuitMessage(0);
    }
}

LRESULT CALLBACK Win32MainWindow::FrameProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* self = WindowOwner<Win32MainWindow>(hwnd, message, lParam);
    if (message == WM_NCCREATE && self != nullptr) {
        self->m_hwnd = hwnd;
    }
    if (self != nullptr) {
        switch (message) {
            case WM_SIZE:
                if (wParam != SIZE_MINIMIZED) {
                    self->m_resizer.ResizeControls(hwnd);
                    self->LayOut();
                }
                return 0;
            case WM_GETMINMAXINFO: {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = POINT{self->Scaled(640), self->Scaled(480)};
                return 0;
            }
            case WM_NOTIFY: {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (header->hwndFrom == self->m_tab && header->code == TCN_SELCHANGE) {
                    self->SelectPage(
                        static_cast<int>(SendMessageW(self->m_tab, TCM_GETCURSEL, 0, 0)));
                }
                return 0;
            }
            case WM_CLOSE:
                if (self->m_presenter == nullptr || self->m_presenter->QueryClose()) {
                    DestroyWindow(hwnd);
                }
                return 0;
            case WM_DESTROY:
                self->Destroyed();
                return 0;
            case WM_NCDESTROY:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                self->m_hwnd = nullptr;
                self->m_tab = nullptr;
                self->m_status = nullptr;
                self->m_toolTip = nullptr;
                for (HWND& page : self->m_pages) {
                    page = nullptr;
                }
                self->m_controls.clear();
                self->m_notInDefs.list = nullptr;
                self->m_matching.list = nullptr;
                for (HFONT* font : {&self->m_font, &self->m_boldFont}) {
                    if (*font != nullptr) {
                        DeleteObject(*font);
                        *font = nullptr;
                    }
                }
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32MainWindow::PageProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    auto* self = WindowOwner<Win32MainWindow>(hwnd, message, lParam);
    if (self != nullptr) {
        switch (message) {
            case WM_COMMAND:
                self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
                return 0;
            case WM_MEASUREITEM:
                self->MeasureEntry(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
                return TRUE;
            case WM_DRAWITEM: {
                const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                if (item->CtlType == ODT_LISTBOX) {
                    self->DrawEntry(*item);
                } else if (item->CtlType == ODT_BUTTON) {
                    self->DrawLink(*item);
                }
                return TRUE;
            }
            case WM_SIZE: {
                const int index = GetDlgCtrlID(hwnd) - kPageBase;
                if (index >= 0 && index < kPageCount) {
                    self->m_pageResizers[index].ResizeControls(hwnd);
                }
                return 0;
            }
            case WM_NCDESTROY:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int RunMainWindow(Context& ctx, WindowServices& services) {
    Win32MainWindow window;
    MainPresenter presenter(ctx, window, services);
    if (!window.Create(presenter, true)) {
        return 0;
    }
    return window.MessageLoop();
}

}  // namespace kestrel::ui

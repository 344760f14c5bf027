#include "ui/win32/detail_window.h"

#include "ui/win32/window_basics.h"

#include <algorithm>

#include "ui/win32/window_icon.h"

namespace kestrel::ui {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE |
                             ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL;
// Room around the text inside the edit, in average character widths and line heights.
constexpr int kMinColumns = 60;
constexpr int kMinLines = 3;

HFONT MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return nullptr;
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

// The client size at which edit shows text whole: every line, none cut at the right.
SIZE ClientFor(HWND edit, HFONT font, const std::wstring& text) {
    HDC dc = GetDC(edit);
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT r{0, 0, 0, 0};
    const std::wstring measured = text.empty() ? std::wstring(L" ") : text;
    DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    const DWORD margins = static_cast<DWORD>(SendMessageW(edit, EM_GETMARGINS, 0, 0));
    const int frame = 2 * GetSystemMetrics(SM_CXBORDER);
    const int lines = static_cast<int>(r.bottom - r.top) / std::max<int>(metrics.tmHeight, 1);
    const int width = std::max(static_cast<int>(r.right - r.left),
                               kMinColumns * static_cast<int>(metrics.tmAveCharWidth));
    const int height = std::max(lines, kMinLines) * static_cast<int>(metrics.tmHeight);
    // A caret's width and half a line of slack keep the last letters and line clear of the edge.
    return SIZE{width + LOWORD(margins) + HIWORD(margins) + frame + 2 * metrics.tmAveCharWidth,
                height + frame + metrics.tmHeight / 2};
}

}  // namespace

Win32DetailWindow::~Win32DetailWindow() {
    Unload();
}

bool Win32DetailWindow::RegisterClassOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Win32DetailWindow::Procedure;
        wc.hInstance = Instance();
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kDetailWindowClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

void Win32DetailWindow::Show(HWND owner) {
    if (m_hwnd != nullptr) {
        ShowWindow(m_hwnd, SW_SHOW);
        return;
    }
    if (!RegisterClassOnce()) {
        return;
    }
    // Made hidden and small: it is sized for its text, laid out and recorded before it shows.
    const std::wstring caption = os::win32::Wide(m_caption);
    HWND hwnd =
        CreateWindowExW(kExStyle, kDetailWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, 320, 120, owner, nullptr, Instance(), this);
    if (hwnd == nullptr) {
        m_hwnd = nullptr;
        return;
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    m_edit = CreateWindowExW(
        0, L"EDIT", m_text.c_str(), kEditStyle, 0, 0, client.right, client.bottom, hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDetailEditId)), Instance(), nullptr);
    m_font = MessageFont();
    if (m_edit != nullptr) {
        HGDIOBJ font = m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT);
        SendMessageW(m_edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SetWindowIcon(hwnd, kWindowIconName, true);
    m_resizer.InitResizeArray(hwnd, {{kDetailEditId, kDetailEditName}});
    SetTopMost(hwnd, true);
    FitToText(true);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
}

void Win32DetailWindow::SetText(const std::string& text) {
    m_text = os::win32::Wide(text);
    if (m_edit != nullptr) {
        SetWindowTextW(m_edit, m_text.c_str());
        FitToText(false);
    }
}

void Win32DetailWindow::Unload() {
    if (m_hwnd != nullptr) {
        DestroyWindow(m_hwnd);  // WM_NCDESTROY clears the handles and the font
    }
}

// Sizes the window so that the text fits, centred on the work area. Once shown it only grows:
// a window that the user made larger stays as large.
void Win32DetailWindow::FitToText(bool mayShrink) {
    if (m_hwnd == nullptr || m_edit == nullptr) {
        return;
    }
    const RECT work = WorkArea();
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const SIZE wanted = ClientFor(m_edit, m_font, m_text);
    RECT frame{0, 0, mayShrink ? wanted.cx : std::max<LONG>(client.right, wanted.cx),
               mayShrink ? wanted.cy : std::max<LONG>(client.bottom, wanted.cy)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = std::min<int>(frame.right - frame.left, (work.right - work.left) * 3 / 4);
    const int height = std::min<int>(frame.bottom - frame.top, (work.bottom - work.top) * 3 / 4);
    RECT now{};
    GetWindowRect(m_hwnd, &now);
    if (width == now.right - now.left && height == now.bottom - now.top) {
        return;
    }
    SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32DetailWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = WindowOwner<Win32DetailWindow>(hwnd, message, lParam);
    if (message == WM_NCCREATE && self != nullptr) {
        self->m_hwnd = hwnd;
    }
    if (self != nullptr) {
        switch (message) {
            case WM_SIZE:
                self->m_resizer.ResizeControls(hwnd);
                return 0;
            case WM_SETFOCUS:
                if (self->m_edit != nullptr) {
                    SetFocus(self->m_edit);
                }
                return 0;
            case WM_NCDESTROY:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                self->m_hwnd = nullptr;
                self->m_edit = nullptr;
                self->m_resizer = Win32FormResizer{};
                if (self->m_font != nullptr) {
                    DeleteObject(self->m_font);
                    self->m_font = nullptr;
                }
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kestrel::ui

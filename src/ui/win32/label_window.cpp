#include "ui/win32/label_window.h"

#include "ui/win32/window_basics.h"

#include <algorithm>

#include "ui/win32/window_icon.h"

namespace kestrel::ui {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = 0;
constexpr int kPadding = 16;
constexpr int kMinClientWidth = 320;

}  // namespace

bool LabelWindow::RegisterClassOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &LabelWindow::Procedure;
        wc.hInstance = Instance();
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kLabelWindowClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

namespace {

NONCLIENTMETRICSW NonClientMetrics() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        metrics.cbSize = 0;
    }
    return metrics;
}

// The extent of text drawn in font, wrapped at maxWidth; one line's height for no text.
SIZE TextExtent(HFONT font, const std::wstring& text, int maxWidth) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT r{0, 0, maxWidth, 0};
    const std::wstring measured = text.empty() ? std::wstring(L" ") : text;
    DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int CaptionWidth(const std::wstring& caption) {
    NONCLIENTMETRICSW metrics = NonClientMetrics();
    HFONT font = metrics.cbSize != 0 ? CreateFontIndirectW(&metrics.lfCaptionFont) : nullptr;
    SIZE text = TextExtent(font, caption, GetSystemMetrics(SM_CXSCREEN));
    if (font != nullptr) {
        DeleteObject(font);
    }
    // The icon, the close button and some room on either side.
    return static_cast<int>(text.cx) + GetSystemMetrics(SM_CXSMICON) +
           2 * GetSystemMetrics(SM_CXSIZE) + kPadding;
}

}  // namespace

LabelWindow::LabelWindow(CloseFilter onUserClose) : m_onUserClose(std::move(onUserClose)) {}

LabelWindow::~LabelWindow() {
    Destroy();
}

bool LabelWindow::Create(bool visible) {
    if (m_hwnd != nullptr) {
        return true;
    }
    if (!RegisterClassOnce()) {
        return false;
    }
    m_client = SIZE{};
    // Made hidden first, so that it appears only once sized and placed.
    HWND hwnd =
        CreateWindowExW(kExStyle, kLabelWindowClass, m_caption.c_str(), kStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, kMinClientWidth, 100, nullptr, nullptr, Instance(), this);
    if (hwnd == nullptr) {
        m_hwnd = nullptr;
        return false;
    }
    m_label = CreateWindowExW(
        0, L"STATIC", m_text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0, 0, 0, 0,
        hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)), Instance(), nullptr);
    NONCLIENTMETRICSW metrics = NonClientMetrics();
    m_font = metrics.cbSize != 0 ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr;
    if (m_label != nullptr) {
        HGDIOBJ font = m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT);
        SendMessageW(m_label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SetWindowIcon(hwnd, kWindowIconName, true);
    SetTopMost(hwnd, true);
    FitToTexts();
    if (visible) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
    return true;
}

void LabelWindow::Destroy() {
    if (m_hwnd != nullptr) {
        DestroyWindow(m_hwnd);  // WM_NCDESTROY clears the handles and the font
    }
}

void LabelWindow::SetCaption(const std::string& caption) {
    m_caption = os::win32::Wide(caption);
    if (m_hwnd != nullptr) {
        SetWindowTextW(m_hwnd, m_caption.c_str());
        FitToTexts();
    }
}

void LabelWindow::SetLabel(const std::string& text) {
    m_text = os::win32::Wide(text);
    if (m_label != nullptr) {
        SetWindowTextW(m_label, m_text.c_str());
        FitToTexts();
        // Painted now: the work that changes the label may not handle messages for a while.
        UpdateWindow(m_hwnd);
    }
}

// Grows the window (never shrinks it, so that changing progress texts do not make it jump)
// until caption and label fit, keeps it centred on the work area and the label centred in it.
void LabelWindow::FitToTexts() {
    if (m_hwnd == nullptr) {
        return;
    }
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int maxText = std::max(kMinClientWidth, static_cast<int>(work.right - work.left) * 3 / 4);
    const SIZE text = TextExtent(m_font, m_text, maxText);
    const SIZE wanted{std::max({kMinClientWidth, static_cast<int>(text.cx) + 2 * kPadding,
                                CaptionWidth(m_caption)}),
                      text.cy + 2 * kPadding};
    const SIZE client{std::max(m_client.cx, wanted.cx), std::max(m_client.cy, wanted.cy)};
    if (client.cx != m_client.cx || client.cy != m_client.cy) {
        m_client = client;
        RECT frame{0, 0, client.cx, client.cy};
        AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_label != nullptr) {
        MoveWindow(m_label, kPadding, (m_client.cy - text.cy) / 2, m_client.cx - 2 * kPadding,
                   text.cy, TRUE);
    }
}

LRESULT CALLBACK LabelWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowOwner<LabelWindow>(hwnd, message, lParam);
    if (message == WM_NCCREATE && self != nullptr) {
        self->m_hwnd = hwnd;
    }
    if (self != nullptr) {
        switch (message) {
            case WM_CLOSE:
                if (self->m_onUserClose && !self->m_onUserClose()) {
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                self->m_hwnd = nullptr;
                self->m_label = nullptr;
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

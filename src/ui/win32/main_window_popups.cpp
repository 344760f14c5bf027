// The pop-up notice (PopupControl1) and the input box of the main window.

#include <algorithm>
#include "ui/win32/window_basics.h"

#include "ui/win32/main_window.h"

namespace kestrel::ui {
namespace {

constexpr UINT_PTR kNoticeTimer = 1;
constexpr UINT kNoticeMilliseconds = 4000;
// The Office 2007 look of the notice: a pale blue face in a darker blue frame.
constexpr COLORREF kNoticeFace = RGB(227, 239, 255);
constexpr COLORREF kNoticeFrame = RGB(101, 147, 207);
constexpr COLORREF kNoticeText = RGB(21, 66, 139);

}  // namespace

void Win32MainWindow::ShowNotice(const NoticeLayout& notice) {
    m_noticeLayout = notice;
    if (m_notice == nullptr) {
        m_notice = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                   kNoticeClass, nullptr, WS_POPUP, 0, 0, 10, 10, m_hwnd, nullptr,
                                   GetModuleHandleW(nullptr), this);
        if (m_notice == nullptr) {
            return;
        }
    }
    SetWindowTextW(m_notice, os::win32::Wide(notice.title.text).c_str());
    PlaceNotice();
    ShowWindow(m_notice, SW_SHOWNOACTIVATE);
    InvalidateRect(m_notice, nullptr, TRUE);
    UpdateWindow(m_notice);
    SetTimer(m_notice, kNoticeTimer, kNoticeMilliseconds, nullptr);
}

// At the bottom right corner of the work area, in the notice's own size.
void Win32MainWindow::PlaceNotice() {
    const RECT work = WorkArea();
    const int width = Scaled(m_noticeLayout.width);
    const int height = Scaled(m_noticeLayout.height);
    SetWindowPos(m_notice, HWND_TOPMOST, work.right - width, work.bottom - height, width, height,
                 SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32MainWindow::NoticeProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    auto* self = WindowOwner<Win32MainWindow>(hwnd, message, lParam);
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client{};
            GetClientRect(hwnd, &client);
            HBRUSH face = CreateSolidBrush(kNoticeFace);
            FillRect(dc, &client, face);
            DeleteObject(face);
            HBRUSH frame = CreateSolidBrush(kNoticeFrame);
            FrameRect(dc, &client, frame);
            DeleteObject(frame);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, kNoticeText);
            const NoticeLayout& layout = self->m_noticeLayout;
            auto place = [self](const NoticeItem& item) {
                return RECT{self->Scaled(item.left), self->Scaled(item.top),
                            self->Scaled(item.right), self->Scaled(item.bottom)};
            };
            HGDIOBJ old =
                SelectObject(dc, self->m_boldFont != nullptr ? self->m_boldFont : self->m_font);
            RECT title = place(layout.title);
            const std::wstring titleText = os::win32::Wide(layout.title.text);
            DrawTextW(dc, titleText.c_str(), static_cast<int>(titleText.size()), &title,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            if (layout.message) {
                SelectObject(dc, self->m_font);
                RECT text = place(*layout.message);
                const std::wstring messageText = os::win32::Wide(layout.message->text);
                DrawTextW(dc, messageText.c_str(), static_cast<int>(messageText.size()), &text,
                          DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
            }
            SelectObject(dc, old);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_TIMER:
        case WM_LBUTTONDOWN:
            KillTimer(hwnd, kNoticeTimer);
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            if (self->m_notice == hwnd) {
                self->m_notice = nullptr;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

namespace {

constexpr int kInputEditId = 1201;

struct InputState {
    bool done = false;
    bool confirmed = false;
    HWND edit = nullptr;
    std::wstring answer;
};

LRESULT CALLBACK InputProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = WindowOwner<InputState>(hwnd, message, lParam);
    if (state != nullptr) {
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                    state->confirmed = LOWORD(wParam) == IDOK;
                    if (state->confirmed) {
                        const int length = GetWindowTextLengthW(state->edit);
                        state->answer.assign(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
                        state->answer.resize(static_cast<size_t>(
                            GetWindowTextW(state->edit, state->answer.data(), length + 1)));
                    }
                    state->done = true;
                    return 0;
                }
                break;
            case WM_CLOSE:
                state->done = true;
                return 0;
            default:
                break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterInputClassOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &InputProcedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kInputBoxClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

}  // namespace

// A small modal window: the prompt, an edit holding the default text, OK and Cancel. Enter
// confirms, Escape and closing cancel. "" when cancelled or when no window can be made.
std::string Win32MainWindow::InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) {
    if (!RegisterInputClassOnce()) {
        return {};
    }
    InputState state;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    const int m = Scaled(10);
    const int width = Scaled(380);
    const int buttonWidth = Scaled(80);
    const int buttonHeight = std::max(Scaled(25), m_lineHeight + Scaled(9));
    const int fieldHeight = m_lineHeight + Scaled(8);
    const int clientHeight = m + 2 * m_lineHeight + Scaled(6) + fieldHeight + m + buttonHeight + m;
    RECT frame{0, 0, width, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT owner{};
    if (m_hwnd == nullptr || !GetWindowRect(m_hwnd, &owner)) {
        owner = WorkArea();
    }
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kInputBoxClass,
                               os::win32::Wide(title).c_str(), style,
                               owner.left + (owner.right - owner.left - frameWidth) / 2,
                               owner.top + (owner.bottom - owner.top - frameHeight) / 2, frameWidth,
                               frameHeight, m_hwnd, nullptr, GetModuleHandleW(nullptr), &state);
    if (box == nullptr) {
        return {};
    }
    HGDIOBJ font = m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT);
    auto child = [&](const wchar_t* cls, const std::string& text, DWORD childStyle, int id, int x,
                     int y, int w, int h, DWORD exStyle) {
        HWND control = CreateWindowExW(exStyle, cls, os::win32::Wide(text).c_str(),
                                       WS_CHILD | WS_VISIBLE | childStyle, x, y, w, h, box,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    child(L"STATIC", prompt, SS_LEFT | SS_NOPREFIX, -1, m, m, width - 2 * m, 2 * m_lineHeight, 0);
    const int editTop = m + 2 * m_lineHeight + Scaled(6);
    state.edit = child(L"EDIT", defaultText, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kInputEditId,
                       m, editTop, width - 2 * m, fieldHeight, 0);
    const int buttonTop = editTop + fieldHeight + m;
    child(L"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
          width - m - 2 * buttonWidth - Scaled(6), buttonTop, buttonWidth, buttonHeight, 0);
    child(L"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, width - m - buttonWidth,
          buttonTop, buttonWidth, buttonHeight, 0);

    const bool ownerWasEnabled = m_hwnd != nullptr && IsWindowEnabled(m_hwnd);
    if (ownerWasEnabled) {
        EnableWindow(m_hwnd, FALSE);
    }
    ShowWindow(box, SW_SHOW);
    SetFocus(state.edit);
    SendMessageW(state.edit, EM_SETSEL, 0, -1);
    MSG msg{};
    while (!state.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the main loop still has to end
            break;
        }
        if (got == -1) {
            break;
        }
        if (!IsDialogMessageW(box, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (ownerWasEnabled) {
        EnableWindow(m_hwnd, TRUE);
    }
    DestroyWindow(box);
    if (m_hwnd != nullptr) {
        SetActiveWindow(m_hwnd);
    }
    return state.confirmed ? os::win32::Narrow(state.answer) : std::string{};
}

}  // namespace kestrel::ui

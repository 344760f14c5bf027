#include "win32/window_driver.h"

#include <commctrl.h>

namespace kestrel::testing {
namespace {

constexpr UINT kReplyLimitMs = 5000;

struct ProcessWindowSearch {
    DWORD processId = 0;
    const wchar_t* className = nullptr;
    HWND found = nullptr;
};

BOOL CALLBACK TakeProcessWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ProcessWindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (owner == search->processId && std::wstring(name) == search->className &&
        IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className) {
    ProcessWindowSearch search{processId, className, nullptr};
    EnumWindows(&TakeProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ControlSearch {
    int id = 0;
    HWND found = nullptr;
};

BOOL CALLBACK TakeControl(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(hwnd) == search->id) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

void PumpOwnMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

HWND WaitForProcessWindow(HANDLE process, DWORD processId, const wchar_t* className,
                          unsigned timeoutMs) {
    HWND found = nullptr;
    (void)WaitUntil(
        [&] {
            found = FindProcessWindow(processId, className);
            return found != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
    return found;
}

HWND FindControl(HWND top, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(top, &TakeControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyLimitMs,
                            &length) == 0) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, kReplyLimitMs, &copied) == 0) {
        return {};
    }
    text.resize(copied);
    return os::win32::Narrow(text);
}

void SetWindowTextTo(HWND hwnd, const std::string& text) {
    const std::wstring wide = os::win32::Wide(text);
    DWORD_PTR ignored = 0;
    (void)SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                              SMTO_ABORTIFHUNG, kReplyLimitMs, &ignored);
}

std::vector<std::string> ListTexts(HWND list) {
    std::vector<std::string> texts;
    DWORD_PTR count = 0;
    if (SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kReplyLimitMs, &count) ==
            0 ||
        static_cast<LRESULT>(count) == LB_ERR) {
        return texts;
    }
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kReplyLimitMs,
                                &length) == 0 ||
            static_cast<LRESULT>(length) == LB_ERR) {
            texts.emplace_back();
            continue;
        }
        std::wstring text(length + 1, L'\0');
        DWORD_PTR copied = 0;
        (void)SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                                  SMTO_ABORTIFHUNG, kReplyLimitMs, &copied);
        text.resize(static_cast<LRESULT>(copied) == LB_ERR ? 0 : copied);
        texts.push_back(os::win32::Narrow(text));
    }
    return texts;
}

void SelectTab(HWND top, int page) {
    HWND tab = FindWindowExW(top, nullptr, WC_TABCONTROLW, nullptr);
    DWORD_PTR ignored = 0;
    // Without TCS_BUTTONS, moving the focus selects the page and tells the window.
    (void)SendMessageTimeoutW(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(page), 0,
                              SMTO_ABORTIFHUNG, kReplyLimitMs, &ignored);
}

void Press(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

bool WaitUntil(const std::function<bool()>& done, unsigned timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        PumpOwnMessages();
        Sleep(100);
    }
}

std::optional<std::string> AnswerMessageBox(DWORD processId, unsigned timeoutMs) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindProcessWindow(processId, L"#32770")) != nullptr; },
                   timeoutMs)) {
        return std::nullopt;
    }
    // The message is the box's static text (id 0xFFFF on Windows and in Wine).
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (std::wstring(name) == L"Static" && !WindowText(child).empty()) {
            text = WindowText(child);
            break;
        }
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    (void)WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs);
    return text;
}

}  // namespace kestrel::testing

#pragma once
// The frame that the download and status windows share: a top-level window with one centred
// STATIC label, sized for its caption and label, centred on the screen.

#include <functional>
#include <string>

#include "os/win32/windows_api.h"

namespace kestrel::ui {

// The window class of both windows, and the control id of their label.
inline constexpr const wchar_t* kLabelWindowClass = L"KestrelLabelWindow";
inline constexpr int kLabelId = 1001;

class LabelWindow {
public:
    // Answers a close that the user asked for (title bar, system menu, Alt+F4): true lets the
    // window close. Closing by the program (Destroy) does not call it.
    using CloseFilter = std::function<bool()>;

    explicit LabelWindow(CloseFilter onUserClose);
    ~LabelWindow();
    LabelWindow(const LabelWindow&) = delete;
    LabelWindow& operator=(const LabelWindow&) = delete;

    // Makes the window with the texts set so far, shown or hidden. False when no window can
    // be made (no display); every other call then does nothing.
    bool Create(bool visible);
    void Destroy();
    // Null while no window exists.
    HWND Handle() const { return m_hwnd; }

    // Texts in the system code page; kept for a window made later.
    void SetCaption(const std::string& caption);
    void SetLabel(const std::string& text);

private:
    static bool RegisterClassOnce();
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void FitToTexts();

    CloseFilter m_onUserClose;
    std::wstring m_caption;
    std::wstring m_text;
    HWND m_hwnd = nullptr;
    HWND m_label = nullptr;
    HFONT m_font = nullptr;
    SIZE m_client{};
};

}  // namespace kestrel::ui

#pragma once
// The detail window of one application list entry (frmDetail): a sizeable top-most window that
// one read-only multi-line text box (FlatEdit1) fills. It is not modal: the main window goes on
// working while it shows.

#include <string>

#include "os/win32/windows_api.h"
#include "ui/win32/form_resizer_win32.h"

namespace kestrel::ui {

inline constexpr const wchar_t* kDetailWindowClass = L"KestrelDetailWindow";
inline constexpr int kDetailEditId = 1101;
inline constexpr const char* kDetailEditName = "FlatEdit1";
inline constexpr const char* kDetailCaption = "Item Detail";

class Win32DetailWindow {
public:
    // The window of another text (the preview of "/auto") takes its own caption.
    explicit Win32DetailWindow(std::string caption = kDetailCaption)
        : m_caption(std::move(caption)) {}
    ~Win32DetailWindow();
    Win32DetailWindow(const Win32DetailWindow&) = delete;
    Win32DetailWindow& operator=(const Win32DetailWindow&) = delete;

    // Makes the window, owned by owner (may be null), or shows it again when it exists. When no
    // window can be made (no display) nothing shows and the other calls do nothing.
    void Show(HWND owner);
    // The text of FlatEdit1, lines separated by CR LF, in the system code page. The window grows
    // (up to three quarters of the work area) so that every line fits; it never shrinks.
    void SetText(const std::string& text);
    void Unload();

    // Null while no window exists (also after the user closed it).
    HWND Handle() const { return m_hwnd; }
    HWND Edit() const { return m_edit; }

private:
    static bool RegisterClassOnce();
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void FitToText(bool mayShrink);

    std::string m_caption;
    std::wstring m_text;
    HWND m_hwnd = nullptr;
    HWND m_edit = nullptr;
    HFONT m_font = nullptr;
    Win32FormResizer m_resizer;
};

}  // namespace kestrel::ui

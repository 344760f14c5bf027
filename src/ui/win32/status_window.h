#pragma once
// The Win32 status window of an unpacking (frmStatusWin).

#include "ui/win32/label_window.h"
#include "zip/status_window.h"

namespace kestrel::ui {

class Win32StatusWindow : public StatusWindow {
public:
    Win32StatusWindow();
    ~Win32StatusWindow() override;

    void Show(const std::string& text) override;
    void SetText(const std::string& text) override;
    // True while the window exists: never when no window could be made.
    bool Loaded() const override;
    void Unload() override;

    HWND Handle() const { return m_frame.Handle(); }

private:
    LabelWindow m_frame;
};

}  // namespace kestrel::ui

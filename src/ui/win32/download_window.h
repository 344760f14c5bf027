#pragma once
// The Win32 progress window of a download (frmDownloadAnp).

#include "net/download_file.h"
#include "os/user_prompts.h"
#include "ui/win32/label_window.h"

namespace kestrel::ui {

class Win32DownloadWindow : public DownloadWindow {
public:
    // prompts asks the cancel question; it outlives the window.
    explicit Win32DownloadWindow(os::UserPrompts& prompts);
    ~Win32DownloadWindow() override;

    void Load(bool visible) override;
    void SetCaption(const std::string& caption) override;
    void SetStatus(const std::string& text) override;
    [[nodiscard]] bool CancelConfirmed() override;
    void Unload() override;

    // Null while the window is not loaded, or when no window could be made.
    HWND Handle() const { return m_frame.Handle(); }

private:
    os::UserPrompts& m_prompts;
    LabelWindow m_frame;
    std::string m_caption;
    bool m_closeRequested = false;
    bool m_cancelled = false;
};

}  // namespace kestrel::ui

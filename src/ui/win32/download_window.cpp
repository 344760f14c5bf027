#include "ui/win32/download_window.h"

#include "ui/win32/window_icon.h"

namespace kestrel::ui {

// A close from the title bar only marks the request: the question is asked from
// CancelConfirmed, between two pieces of the transfer, never from inside whichever message
// loop happened to dispatch the WM_CLOSE.
Win32DownloadWindow::Win32DownloadWindow(os::UserPrompts& prompts)
    : m_prompts(prompts), m_frame([this] {
          m_closeRequested = true;
          return false;
      }) {}

Win32DownloadWindow::~Win32DownloadWindow() {
    Unload();
}

void Win32DownloadWindow::Load(bool visible) {
    m_closeRequested = false;
    m_cancelled = false;
    (void)m_frame.Create(visible);  // without a window the download runs on unseen
}

void Win32DownloadWindow::SetCaption(const std::string& caption) {
    m_caption = caption;
    m_frame.SetCaption(caption);
}

void Win32DownloadWindow::SetStatus(const std::string& text) {
    m_frame.SetLabel(text);
}

bool Win32DownloadWindow::CancelConfirmed() {
    if (m_cancelled || m_frame.Handle() == nullptr) {
        return m_cancelled;
    }
    os::win32::PumpWaitingMessages();
    if (!m_closeRequested || m_frame.Handle() == nullptr) {
        return false;
    }
    m_closeRequested = false;
    HWND hwnd = m_frame.Handle();
    // The question has no owner: released from the top, so that it does not open behind.
    SetTopMost(hwnd, false);
    const int answer =
        m_prompts.ShowMessage(kCancelDownloadQuestion, m_caption.empty() ? "Kestrel" : m_caption,
                              os::mb::kYesNo | os::mb::kIconQuestion);
    if (answer == os::mb::kIdYes) {
        m_cancelled = true;
        m_frame.Destroy();
    } else if (m_frame.Handle() != nullptr) {
        SetTopMost(hwnd, true);
    }
    return m_cancelled;
}

void Win32DownloadWindow::Unload() {
    m_closeRequested = false;
    m_frame.Destroy();
}

}  // namespace kestrel::ui

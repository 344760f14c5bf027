#include "ui/win32/status_window.h"

namespace kestrel::ui {

// The user may close it; the unpacking goes on without it.
Win32StatusWindow::Win32StatusWindow() : m_frame([] { return true; }) {
    m_frame.SetCaption("Kestrel");
}

Win32StatusWindow::~Win32StatusWindow() {
    Unload();
}

void Win32StatusWindow::Show(const std::string& text) {
    m_frame.SetLabel(text);
    if (m_frame.Handle() == nullptr) {
        (void)m_frame.Create(true);  // without a window the unpacking runs on unseen
    } else {
        ShowWindow(m_frame.Handle(), SW_SHOW);
    }
}

void Win32StatusWindow::SetText(const std::string& text) {
    m_frame.SetLabel(text);
}

bool Win32StatusWindow::Loaded() const {
    return m_frame.Handle() != nullptr;
}

void Win32StatusWindow::Unload() {
    m_frame.Destroy();
}

}  // namespace kestrel::ui

#include "ui/win32/form_resizer_win32.h"

namespace kestrel::ui {
namespace {

ClientSize ClientSizeOf(HWND form) {
    RECT client{};
    if (!GetClientRect(form, &client)) {
        return {};
    }
    return {static_cast<int>(client.right - client.left),
            static_cast<int>(client.bottom - client.top)};
}

constexpr UINT kPlaceFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

}  // namespace

ControlRect ControlRectOf(HWND control) {
    RECT r{};
    if (!GetWindowRect(control, &r)) {
        return {};
    }
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
            static_cast<int>(r.bottom - r.top)};
}

void Win32FormResizer::InitResizeArray(HWND form, const ControlNames& names) {
    m_controls.clear();
    std::vector<ControlLayout> layout;
    for (HWND child = GetWindow(form, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const auto named = names.find(id);
        layout.push_back(
            {named != names.end() ? named->second : std::to_string(id), ControlRectOf(child)});
        m_controls.push_back(child);
    }
    m_resizer.InitResizeArray(layout, ClientSizeOf(form));
}

void Win32FormResizer::SetControlProperties(const std::string& strName, bool flgMove,
                                            bool flgResize) {
    m_resizer.SetControlProperties(strName, flgMove, flgResize);
}

void Win32FormResizer::ResizeControls(HWND form) {
    if (m_controls.empty() || IsIconic(form)) {
        return;
    }
    std::vector<ControlRect> now;
    now.reserve(m_controls.size());
    for (HWND control : m_controls) {
        now.push_back(IsWindow(control) ? ControlRectOf(control) : ControlRect{});
    }
    const std::vector<ControlRect> placed = m_resizer.ResizeControls(now, ClientSizeOf(form));
    auto moved = [&](size_t i) { return IsWindow(m_controls[i]) && !(placed[i] == now[i]); };
    HDWP batch = BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (size_t i = 0; i < m_controls.size() && batch != nullptr; ++i) {
        if (moved(i)) {
            const ControlRect& r = placed[i];
            batch = DeferWindowPos(batch, m_controls[i], nullptr, r.left, r.top, r.width, r.height,
                                   kPlaceFlags);
        }
    }
    if (batch != nullptr && EndDeferWindowPos(batch)) {
        return;
    }
    // A failed batch places nothing: the controls are then placed one by one.
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (moved(i)) {
            const ControlRect& r = placed[i];
            SetWindowPos(m_controls[i], nullptr, r.left, r.top, r.width, r.height, kPlaceFlags);
        }
    }
}

}  // namespace kestrel::ui

#pragma once
// The Win32 side of FormResizer: records a window's child controls and re-places them when the
// window is resized.

#include <map>
#include <string>
#include <vector>

#include "os/win32/windows_api.h"
#include "ui/form_resizer.h"

namespace kestrel::ui {

// The names of a window's controls by control id. A control without one is named by its id in
// decimal.
using ControlNames = std::map<int, std::string>;

class Win32FormResizer {
public:
    // Records the direct child windows of form, in z-order (their creation order unless one was
    // moved in it), against form's client size now. Controls made later are not recorded.
    void InitResizeArray(HWND form, const ControlNames& names = {});

    // Keeps every control named strName still (both false) or lets it follow again.
    void SetControlProperties(const std::string& strName, bool flgMove, bool flgResize);

    // Places the recorded controls for form's client size now, all in one go. A minimised form
    // is left alone, and a recorded control that no longer exists is skipped.
    void ResizeControls(HWND form);

    const FormResizer& Layout() const { return m_resizer; }

private:
    FormResizer m_resizer;
    std::vector<HWND> m_controls;
};

// A control's rectangle in the client coordinates of its parent.
ControlRect ControlRectOf(HWND control);

}  // namespace kestrel::ui

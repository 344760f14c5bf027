#pragma once
// The common controls, loaded when the first window that needs them is made. Importing them
// would load them (and Wine's display driver with them) at every start, unattended runs
// included.

#include "os/win32/windows_api.h"

#include <commctrl.h>

namespace kestrel::ui {

// InitCommonControlsEx; false when the library or the call is missing.
bool InitCommonControlsOnce(DWORD classes);
// SetWindowSubclass, DefSubclassProc and RemoveWindowSubclass of the loaded library. Before
// InitCommonControlsOnce succeeded, subclassing fails and DefSubclass answers DefWindowProcW.
bool Subclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
LRESULT DefSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void RemoveSubclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id);

}  // namespace kestrel::ui

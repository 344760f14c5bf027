#pragma once
// What every window of the program starts from.

#include "os/win32/windows_api.h"

namespace kestrel::ui {

// The program's module, which owns the window classes and the icon resources.
HINSTANCE Instance();
// The screen without the task bar; the whole screen when the system does not say.
RECT WorkArea();

// The object a window was made for (CreateWindowExW's last argument), kept in the window's
// user data from WM_NCCREATE on; null before that and for other windows of the class.
template <typename T>
T* WindowOwner(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace kestrel::ui

#pragma once
// The icon and z-order routines that every window of the program shares.

#include "os/win32/windows_api.h"

namespace kestrel::ui {

// The icon group of every window.
inline constexpr const char* kWindowIconName = "a1";

// Gives hWnd the icon group sIconName of the program's resources, in the system's large and
// small icon sizes; with bAlsoOwner the window's owner (whose icon the task bar shows) gets
// them too. A missing icon group leaves the icons as they are.
void SetWindowIcon(HWND hWnd, const char* sIconName, bool bAlsoOwner);

// Keeps hWnd above all normal windows (or releases it), without moving or sizing it.
void SetTopMost(HWND hWnd, bool bTopMost);

}  // namespace kestrel::ui

#pragma once
// What every window of the program starts from.

#include "os/win32/windows_api.h"

namespace kestrel::ui {

// The program's module, which owns the window classes and the icon resources.
HINSTANCE Instance();
// The screen without the task bar; the whole screen when the system does not say.
RECT WorkArea();

}  // namespace kestrel::ui

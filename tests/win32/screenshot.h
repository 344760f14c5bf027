#pragma once
// Screenshots of the real windows, kept as artifacts of the window tests.

#include "os/win32/windows_api.h"

namespace kestrel::testing {

// Saves hwnd as it shows on the screen, frame included, as a 24-bit "<name>.bmp" in the folder
// KESTREL_SCREENSHOTS names; does nothing when it names none. A failed capture or write fails
// the test.
void SaveScreenshot(HWND hwnd, const char* name);

}  // namespace kestrel::testing

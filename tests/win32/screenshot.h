#pragma once
// Screenshots of the real windows, kept as artifacts of the window tests.

#include <string>

#include "os/win32/windows_api.h"

namespace kestrel::testing {

// Writes hwnd as it shows on the screen, frame included, as a 24-bit BMP file; false when the
// capture or the write failed. The window may belong to another process.
bool WriteScreenshot(HWND hwnd, const std::string& path);

// Saves hwnd as "<name>.bmp" in the folder KESTREL_SCREENSHOTS names; does nothing when it
// names none. A failed capture or write fails the test.
void SaveScreenshot(HWND hwnd, const char* name);

}  // namespace kestrel::testing

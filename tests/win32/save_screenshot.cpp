#include <gtest/gtest.h>

#include <cstdlib>

#include "win32/screenshot.h"

namespace kestrel::testing {

void SaveScreenshot(HWND hwnd, const char* name) {
    const char* folder = std::getenv("KESTREL_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0') {
        return;
    }
    EXPECT_TRUE(WriteScreenshot(hwnd, std::string(folder) + "\\" + name + ".bmp")) << name;
}

}  // namespace kestrel::testing

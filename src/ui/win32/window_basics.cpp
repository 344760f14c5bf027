#include "ui/win32/window_basics.h"

namespace kestrel::ui {

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

RECT WorkArea() {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return work;
}

}  // namespace kestrel::ui

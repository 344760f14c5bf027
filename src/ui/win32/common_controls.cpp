#include "ui/win32/common_controls.h"

namespace kestrel::ui {
namespace {

struct CommonControls {
    decltype(&::InitCommonControlsEx) init = nullptr;
    decltype(&::SetWindowSubclass) subclass = nullptr;
    decltype(&::DefSubclassProc) defSubclass = nullptr;
    decltype(&::RemoveWindowSubclass) removeSubclass = nullptr;
};

template <typename F>
F Resolve(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loaded once and kept for the life of the process, as an import would be.
const CommonControls& Library() {
    static const CommonControls library = [] {
        CommonControls c;
        HMODULE module = LoadLibraryW(L"comctl32.dll");
        if (module != nullptr) {
            c.init = Resolve<decltype(c.init)>(module, "InitCommonControlsEx");
            c.subclass = Resolve<decltype(c.subclass)>(module, "SetWindowSubclass");
            c.defSubclass = Resolve<decltype(c.defSubclass)>(module, "DefSubclassProc");
            c.removeSubclass = Resolve<decltype(c.removeSubclass)>(module, "RemoveWindowSubclass");
        }
        return c;
    }();
    return library;
}

}  // namespace

bool InitCommonControlsOnce(DWORD classes) {
    const CommonControls& c = Library();
    INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    return c.init != nullptr && c.init(&controls) != FALSE;
}

bool Subclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    const CommonControls& c = Library();
    return c.subclass != nullptr && c.subclass(hwnd, procedure, id, data) != FALSE;
}

LRESULT DefSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const CommonControls& c = Library();
    return c.defSubclass != nullptr ? c.defSubclass(hwnd, message, wParam, lParam)
                                    : DefWindowProcW(hwnd, message, wParam, lParam);
}

void RemoveSubclass(HWND hwnd, SUBCLASSPROC procedure, UINT_PTR id) {
    const CommonControls& c = Library();
    if (c.removeSubclass != nullptr) {
        c.removeSubclass(hwnd, procedure, id);
    }
}

}  // namespace kestrel::ui

#include "ui/win32/window_icon.h"

namespace kestrel::ui {
namespace {

void SetIconOfSize(HWND hWnd, HWND owner, const char* name, int width, int height, WPARAM which) {
    // LR_SHARED: the system owns the icon, so nothing is destroyed with the window.
    HANDLE icon = LoadImageA(GetModuleHandleW(nullptr), name, IMAGE_ICON, width, height, LR_SHARED);
    if (icon == nullptr) {
        return;
    }
    SendMessageA(hWnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    if (owner != nullptr) {
        SendMessageA(owner, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

}  // namespace

void SetWindowIcon(HWND hWnd, const char* sIconName, bool bAlsoOwner) {
    HWND owner = bAlsoOwner ? GetWindow(hWnd, GW_OWNER) : nullptr;
    SetIconOfSize(hWnd, owner, sIconName, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                  ICON_BIG);
    SetIconOfSize(hWnd, owner, sIconName, GetSystemMetrics(SM_CXSMICON),
                  GetSystemMetrics(SM_CYSMICON), ICON_SMALL);
}

void SetTopMost(HWND hWnd, bool bTopMost) {
    SetWindowPos(hWnd, bTopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace kestrel::ui

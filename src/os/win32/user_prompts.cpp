#include "os/win32/windows_api.h"

#include <shlobj.h>

#include "os/win32/com_types.h"
#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

class Win32UserPrompts : public UserPrompts {
public:
    int ShowMessage(const std::string& text, const std::string& title, uint32_t style) override {
        return MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(), style);
    }

    std::string BrowseForFolder(uintptr_t ownerWindow, const std::string& prompt,
                                const std::string& root, uint32_t flags) override {
        // The new dialog style needs COM on this thread.
        ComApartment apartment;
        UniquePidl rootList;
        if (!root.empty()) {
            PIDLIST_ABSOLUTE parsed = nullptr;
            if (SUCCEEDED(SHParseDisplayName(Wide(root).c_str(), nullptr, &parsed, 0, nullptr))) {
                rootList = UniquePidl(parsed);
            }
        }
        const std::wstring title = Wide(prompt);
        wchar_t name[MAX_PATH] = {};
        BROWSEINFOW info{};
        info.hwndOwner = reinterpret_cast<HWND>(ownerWindow);
        info.pidlRoot = static_cast<PCIDLIST_ABSOLUTE>(rootList.Get());
        info.pszDisplayName = name;
        info.lpszTitle = title.c_str();
        info.ulFlags = flags;
        UniquePidl picked(SHBrowseForFolderW(&info));
        if (!picked.Valid()) {
            return {};
        }
        wchar_t path[MAX_PATH + 1] = {};
        if (!SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(picked.Get()), path)) {
            return {};
        }
        return Narrow(path);
    }

    void DoEvents() override { PumpWaitingMessages(); }
};

}  // namespace

void PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::unique_ptr<UserPrompts> MakeUserPrompts() {
    return std::make_unique<Win32UserPrompts>();
}

}  // namespace kestrel::os::win32

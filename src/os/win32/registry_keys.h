#pragma once
// The registry side of the boundary: the port's key numbers as HKEYs and back, the view as
// its KEY_WOW64_* flag, and the owner of one open key.

#include "os/registry.h"
#include "os/win32/windows_api.h"

namespace kestrel::os::win32 {

inline HKEY ToHkey(RegKey key) {
    switch (key) {
        case kHkeyClassesRoot:
            return HKEY_CLASSES_ROOT;
        case kHkeyCurrentUser:
            return HKEY_CURRENT_USER;
        case kHkeyLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case kHkeyUsers:
            return HKEY_USERS;
        case kHkeyCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case kHkeyDynData:
            return HKEY_DYN_DATA;
        default:
            return reinterpret_cast<HKEY>(static_cast<uintptr_t>(key));
    }
}

inline RegKey FromHkey(HKEY key) {
    return static_cast<RegKey>(reinterpret_cast<uintptr_t>(key));
}

inline REGSAM ViewFlag(RegView view) {
    switch (view) {
        case RegView::k64:
            return KEY_WOW64_64KEY;
        case RegView::k32:
            return KEY_WOW64_32KEY;
        default:
            return 0;
    }
}

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle key) { return key != nullptr; }
    static void Close(Handle key) { RegCloseKey(key); }
};

// One open registry key; RegCloseKey.
using UniqueKey = UniqueResource<RegistryKeyTraits>;

}  // namespace kestrel::os::win32

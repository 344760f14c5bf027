#include "os/registry.h"

#include "os/win32/registry_keys.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

namespace kestrel::os::win32 {
namespace {

// Longer than any key name (255 characters) in any code page.
constexpr DWORD kKeyNameBuffer = 1024;
// Value names are at most 16,383 characters.
constexpr DWORD kValueNameBuffer = 32768;

class Win32Registry : public Registry {
public:
    uint32_t OpenKey(RegKey parent, const std::string& subKey, uint32_t access, RegView view,
                     RegKey& key) override {
        HKEY opened = nullptr;
        LONG rc =
            RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, access | ViewFlag(view), &opened);
        if (rc == ERROR_SUCCESS) {
            key = FromHkey(opened);
        }
        return static_cast<uint32_t>(rc);
    }

    uint32_t CreateKey(RegKey parent, const std::string& subKey, uint32_t access, RegView view,
                       RegKey& key) override {
        HKEY created = nullptr;
        char noClass[] = "";
        LONG rc = RegCreateKeyExA(ToHkey(parent), subKey.c_str(), 0, noClass, 0,
                                  access | ViewFlag(view), nullptr, &created, nullptr);
        if (rc == ERROR_SUCCESS) {
            key = FromHkey(created);
        }
        return static_cast<uint32_t>(rc);
    }

    uint32_t CloseKey(RegKey key) override {
        if (IsPredefinedKey(key)) {
            return 0;
        }
        return static_cast<uint32_t>(RegCloseKey(ToHkey(key)));
    }

    uint32_t QueryValue(RegKey key, const std::string& name, uint32_t* type, std::string* data,
                        uint32_t& size) override {
        DWORD t = 0;
        DWORD n = data == nullptr ? 0 : size;
        // Most values fit the stack buffer; the answer is then copied once, at its own size.
        char small[1024];
        std::string large;
        char* buffer = small;
        if (data != nullptr && n > sizeof(small)) {
            large.resize(n);
            buffer = large.data();
        }
        BYTE* target = data == nullptr ? nullptr : reinterpret_cast<BYTE*>(buffer);
        LONG rc = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &t, target, &n);
        if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
            size = n;
            if (type != nullptr) {
                *type = t;
            }
        }
        if (rc == ERROR_SUCCESS && data != nullptr) {
            if (buffer == small) {
                data->assign(small, n);
            } else {
                large.resize(n);
                *data = std::move(large);
            }
        }
        return static_cast<uint32_t>(rc);
    }

    uint32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                      const std::string& data) override {
        return static_cast<uint32_t>(RegSetValueExA(ToHkey(key), name.c_str(), 0, type,
                                                    reinterpret_cast<const BYTE*>(data.data()),
                                                    static_cast<DWORD>(data.size())));
    }

    uint32_t DeleteValue(RegKey key, const std::string& name) override {
        return static_cast<uint32_t>(RegDeleteValueA(ToHkey(key), name.c_str()));
    }

    uint32_t DeleteKey(RegKey key, const std::string& subKey, RegView view) override {
        return static_cast<uint32_t>(
            RegDeleteKeyExA(ToHkey(key), subKey.c_str(), ViewFlag(view), 0));
    }

    uint32_t EnumKey(RegKey key, uint32_t index, std::string& name) override {
        char buffer[kKeyNameBuffer];
        DWORD n = kKeyNameBuffer;
        LONG rc = RegEnumKeyExA(ToHkey(key), index, buffer, &n, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) {
            name.assign(buffer, n);
        }
        return static_cast<uint32_t>(rc);
    }

    uint32_t EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type) override {
        std::string buffer(kValueNameBuffer, '\0');
        DWORD n = kValueNameBuffer;
        DWORD t = 0;
        LONG rc =
            RegEnumValueA(ToHkey(key), index, buffer.data(), &n, nullptr, &t, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) {
            buffer.resize(n);
            name = std::move(buffer);
            type = t;
        }
        return static_cast<uint32_t>(rc);
    }
};

}  // namespace

std::unique_ptr<Registry> MakeRegistry() {
    return std::make_unique<Win32Registry>();
}

}  // namespace kestrel::os::win32

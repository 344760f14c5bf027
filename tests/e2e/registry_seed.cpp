#include "e2e/registry_seed.h"

#include <stdexcept>

#include "e2e/test_apps.h"
#include "os/win32/windows_api.h"

namespace kestrel::e2e {
namespace {

REGSAM ViewFlag(View view) {
    return view == View::k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

}  // namespace

UninstallSeed::~UninstallSeed() {
    for (const auto& [view, subkey] : m_added) {
        HKEY parent = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_ALL_ACCESS | ViewFlag(view),
                          &parent) == ERROR_SUCCESS) {
            RegDeleteTreeA(parent, subkey.c_str());
            RegCloseKey(parent);
        }
    }
}

void UninstallSeed::Add(View view, const std::string& subkey,
                        const std::vector<SeedValue>& values) {
    HKEY key = nullptr;
    const std::string path = std::string(kUninstallKey) + "\\" + subkey;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | ViewFlag(view), nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create " + path);
    }
    for (const SeedValue& v : values) {
        RegSetValueExA(key, v.name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(v.data.c_str()),
                       static_cast<DWORD>(v.data.size() + 1));
    }
    RegCloseKey(key);
    m_added.emplace_back(view, subkey);
}

}  // namespace kestrel::e2e

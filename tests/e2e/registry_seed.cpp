#include "e2e/registry_seed.h"

#include <stdexcept>

#include "os/win32/windows_api.h"

namespace kestrel::e2e {
namespace {

constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

REGSAM ViewFlag(View view) {
    return view == View::k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

}  // namespace

UninstallSeed::~UninstallSeed() {
    for (const auto& [view, subkey] : m_added) {
        HKEY parent = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_ALL_ACCESS | ViewFlag(view),
                          &parent) == ERROR_SUCCESS) {
            RegDeleteTreeA(parent, subkey.c_str());
            RegCloseKey(parent);
        }
    }
}

void UninstallSeed::Add(View view, const std::string& subkey,
                        const std::vector<SeedValue>& values) {
    HKEY key = nullptr;
    const std::string path = std::string(kUninstall) + "\\" + subkey;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | ViewFlag(view), nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create " + path);
    }
    for (const SeedValue& v : values) {
        std::string bytes = v.data + std::string(1, '\0');
        RegSetValueExA(key, v.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    }
    RegCloseKey(key);
    m_added.emplace_back(view, subkey);
}

bool UninstallSeed::Exists(View view, const std::string& subkey) const {
    HKEY key = nullptr;
    const std::string path = std::string(kUninstall) + "\\" + subkey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | ViewFlag(view), &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

}  // namespace kestrel::e2e

// Writes a registry hive file, as a user profile's "ntuser.dat" is, for the demo machine and the
// end-to-end tests. Wine loads only hive files that its own RegSaveKey wrote (a hive file from
// Windows gives 1017), and reg.exe cannot save, so the keys and values are written below a
// scratch key of HKCU, saved with RegSaveKeyA and the scratch key deleted again.
//   kestrel_make_hive.exe <hive file> <entry>...
// An entry is a key path ("Software\Vendor\Product", made with its parents) or a text value
// ("Software\Microsoft\Windows\CurrentVersion\Run|Updater=C:\Vendor\updater.exe"). An existing
// hive file is replaced. Exit code 0 on success, else the failing Win32 error number.
#include "os/win32/windows_api.h"

#include <cstdio>
#include <string>

namespace {

const char kScratch[] = "Software\\Kestrel hive maker scratch";

LONG EnablePrivilege(const char* name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return static_cast<LONG>(GetLastError());
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LONG rc = ERROR_SUCCESS;
    if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) ||
        !AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) ||
        GetLastError() != ERROR_SUCCESS) {
        rc = static_cast<LONG>(GetLastError());
    }
    CloseHandle(token);
    return rc;
}

// One entry below the scratch key.
LONG WriteEntry(HKEY scratch, const std::string& entry) {
    const size_t bar = entry.find('|');
    const std::string keyPath = entry.substr(0, bar);
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(scratch, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr);
    if (rc != ERROR_SUCCESS || bar == std::string::npos) {
        if (key != nullptr) {
            RegCloseKey(key);
        }
        return rc;
    }
    const std::string value = entry.substr(bar + 1);
    const size_t equals = value.find('=');
    const std::string name = value.substr(0, equals);
    const std::string data = equals == std::string::npos ? "" : value.substr(equals + 1);
    rc = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return rc;
}

LONG MakeHive(const char* file, int count, char** entries) {
    HKEY scratch = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &scratch, nullptr);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    for (int i = 0; i < count && rc == ERROR_SUCCESS; ++i) {
        rc = WriteEntry(scratch, entries[i]);
    }
    if (rc == ERROR_SUCCESS && (rc = EnablePrivilege(SE_BACKUP_NAME)) == ERROR_SUCCESS) {
        DeleteFileA(file);  // RegSaveKeyA does not replace a file
        rc = RegSaveKeyA(scratch, file, nullptr);
    }
    RegCloseKey(scratch);
    const LONG removed = RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
    if (removed == ERROR_SUCCESS) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
    }
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kestrel_make_hive <hive file> <key or key|name=text>...\n");
        return ERROR_INVALID_PARAMETER;
    }
    const LONG rc = MakeHive(argv[1], argc - 2, argv + 2);
    if (rc != ERROR_SUCCESS) {
        std::fprintf(stderr, "kestrel_make_hive: error %ld writing %s\n", rc, argv[1]);
    }
    return static_cast<int>(rc);
}

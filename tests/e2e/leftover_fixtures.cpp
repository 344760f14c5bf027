#include "e2e/leftover_fixtures.h"

#include <stdexcept>

#include "base/strings.h"
#include "e2e/test_apps.h"
#include "os/win32/win32_ports.h"

namespace kestrel::e2e {

std::string Env(const char* name) {
    char buffer[MAX_PATH] = {};
    GetEnvironmentVariableA(name, buffer, MAX_PATH);
    return buffer;
}

void Require(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

void MakeFile(const std::string& path, DWORD attributes) {
    (void)os::win32::MakeFileSystem()->CreateFolderTree(path.substr(0, path.rfind('\\')));
    WriteFileText(path, "left behind\r\n");
    SetFileAttributesA(path.c_str(), attributes);
}

void MakeLeftoverFolder(const std::string& path) {
    MakeFile(path + "\\settings.ini");
    MakeFile(path + "\\cache\\data.bin");
}

void SetValue(HKEY root, const std::string& keyPath, const std::string& name,
              const std::string& data, REGSAM view) {
    HKEY key = nullptr;
    Require(RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                            &key, nullptr) == ERROR_SUCCESS,
            "creating " + keyPath);
    if (!name.empty()) {
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    }
    RegCloseKey(key);
}

RegistryEntries RegistryLeftovers(const std::string& software) {
    const std::string vendor = software + "\\" + kVendor;
    const std::string windows = software + "\\Microsoft\\Windows\\CurrentVersion";
    return {
        {vendor + "\\Product", vendor + "\\Settings|Homepage",
         windows + "\\Run|KestrelLeftoverUpdater", windows + "\\RunOnce|KestrelLeftoverUpdater",
         windows + "\\Policies\\Explorer\\Run|KestrelLeftoverUpdater"},
        {vendor + "\\Keep", vendor + "\\Settings|Language", windows + "\\Run|KestrelKeptUpdater"}};
}

std::vector<std::string> AllOf(const RegistryEntries& entries) {
    std::vector<std::string> all = entries.removed;
    all.insert(all.end(), entries.kept.begin(), entries.kept.end());
    return all;
}

void SetEntries(HKEY root, const RegistryEntries& entries, REGSAM view) {
    for (const std::string& entry : AllOf(entries)) {
        const size_t bar = entry.find('|');
        const std::string name = bar == std::string::npos ? "" : entry.substr(bar + 1);
        SetValue(root, entry.substr(0, bar), name, "C:\\" + kVendor + "\\" + name + ".exe", view);
    }
}

void MakeGuestProfile() {
    std::string line = "\"" + TestProgramFolder() + "kestrel_make_hive.exe\" \"" + kGuestProfile +
                       "\\ntuser.dat\"";
    for (const std::string& entry : AllOf(RegistryLeftovers("Software"))) {
        line += " \"" + entry + "\"";
    }
    (void)os::win32::MakeFileSystem()->CreateFolderTree(kGuestProfile);
    Require(WaitAndClose(StartProcess(line, "C:\\"), 60000) == 0,
            "writing the second profile's hive");
}

bool GuestHiveMounted() {
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(HKEY_LOCAL_MACHINE, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        if (_strnicmp(name, "guest_", 6) == 0) {
            return true;
        }
    }
}

bool ReportsDeleted(const WatchedRun& run, const std::string& entry) {
    const size_t bar = entry.find('|');
    std::vector<std::string> expected;
    if (bar == std::string::npos) {
        expected = {"- key: " + entry};
    } else {
        expected = {"- passed key: " + entry.substr(0, bar),
                    "- passed value: " + entry.substr(bar + 1)};
    }
    expected.push_back("- lresult: 0 success");
    const auto& lines = run.debugLines;
    for (size_t i = 0; i + expected.size() <= lines.size(); ++i) {
        bool all = true;
        for (size_t j = 0; j < expected.size() && all; ++j) {
            all = LCase(RTrim(lines[i + j])).ends_with(LCase(expected[j]));
        }
        if (all) {
            return true;
        }
    }
    return false;
}

}  // namespace kestrel::e2e

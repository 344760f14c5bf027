#include "e2e/test_apps.h"

#include "os/win32/windows_api.h"

#include <tlhelp32.h>

#include <stdexcept>
#include <vector>

#include "os/win32/win32_ports.h"

namespace kestrel::e2e {
namespace {

// The processes running under that file name.
std::vector<PROCESSENTRY32> Processes(const std::string& exeName) {
    std::vector<PROCESSENTRY32> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) {
            found.push_back(entry);
        }
    }
    CloseHandle(snapshot);
    return found;
}

os::FileSystem& Files() {
    static const std::unique_ptr<os::FileSystem> files = os::win32::MakeFileSystem();
    return *files;
}

void Require(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

REGSAM ViewFlag(bool view32) {
    return view32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// Reads a value of an HKLM key (64-bit view) into at most size bytes at data.
bool QueryMachineValue(const std::string& keyPath, const std::string& name, void* data,
                       DWORD size) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS rc =
        RegQueryValueExA(key, name.c_str(), nullptr, nullptr, static_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// Writes a value of an HKLM key, making the key when it is missing.
void SetMachineValue(const std::string& keyPath, const std::string& name, DWORD type,
                     const void* data, DWORD size, bool view32) {
    HKEY key = nullptr;
    Require(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE | ViewFlag(view32), nullptr, &key, nullptr) == ERROR_SUCCESS,
        "creating " + keyPath);
    RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

}  // namespace

std::string TestProgramFolder() {
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path = buffer;
    return path.substr(0, path.rfind('\\') + 1);
}

void* StartProcess(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    Require(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &si, &pi),
            "cannot start " + commandLine);
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

int WaitAndClose(void* process, unsigned timeoutMs) {
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process, &code);
    } else {
        TerminateProcess(process, 1);
    }
    CloseHandle(process);
    return static_cast<int>(code);
}

void InstallNsis(const std::string& file) {
    const std::string installer = TestProgramFolder() + "installers\\" + file + ".exe";
    Require(RunAndWait("\"" + installer + "\" /S") == 0, "installing " + file);
}

void InstallMsi() {
    // Installed from the prefix's own drive, as a technician's copy would be.
    const std::string copy = "C:\\kestrel-tests\\msi-app.msi";
    (void)Files().CreateFolder("C:\\kestrel-tests");
    Require(Files().Copy(TestProgramFolder() + "installers\\msi-app.msi", copy, false) == 0,
            "copying the test package");
    Require(RunAndWait("msiexec.exe /i \"" + copy + "\" /qn") == 0, "installing the package");
}

void InstallInnoStandIn(const std::string& folder, const std::string& key,
                        const std::string& displayName, const std::string& publisher) {
    const std::string standIn = TestProgramFolder() + "kestrel_stand_in.exe";
    Require(RunAndWait("\"" + standIn + "\" --install-inno \"" + folder + "\" \"" + key + "\" \"" +
                       displayName + "\" \"" + publisher + "\"") == 0,
            "installing the Inno Setup stand-in");
}

void StartBrowserStandIn(const std::string& path) {
    (void)Files().CreateFolderTree(path.substr(0, path.rfind('\\')));
    Require(CopyFileA((TestProgramFolder() + "kestrel_stand_in.exe").c_str(), path.c_str(), FALSE),
            "placing " + path);
    CloseHandle(StartProcess("\"" + path + "\" --stay"));
    // Running once it has written its line.
    const std::string started = path.substr(0, path.rfind('\\') + 1) + "started.txt";
    for (int i = 0; i < 200 && !PathExists(started); ++i) {
        Sleep(25);
    }
}

bool MachineKeyExists(const std::string& keyPath, bool view32) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ | ViewFlag(view32), &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::optional<std::string> MachineText(const std::string& keyPath, const std::string& name) {
    char data[2048] = {};
    if (!QueryMachineValue(keyPath, name, data, sizeof(data) - 1)) {
        return std::nullopt;
    }
    return std::string(data);
}

std::optional<unsigned> MachineDword(const std::string& keyPath, const std::string& name) {
    DWORD value = 0;
    if (!QueryMachineValue(keyPath, name, &value, sizeof(value))) {
        return std::nullopt;
    }
    return value;
}

void SetMachineText(const std::string& keyPath, const std::string& name, const std::string& value,
                    bool view32) {
    SetMachineValue(keyPath, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1),
                    view32);
}

void SetMachineDword(const std::string& keyPath, const std::string& name, unsigned value) {
    const DWORD data = value;
    SetMachineValue(keyPath, name, REG_DWORD, &data, sizeof(data), false);
}

bool Registered(const std::string& subkey, bool view32) {
    return MachineKeyExists(std::string(kUninstallKey) + "\\" + subkey, view32);
}

void Register(const std::string& subkey,
              const std::vector<std::pair<std::string, std::string>>& values, bool view32) {
    for (const auto& [name, data] : values) {
        SetMachineText(std::string(kUninstallKey) + "\\" + subkey, name, data, view32);
    }
}

bool PathExists(const std::string& path) {
    return Files().Attributes(path) != os::kInvalidAttributes;
}

std::optional<std::string> ReadFileText(const std::string& path) {
    std::string bytes;
    return Files().ReadAll(path, bytes) == 0 ? std::optional(bytes) : std::nullopt;
}

void WriteFileText(const std::string& path, const std::string& bytes) {
    Require(Files().Write(path, bytes, os::WriteMode::kTruncate) == 0, "writing " + path);
}

int CountProcesses(const std::string& exeName) {
    return static_cast<int>(Processes(exeName).size());
}

void EndProcesses(const std::string& exeName) {
    for (const PROCESSENTRY32& p : Processes(exeName)) {
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, p.th32ProcessID);
        if (h != nullptr) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 10000);
            CloseHandle(h);
        }
    }
}

}  // namespace kestrel::e2e

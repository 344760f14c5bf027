// Stand-ins for programs that uninstall tests meet, chosen by the program's own file name:
//
// - "unins000.exe": an Inno Setup uninstaller. It appends its command line to
//   "uninstall-calls.txt" beside itself and removes its application's Uninstall entry (the key
//   named in "unins000.dat" beside it). Started without "/silent" it waits for a person, as the
//   real one does, that is: it hangs.
// - any other name (a browser such as "firefox.exe"): it appends its command line and the
//   browser guard's "Debugger" value for its own name to "started.txt" beside itself, then
//   ends, or with "--stay" keeps running.
//
//   kestrel_stand_in.exe --install-inno <folder> <key> <display name> <publisher>
// installs the Inno Setup stand-in: unins000.exe in the folder and its Uninstall entry, with
// the "Inno Setup: Setup Version" value that marks Inno Setup applications.
#include "os/win32/windows_api.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kIfeo =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";

std::string OwnPath() {
    char buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, n);
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('\\') + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

void Append(const std::string& file, const std::string& text) {
    HANDLE h = CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

std::string ReadAll(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return {};
    }
    char buffer[1024];
    DWORD got = 0;
    std::string text;
    if (ReadFile(h, buffer, sizeof(buffer), &got, nullptr)) {
        text.assign(buffer, got);
    }
    CloseHandle(h);
    return text;
}

bool SetText(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

int InstallInno(const std::string& folder, const std::string& key, const std::string& name,
                const std::string& publisher) {
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string uninstaller = folder + "\\unins000.exe";
    if (!CopyFileA(OwnPath().c_str(), uninstaller.c_str(), FALSE)) {
        return 2;
    }
    DeleteFileA((folder + "\\unins000.dat").c_str());
    Append(folder + "\\unins000.dat", key);
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + key).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &h, nullptr) != ERROR_SUCCESS) {
        return 3;
    }
    bool ok = SetText(h, "DisplayName", name) && SetText(h, "Publisher", publisher) &&
              SetText(h, "UninstallString", "\"" + uninstaller + "\"") &&
              SetText(h, "Inno Setup: Setup Version", "5.5.9 (u)") &&
              SetText(h, "InstallLocation", folder + "\\");
    RegCloseKey(h);
    return ok ? 0 : 4;
}

int UninstallInno(const std::string& commandLine) {
    const std::string folder = FolderOf(OwnPath());
    Append(folder + "uninstall-calls.txt", commandLine + "\r\n");
    if (Lower(commandLine).find("/silent") == std::string::npos) {
        Sleep(600000);  // the confirmation nobody answers
        return 1;
    }
    const std::string key = ReadAll(folder + "unins000.dat");
    if (key.empty()) {
        return 2;
    }
    return RegDeleteKeyExA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + key).c_str(),
                           KEY_WOW64_64KEY, 0) == ERROR_SUCCESS
               ? 0
               : 3;
}

int RunAsBrowser(const std::string& commandLine, const std::string& ownName) {
    std::string debugger = "(none)";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kIfeo) + ownName).c_str(), 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        char value[512] = {};
        DWORD size = sizeof(value) - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key, "Debugger", nullptr, &type, reinterpret_cast<BYTE*>(value),
                             &size) == ERROR_SUCCESS) {
            debugger = value;
        }
        RegCloseKey(key);
    }
    Append(FolderOf(OwnPath()) + "started.txt", commandLine + "|Debugger=" + debugger + "\r\n");
    if (commandLine.find("--stay") != std::string::npos) {
        Sleep(600000);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "--install-inno") == 0) {
        return InstallInno(argv[2], argv[3], argv[4], argv[5]);
    }
    const std::string self = OwnPath();
    const std::string name = Lower(self.substr(self.rfind('\\') + 1));
    const std::string commandLine = GetCommandLineA();
    if (name.rfind("unins", 0) == 0) {
        return UninstallInno(commandLine);
    }
    return RunAsBrowser(commandLine, name);
}

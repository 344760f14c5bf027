#pragma once
// The real applications the uninstall tests install (built by the test build into
// K:\installers), and what the tests look at on the machine afterwards.

#include <optional>
#include <string>

namespace kestrel::e2e {

inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kIfeoKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";

// Starts a command line and waits for it; its exit code, or -1 when it ran out of time (it is
// then ended).
int RunAndWait(const std::string& commandLine, unsigned timeoutMs = 60000);

// The NSIS test installer K:\installers\<file>.exe, run silently.
void InstallNsis(const std::string& file);
// The Windows Installer test package, installed quietly.
void InstallMsi();
inline constexpr const char* kMsiProductCode = "{7E1D3C55-2A8B-4C6F-9E0A-5B3D1F2C4A61}";
// The Inno Setup stand-in: unins000.exe in folder and its Uninstall entry under key.
void InstallInnoStandIn(const std::string& folder, const std::string& key,
                        const std::string& displayName, const std::string& publisher);
// A copy of the stand-in at path (for example a "firefox.exe"), and a start of it that keeps
// running, as an open browser.
void PlaceBrowserStandIn(const std::string& path);
void StartBrowserStandIn(const std::string& path);

// HKLM keys and text values, in the 64-bit view or (view32) the 32-bit one.
bool MachineKeyExists(const std::string& keyPath, bool view32 = false);
std::optional<std::string> MachineText(const std::string& keyPath, const std::string& name);
void SetMachineText(const std::string& keyPath, const std::string& name, const std::string& value);
void SetMachineDword(const std::string& keyPath, const std::string& name, unsigned value);
// Deletes a key without subkeys.
void DeleteMachineKey(const std::string& keyPath);
std::optional<unsigned> MachineDword(const std::string& keyPath, const std::string& name);
// The Uninstall entry of an application.
bool Registered(const std::string& subkey, bool view32 = false);

// Wine does not honour Image File Execution Options: a program whose key names a "Debugger"
// starts all the same. Windows starts the debugger instead.
bool DebuggerValuesIgnored();

bool PathExists(const std::string& path);
std::optional<std::string> ReadFileText(const std::string& path);
// Processes running under that file name, and their end.
int CountProcesses(const std::string& exeName);
void EndProcesses(const std::string& exeName);

}  // namespace kestrel::e2e

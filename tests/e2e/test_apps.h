#pragma once
// The real applications the uninstall tests install (built by the test build into
// K:\installers), and what the tests look at on the machine afterwards.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::e2e {

inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kIfeoKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";

// The folder of the running test program (K:\ under the build's runner), with "\".
std::string TestProgramFolder();

// Starts a command line in folder (this program's own when ""); the process handle. Throws
// when it cannot start.
void* StartProcess(const std::string& commandLine, const std::string& folder = "");
// Waits for a started process and closes its handle: its exit code, or -1 when it ran out of
// time (it is then ended).
int WaitAndClose(void* process, unsigned timeoutMs);
inline int RunAndWait(const std::string& commandLine, unsigned timeoutMs = 60000) {
    return WaitAndClose(StartProcess(commandLine), timeoutMs);
}

// The NSIS test installer K:\installers\<file>.exe, run silently.
void InstallNsis(const std::string& file);
// The Windows Installer test package, installed quietly.
void InstallMsi();
inline constexpr const char* kMsiProductCode = "{7E1D3C55-2A8B-4C6F-9E0A-5B3D1F2C4A61}";
// The Inno Setup stand-in: unins000.exe in folder and its Uninstall entry under key.
void InstallInnoStandIn(const std::string& folder, const std::string& key,
                        const std::string& displayName, const std::string& publisher);
// A copy of the stand-in at path (for example a "firefox.exe"), started to keep running, as an
// open browser.
void StartBrowserStandIn(const std::string& path);

// HKLM keys and values, in the 64-bit view or (view32) the 32-bit one; keys are made when
// missing. The suites that change the machine run in fresh copies of the prefix, so what they
// add stays.
inline constexpr bool kView32 = true;
bool MachineKeyExists(const std::string& keyPath, bool view32 = false);
std::optional<std::string> MachineText(const std::string& keyPath, const std::string& name);
std::optional<unsigned> MachineDword(const std::string& keyPath, const std::string& name);
void SetMachineText(const std::string& keyPath, const std::string& name, const std::string& value,
                    bool view32 = false);
void SetMachineDword(const std::string& keyPath, const std::string& name, unsigned value);
// The Uninstall entry of an application, and one written straight in (text values).
bool Registered(const std::string& subkey, bool view32 = false);
void Register(const std::string& subkey,
              const std::vector<std::pair<std::string, std::string>>& values, bool view32 = false);

bool PathExists(const std::string& path);
std::optional<std::string> ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& bytes);  // throws when it cannot
// Processes running under that file name, and their end.
int CountProcesses(const std::string& exeName);
void EndProcesses(const std::string& exeName);

}  // namespace kestrel::e2e

// The real registry, security and process ports under Wine, with keys of their own.
#include <atomic>

#include "base/strip.h"
#include "contract/registry_world.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "support/child_mode.h"
#include "win32/os_world.h"
#include "win32/win32_machine.h"

namespace kestrel::testing {
namespace {

std::string CurrentAccount() {
    char name[256] = {};
    DWORD n = sizeof(name);
    return GetUserNameA(name, &n) ? std::string(name) : std::string();
}

class Win32RegistryWorld : public RegistryWorld {
public:
    Win32RegistryWorld()
        : m_registry(os::win32::MakeRegistry()), m_security(os::win32::MakeSecurity()) {}
    os::Registry& Registry() override { return *m_registry; }
    os::Security& Security() override { return *m_security; }
    std::string UserKey() override { return m_keys.user; }
    std::string MachineKey() override { return m_keys.machine; }
    std::string CurrentUser() override { return CurrentAccount(); }
    bool DeletesIgnoreDenyEntries() const override { return RunningUnderWine(); }
    bool AddsMissingNul() const override { return RunningUnderWine(); }

private:
    std::unique_ptr<os::Registry> m_registry;
    std::unique_ptr<os::Security> m_security;
    TestKeys m_keys;
};

class Win32ProcessWorld : public ProcessWorld {
public:
    Win32ProcessWorld()
        : m_processes(os::win32::MakeProcesses()), m_query(os::win32::MakeProcessQuery()) {}
    os::Processes& Processes() override { return *m_processes; }
    std::string Child(const std::string& steps) override { return ChildCommandLine(steps); }
    std::string MissingProgram() override {
        return "\"C:\\kestrel-tests\\no such folder\\missing.exe\" /x";
    }
    uint32_t OwnPid() override { return GetCurrentProcessId(); }
    uint32_t Now() override { return GetTickCount(); }
    os::ProcessQuery& Query() override { return *m_query; }
    std::string ChildName() override { return StripPath(TestProgramPath()); }
    std::string CurrentUser() override { return CurrentAccount(); }
    bool WmiTerminateMissing() const override { return RunningUnderWine(); }

private:
    std::unique_ptr<os::Processes> m_processes;
    std::unique_ptr<os::ProcessQuery> m_query;
};

void DeleteTree(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
        RegDeleteTreeA(key, nullptr);
        RegCloseKey(key);
    }
    RegDeleteKeyExA(root, path.c_str(), view, 0);
}

}  // namespace

TestKeys::TestKeys() {
    static std::atomic<int> counter{0};
    const std::string leaf =
        std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    user = "Software\\KestrelTests\\" + leaf;
    machine = "SOFTWARE\\KestrelTests\\" + leaf;
}

TestKeys::~TestKeys() {
    // Only ever below the tests' own parent keys.
    if (user.rfind("Software\\KestrelTests\\", 0) == 0) {
        DeleteTree(HKEY_CURRENT_USER, user, 0);
        RegDeleteKeyExA(HKEY_CURRENT_USER, "Software\\KestrelTests", 0, 0);
    }
    if (machine.rfind("SOFTWARE\\KestrelTests\\", 0) == 0) {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            DeleteTree(HKEY_LOCAL_MACHINE, machine, view);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KestrelTests", view, 0);
        }
    }
}

std::unique_ptr<RegistryWorld> MakeWin32RegistryWorld() {
    return std::make_unique<Win32RegistryWorld>();
}

std::unique_ptr<ProcessWorld> MakeWin32ProcessWorld() {
    return std::make_unique<Win32ProcessWorld>();
}

}  // namespace kestrel::testing

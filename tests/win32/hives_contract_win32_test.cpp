// The hives port's contract against the real calls (under Wine), in a scratch folder, with a
// key of its own to save from and a name of its own to mount.
#include <atomic>

#include "contract/hive_world.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "win32/os_world.h"
#include "win32/win32_machine.h"
#include "win32/win32_world.h"

namespace kestrel::testing {
namespace {

class Win32HiveWorld : public HiveWorld {
public:
    Win32HiveWorld()
        : m_registry(os::win32::MakeRegistry()),
          m_security(os::win32::MakeSecurity()),
          m_hives(os::win32::MakeHives()),
          m_files(os::win32::MakeFileSystem()),
          m_folder(MakeScratchFolder("hives")) {
        static std::atomic<int> counter{0};
        m_mountName = "KestrelHive-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++counter);
    }
    ~Win32HiveWorld() override {
        // Whatever a failed case left: a mounted hive first, then an ordinary key.
        RegUnLoadKeyA(HKEY_LOCAL_MACHINE, m_mountName.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_mountName.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_mountName.c_str());
        RemoveTree(m_folder);
    }
    os::Registry& Registry() override { return *m_registry; }
    os::Security& Security() override { return *m_security; }
    os::Hives& Hives() override { return *m_hives; }
    os::FileSystem& Files() override { return *m_files; }
    std::string Folder() override { return m_folder; }
    std::string UserKey() override { return m_keys.user; }
    std::string MountName() override { return m_mountName; }
    bool SaveReplacesFiles() const override { return RunningUnderWine(); }
    uint32_t NotAHiveError() const override { return RunningUnderWine() ? 1017 : 1009; }
    uint32_t TakenNameError() const override { return RunningUnderWine() ? 183 : 5; }
    bool UnloadsOrdinaryKeys() const override { return RunningUnderWine(); }
    bool KeepsKeyOfABadHive() const override { return RunningUnderWine(); }

private:
    std::unique_ptr<os::Registry> m_registry;
    std::unique_ptr<os::Security> m_security;
    std::unique_ptr<os::Hives> m_hives;
    std::unique_ptr<os::FileSystem> m_files;
    std::string m_folder;
    std::string m_mountName;
    TestKeys m_keys;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, HivesContract,
                         ::testing::Values(Maker<HiveWorld>{
                             "Win32", [] { return std::make_unique<Win32HiveWorld>(); }}),
                         MakerName<HiveWorld>);

}  // namespace kestrel::testing

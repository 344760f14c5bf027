// The system handle port's contract against the real calls (under Wine), with a child copy of
// the test program holding a file of a scratch folder.
#include "contract/system_handles_world.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "support/child_mode.h"
#include "win32/win32_world.h"

namespace kestrel::testing {
namespace {

// Long enough for any start under Wine, short enough to fail rather than hang.
constexpr DWORD kPatience = 20000;

class Win32SystemHandlesWorld : public SystemHandlesWorld {
public:
    Win32SystemHandlesWorld()
        : m_handles(os::win32::MakeSystemHandles()),
          m_processes(os::win32::MakeProcesses()),
          m_files(os::win32::MakeFileSystem()),
          m_volumes(os::win32::MakeVolumes()),
          m_root(MakeScratchFolder("handles")) {}
    ~Win32SystemHandlesWorld() override { RemoveTree(m_root); }
    os::SystemHandles& Handles() override { return *m_handles; }
    os::Processes& Processes() override { return *m_processes; }
    os::FileSystem& Files() override { return *m_files; }
    os::Volumes& Drives() override { return *m_volumes; }
    std::string Root() override { return m_root; }
    uint32_t StartHolder(const std::string& path, os::StartedProcess& child) override {
        const uint32_t rc =
            m_processes->Start(ChildCommandLine("hold:" + path + ",sleep:60000"), 0, false, child);
        return rc != 0 ? rc : WaitUntilHeld(path);
    }
    std::string ChildName() override {
        const std::string self = TestProgramPath();
        return self.substr(self.find_last_of('\\') + 1);
    }

    // The child marks the file once it holds it.
    static uint32_t WaitUntilHeld(const std::string& path) {
        for (DWORD waited = 0; waited < kPatience; waited += 20) {
            if (GetFileAttributesA((path + ".held").c_str()) != INVALID_FILE_ATTRIBUTES) {
                return 0;
            }
            Sleep(20);
        }
        return WAIT_TIMEOUT;
    }

private:
    std::unique_ptr<os::SystemHandles> m_handles;
    std::unique_ptr<os::Processes> m_processes;
    std::unique_ptr<os::FileSystem> m_files;
    std::unique_ptr<os::Volumes> m_volumes;
    std::string m_root;
};

std::unique_ptr<SystemHandlesWorld> MakeWin32SystemHandlesWorld() {
    return std::make_unique<Win32SystemHandlesWorld>();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, SystemHandlesContract,
                         ::testing::Values(Maker<SystemHandlesWorld>{"Win32",
                                                                     MakeWin32SystemHandlesWorld}),
                         MakerName<SystemHandlesWorld>);

}  // namespace kestrel::testing

#include "contract/worlds.h"
#include "os/fake/fake_file_system.h"
#include "os/fake/fake_profile_strings.h"
#include "os/fake/fake_shell_files.h"
#include "os/fake/fake_system_info.h"
#include "os/fake/fake_volumes.h"

namespace kestrel::testing {
namespace {

class FakeFileWorld : public FileWorld {
public:
    FakeFileWorld() {
        m_files.AddDrive("C:");
        m_files.AddFolder("C:\\work\\scratch");
        m_files.AddFolder("C:\\work\\temp");
        m_files.AddFolder("C:\\Users\\Public");
        m_files.tempFolder = "C:\\work\\temp\\";
    }
    os::FileSystem& Files() override { return m_files; }
    os::ProfileStrings& Ini() override { return m_ini; }
    std::string Root() override { return "C:\\work\\scratch"; }
    void Lock(const std::string& path) override { m_files.SetLocked(path, true); }
    void Unlock(const std::string& path) override { m_files.SetLocked(path, false); }
    os::ShellFiles& Shell() override { return m_shell; }
    os::Volumes& Drives() override { return m_volumes; }
    os::SystemInfo& System() override { return m_system; }
    bool MakeJunction(const std::string& link, const std::string& target) override {
        m_files.AddLink(link, target);
        return true;
    }

private:
    os::fake::FakeFileSystem m_files;
    os::fake::FakeProfileStrings m_ini{m_files};
    os::fake::FakeShellFiles m_shell{m_files};
    os::fake::FakeVolumes m_volumes{m_files};
    os::fake::FakeSystemInfo m_system;
};

}  // namespace

std::unique_ptr<FileWorld> MakeFakeFileWorld() {
    return std::make_unique<FakeFileWorld>();
}

}  // namespace kestrel::testing

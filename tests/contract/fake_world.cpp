#include "contract/worlds.h"
#include "os/fake/fake_file_system.h"
#include "os/fake/fake_profile_strings.h"

namespace kestrel::testing {
namespace {

class FakeFileWorld : public FileWorld {
public:
    FakeFileWorld() {
        m_files.AddDrive("C:");
        m_files.AddFolder("C:\\work\\scratch");
    }
    os::FileSystem& Files() override { return m_files; }
    os::ProfileStrings& Ini() override { return m_ini; }
    std::string Root() override { return "C:\\work\\scratch"; }
    void Lock(const std::string& path) override { m_files.SetLocked(path, true); }
    void Unlock(const std::string& path) override { m_files.SetLocked(path, false); }
    bool IsReal() const override { return false; }

private:
    os::fake::FakeFileSystem m_files;
    os::fake::FakeProfileStrings m_ini{m_files};
};

}  // namespace

std::unique_ptr<FileWorld> MakeFakeFileWorld() {
    return std::make_unique<FakeFileWorld>();
}

}  // namespace kestrel::testing

#include "contract/hive_world.h"
#include "os/fake/fake_file_system.h"
#include "os/fake/fake_hives.h"
#include "os/fake/fake_registry.h"
#include "os/fake/fake_security.h"

namespace kestrel::testing {
namespace {

class FakeHiveWorld : public HiveWorld {
public:
    FakeHiveWorld() {
        m_files.AddDrive("C:");
        m_files.AddFolder("C:\\work\\hives");
    }
    os::Registry& Registry() override { return m_registry; }
    os::Security& Security() override { return m_security; }
    os::Hives& Hives() override { return m_hives; }
    os::FileSystem& Files() override { return m_files; }
    std::string Folder() override { return "C:\\work\\hives"; }
    std::string UserKey() override { return "Software\\KestrelTests\\fake-1"; }
    std::string MountName() override { return "KestrelHive-fake-1"; }

private:
    os::fake::FakeRegistry m_registry;
    os::fake::FakeFileSystem m_files;
    os::fake::FakeSecurity m_security{m_registry};
    os::fake::FakeHives m_hives{m_registry, m_files, m_security};
};

}  // namespace

std::unique_ptr<HiveWorld> MakeFakeHiveWorld() {
    return std::make_unique<FakeHiveWorld>();
}

}  // namespace kestrel::testing

#pragma once
// Hive files over the fake registry and file system. A saved hive is a text file (a header
// line, then one line per key and per value, every field in hex); loading one builds its tree
// below HKLM or HKU and remembers the file, unloading writes the tree back to that file (as
// Windows does) and removes it. Loading and unloading need SeRestorePrivilege enabled in the
// fake security, saving SeBackupPrivilege (1314 otherwise).

#include <map>
#include <string>

#include "os/fake/fake_file_system.h"
#include "os/fake/fake_registry.h"
#include "os/fake/fake_security.h"
#include "os/hives.h"

namespace kestrel::os::fake {

class FakeHives : public Hives {
public:
    FakeHives(FakeRegistry& registry, FakeFileSystem& files, FakeSecurity& security);

    // A hive that will not unload: the next count unloads of the mounted name (any letter
    // case) answer 5, as a hive another program holds open does; a negative count never ends.
    void HoldOpen(const std::string& name, int count = -1);
    // The file mounted as root\name, "" when none is.
    std::string MountedFile(RegKey root, const std::string& name) const;

    uint32_t LoadKey(RegKey root, const std::string& name, const std::string& file) override;
    uint32_t UnLoadKey(RegKey root, const std::string& name) override;
    uint32_t SaveKey(RegKey key, const std::string& file) override;

private:
    bool Enabled(const char* privilege) const;
    uint32_t WriteTree(RegKey key, const std::string& file, WriteMode mode);

    FakeRegistry& m_registry;
    FakeFileSystem& m_files;
    FakeSecurity& m_security;
    std::map<std::string, std::string> m_mounted;  // "hklm\name" -> file
    std::map<std::string, int> m_heldOpen;         // lower-case name -> unloads that fail
};

}  // namespace kestrel::os::fake

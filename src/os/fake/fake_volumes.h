#pragma once
// The drives of a FakeFileSystem as volumes: every drive root of the file system is a ready,
// fixed drive with 40 GB free of 100 GB unless a test says otherwise.

#include <map>
#include <string>

#include "os/fake/fake_file_system.h"
#include "os/volumes.h"

namespace kestrel::os::fake {

class FakeVolumes : public Volumes {
public:
    struct Volume {
        uint32_t type = drive_type::kFixed;
        bool ready = true;
        uint64_t freeBytes = 40ull << 30;
        uint64_t totalBytes = 100ull << 30;
    };

    explicit FakeVolumes(FakeFileSystem& files) : m_files(files) {}

    // Describes the drive of a letter ("D"); the drive is added to the file system.
    void SetVolume(char letter, const Volume& volume);

    std::vector<std::string> LogicalDrives() override;
    uint32_t DriveType(const std::string& root) override;
    bool IsReady(const std::string& root) override;
    uint32_t FreeSpace(const std::string& root, uint64_t& freeToCaller, uint64_t& total) override;

private:
    // The volume of a root such as "C:\" or "c:"; nothing for other texts and absent drives.
    const Volume* Find(const std::string& root);

    FakeFileSystem& m_files;
    std::map<char, Volume> m_volumes;  // by upper-case letter
    Volume m_default;
};

}  // namespace kestrel::os::fake

#include "os/fake/fake_volumes.h"

#include <cctype>

namespace kestrel::os::fake {

void FakeVolumes::SetVolume(char letter, const Volume& volume) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    m_volumes[upper] = volume;
    m_files.AddDrive(std::string(1, upper) + ":");
}

const FakeVolumes::Volume* FakeVolumes::Find(const std::string& root) {
    if (root.size() < 2 || root[1] != ':' || (root.size() > 2 && root.substr(2) != "\\")) {
        return nullptr;
    }
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    for (const std::string& drive : m_files.Drives()) {
        if (drive[0] == upper) {
            auto it = m_volumes.find(upper);
            return it == m_volumes.end() ? &m_default : &it->second;
        }
    }
    return nullptr;
}

std::vector<std::string> FakeVolumes::LogicalDrives() {
    std::vector<std::string> roots;
    for (const std::string& drive : m_files.Drives()) {
        roots.push_back(drive + "\\");
    }
    return roots;
}

uint32_t FakeVolumes::DriveType(const std::string& root) {
    const Volume* volume = Find(root);
    return volume == nullptr ? drive_type::kNoRootDir : volume->type;
}

bool FakeVolumes::IsReady(const std::string& root) {
    const Volume* volume = Find(root);
    return volume != nullptr && volume->ready;
}

uint32_t FakeVolumes::FreeSpace(const std::string& root, uint64_t& freeToCaller, uint64_t& total) {
    const Volume* volume = Find(root);
    if (volume == nullptr) {
        return 3;  // ERROR_PATH_NOT_FOUND
    }
    if (!volume->ready) {
        return 21;  // ERROR_NOT_READY
    }
    freeToCaller = volume->freeBytes;
    total = volume->totalBytes;
    return 0;
}

}  // namespace kestrel::os::fake

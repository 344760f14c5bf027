#pragma once
// Port: the drives of the machine and their volumes.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::os {

// GetDriveType's answers.
namespace drive_type {
inline constexpr uint32_t kUnknown = 0;
inline constexpr uint32_t kNoRootDir = 1;  // no such drive
inline constexpr uint32_t kRemovable = 2;
inline constexpr uint32_t kFixed = 3;
inline constexpr uint32_t kRemote = 4;
inline constexpr uint32_t kCdRom = 5;
inline constexpr uint32_t kRamDisk = 6;
}  // namespace drive_type

class Volumes {
public:
    virtual ~Volumes() = default;

    // GetLogicalDriveStringsA: the roots ("C:\") in the order Windows gives them.
    virtual std::vector<std::string> LogicalDrives() = 0;
    // GetDriveTypeA of a root such as "C:\".
    virtual uint32_t DriveType(const std::string& root) = 0;
    // GetVolumeInformationA of a root succeeds: the drive has a readable volume (a card
    // reader or an optical drive without a medium is not ready).
    [[nodiscard]] virtual bool IsReady(const std::string& root) = 0;
    // GetDiskFreeSpaceExA: the bytes free to this user and the size of the volume; the Win32
    // error (3 for a drive that does not exist, 21 for one that is not ready).
    [[nodiscard]] virtual uint32_t FreeSpace(const std::string& root, uint64_t& freeToCaller,
                                             uint64_t& total) = 0;
};

}  // namespace kestrel::os

#pragma once
// Port: what Windows tells about itself: the version record, the start mode, the edition and
// the profiles folder.

#include <cstdint>
#include <string>

namespace kestrel::os {

// The fields of OSVERSIONINFOEXA as GetVersionExA fills them.
struct OsVersionRecord {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0;
    std::string csdVersion;  // the whole 128-byte field, NULs included
    uint16_t servicePackMajor = 0;
    uint16_t servicePackMinor = 0;
    uint16_t suiteMask = 0;
    uint8_t productType = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // GetVersionExA with the extended record (156 bytes) or, when extended is false, with the
    // short one (148 bytes), which leaves the service-pack numbers, suite mask and product
    // type at 0. False when the call fails. Windows 8.1 and later give their real version only
    // to a program whose manifest declares them (Kestrel.exe's declares Windows 10, so 10.0
    // comes through for 10 and 11); any other program is told 6.2.
    [[nodiscard]] virtual bool Version(bool extended, OsVersionRecord& record) = 0;
    // GetSystemMetrics(SM_CLEANBOOT): 0 normal start, 1 safe mode, 2 safe mode with network.
    virtual int CleanBoot() = 0;
    // OperatingSystemSKU of the last Win32_OperatingSystem instance (WMI, root\cimv2). False
    // when the query fails.
    [[nodiscard]] virtual bool OperatingSystemSku(uint32_t& sku) = 0;
    // GetProfilesDirectoryA with a buffer of 255 characters; "" when it fails.
    virtual std::string ProfilesDirectory() = 0;
};

}  // namespace kestrel::os

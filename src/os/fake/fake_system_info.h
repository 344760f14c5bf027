#pragma once
// What a fake Windows says about itself: by default Windows 7 SP1 Professional, 64-bit
// workstation, normal start, profiles in "C:\Users".

#include "os/system_info.h"

namespace kestrel::os::fake {

class FakeSystemInfo : public SystemInfo {
public:
    FakeSystemInfo() {
        record.major = 6;
        record.minor = 1;
        record.build = 7601;
        record.platformId = 2;
        record.csdVersion = std::string("Service Pack 1") + std::string(114, '\0');
        record.servicePackMajor = 1;
        record.suiteMask = 0x100;
        record.productType = 1;
    }

    OsVersionRecord record;
    bool extendedRecordWorks = true;  // false: only the short record can be read
    bool versionWorks = true;
    int cleanBoot = 0;
    bool skuWorks = true;
    uint32_t sku = 48;
    int skuQueries = 0;
    std::string profilesDirectory = "C:\\Users";

    bool Version(bool extended, OsVersionRecord& out) override {
        if (!versionWorks || (extended && !extendedRecordWorks)) {
            return false;
        }
        out = record;
        if (!extended) {
            out.servicePackMajor = out.servicePackMinor = out.suiteMask = 0;
            out.productType = 0;
        }
        return true;
    }
    int CleanBoot() override { return cleanBoot; }
    bool OperatingSystemSku(uint32_t& out) override {
        ++skuQueries;
        if (skuWorks) {
            out = sku;
        }
        return skuWorks;
    }
    std::string ProfilesDirectory() override { return profilesDirectory; }
};

}  // namespace kestrel::os::fake

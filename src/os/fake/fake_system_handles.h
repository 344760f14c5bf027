#pragma once
// Placeholder fake of the system handle list: every call answers ERROR_NOT_SUPPORTED (50).

#include "os/system_handles.h"

namespace kestrel::os::fake {

class FakeSystemHandles : public SystemHandles {
public:
    uint32_t OpenNul(OwnHandle&) override { return 50; }
    uint32_t List(std::vector<SystemHandle>&) override { return 50; }
    uint32_t Duplicate(uint32_t, uint64_t, bool, OwnHandle&) override { return 50; }
    uint32_t FileType(OwnHandle, uint32_t, uint32_t&) override { return 50; }
    uint32_t ObjectName(OwnHandle, std::string&) override { return 50; }
    uint32_t Close(OwnHandle) override { return 50; }
    uint32_t DosDevice(const std::string&, std::string&) override { return 50; }
    uint32_t CommandLine(uint32_t, std::string&) override { return 50; }
    uint32_t IsCritical(uint32_t, bool&) override { return 50; }
};

}  // namespace kestrel::os::fake

#include "os/system_handles.h"

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

namespace kestrel::os::win32 {
namespace {

// Placeholder until the native handle calls are in: every call answers ERROR_NOT_SUPPORTED.
class Win32SystemHandles : public SystemHandles {
public:
    uint32_t OpenNul(OwnHandle&) override { return ERROR_NOT_SUPPORTED; }
    uint32_t List(std::vector<SystemHandle>&) override { return ERROR_NOT_SUPPORTED; }
    uint32_t Duplicate(uint32_t, uint64_t, bool, OwnHandle&) override {
        return ERROR_NOT_SUPPORTED;
    }
    uint32_t FileType(OwnHandle, uint32_t, uint32_t&) override { return ERROR_NOT_SUPPORTED; }
    uint32_t ObjectName(OwnHandle, std::string&) override { return ERROR_NOT_SUPPORTED; }
    uint32_t Close(OwnHandle) override { return ERROR_NOT_SUPPORTED; }
    uint32_t DosDevice(const std::string&, std::string&) override { return ERROR_NOT_SUPPORTED; }
    uint32_t CommandLine(uint32_t, std::string&) override { return ERROR_NOT_SUPPORTED; }
    uint32_t IsCritical(uint32_t, bool&) override { return ERROR_NOT_SUPPORTED; }
};

}  // namespace

std::unique_ptr<SystemHandles> MakeSystemHandles() {
    return std::make_unique<Win32SystemHandles>();
}

}  // namespace kestrel::os::win32

#include "os/win32/windows_api.h"

#include <vector>

#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

class Win32Volumes : public Volumes {
public:
    std::vector<std::string> LogicalDrives() override {
        std::vector<char> buffer(512);
        DWORD n = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n > buffer.size()) {
            buffer.resize(n + 1);
            n = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
        }
        std::vector<std::string> roots;
        for (size_t i = 0; i < n && i < buffer.size() && buffer[i] != '\0';) {
            std::string root(buffer.data() + i);
            i += root.size() + 1;
            roots.push_back(std::move(root));
        }
        return roots;
    }

    uint32_t DriveType(const std::string& root) override { return GetDriveTypeA(root.c_str()); }

    bool IsReady(const std::string& root) override {
        // No "insert a disk" box for an empty drive: the answer is just "not ready".
        UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        BOOL ok =
            GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
        SetErrorMode(old);
        return ok != FALSE;
    }

    uint32_t FreeSpace(const std::string& root, uint64_t& freeToCaller, uint64_t& total) override {
        ULARGE_INTEGER available{}, size{}, free{};
        UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        BOOL ok = GetDiskFreeSpaceExA(root.c_str(), &available, &size, &free);
        DWORD error = ok ? 0 : GetLastError();
        SetErrorMode(old);
        if (ok) {
            freeToCaller = available.QuadPart;
            total = size.QuadPart;
        }
        return error;
    }
};

}  // namespace

std::unique_ptr<Volumes> MakeVolumes() {
    return std::make_unique<Win32Volumes>();
}

}  // namespace kestrel::os::win32

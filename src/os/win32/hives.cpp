#include "os/hives.h"

#include "os/win32/registry_keys.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

namespace kestrel::os::win32 {
namespace {

class Win32Hives : public Hives {
public:
    uint32_t LoadKey(RegKey root, const std::string& name, const std::string& file) override {
        return static_cast<uint32_t>(RegLoadKeyA(ToHkey(root), name.c_str(), file.c_str()));
    }

    uint32_t UnLoadKey(RegKey root, const std::string& name) override {
        return static_cast<uint32_t>(RegUnLoadKeyA(ToHkey(root), name.c_str()));
    }

    uint32_t SaveKey(RegKey key, const std::string& file) override {
        return static_cast<uint32_t>(RegSaveKeyA(ToHkey(key), file.c_str(), nullptr));
    }
};

}  // namespace

std::unique_ptr<Hives> MakeHives() {
    return std::make_unique<Win32Hives>();
}

}  // namespace kestrel::os::win32

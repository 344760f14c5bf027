#include "os/network.h"

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

namespace kestrel::os::win32 {
namespace {

// Placeholder until Winsock and Schannel are in: every call answers ERROR_NOT_SUPPORTED.
class Win32Network : public Network {
public:
    uint32_t Connect(const std::string&, const std::string&, uint32_t, Connection&) override {
        return neterror::kNotSupported;
    }
    uint32_t StartTls(Connection, const std::string&, uint32_t, std::string&) override {
        return neterror::kNotSupported;
    }
    uint32_t Send(Connection, const std::string&, uint32_t) override {
        return neterror::kNotSupported;
    }
    uint32_t Receive(Connection, std::string&, uint32_t) override {
        return neterror::kNotSupported;
    }
    void Close(Connection) override {}
};

}  // namespace

std::unique_ptr<Network> MakeNetwork() {
    return std::make_unique<Win32Network>();
}

}  // namespace kestrel::os::win32

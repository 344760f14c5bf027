#pragma once
// Placeholder fake of the network: every call answers ERROR_NOT_SUPPORTED (50).

#include "os/network.h"

namespace kestrel::os::fake {

class FakeNetwork : public Network {
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

}  // namespace kestrel::os::fake

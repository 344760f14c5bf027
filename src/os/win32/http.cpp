#include "os/http.h"

#include <memory>

#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

// Not built yet: every download fails as if the server could not be reached.
class Win32Http : public Http {
public:
    uint32_t Get(const std::string&, uint32_t, HttpReceiver&) override {
        return httperror::kCannotConnect;
    }
};

}  // namespace

std::unique_ptr<Http> MakeHttp() {
    return std::make_unique<Win32Http>();
}

}  // namespace kestrel::os::win32

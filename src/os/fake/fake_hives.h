#pragma once
// Placeholder fake of hive files: every call answers ERROR_NOT_SUPPORTED (50).

#include "os/hives.h"

namespace kestrel::os::fake {

class FakeHives : public Hives {
public:
    uint32_t LoadKey(RegKey, const std::string&, const std::string&) override { return 50; }
    uint32_t UnLoadKey(RegKey, const std::string&) override { return 50; }
    uint32_t SaveKey(RegKey, const std::string&) override { return 50; }
};

}  // namespace kestrel::os::fake

#pragma once

#include <memory>
#include <string>

#include "contract/registry_world.h"

namespace kestrel::testing {

// Fresh key paths for one test: below HKCU\Software\KestrelTests and HKLM\SOFTWARE\KestrelTests.
// Their whole trees go, in both views, when the object goes.
struct TestKeys {
    TestKeys();
    TestKeys(const TestKeys&) = delete;
    TestKeys& operator=(const TestKeys&) = delete;
    ~TestKeys();
    std::string user;
    std::string machine;
};

std::unique_ptr<RegistryWorld> MakeWin32RegistryWorld();
std::unique_ptr<ProcessWorld> MakeWin32ProcessWorld();

}  // namespace kestrel::testing

// What reg.exe, the registry layer's last resort, does with the view it is told, in keys of the
// tests' own that are removed afterwards.
#include <gtest/gtest.h>

#include "os/win32/windows_api.h"
#include "platform/process_launch.h"
#include "win32/os_world.h"
#include "win32/win32_machine.h"

namespace kestrel {
namespace {

bool KeyThere(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

TEST(RealRegistry, RegExeDeletesInTheViewItIsTold) {
    testing::Win32Machine m;
    testing::TestKeys keys;
    const std::string key = keys.machine + "\\ByReg";
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY made = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (key + "\\Child").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS | view, nullptr, &made, nullptr),
                  0);
        RegCloseKey(made);
    }
    uint32_t code = 99;
    const auto regDelete = [&](const std::string& flags) {
        return ShellX(m.ctx(), "reg.exe", "DELETE \"HKLM\\" + key + "\" /f" + flags, true,
                      kWindowHidden, code, false, false, kNoTimeout) &&
               code == 0;
    };
    ASSERT_TRUE(regDelete(" /reg:32"));
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, key + "\\Child", KEY_WOW64_64KEY));
    ASSERT_TRUE(regDelete(""));
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY));
}

}  // namespace
}  // namespace kestrel

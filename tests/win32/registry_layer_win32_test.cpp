// The registry layer, its deletions and key permissions on Wine's real registry, in keys of
// the tests' own that are removed afterwards.
#include <gtest/gtest.h>

#include "os/win32/windows_api.h"
#include "platform/key_permissions.h"
#include "platform/process_launch.h"
#include "platform/registry.h"
#include "win32/os_world.h"
#include "win32/win32_machine.h"

namespace kestrel {
namespace {

const std::string kNul(1, '\0');

bool KeyThere(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

class RealRegistry : public ::testing::Test {
protected:
    testing::Win32Machine m;
    testing::TestKeys keys;
    bool notFound = false;
    // The machine key's path as written with Wow6432Node, which addresses the 32-bit view.
    std::string Wow(const std::string& rest) const {
        return "SOFTWARE\\Wow6432Node" + keys.machine.substr(8) + rest;
    }
};

TEST_F(RealRegistry, BothViewsAreWrittenReadAndListedApart) {
    ASSERT_EQ(fWriteValue(m.ctx(), "HKLM", Wow("\\App32"), "Name", "S", "thirty-two"), 0);
    ASSERT_EQ(fWriteValue(m.ctx(), "HKLM", keys.machine + "\\App64", "Name", "S", "sixty-four"), 0);
    ASSERT_EQ(fWriteValue(m.ctx(), "HKLM", keys.machine + "\\App64", "Count", "D", RegData(-7)), 0);
    EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, keys.machine + "\\App32", KEY_WOW64_32KEY));
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, keys.machine + "\\App32", KEY_WOW64_64KEY));

    std::string text;
    EXPECT_EQ(fReadValue(m.ctx(), "HKLM", Wow("\\App32"), "Name", "S", "", text), 0);
    EXPECT_EQ(text, "thirty-two");
    EXPECT_EQ(fReadValue(m.ctx(), "HKLM", keys.machine + "\\App64", "Name", "S", "", text), 0);
    EXPECT_EQ(text, "sixty-four");
    int32_t n = 0;
    EXPECT_EQ(fReadValue(m.ctx(), "HKLM", keys.machine + "\\App64", "Count", "D", 0, n), 0);
    EXPECT_EQ(n, -7);
    EXPECT_EQ(fReadValue(m.ctx(), "HKLM", keys.machine + "\\App32", "Name", "S", "none", text), 2);
    EXPECT_EQ(text, "none");

    std::string list;
    EXPECT_EQ(fEnumKey(m.ctx(), "HKLM", Wow(""), list), 0);
    EXPECT_EQ(list, "App32" + kNul + kNul);
    list.clear();
    EXPECT_EQ(fEnumKey(m.ctx(), "hklm", keys.machine, list), 0);
    EXPECT_EQ(list, "App64" + kNul + kNul);
}

TEST_F(RealRegistry, MultiTextsAndUnterminatedTextsReadBack) {
    const std::string path = keys.user;
    ASSERT_EQ(fWriteValue(m.ctx(), "HKCU", path, "List", "M", "one"), 0);
    ASSERT_EQ(fWriteValue(m.ctx(), "HKCU", path, "List", "M", "two"), 0);
    std::string text;
    EXPECT_EQ(fReadValue(m.ctx(), "HKCU", path, "List", "M", "", text), 0);
    EXPECT_EQ(text, "one" + kNul + "two" + kNul);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key), 0);
    RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    RegSetValueExA(key, "Empty", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 0);
    RegCloseKey(key);
    EXPECT_EQ(fReadValue(m.ctx(), "HKCU", path, "Bare", "S", "", text), 0);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(fReadValue(m.ctx(), "HKCU", path, "Empty", "S", "x", text), 0);
    EXPECT_EQ(text, "");
}

TEST_F(RealRegistry, ADeepWideTreeIsDeletedWhole) {
    std::string deep = keys.user + "\\Tree";
    for (int level = 0; level < 24; ++level) {
        deep += "\\L" + std::to_string(level);
        for (int sibling = 0; sibling < 3; ++sibling) {
            ASSERT_EQ(
                fWriteValue(m.ctx(), "HKCU", deep + "\\S" + std::to_string(sibling), "v", "S", "x"),
                0);
        }
    }
    EXPECT_EQ(fDeleteKey(m.ctx(), "HKCU", keys.user, "Tree", notFound), 0);
    EXPECT_FALSE(notFound);
    EXPECT_FALSE(KeyThere(HKEY_CURRENT_USER, keys.user + "\\Tree", 0));
    EXPECT_TRUE(KeyThere(HKEY_CURRENT_USER, keys.user, 0));
    EXPECT_EQ(fDeleteKey(m.ctx(), "HKCU", keys.user, "Tree", notFound), 0);
    EXPECT_TRUE(notFound);
}

TEST_F(RealRegistry, AThirtyTwoBitKeyAndValueGoWithoutTouchingTheSixtyFourBitOnes) {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (keys.machine + "\\Twin\\Sub").c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
                  0);
        RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        RegCloseKey(key);
    }
    EXPECT_EQ(fDeleteValue(m.ctx(), "HKLM", Wow("\\Twin\\Sub"), "v", notFound), 0);
    EXPECT_FALSE(notFound);
    std::string text;
    EXPECT_EQ(fReadValue(m.ctx(), "HKLM", keys.machine + "\\Twin\\Sub", "v", "S", "", text), 0);
    EXPECT_EQ(fDeleteKey(m.ctx(), "HKLM", Wow(""), "Twin", notFound), 0);
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, keys.machine + "\\Twin", KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, keys.machine + "\\Twin\\Sub", KEY_WOW64_64KEY));
}

TEST_F(RealRegistry, RegExeDeletesInTheViewItIsTold) {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (keys.machine + "\\ByReg\\Child").c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
                  0);
        RegCloseKey(key);
    }
    uint32_t code = 99;
    ASSERT_TRUE(ShellX(m.ctx(), "reg.exe",
                       "DELETE \"HKLM\\" + keys.machine + "\\ByReg\" /f /reg:32", true,
                       kWindowHidden, code, false, false, kNoTimeout));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, keys.machine + "\\ByReg", KEY_WOW64_32KEY));
    EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, keys.machine + "\\ByReg\\Child", KEY_WOW64_64KEY));
    ASSERT_TRUE(ShellX(m.ctx(), "reg.exe", "DELETE \"HKLM\\" + keys.machine + "\\ByReg\" /f", true,
                       kWindowHidden, code, false, false, kNoTimeout));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, keys.machine + "\\ByReg", KEY_WOW64_64KEY));
}

TEST_F(RealRegistry, GrantingAccessReplacesADenyForTheSameTrustee) {
    ASSERT_EQ(fWriteValue(m.ctx(), "HKCU", keys.user + "\\Locked", "v", "S", "x"), 0);
    std::string everyone = "Everyone";
    std::string deny = "Deny";
    ASSERT_TRUE(SetKeyAccess(m.ctx(), "HKCU", keys.user + "\\Locked", everyone, deny, "R"));
    std::string text;
    EXPECT_EQ(fReadValue(m.ctx(), "HKCU", keys.user + "\\Locked", "v", "S", "", text), 5);
    std::string allow;
    EXPECT_TRUE(SetKeyAccess(m.ctx(), "HKCU", keys.user + "\\Locked", everyone, allow, "ALL"));
    EXPECT_EQ(allow, "Allow");
    EXPECT_EQ(fReadValue(m.ctx(), "HKCU", keys.user + "\\Locked", "v", "S", "", text), 0);
    EXPECT_EQ(text, "x");
    GrantKeyFullAccess(m.ctx(), "HKCU", keys.user + "\\Locked");
    EXPECT_EQ(fDeleteKey(m.ctx(), "HKCU", keys.user, "Locked", notFound), 0);
}

}  // namespace
}  // namespace kestrel

// The registry port's contract: the same cases for the fake and for Windows (Wine).
#include <gtest/gtest.h>

#include <algorithm>

#include "base/strings.h"
#include "contract/registry_world.h"

namespace kestrel::testing {
namespace {

using os::RegKey;
using os::RegView;
namespace acc = os::regaccess;
namespace type = os::regtype;

constexpr RegKey kHKCU = os::kHkeyCurrentUser;
constexpr RegKey kHKLM = os::kHkeyLocalMachine;

uint32_t Probe(os::Registry& r, RegKey root, const std::string& path,
               RegView view = RegView::kDefault) {
    RegKey k = 0;
    const uint32_t rc = r.OpenKey(root, path, acc::kRead, view, k);
    if (rc == 0) {
        r.CloseKey(k);
    }
    return rc;
}

RegKey Make(os::Registry& r, RegKey root, const std::string& path,
            RegView view = RegView::kDefault) {
    RegKey k = 0;
    EXPECT_EQ(r.CreateKey(root, path, acc::kAllAccess, view, k), 0u) << path;
    return k;
}

std::string Read(os::Registry& r, RegKey k, const std::string& name, uint32_t* t = nullptr) {
    uint32_t size = 1 << 16;
    std::string data;
    EXPECT_EQ(r.QueryValue(k, name, t, &data, size), 0u) << name;
    EXPECT_EQ(size, data.size());
    return data;
}

TEST_P(RegistryContract, KeysAreMadeOpenedSpelledAndListedAsWindowsTakesThem) {
    const std::string base = W().UserKey();
    EXPECT_EQ(Probe(r, kHKCU, base), 2u);
    for (const char* child : {"gamma", "Alpha\\Beta", "beta"}) {
        r.CloseKey(Make(r, kHKCU, base + "\\" + child));
    }
    EXPECT_EQ(Probe(r, kHKCU, base + "\\alpha\\BETA"), 0u);
    EXPECT_EQ(Probe(r, kHKCU, base + "\\Alpha\\"), 0u);
    EXPECT_EQ(Probe(r, kHKCU, base + "\\\\Alpha"), 0u);
    EXPECT_EQ(Probe(r, kHKCU, "\\" + base), 161u);
    EXPECT_EQ(Probe(r, kHKCU, base + "\\Alpha\\Gamma"), 2u);

    RegKey k = 0, again = 0;
    ASSERT_EQ(r.OpenKey(kHKCU, base, acc::kRead, RegView::kDefault, k), 0u);
    ASSERT_EQ(r.OpenKey(k, "", acc::kRead, RegView::kDefault, again), 0u);
    // Subkeys are listed in order, then the list answers 259.
    std::vector<std::string> keys;
    std::string name;
    uint32_t rc = 0;
    for (uint32_t i = 0; (rc = r.EnumKey(again, i, name)) == 0; ++i) {
        keys.push_back(name);
    }
    EXPECT_EQ(rc, 259u);
    EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(Probe(r, k, "Alpha\\Beta"), 0u);
    EXPECT_EQ(r.CloseKey(again), 0u);
    EXPECT_EQ(r.CloseKey(k), 0u);
    EXPECT_EQ(r.CloseKey(kHKCU), 0u);
}

TEST_P(RegistryContract, ValuesKeepTheirTypeAndBytes) {
    RegKey k = Make(r, kHKCU, W().UserKey());
    struct Case {
        const char* name;
        uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        {"text", type::kSz, std::string("hello\0", 6)},
        {"expand", type::kExpandSz, std::string("%TEMP%\\x\0", 9)},
        {"multi", type::kMultiSz, std::string("one\0two\0\0", 9)},
        {"binary", type::kBinary, std::string("\x00\xff\x10\x80", 4)},
        {"dword", type::kDword, std::string("\x2a\x00\x00\x80", 4)},
        {"qword", type::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"", type::kSz, std::string("default\0", 8)},
        {"empty", type::kSz, ""}};
    for (const Case& c : cases) {
        ASSERT_EQ(r.SetValue(k, c.name, c.type, c.data), 0u) << c.name;
    }
    // A buffer too small answers 234 with the size needed and leaves the data alone.
    for (const Case& c : cases) {
        uint32_t t = 99, size = 0;
        std::string data = "untouched";
        EXPECT_EQ(r.QueryValue(k, c.name, nullptr, &data, size), c.data.empty() ? 0u : 234u);
        EXPECT_EQ(size, c.data.size()) << c.name;
        EXPECT_EQ(data, c.data.empty() ? "" : "untouched") << c.name;
        EXPECT_EQ(Read(r, k, c.name, &t), c.data) << c.name;
        EXPECT_EQ(t, c.type) << c.name;
    }
    // Text stored without its NUL reads as the text.
    ASSERT_EQ(r.SetValue(k, "bare", type::kSz, "abc"), 0u);
    EXPECT_EQ(Read(r, k, "bare"), W().AddsMissingNul() ? std::string("abc\0", 4) : "abc");
    std::string data;
    uint32_t size = 64;
    EXPECT_EQ(r.QueryValue(k, "absent", nullptr, &data, size), 2u);
    EXPECT_EQ(r.DeleteValue(k, "text"), 0u);
    EXPECT_EQ(r.DeleteValue(k, "text"), 2u);
    r.CloseKey(k);
}

TEST_P(RegistryContract, HandlesAllowOnlyWhatTheyWereOpenedFor) {
    const std::string base = W().UserKey();
    RegKey k = Make(r, kHKCU, base);
    ASSERT_EQ(r.SetValue(k, "v", type::kSz, std::string("x\0", 2)), 0u);
    r.CloseKey(Make(r, k, "child"));
    r.CloseKey(k);

    RegKey setOnly = 0;
    ASSERT_EQ(r.OpenKey(kHKCU, base, acc::kSetValue, RegView::kDefault, setOnly), 0u);
    std::string data, name;
    uint32_t size = 64;
    EXPECT_EQ(r.QueryValue(setOnly, "v", nullptr, &data, size), 5u);
    EXPECT_EQ(r.EnumKey(setOnly, 0, name), 5u);
    EXPECT_EQ(r.SetValue(setOnly, "w", type::kSz, std::string("y\0", 2)), 0u);
    r.CloseKey(setOnly);

    RegKey queryOnly = 0;
    ASSERT_EQ(r.OpenKey(kHKCU, base, acc::kQueryValue, RegView::kDefault, queryOnly), 0u);
    EXPECT_EQ(r.DeleteValue(queryOnly, "v"), 5u);
    EXPECT_EQ(r.SetValue(queryOnly, "v", type::kSz, std::string("z\0", 2)), 5u);
    // Deleting a subkey checks the subkey, not the parent handle's rights.
    EXPECT_EQ(r.DeleteKey(queryOnly, "child", RegView::kDefault), 0u);
    r.CloseKey(queryOnly);
}

TEST_P(RegistryContract, OnlyKeysWithoutSubkeysCanBeDeleted) {
    const std::string base = W().UserKey();
    r.CloseKey(Make(r, kHKCU, base + "\\Tree\\Leaf"));
    RegKey parent = 0;
    ASSERT_EQ(r.OpenKey(kHKCU, base, acc::kAllAccess, RegView::kDefault, parent), 0u);
    for (const auto& [subkey, rc] :
         {std::pair{"Tree", 5u}, {"Tree\\Leaf", 0u}, {"Tree\\", 0u}, {"Tree", 2u}, {"\\", 161u}}) {
        EXPECT_EQ(r.DeleteKey(parent, subkey, RegView::kDefault), rc) << subkey;
    }

    // A handle to a key deleted meanwhile refuses further work.
    RegKey doomed = Make(r, kHKCU, base + "\\Doomed");
    EXPECT_EQ(r.DeleteKey(parent, "Doomed", RegView::kDefault), 0u);
    EXPECT_EQ(r.SetValue(doomed, "v", type::kSz, std::string("x\0", 2)), 1018u);
    r.CloseKey(doomed);
    r.CloseKey(parent);
}

TEST_P(RegistryContract, TheTwoViewsOfMachineSoftwareAreSeparate) {
    const std::string base = W().MachineKey();  // "SOFTWARE\KestrelTests\..."
    const std::string physical32 = "SOFTWARE\\Wow6432Node" + base.substr(8);
    r.CloseKey(Make(r, kHKLM, base + "\\Only32", RegView::k32));
    r.CloseKey(Make(r, kHKLM, base + "\\Only64", RegView::k64));
    EXPECT_EQ(Probe(r, kHKLM, base + "\\Only32", RegView::k32), 0u);
    EXPECT_EQ(Probe(r, kHKLM, base + "\\Only32", RegView::k64), 2u);
    EXPECT_EQ(Probe(r, kHKLM, base + "\\Only64", RegView::k32), 2u);
    EXPECT_EQ(Probe(r, kHKLM, physical32 + "\\Only32", RegView::k64), 0u);
    EXPECT_EQ(Probe(r, kHKLM, physical32 + "\\Only32", RegView::k32), 0u);
    EXPECT_EQ(Probe(r, kHKLM, LCase(base) + "\\only32", RegView::k32), 0u);
    EXPECT_EQ(Probe(r, kHKLM, base + "\\Only64"), 0u);  // a 64-bit program

    EXPECT_EQ(r.DeleteKey(kHKLM, base + "\\Only32", RegView::k64), 2u);
    EXPECT_EQ(r.DeleteKey(kHKLM, base + "\\Only32", RegView::k32), 0u);
    EXPECT_EQ(Probe(r, kHKLM, physical32 + "\\Only32", RegView::k64), 2u);
    EXPECT_EQ(Probe(r, kHKLM, base + "\\Only64", RegView::k64), 0u);
    // The user's software is the same in both views.
    r.CloseKey(Make(r, kHKCU, W().UserKey() + "\\Shared", RegView::k32));
    EXPECT_EQ(Probe(r, kHKCU, W().UserKey() + "\\Shared", RegView::k64), 0u);
}

}  // namespace
}  // namespace kestrel::testing

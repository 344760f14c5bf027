// The registry layer over the fake machine: top keys, the view rule, reading, writing and
// listing, with their log lines.
#include <gtest/gtest.h>

#include <type_traits>

#include "platform/registry.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::RegView;
using Lines = std::vector<std::string>;
const std::string kNul(1, '\0');
const std::string kVendor = "HKCU\\Software\\Vendor";

class RegistryLayer : public ::testing::Test {
protected:
    // Reads into value (kept from call to call, as a caller's variable is) and checks the
    // result and what value holds then; HKCU\Software\Vendor unless told otherwise.
    template <typename T>
    void ExpectRead(T& value, const std::string& name, const std::string& letter,
                    const std::type_identity_t<T>& dflt, int32_t result,
                    const std::type_identity_t<T>& expected, const std::string& top = "HKCU",
                    const std::string& path = "Software\\Vendor") {
        SCOPED_TRACE(top + "\\" + path + " " + name + " as " + letter);
        EXPECT_EQ(fReadValue(m.ctx, top, path, name, letter, dflt, value), result);
        EXPECT_EQ(value, expected);
    }
    // Writes to HKCU\Software\Vendor and checks the bytes stored.
    template <typename V>
    void ExpectWritten(const std::string& name, const std::string& letter, const V& value,
                       const std::string& data) {
        SCOPED_TRACE(name + " as " + letter);
        EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", name, letter, value), 0);
        EXPECT_EQ(m.registry.GetValue(kVendor, name)->data, data);
    }

    testing::FakeMachine m;
};

TEST_F(RegistryLayer, TopKeysAreTheSixAbbreviationsOrAnExistingFile) {
    EXPECT_EQ(fTopKey(m.ctx, "Hklm"), os::kHkeyLocalMachine);
    EXPECT_EQ(fTopKey(m.ctx, "HKDD"), os::kHkeyDynData);
    m.files.AddFile("C:\\Kestrel\\list.ini", "[s]\r\n");
    EXPECT_EQ(fTopKey(m.ctx, "C:\\Kestrel\\list.ini"), kIniFileTarget);
    // Long forms, stray backslashes, a folder, a wildcard and a missing file are no top keys.
    for (const char* text : {"HKEY_LOCAL_MACHINE", "", "HKLM\\", "C:\\Kestrel",
                             "C:\\Kestrel\\*.ini", "C:\\Kestrel\\absent.ini"}) {
        EXPECT_EQ(fTopKey(m.ctx, text), 0u) << text;
    }
}

TEST_F(RegistryLayer, TheViewRuleFollowsWow6432NodeAndGuestHives) {
    auto expectViewed = [&](const std::string& path, const std::string& keyPath, RegView view) {
        const ViewedPath v = ApplyRegistryViewRule(m.ctx, path);
        EXPECT_EQ(v.keyPath, keyPath) << path;
        EXPECT_EQ(v.view, view) << path;
    };
    expectViewed("SOFTWARE\\Wow6432Node\\Vendor\\WOW6432NODE\\App", "software\\vendor\\app",
                 RegView::k32);
    expectViewed("guest_SOFTWARE\\Wow6432Node\\Vendor", "guest_SOFTWARE\\Wow6432Node\\Vendor",
                 RegView::k32);
    expectViewed("SOFTWARE\\Wow6432Node", "software\\wow6432node", RegView::k32);
    expectViewed("SOFTWARE\\Vendor", "SOFTWARE\\Vendor", RegView::k64);
    m.env.Set("ProgramFiles(x86)", "x");  // one character is not 64-bit Windows
    expectViewed("SOFTWARE\\Wow6432Node\\Vendor", "SOFTWARE\\Wow6432Node\\Vendor",
                 RegView::kDefault);
}

TEST_F(RegistryLayer, ReadingTextsTakesTheViewAndTheQueryRight) {
    m.registry.PutString("HKLM\\SOFTWARE\\Vendor", "Path", "C:\\Vendor", RegView::k32);
    m.registry.PutString("HKLM\\SOFTWARE\\Vendor", "Path", "C:\\Vendor64", RegView::k64);
    std::string text;
    ExpectRead(text, "Path", "s", "", 0, "C:\\Vendor", "HKLM", "SOFTWARE\\Wow6432Node\\Vendor");
    EXPECT_EQ(m.registry.opens.back().path, "HKLM\\software\\vendor");
    EXPECT_EQ(m.registry.opens.back().access, 0x0001u);
    EXPECT_EQ(m.registry.opens.back().view, RegView::k32);
    ExpectRead(text, "Path", "S", "", 0, "C:\\Vendor64", "HKLM", "SOFTWARE\\Vendor");
    EXPECT_EQ(m.registry.opens.back().view, RegView::k64);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, StringValuesReadAsTheirTextWhateverTheirEnd) {
    m.registry.PutValue(kVendor, "bare", os::regtype::kSz, "abc");
    m.registry.PutValue(kVendor, "empty", os::regtype::kSz, "");
    m.registry.PutValue(kVendor, "multi", os::regtype::kMultiSz, "a" + kNul + "b" + kNul + kNul);
    m.registry.PutValue(kVendor, "cut", os::regtype::kMultiSz, "a" + kNul + "b");
    std::string text = "x";
    ExpectRead(text, "bare", "S", "d", 0, "abc");
    ExpectRead(text, "empty", "S", "d", 0, "");
    ExpectRead(text, "empty", "M", "d", 0, "");
    ExpectRead(text, "multi", "M", "d", 0, "a" + kNul + "b" + kNul);
    ExpectRead(text, "cut", "M", "d", 0, "a" + kNul + "b" + kNul);
    ExpectRead(text, "absent", "S", "dflt", 2, "dflt");
    ExpectRead(text, "v", "S", "dflt", 2, "dflt", "HKCU", "Software\\Nowhere");
    EXPECT_EQ(fReadValue(m.ctx, "HKXX", "Software\\Vendor", "bare", "S", "dflt", text), 99);
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(RegistryLayer, ValuesBeyondSixteenMebibytesAreRefused) {
    m.registry.PutValue(kVendor, "huge", os::regtype::kSz, std::string(16 * 1024 * 1024 + 1, 'x'));
    std::string text;
    ExpectRead(text, "huge", "S", "dflt", 234, "dflt");
    EXPECT_EQ(m.debugOut.lines.front(), "\tmodRegistry\\fReadValue - VB ERROR: 7 Out of memory");
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, BooleansAndNumbersReadTheirBytes) {
    m.registry.PutValue(kVendor, "flag", os::regtype::kBinary, std::string("\x01\x00", 2));
    m.registry.PutValue(kVendor, "off", os::regtype::kBinary, std::string("\x00\x00", 2));
    m.registry.PutDword(kVendor, "count", 0xFFFFFFFE);
    m.registry.PutValue(kVendor, "short", os::regtype::kBinary, std::string("\x05\x01", 2));
    m.registry.PutValue(kVendor, "long", os::regtype::kQword, std::string(8, '\x01'));
    bool flag = false;
    ExpectRead(flag, "flag", "b", false, 0, true);
    ExpectRead(flag, "off", "B", true, 0, false);
    ExpectRead(flag, "count", "B", true, 234, true);
    int32_t n = 0;
    ExpectRead(n, "count", "D", 0, 0, -2);
    ExpectRead(n, "short", "D", 0, 0, 0x105);
    ExpectRead(n, "long", "D", 9, 234, 9);
    ExpectRead(n, "count", "Q", 5, 0, 5);  // another letter reads nothing and still succeeds
    // A value read into another kind of variable is converted.
    std::string text;
    ExpectRead(text, "count", "D", "", 0, "-2");
    ExpectRead(text, "flag", "B", "", 0, "True");
}

TEST_F(RegistryLayer, AnIniFileTargetGoesThroughTheProfileFunctionsWithTextsOnly) {
    const std::string ini = "C:\\Kestrel\\Kestrel.ini";
    m.files.AddFile(ini, "[Options]\r\nLogFile=1\r\nName=Workshop\r\n");
    std::string text;
    ExpectRead(text, "Name", "S", "none", 8, "Workshop", ini, "Options");
    ExpectRead(text, "Missing", "S", "none", 4, "none", ini, "Options");
    int32_t n = 3;
    ExpectRead(n, "LogFile", "D", 7, 1, 7, ini, "Options");
    EXPECT_EQ(fWriteValue(m.ctx, ini, "Options", "Name", "s", "Bench 2"), 1);
    ExpectRead(text, "Name", "S", "none", 7, "Bench 2", ini, "Options");
    EXPECT_EQ(fWriteValue(m.ctx, ini, "Options", "Count", "D", RegData(3)), 99);
    EXPECT_TRUE(m.registry.opens.empty());
}

TEST_F(RegistryLayer, WritingUsesTheLiteralPathInThe64BitView) {
    EXPECT_EQ(fWriteValue(m.ctx, "HKLM", "SOFTWARE\\Wow6432Node\\Vendor", "Path", "S", "C:\\V"), 0);
    EXPECT_EQ(m.registry.opens.back().path, "HKLM\\SOFTWARE\\Wow6432Node\\Vendor");
    EXPECT_EQ(m.registry.opens.back().access, 0x0006u);
    EXPECT_EQ(m.registry.opens.back().view, RegView::k64);
    auto stored = m.registry.GetValue("HKLM\\SOFTWARE\\Vendor", "Path", RegView::k32);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, os::regtype::kSz);
    EXPECT_EQ(stored->data, "C:\\V" + kNul);
    m.env.Unset("ProgramFiles(x86)");  // 32-bit Windows has no views to name
    EXPECT_EQ(fWriteValue(m.ctx, "HKLM", "SOFTWARE\\Vendor", "Path", "S", "x"), 0);
    EXPECT_EQ(m.registry.opens.back().view, RegView::kDefault);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, EachTypeLetterWritesItsType) {
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "exp", "e", "%TEMP%"), 0);
    EXPECT_EQ(m.registry.GetValue(kVendor, "exp")->type, os::regtype::kExpandSz);
    ExpectWritten("n", "D", RegData(-2), std::string("\xfe\xff\xff\xff", 4));
    ExpectWritten("t", "D", " 12 ", std::string("\x0c\x00\x00\x00", 4));
    ExpectWritten("num", "S", RegData(42), "42" + kNul);
    ExpectWritten("list", "M", "one", "one" + kNul + kNul);
    ExpectWritten("list", "M", "one", "one" + kNul + "one" + kNul + kNul);
    // A value with no entry left gains no leading separator.
    m.registry.PutValue(kVendor, "blank", os::regtype::kMultiSz, kNul + kNul);
    ExpectWritten("blank", "M", "x", "x" + kNul + kNul);
    // "B" makes the key and stores nothing.
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Other", "b", "B", RegData(true)), 0);
    EXPECT_TRUE(m.registry.KeyExists("HKCU\\Software\\Other"));
    EXPECT_FALSE(m.registry.GetValue("HKCU\\Software\\Other", "b"));
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(RegistryLayer, FailedWritesAndTextsThatAreNoNumbersAreLoggedWithTheirResult) {
    for (const char* text : {"twelve", "99999999999"}) {
        EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "n", "D", text), 87) << text;
    }
    EXPECT_FALSE(m.registry.GetValue(kVendor, "n"));
    EXPECT_EQ(m.debugOut.lines.front(), "\tmodRegistry\\fWriteValue - VB ERROR: 13 Type mismatch");
    m.debugOut.lines.clear();
    EXPECT_EQ(fWriteValue(m.ctx, "HKEY_CURRENT_USER", "Software\\Vendor", "v", "S", "x"), 99);
    EXPECT_EQ(m.debugOut.lines,
              (Lines{"\tmodRegistry\\fWriteValue - VB ERROR: 0 ",
                     "\t\t- Passed Key: HKEY_CURRENT_USER\\Software\\Vendor",
                     "\t\t- Passed Value: v", "\t\t- lResult (0 is successful): 99"}));
    m.registry.AddKey("HKCU\\Software\\Locked");
    m.registry.SetFlags("HKCU\\Software\\Locked", {true, false});
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Locked", "v", "S", "x"), 5);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, ListingGivesNamesSeparatedAndEndedByNuls) {
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    m.registry.AddKey("HKLM\\" + uninstall + "\\AppB", RegView::k32);
    m.registry.AddKey("HKLM\\" + uninstall + "\\ AppA", RegView::k32);
    m.registry.AddKey("HKLM\\" + uninstall + "\\Only64", RegView::k64);
    std::string list;
    EXPECT_EQ(
        fEnumKey(m.ctx, "HKLM",
                 "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall", list),
        0);
    // Names keep their blanks: a trimmed name would name another key.
    EXPECT_EQ(list, " AppA" + kNul + "AppB" + kNul + kNul);
    EXPECT_EQ(m.registry.opens.back().access, 0x0008u);
    EXPECT_TRUE(m.debugOut.Saw("\t\t- Returned Values:  AppA|AppB||"));
    list.clear();
    EXPECT_EQ(fEnumKey(m.ctx, "HKLM", uninstall, list), 0);
    EXPECT_EQ(list, "Only64" + kNul + kNul);
}

TEST_F(RegistryLayer, ListingAnEmptyOrMissingKey) {
    m.registry.AddKey("HKCU\\Software\\Empty");
    std::string list;
    EXPECT_EQ(fEnumKey(m.ctx, "HKCU", "Software\\Empty", list), 0);
    EXPECT_EQ(list, kNul + kNul);
    list.clear();
    EXPECT_EQ(fEnumKey(m.ctx, "HKCU", "Software\\Missing", list), 2);
    EXPECT_EQ(list, "");
    list = "kept";
    EXPECT_EQ(fEnumKey(m.ctx, "HKCU", "Software\\Missing", list), 2);
    EXPECT_EQ(list, "kept" + kNul);
    EXPECT_EQ(fEnumKey(m.ctx, "HKEY_USERS", "", list), 99);
    m.files.AddFile("C:\\Kestrel\\a.ini");
    EXPECT_EQ(fEnumKey(m.ctx, "C:\\Kestrel\\a.ini", "Section", list), 6);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace kestrel

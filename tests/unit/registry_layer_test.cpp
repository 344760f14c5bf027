// The registry layer over the fake machine: top keys, the view rule, reading, writing and
// listing, with their log lines.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::RegView;
const std::string kNul(1, '\0');

class RegistryLayer : public ::testing::Test {
protected:
    testing::FakeMachine m;
    bool Has(const std::string& line) const {
        for (const std::string& l : m.debugOut.lines) {
            if (l == line) {
                return true;
            }
        }
        return false;
    }
    void Make32BitWindows() { m.env.Unset("ProgramFiles(x86)"); }
};

TEST_F(RegistryLayer, TopKeysAreTheSixAbbreviationsOrAnExistingFile) {
    EXPECT_EQ(fTopKey(m.ctx, "hklm"), os::kHkeyLocalMachine);
    EXPECT_EQ(fTopKey(m.ctx, "Hklm"), os::kHkeyLocalMachine);
    EXPECT_EQ(fTopKey(m.ctx, "HKCU"), os::kHkeyCurrentUser);
    EXPECT_EQ(fTopKey(m.ctx, "HKU"), os::kHkeyUsers);
    EXPECT_EQ(fTopKey(m.ctx, "HKCR"), os::kHkeyClassesRoot);
    EXPECT_EQ(fTopKey(m.ctx, "HKCC"), os::kHkeyCurrentConfig);
    EXPECT_EQ(fTopKey(m.ctx, "HKDD"), os::kHkeyDynData);
    EXPECT_EQ(fTopKey(m.ctx, "HKEY_LOCAL_MACHINE"), 0u);
    EXPECT_EQ(fTopKey(m.ctx, ""), 0u);
    EXPECT_EQ(fTopKey(m.ctx, "HKLM\\"), 0u);
    m.files.AddFile("C:\\Kestrel\\list.ini", "[s]\r\n");
    EXPECT_EQ(fTopKey(m.ctx, "C:\\Kestrel\\list.ini"), kIniFileTarget);
    EXPECT_EQ(fTopKey(m.ctx, "C:\\Kestrel"), 0u);  // a folder is no file
    EXPECT_EQ(fTopKey(m.ctx, "C:\\Kestrel\\*.ini"), 0u);
    EXPECT_EQ(fTopKey(m.ctx, "C:\\Kestrel\\absent.ini"), 0u);
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(RegistryLayer, TheViewRuleFollowsWow6432NodeAndGuestHives) {
    auto rule = [&](const std::string& path) { return ApplyRegistryViewRule(m.ctx, path); };
    ViewedPath v = rule("SOFTWARE\\Wow6432Node\\Vendor\\WOW6432NODE\\App");
    EXPECT_EQ(v.keyPath, "software\\vendor\\app");
    EXPECT_EQ(v.view, RegView::k32);
    v = rule("guest_SOFTWARE\\Wow6432Node\\Vendor");
    EXPECT_EQ(v.keyPath, "guest_SOFTWARE\\Wow6432Node\\Vendor");
    EXPECT_EQ(v.view, RegView::k32);
    v = rule("SOFTWARE\\Wow6432Node");
    EXPECT_EQ(v.keyPath, "software\\wow6432node");
    EXPECT_EQ(v.view, RegView::k32);
    v = rule("SOFTWARE\\Vendor");
    EXPECT_EQ(v.keyPath, "SOFTWARE\\Vendor");
    EXPECT_EQ(v.view, RegView::k64);
    m.env.Set("ProgramFiles(x86)", "x");  // one character is not 64-bit Windows
    v = rule("SOFTWARE\\Wow6432Node\\Vendor");
    EXPECT_EQ(v.keyPath, "SOFTWARE\\Wow6432Node\\Vendor");
    EXPECT_EQ(v.view, RegView::kDefault);
}

TEST_F(RegistryLayer, ReadingTextsTakesTheViewAndTheQueryRight) {
    m.registry.PutString("HKLM\\SOFTWARE\\Vendor", "Path", "C:\\Vendor", RegView::k32);
    m.registry.PutString("HKLM\\SOFTWARE\\Vendor", "Path", "C:\\Vendor64", RegView::k64);
    std::string text;
    EXPECT_EQ(fReadValue(m.ctx, "HKLM", "SOFTWARE\\Wow6432Node\\Vendor", "Path", "s", "", text), 0);
    EXPECT_EQ(text, "C:\\Vendor");
    EXPECT_EQ(m.registry.opens.back().path, "HKLM\\software\\vendor");
    EXPECT_EQ(m.registry.opens.back().access, 0x0001u);
    EXPECT_EQ(m.registry.opens.back().view, RegView::k32);
    EXPECT_EQ(fReadValue(m.ctx, "HKLM", "SOFTWARE\\Vendor", "Path", "S", "", text), 0);
    EXPECT_EQ(text, "C:\\Vendor64");
    EXPECT_EQ(m.registry.opens.back().view, RegView::k64);
    Make32BitWindows();
    EXPECT_EQ(fReadValue(m.ctx, "HKLM", "SOFTWARE\\Vendor", "Path", "S", "", text), 0);
    EXPECT_EQ(m.registry.opens.back().view, RegView::kDefault);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, StringValuesReadAsTheirTextWhateverTheirEnd) {
    const std::string key = "HKCU\\Software\\Vendor";
    m.registry.PutValue(key, "bare", os::regtype::kSz, "abc");
    m.registry.PutValue(key, "empty", os::regtype::kSz, "");
    m.registry.PutValue(key, "multi", os::regtype::kMultiSz, "a" + kNul + "b" + kNul + kNul);
    m.registry.PutValue(key, "cut", os::regtype::kMultiSz, "a" + kNul + "b");
    std::string text = "x";
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "bare", "S", "d", text), 0);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "empty", "S", "d", text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "empty", "M", "d", text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "multi", "M", "d", text), 0);
    EXPECT_EQ(text, "a" + kNul + "b" + kNul);
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "cut", "M", "d", text), 0);
    EXPECT_EQ(text, "a" + kNul + "b" + kNul);
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "absent", "S", "dflt", text), 2);
    EXPECT_EQ(text, "dflt");
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Nowhere", "v", "S", "dflt", text), 2);
    EXPECT_EQ(text, "dflt");
    EXPECT_EQ(fReadValue(m.ctx, "HKXX", "Software\\Vendor", "bare", "S", "dflt", text), 99);
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(RegistryLayer, ValuesBeyondSixteenMebibytesAreRefused) {
    m.registry.PutValue("HKCU\\Software\\Vendor", "huge", os::regtype::kSz,
                        std::string(16 * 1024 * 1024 + 1, 'x'));
    std::string text;
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "huge", "S", "dflt", text), 234);
    EXPECT_EQ(text, "dflt");
    EXPECT_EQ(m.debugOut.lines.front(), "\tmodRegistry\\fReadValue - VB ERROR: 7 Out of memory");
    EXPECT_TRUE(Has("\t\t- Passed Key: HKCU\\Software\\Vendor"));
    EXPECT_TRUE(Has("\t\t- Passed Value: huge"));
    EXPECT_TRUE(Has("\t\t- Returned Value: dflt"));
    EXPECT_TRUE(Has("\t\t- lResult (0 is successful): 234"));
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, BooleansAndNumbersReadTheirBytes) {
    const std::string key = "HKCU\\Software\\Vendor";
    m.registry.PutValue(key, "flag", os::regtype::kBinary, std::string("\x01\x00", 2));
    m.registry.PutValue(key, "off", os::regtype::kBinary, std::string("\x00\x00", 2));
    m.registry.PutDword(key, "count", 0xFFFFFFFE);
    m.registry.PutValue(key, "short", os::regtype::kBinary, std::string("\x05\x01", 2));
    m.registry.PutValue(key, "long", os::regtype::kQword, std::string(8, '\x01'));
    bool flag = false;
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "flag", "b", false, flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "off", "B", true, flag), 0);
    EXPECT_FALSE(flag);
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "count", "B", true, flag), 234);
    EXPECT_TRUE(flag);
    int32_t n = 0;
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "count", "D", 0, n), 0);
    EXPECT_EQ(n, -2);
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "short", "D", 0, n), 0);
    EXPECT_EQ(n, 0x105);
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "long", "D", 9, n), 234);
    EXPECT_EQ(n, 9);
    // Another letter reads nothing and still succeeds.
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "count", "Q", 5, n), 0);
    EXPECT_EQ(n, 5);
    // A value read into another kind of variable is converted.
    std::string text;
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "count", "D", "", text), 0);
    EXPECT_EQ(text, "-2");
    EXPECT_EQ(fReadValue(m.ctx, "HKCU", "Software\\Vendor", "flag", "B", "", text), 0);
    EXPECT_EQ(text, "True");
}

TEST_F(RegistryLayer, AnIniFileTargetReadsThroughTheProfileFunctions) {
    const std::string ini = "C:\\Kestrel\\Kestrel.ini";
    m.files.AddFile(ini, "[Options]\r\nLogFile=1\r\nName=Workshop\r\n");
    std::string text;
    EXPECT_EQ(fReadValue(m.ctx, ini, "Options", "Name", "S", "none", text), 8);
    EXPECT_EQ(text, "Workshop");
    EXPECT_EQ(fReadValue(m.ctx, ini, "Options", "Missing", "S", "none", text), 4);
    EXPECT_EQ(text, "none");
    int32_t n = 3;
    EXPECT_EQ(fReadValue(m.ctx, ini, "Options", "LogFile", "D", 7, n), 1);
    EXPECT_EQ(n, 7);
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
    Make32BitWindows();
    EXPECT_EQ(fWriteValue(m.ctx, "HKLM", "SOFTWARE\\Vendor", "Path", "S", "x"), 0);
    EXPECT_EQ(m.registry.opens.back().view, RegView::kDefault);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, EachTypeLetterWritesItsType) {
    const std::string key = "HKCU\\Software\\Vendor";
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "exp", "e", "%TEMP%"), 0);
    EXPECT_EQ(m.registry.GetValue(key, "exp")->type, os::regtype::kExpandSz);
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "n", "D", RegData(-2)), 0);
    EXPECT_EQ(m.registry.GetValue(key, "n")->data, std::string("\xfe\xff\xff\xff", 4));
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "t", "D", " 12 "), 0);
    EXPECT_EQ(m.registry.GetValue(key, "t")->data, std::string("\x0c\x00\x00\x00", 4));
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "num", "S", RegData(42)), 0);
    EXPECT_EQ(m.registry.GetValue(key, "num")->data, "42" + kNul);
    // "B" makes the key and stores nothing.
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Other", "b", "B", RegData(true)), 0);
    EXPECT_TRUE(m.registry.KeyExists("HKCU\\Software\\Other"));
    EXPECT_FALSE(m.registry.GetValue("HKCU\\Software\\Other", "b"));
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(RegistryLayer, ATextThatIsNoNumberIsNotWrittenAsADword) {
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "n", "D", "twelve"), 87);
    EXPECT_FALSE(m.registry.GetValue("HKCU\\Software\\Vendor", "n"));
    EXPECT_EQ(
        m.debugOut.lines,
        (std::vector<std::string>{"\tmodRegistry\\fWriteValue - VB ERROR: 13 Type mismatch",
                                  "\t\t- Passed Key: HKCU\\Software\\Vendor",
                                  "\t\t- Passed Value: n", "\t\t- lResult (0 is successful): 87"}));
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "n", "D", "99999999999"), 87);
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryLayer, MultiTextsGainOneEntryPerWrite) {
    const std::string key = "HKCU\\Software\\Vendor";
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "list", "M", "one"), 0);
    EXPECT_EQ(m.registry.GetValue(key, "list")->data, "one" + kNul + kNul);
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "list", "M", "one"), 0);
    EXPECT_EQ(m.registry.GetValue(key, "list")->data, "one" + kNul + "one" + kNul + kNul);
    EXPECT_EQ(m.registry.GetValue(key, "list")->type, os::regtype::kMultiSz);
    // A value with no entry left gains no leading separator.
    m.registry.PutValue(key, "blank", os::regtype::kMultiSz, kNul + kNul);
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Vendor", "blank", "M", "x"), 0);
    EXPECT_EQ(m.registry.GetValue(key, "blank")->data, "x" + kNul + kNul);
}

TEST_F(RegistryLayer, FailedWritesAreLoggedWithTheirResult) {
    EXPECT_EQ(fWriteValue(m.ctx, "HKEY_CURRENT_USER", "Software\\Vendor", "v", "S", "x"), 99);
    EXPECT_EQ(
        m.debugOut.lines,
        (std::vector<std::string>{"\tmodRegistry\\fWriteValue - VB ERROR: 0 ",
                                  "\t\t- Passed Key: HKEY_CURRENT_USER\\Software\\Vendor",
                                  "\t\t- Passed Value: v", "\t\t- lResult (0 is successful): 99"}));
    m.debugOut.lines.clear();
    m.registry.AddKey("HKCU\\Software\\Locked");
    m.registry.SetFlags("HKCU\\Software\\Locked", {true, false});
    EXPECT_EQ(fWriteValue(m.ctx, "HKCU", "Software\\Locked", "v", "S", "x"), 5);
    EXPECT_TRUE(Has("\t\t- lResult (0 is successful): 5"));
}

TEST_F(RegistryLayer, AnIniFileTargetWritesOnlyTexts) {
    const std::string ini = "C:\\Kestrel\\Kestrel.ini";
    m.files.AddFile(ini, "[Options]\r\n");
    EXPECT_EQ(fWriteValue(m.ctx, ini, "Options", "Name", "s", "Bench 2"), 1);
    std::string text;
    EXPECT_EQ(m.ini.GetString("Options", "Name", "", 255, ini, text), 7u);
    EXPECT_EQ(text, "Bench 2");
    EXPECT_EQ(fWriteValue(m.ctx, ini, "Options", "Count", "D", RegData(3)), 99);
    EXPECT_TRUE(Has("\tmodRegistry\\fWriteValue - VB ERROR: 0 "));
    EXPECT_TRUE(m.registry.opens.empty());
}

TEST_F(RegistryLayer, ListingGivesNamesSeparatedAndEndedByNuls) {
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    m.registry.AddKey("HKLM\\" + uninstall + "\\AppB", RegView::k32);
    m.registry.AddKey("HKLM\\" + uninstall + "\\ AppA", RegView::k32);
    m.registry.AddKey("HKLM\\" + uninstall + "\\Only64", RegView::k64);
    std::string list;
    EXPECT_EQ(fEnumKey(m.ctx, "HKLM",
                       "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion"
                       "\\Uninstall",
                       list),
              0);
    // Names keep their blanks: a trimmed name would name another key.
    EXPECT_EQ(list, " AppA" + kNul + "AppB" + kNul + kNul);
    EXPECT_EQ(m.registry.opens.back().access, 0x0008u);
    EXPECT_EQ(m.debugOut.lines,
              (std::vector<std::string>{
                  "\tmodRegistry\\fEnumKey: ",
                  "\t\t- Passed Key: HKLM\\software\\microsoft\\windows\\currentversion\\uninstall",
                  "\t\t- Returned Values:  AppA|AppB||", "\t\t- lResult (0 is successful): 259"}));
    list.clear();
    EXPECT_EQ(fEnumKey(m.ctx, "HKLM", uninstall, list), 0);
    EXPECT_EQ(list, "Only64" + kNul + kNul);
}

TEST_F(RegistryLayer, ListingAnEmptyOrMissingKey) {
    m.registry.AddKey("HKCU\\Software\\Empty");
    std::string list;
    EXPECT_EQ(fEnumKey(m.ctx, "HKCU", "Software\\Empty", list), 0);
    EXPECT_EQ(list, kNul + kNul);
    m.debugOut.lines.clear();
    list.clear();
    EXPECT_EQ(fEnumKey(m.ctx, "HKCU", "Software\\Missing", list), 2);
    EXPECT_EQ(list, "");
    list = "kept";
    EXPECT_EQ(fEnumKey(m.ctx, "HKCU", "Software\\Missing", list), 2);
    EXPECT_EQ(list, "kept" + kNul);
    EXPECT_EQ(fEnumKey(m.ctx, "HKEY_USERS", "", list), 99);
    m.files.AddFile("C:\\Kestrel\\a.ini");
    list.clear();
    EXPECT_EQ(fEnumKey(m.ctx, "C:\\Kestrel\\a.ini", "Section", list), 6);
    EXPECT_TRUE(m.debugOut.lines.empty());
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace kestrel

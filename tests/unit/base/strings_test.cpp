#include <gtest/gtest.h>

#include "base/strings.h"
#include "base/strip.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

TEST(StripHelpers, PathPieces) {
    testing::FakeMachine m;
    EXPECT_EQ(StripPath("C:\\dir\\file.txt"), "file.txt");
    EXPECT_EQ(StripPath("file.txt"), "file.txt");
    EXPECT_EQ(StripPath("C:\\dir\\"), "");
    EXPECT_EQ(StripNameFromPath(m.ctx.debug, "C:\\dir\\file.txt"), "C:\\dir");
    EXPECT_EQ(StripNameFromPath(m.ctx.debug, "file.txt"), "");
    EXPECT_FALSE(m.debugOut.Saw("empty string"));
    EXPECT_EQ(StripNameFromPath(m.ctx.debug, ""), "");
    EXPECT_EQ(m.debugOut.lines.back(), "\tStripNameFromPath Function was passed an empty string!");
    size_t before = m.debugOut.lines.size();
    EXPECT_EQ(StripNameFromPathQuiet(""), "");
    EXPECT_EQ(m.debugOut.lines.size(), before);
}

TEST(StripHelpers, StripRemovesOccurrencesFormedByEarlierRemovals) {
    EXPECT_EQ(Strip("aabb", "ab"), "");
    EXPECT_EQ(Strip("xaabby", "ab"), "xy");
    EXPECT_EQ(Strip("hello", ""), "hello");
    EXPECT_EQ(Strip("a/u=b/u=c", "u="), "a/b/c");
}

TEST(StripHelpers, EndAndBeginningOfString) {
    EXPECT_EQ(StripEndOfString("name|sub|note", "|"), "name|sub");
    EXPECT_EQ(StripEndOfString("name|sub|note", "|", {.useFirstDelimiter = true}), "name");
    EXPECT_EQ(StripEndOfString("no delimiter", "|"), "no delimiter");
    EXPECT_EQ(StripEndOfString("  padded  |x", "|", {false, true, true}), "padded");
    EXPECT_EQ(StripEndOfString("  padded  |x", "|", {false, false, true}), "  padded");
    EXPECT_EQ(StripEndOfString("|only note", "|"), "");
    EXPECT_EQ(StripBeginningOfString("key=value=more", "=", {.useFirstDelimiter = true}),
              "value=more");
    EXPECT_EQ(StripBeginningOfString("key=value=more", "="), "more");
    EXPECT_EQ(StripBeginningOfString("a::b", "::", {.useFirstDelimiter = true}), ":b");
    EXPECT_EQ(StripBeginningOfString("none", "="), "none");
    EXPECT_EQ(SearchTerm("Toolbar|{GUID}|note"), "Toolbar|{GUID}");
}

TEST(StripHelpers, TrailingAndPreceedingCharacters) {
    EXPECT_EQ(StripTrailingCharacters("path\\\\\\", "\\"), "path");
    EXPECT_EQ(StripTrailingCharacters("\\\\", "\\"), "");
    EXPECT_EQ(StripPreceedingCharacters("   x ", " "), "x ");
    EXPECT_EQ(StripTrailingCharacters("abc", ""), "abc");
    EXPECT_EQ(StripTrailingCharacters("abcc", "cc"), "abcc");
}

TEST(Strings, CaseRulesCoverWindows1252Letters) {
    // Texts are Windows-1252 bytes: \xC4 is an upper-case A with diaeresis, \xE4 its small
    // form; \xDF (sharp s) has no capital and stays.
    EXPECT_EQ(LCase("\xC4\xD6\xDC Stra\xDF"
                    "e \xC9"
                    "COLE \x8A"),
              "\xE4\xF6\xFC stra\xDF"
              "e \xE9"
              "cole \x9A");
    EXPECT_EQ(UCase("\xE4\xF6\xFC\xFF"), "\xC4\xD6\xDC\x9F");
    EXPECT_EQ(LCase("\xD7"), "\xD7");
    EXPECT_TRUE(ContainsNoCase("Security Update for Windows", "UPDATE FOR"));
    EXPECT_TRUE(ContainsNoCase("anything", ""));
    EXPECT_FALSE(ContainsNoCase("short", "longer text"));
    EXPECT_TRUE(EqualsNoCase("Kestrel.TXT", "kestrel.txt"));
    EXPECT_EQ(ReplaceAllNoCase("a/GetDefs=x/getdefs=", "/getdefs=", ""), "ax");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
}

TEST(Strings, LinesEndAtCrLfCrOrLf) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("\r\n"), (std::vector<std::string>{""}));
}

TEST(Strings, TrimRemovesBlanksOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimView("   "), "");
    EXPECT_EQ(TrimView(" x "), "x");
    EXPECT_EQ(Split("a;;b", ";"), (std::vector<std::string>{"a", "", "b"}));
}

}  // namespace
}  // namespace kestrel

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/debug_log.h"
#include "os/fake/fake_basics.h"

namespace kestrel {

void PrintTo(const Action& a, std::ostream* os) {
    *os << "{" << static_cast<int>(a.kind) << ", \"" << a.argument << "\"}";
}

namespace {

using K = ActionKind;

class CommandLineTest : public ::testing::Test {
protected:
    std::vector<Action> Parse(const std::string& line) { return ParseCommandLine(line, m_log); }
    os::fake::FakeDebugOutput m_out;
    DebugLog m_log{m_out};
};

TEST_F(CommandLineTest, EmptyLineTakesTheWindowRoad) {
    EXPECT_EQ(Parse(""), (std::vector<Action>{{K::kShowMainWindow, ""}, {K::kRemoveOldExe, ""}}));
}

TEST_F(CommandLineTest, UnknownArgumentsOnlyCleanUp) {
    EXPECT_EQ(Parse("/help me"), (std::vector<Action>{{K::kRemoveOldExe, ""}}));
    EXPECT_EQ(Parse(" "), (std::vector<Action>{{K::kRemoveOldExe, ""}}));
}

TEST_F(CommandLineTest, SwitchesRunInTheirFixedOrderWhateverTheirPlace) {
    EXPECT_EQ(Parse("/LOGREPORT /SendReport /FixBrowsers /Auto /Update"),
              (std::vector<Action>{{K::kUpdate, ""},
                                   {K::kAutoRun, ""},
                                   {K::kFixBrowsers, ""},
                                   {K::kSendReport, ""},
                                   {K::kLogReport, ""},
                                   {K::kRemoveOldExe, ""}}));
}

TEST_F(CommandLineTest, PackageDownloadsEndTheRunWithTheRestOfTheLine) {
    EXPECT_EQ(Parse("/getdefs=MyDefs /auto"), (std::vector<Action>{{K::kGetDefs, "MyDefs /auto"}}));
    EXPECT_EQ(
        Parse("/update /GETCONFIG=shop.zip /getdefs=x"),
        (std::vector<Action>{{K::kUpdate, ""}, {K::kGetConfig, "/update shop.zip /getdefs=x"}}));
    EXPECT_EQ(Parse("  /getconfig=  cfg  "), (std::vector<Action>{{K::kGetConfig, "cfg"}}));
    EXPECT_EQ(Parse("/getdefs=a/GetDefs=b"), (std::vector<Action>{{K::kGetDefs, "ab"}}));
}

TEST_F(CommandLineTest, UninstallDefinitionsAreLowerCasedAndKeepTrailingBlanks) {
    EXPECT_EQ(Parse("/U=Ask Toolbar"),
              (std::vector<Action>{{K::kUninstall, "ask toolbar"}, {K::kRemoveOldExe, ""}}));
    EXPECT_EQ(Parse("/u=one /u=two"),
              (std::vector<Action>{
                  {K::kUninstall, "one "}, {K::kUninstall, "two"}, {K::kRemoveOldExe, ""}}));
    EXPECT_EQ(Parse("/u=one/u=two"),
              (std::vector<Action>{
                  {K::kUninstall, "one"}, {K::kUninstall, "two"}, {K::kRemoveOldExe, ""}}));
}

TEST_F(CommandLineTest, QuotesStayAndEveryUEqualsInsideAPieceGoes) {
    EXPECT_EQ(Parse("/u=\"My App\""),
              (std::vector<Action>{{K::kUninstall, "\"my app\""}, {K::kRemoveOldExe, ""}}));
    EXPECT_EQ(Parse("/u=menu=bar"),
              (std::vector<Action>{{K::kUninstall, "menbar"}, {K::kRemoveOldExe, ""}}));
}

TEST_F(CommandLineTest, ExactlyWrittenSwitchesAreStrippedBeforeSplitting) {
    // "/auto" still runs (tested before the strip); "/fixbrowsers" is gone for its own test.
    EXPECT_EQ(
        Parse("/auto /u=app /fixbrowsers"),
        (std::vector<Action>{{K::kAutoRun, ""}, {K::kUninstall, "app"}, {K::kRemoveOldExe, ""}}));
    // Capitalised forms survive the case-sensitive strip: "/FixBrowsers" runs, and becomes
    // its own piece of the split, which is not a definition.
    EXPECT_EQ(Parse("/u=app /FixBrowsers"),
              (std::vector<Action>{
                  {K::kUninstall, "app "}, {K::kFixBrowsers, ""}, {K::kRemoveOldExe, ""}}));
    EXPECT_EQ(
        Parse("/update /u=Tool"),
        (std::vector<Action>{{K::kUpdate, ""}, {K::kUninstall, "tool"}, {K::kRemoveOldExe, ""}}));
    // The pieces come from the stripped line, so "/logreport" is still seen afterwards.
    EXPECT_EQ(Parse("/u=app /logreport"),
              (std::vector<Action>{
                  {K::kUninstall, "app "}, {K::kLogReport, ""}, {K::kRemoveOldExe, ""}}));
}

TEST_F(CommandLineTest, BlankDefinitionsAreNotPassedOn) {
    EXPECT_EQ(Parse("/u="), (std::vector<Action>{{K::kRemoveOldExe, ""}}));
    EXPECT_EQ(Parse("/u=   /u=real"),
              (std::vector<Action>{{K::kUninstall, "real"}, {K::kRemoveOldExe, ""}}));
    EXPECT_EQ(Parse("/u=u="), (std::vector<Action>{{K::kRemoveOldExe, ""}}));
    EXPECT_TRUE(m_out.Saw("without a definition"));
}

TEST(CommandArguments, ProgramNameAndFollowingBlanksAreDropped) {
    EXPECT_EQ(CommandArgumentsOf("\"C:\\Program Files\\Kestrel.exe\"  /auto "), "/auto ");
    EXPECT_EQ(CommandArgumentsOf("C:\\Kestrel\\Kestrel.exe /u=x"), "/u=x");
    EXPECT_EQ(CommandArgumentsOf("Kestrel.exe"), "");
    EXPECT_EQ(CommandArgumentsOf("\"unterminated /auto"), "");
    EXPECT_EQ(CommandArgumentsOf(""), "");
}

}  // namespace
}  // namespace kestrel

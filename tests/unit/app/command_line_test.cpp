#include <gtest/gtest.h>

#include "app/command_line.h"
#include "base/strings.h"
#include "core/debug_log.h"
#include "net/updates.h"
#include "os/fake/fake_basics.h"

namespace kestrel {

void PrintTo(const Action& a, std::ostream* os) {
    *os << "{" << static_cast<int>(a.kind) << ", \"" << a.argument << "\"}";
}

namespace {

using K = ActionKind;
using Actions = std::vector<Action>;
class CommandLineTest : public ::testing::Test {
protected:
    static Action Act(K kind, const std::string& argument = "") { return {kind, argument}; }
    static Action U(const std::string& definition) { return {K::kUninstall, definition}; }
    const Action kCleanUp = Act(K::kRemoveOldExe);
    Actions Parse(const std::string& line) { return ParseCommandLine(line, m_log); }
    os::fake::FakeDebugOutput m_out;
    DebugLog m_log{m_out};
};

TEST_F(CommandLineTest, EmptyLineTakesTheWindowRoad) {
    EXPECT_EQ(Parse(""), (Actions{Act(K::kShowMainWindow), kCleanUp}));
}

TEST_F(CommandLineTest, UnknownArgumentsOnlyCleanUp) {
    EXPECT_EQ(Parse("/help me"), Actions{kCleanUp});
    EXPECT_EQ(Parse(" "), Actions{kCleanUp});
    // What a self-update restarts the new program with after "/update" alone.
    EXPECT_EQ(Parse(kRestartedArgument), Actions{kCleanUp});
}

TEST_F(CommandLineTest, SwitchesRunInTheirFixedOrderWhateverTheirPlace) {
    EXPECT_EQ(Parse("/LOGREPORT /SendReport /FixBrowsers /Auto /Update"),
              (Actions{Act(K::kUpdate), Act(K::kAutoRun), Act(K::kFixBrowsers), Act(K::kSendReport),
                       Act(K::kLogReport), kCleanUp}));
}

TEST_F(CommandLineTest, PackageDownloadsEndTheRunWithTheRestOfTheLine) {
    EXPECT_EQ(Parse("/getdefs=MyDefs /auto"), (Actions{Act(K::kGetDefs, "MyDefs /auto")}));
    EXPECT_EQ(Parse("/update /GETCONFIG=shop.zip /getdefs=x"),
              (Actions{Act(K::kUpdate), Act(K::kGetConfig, "/update shop.zip /getdefs=x")}));
    EXPECT_EQ(Parse("  /getconfig=  cfg  "), (Actions{Act(K::kGetConfig, "cfg")}));
    EXPECT_EQ(Parse("/getdefs=a/GetDefs=b"), (Actions{Act(K::kGetDefs, "ab")}));
}

TEST_F(CommandLineTest, TheJsonReportFollowsTheTextReportAndIsNoOtherSwitch) {
    EXPECT_EQ(Parse("/JsonReport /logreport"),
              (Actions{Act(K::kLogReport), Act(K::kJsonReport), kCleanUp}));
    EXPECT_EQ(Parse("/jsonreport"), (Actions{Act(K::kJsonReport), kCleanUp}));
}

TEST_F(CommandLineTest, APreviewRunsAloneWhateverElseTheLineHolds) {
    EXPECT_EQ(Parse("/Preview"), Actions{Act(K::kPreview)});
    EXPECT_EQ(Parse("/auto /u=toolbar /update /PREVIEW /getdefs=x"), Actions{Act(K::kPreview)});
}

TEST_F(CommandLineTest, UninstallDefinitionsAreLowerCasedAndKeepTrailingBlanks) {
    EXPECT_EQ(Parse("/U=Ask Toolbar"), (Actions{U("ask toolbar"), kCleanUp}));
    EXPECT_EQ(Parse("/u=one /u=two"), (Actions{U("one "), U("two"), kCleanUp}));
    EXPECT_EQ(Parse("/u=one/u=two"), (Actions{U("one"), U("two"), kCleanUp}));
}

TEST_F(CommandLineTest, QuotesStayAndEveryUEqualsInsideAPieceGoes) {
    EXPECT_EQ(Parse("/u=\"My App\""), (Actions{U("\"my app\""), kCleanUp}));
    EXPECT_EQ(Parse("/u=menu=bar"), (Actions{U("menbar"), kCleanUp}));
}

TEST_F(CommandLineTest, ExactlyWrittenSwitchesAreStrippedBeforeSplitting) {
    // "/auto" still runs (tested before the strip); "/fixbrowsers" is gone for its own test.
    EXPECT_EQ(Parse("/auto /u=app /fixbrowsers"), (Actions{Act(K::kAutoRun), U("app"), kCleanUp}));
    // Capitalised forms survive the case-sensitive strip: "/FixBrowsers" runs, and becomes
    // its own piece of the split, which is not a definition.
    EXPECT_EQ(Parse("/u=app /FixBrowsers"), (Actions{U("app "), Act(K::kFixBrowsers), kCleanUp}));
    EXPECT_EQ(Parse("/update /u=Tool"), (Actions{Act(K::kUpdate), U("tool"), kCleanUp}));
    // The pieces come from the stripped line, so "/logreport" is still seen afterwards.
    EXPECT_EQ(Parse("/u=app /logreport"), (Actions{U("app "), Act(K::kLogReport), kCleanUp}));
}

TEST_F(CommandLineTest, BlankDefinitionsAreNotPassedOn) {
    EXPECT_EQ(Parse("/u="), Actions{kCleanUp});
    EXPECT_EQ(Parse("/u=   /u=real"), (Actions{U("real"), kCleanUp}));
    EXPECT_EQ(Parse("/u=u="), Actions{kCleanUp});
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

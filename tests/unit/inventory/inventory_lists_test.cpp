#include <gtest/gtest.h>

#include "app/startup.h"
#include "inventory/app_list.h"
#include "inventory/definition_lists.h"
#include "inventory/matching.h"
#include "inventory/report.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

class RecordingNotices : public NoticeSink {
public:
    std::vector<std::string> seen;
    void Notice(const std::string& title, const std::string& message) override {
        seen.push_back(title + "|" + message);
    }
};

class DefinitionListsTest : public ::testing::Test {
protected:
    DefinitionListsTest() { PrepareProgram(m.ctx); }  // each list's file in C:\Kestrel
    testing::FakeMachine m;
    DefinitionBoxes boxes;
    RecordingNotices notices;
    DefinitionLists lists{m.ctx, boxes, notices};
};

TEST_F(DefinitionListsTest, ReloadDropsEmptyLinesWhateverTheLineEnds) {
    m.files.AddFile("C:\\Kestrel\\Kestrel.txt", "Ask\r\n\r\n\rCoupon\n\nLast|note\r\n");
    boxes.txtDefs = "unsaved edits";
    lists.ReloadBlacklist();
    EXPECT_EQ(boxes.txtDefs, "Ask\r\nCoupon\r\nLast|note");
    EXPECT_EQ(notices.seen, std::vector<std::string>{"Operation Completed.|Blacklist Refreshed."});
    lists.SaveBlacklist();
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Kestrel.txt"), "Ask\r\nCoupon\r\nLast|note\r\n");
    EXPECT_EQ(notices.seen.back(), "Definitions saved!|");
}

TEST_F(DefinitionListsTest, MissingBlackOrWhitelistLeavesTheBoxButStillNotifies) {
    boxes.txtDefs = "typed";
    boxes.Text1 = "kept";
    lists.ReloadBlacklist();
    lists.ReloadWhitelist();
    EXPECT_EQ(boxes.txtDefs, "typed");
    EXPECT_EQ(boxes.Text1, "kept");
    EXPECT_EQ(notices.seen.size(), 2u);
}

TEST_F(DefinitionListsTest, PagesSaveEveryBoxAndReloadIntoClearedBoxes) {
    boxes.Text3 = "SOFTWARE\\Conduit";
    boxes.Text4 = "v";
    lists.SaveRegistryDefinitions();
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Kestrel_RegKeys.txt"), "SOFTWARE\\Conduit\r\n");
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Kestrel_RunValues.txt"), "\r\n");  // an empty box
    boxes.Text4 = boxes.Text3 = boxes.Text2 = "typed over";
    lists.ReloadRegistryDefinitions();
    EXPECT_EQ(boxes.Text2 + "|" + boxes.Text3 + "|" + boxes.Text4, "|SOFTWARE\\Conduit|v");

    boxes.Text5 = "x";
    m.files.AddFile("C:\\Kestrel\\Kestrel_StartMenuFolders.txt", "Ask Toolbar");
    lists.ReloadFileSystemDefinitions();
    EXPECT_EQ(boxes.Text5, "");
    EXPECT_EQ(boxes.Text7, "Ask Toolbar");
    EXPECT_EQ(notices.seen, (std::vector<std::string>{
                                "Operation Completed.|Registry Definitions Saved.",
                                "Operation Completed.|Registry Definitions Refreshed.",
                                "Operation Completed.|File System Definitions Refreshed."}));
}

TEST_F(DefinitionListsTest, AddedEntriesGoOnTopByTheirSearchTerm) {
    lists.definitionsAltered = true;
    boxes.txtDefs = "Existing";
    lists.AddBlacklistEntry("First|{GUID}");
    lists.AddBlacklistEntry("Second");
    EXPECT_EQ(boxes.txtDefs, "Second\r\nFirst\r\nExisting");
    lists.SaveBlacklist();
    EXPECT_FALSE(lists.definitionsAltered);
    lists.AddWhitelistEntry("Keep|note|more");
    EXPECT_EQ(boxes.Text1, "Keep|note");
    lists.SaveWhitelist();
    EXPECT_EQ(m.files.Content(m.ctx.definitions.whitelist), "Keep|note\r\n");
}

TEST(Matching, TermsMatchNameOrPublisherIgnoringCaseButNotBlanks) {
    const std::vector<std::string> black = {"toolbar|note", ";Disabled", "", "Coupons.com"};
    EXPECT_TRUE(MatchesDefinition(black, "Ask TOOLBAR", ""));
    EXPECT_TRUE(MatchesDefinition(black, "Printer", "coupons.com Inc"));
    EXPECT_FALSE(MatchesDefinition(black, "Disabled Thing", ""));
    EXPECT_FALSE(MatchesDefinition(black, "note", ""));
    // Blank terms would match everything; they match nothing.
    EXPECT_FALSE(MatchesDefinition({"|just a note", "   |x", "  "}, "Any App", "Any Vendor"));
    // Inner and outer blanks of a term count; the name is trimmed.
    EXPECT_TRUE(MatchesDefinition({" Toolbar"}, "Ask Toolbar ", ""));
    EXPECT_FALSE(MatchesDefinition({"Toolbar "}, "  Ask Toolbar  ", ""));
}

TEST(Matching, DisabledLinesHideWhatBeginsWithTheirText) {
    const std::vector<std::string> black = {";Babylon|note", "Toolbar"};
    EXPECT_TRUE(MatchesDisabledDefinition(black, "  Babylon Toolbar", ""));
    EXPECT_TRUE(MatchesDisabledDefinition(black, "Translator", "BABYLON Ltd"));
    EXPECT_FALSE(MatchesDisabledDefinition(black, "The Babylon Toolbar", "Other"));
    EXPECT_FALSE(MatchesDisabledDefinition(black, "Toolbar", ""));
    EXPECT_FALSE(MatchesDisabledDefinition({";", ";   ", ";|note"}, "Anything", "Anyone"));
    // The ";" of the term may also meet a ";" inside the name.
    EXPECT_TRUE(MatchesDisabledDefinition({";Beta"}, "Alpha;beta", ""));
    EXPECT_FALSE(MatchesDisabledDefinition({";Beta"}, "Alpha beta", ""));
    // The term's blanks count, and a trimmed name never begins with one.
    EXPECT_TRUE(MatchesDisabledDefinition({"; X"}, "Tool; x", ""));
    EXPECT_FALSE(MatchesDisabledDefinition({"; X"}, " x y", ""));
}

TEST(Matching, PreparedTermsPlaceLikeTheLines) {
    const std::vector<std::string> black = {"toolbar|n", ";Baby", "", "   |x", ";", "Coupon"};
    const BlacklistTerms terms = BlacklistTermsOf(black);
    EXPECT_EQ(terms.enabled, (std::vector<std::string>{"toolbar", "Coupon"}));
    EXPECT_EQ(terms.disabled, (std::vector<std::string>{";Baby"}));
    for (const char* name : {"Ask Toolbar", "Babylon", "x", " coupons ", ";baby"}) {
        EXPECT_EQ(MatchesDefinition(terms, name, "p"), MatchesDefinition(black, name, "p"));
        EXPECT_EQ(MatchesDisabledDefinition(terms, "n", name),
                  MatchesDisabledDefinition(black, "n", name));
    }
}

TEST(Markup, EscapesInTheirOrder) {
    EXPECT_EQ(fMuF("A & B <c> 'd' \"e\"\r\n{f}?"),
              "A &amp; B &lt;c&gt; &apos;d&apos; &quot;e&quot;<LineBreak/>(f)_");
    EXPECT_EQ(fMuF("&lt;"), "&amp;lt;");
    EXPECT_EQ(fMuF("line\nonly LF\r"), "line\nonly LF\r");
    EXPECT_EQ(fMuF("\r\r\n\n"), "\r<LineBreak/>\n");
    EXPECT_EQ(fMuF("{?}&amp;<LineBreak/>"), "(_)&amp;amp;&lt;LineBreak/&gt;");
}

TEST(Markup, EntryShowsItsThreeFieldsEscapedAndNotTheKey) {
    const std::string m = EntryMarkup({"Tom's App", "{KEY}", "\"C:\\x.exe\" /u", "A&B", ""});
    for (const char* shown :
         {"Text='Tom&apos;s App'/>", "Text='A&amp;B'/>", "Text='&quot;C:\\x.exe&quot; /u'/>"}) {
        EXPECT_NE(m.find(shown), std::string::npos) << shown;
    }
    EXPECT_EQ(m.find("{KEY}"), std::string::npos);
}

TEST(Placement, RecordsGoToTheirListsAndMatchingOnesAreChecked) {
    std::vector<std::string> records = {"zeta|k1|u1|p",
                                        "Ask Toolbar|{A}|msiexec /x{A}|APN",
                                        "Babylon|k3||Babylon Ltd",
                                        "Alpha|k4|u4|Vendor",
                                        "Alpha|k0|u0|Vendor",
                                        "Zeta|k5|u5|"};
    SortCollection(records, true);
    EXPECT_EQ(records.front(), "Alpha|k0|u0|Vendor");
    EXPECT_EQ(records.back(), "zeta|k1|u1|p");  // small letters sort after every capital
    AppLists lists;
    PlaceApps(lists, records, {"toolbar", ";Babylon", "VENDOR|note"});
    ASSERT_EQ(lists.matching.size(), 3u);
    EXPECT_EQ(lists.matching[0].data, (std::vector<std::string>{"Alpha", "k0", "u0"}));
    EXPECT_EQ(lists.matching[2].data[0], "Ask Toolbar");
    for (const AppListEntry& e : lists.matching) {
        EXPECT_TRUE(e.checked);
    }
    ASSERT_EQ(lists.notInDefs.size(), 2u);
    EXPECT_EQ(lists.notInDefs[0].data[0], "Zeta");
    EXPECT_FALSE(lists.notInDefs[0].checked);
    SortCollection(records, false);
    EXPECT_EQ(records.front(), "zeta|k1|u1|p");
}

TEST(Placement, RecordsWithBarsOrFewFieldsStillPlace) {
    AppLists lists;
    AddAppToList(lists, "Name|With|Bars|Pub|extra", false);
    AddAppToList(lists, "Only Name", true);
    EXPECT_EQ(lists.notInDefs[0].data, (std::vector<std::string>{"Name", "With", "Bars"}));
    EXPECT_EQ(lists.matching[0].data, (std::vector<std::string>{"Only Name", "", ""}));
    EXPECT_NE(lists.matching[0].Markup().find("Grid.Row='1'  Text=''/>"), std::string::npos);
}

TEST(Report, AMailedReportIsNotWrittenToTheFile) {
    testing::FakeMachine m;
    AppLists lists;
    AddAppToList(lists, "Ask Toolbar|a|u|p", true);
    std::vector<std::string> sent;
    m.files.AddFile("C:\\Kestrel\\Kestrel_Report.txt", "untouched");
    LogResultsOnly(m.ctx, lists, false, true,
                   [&](const std::string& s, const std::string& body, bool quiet) {
                       sent.push_back(s + (quiet ? " quiet" : "") + "\n" + body);
                   });
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "Kestrel Report for WORKSHOP-PC quiet\n" + ReportText(lists));
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Kestrel_Report.txt"), "untouched");
}

}  // namespace
}  // namespace kestrel

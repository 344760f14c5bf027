// Listings: Get_FileList, Get_DirList and what is counted over them, and FindFiles.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "base/strings.h"
#include "os/fake/fake_basics.h"
#include "platform/file_search.h"
#include "platform/fso.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::fake::FileTimeOf;
using Lines = std::vector<std::string>;

class Listings : public ::testing::Test {
protected:
    Listings() {
        m.files.AddFile("C:\\data\\a.TXT", "alpha");
        m.files.AddFile("C:\\data\\b.txt", "bravo needle");
        m.files.AddFile("C:\\data\\c.log", "charlie");
        m.files.AddFile("C:\\data\\noext", "delta needle");
        m.files.AddFile("C:\\data\\sub\\d.txt", "echo");
        m.files.AddFile("C:\\data\\sub\\deeper\\e.TxT", "foxtrot");
        m.files.AddFolder("C:\\data\\empty");
    }

    testing::FakeMachine m;
    clsFSO fso{m.ctx};
};

TEST_F(Listings, SpecsWithAStarTakeTheirExtensionOthersTakeEveryFile) {
    std::vector<std::pair<double, std::string>> found;
    fso.SetFileFoundHandler(
        [&](double count, const std::string& path) { found.emplace_back(count, path); });
    fso.SetCount(10);
    EXPECT_EQ(fso.Get_FileList("C:\\data", true, "*.txt"),
              "C:\\data\\a.TXT;C:\\data\\b.txt;C:\\data\\sub\\d.txt;C:\\data\\sub\\deeper\\e.TxT;");
    EXPECT_EQ(fso.Count(), 14);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[3], (std::pair<double, std::string>{14, "C:\\data\\sub\\deeper\\e.TxT"}));
    // A name pattern with a star means its extension, whatever the name part says.
    EXPECT_EQ(fso.Get_FileList("C:\\data\\", false, "zzz*.LOG"), "C:\\data\\c.log;");
    EXPECT_EQ(fso.Get_FileList("C:\\data", false, "*"), "C:\\data\\noext;");
    const std::string top = "C:\\data\\a.TXT;C:\\data\\b.txt;C:\\data\\c.log;C:\\data\\noext;";
    EXPECT_EQ(fso.Get_FileList("C:\\data", false, "readme.txt"), top);
    EXPECT_EQ(fso.Get_FileList("C:\\data", true, "*.*"),
              top + "C:\\data\\sub\\d.txt;C:\\data\\sub\\deeper\\e.TxT;");
    EXPECT_EQ(fso.Get_DirList("C:\\data", false), "C:\\data\\empty;C:\\data\\sub");
    EXPECT_EQ(fso.Get_DirList("C:\\data", true),
              "C:\\data\\empty;C:\\data\\sub;C:\\data\\sub\\deeper");
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(Listings, EmptyMissingRelativeOrFileFoldersListNothing) {
    for (const char* folder :
         {"", "C:\\missing", "data", "C:\\data\\a.TXT", "Q:\\", "C:\\data\\empty"}) {
        EXPECT_EQ(fso.Get_FileList(folder, true), "") << folder;
        EXPECT_EQ(fso.Get_DirList(folder, true), "") << folder;
    }
    EXPECT_TRUE(m.debugOut.Saw("\tclsFSO\\Get_FileList - VB ERROR: 76 Path not found"));
    EXPECT_EQ(fso.AccessErrNum(), 0);
}

TEST_F(Listings, CancellingEndsEitherListingWithNothing) {
    m.prompts.onDoEvents = [&](int count) {
        if (count == 3) {
            fso.SetCancel(true);
        }
    };
    EXPECT_EQ(fso.Get_FileList("C:\\data", true), "");
    EXPECT_EQ(m.prompts.doEvents, 3);
    EXPECT_EQ(fso.Get_DirList("C:\\data", true), "");
    fso.SetCancel(false);
    m.prompts.onDoEvents = nullptr;
    EXPECT_NE(fso.Get_FileList("C:\\data", true), "");
}

TEST_F(Listings, TreesAThousandLevelsDeepAreListedAndDeleted) {
    std::string deep = "C:\\deep";
    for (int level = 0; level < 1000; ++level) {
        deep += "\\d";
    }
    m.files.AddFile(deep + "\\bottom.txt");
    EXPECT_EQ(fso.Get_FileList("C:\\deep", true), deep + "\\bottom.txt;");
    EXPECT_EQ(Split(fso.Get_DirList("C:\\deep", true), ";").size(), 1000u);
    EXPECT_TRUE(fso.KillDir("C:\\deep"));
    EXPECT_FALSE(m.files.Exists("C:\\deep"));
}

TEST_F(Listings, LinksAreListedButNeverEntered) {
    m.files.AddFile("D:\\precious\\keep.txt", "keep");
    m.files.AddLink("C:\\data\\to-d", "D:\\precious");
    m.files.AddLink("C:\\data\\sub\\loop", "C:\\data");
    m.files.AddLink("C:\\data\\file-link.txt", "D:\\precious\\keep.txt", false);
    const std::string files = fso.Get_FileList("C:\\data", true);
    EXPECT_EQ(files.find("precious"), std::string::npos);
    EXPECT_EQ(files.find("loop"), std::string::npos);
    EXPECT_NE(files.find("C:\\data\\file-link.txt;"), std::string::npos);
    EXPECT_EQ(fso.Get_DirList("C:\\data", true),
              "C:\\data\\empty;C:\\data\\sub;C:\\data\\sub\\deeper;C:\\data\\sub\\loop;"
              "C:\\data\\to-d");
    Lines found;
    FindFiles(m.ctx, "C:\\data", "*.txt", found, true);
    EXPECT_EQ(found, (Lines{"C:\\data\\a.TXT", "C:\\data\\b.txt", "C:\\data\\file-link.txt",
                            "C:\\data\\sub\\d.txt", "C:\\data\\sub\\deeper\\e.TxT"}));
    EXPECT_EQ(fso.GetDirSize("C:\\data"), 5u + 12 + 7 + 12 + 4 + 7);
}

TEST_F(Listings, NamesWithTrailingDotsAreListedAndEnteredAsTheyAre) {
    m.files.AddFile("\\\\?\\C:\\data\\sub\\dot.", "dotted");
    m.files.AddFile("\\\\?\\C:\\data\\odd. \\inner.txt", "inner");
    m.files.AddFile("C:\\data\\odd\\decoy.txt", "decoy");
    const std::string files = fso.Get_FileList("C:\\data", true);
    EXPECT_NE(files.find("C:\\data\\sub\\dot.;"), std::string::npos);
    EXPECT_NE(files.find("C:\\data\\odd. \\inner.txt;"), std::string::npos);
    EXPECT_NE(files.find("C:\\data\\odd\\decoy.txt;"), std::string::npos);
    EXPECT_EQ(files.find("C:\\data\\odd. \\decoy.txt"), std::string::npos);
    EXPECT_EQ(fso.TextSearch("C:\\data\\sub", "dotted"), "C:\\data\\sub\\dot.;");
}

TEST_F(Listings, TextSearchAndDirSizeLookInTheFolderGivenOnly) {
    EXPECT_EQ(fso.TextSearch("C:\\data", "needle"), "C:\\data\\b.txt;C:\\data\\noext;");
    EXPECT_EQ(fso.TextSearch("C:\\data", "NEEDLE"), "N/A");
    EXPECT_EQ(fso.TextSearch("C:\\data", "echo"), "N/A");
    EXPECT_EQ(fso.TextSearch("C:\\missing", "x"), "N/A");
    EXPECT_EQ(fso.GetDirSize("C:\\data\\sub"), 11u);
    EXPECT_EQ(fso.GetDirSize("C:\\missing"), 0u);
}

TEST_F(Listings, TotalsCountTheFilesOnOrAfterTheDate) {
    m.files.SetTimes("C:\\data\\a.TXT", FileTimeOf(2020, 1, 1), FileTimeOf(2024, 5, 1, 12));
    m.files.SetTimes("C:\\data\\b.txt", FileTimeOf(2020, 1, 1), FileTimeOf(2024, 4, 30, 23));
    m.files.SetTimes("C:\\data\\c.log", FileTimeOf(2024, 6, 1), FileTimeOf(2024, 6, 1));
    m.files.SetTimes("C:\\data\\noext", FileTimeOf(2019, 1, 1), FileTimeOf(2019, 1, 1));
    FileTotals totals = fso.Get_Totals("C:\\data", "2024-05-01", FileDate::kModified, false);
    EXPECT_EQ(std::tie(totals.valid, totals.files, totals.bytes), std::tuple(true, 2, 5u + 7));
    EXPECT_EQ(fso.Get_Totals("C:\\data", "5/1/2024", FileDate::kCreated, true).files, 1);
    totals = fso.Get_Totals("C:\\data", "", FileDate::kAccessed, true);
    EXPECT_EQ(std::tie(totals.files, totals.bytesText), std::tuple(6, "47"));
    EXPECT_TRUE(m.prompts.messages.empty());
}

TEST_F(Listings, TotalsRefuseABadDateAndReportFilesWithUnreadableTimes) {
    EXPECT_FALSE(fso.Get_Totals("C:\\data", "31.12.2024", FileDate::kModified, false).valid);
    ASSERT_EQ(m.prompts.messages.size(), 1u);
    EXPECT_EQ(m.prompts.messages[0].text, "An invalid date was passed.");
    EXPECT_EQ(m.prompts.messages[0].title, "Invalid date format");
    m.files.SetTimes("C:\\data\\c.log", -5, FileTimeOf(2024, 6, 1));
    EXPECT_EQ(fso.Get_Totals("C:\\data", "", FileDate::kCreated, false).files, 3);
    ASSERT_EQ(m.prompts.messages.size(), 2u);
    EXPECT_EQ(m.prompts.messages[1].title, "Errors detected");
    EXPECT_EQ(m.prompts.messages[1].text,
              "File: C:\\data\\c.log\r\nSize: 7\r\nCreated:  \r\nModified: 6/1/2024 12:00:00 AM"
              "\r\nAccessed: 6/1/2024 12:00:00 AM\r\n\r\n");
}

TEST(FindFiles, EverySpecOnceOutsidePathsNeverAndCancelEndsTheSearch) {
    testing::FakeMachine m;
    m.files.AddFile("C:\\app\\setup.exe");
    m.files.AddFile("C:\\app\\readme.txt");
    m.files.AddFile("C:\\app\\notes.TXT");
    m.files.AddFolder("C:\\app\\folder.txt");
    m.files.AddFile("C:\\app\\bin\\tool.exe");
    m.files.AddFile("C:\\secret.dat");
    Lines found{"stale"};
    FindFiles(m.ctx, "C:\\app", "*.exe;*.txt;readme.*", found, false);
    EXPECT_EQ(found, (Lines{"C:\\app\\setup.exe", "C:\\app\\notes.TXT", "C:\\app\\readme.txt"}));
    EXPECT_TRUE(m.debugOut.Saw("\tFindFiles:  457 This key is already associated"));
    FindFiles(m.ctx, "C:\\app\\", "*.exe", found, true);
    EXPECT_EQ(found, (Lines{"C:\\app\\setup.exe", "C:\\app\\bin\\tool.exe"}));
    for (const char* folder : {"C:\\nowhere", "app"}) {
        FindFiles(m.ctx, folder, "*.*", found, true);
        EXPECT_TRUE(found.empty()) << folder;
    }
    FindFiles(m.ctx, "C:\\app\\bin", "..\\..\\*.dat;C:\\*.dat", found, false);
    EXPECT_TRUE(found.empty());
    m.prompts.onDoEvents = [&](int) { m.ctx.cancelRequested = true; };
    FindFiles(m.ctx, "C:\\app", "tool.exe", found, true);
    EXPECT_TRUE(found.empty());
}

}  // namespace
}  // namespace kestrel

// Paths as texts: the clsFSO helpers, the path forms and the date and number texts.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "os/fake/fake_basics.h"
#include "platform/file_dates.h"
#include "platform/fso.h"
#include "platform/path_forms.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

TEST(AttributeString, LettersOnlyForTheCombinationsThatHaveThem) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, ""},       {1, "R"}, {7, "RHS"},    {8, "V"}, {23, "DRHS"}, {24, ""},    {38, ""},
        {55, "DRHSA"}, {56, ""}, {64, "Alias"}, {65, ""}, {0x80, ""},   {0x2026, ""}};
    for (const auto& [value, letters] : cases) {
        EXPECT_EQ(clsFSO::Attribute_String(value), letters) << value;
    }
}

TEST(FsoPathParts, NamesExtensionsAndParentsAsTheScriptingRuntimeGivesThem) {
    struct Case {
        const char *path, *name, *base, *extension, *parent;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "file.txt", "file", "txt", "C:\\dir"},
        {"C:\\dir\\archive.tar.gz", "archive.tar.gz", "archive.tar", "gz", "C:\\dir"},
        {"C:\\dir\\sub\\", "sub", "sub", "", "C:\\dir"},
        {"C:\\file", "file", "file", "", "C:\\"},
        {"C:\\", "", "", "", ""},
        {"C:", "", "", "", ""},
        {"C:name.ini", "name.ini", "name", "ini", "C:"},
        {"file.txt", "file.txt", "file", "txt", ""},
        {"\\\\server\\share\\dir\\x.doc", "x.doc", "x", "doc", "\\\\server\\share\\dir"},
        {"\\\\server\\share", "", "", "", ""},
        {"C:/dir/mixed.log", "mixed.log", "mixed", "log", "C:/dir"},
        {"C:\\dir\\.hidden", ".hidden", "", "hidden", "C:\\dir"},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clsFSO::Get_Filename(c.path), c.name) << c.path;
        EXPECT_EQ(clsFSO::Get_FileNoExtension(c.path), c.base) << c.path;
        EXPECT_EQ(clsFSO::Get_Extension(c.path), c.extension) << c.path;
        EXPECT_EQ(clsFSO::Get_Path(c.path), c.parent) << c.path;
    }
}

TEST(FsoPathParts, TrailingSlashesAndNulls) {
    for (const char* path : {"  C:\\dir  ", "C:\\dir\\"}) {
        EXPECT_EQ(clsFSO::Add_Trailing_Slash(path), "C:\\dir\\") << path;
    }
    EXPECT_EQ(clsFSO::Add_Trailing_Slash("   "), "");
    EXPECT_EQ(clsFSO::Remove_Trailing_Slash(" C:\\dir\\ "), "C:\\dir");
    EXPECT_EQ(clsFSO::Remove_Trailing_Slash("C:\\dir\\\\"), "C:\\dir\\");
    EXPECT_EQ(clsFSO::Remove_Nulls(std::string("C:\\x\0garbage", 13)), "C:\\x");
    EXPECT_EQ(clsFSO::Remove_Nulls(std::string("\0x", 2)), "");
}

TEST(FsoPathParts, StripDriveLogsWhatItCannotStrip) {
    testing::FakeMachine m;
    clsFSO fso(m.ctx);
    EXPECT_EQ(fso.StripDrive("C:\\Program Files\\App"), "\\Program Files\\App");
    EXPECT_TRUE(m.debugOut.lines.empty());
    const std::string clsid = "{645FF040-5081-101B-9F08-00AA002F954E}";
    EXPECT_EQ(fso.StripDrive(clsid), clsid);
    EXPECT_TRUE(m.debugOut.Saw("It appears a CLSID was passed."));
    EXPECT_EQ(fso.StripDrive("\\\\server\\share"), "\\\\server\\share");
    EXPECT_TRUE(m.debugOut.Saw("It appears no drive letter was passed."));
}

TEST(FsoPathParts, ShrinkToFitKeepsTheFirstFolderAndAsMuchOfTheTailAsFits) {
    const std::string path = "C:\\Program Files\\Vendor\\Application\\bin\\program.exe";
    EXPECT_EQ(clsFSO::Shrink_2_Fit(path, 200), path);
    EXPECT_EQ(clsFSO::Shrink_2_Fit(path, path.size()), path);
    EXPECT_EQ(clsFSO::Shrink_2_Fit(path, 40), "C:\\Program Files\\...\\bin\\program.exe");
    EXPECT_EQ(clsFSO::Shrink_2_Fit(path, 32), "C:\\Program Files\\...\\program.exe");
    const std::string unc = "\\\\server\\share\\Data\\Projects\\2026\\report.doc";
    EXPECT_EQ(clsFSO::Shrink_2_Fit(unc, 36), "\\\\server\\share\\Data\\...\\report.doc");
    for (size_t max : {5u, 12u, 20u, 31u, 44u}) {
        EXPECT_LE(clsFSO::Shrink_2_Fit(path, max).size(), max) << max;
    }
    EXPECT_EQ(clsFSO::Shrink_2_Fit(path, 12), "...ogram.exe");
    EXPECT_EQ(clsFSO::Shrink_2_Fit(path, 2), "C:");
}

TEST(PathForms, AbsoluteRootsAndWildcards) {
    for (const char* yes :
         {"C:\\", "c:\\dir", "C:/dir", "C:", "\\\\server\\share", "\\\\?\\C:\\dir"}) {
        EXPECT_TRUE(IsAbsolutePath(yes)) << yes;
    }
    for (const char* no : {"", "dir\\file", "C:dir", "\\dir", "\\\\\\x", ":\\", "1:\\x"}) {
        EXPECT_FALSE(IsAbsolutePath(no)) << no;
    }
    for (const char* root : {"C:", "C:\\", "d:/", "\\\\server\\share", "\\\\server\\share\\",
                             "\\\\?\\C:\\", "\\\\?\\UNC\\server\\share"}) {
        EXPECT_TRUE(IsDriveOrShareRoot(root)) << root;
    }
    for (const char* no : {"C:\\dir", "\\\\server", "\\\\server\\share\\dir", "\\\\?\\C:\\x"}) {
        EXPECT_FALSE(IsDriveOrShareRoot(no)) << no;
    }
    EXPECT_TRUE(HasWildcard("C:\\dir\\*.txt"));
    EXPECT_TRUE(HasWildcard("C:\\di?\\x"));
    EXPECT_FALSE(HasWildcard("\\\\?\\C:\\dir"));
    EXPECT_TRUE(HasTrailingDotOrBlankName("C:\\dir.\\file"));
    EXPECT_TRUE(HasTrailingDotOrBlankName("C:\\dir\\file "));
    EXPECT_FALSE(HasTrailingDotOrBlankName("C:\\dir\\..\\file.txt"));
    EXPECT_FALSE(HasTrailingDotOrBlankName("\\\\?\\C:\\dir\\file"));
}

TEST(PathForms, LiteralFormsNameExactlyWhatIsSpelled) {
    EXPECT_EQ(LiteralPath("c:/dir//sub/./x.txt"), "\\\\?\\C:\\dir\\sub\\x.txt");
    EXPECT_EQ(LiteralPath("C:\\a\\b\\..\\c."), "\\\\?\\C:\\a\\c.");
    EXPECT_EQ(LiteralPath("C:\\a.\\b \\c.", true), "\\\\?\\C:\\a\\b\\c");
    EXPECT_EQ(LiteralPath("C:\\"), "\\\\?\\C:\\");
    EXPECT_EQ(LiteralPath("\\\\server\\share\\dir"), "\\\\?\\UNC\\server\\share\\dir");
    EXPECT_EQ(LiteralPath("\\\\?\\C:\\kept. "), "\\\\?\\C:\\kept. ");
    EXPECT_EQ(LiteralPath("relative\\x"), "");
    EXPECT_EQ(LiteralPath("C:relative"), "");
    EXPECT_EQ(ChildAccessPath("C:\\dir", "plain"), "C:\\dir\\plain");
    EXPECT_EQ(ChildAccessPath("C:\\", "plain"), "C:\\plain");
    EXPECT_EQ(ChildAccessPath("C:\\dir. ", "dot."), "\\\\?\\C:\\dir\\dot.");
    EXPECT_EQ(ChildAccessPath("\\\\?\\C:\\dot.", "x"), "\\\\?\\C:\\dot.\\x");
}

TEST(FileDates, DatesTypedByTheUser) {
    os::LocalTime date;
    ASSERT_TRUE(ParseDateText(" 2024-02-29 ", date));
    EXPECT_EQ(std::tie(date.year, date.month, date.day), std::tuple(2024, 2, 29));
    ASSERT_TRUE(ParseDateText("12/31/1999", date));
    EXPECT_EQ(std::tie(date.year, date.month, date.day), std::tuple(1999, 12, 31));
    for (const char* bad : {"", "2023-02-29", "2024-13-01", "2024-00-10", "31/12/1999", "1/1/99",
                            "yesterday", "2024-1-1-1", "2024--1", "1500-01-01", "+2024-01-01"}) {
        EXPECT_FALSE(ParseDateText(bad, date)) << bad;
    }
}

TEST(FileDates, ThousandsAndFileTimes) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(1234567890123ull), "1,234,567,890,123");
    testing::FakeMachine m;
    EXPECT_EQ(FormatFileTime(m.ctx, os::fake::FileTimeOf(2026, 3, 7, 14, 5, 9)),
              "3/7/2026 2:05:09 PM");
    m.clock.utcOffsetMinutes = 120;
    EXPECT_EQ(FormatFileTime(m.ctx, os::fake::FileTimeOf(2026, 12, 31, 23, 0, 0)),
              "1/1/2027 1:00:00 AM");
    EXPECT_EQ(FormatFileTime(m.ctx, -1), "");
}

}  // namespace
}  // namespace kestrel

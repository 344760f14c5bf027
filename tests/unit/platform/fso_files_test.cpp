// Paths as texts (the clsFSO helpers, path forms, dates and number texts) and files: drives,
// existence, folder creation, temporary names, file details and FileToArray.
#include <gtest/gtest.h>

#include <set>
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

class FsoFiles : public ::testing::Test {
protected:
    testing::FakeMachine m;
    clsFSO fso{m.ctx};
};

TEST_F(FsoFiles, DrivesExistWhenPresentAndReady) {
    m.volumes.SetVolume('e', {os::drive_type::kCdRom, false, 0, 0});
    m.volumes.SetVolume('N', {os::drive_type::kRemote, true, 5, 10});
    FsoDriveType type = FsoDriveType::kUnknown;
    EXPECT_TRUE(fso.Drive_Exist("N:\\share", type));
    EXPECT_EQ(type, FsoDriveType::kNetwork);
    EXPECT_FALSE(fso.Drive_Exist("E:", type));
    EXPECT_EQ(type, FsoDriveType::kCdRom);
    for (const char* no : {"Q:", "C", "", "1:\\", "\\\\server\\share"}) {
        EXPECT_FALSE(fso.Drive_Exist(no, type)) << no;
    }
    EXPECT_TRUE(fso.IsDriveReady("c"));
    EXPECT_FALSE(fso.IsDriveReady("E:\\"));
    EXPECT_EQ(fso.Available_Drives(), (std::vector<std::string>{"C:\\", "E:\\", "N:\\"}));
    uint64_t free = 0, total = 0;
    EXPECT_TRUE(fso.Get_Disk_Space("N:", free, total));
    EXPECT_EQ(std::tie(free, total), std::tuple(5u, 10u));
    EXPECT_FALSE(fso.Get_Disk_Space("E:", free, total));
}

TEST_F(FsoFiles, FilesAndFoldersExistOnlyAsWhatTheyAre) {
    m.volumes.SetVolume('E', {os::drive_type::kRemovable, false, 0, 0});
    EXPECT_TRUE(fso.File_Exist("C:\\Windows\\EXPLORER.EXE"));
    for (const char* no :
         {"", "C:\\Windows", "C:\\", "C:\\Windows\\absent.exe", "C:\\nowhere\\explorer.exe",
          "Q:\\x.txt", "E:\\x.txt", "Windows\\explorer.exe", "C:Windows\\explorer.exe"}) {
        EXPECT_FALSE(fso.File_Exist(no)) << no;
    }
    for (const char* yes : {"C:", "C:\\", "C:\\Windows\\", "c:/windows", " C:\\Windows\\ "}) {
        EXPECT_TRUE(fso.Folder_Exist(yes)) << yes;
    }
    for (const char* no : {"", "Windows", "C:\\Windows\\explorer.exe", "Q:\\"}) {
        EXPECT_FALSE(fso.Folder_Exist(no)) << no;
    }
}

TEST_F(FsoFiles, RestrictedFoldersCannotTakeAProbeFile) {
    EXPECT_FALSE(fso.IsThisRestricted("C:\\Users\\Public"));
    EXPECT_FALSE(m.files.Exists("C:\\Users\\Public\\_Test.$$$"));
    EXPECT_TRUE(fso.IsThisRestricted("C:\\absent"));
    EXPECT_TRUE(fso.IsThisRestricted("Public"));
    m.files.FailWrites(5);
    EXPECT_TRUE(fso.IsThisRestricted("C:\\Users\\Public"));
}

TEST_F(FsoFiles, DirStructuresAreMadeLevelByLevel) {
    EXPECT_TRUE(fso.Create_Dir_Struct("C:\\a\\b\\c\\"));
    EXPECT_TRUE(m.files.IsFolder("C:\\a\\b\\c"));
    EXPECT_TRUE(fso.Create_Dir_Struct("C:\\"));
    m.files.AddFile("C:\\a\\file");
    for (const char* no : {"C:\\a\\file\\below", "relative\\dir", "", "Q:\\new"}) {
        EXPECT_FALSE(fso.Create_Dir_Struct(no)) << no;
    }
    EXPECT_EQ(m.debugOut.lines.front(),
              "\tclsFSO\\Create_Dir_Struct - VB ERROR: 58 File already exists");
    EXPECT_FALSE(m.files.Exists("C:\\a\\file\\below"));
}

TEST_F(FsoFiles, TemporaryNamesAreLowerCaseLettersAndDigitsEndingInAnUnderscore) {
    EXPECT_EQ(fso.Create_Tmp_Name(1), "_");
    EXPECT_EQ(fso.Create_Tmp_Name(-3), "");
    std::set<std::string> names;
    for (int i = 0; i < 300; ++i) {
        names.insert(fso.Create_Tmp_Name(4));
    }
    EXPECT_GT(names.size(), 250u);
    for (const std::string& name : names) {
        EXPECT_EQ(name.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"), 3u) << name;
        EXPECT_EQ(name.substr(3), "_");
    }
}

TEST_F(FsoFiles, TemporaryFilesAndFoldersGoToTheTemporaryFolderOrTheDriveRoot) {
    const std::string temp = "C:\\Users\\tech\\AppData\\Local\\Temp\\";
    std::string folder;
    const std::string file = fso.Create_Tmp_Filename(folder);
    EXPECT_EQ(folder, temp);
    EXPECT_EQ(file.rfind(temp, 0), 0u) << file;
    EXPECT_EQ(file.substr(file.size() - 4), ".tmp");
    EXPECT_EQ(m.files.Content(file), "");
    const std::string made = fso.Create_Tmp_Folder();
    ASSERT_EQ(made.size(), temp.size() + 9);
    EXPECT_EQ(made.rfind(temp, 0), 0u);
    EXPECT_EQ(made.substr(made.size() - 2), "_\\");
    EXPECT_TRUE(m.files.IsFolder(made));
    folder = "C:\\Kestrel";
    EXPECT_EQ(fso.Create_Tmp_Filename(folder).rfind("C:\\Kestrel\\", 0), 0u);
    folder = "C:\\absent";
    EXPECT_EQ(fso.Create_Tmp_Filename(folder), "");
    m.files.tempFolder = "";
    folder.clear();
    EXPECT_TRUE(m.files.Exists(fso.Create_Tmp_Filename(folder)));
    EXPECT_EQ(folder, "C:\\");
    EXPECT_EQ(fso.Create_Tmp_Folder().rfind("C:\\", 0), 0u);
}

TEST_F(FsoFiles, FileDetailsAndHiddenFiles) {
    m.files.AddFile("C:\\data\\desktop.ini", "1234567",
                    os::attr::kHidden | os::attr::kSystem | os::attr::kArchive);
    m.files.SetTimes("C:\\data\\desktop.ini", 100, 200);
    m.files.AddFile("C:\\data\\plain.txt");
    ASSERT_TRUE(fso.Get_FileInfo("C:\\data\\desktop.ini"));
    const FileDetails& d = fso.Details();
    EXPECT_EQ(
        std::tie(d.drive, d.path, d.name, d.parentFolder, d.type, d.extension),
        std::tuple("C:", "C:\\data\\desktop.ini", "desktop.ini", "C:\\data", "INI File", "ini"));
    EXPECT_EQ(std::tie(d.size, d.created, d.modified, d.attributes), std::tuple(7u, 100, 200, 38u));
    // 38 has no attribute letters (see AttributeString), yet the file is hidden.
    EXPECT_TRUE(fso.IsFileHidden("C:\\data\\desktop.ini"));
    EXPECT_FALSE(fso.IsFileHidden("C:\\data\\plain.txt"));
    EXPECT_FALSE(fso.IsFileHidden("C:\\data"));
    for (const char* bad : {"C:\\data", "C:\\data\\absent.txt", "data\\plain.txt", "C:\\data\\*"}) {
        EXPECT_FALSE(fso.Get_FileInfo(bad)) << bad;
        EXPECT_EQ(fso.Details().path, "");
    }
}

TEST_F(FsoFiles, VersionsAndCreationDates) {
    m.files.AddFile("C:\\app\\lib.dll");
    m.files.SetVersion("C:\\app\\lib.dll", "6.0.98.33");
    EXPECT_EQ(fso.Get_Version("C:\\app\\lib.dll"), "6.0.98.33");
    EXPECT_EQ(fso.Get_VB_Version("C:\\app\\lib.dll"), "6.0.3");
    EXPECT_EQ(fso.Get_VB_Version("C:\\Windows\\explorer.exe"), "");
    EXPECT_EQ(fso.Get_Version("lib.dll"), "");
    m.files.AddFile("C:\\logs\\a.log");
    m.files.AddFile("C:\\logs\\b.log");
    m.files.AddFile("C:\\logs\\old\\c.log");
    m.files.SetTimes("C:\\logs\\a.log", 500, 1);
    m.files.SetTimes("C:\\logs\\b.log", 300, 900);
    m.files.SetTimes("C:\\logs\\old\\c.log", 700, 1);
    EXPECT_EQ(fso.GetFileCreationDate("C:\\logs\\a.log"), 500);
    EXPECT_EQ(fso.GetFileCreationDate("C:\\logs\\absent.log"), 0);
    EXPECT_EQ(fso.GetFileCreationDate("C:\\logs"), 0);
    EXPECT_EQ(fso.ReturnNewerFile("C:\\logs\\b.log", "C:\\logs\\a.log"), "C:\\logs\\a.log");
    EXPECT_EQ(fso.ReturnNewerFile("C:\\logs\\a.log", "C:\\logs\\b.log"), "C:\\logs\\a.log");
    EXPECT_EQ(fso.ReturnNewerFile("C:\\logs\\absent", "C:\\logs\\b.log"), "C:\\logs\\b.log");
    EXPECT_EQ(fso.ReturnNewestFileFromSpec("C:\\logs", "*.log", false), "C:\\logs\\a.log");
    EXPECT_EQ(fso.ReturnNewestFileFromSpec("C:\\logs", "*.log", true), "C:\\logs\\old\\c.log");
    EXPECT_EQ(fso.ReturnNewestFileFromSpec("C:\\logs", "*.none", true), "");
}

TEST_F(FsoFiles, APickedFolderEndsAtItsFirstNul) {
    m.prompts.pickedFolders.push_back(std::string("D:\\Picked\0junk", 14));
    EXPECT_EQ(fso.BrowseForFolder(0x1234, "Pick one"), "D:\\Picked");
    EXPECT_EQ(fso.BrowseForFolder(0x1234, "Again"), "");
    EXPECT_EQ(m.prompts.folderRequests[0].owner, 0x1234u);
}

TEST_F(FsoFiles, FileToArrayGivesExactlyTheLinesAndMakesAMissingListEmpty) {
    m.files.AddFile("C:\\Kestrel\\list.txt", "first\r\nsecond\nthird\rlast");
    std::vector<std::string> lines(10, "stale");
    EXPECT_TRUE(fso.FileToArray("C:\\Kestrel\\list.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", "third", "last"}));
    m.files.AddFile("C:\\Kestrel\\blank-lines.txt", "\r\n\r\nx\r\n");
    EXPECT_TRUE(fso.FileToArray("C:\\Kestrel\\blank-lines.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"", "", "x"}));
    m.files.AddFile("C:\\Kestrel\\empty.txt", "");
    EXPECT_TRUE(fso.FileToArray("C:\\Kestrel\\empty.txt", lines));
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_FALSE(fso.FileToArray("C:\\Kestrel\\Lists\\Kestrel.txt", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Lists\\Kestrel.txt"), "");
    lines = {"stale"};
    EXPECT_FALSE(fso.FileToArray("Kestrel.txt", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(m.files.Exists("C:\\Kestrel.txt"));
}

}  // namespace
}  // namespace kestrel

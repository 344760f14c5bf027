// The file-system port's contract: the same cases for the fake and for Windows (Wine).
#include <gtest/gtest.h>

#include <algorithm>

#include "app/strings.h"
#include "contract/file_system_contract.h"

namespace kestrel::testing {
namespace {

using os::WriteMode;

std::string Read(os::FileSystem& fs, const std::string& path) {
    std::string bytes;
    EXPECT_EQ(fs.ReadAll(path, bytes), 0u) << path;
    return bytes;
}

std::vector<std::string> Names(os::FileSystem& fs, const std::string& pattern, uint32_t* rc) {
    std::vector<os::DirEntry> entries;
    *rc = fs.List(pattern, entries);
    std::vector<std::string> names;
    for (const auto& e : entries) {
        names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_P(FileSystemContract, ExistenceTestsTellFilesFromFolders) {
    auto& fs = Files();
    const std::string file = Root() + "\\present.txt";
    ASSERT_EQ(fs.Write(file, "x", WriteMode::kTruncate), 0u);
    EXPECT_NE(fs.OpenFileExist(file), -1);
    EXPECT_EQ(fs.OpenFileExist(Root()), -1);
    EXPECT_EQ(fs.OpenFileExist(Root() + "\\absent.txt"), -1);
    EXPECT_TRUE(fs.OpenForReading("\\\\?\\" + file));
    EXPECT_FALSE(fs.OpenForReading("\\\\?\\" + Root()));
    EXPECT_FALSE(fs.OpenForReading("\\\\?\\" + Root() + "\\absent.txt"));

    EXPECT_NE(fs.Attributes(Root()) & os::attr::kDirectory, 0u);
    EXPECT_EQ(fs.Attributes(file) & os::attr::kDirectory, 0u);
    uint32_t error = 0;
    EXPECT_EQ(fs.Attributes(Root() + "\\absent.txt", &error), os::kInvalidAttributes);
    EXPECT_EQ(error, 2u);
    EXPECT_EQ(fs.Attributes(Root() + "\\no\\such\\dir.txt", &error), os::kInvalidAttributes);
    EXPECT_EQ(error, 3u);
}

TEST_P(FileSystemContract, NamesIgnoreCaseAndTrailingDotsAndBlanks) {
    auto& fs = Files();
    ASSERT_EQ(fs.Write(Root() + "\\Mixed.TXT", "data", WriteMode::kTruncate), 0u);
    EXPECT_EQ(Read(fs, Root() + "\\mixed.txt"), "data");
    EXPECT_EQ(Read(fs, Root() + "\\MIXED.txt."), "data");
    EXPECT_EQ(Read(fs, Root() + "/mixed.txt"), "data");
    uint32_t rc = 0;
    EXPECT_EQ(Names(fs, Root() + "\\*.txt", &rc), std::vector<std::string>{"Mixed.TXT"});
}

TEST_P(FileSystemContract, FoldersAreMadeOneOrAllLevelsAtATime) {
    auto& fs = Files();
    EXPECT_EQ(fs.CreateFolder(Root() + "\\one"), 0u);
    EXPECT_EQ(fs.CreateFolder(Root() + "\\one"), 183u);
    EXPECT_EQ(fs.CreateFolder(Root() + "\\missing\\two"), 3u);
    EXPECT_EQ(fs.CreateFolderTree(Root() + "\\a\\b\\c"), 0u);
    EXPECT_NE(fs.Attributes(Root() + "\\a\\b\\c") & os::attr::kDirectory, 0u);
    EXPECT_EQ(fs.CreateFolderTree(Root() + "\\a\\b\\c"), 183u);
    ASSERT_EQ(fs.Write(Root() + "\\blocker", "", WriteMode::kTruncate), 0u);
    EXPECT_NE(fs.CreateFolderTree(Root() + "\\blocker\\below"), 0u);
    EXPECT_TRUE(fs.MakeSurePathExists(Root() + "\\x\\y\\"));
    EXPECT_NE(fs.Attributes(Root() + "\\x\\y") & os::attr::kDirectory, 0u);
    EXPECT_FALSE(fs.MakeSurePathExists(Root() + "\\blocker\\z\\"));
}

TEST_P(FileSystemContract, WritingTruncatesAppendsOrRefusesToReplace) {
    auto& fs = Files();
    const std::string file = Root() + "\\w.txt";
    EXPECT_EQ(fs.Write(file, "first\r\n", WriteMode::kTruncate), 0u);
    EXPECT_EQ(fs.Write(file, "second\r\n", WriteMode::kAppend), 0u);
    EXPECT_EQ(Read(fs, file), "first\r\nsecond\r\n");
    EXPECT_EQ(fs.Write(file, "new", WriteMode::kTruncate), 0u);
    EXPECT_EQ(Read(fs, file), "new");
    EXPECT_EQ(fs.Write(file, "x", WriteMode::kCreateNew), 80u);
    EXPECT_EQ(fs.Write(Root() + "\\no\\dir\\f.txt", "x", WriteMode::kTruncate), 3u);
    EXPECT_EQ(fs.Write(Root() + "\\appended.txt", "a", WriteMode::kAppend), 0u);
    EXPECT_EQ(Read(fs, Root() + "\\appended.txt"), "a");
    std::string all256;
    for (int c = 0; c < 256; ++c) {
        all256 += static_cast<char>(c);
    }
    EXPECT_EQ(fs.Write(file, all256, WriteMode::kTruncate), 0u);
    EXPECT_EQ(Read(fs, file), all256);
    std::string bytes;
    EXPECT_EQ(fs.ReadAll(Root() + "\\absent", bytes), 2u);
    EXPECT_NE(fs.ReadAll(Root(), bytes), 0u);
}

TEST_P(FileSystemContract, ReadOnlyFilesRefuseChangeUntilTheirAttributesAreCleared) {
    auto& fs = Files();
    const std::string file = Root() + "\\ro.txt";
    ASSERT_EQ(fs.Write(file, "keep", WriteMode::kTruncate), 0u);
    ASSERT_EQ(fs.SetAttributes(file, os::attr::kReadOnly), 0u);
    EXPECT_NE(fs.Attributes(file) & os::attr::kReadOnly, 0u);
    EXPECT_EQ(fs.Delete(file), 5u);
    if (!World().WritesIgnoreReadOnly()) {
        EXPECT_EQ(fs.Write(file, "x", WriteMode::kTruncate), 5u);
        EXPECT_EQ(Read(fs, file), "keep");
    }
    EXPECT_EQ(fs.SetAttributes(file, os::attr::kNormal), 0u);
    EXPECT_EQ(fs.Delete(file), 0u);
    EXPECT_EQ(fs.OpenFileExist(file), -1);
}

TEST_P(FileSystemContract, ReplaceSwapsAFileInWholeAndMoveNeverOverwrites) {
    auto& fs = Files();
    const std::string target = Root() + "\\list.txt";
    const std::string temp = Root() + "\\list.txt.~tmp";
    ASSERT_EQ(fs.Write(target, "old", WriteMode::kTruncate), 0u);
    ASSERT_EQ(fs.Write(temp, "new", WriteMode::kTruncate), 0u);
    EXPECT_EQ(fs.Replace(temp, target), 0u);
    EXPECT_EQ(Read(fs, target), "new");
    EXPECT_EQ(fs.OpenFileExist(temp), -1);
    EXPECT_EQ(fs.Replace(Root() + "\\absent", target), 2u);

    const std::string other = Root() + "\\other.txt";
    ASSERT_EQ(fs.Write(other, "other", WriteMode::kTruncate), 0u);
    EXPECT_EQ(fs.Move(other, target), 183u);
    EXPECT_EQ(Read(fs, target), "new");
    EXPECT_EQ(fs.Move(other, Root() + "\\moved.txt"), 0u);
    EXPECT_EQ(Read(fs, Root() + "\\moved.txt"), "other");
    EXPECT_EQ(fs.Move(Root() + "\\absent", Root() + "\\x"), 2u);
}

TEST_P(FileSystemContract, DeletingFilesAndFolders) {
    auto& fs = Files();
    EXPECT_EQ(fs.Delete(Root() + "\\absent"), 2u);
    EXPECT_EQ(fs.Delete(Root() + "\\no\\dir\\absent"), 3u);
    ASSERT_EQ(fs.CreateFolderTree(Root() + "\\d\\e"), 0u);
    EXPECT_EQ(fs.Delete(Root() + "\\d"), 5u);
    EXPECT_EQ(fs.RemoveFolder(Root() + "\\d"), 145u);
    EXPECT_EQ(fs.RemoveFolder(Root() + "\\d\\e"), 0u);
    EXPECT_EQ(fs.RemoveFolder(Root() + "\\d"), 0u);
    EXPECT_EQ(fs.RemoveFolder(Root() + "\\d"), 2u);
}

TEST_P(FileSystemContract, LockedFilesCannotBeWrittenOrDeleted) {
    auto& fs = Files();
    const std::string file = Root() + "\\locked.txt";
    ASSERT_EQ(fs.Write(file, "held", WriteMode::kTruncate), 0u);
    World().Lock(file);
    EXPECT_EQ(fs.Write(file, "x", WriteMode::kAppend), 32u);
    EXPECT_EQ(fs.Delete(file), 32u);
    World().Unlock(file);
    EXPECT_EQ(fs.Delete(file), 0u);
}

TEST_P(FileSystemContract, ListingsFollowThePattern) {
    auto& fs = Files();
    ASSERT_EQ(fs.CreateFolder(Root() + "\\sub"), 0u);
    for (const char* name : {"a.txt", "b.TXT", "c.log", "noext"}) {
        ASSERT_EQ(fs.Write(Root() + "\\" + name, name, WriteMode::kTruncate), 0u);
    }
    uint32_t rc = 99;
    EXPECT_EQ(Names(fs, Root() + "\\*.txt", &rc), (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(rc, 0u);
    EXPECT_EQ(Names(fs, Root() + "\\*.*", &rc),
              (std::vector<std::string>{".", "..", "a.txt", "b.TXT", "c.log", "noext", "sub"}));
    EXPECT_EQ(Names(fs, Root() + "\\?.log", &rc), std::vector<std::string>{"c.log"});
    EXPECT_TRUE(Names(fs, Root() + "\\*.none", &rc).empty());
    EXPECT_EQ(rc, 2u);
    Names(fs, Root() + "\\missing\\*.*", &rc);
    EXPECT_EQ(rc, 3u);
    std::vector<os::DirEntry> entries;
    ASSERT_EQ(fs.List(Root() + "\\c.log", entries), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, 5u);
}

TEST_P(FileSystemContract, PathsLongerThanMaxPathWork) {
    auto& fs = Files();
    std::string deep = Root();
    while (deep.size() < 300) {
        deep += "\\a-rather-long-folder-name";
    }
    ASSERT_EQ(fs.CreateFolderTree(deep), 0u);
    const std::string file = deep + "\\file.txt";
    ASSERT_EQ(fs.Write(file, "deep", WriteMode::kTruncate), 0u);
    EXPECT_EQ(Read(fs, file), "deep");
    EXPECT_NE(fs.Attributes(deep) & os::attr::kDirectory, 0u);
    EXPECT_TRUE(fs.OpenForReading("\\\\?\\" + file));
    uint32_t rc = 0;
    EXPECT_EQ(Names(fs, deep + "\\*.txt", &rc), std::vector<std::string>{"file.txt"});
    EXPECT_EQ(fs.Delete(file), 0u);
}

TEST_P(FileSystemContract, RelativeAndMalformedPathsFindNothing) {
    auto& fs = Files();
    EXPECT_EQ(fs.OpenFileExist("relative\\file.txt"), -1);
    EXPECT_EQ(fs.Attributes("Q:\\no\\such\\drive"), os::kInvalidAttributes);
    std::string bytes;
    EXPECT_NE(fs.ReadAll(Root() + "\\bad|name", bytes), 0u);
    EXPECT_NE(fs.Write(Root() + "\\bad<name>", "x", WriteMode::kTruncate), 0u);
}

TEST_P(FileSystemContract, CopyMakesOrReplacesTheTargetOnlyWhenAllowed) {
    auto& fs = Files();
    const std::string source = Root() + "\\source.txt";
    const std::string target = Root() + "\\target.txt";
    ASSERT_EQ(fs.Write(source, "new", WriteMode::kTruncate), 0u);
    EXPECT_EQ(fs.Copy(source, target, true), 0u);
    EXPECT_EQ(Read(fs, target), "new");
    ASSERT_EQ(fs.Write(target, "old", WriteMode::kTruncate), 0u);
    EXPECT_EQ(fs.Copy(source, target, true), 80u);
    EXPECT_EQ(Read(fs, target), "old");
    EXPECT_EQ(fs.Copy(source, target, false), 0u);
    EXPECT_EQ(Read(fs, target), "new");
    EXPECT_EQ(Read(fs, source), "new");
    EXPECT_EQ(fs.Copy(Root() + "\\absent.txt", target, false), 2u);
    ASSERT_EQ(fs.CreateFolder(Root() + "\\folder"), 0u);
    EXPECT_EQ(fs.Copy(source, Root() + "\\folder", false), 5u);
    EXPECT_EQ(fs.Copy(Root() + "\\folder", target, false), 5u);
    EXPECT_EQ(fs.Copy(source, Root() + "\\no\\dir\\t.txt", false), 3u);
}

TEST_P(FileSystemContract, TemporaryFilesAreMadeEmptyInTheFolderGiven) {
    auto& fs = Files();
    const std::string temp = fs.TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_NE(fs.Attributes(temp) & os::attr::kDirectory, 0u);

    std::string first, second;
    ASSERT_EQ(fs.CreateTempFile(Root(), "kesZ", first), 0u);
    ASSERT_EQ(fs.CreateTempFile(Root() + "\\", "kesZ", second), 0u);
    EXPECT_NE(first, second);
    for (const std::string& path : {first, second}) {
        EXPECT_TRUE(StartsWithNoCase(path, Root() + "\\kes")) << path;
        EXPECT_FALSE(StartsWithNoCase(path, Root() + "\\kesZ")) << path;
        EXPECT_TRUE(EndsWithNoCase(path, ".tmp")) << path;
        EXPECT_EQ(Read(fs, path), "");
    }
    std::string path;
    EXPECT_EQ(fs.CreateTempFile(Root() + "\\missing", "kes", path), 267u);
    EXPECT_EQ(fs.CreateTempFile(first, "kes", path), 267u);
}

TEST_P(FileSystemContract, FilesWithoutAVersionResourceHaveNoVersion) {
    auto& fs = Files();
    ASSERT_EQ(fs.Write(Root() + "\\plain.dll", "not a program", WriteMode::kTruncate), 0u);
    EXPECT_EQ(fs.FileVersion(Root() + "\\plain.dll"), "");
    EXPECT_EQ(fs.FileVersion(Root() + "\\absent.dll"), "");
    EXPECT_EQ(fs.FileVersion(Root()), "");
}

TEST_P(FileSystemContract, LiteralPathsReachNamesWithTrailingDotsAndBlanks) {
    auto& fs = Files();
    const std::string literal = "\\\\?\\" + Root();
    ASSERT_EQ(fs.Write(Root() + "\\name", "plain", WriteMode::kTruncate), 0u);
    ASSERT_EQ(fs.Write(literal + "\\name.", "dotted", WriteMode::kTruncate), 0u);
    ASSERT_EQ(fs.Write(literal + "\\blank ", "blank", WriteMode::kTruncate), 0u);
    uint32_t rc = 0;
    EXPECT_EQ(Names(fs, Root() + "\\*", &rc),
              (std::vector<std::string>{".", "..", "blank ", "name", "name."}));
    // The ordinary form drops the trailing dot and so names another file.
    EXPECT_EQ(Read(fs, Root() + "\\name."), "plain");
    EXPECT_EQ(fs.Attributes(Root() + "\\blank "), os::kInvalidAttributes);
    EXPECT_EQ(Read(fs, literal + "\\name."), "dotted");
    EXPECT_EQ(fs.Delete(literal + "\\name."), 0u);
    EXPECT_EQ(fs.Delete(literal + "\\blank "), 0u);
    EXPECT_EQ(Read(fs, Root() + "\\name"), "plain");
    EXPECT_EQ(Names(fs, Root() + "\\*", &rc), (std::vector<std::string>{".", "..", "name"}));
}

TEST_P(FileSystemContract, JunctionsAreListedAsLinksAndRemovedWithoutTheirTarget) {
    auto& fs = Files();
    const std::string target = Root() + "\\target";
    const std::string link = Root() + "\\tree\\link";
    ASSERT_EQ(fs.CreateFolderTree(target), 0u);
    ASSERT_EQ(fs.CreateFolder(Root() + "\\tree"), 0u);
    ASSERT_EQ(fs.Write(target + "\\precious.txt", "keep", WriteMode::kTruncate), 0u);
    if (!World().MakeJunction(link, target)) {
        GTEST_SKIP() << "this platform cannot make junctions";
    }
    std::vector<os::DirEntry> entries;
    ASSERT_EQ(fs.List(Root() + "\\tree\\link", entries), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].attributes & os::attr::kReparsePoint, 0u);
    EXPECT_NE(entries[0].attributes & os::attr::kDirectory, 0u);
    EXPECT_EQ(Read(fs, link + "\\precious.txt"), "keep");
    EXPECT_EQ(fs.Delete(link), 5u);
    EXPECT_EQ(fs.RemoveFolder(link), 0u);
    EXPECT_EQ(fs.Attributes(link), os::kInvalidAttributes);
    EXPECT_EQ(Read(fs, target + "\\precious.txt"), "keep");
}

TEST_P(FileSystemContract, ListingsGiveSizesAndTimes) {
    auto& fs = Files();
    ASSERT_EQ(fs.Write(Root() + "\\timed.txt", "12345", WriteMode::kTruncate), 0u);
    std::vector<os::DirEntry> entries;
    ASSERT_EQ(fs.List(Root() + "\\timed.txt", entries), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, 5u);
    // After 2001 (FILETIME ticks) and not before it was made.
    EXPECT_GT(entries[0].creationTime, 126000000000000000);
    EXPECT_GE(entries[0].lastWriteTime, entries[0].creationTime - 20000000);
    EXPECT_GT(entries[0].lastAccessTime, 126000000000000000);
}

TEST_P(ProfileStringsContract, ReadsWhatWasWrittenWithWindowsRules) {
    auto& ini = World().Ini();
    const std::string file = World().Root() + "\\Kestrel.ini";
    std::string text;
    EXPECT_EQ(ini.GetString("Options", "LogFile", "dflt", 255, file, text), 4u);
    EXPECT_EQ(text, "dflt");
    EXPECT_TRUE(ini.WriteString("Options", "LogFile", std::string("1"), file));
    EXPECT_TRUE(ini.WriteString("EmailConfig", "ToEmail", std::string("x@y"), file));
    EXPECT_TRUE(ini.WriteString("options", "EmailResults", std::string("0"), file));
    EXPECT_EQ(ini.GetString("OPTIONS", "logfile", "", 255, file, text), 1u);
    EXPECT_EQ(text, "1");
    EXPECT_EQ(ini.GetString("Options", "EmailResults", "", 255, file, text), 1u);
    EXPECT_EQ(text, "0");
    EXPECT_EQ(ini.GetInt("Options", "LogFile", 7, file), 1);
    EXPECT_EQ(ini.GetInt("Options", "Missing", 7, file), 7);
    EXPECT_TRUE(ini.WriteString("Options", "LogFile", std::nullopt, file));
    EXPECT_EQ(ini.GetString("Options", "LogFile", "gone", 255, file, text), 4u);
    EXPECT_EQ(text, "gone");
    EXPECT_EQ(ini.GetString("EmailConfig", "ToEmail", "", 255, file, text), 3u);
}

TEST_P(ProfileStringsContract, LongValuesAreCutToTheBufferLessOne) {
    auto& ini = World().Ini();
    const std::string file = World().Root() + "\\long.ini";
    const std::string value(600, 'v');
    EXPECT_TRUE(ini.WriteString("S", "K", value, file));
    std::string text;
    EXPECT_EQ(ini.GetString("S", "K", "", 255, file, text), 254u);
    EXPECT_EQ(text, value.substr(0, 254));
    EXPECT_EQ(ini.GetString("S", "K", "", 1024, file, text), 600u);
    EXPECT_EQ(text, value);
}

TEST_P(ProfileStringsContract, BlanksAndQuotesAroundValuesGo) {
    auto& fs = World().Files();
    const std::string file = World().Root() + "\\hand.ini";
    ASSERT_EQ(fs.Write(file,
                       "[Options]\r\n  LogFile =  1  \r\nQuoted=\"two words\"\r\nEmpty=\r\n"
                       "NoEquals\r\n[Other]\r\nLogFile=9\r\n",
                       os::WriteMode::kTruncate),
              0u);
    auto& ini = World().Ini();
    std::string text;
    EXPECT_EQ(ini.GetString("Options", "LogFile", "", 255, file, text), 1u);
    EXPECT_EQ(text, "1");
    ini.GetString("Options", "Quoted", "", 255, file, text);
    EXPECT_EQ(text, "two words");
    EXPECT_EQ(ini.GetString("Options", "Empty", "d", 255, file, text), 0u);
    EXPECT_EQ(ini.GetString("Other", "LogFile", "", 255, file, text), 1u);
    EXPECT_EQ(text, "9");
}

}  // namespace
}  // namespace kestrel::testing

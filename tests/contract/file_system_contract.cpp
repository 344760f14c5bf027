// The file-system port's contract: the same cases for the fake and for Windows (Wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>

#include "base/strings.h"
#include "contract/file_system_contract.h"

namespace kestrel::testing {
namespace {

using os::WriteMode;
using List = std::vector<std::string>;

// The names the listing gives, sorted; *rc takes its answer.
List Names(os::FileSystem& fs, const std::string& pattern, uint32_t* rc) {
    std::vector<os::DirEntry> entries;
    *rc = fs.List(pattern, entries);
    List names;
    for (const auto& e : entries) {
        names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// GetString's answer and the text it gave, read through a buffer of size characters.
using Got = std::pair<uint32_t, std::string>;
Got Get(os::ProfileStrings& ini, const std::string& file, const std::string& section,
        const std::string& key, const std::string& fallback = "", uint32_t size = 255) {
    std::string text;
    const uint32_t n = ini.GetString(section, key, fallback, size, file, text);
    return {n, text};
}

bool IsFolder(os::FileSystem& fs, const std::string& path) {
    return (fs.Attributes(path) & os::attr::kDirectory) != 0;
}

TEST_P(FileSystemContract, ExistenceTestsTellFilesFromFoldersAndFromNothing) {
    const std::string file = At("present.txt");
    Put(file);
    for (const auto& [path, isFile] :
         {std::pair{file, true}, {Root(), false}, {At("absent.txt"), false}}) {
        EXPECT_EQ(fs.OpenFileExist(path) != -1, isFile) << path;
        EXPECT_EQ(fs.OpenForReading("\\\\?\\" + path), isFile) << path;
        // Files without a version resource, folders and missing files have no version.
        EXPECT_EQ(fs.FileVersion(path), "") << path;
    }
    EXPECT_TRUE(IsFolder(fs, Root()));
    EXPECT_FALSE(IsFolder(fs, file));
    // Relative, malformed and unreachable paths find nothing.
    EXPECT_EQ(fs.OpenFileExist("relative\\file.txt"), -1);
    for (const std::string& path : {At("no\\such\\dir.txt"), std::string("Q:\\no\\drive")}) {
        EXPECT_EQ(fs.Attributes(path), os::kInvalidAttributes) << path;
    }
    std::string bytes;
    EXPECT_NE(fs.ReadAll(At("bad|name"), bytes), 0u);
    EXPECT_NE(fs.Write(At("bad<name>"), "x", WriteMode::kTruncate), 0u);
}

TEST_P(FileSystemContract, FoldersAreMadeOneOrAllLevelsAtATime) {
    EXPECT_EQ(fs.CreateFolder(At("one")), 0u);
    EXPECT_EQ(fs.CreateFolder(At("one")), 183u);
    EXPECT_EQ(fs.CreateFolder(At("missing\\two")), 3u);
    EXPECT_EQ(fs.CreateFolderTree(At("a\\b\\c")), 0u);
    EXPECT_TRUE(IsFolder(fs, At("a\\b\\c")));
    EXPECT_EQ(fs.CreateFolderTree(At("a\\b\\c")), 183u);
    Put(At("blocker"), "");
    EXPECT_NE(fs.CreateFolderTree(At("blocker\\below")), 0u);
    EXPECT_TRUE(fs.MakeSurePathExists(At("x\\y\\")));
    EXPECT_TRUE(IsFolder(fs, At("x\\y")));
    EXPECT_FALSE(fs.MakeSurePathExists(At("blocker\\z\\")));
}

TEST_P(FileSystemContract, WritingTruncatesOrAppendsAnyBytes) {
    const std::string file = At("w.txt");
    EXPECT_EQ(fs.Write(file, "first\r\n", WriteMode::kTruncate), 0u);
    EXPECT_EQ(fs.Write(file, "second\r\n", WriteMode::kAppend), 0u);
    EXPECT_EQ(Read(file), "first\r\nsecond\r\n");
    EXPECT_EQ(fs.Write(file, "new", WriteMode::kTruncate), 0u);
    EXPECT_EQ(Read(file), "new");
    EXPECT_EQ(fs.Write(At("no\\dir\\f.txt"), "x", WriteMode::kTruncate), 3u);
    EXPECT_EQ(fs.Write(At("appended.txt"), "a", WriteMode::kAppend), 0u);
    EXPECT_EQ(Read(At("appended.txt")), "a");
    std::string all256(256, '\0');
    std::iota(all256.begin(), all256.end(), '\0');
    EXPECT_EQ(fs.Write(file, all256, WriteMode::kTruncate), 0u);
    EXPECT_EQ(Read(file), all256);
    std::string bytes;
    EXPECT_EQ(fs.ReadAll(At("absent"), bytes), 2u);
    EXPECT_NE(fs.ReadAll(Root(), bytes), 0u);
}

TEST_P(FileSystemContract, StreamsReadAtAnyOffsetAndWriteInOrder) {
    const std::string path = At("stream.bin");
    std::string bytes(70000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    std::unique_ptr<os::WritableFile> out;
    ASSERT_EQ(fs.CreateWritable(path, out), 0u);
    ASSERT_EQ(out->Append(bytes.data(), 40000), 0u);
    ASSERT_EQ(out->Append(bytes.data() + 40000, bytes.size() - 40000), 0u);
    ASSERT_EQ(out->Close(), 0u);
    EXPECT_EQ(Read(path), bytes);

    std::unique_ptr<os::ReadableFile> in;
    ASSERT_EQ(fs.OpenReadable(path, in), 0u);
    EXPECT_EQ(in->Size(), bytes.size());
    char buffer[16];
    size_t got = 0;
    ASSERT_EQ(in->ReadAt(65530, buffer, sizeof buffer, got), 0u);
    EXPECT_EQ(std::string(buffer, got), bytes.substr(65530, 16));
    ASSERT_EQ(in->ReadAt(bytes.size() - 3, buffer, sizeof buffer, got), 0u);
    EXPECT_EQ(got, 3u);
    ASSERT_EQ(in->ReadAt(bytes.size() + 10, buffer, sizeof buffer, got), 0u);
    EXPECT_EQ(got, 0u);
    in.reset();

    // Creating again empties the file; missing folders, folders and read-only files refuse.
    ASSERT_EQ(fs.CreateWritable(path, out), 0u);
    ASSERT_EQ(out->Close(), 0u);
    EXPECT_EQ(Read(path), "");
    EXPECT_EQ(fs.CreateWritable(At("no\\such\\file.bin"), out), 3u);
    EXPECT_EQ(fs.CreateWritable(Root(), out), 5u);
    EXPECT_EQ(fs.OpenReadable(At("absent.bin"), in), 2u);
    ASSERT_EQ(fs.SetAttributes(path, os::attr::kReadOnly), 0u);
    EXPECT_EQ(fs.CreateWritable(path, out), 5u);
    ASSERT_EQ(fs.SetAttributes(path, os::attr::kNormal), 0u);
}

TEST_P(FileSystemContract, ReadOnlyFilesRefuseChangeUntilTheirAttributesAreCleared) {
    const std::string file = At("ro.txt");
    Put(file, "keep");
    ASSERT_EQ(fs.SetAttributes(file, os::attr::kReadOnly), 0u);
    EXPECT_NE(fs.Attributes(file) & os::attr::kReadOnly, 0u);
    EXPECT_EQ(fs.Delete(file), 5u);
    if (!World().WritesIgnoreReadOnly()) {
        EXPECT_EQ(fs.Write(file, "x", WriteMode::kTruncate), 5u);
        EXPECT_EQ(Read(file), "keep");
    }
    EXPECT_EQ(fs.SetAttributes(file, os::attr::kNormal), 0u);
    EXPECT_EQ(fs.Delete(file), 0u);
    EXPECT_EQ(fs.OpenFileExist(file), -1);
}

TEST_P(FileSystemContract, ReplaceSwapsAFileInWholeAndMoveNeverOverwrites) {
    const std::string target = At("list.txt"), temp = At("list.txt.~tmp"), other = At("other.txt");
    Put(target, "old");
    Put(temp, "new");
    EXPECT_EQ(fs.Replace(temp, target), 0u);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(fs.OpenFileExist(temp), -1);
    EXPECT_EQ(fs.Replace(At("absent"), target), 2u);
    Put(other, "other");
    EXPECT_EQ(fs.Move(other, target), 183u);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(fs.Move(other, At("moved.txt")), 0u);
    EXPECT_EQ(Read(At("moved.txt")), "other");
    EXPECT_EQ(fs.Move(At("absent"), At("x")), 2u);
}

TEST_P(FileSystemContract, DeletingFilesAndFolders) {
    EXPECT_EQ(fs.Delete(At("absent")), 2u);
    EXPECT_EQ(fs.Delete(At("no\\dir\\absent")), 3u);
    ASSERT_EQ(fs.CreateFolderTree(At("d\\e")), 0u);
    EXPECT_EQ(fs.Delete(At("d")), 5u);
    EXPECT_EQ(fs.RemoveFolder(At("d")), 145u);
    EXPECT_EQ(fs.RemoveFolder(At("d\\e")), 0u);
    EXPECT_EQ(fs.RemoveFolder(At("d")), 0u);
    EXPECT_EQ(fs.RemoveFolder(At("d")), 2u);
}

TEST_P(FileSystemContract, LockedFilesCannotBeWrittenOrDeleted) {
    const std::string file = At("locked.txt");
    Put(file, "held");
    Put(At("new.txt"), "new");
    World().Lock(file);
    EXPECT_EQ(fs.Write(file, "x", WriteMode::kAppend), 32u);
    EXPECT_EQ(fs.Delete(file), 32u);
    // Replacing it fails too, and leaves both files as they were.
    EXPECT_NE(fs.Replace(At("new.txt"), file), 0u);
    EXPECT_NE(fs.Copy(At("new.txt"), file, false), 0u);
    World().Unlock(file);
    EXPECT_EQ(Read(file), "held");
    EXPECT_EQ(Read(At("new.txt")), "new");
    EXPECT_EQ(fs.Delete(file), 0u);
}

TEST_P(FileSystemContract, ListingsFollowThePattern) {
    ASSERT_EQ(fs.CreateFolder(At("sub")), 0u);
    for (const char* name : {"a.txt", "b.TXT", "c.log", "noext"}) {
        Put(At(name), name);
    }
    struct Row {
        const char* pattern;
        List names;
        uint32_t rc;
    };
    const Row rows[] = {{"*.txt", {"a.txt", "b.TXT"}, 0},
                        {"*.*", {".", "..", "a.txt", "b.TXT", "c.log", "noext", "sub"}, 0},
                        {"?.log", {"c.log"}, 0},
                        {"*.none", {}, 2},
                        {"missing\\*.*", {}, 3}};
    for (const Row& row : rows) {
        uint32_t rc = 99;
        EXPECT_EQ(Names(fs, At(row.pattern), &rc), row.names) << row.pattern;
        EXPECT_EQ(rc, row.rc) << row.pattern;
    }
    std::vector<os::DirEntry> entries;
    ASSERT_EQ(fs.List(At("c.log"), entries), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, 5u);
    // After 2001 (FILETIME ticks) and not before it was made.
    EXPECT_GT(entries[0].creationTime, 126000000000000000);
    EXPECT_GE(entries[0].lastWriteTime, entries[0].creationTime - 20000000);
    EXPECT_GT(entries[0].lastAccessTime, 126000000000000000);
}

TEST_P(FileSystemContract, PathsLongerThanMaxPathWork) {
    std::string deep = Root();
    while (deep.size() < 300) {
        deep += "\\a-rather-long-folder-name";
    }
    ASSERT_EQ(fs.CreateFolderTree(deep), 0u);
    const std::string file = deep + "\\file.txt";
    Put(file, "deep");
    EXPECT_EQ(Read(file), "deep");
    EXPECT_TRUE(IsFolder(fs, deep));
    EXPECT_TRUE(fs.OpenForReading("\\\\?\\" + file));
    uint32_t rc = 0;
    EXPECT_EQ(Names(fs, deep + "\\*.txt", &rc), List{"file.txt"});
    EXPECT_EQ(fs.Copy(file, deep + "\\copy.txt", true), 0u);
    EXPECT_EQ(fs.Replace(deep + "\\copy.txt", file), 0u);
    EXPECT_EQ(Read(file), "deep");
    EXPECT_EQ(fs.Delete(file), 0u);
    EXPECT_EQ(fs.RemoveFolder(deep), 0u);
}

TEST_P(FileSystemContract, CopyMakesOrReplacesTheTargetOnlyWhenAllowed) {
    const std::string source = At("source.txt"), target = At("target.txt");
    Put(source, "new");
    EXPECT_EQ(fs.Copy(source, target, true), 0u);
    EXPECT_EQ(Read(target), "new");
    Put(target, "old");
    EXPECT_EQ(fs.Copy(source, target, true), 80u);
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(fs.Copy(source, target, false), 0u);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Read(source), "new");
    EXPECT_EQ(fs.Copy(At("absent.txt"), target, false), 2u);
    ASSERT_EQ(fs.CreateFolder(At("folder")), 0u);
    EXPECT_EQ(fs.Copy(source, At("folder"), false), 5u);
    EXPECT_EQ(fs.Copy(At("folder"), target, false), 5u);
    EXPECT_EQ(fs.Copy(source, At("no\\dir\\t.txt"), false), 3u);
}

TEST_P(FileSystemContract, TemporaryFilesAreMadeEmptyInTheFolderGiven) {
    const std::string temp = fs.TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(IsFolder(fs, temp));

    std::string first, second, path;
    ASSERT_EQ(fs.CreateTempFile(Root(), "kesZ", first), 0u);
    ASSERT_EQ(fs.CreateTempFile(Root() + "\\", "kesZ", second), 0u);
    EXPECT_NE(first, second);
    for (const std::string& made : {first, second}) {
        EXPECT_TRUE(StartsWithNoCase(made, At("kes"))) << made;
        EXPECT_FALSE(StartsWithNoCase(made, At("kesZ"))) << made;
        EXPECT_TRUE(EndsWithNoCase(made, ".tmp")) << made;
        EXPECT_EQ(Read(made), "");
    }
    EXPECT_EQ(fs.CreateTempFile(At("missing"), "kes", path), 267u);
    EXPECT_EQ(fs.CreateTempFile(first, "kes", path), 267u);
}

TEST_P(FileSystemContract, OrdinaryPathsIgnoreCaseAndTrailingDotsLiteralOnesDoNot) {
    const std::string literal = "\\\\?\\" + Root();
    Put(At("Name"), "plain");
    Put(literal + "\\name.", "dotted");
    Put(literal + "\\blank ", "blank");
    ASSERT_EQ(fs.CreateFolder(literal + "\\dir. "), 0u);
    Put(literal + "\\dir. \\inner.", "inner");
    uint32_t rc = 0;
    EXPECT_EQ(Names(fs, At("*"), &rc), (List{".", "..", "Name", "blank ", "dir. ", "name."}));
    EXPECT_EQ(Names(fs, literal + "\\dir. \\*", &rc), (List{".", "..", "inner."}));
    EXPECT_EQ(fs.Delete(literal + "\\dir. \\inner."), 0u);
    EXPECT_EQ(fs.RemoveFolder(literal + "\\dir. "), 0u);
    // The ordinary form drops the trailing dot and so names another file.
    for (const std::string& other : {At("name."), At("NAME"), Root() + "/name"}) {
        EXPECT_EQ(Read(other), "plain") << other;
    }
    EXPECT_EQ(fs.Attributes(At("blank ")), os::kInvalidAttributes);
    EXPECT_EQ(Read(literal + "\\name."), "dotted");
    EXPECT_EQ(fs.Delete(literal + "\\name."), 0u);
    EXPECT_EQ(fs.Delete(literal + "\\blank "), 0u);
    EXPECT_EQ(Names(fs, At("*"), &rc), (List{".", "..", "Name"}));
}

TEST_P(FileSystemContract, JunctionsAreListedAsLinksAndRemovedWithoutTheirTarget) {
    const std::string target = At("target"), link = At("tree\\link");
    ASSERT_EQ(fs.CreateFolderTree(target), 0u);
    ASSERT_EQ(fs.CreateFolder(At("tree")), 0u);
    Put(target + "\\precious.txt", "keep");
    if (!World().MakeJunction(link, target)) {
        GTEST_SKIP() << "this platform cannot make junctions";
    }
    std::vector<os::DirEntry> entries;
    ASSERT_EQ(fs.List(link, entries), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].attributes & os::attr::kReparsePoint, 0u);
    EXPECT_NE(entries[0].attributes & os::attr::kDirectory, 0u);
    EXPECT_EQ(Read(link + "\\precious.txt"), "keep");
    EXPECT_EQ(fs.Delete(link), 5u);
    EXPECT_EQ(fs.RemoveFolder(link), 0u);
    EXPECT_EQ(fs.Attributes(link), os::kInvalidAttributes);
    EXPECT_EQ(Read(target + "\\precious.txt"), "keep");
}

TEST_P(ProfileStringsContract, ReadsWhatWasWrittenWithWindowsRules) {
    auto& ini = World().Ini();
    const std::string file = At("Kestrel.ini");
    EXPECT_EQ(Get(ini, file, "Options", "LogFile", "dflt"), (Got{4, "dflt"}));
    EXPECT_TRUE(ini.WriteString("Options", "LogFile", std::string("1"), file));
    EXPECT_TRUE(ini.WriteString("EmailConfig", "ToEmail", std::string("x@y"), file));
    EXPECT_TRUE(ini.WriteString("options", "EmailResults", std::string("0"), file));
    EXPECT_EQ(Get(ini, file, "OPTIONS", "logfile"), (Got{1, "1"}));
    EXPECT_EQ(Get(ini, file, "Options", "EmailResults"), (Got{1, "0"}));
    EXPECT_EQ(ini.GetInt("Options", "LogFile", 7, file), 1);
    EXPECT_EQ(ini.GetInt("Options", "Missing", 7, file), 7);
    EXPECT_EQ(Get(ini, file, "EmailConfig", "ToEmail").first, 3u);
    // A long value is cut to the buffer less one.
    const std::string value(600, 'v');
    EXPECT_TRUE(ini.WriteString("S", "K", value, file));
    EXPECT_EQ(Get(ini, file, "S", "K"), (Got{254, value.substr(0, 254)}));
    EXPECT_EQ(Get(ini, file, "S", "K", "", 1024), (Got{600, value}));
}

TEST_P(ProfileStringsContract, BlanksAndQuotesAroundValuesGo) {
    const std::string file = At("hand.ini");
    Put(file,
        "[Options]\r\n  LogFile =  1  \r\nQuoted=\"two words\"\r\nEmpty=\r\nNoEquals\r\n"
        "[Other]\r\nLogFile=9\r\n");
    auto& ini = World().Ini();
    EXPECT_EQ(Get(ini, file, "Options", "LogFile"), (Got{1, "1"}));
    EXPECT_EQ(Get(ini, file, "Options", "Quoted").second, "two words");
    EXPECT_EQ(Get(ini, file, "Options", "Empty", "d").first, 0u);
    EXPECT_EQ(Get(ini, file, "Other", "LogFile"), (Got{1, "9"}));
}

}  // namespace
}  // namespace kestrel::testing

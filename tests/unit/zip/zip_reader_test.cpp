// The ZIP reader over the fake machine: crafted archives for every refusal (zip slip, bombs,
// damaged directories, unsupported entries, existing targets) and, natively, archives made
// by the real tools, which must unpack exactly as Info-ZIP unzip unpacks them.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "support/fake_machine.h"
#include "unit/zip/zip_reader_craft.h"
#include "zip/zip_extraction.h"
#include "zip/zip_names.h"

namespace kestrel {
namespace {

using testing::CraftEntry;
using testing::CraftZip;

const std::string kZip = "C:\\in\\p.zip";
const std::string kOut = "C:\\out";

struct Recorder : ZipEvents {
    std::vector<std::string> statuses;
    std::vector<int32_t> errors;
    std::vector<std::string> texts;
    std::vector<int32_t> percents;
    int cancelAt = -1;
    void Progress(int32_t percent, bool& cancel) override {
        percents.push_back(percent);
        cancel = static_cast<int>(percents.size()) == cancelAt;
    }
    void Status(const std::string& text) override { statuses.push_back(text); }
    void ZipError(int32_t number, const std::string& text) override {
        errors.push_back(number);
        texts.push_back(text);
    }
};

std::set<std::string> Paths(const testing::FakeMachine& m) {
    const auto all = m.files.AllPaths();
    return {all.begin(), all.end()};
}

// One archive unpacked into kOut on a machine of its own.
struct Unpacked {
    testing::FakeMachine m;
    Recorder events;
    std::set<std::string> before;
    bool ok = false;
    bool unsafe = false;
    // What unpacking added to the machine.
    std::set<std::string> Added() const {
        std::set<std::string> added;
        for (const std::string& p : Paths(m)) {
            if (before.count(p) == 0) {
                added.insert(p);
            }
        }
        return added;
    }
};

std::unique_ptr<Unpacked> Unpack(const std::string& bytes, int cancelAt = -1) {
    auto u = std::make_unique<Unpacked>();
    u->events.cancelAt = cancelAt;
    u->m.files.AddFile(kZip, bytes);
    u->before = Paths(u->m);
    ZipExtractionClass zip(u->m.ctx, u->events);
    if (zip.OpenZip(kZip)) {
        u->ok = zip.Extract(kOut, true, true);
        u->unsafe = zip.RefusedUnsafe();
    }
    return u;
}

TEST(ZipReader, UnpacksFoldersEmptyFilesAndDataWithTheStatusTexts) {
    const std::string big(300000, 'k');  // several output chunks
    const auto u = Unpack(CraftZip({{"docs/"},
                                    {"docs/a/b.txt", "deep"},
                                    {"empty.txt", ""},
                                    {"stored.bin", std::string("\0\1\2", 3), false},
                                    {"big.txt", big}},
                                   "a comment"));
    EXPECT_TRUE(u->ok);
    EXPECT_EQ(u->Added(), (std::set<std::string>{kOut, kOut + "\\big.txt", kOut + "\\docs",
                                                 kOut + "\\docs\\a", kOut + "\\docs\\a\\b.txt",
                                                 kOut + "\\empty.txt", kOut + "\\stored.bin"}));
    const auto& files = u->m.files;
    EXPECT_TRUE(files.IsFolder(kOut + "\\docs"));
    EXPECT_EQ(files.Content(kOut + "\\docs\\a\\b.txt"), "deep");
    EXPECT_EQ(files.Content(kOut + "\\empty.txt"), "");
    EXPECT_EQ(files.Content(kOut + "\\stored.bin"), std::string("\0\1\2", 3));
    EXPECT_EQ(files.Content(kOut + "\\big.txt"), big);
    EXPECT_EQ(
        u->events.statuses,
        (std::vector<std::string>{"Opening Zip", "Zip Opened", "Extracting Files",
                                  "Extracting ...\\docs", "Extracting ...\\docs\\a\\b.txt",
                                  "Extracting ...\\empty.txt", "Extracting ...\\stored.bin",
                                  "Extracting ...\\big.txt", "Extraction Complete", "Zip Closed"}));
    EXPECT_EQ(u->events.percents, (std::vector<int32_t>{20, 40, 60, 80, 100}));
    EXPECT_TRUE(u->events.errors.empty());
}

TEST(ZipReader, CancelStopsAtOnceAndWithoutPathsOnlyNamesAreUsed) {
    const auto u = Unpack(CraftZip({{"one.txt", "1"}, {"two.txt", "2"}}), 1);
    EXPECT_FALSE(u->ok);
    EXPECT_EQ(u->Added(), (std::set<std::string>{kOut, kOut + "\\one.txt"}));

    testing::FakeMachine m;
    Recorder events;
    m.files.AddFile(kZip, CraftZip({{"a/one.txt", "1"}, {"b/", ""}, {"b/two.txt", "2"}}));
    ZipExtractionClass zip(m.ctx, events);
    ASSERT_TRUE(zip.OpenZip(kZip));
    EXPECT_TRUE(zip.Extract("C:\\flat\\", false, true));
    EXPECT_EQ(m.files.Content("C:\\flat\\one.txt"), "1");
    EXPECT_EQ(m.files.Content("C:\\flat\\two.txt"), "2");
    EXPECT_FALSE(m.files.Exists("C:\\flat\\a"));
    EXPECT_FALSE(m.files.Exists("C:\\flat\\b"));
}

// Names that leave the target folder, reach a stream or alias another path: refused with 20,
// nothing written for them, while the good entry beside them is written.
TEST(ZipReader, ZipSlipCorpusWritesNothingButTheGoodEntry) {
    const std::vector<std::string> hostile = {
        "../x",       "..\\x", "a/../../x", "/abs",
        "\\abs",      "C:/x",  "C:x",       "\\\\server\\share\\x",
        "a/b:stream", "a/x.",  "a/x ",      "con",
        "a/nul.txt",  "a/...", "COM1.log",  "a\x01z"};
    for (const std::string& name : hostile) {
        SCOPED_TRACE(name);
        const auto u = Unpack(CraftZip({{name, "evil"}, {"good.txt", "good"}}));
        EXPECT_FALSE(u->ok);
        EXPECT_EQ(u->Added(), (std::set<std::string>{kOut, kOut + "\\good.txt"}));
        EXPECT_EQ(u->events.errors, std::vector<int32_t>{ziperror::kUnsafeName});
        ASSERT_EQ(u->events.texts.size(), 1u);
        EXPECT_EQ(
            u->events.texts[0].rfind("The entry " + PrintableZipName(name) + " was refused: ", 0),
            0u);
        EXPECT_TRUE(u->unsafe);
    }
}

TEST(ZipNames, ConvertsToTheAnsiCodePageOrRefuses) {
    struct Case {
        std::string raw;
        bool utf8;
        std::string path;  // "" when refused
        bool folder;
    };
    const std::vector<Case> cases = {
        {"a/b/c.txt", false, "a\\b\\c.txt", false},
        {"a//./b/", false, "a\\b", true},
        {"caf\xC3\xA9.txt", true, "caf\xE9.txt", false},  // UTF-8 e acute
        {"\xE2\x82\xAC", true, "\x80", false},            // the euro sign
        {"caf\x82.txt", false, "caf\xE9.txt", false},     // CP437 e acute
        {"\xCE\xA9", true, "", false},                    // omega: not in windows-1252
        {"\xEA", false, "", false},                       // CP437 omega
        {"\xC3", true, "", false},                        // cut UTF-8
        {"\xC0\xAF", true, "", false},                    // overlong "/"
        {"./", false, "", true},
        {"a/b?", false, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        const ZipName name = CheckZipName(c.raw, c.utf8);
        EXPECT_EQ(name.ok, !c.path.empty());
        EXPECT_EQ(name.path, c.path);
        if (name.ok) {
            EXPECT_EQ(name.folder, c.folder);
        } else {
            EXPECT_FALSE(name.reason.empty());
        }
    }
}

// Entries whose records lie or that this reader does not unpack: each gets its number, its
// target is not left behind, and the good entry beside it is written.
TEST(ZipReader, RefusedEntriesLeaveNothingAndTheOthersAreWritten) {
    const std::string zeros(4 << 20, '\0');
    struct Case {
        const char* what;
        CraftEntry entry;
        int32_t error;
        bool unsafe;
    };
    std::vector<Case> cases = {
        {"bomb", {"bad", zeros}, ziperror::kTooLarge, true},
        {"declared beyond 1 GiB", {"bad", "x"}, ziperror::kTooLarge, true},
        {"wrong CRC", {"bad", "data"}, ziperror::kChecksum, false},
        {"declared larger than it unpacks", {"bad", "data"}, ziperror::kChecksum, false},
        {"data outside the file", {"bad", "data"}, ziperror::kDamaged, true},
        {"local header outside the file", {"bad", "data"}, ziperror::kDamaged, true},
        {"local header elsewhere", {"bad", "data"}, ziperror::kDamaged, true},
        {"method 12", {"bad", "data", false}, ziperror::kUnsupportedMethod, false},
        {"encrypted", {"bad", "data"}, ziperror::kUnsupportedMethod, false},
        {"ZIP64 sizes", {"bad", "data"}, ziperror::kUnsupportedMethod, false},
        {"stored but no data", {"bad", "data", false}, ziperror::kChecksum, false},
        {"not deflate data", {"bad", "data", false}, ziperror::kChecksum, false},
    };
    cases[0].entry.uncompressedSize = 1000;
    cases[1].entry.uncompressedSize = (1u << 30) + 1;
    cases[2].entry.crc = 0x12345678;
    cases[3].entry.uncompressedSize = 5;
    cases[4].entry.compressedSize = 0x7FFFFFFF;
    cases[5].entry.localOffset = 0x7FFFFFFF;
    cases[6].entry.localOffset = 3;
    cases[7].entry.method = 12;
    cases[8].entry.flags = 1;
    cases[9].entry.uncompressedSize = 0xFFFFFFFF;
    cases[10].entry.compressedSize = 0;
    cases[11].entry.method = 8;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto u = Unpack(CraftZip({c.entry, {"good.txt", "good"}}));
        EXPECT_FALSE(u->ok);
        EXPECT_EQ(u->Added(), (std::set<std::string>{kOut, kOut + "\\good.txt"}));
        EXPECT_EQ(u->events.errors, std::vector<int32_t>{c.error});
        EXPECT_EQ(u->unsafe, c.unsafe);
    }
}

// Archives whose end record or directory cannot be trusted: nothing is extracted.
TEST(ZipReader, DamagedOrForeignFilesAreRefusedWhole) {
    const std::string good = CraftZip({{"a.txt", "aaaa"}, {"b.txt", "bbbb"}}, "note");
    const size_t end = good.size() - 4 - 22;
    std::string countTooLarge = good;
    countTooLarge[end + 8] = countTooLarge[end + 10] = 9;
    std::string countsDiffer = good;
    countsDiffer[end + 8] = 1;
    std::string directoryOutside = good;
    directoryOutside[end + 19] = 0x40;
    std::string spanned = good;
    spanned[end + 6] = 1;
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<int32_t> errors;
    };
    const std::vector<Case> cases = {
        {"not a zip", std::string(70000, 'x'), {ziperror::kNotAZip}},
        {"empty file", "", {ziperror::kNotAZip}},
        {"cut before the end record", good.substr(0, good.size() - 10), {ziperror::kNotAZip}},
        {"directory cut off", good.substr(0, 40) + good.substr(end), {ziperror::kDamaged}},
        {"entry count beyond the directory", countTooLarge, {ziperror::kDamaged}},
        {"entry counts differ", countsDiffer, {ziperror::kDamaged}},
        {"directory outside the file", directoryOutside, {ziperror::kDamaged}},
        {"spanned", spanned, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto u = Unpack(c.bytes);
        EXPECT_FALSE(u->ok);
        EXPECT_EQ(u->events.errors, c.errors);
        EXPECT_FALSE(u->m.files.Exists(kOut + "\\a.txt"));
        EXPECT_LE(u->Added().size(), 1u);
    }
}

TEST(ZipReader, MissingArchiveAndNoArchiveOpen) {
    testing::FakeMachine m;
    Recorder events;
    ZipExtractionClass zip(m.ctx, events);
    EXPECT_FALSE(zip.OpenZip("C:\\nowhere.zip"));
    EXPECT_FALSE(zip.Extract(kOut, true, true));
    EXPECT_EQ(events.errors, (std::vector<int32_t>{ziperror::kMissing, ziperror::kNoZipOpen}));
    EXPECT_EQ(events.texts[0], "The file C:\\nowhere.zip doesn't exist");
    EXPECT_FALSE(m.files.Exists(kOut));
}

TEST(ZipReader, ExistingTargetsAndWriteFailures) {
    struct Case {
        const char* what;
        bool overwrite;
        uint32_t attributes;
        uint32_t failWrites;
        int32_t error;
        std::string left;  // what a.txt holds afterwards ("-" when gone)
    };
    const std::vector<Case> cases = {
        {"replaced", true, os::attr::kArchive, 0, 0, "new data"},
        {"kept without Overwrite", false, os::attr::kArchive, 0, ziperror::kExists, "old"},
        {"read-only", true, os::attr::kReadOnly, 0, ziperror::kCannotRemove, "old"},
        {"write fails", true, os::attr::kArchive, 112, ziperror::kCannotWrite, "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::FakeMachine m;
        Recorder events;
        m.files.AddFile(kOut + "\\a.txt", "old", c.attributes);
        m.files.AddFile(kZip, CraftZip({{"a.txt", "new data"}}));
        ZipExtractionClass zip(m.ctx, events);
        ASSERT_TRUE(zip.OpenZip(kZip));
        m.files.FailWrites(c.failWrites, 3);
        EXPECT_EQ(zip.Extract(kOut, true, c.overwrite), c.error == 0);
        m.files.FailWrites(0);
        EXPECT_EQ(events.errors, c.error == 0 ? std::vector<int32_t>{} : std::vector{c.error});
        EXPECT_EQ(m.files.Content(kOut + "\\a.txt").value_or("-"), c.left);
        EXPECT_FALSE(zip.RefusedUnsafe());
    }
}

}  // namespace
}  // namespace kestrel

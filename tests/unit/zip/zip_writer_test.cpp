// The ZIP writer on the fake machine: the bytes of the archive field by field, the entries it
// keeps, the targets it refuses and, natively, the verdict of Info-ZIP and Python on its output.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/fake_machine.h"
#include "zip/zip_writer.h"

namespace kestrel {
namespace {

uint32_t Get16(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s.at(at)) | static_cast<uint8_t>(s.at(at + 1)) << 8;
}
uint32_t Get32(const std::string& s, size_t at) {
    return Get16(s, at) | Get16(s, at + 2) << 16;
}

// Raw deflate data inflated independently of the writer.
std::string Inflate(const std::string& raw, size_t size) {
    std::string out(size + 1, '\0');
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

class ZipWriter : public ::testing::Test {
protected:
    ZipWriter() {
        m.clock.utcOffsetMinutes = 60;
        m.files.AddFile("C:\\Data\\notes.txt", kText);
        m.files.SetTimes("C:\\Data\\notes.txt", 0, kModified);
        m.files.AddFile("C:\\Data\\empty.dat", "");
    }
    std::string Archive(const std::string& path = "C:\\Out\\a.zip") const {
        return m.files.Content(path).value_or("");
    }

    static constexpr const char* kText = "hello hello hello hello";
    static constexpr int64_t kModified = 133549839310000000;  // 2024-03-15 13:45:31 UTC
    testing::FakeMachine m;
    ZipClass zip{m.ctx};
};

TEST_F(ZipWriter, OneEntryIsWrittenFieldByField) {
    m.files.AddFolder("C:\\Out");
    ASSERT_TRUE(zip.AddFile("C:\\Data\\notes.txt", "", "entry note"));
    zip.Comment("archive note");
    ASSERT_TRUE(zip.WriteZip("C:\\Out\\a.zip"));
    const std::string a = Archive();

    // Local header, name, data.
    ASSERT_GE(a.size(), 30u + 9);
    EXPECT_EQ(Get32(a, 0), 0x04034B50u);
    EXPECT_EQ(Get16(a, 4), 20u);
    EXPECT_EQ(Get16(a, 6), 2u);
    EXPECT_EQ(Get16(a, 8), 8u);
    EXPECT_EQ(Get16(a, 10), 0x75AFu);  // 14:45:30 local
    EXPECT_EQ(Get16(a, 12), 0x586Fu);  // 2024-03-15
    EXPECT_EQ(Get32(a, 14), 0x8D3D51E3u);
    const uint32_t packed = Get32(a, 18);
    EXPECT_EQ(Get32(a, 22), 23u);
    EXPECT_EQ(Get16(a, 26), 9u);
    EXPECT_EQ(Get16(a, 28), 0u);
    EXPECT_EQ(a.substr(30, 9), "notes.txt");
    EXPECT_EQ(Inflate(a.substr(39, packed), 23), kText);

    // Central header, name, comment.
    const size_t c = 39 + packed;
    ASSERT_EQ(a.size(), c + 46 + 9 + 10 + 22 + 12);
    EXPECT_EQ(Get32(a, c), 0x02014B50u);
    EXPECT_EQ(Get16(a, c + 4), 20u);
    EXPECT_EQ(Get16(a, c + 6), 20u);
    EXPECT_EQ(Get16(a, c + 8), 2u);
    EXPECT_EQ(Get16(a, c + 10), 8u);
    EXPECT_EQ(a.substr(c + 12, 16), a.substr(10, 16));  // time, date, CRC and sizes
    EXPECT_EQ(Get16(a, c + 28), 9u);
    EXPECT_EQ(Get16(a, c + 30), 0u);
    EXPECT_EQ(Get16(a, c + 32), 10u);
    EXPECT_EQ(Get16(a, c + 34), 0u);
    EXPECT_EQ(Get16(a, c + 36), 0u);
    EXPECT_EQ(Get32(a, c + 38), 32u);
    EXPECT_EQ(Get32(a, c + 42), 0u);
    EXPECT_EQ(a.substr(c + 46, 19), "notes.txtentry note");

    // End record and archive comment.
    const size_t e = c + 46 + 19;
    EXPECT_EQ(Get32(a, e), 0x06054B50u);
    EXPECT_EQ(Get32(a, e + 4), 0u);
    EXPECT_EQ(Get16(a, e + 8), 1u);
    EXPECT_EQ(Get16(a, e + 10), 1u);
    EXPECT_EQ(Get32(a, e + 12), 46u + 19);
    EXPECT_EQ(Get32(a, e + 16), c);
    EXPECT_EQ(Get16(a, e + 20), 12u);
    EXPECT_EQ(a.substr(e + 22), "archive note");
}

TEST_F(ZipWriter, EntriesKeepTheirOrderNamesAndEmptyFiles) {
    EXPECT_FALSE(zip.AddFile("C:\\Data\\missing.txt"));
    ASSERT_TRUE(zip.AddFile("C:\\Data\\notes.txt", "docs\\a.txt"));
    ASSERT_TRUE(zip.AddFile("C:\\Data\\empty.dat", "docs\\a.txt"));
    EXPECT_EQ(zip.FileCount(), 2);
    ASSERT_TRUE(zip.WriteZip("C:\\a.zip"));
    const std::string a = Archive("C:\\a.zip");

    // Both entries under the same name, in order; the second is the empty one.
    const uint32_t packed = Get32(a, 18);
    EXPECT_EQ(a.substr(30, 10), "docs/a.txt");
    const size_t second = 40 + packed;
    EXPECT_EQ(Get32(a, second), 0x04034B50u);
    EXPECT_EQ(Get32(a, second + 14), 0u);  // CRC of nothing
    EXPECT_EQ(Get32(a, second + 22), 0u);
    EXPECT_EQ(a.substr(second + 30, 10), "docs/a.txt");
    EXPECT_EQ(Inflate(a.substr(second + 40, Get32(a, second + 18)), 0), "");
    const size_t end = a.size() - 22;
    EXPECT_EQ(Get16(a, end + 10), 2u);
    EXPECT_EQ(Get32(a, Get32(a, end + 16) + 46 + 10 + 42), second);  // second local offset
}

TEST_F(ZipWriter, AnExistingTargetIsReplacedOnlyWithOverwrite) {
    m.files.AddFile("C:\\a.zip", "old");
    ASSERT_TRUE(zip.AddFile("C:\\Data\\notes.txt"));
    EXPECT_FALSE(zip.WriteZip("C:\\a.zip"));
    EXPECT_EQ(Archive("C:\\a.zip"), "old");
    EXPECT_TRUE(zip.WriteZip("C:\\a.zip", true));
    EXPECT_EQ(Get32(Archive("C:\\a.zip"), 0), 0x04034B50u);
}

TEST_F(ZipWriter, AFailedWriteLeavesNoArchive) {
    ASSERT_TRUE(zip.AddFile("C:\\Data\\notes.txt"));
    m.files.FailWrites(112, 10);
    EXPECT_FALSE(zip.WriteZip("C:\\a.zip"));
    m.files.FailWrites(0);
    EXPECT_FALSE(m.files.Exists("C:\\a.zip"));
    EXPECT_FALSE(zip.WriteZip("C:\\NoSuchFolder\\a.zip"));
}

#ifndef _WIN32
// Info-ZIP and Python's zipfile accept what the writer makes (the tools run on Linux only).
TEST_F(ZipWriter, ArchiveToolsAcceptTheOutput) {
    std::string big;
    for (int i = 0; i < 20000; ++i) {
        big += "line " + std::to_string(i * 7919 % 1000) + "\r\n";
    }
    m.files.AddFile("C:\\Data\\big.log", big);
    ASSERT_TRUE(zip.AddFile("C:\\Data\\notes.txt", "", "first"));
    ASSERT_TRUE(zip.AddFile("C:\\Data\\empty.dat"));
    ASSERT_TRUE(zip.AddFile("C:\\Data\\big.log", "logs\\big.log"));
    zip.Comment("made by the test");
    ASSERT_TRUE(zip.WriteZip("C:\\a.zip"));

    const std::string path = ::testing::TempDir() + "kestrel_zip_writer_test.zip";
    std::ofstream(path, std::ios::binary) << Archive("C:\\a.zip");
    EXPECT_EQ(std::system(("unzip -tq '" + path + "' >/dev/null").c_str()), 0);
    const std::string check =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "ok = z.testzip() is None and z.comment == b'made by the test'\n"
        "ok = ok and z.namelist() == ['notes.txt', 'empty.dat', 'logs/big.log']\n"
        "ok = ok and len(z.read('logs/big.log')) == int(sys.argv[2])\n"
        "sys.exit(0 if ok else 1)\n";
    EXPECT_EQ(
        std::system(
            ("python3 -c \"" + check + "\" '" + path + "' " + std::to_string(big.size())).c_str()),
        0);
    std::remove(path.c_str());
}
#endif

}  // namespace
}  // namespace kestrel

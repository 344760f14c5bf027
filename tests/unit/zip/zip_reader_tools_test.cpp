// Archives made here by the real writers unpack into the fake machine exactly as Info-ZIP
// unzip unpacks them on disk: same paths, same bytes, empty files and folders included.
// Together they carry what Windows' compressed folders, WinZip and WinRAR produce and which
// cannot be made here: data descriptors (jar, streamed zip, python's streaming writer, like
// compressed folders), extra fields (Info-ZIP's time and owner fields, 7-Zip's NTFS times,
// like WinZip and WinRAR), archive comments (zip -z, like WinRAR and WinZip) and folder
// entries (all of them). The tools run natively only; under Wine they cannot be started.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/fake_machine.h"
#include "zip/zip_extraction.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// path below the root with "\" separators -> content, or nothing for a folder.
using Tree = std::map<std::string, std::optional<std::string>>;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Tree DiskTree(const fs::path& root) {
    Tree tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string rel = fs::relative(e.path(), root).generic_string();
        for (char& c : rel) {
            c = c == '/' ? '\\' : c;
        }
        tree[rel] = e.is_directory() ? std::nullopt : std::optional(Slurp(e.path()));
    }
    return tree;
}

Tree FakeTree(const testing::FakeMachine& m, const std::string& root) {
    Tree tree;
    for (const std::string& p : m.files.AllPaths()) {
        if (p.rfind(root + "\\", 0) == 0) {
            tree[p.substr(root.size() + 1)] =
                m.files.IsFolder(p) ? std::nullopt : m.files.Content(p);
        }
    }
    return tree;
}

class ZipReaderTools : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kestrel-zip-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        const fs::path src = m_dir / "src";
        fs::create_directories(src / "data");
        fs::create_directories(src / "empty folder");
        fs::create_directories(src / "deep/a/b");
        std::string text;
        for (int i = 0; i < 3000; ++i) {
            text += "line " + std::to_string(i) + " of the definitions\r\n";
        }
        std::string random;
        uint32_t x = 12345;
        for (int i = 0; i < 200000; ++i) {
            x = x * 1103515245 + 12345;
            random += static_cast<char>(x >> 24);
        }
        Write(src / "readme.txt", text);
        Write(src / "data/random.bin", random);
        Write(src / "data/empty.txt", "");
        Write(src / "deep/a/b/c.txt", "deep");
        for (int i = 0; i < 20; ++i) {
            Write(src / ("data/f" + std::to_string(i) + ".txt"), std::to_string(i));
        }
    }
    void TearDown() override { fs::remove_all(m_dir); }
    static void Write(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    bool Run(const std::string& command) {
        const std::string line =
            "cd '" + (m_dir / "src").string() + "' && (" + command + ") >/dev/null 2>&1";
        return std::system(line.c_str()) == 0;
    }
    fs::path m_dir;
};

TEST_F(ZipReaderTools, ArchivesOfTheCommonWritersUnpackAsUnzipUnpacksThem) {
    const std::string streamingPython =
        "import sys, zipfile, os\n"
        "class Pipe:\n"
        "    def __init__(s, f): s.f = f\n"
        "    def write(s, b): return s.f.write(b)\n"
        "    def flush(s): s.f.flush()\n"
        "z = zipfile.ZipFile(Pipe(sys.stdout.buffer), 'w', zipfile.ZIP_DEFLATED)\n"
        "for d, dirs, files in sorted(os.walk('.')):\n"
        "    for n in sorted(files):\n"
        "        p = os.path.join(d, n)[2:]\n"
        "        with open(p, 'rb') as f, z.open(p, 'w') as o: o.write(f.read())\n"
        "z.close()\n";
    const std::string python =
        "import sys, zipfile, os\n"
        "z = zipfile.ZipFile(sys.argv[1], 'w', int(sys.argv[2]))\n"
        "for d, dirs, files in sorted(os.walk('.')):\n"
        "    for n in sorted(dirs + files): z.write(os.path.join(d, n)[2:])\n"
        "z.close()\n";
    Write(m_dir / "stream.py", streamingPython);
    Write(m_dir / "write.py", python);
    const std::vector<std::pair<const char*, std::string>> writers = {
        {"info-zip", "zip -q -r ../a.zip ."},
        {"info-zip stored", "zip -q -r -0 ../a.zip ."},
        {"info-zip with comment", "zip -q -r ../a.zip . && echo package note | zip -q -z ../a.zip"},
        {"info-zip streamed", "zip -q -r -fz- - . | cat > ../a.zip"},
        {"info-zip from stdin",
         "cat readme.txt | zip -q -fz- ../a.zip - && zip -q -r ../a.zip deep"},
        {"7-zip", "7z a -tzip -bd ../a.zip ."},
        {"jar", "jar cf ../a.zip ."},
        {"python deflated", "python3 ../write.py ../a.zip 8"},
        {"python stored", "python3 ../write.py ../a.zip 0"},
        {"python streaming", "python3 ../stream.py | cat > ../a.zip"},
    };
    for (const auto& [name, command] : writers) {
        SCOPED_TRACE(name);
        fs::remove(m_dir / "a.zip");
        fs::remove_all(m_dir / "unzipped");
        ASSERT_TRUE(Run(command));
        ASSERT_TRUE(Run("unzip -o -q ../a.zip -d ../unzipped"));
        const Tree expected = DiskTree(m_dir / "unzipped");
        ASSERT_GT(expected.size(), 3u);

        testing::FakeMachine m;
        ZipEvents events;
        m.files.AddFile("C:\\in\\a.zip", Slurp(m_dir / "a.zip"));
        ZipExtractionClass zip(m.ctx, events);
        ASSERT_TRUE(zip.OpenZip("C:\\in\\a.zip"));
        EXPECT_TRUE(zip.Extract("C:\\out", true, true));
        EXPECT_EQ(FakeTree(m, "C:\\out"), expected);
    }
}

}  // namespace
}  // namespace kestrel
#endif

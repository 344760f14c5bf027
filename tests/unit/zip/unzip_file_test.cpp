// Unpacking a package on the fake machine: the status window, the target folder, the reader
// first and 7-Zip only for archives the reader could not read and did not refuse.
#include <gtest/gtest.h>

#include "support/fake_machine.h"
#include "support/fake_package_windows.h"
#include "zip/unzip_file.h"
#include "zip/zip_extraction.h"
#include "zip/zip_writer.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* k7z = "C:\\Kestrel\\3rd Party Tools\\Ketarin\\7z.exe";

class UnzipFileTest : public ::testing::Test {
protected:
    UnzipFileTest() {
        m.files.AddFile(k7z, "MZ");
        m.files.AddFolder("C:\\Temp");
        m.processes.OnProgram("7z.exe", os::fake::FakeProcesses::Program{});
        window = windows.NewStatusWindow();
    }
    // An archive of one file, stored under name, written by the program's own writer.
    void MakeArchive(const std::string& path, const std::string& name) {
        m.files.AddFile("C:\\Src\\a.txt", "alpha alpha alpha");
        ZipClass zip(m.ctx);
        ASSERT_TRUE(zip.AddFile("C:\\Src\\a.txt", name));
        ASSERT_TRUE(zip.WriteZip(path));
    }
    bool Unzip(const std::string& zipFile, const std::string& folder, bool hidden = false) {
        return UnzipFile(m.ctx, zipFile, folder, hidden, *window);
    }

    testing::FakeMachine m;
    testing::FakePackageWindows windows;
    std::unique_ptr<StatusWindow> window;
};

TEST_F(UnzipFileTest, ANonArchiveGoesTo7ZipIntoTheFolderMadeForIt) {
    m.files.AddFile("C:\\Temp\\junk.zip", "this is no archive");

    EXPECT_TRUE(Unzip("C:\\Temp\\junk.zip", "C:\\Pkg\\New\\Deep"));

    EXPECT_TRUE(m.files.IsFolder("C:\\Pkg\\New\\Deep"));
    ASSERT_FALSE(windows.calls.empty());
    EXPECT_EQ(windows.calls.front(), "show Extracting junk.zip");
    EXPECT_EQ(windows.calls.back(), "unload status");
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"" + std::string(k7z) + "\" t \"C:\\Temp\\junk.zip\"",
                     "\"" + std::string(k7z) +
                         "\" x \"C:\\Temp\\junk.zip\" -o\"C:\\Pkg\\New\\Deep\" -y"}));
}

TEST_F(UnzipFileTest, HiddenShowsNoWindowAndFailsWhenNothingCanUnpack) {
    ASSERT_EQ(m.files.Delete(k7z), 0u);
    m.files.AddFile("C:\\Temp\\junk.zip", "this is no archive");

    EXPECT_FALSE(Unzip("C:\\Temp\\junk.zip", "C:\\Pkg", true));

    EXPECT_TRUE(windows.calls.empty());
    EXPECT_NE(m.Log().find("7zip executable not found!"), std::string::npos);
}

TEST_F(UnzipFileTest, TheReaderUnpacksWithFolderNamesAndWithout7Zip) {
    MakeArchive("C:\\Temp\\pkg.zip", "sub\\a.txt");
    m.files.AddFile("C:\\Pkg\\sub\\a.txt", "old");

    EXPECT_TRUE(Unzip("C:\\Temp\\pkg.zip", "C:\\Pkg"));

    EXPECT_EQ(m.files.Content("C:\\Pkg\\sub\\a.txt"), "alpha alpha alpha");
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_EQ(windows.calls.front(), "show Extracting pkg.zip");
    EXPECT_EQ(windows.calls.back(), "unload status");
    EXPECT_GT(windows.calls.size(), 2u);  // the reader's status texts went to the label
}

TEST_F(UnzipFileTest, TheReadersErrorsAreLoggedAndAnUnsafeArchiveIsNotHandedOn) {
    EXPECT_FALSE(Unzip("C:\\Temp\\missing.zip", "C:\\Pkg", true));
    EXPECT_NE(m.Log().find("\tmodZip\\UnzipFile:  ZipError 10:  The file C:\\Temp\\missing.zip "
                           "doesn't exist\n"),
              std::string::npos);

    MakeArchive("C:\\Temp\\evil.zip", "..\\evil.txt");
    EXPECT_FALSE(Unzip("C:\\Temp\\evil.zip", "C:\\Pkg\\In"));
    EXPECT_FALSE(m.files.Exists("C:\\Pkg\\evil.txt"));
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_NE(m.Log().find("\tmodZip\\UnzipFile:  ZipError 20:  "), std::string::npos);
    EXPECT_NE(m.Log().find("it is not handed to 7-Zip."), std::string::npos);
    EXPECT_EQ(windows.calls.back(), "unload status");
}

}  // namespace
}  // namespace kestrel

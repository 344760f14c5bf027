// The start-up pieces on the real Windows ports (under Wine).
#include <gtest/gtest.h>

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "os/win32/windows_api.h"
#include "platform/file_tests.h"
#include "platform/folder_entries.h"
#include "platform/text_file.h"
#include "win32/win32_machine.h"
#include "win32/win32_world.h"

namespace kestrel {
namespace {

class Win32AppTest : public ::testing::Test {
protected:
    ~Win32AppTest() override { testing::RemoveTree(root); }

    testing::Win32Machine machine;
    Context& ctx = machine.ctx();
    os::FileSystem* m_files = &ctx.os.files;
    const std::string root = testing::MakeScratchFolder("app");
};

TEST_F(Win32AppTest, SettingsValuesLongerThan254CharactersAreReadWhole) {
    const std::string ini = root + "\\Kestrel.ini";
    for (size_t length : {254u, 255u, 1000u, 30000u}) {
        std::string value(length, 'k');
        value.back() = '!';
        WriteIni(ctx, ini, "EmailConfig", "SMTPServer", value);
        EXPECT_EQ(ReadIniSection(ctx, ini, "EmailConfig", "SMTPServer"), value) << length;
    }
    EXPECT_EQ(ReadIniSection(ctx, ini, "EmailConfig", "Missing"), "");
    EXPECT_EQ(ReadIniSection(ctx, root + "\\absent.ini", "Options", "LogFile"), "");
}

TEST_F(Win32AppTest, ReplacingAListIsAllOrNothing) {
    const std::string list = root + "\\Kestrel.txt";
    ASSERT_TRUE(SaveTextToFile(ctx, list, "first", true, false));
    ASSERT_TRUE(SaveTextToFile(ctx, list, "second\r\nlist", true, false));
    std::string bytes;
    ASSERT_EQ(m_files->ReadAll(list, bytes), 0u);
    EXPECT_EQ(bytes, "second\r\nlist\r\n");
    // Another program holds the list open without sharing: the save fails and says so.
    HANDLE h = CreateFileA(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveTextToFile(ctx, list, "third", true, false));
    CloseHandle(h);
    ASSERT_EQ(m_files->ReadAll(list, bytes), 0u);
    EXPECT_EQ(bytes, "second\r\nlist\r\n");
    EXPECT_EQ(m_files->Attributes(list + ".~tmp1"), os::kInvalidAttributes);
}

TEST_F(Win32AppTest, AppendAndNoDuplicatesOnRealFiles) {
    const std::string white = root + "\\sub\\folder\\Kestrel_Whitelist.txt";
    EXPECT_TRUE(SaveTextToFile(ctx, white, "Keep This", false, true));
    EXPECT_TRUE(SaveTextToFile(ctx, white, "KEEP THIS", false, true));
    EXPECT_TRUE(SaveTextToFile(ctx, white, "Other", false, false));
    std::string bytes;
    ASSERT_EQ(m_files->ReadAll(white, bytes), 0u);
    EXPECT_EQ(bytes, "Keep This\r\nOther\r\n");
}

TEST_F(Win32AppTest, FileTestsOnRealFilesFoldersAndLongPaths) {
    EXPECT_TRUE(DoesDirExist(ctx, "C:\\windows"));
    EXPECT_FALSE(DoesFileExist(ctx, "C:\\windows"));
    EXPECT_TRUE(DoesFileExist(ctx, "C:\\windows\\system32\\kernel32.dll"));
    EXPECT_FALSE(DoesDirExist(ctx, "windows"));
    EXPECT_FALSE(DoesFileExist(ctx, "Q:\\no-such-drive.txt"));
    std::string deep = root;
    while (deep.size() < 280) {
        deep += "\\long folder name";
    }
    EXPECT_TRUE(MakeFolderPath(ctx, deep));
    EXPECT_TRUE(DoesDirExist(ctx, deep));
    ASSERT_TRUE(SaveTextToFile(ctx, deep + "\\f.txt", "x", true, false));
    EXPECT_TRUE(DoesFileExist(ctx, deep + "\\f.txt"));
    EXPECT_EQ(ClassifyPath(ctx, deep + "\\f.txt"), "file");
    EXPECT_EQ(ClassifyPath(ctx, deep), "dir");
    EXPECT_EQ(CountFiles(ctx, deep, "*.txt"), 1);
}

TEST_F(Win32AppTest, ProgramPathAndVariables) {
    EXPECT_TRUE(EndsWith(LCase(ProgramFilePath(ctx)), "kestrel_win32_tests.exe"));
    EXPECT_EQ(AppPath(ctx).back(), '\\');
    EXPECT_TRUE(Is64BitWindows(ctx.os.env));
    EXPECT_FALSE(ctx.os.env.Variable("ComputerName").empty());
    EXPECT_EQ(ctx.os.env.Variable("surely-not-set-anywhere"), "");
    EXPECT_EQ(LCase(ctx.os.env.WindowsDirectory()), "c:\\windows");
    // The test program carries no version resource.
    EXPECT_EQ(AppVersionText(ctx, "", ""), "Kestrel v0.0 ");
}

}  // namespace
}  // namespace kestrel

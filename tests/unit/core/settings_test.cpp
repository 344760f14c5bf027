#include <gtest/gtest.h>

#include "app/init_settings.h"
#include "core/settings.h"
#include "platform/folder_entries.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    testing::FakeMachine m;
    const std::string ini = "C:\\Kestrel\\Kestrel.ini";
};

TEST_F(SettingsTest, MissingFileAndKeysReadEmptyAndTheFirstWriteMakesTheFile) {
    EXPECT_EQ(ReadIniSection(m.ctx, ini, "Options", "LogFile"), "");
    WriteIni(m.ctx, ini, "Options", "LogFile", "1");
    EXPECT_EQ(ReadIniSection(m.ctx, ini, "Options", "LogFile"), "1");
    EXPECT_EQ(ReadIniSection(m.ctx, ini, "Options", "EmailResults"), "");
    EXPECT_EQ(ReadIniSection(m.ctx, "C:\\Kestrel\\absent.ini", "Options", "LogFile"), "");
    // Malformed lines do not hide the rest.
    m.files.AddFile(ini, "garbage\r\n[Options\r\n[Options]\r\n=no key\r\nLogFile=0\r\n");
    EXPECT_EQ(ReadIniSection(m.ctx, ini, "Options", "LogFile"), "0");
}

TEST_F(SettingsTest, ValuesOfAnyLengthAreReadWhole) {
    for (size_t length : {253u, 254u, 255u, 509u, 510u, 4000u}) {
        std::string value(length, 'x');
        value.back() = 'E';
        WriteIni(m.ctx, ini, "EmailConfig", "Long", value);
        EXPECT_EQ(ReadIniSection(m.ctx, ini, "EmailConfig", "Long"), value) << length;
    }
}

TEST_F(SettingsTest, FlagsConvertLikeNumbers) {
    EXPECT_TRUE(SettingFlagOn("1"));
    EXPECT_TRUE(SettingFlagOn(" 1 "));
    EXPECT_TRUE(SettingFlagOn("1.0"));
    EXPECT_FALSE(SettingFlagOn("0"));
    EXPECT_FALSE(SettingFlagOn(""));
    EXPECT_FALSE(SettingFlagOn("yes"));
    EXPECT_FALSE(SettingFlagOn("2"));
    // The unattended road counts what is not a number at all as on.
    EXPECT_TRUE(CommandLineFlagOn(""));
    EXPECT_TRUE(CommandLineFlagOn("on"));
    EXPECT_TRUE(CommandLineFlagOn("1"));
    EXPECT_FALSE(CommandLineFlagOn("0"));
    EXPECT_FALSE(CommandLineFlagOn("-1"));
    EXPECT_FALSE(CommandLineFlagOn("12"));
}

TEST_F(SettingsTest, VersionTextFollowsReleaseAndRevisionRules) {
    EXPECT_EQ(AppVersionText(m.ctx, "", ""), "Kestrel v1.0 ");
    m.env.version = {3, 8, 0};
    EXPECT_EQ(AppVersionText(m.ctx, "B", ""), "Kestrel v3.8 BETA");
    EXPECT_EQ(AppVersionText(m.ctx, "A", "test build"), "Kestrel v3.8 ALPHA- test build");
    m.env.version = {2, 1, 4};
    EXPECT_EQ(AppVersionText(m.ctx, "RC1", ""), "Kestrel v2.1.4 RC1");
    EXPECT_EQ(AppVersionText(m.ctx, "b", ""), "Kestrel v2.1.4 b");
}

TEST_F(SettingsTest, ProgramPaths) {
    EXPECT_EQ(ProgramFilePath(m.ctx), "C:\\Kestrel\\Kestrel.exe");
    EXPECT_EQ(AppPath(m.ctx), "C:\\Kestrel\\");
    EXPECT_EQ(ProgramName(m.ctx), "Kestrel");
    m.env.programFile = std::string("C:\\A.B\\Tool.v2.exe\0junk", 24);
    EXPECT_EQ(ProgramFilePath(m.ctx), "C:\\A.B\\Tool.v2.exe");
    EXPECT_EQ(ProgramName(m.ctx), "Tool.v2");
}

TEST_F(SettingsTest, CountFilesCountsPlainFilesOnly) {
    m.ctx.redirection.SetAllowed(true);
    m.files.AddFile("C:\\Kestrel\\Debug\\a.txt");
    m.files.AddFile("C:\\Kestrel\\Debug\\b.log");
    m.files.AddFolder("C:\\Kestrel\\Debug\\sub.txt");
    EXPECT_EQ(CountFiles(m.ctx, "C:\\Kestrel\\Debug", ""), 2);
    EXPECT_EQ(CountFiles(m.ctx, "C:\\Kestrel\\Debug\\", "*.txt"), 1);
    EXPECT_EQ(CountFiles(m.ctx, "C:\\Missing", ""), 0);
    EXPECT_GT(m.wow64.disabled, 0);
}

TEST_F(SettingsTest, DebugFileGetsANewNumberedFileEachRun) {
    m.files.AddFile("C:\\Kestrel\\Debug\\DebugOutput - Kestrel 1.txt");
    InitAppSettings(m.ctx, true, false, true);
    EXPECT_EQ(m.ctx.settingsFile, "C:\\Kestrel\\Config\\Kestrel.ini");
    EXPECT_TRUE(m.files.IsFolder("C:\\Kestrel\\Config"));
    EXPECT_EQ(m.ctx.debugFile, "C:\\Kestrel\\Debug\\DebugOutput - Kestrel 2.txt");
    m.ctx.debug.Print("hello", 42, true);
    auto content = m.files.Content(m.ctx.debugFile);
    ASSERT_TRUE(content);
    EXPECT_NE(content->find("8:10:47 AM\thello\t42\tTrue\r\n"), std::string::npos);
    EXPECT_NE(content->find(" - Starting Kestrel v1.0 "), std::string::npos);
}

TEST_F(SettingsTest, DebugFileIsSwitchedOffWhenItsFolderCannotBeMade) {
    m.files.AddFile("C:\\Kestrel\\Debug", "a file in the way");
    InitAppSettings(m.ctx, true, true, true);
    EXPECT_FALSE(m.ctx.debugFileOn);
    m.ctx.debug.Print("only to the debugger");
    EXPECT_TRUE(m.debugOut.Saw("only to the debugger"));
}

}  // namespace
}  // namespace kestrel

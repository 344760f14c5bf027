// The 7-Zip fallback on the fake machine: which tool it picks, the command lines the tool
// receives and the debug entries of every road.
#include <gtest/gtest.h>

#include "support/fake_machine.h"
#include "zip/seven_zip.h"

namespace kestrel {
namespace {

using Program = os::fake::FakeProcesses::Program;
using Lines = std::vector<std::string>;

constexpr const char* kTools = "C:\\Kestrel\\3rd Party Tools\\Ketarin\\";

std::string Begin(const std::string& archive, const std::string& folder) {
    return "\tmodUnzip\\UnzipWith7z:  Initiated due to Internal Unzip Failure.\r\n\t"
           "sFileToUnzip - " +
           archive + "\r\n\tsDirToExtractTo - " + folder + "\n";
}

class SevenZip : public ::testing::Test {
protected:
    // A tool in the tools folder whose test run ends with testExit.
    void ProvideTool(const std::string& name, uint32_t testExit = 0) {
        m.files.AddFile(std::string(kTools) + name, "MZ");
        m.processes.OnProgram(name, [testExit](const std::string& commandLine) {
            Program p;
            p.runMs = 50;
            p.exitCode = commandLine.find(".exe\" t ") != std::string::npos ? testExit : 0;
            return std::optional<Program>(p);
        });
    }

    testing::FakeMachine m;
};

TEST_F(SevenZip, BothToolsPresentUses7zAndTestsThenExtractsHiddenWithTheExactLines) {
    ProvideTool("7za.exe");
    ProvideTool("7z.exe");
    m.files.AddFile("C:\\Temp\\pkg.zip", "PK");

    EXPECT_TRUE(UnzipWith7z(m.ctx, "C:\\Temp\\pkg.zip", "C:\\Kestrel"));

    const std::string tool = std::string(kTools) + "7z.exe";
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"" + tool + "\" t \"C:\\Temp\\pkg.zip\"",
                     "\"" + tool + "\" x \"C:\\Temp\\pkg.zip\" -o\"C:\\Kestrel\" -y"}));
    ASSERT_EQ(m.processes.launches.size(), 2u);
    for (const auto& launch : m.processes.launches) {
        EXPECT_EQ(launch.showWindow, 0);
    }
    EXPECT_EQ(m.Log(),
              Begin("C:\\Temp\\pkg.zip", "C:\\Kestrel") +
                  "\tmodUnzip\\UnzipWith7z:  7zip executable found:  " + tool + "\n" +
                  "\tmodUnzip\\UnzipWith7z:  Testing Zip File Integrity with Command:  \r\n\t" +
                  tool + " t \"C:\\Temp\\pkg.zip\"\n" +
                  "\tmodUnzip\\UnzipWith7z:  Zip File Integrity Check PASSED!  Proceeding with "
                  "extract attempt...\n" +
                  "\tmodUnzip\\UnzipWith7z:  Extracting Zip File with Command:  \r\n\t" + tool +
                  " x \"C:\\Temp\\pkg.zip\" -o\"C:\\Kestrel\" -y\n");
}

TEST_F(SevenZip, OnlyTheStandaloneToolIsUsedWhenAlone) {
    ProvideTool("7za.exe");
    m.files.AddFile("C:\\Temp\\pkg.zip", "PK");

    EXPECT_TRUE(UnzipWith7z(m.ctx, "C:\\Temp\\pkg.zip", "C:\\Out"));

    const std::string tool = std::string(kTools) + "7za.exe";
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"" + tool + "\" t \"C:\\Temp\\pkg.zip\"",
                     "\"" + tool + "\" x \"C:\\Temp\\pkg.zip\" -o\"C:\\Out\" -y"}));
    EXPECT_NE(m.Log().find("7zip executable found:  " + tool + "\n"), std::string::npos);
}

TEST_F(SevenZip, NoToolOrNoArchiveAbortsWithoutStartingAnything) {
    m.files.AddFile("C:\\Temp\\pkg.zip", "PK");
    EXPECT_FALSE(UnzipWith7z(m.ctx, "C:\\Temp\\pkg.zip", "C:\\Out"));
    EXPECT_EQ(m.Log(), Begin("C:\\Temp\\pkg.zip", "C:\\Out") +
                           "\tmodUnzip\\UnzipWith7z:  7zip executable not found!  Aborting "
                           "function!\n");

    testing::FakeMachine other;
    other.files.AddFile(std::string(kTools) + "7z.exe", "MZ");
    EXPECT_FALSE(UnzipWith7z(other.ctx, "C:\\Temp\\missing.zip", "C:\\Out"));
    EXPECT_EQ(other.Log(), Begin("C:\\Temp\\missing.zip", "C:\\Out") +
                               "\tmodUnzip\\UnzipWith7z:  7zip executable found:  " + kTools +
                               "7z.exe\n" +
                               "\tmodUnzip\\UnzipWith7z:  sFileToUnzip not found!  Aborting "
                               "function!\n");

    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_TRUE(other.processes.launches.empty());
}

TEST_F(SevenZip, AFailedTestIsLoggedAndTheExtractionStillRuns) {
    ProvideTool("7z.exe", 2);
    m.files.AddFile("C:\\Temp\\bad.zip", "junk");

    EXPECT_TRUE(UnzipWith7z(m.ctx, "C:\\Temp\\bad.zip", "C:\\Out"));

    EXPECT_EQ(m.processes.CommandLines().size(), 2u);
    EXPECT_NE(m.Log().find("\tmodUnzip\\UnzipWith7z:  Zip File Integrity Check FAILED!  "
                           "Proceeding with extract attempt anyway...\n"),
              std::string::npos);
    EXPECT_EQ(m.Log().find("PASSED"), std::string::npos);
}

TEST_F(SevenZip, PathsWithBlanksAreQuotedAndTheFolderFollowsTheSwitchDirectly) {
    ProvideTool("7z.exe");
    m.files.AddFile("C:\\My Files\\new pkg.zip", "PK");

    EXPECT_TRUE(UnzipWith7z(m.ctx, "C:\\My Files\\new pkg.zip", "C:\\Program Files\\Kestrel"));

    const std::string tool = std::string(kTools) + "7z.exe";
    EXPECT_EQ(
        m.processes.CommandLines(),
        (Lines{"\"" + tool + "\" t \"C:\\My Files\\new pkg.zip\"",
               "\"" + tool +
                   "\" x \"C:\\My Files\\new pkg.zip\" -o\"C:\\Program Files\\Kestrel\" -y"}));
    EXPECT_NE(m.Log().find("Command:  \r\n\t" + tool +
                           " x \"C:\\My Files\\new pkg.zip\" -o\"C:\\Program Files\\Kestrel\" "
                           "-y\n"),
              std::string::npos);
}

}  // namespace
}  // namespace kestrel

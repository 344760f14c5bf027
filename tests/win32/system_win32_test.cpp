// The real environment, clock and version resources under Wine, which no contract suite covers.
#include <gtest/gtest.h>

#include "base/strings.h"
#include "core/fs_redirection.h"
#include "core/settings.h"
#include "os/fake/fake_basics.h"
#include "win32/win32_machine.h"

namespace kestrel::testing {
namespace {

class SystemOnWindows : public ::testing::Test {
protected:
    Win32Machine machine;
    Context& ctx = machine.ctx();
};

TEST_F(SystemOnWindows, TheProgramItsFolderAndTheEnvironment) {
    EXPECT_TRUE(EndsWith(LCase(ProgramFilePath(ctx)), "kestrel_win32_tests.exe"));
    EXPECT_EQ(AppPath(ctx).back(), '\\');
    EXPECT_TRUE(Is64BitWindows(ctx.os.env));
    EXPECT_FALSE(ctx.os.env.Variable("ComputerName").empty());
    EXPECT_EQ(ctx.os.env.Variable("surely-not-set-anywhere"), "");
    EXPECT_EQ(LCase(ctx.os.env.WindowsDirectory()), "c:\\windows");
    // The test program carries no version resource.
    EXPECT_EQ(AppVersionText(ctx, "", ""), "Kestrel v0.0 ");
}

TEST_F(SystemOnWindows, AProgramsVersionComesFromItsResource) {
    // K: is this build's program folder; Kestrel.exe carries a version resource.
    const std::string program = "K:\\Kestrel.exe";
    if (ctx.os.files.Attributes(program) == os::kInvalidAttributes) {
        GTEST_SKIP() << "Kestrel.exe is not built";
    }
    EXPECT_EQ(ctx.os.files.FileVersion(program), "1.0.0.0");
}

TEST_F(SystemOnWindows, FileTimesInLocalTime) {
    auto& clock = ctx.os.clock;
    os::LocalTime local;
    ASSERT_TRUE(clock.ToLocalTime(os::fake::FileTimeOf(2026, 6, 15, 12), local));
    EXPECT_EQ(local.year, 2026);
    EXPECT_EQ(local.month, 6);
    EXPECT_TRUE(local.day == 15 || local.day == 14 || local.day == 16);
    const std::string text = clock.FormatDateTime(local);
    EXPECT_NE(text.find("2026"), std::string::npos) << text;
    EXPECT_FALSE(clock.ToLocalTime(-1, local));
}

}  // namespace
}  // namespace kestrel::testing

#include <gtest/gtest.h>

#include "inventory/app_filters.h"

namespace kestrel {
namespace {

TEST(AppFilters, WindowsUpdatesAreRecognisedByTheirNames) {
    EXPECT_TRUE(IsWindowsUpdateName("Security Update for Microsoft .NET (KB2898850)"));
    EXPECT_TRUE(IsWindowsUpdateName("SECURITY UPDATE"));
    EXPECT_TRUE(IsWindowsUpdateName("Hotfix: Update KB976902"));
    EXPECT_TRUE(IsWindowsUpdateName("update kb"));
    EXPECT_FALSE(IsWindowsUpdateName(" Security Update"));     // must begin with it
    EXPECT_TRUE(IsWindowsUpdateName("Security Updater Pro"));  // the first 15 letters decide
    EXPECT_FALSE(IsWindowsUpdateName("Secure Update Tool"));
    EXPECT_FALSE(IsWindowsUpdateName("Update for Windows (KB123)"));
    EXPECT_FALSE(IsWindowsUpdateName(""));
}

TEST(AppFilters, WhitelistTermsMatchNameOrPublisherByTheTextBeforeTheLastBar) {
    const std::vector<std::string> white = {"Office", "Adobe|keep readers", "Java|x|note"};
    EXPECT_TRUE(WhitelistProtects(white, "Microsoft OFFICE Professional", ""));
    EXPECT_TRUE(WhitelistProtects(white, "Reader DC", "ADOBE Systems"));
    EXPECT_FALSE(WhitelistProtects(white, "keep readers", ""));
    EXPECT_TRUE(WhitelistProtects(white, "Java|x 8", ""));
    EXPECT_FALSE(WhitelistProtects(white, "Java 8", "Oracle"));
    EXPECT_FALSE(WhitelistProtects(white, "Toolbar", "Ask"));
}

TEST(AppFilters, BlankWhitelistLinesProtectNothingButInnerBlanksCount) {
    EXPECT_FALSE(WhitelistProtects({"", "   ", "|note only", "  |x"}, "Anything", "Anyone"));
    EXPECT_TRUE(WhitelistProtects({" Reader"}, "Adobe Reader", ""));
    EXPECT_FALSE(WhitelistProtects({" Reader"}, "Reader", ""));  // the name is trimmed
    EXPECT_FALSE(WhitelistProtects({"Reader "}, "  Adobe Reader  ", ""));
    EXPECT_TRUE(WhitelistProtects({";Toolbar"}, "My ;Toolbar", ""));
}

}  // namespace
}  // namespace kestrel

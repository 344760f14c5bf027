// The JSON report's text: escaping and UTF-8, and what it says of each application. The
// schema check of a whole document is json.schema (json-schema-test.sh), which runs
// JsonReportSample to write one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/json_writer.h"
#include "inventory/json_report.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

InstalledApp Machine(const std::string& name, const std::string& publisher = "") {
    InstalledApp app;
    app.fields = {name, name + "_key", "C:\\" + name + "\\uninst.exe", publisher, ""};
    app.root = {"HKLM", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "64-bit", ""};
    return app;
}

// The applications of a small machine against a small blacklist and whitelist.
std::string SampleReport() {
    InstalledApp perUser = Machine("Per User Bar", "Bar Co");
    perUser.root = {"HKCU", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "user",
                    "tech"};
    perUser.fields.user = "tech";
    perUser.displayVersion = "2.1";
    perUser.installDate = "20261201";
    InstalledApp component = Machine("Word MUI", "Microsoft");
    component.parentDisplayName = "Office 16";
    InstalledApp legacy = Machine("Caf\xE9 \x80 \"Tool\"\\ \x81\t", "Old");
    legacy.root.view = "32-bit";
    return JsonReportText({"WORKSHOP-PC", "2026-12-07T07:30:00+01:00", "Kestrel v1.0",
                           "Windows 10 Pro"},
                          {Machine("Ask Toolbar", "APN"), Machine("Babylon Translator"),
                           Machine("Keeper Toolbar"), Machine("Security Update for Toolbar (KB1)"),
                           perUser, component, legacy, Machine("")},
                          {"Toolbar|note", ";Babylon", "bar co"}, {"Keeper"});
}

TEST(JsonText, QuotesBackslashesControlsAndTheCodePageBecomeUtf8Escapes) {
    EXPECT_EQ(JsonString("a\"b\\c\r\n\t\x01"), "\"a\\\"b\\\\c\\r\\n\\t\\u0001\"");
    EXPECT_EQ(JsonString("Caf\xE9 \x80 \x9F"), "\"Caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8\"");
    EXPECT_EQ(JsonString("\x81\x7F"), "\"\\u0081\\u007f\"");  // unassigned, delete
    JsonWriter json;
    json.BeginObject().Key("a").BeginArray().EndArray().Key("b").Null().EndObject();
    EXPECT_EQ(json.Text(), "{\n  \"a\": [],\n  \"b\": null\n}\n");
}

TEST(JsonText, EachApplicationCarriesWhatTheListsDecideAndWhereItIsRegistered) {
    const std::string text = SampleReport();
    const auto has = [&](const std::string& part) { return text.find(part) != std::string::npos; };
    EXPECT_TRUE(has("\"term\": \"Toolbar\",\n        \"hiddenByDisabledLine\": null\n      },\n"
                    "      \"protection\": {\n        \"whitelistLine\": null,\n"
                    "        \"windowsUpdate\": false\n      },\n      \"list\": \"Matching Blacklist\""))
        << text;
    EXPECT_TRUE(has("\"hiddenByDisabledLine\": \";Babylon\"")) << text;
    EXPECT_TRUE(has("\"whitelistLine\": \"Keeper\"")) << text;
    EXPECT_TRUE(has("\"windowsUpdate\": true")) << text;
    EXPECT_TRUE(has("\"hive\": \"HKCU\",\n        \"view\": \"user\",\n        \"key\": "
                    "\"SOFTWARE\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Per User "
                    "Bar_key\"\n      },\n      \"user\": \"tech\""))
        << text;
    EXPECT_TRUE(has("\"parentDisplayName\": \"Office 16\"")) << text;
    EXPECT_TRUE(has("\"displayName\": \"Caf\xC3\xA9 \xE2\x82\xAC \\\"Tool\\\"\\\\ \\u0081\\t\""))
        << text;
    EXPECT_FALSE(has("\"displayName\": \"\"")) << text;  // a nameless entry is no application
    // Placed as the window places them: matched, hidden, protected, components in no list.
    size_t lists = 0;
    for (size_t at = 0; (at = text.find("\"list\": \"", at)) != std::string::npos; ++at) {
        ++lists;
    }
    EXPECT_EQ(lists, 3u) << text;  // Ask Toolbar, Per User Bar, the legacy tool
    EXPECT_EQ(IsoTime(1796628600, 60), "2026-12-07T07:30:00+01:00");
    EXPECT_EQ(IsoTime(-1, -330), "1969-12-31T23:59:59-05:30");
}

// Writes the sample document where json-schema-test.sh asks for it.
TEST(JsonReportSample, WritesTheSampleDocument) {
    const char* out = std::getenv("KESTREL_JSON_SAMPLE");
    if (out == nullptr) {
        GTEST_SKIP() << "KESTREL_JSON_SAMPLE names no file";
    }
    std::ofstream(out, std::ios::binary) << SampleReport();
    EXPECT_TRUE(std::ifstream(out).good());
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(JsonTime, NowIsTheLocalTimeWithItsOffsetFromUtc) {
    testing::FakeMachine m;
    m.clock.unixSeconds = 1796628600;  // 2026-12-07 07:30:00 UTC
    m.clock.utcOffsetMinutes = -300;
    EXPECT_EQ(IsoTimeNow(m.ctx), "2026-12-07T02:30:00-05:00");
    m.clock.utcOffsetMinutes = 0;
    EXPECT_EQ(IsoTimeNow(m.ctx), "2026-12-07T07:30:00+00:00");
}

}  // namespace
}  // namespace kestrel

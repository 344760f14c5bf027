// Kestrel.exe fetching its definition lists, its settings and a new version of itself from
// the test HTTP server on 127.0.0.1 (tests/win32/http_test_server.py, started with the
// packages by tests/e2e/packages-e2e.sh), as a technician's script runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "e2e/kestrel_sandbox.h"
#include "e2e/test_apps.h"
#include "os/win32/windows_api.h"

namespace kestrel::e2e {
namespace {

std::string PackagesFolder() {
    const char* folder = std::getenv("KESTREL_PACKAGES_FOLDER");
    return folder ? std::string(folder) + "\\" : "";
}

std::string Server() {
    std::string port = ReadFileText(PackagesFolder() + "port.txt").value_or("");
    while (!port.empty() && (port.back() == '\n' || port.back() == '\r')) {
        port.pop_back();
    }
    return "http://127.0.0.1:" + port;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Waits up to timeoutMs for what() to hold.
template <typename F>
bool Eventually(F what, unsigned timeoutMs = 60000) {
    for (unsigned waited = 0; waited < timeoutMs; waited += 100) {
        if (what()) {
            return true;
        }
        Sleep(100);
    }
    return what();
}

class PackagesE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(PackagesFolder().empty()) << "runs under tests/e2e/packages-e2e.sh";
    }
    // The files a technician keeps beside the program, which no package may lose.
    const std::map<std::string, std::string> kKept = {
        {"Kestrel.txt", "Old Toolbar\r\n"},
        {"Kestrel_Whitelist.txt", "Keep Me\r\n"},
        {"Kestrel_RegKeys.txt", "Software\\Old Toolbar\r\n"},
        {"Kestrel_Log.txt", "an earlier run\r\n---END---\r\n"},
        {"Kestrel_Report.txt", "an earlier report\r\n"},
        {"notes.txt", "the technician's notes\r\n"},
        {"Kestrel.ini", "[Options]\r\nLogFile=0\r\n"},
    };
    void Seed(const KestrelSandbox& box) {
        for (const auto& [name, content] : kKept) {
            box.Write(name, content);
        }
    }
    // Every kept file as it was, but for the ones named in changed.
    void ExpectKept(const KestrelSandbox& box, const std::map<std::string, std::string>& changed,
                    const std::string& why) {
        for (const auto& [name, content] : kKept) {
            const auto it = changed.find(name);
            EXPECT_EQ(box.Read(name), it == changed.end() ? content : it->second)
                << name << " after " << why;
        }
        EXPECT_FALSE(box.Exists("Def_Backups")) << why;
        EXPECT_FALSE(box.Exists("Kestrel_Defs.zip")) << why;
        EXPECT_FALSE(box.Exists("Kestrel_Config.zip")) << why;
    }
};

TEST_F(PackagesE2E, DefinitionsPackageReplacesOnlyTheListsItBrings) {
    KestrelSandbox box("defs");
    Seed(box);
    ASSERT_EQ(box.Run("/getdefs=" + Server() + "/Kestrel_Defs.zip"), 0);
    ExpectKept(
        box, {{"Kestrel.txt", "Package Toolbar|from the package\r\n"}, {"Kestrel_RegKeys.txt", ""}},
        "the definitions package");
    EXPECT_TRUE(box.Exists("Extras"));
}

// How each download fails (error pages, broken connections, redirects) is the HTTP port's and
// DownloadFile's own tests' business; here a technician's files survive a failed package.
TEST_F(PackagesE2E, AFailedDefinitionsOrConfigurationPackageChangesNothing) {
    for (const std::string& args : std::vector<std::string>{
             "/getdefs=" + Server() + "/missing.zip", "/getdefs=" + Server() + "/broken.zip",
             "/getconfig=" + Server() + "/broken.zip"}) {
        KestrelSandbox box("failed");
        Seed(box);
        ASSERT_EQ(box.Run(args), 0) << args;
        ExpectKept(box, {}, args);
        EXPECT_FALSE(box.Exists("Kestrel.ini.bak")) << args;
    }
}

TEST_F(PackagesE2E, ConfigurationPackageReplacesTheSettingsOnlyWhenItBringsThem) {
    KestrelSandbox box("config");
    Seed(box);
    ASSERT_EQ(box.Run("/getconfig=" + Server() + "/Kestrel_Config.zip"), 0);
    ExpectKept(box, {{"Kestrel.ini", "[Options]\r\nLogFile=1\r\nFromPackage=1\r\n"}}, "config");
    EXPECT_FALSE(box.Exists("Kestrel.ini.bak"));

    KestrelSandbox other("noconfig");
    Seed(other);
    ASSERT_EQ(other.Run("/getconfig=" + Server() + "/NoConfig.zip"), 0);
    ExpectKept(other, {}, "a package without settings");
    EXPECT_EQ(other.Read("Readme.txt"), "unrelated\r\n");
    EXPECT_FALSE(other.Exists("Kestrel.ini.bak"));
}

TEST_F(PackagesE2E, SelfUpdateReplacesTheProgramAndRestartsItWithTheOtherSwitches) {
    KestrelSandbox box("update");
    const std::string original = box.Read("Kestrel.exe").value();
    box.Write("Kestrel.ini",
              "[Options]\r\nLogFile=1\r\nEmailResults=0\r\nUpdateServer=" + Server() + "/good\r\n");
    ASSERT_EQ(box.Run("/update /u=nothing-is-called-this"), 0);
    // The old program ended at once; the new one runs "/u=" alone and appends one log block.
    ASSERT_TRUE(Eventually([&] { return box.Read("Kestrel_Log.txt").has_value(); }));
    ASSERT_TRUE(Eventually([&] { return CountProcesses("Kestrel.exe") == 0; }));
    EXPECT_EQ(Count(box.Read("Kestrel_Log.txt").value(), "---END---"), 1u);
    EXPECT_TRUE(EndsWith(box.Read("Kestrel.exe").value(), "KESTREL-NEW-BUILD"));
    EXPECT_EQ(box.Read("Kestrel.exe")->size(), original.size() + 17);
    EXPECT_FALSE(box.Exists("Kestrel.zip"));
    EXPECT_FALSE(box.Exists("AshgroveUpdates.zip"));
    // The next start removes the replaced program, if the new one could not yet.
    ASSERT_EQ(box.Run("/logreport"), 0);
    EXPECT_FALSE(box.Exists("Kestrel_old.exe"));
}

TEST_F(PackagesE2E, ARefusedOrFailedUpdateLeavesTheProgramAsItWas) {
    for (const std::string index : {"badhash", "broken", "same", "missing"}) {
        KestrelSandbox box("noupdate");
        const std::string original = box.Read("Kestrel.exe").value();
        box.Write("Kestrel.ini", "[Options]\r\nLogFile=1\r\nEmailResults=0\r\nUpdateServer=" +
                                     Server() + "/" + index + "\r\n");
        ASSERT_EQ(box.Run("/update /u=nothing-is-called-this"), 0) << index;
        EXPECT_EQ(box.Read("Kestrel.exe"), original) << index;
        EXPECT_FALSE(box.Exists("Kestrel_old.exe")) << index;
        // A package that would not unpack stays until the next attempt replaces it.
        EXPECT_EQ(box.Exists("Kestrel.zip"), index == "broken") << index;
        // The run goes on with the other switches.
        EXPECT_EQ(Count(box.Read("Kestrel_Log.txt").value_or(""), "---END---"), 1u) << index;
    }
}

}  // namespace
}  // namespace kestrel::e2e

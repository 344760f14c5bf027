// The update check, the self-update and the two package downloads, over a transfer that
// serves bytes by URL and "unpacks" a package by its bytes into the fake machine's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/sha256.h"
#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "net/updates.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using Message = os::fake::FakeUserPrompts::Message;

constexpr const char* kDir = "C:\\Kestrel\\";
constexpr const char* kProgram = "C:\\Kestrel\\Kestrel.exe";
constexpr const char* kOld = "C:\\Kestrel\\Kestrel_old.exe";
constexpr const char* kIni = "C:\\Kestrel\\Kestrel.ini";
constexpr const char* kServer = "https://updates.example.org";
constexpr const char* kProgramUrl = "https://updates.example.org/Kestrel.zip";

struct Package {
    std::map<std::string, std::string> files;  // names in the target folder
    bool unpacks = true;                       // false: the files are written, then it fails
};

class FakeTransfer : public PackageTransfer {
public:
    explicit FakeTransfer(testing::FakeMachine& m) : m_m(m) {}
    std::map<std::string, std::string> served;  // url: bytes; others fail
    std::map<std::string, Package> packages;    // bytes of a package: what it holds
    std::vector<std::string> calls;
    std::vector<std::string> pathsWhileUnpacking;

    bool Download(const std::string& url, const std::string& file, bool hidden) override {
        calls.push_back("download " + url + (hidden ? " hidden" : ""));
        auto it = served.find(url);
        if (it != served.end()) {
            m_m.files.AddFile(file, it->second);
        }
        return it != served.end();
    }
    bool Unzip(const std::string& zipFile, const std::string& folder, bool) override {
        calls.push_back("unzip " + zipFile);
        pathsWhileUnpacking = m_m.files.AllPaths();
        auto it = packages.find(m_m.files.Content(zipFile).value_or(""));
        if (it == packages.end()) {
            return false;
        }
        for (const auto& [name, content] : it->second.files) {
            m_m.files.AddFile(folder + name, content);
        }
        return it->second.unpacks;
    }

private:
    testing::FakeMachine& m_m;
};

class Updates : public ::testing::Test {
protected:
    Updates() {
        m.ctx.settingsFile = kIni;
        m.ctx.definitions = DefinitionPathsIn(kDir);
        m.env.version = {3, 9, 5};
        WriteIni(m.ctx, kIni, "Options", "UpdateServer", kServer);
        m.processes.OnProgram("Kestrel.exe", os::fake::FakeProcesses::Program{});
        Publish("3.10.0");
        transfer.served[kProgramUrl] = "program zip";
        transfer.packages["program zip"] = {{{"Kestrel.exe", "MZ new"}}};
    }

    // The index package on the server, naming version, URL and optionally the hash.
    void Publish(const std::string& version, const std::string& url = kProgramUrl,
                 const std::string& sha = "", const std::string& server = kServer) {
        std::string ini = "[Kestrel]\r\nCurrentVersion=" + version + "\r\nDownloadURL=" + url +
                          "\r\n" + (sha.empty() ? "" : "SHA256=" + sha + "\r\n");
        transfer.served[server + std::string("/AshgroveUpdates.zip")] = "index zip " + version;
        transfer.packages["index zip " + version] = {{{"AshgroveUpdates.ini", ini}}};
    }
    // The running program as it was before any update attempt.
    void Reset() {
        m.files.AddFile(kProgram, "MZ");
        (void)m.files.Delete(kOld);
        m.processes.launches.clear();
        m.prompts.messages.clear();
        transfer.calls.clear();
    }
    bool Started() const {
        return !m.processes.CommandLines().empty() && m.files.Content(kProgram) == "MZ new" &&
               m.files.Content(kOld) == "MZ" && !m.files.Exists("C:\\Kestrel\\Kestrel.zip");
    }
    bool LeftAsItWas() const {
        const auto& l = m.processes.launches;
        return std::none_of(l.begin(), l.end(), [](const auto& x) { return x.started; }) &&
               m.files.Content(kProgram) == "MZ" && !m.files.Exists(kOld);
    }

    testing::FakeMachine m;
    FakeTransfer transfer{m};
};

TEST(UpdateVersion, ValuesAndComparison) {
    const struct {
        const char* text;
        int32_t value;
    } values[] = {{"3.10.0", 310000},  {"3.9.5", 309050}, {"4.0", 0}, {"1.x.3", 0},
                  {"1.2.3.4", 102030}, {"-1.0.0", 0},     {"", 0},    {"99999.0.0", 0},
                  {"1..3", 0},         {"0.0.1", 10}};
    for (const auto& v : values) {
        EXPECT_EQ(VersionValue(v.text), v.value) << v.text;
    }
    EXPECT_TRUE(IsNewerVersion("3.9.5", "3.10.0"));
    EXPECT_FALSE(IsNewerVersion("3.10.0", "3.9.5"));
    EXPECT_FALSE(IsNewerVersion("3.9.5", "3.9.5"));
    EXPECT_FALSE(IsNewerVersion("3.9.5", "4.0"));
}

TEST_F(Updates, CheckFlowsSilentAndInteractive) {
    const Message offer{"Press OK to update this application.", "An update is available!", 0x31};
    const Message none{"No updates found.  Would you like to update anyway?", "Kestrel", 0x24};
    const struct {
        const char* published;
        bool silent;
        std::vector<int> answers;
        std::vector<Message> shown;
        bool started;
    } cases[] = {
        {"3.10.0", true, {}, {}, true},
        {"3.10.0", false, {os::mb::kIdOk}, {offer}, true},
        {"3.10.0", false, {os::mb::kIdCancel}, {offer}, false},
        {"3.9.5", true, {}, {}, false},
        {"3.9.5", false, {os::mb::kIdNo}, {none}, false},
        {"4.0", false, {os::mb::kIdYes}, {none}, true},
    };
    for (const auto& c : cases) {
        Reset();
        m.prompts.answers.assign(c.answers.begin(), c.answers.end());
        Publish(c.published);
        EXPECT_EQ(CheckForUpdate(m.ctx, transfer, c.silent), c.started) << c.published;
        EXPECT_EQ(c.started ? Started() : LeftAsItWas(), true) << c.published << c.silent;
        ASSERT_EQ(m.prompts.messages.size(), c.shown.size()) << c.published << c.silent;
        for (size_t i = 0; i < c.shown.size(); ++i) {
            EXPECT_EQ(m.prompts.messages[i].text, c.shown[i].text);
            EXPECT_EQ(m.prompts.messages[i].title, c.shown[i].title);
            EXPECT_EQ(m.prompts.messages[i].style, c.shown[i].style);
        }
        EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\AshgroveUpdates.zip"));
    }
}

TEST_F(Updates, RestartGetsTheCommandLineWithoutUpdate) {
    const struct {
        const char* arguments;
        const char* restart;
    } cases[] = {{"/update /auto", "C:\\Kestrel\\Kestrel.exe /auto"},
                 {"/UPDATE", "C:\\Kestrel\\Kestrel.exe /restarted"},
                 {"", "C:\\Kestrel\\Kestrel.exe"},  // the window's button
                 {"/auto /Update /u=toolbar", "C:\\Kestrel\\Kestrel.exe /auto  /u=toolbar"}};
    for (const auto& c : cases) {
        Reset();
        m.env.SetArguments(c.arguments);
        EXPECT_TRUE(CheckForUpdate(m.ctx, transfer, true));
        EXPECT_TRUE(Started());
        EXPECT_EQ(m.processes.CommandLines(), std::vector<std::string>{c.restart});
        EXPECT_EQ(m.processes.launches.back().showWindow, 1);
    }
    EXPECT_EQ(transfer.calls[0], "download https://updates.example.org/AshgroveUpdates.zip hidden");
    EXPECT_EQ(transfer.calls[2], "download https://updates.example.org/Kestrel.zip");
}

TEST_F(Updates, NoUpdateServerChangesNothing) {
    WriteIni(m.ctx, kIni, "Options", "UpdateServer", "");
    const auto before = m.files.AllPaths();
    EXPECT_FALSE(CheckForUpdate(m.ctx, transfer, false));
    EXPECT_TRUE(transfer.calls.empty());
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_TRUE(m.prompts.messages.empty());
    EXPECT_EQ(m.Log(),
              "\tCheckForUpdate:  No update server is set (Options\\UpdateServer); nothing was "
              "changed.\n");
}

TEST_F(Updates, PlainHttpOnlyFromALoopbackServer) {
    const struct {
        const char* server;
        const char* downloadUrl;
        bool indexFetched;
        bool started;
    } cases[] = {
        {"http://updates.example.org", "http://updates.example.org/K.zip", false, false},
        {"http://127.0.0.1:8080/", "http://127.0.0.1:8080/Kestrel.zip", true, true},
        {"http://localhost:81", "http://localhost:81/Kestrel.zip", true, true},
        {"http://[::1]:81", "http://[::1]:81/Kestrel.zip", true, true},
        {"http://127.0.0.1.example.org", "http://127.0.0.1.example.org/K.zip", false, false},
        {"http://127.0.0.1:8080", "http://updates.example.org/Kestrel.zip", true, false},
        {"https://updates.example.org", "http://updates.example.org/Kestrel.zip", true, false},
        {"https://updates.example.org/", "ftp://updates.example.org/Kestrel.zip", true, false},
    };
    for (const auto& c : cases) {
        std::string server = c.server;
        WriteIni(m.ctx, kIni, "Options", "UpdateServer", server);
        while (server.back() == '/') {
            server.pop_back();
        }
        Reset();
        Publish("3.10.0", c.downloadUrl, "", server);
        transfer.served[c.downloadUrl] = "program zip";
        EXPECT_EQ(CheckForUpdate(m.ctx, transfer, true), c.started) << c.server;
        EXPECT_EQ(!transfer.calls.empty() &&
                      transfer.calls[0] == "download " + server + "/AshgroveUpdates.zip hidden",
                  c.indexFetched)
            << c.server;
        EXPECT_TRUE(c.started ? Started() : LeftAsItWas()) << c.server;
        if (!c.started) {
            EXPECT_NE(m.Log().find("Refused"), std::string::npos) << c.server;
        }
    }
}

TEST_F(Updates, PackageMustMatchTheIndexSha256) {
    const std::string good = Sha256Hex(std::string("program zip"));
    const struct {
        std::string sha;
        bool started;
    } cases[] = {{UCase(good), true},
                 {good, true},
                 {Sha256Hex(std::string("other")), false},
                 {"12345", false}};
    for (const auto& c : cases) {
        Reset();
        Publish("3.10.0", kProgramUrl, c.sha);
        EXPECT_EQ(CheckForUpdate(m.ctx, transfer, false), c.started) << c.sha;
        EXPECT_TRUE(c.started ? Started() : LeftAsItWas()) << c.sha;
        EXPECT_EQ(m.prompts.messages.back().text, c.started ? "Press OK to update this application."
                                                            : "Failed to download update.");
        EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Kestrel.zip"));
    }
}

TEST_F(Updates, FailuresAfterTheRenameRollBack) {
    const struct {
        const char* name;
        Package package;
        bool startable;
        const char* message;  // the last one shown
    } cases[] = {
        {"unpack fails", {{{"Kestrel.exe", "MZ half"}}, false}, true, "Failed to unzip update."},
        {"no program in the package", {{{"ReadMe.txt", "hello"}}}, true, "Failed to unzip update."},
        {"start fails",
         {{{"Kestrel.exe", "MZ new"}}},
         false,
         "Press OK to update this application."},
    };
    for (const auto& c : cases) {
        Reset();
        if (!c.startable) {
            m.processes.OnProgram("Kestrel.exe", [](const std::string&) {
                return std::optional<os::fake::FakeProcesses::Program>();
            });
        }
        transfer.packages["program zip"] = c.package;
        EXPECT_FALSE(CheckForUpdate(m.ctx, transfer, false)) << c.name;
        EXPECT_TRUE(LeftAsItWas()) << c.name;
        EXPECT_EQ(m.prompts.messages.back().text, c.message) << c.name;
    }
}

TEST_F(Updates, ConfigPackageReplacesTheSettingsOnlyWhenItBringsThem) {
    const struct {
        const char* name;
        Package package;
        const char* setting;  // UpdateServer afterwards
    } cases[] = {
        {"brings settings",
         {{{"Kestrel.ini", "[Options]\r\nUpdateServer=https://new\r\n"}}},
         "https://new"},
        {"brings none", {{{"Other.txt", "x"}}}, kServer},
        {"unpack fails", {{{"Kestrel.ini", "[Opt"}}, false}, kServer},
    };
    for (const auto& c : cases) {
        WriteIni(m.ctx, kIni, "Options", "UpdateServer", kServer);
        transfer.served["https://cfg.example.org/c.zip"] = "config zip";
        transfer.packages["config zip"] = c.package;
        GetConfigPackage(m.ctx, transfer, "https://cfg.example.org/c.zip");
        EXPECT_EQ(ReadIniSection(m.ctx, kIni, "Options", "UpdateServer"), c.setting) << c.name;
        EXPECT_FALSE(m.files.Exists(std::string(kIni) + ".bak")) << c.name;
        EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Kestrel_Config.zip")) << c.name;
    }
}

TEST_F(Updates, DefsPackageMovesOnlyTheListsAside) {
    const std::vector<std::string> lists = {"Kestrel.txt",
                                            "Kestrel_Whitelist.txt",
                                            "Kestrel_RegValues.txt",
                                            "Kestrel_RegKeys.txt",
                                            "Kestrel_RunValues.txt",
                                            "Kestrel_FileSystemObjects.txt",
                                            "Kestrel_StartMenuFolders.txt"};
    const std::vector<std::string> others = {"Kestrel_Log.txt", "Kestrel_Report.txt", "Notes.txt"};
    for (bool unpacks : {true, false}) {
        for (const auto& name : lists) {
            m.files.AddFile(kDir + name, "old " + name);
        }
        for (const auto& name : others) {
            m.files.AddFile(kDir + name, "kept " + name);
        }
        transfer.served["https://defs.example.org/d.zip"] = "defs zip";
        transfer.packages["defs zip"] = {
            {{"Kestrel.txt", "new blacklist"}, {"Kestrel_RegKeys.txt", "new keys"}}, unpacks};
        GetDefsPackage(m.ctx, transfer, "https://defs.example.org/d.zip");
        for (const auto& name : lists) {
            const bool replaced =
                unpacks && (name == "Kestrel.txt" || name == "Kestrel_RegKeys.txt");
            EXPECT_EQ(
                m.files.Content(kDir + name),
                replaced ? (name == "Kestrel.txt" ? "new blacklist" : "new keys") : "old " + name)
                << name << unpacks;
            EXPECT_EQ(std::count(transfer.pathsWhileUnpacking.begin(),
                                 transfer.pathsWhileUnpacking.end(), kDir + name),
                      0)
                << name;
        }
        for (const auto& name : others) {
            EXPECT_EQ(m.files.Content(kDir + name), "kept " + name) << name;
            EXPECT_EQ(std::count(transfer.pathsWhileUnpacking.begin(),
                                 transfer.pathsWhileUnpacking.end(), kDir + name),
                      1)
                << name;
        }
        EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Def_Backups")) << unpacks;
        EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Kestrel_Defs.zip")) << unpacks;
    }
}

TEST_F(Updates, FailedPackageDownloadsChangeNothing) {
    m.files.AddFile("C:\\Kestrel\\Kestrel.txt", "old");
    const auto before = m.files.AllPaths();
    GetConfigPackage(m.ctx, transfer, "https://nowhere.example.org/c.zip");
    GetDefsPackage(m.ctx, transfer, "https://nowhere.example.org/d.zip");
    EXPECT_EQ(m.files.AllPaths(), before);
    EXPECT_EQ(transfer.calls.size(), 2u);
}

}  // namespace
}  // namespace kestrel

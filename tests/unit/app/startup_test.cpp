#include <gtest/gtest.h>

#include "app/command_runner.h"
#include "app/startup.h"
#include "core/run_log.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

// Records what Main hands to the actions, in order.
class RecordingActions : public ProgramActions {
public:
    std::vector<std::string> calls;
    void Update() override { calls.push_back("update"); }
    void GetConfig(const std::string& p) override { calls.push_back("getconfig:" + p); }
    void GetDefs(const std::string& p) override { calls.push_back("getdefs:" + p); }
    void AutoRun() override { calls.push_back("auto"); }
    void UninstallFromCommandLine(const std::string& d) override { calls.push_back("u:" + d); }
    void FixBrowsers() override { calls.push_back("fixbrowsers"); }
    void SendReport() override { calls.push_back("sendreport"); }
    void LogReport() override { calls.push_back("logreport"); }
    void Preview() override { calls.push_back("preview"); }
    void JsonReport() override { calls.push_back("jsonreport"); }
    void ShowMainWindow() override { calls.push_back("window"); }
};

class StartupTest : public ::testing::Test {
protected:
    std::vector<std::string> Run(const std::string& arguments) {
        m.env.SetArguments(arguments);
        RecordingActions actions;
        EXPECT_EQ(Main(m.ctx, actions), 0);
        return actions.calls;
    }
    testing::FakeMachine m;
};

TEST_F(StartupTest, FixesProgramWidePathsAndStartsTheRunLog) {
    Run("/nothing");
    EXPECT_EQ(m.ctx.settingsFile, "C:\\Kestrel\\Kestrel.ini");
    EXPECT_EQ(m.ctx.systemDrive, "C:");
    EXPECT_EQ(m.ctx.definitions.blacklist, "C:\\Kestrel\\Kestrel.txt");
    EXPECT_EQ(m.ctx.definitions.startMenuFolders, "C:\\Kestrel\\Kestrel_StartMenuFolders.txt");
    EXPECT_EQ(m.ctx.runLog, "12/6/2026 8:10:47 AM  -  Started on WORKSHOP-PC\r\n---------");
    EXPECT_TRUE(m.ctx.redirection.Allowed());
    // The start banner: an empty line, the date and version, 40 hyphens.
    ASSERT_GE(m.debugOut.lines.size(), 3u);
    EXPECT_EQ(m.debugOut.lines[0], "\t");
    EXPECT_EQ(m.debugOut.lines[1], "\t12/6/2026 - Starting Kestrel v1.0 ");
    EXPECT_EQ(m.debugOut.lines[2], "\t" + std::string(40, '-'));
}

TEST_F(StartupTest, SettingsFileFollowsTheProgramFileName) {
    m.env.programFile = "D:\\Tools\\Cleaner.exe";
    m.files.AddDrive("D:");
    m.files.AddFile("D:\\Tools\\Cleaner_old.exe", "MZ");
    Run("/x");
    EXPECT_EQ(m.ctx.settingsFile, "D:\\Tools\\Cleaner.ini");
    EXPECT_EQ(m.ctx.definitions.blacklist, "D:\\Tools\\Kestrel.txt");
    EXPECT_FALSE(m.files.Exists("D:\\Tools\\Cleaner_old.exe"));
}

TEST_F(StartupTest, OldBlacklistNameIsMigratedOnlyWhenTheNewOneIsMissing) {
    m.files.AddFile("C:\\Kestrel\\UninstallApps.txt", "Old Toolbar\r\n");
    Run("/x");
    EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\UninstallApps.txt"));
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Kestrel.txt"), "Old Toolbar\r\n");

    testing::FakeMachine both;
    both.files.AddFile("C:\\Kestrel\\UninstallApps.txt", "old\r\n");
    both.files.AddFile("C:\\Kestrel\\Kestrel.txt", "new\r\n");
    RecordingActions actions;
    both.env.SetArguments("/x");
    Main(both.ctx, actions);
    EXPECT_EQ(both.files.Content("C:\\Kestrel\\UninstallApps.txt"), "old\r\n");
    EXPECT_EQ(both.files.Content("C:\\Kestrel\\Kestrel.txt"), "new\r\n");
}

TEST_F(StartupTest, BothRoadsEndWithTheSelfUpdateCleanUp) {
    m.files.AddFile("C:\\Kestrel\\Kestrel_old.exe", "MZ");
    EXPECT_EQ(Run(""), std::vector<std::string>{"window"});
    EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Kestrel_old.exe"));
    m.files.AddFile("C:\\Kestrel\\Kestrel_old.exe", "MZ");
    EXPECT_TRUE(Run("/bogus").empty());
    EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Kestrel_old.exe"));
}

TEST_F(StartupTest, PackageDownloadsSkipEverythingElseAndTheCleanUp) {
    m.files.AddFile("C:\\Kestrel\\Kestrel_old.exe", "MZ");
    EXPECT_EQ(Run("/update /getdefs=Shop Defs /auto"),
              (std::vector<std::string>{"update", "getdefs:/update Shop Defs /auto"}));
    EXPECT_TRUE(m.files.Exists("C:\\Kestrel\\Kestrel_old.exe"));
}

// The runner's services recorded instead of done.
class RecordingServices : public RunnerServices {
public:
    explicit RecordingServices(Context& ctx) : m_ctx(ctx) {}
    std::vector<std::string> calls;
    bool uninstallAnswer = true;
    std::string verdict = "*Uninstalled:  Thing";

    bool UninstallByDefinition(const std::string& d, const std::vector<std::string>& w) override {
        calls.push_back("uninstall:" + d + " whitelist:" + std::to_string(w.size()));
        if (!verdict.empty()) {
            AddToLog(m_ctx, verdict);
        }
        return uninstallAnswer;
    }
    void RemoveBrowserGuard() override { calls.push_back("guard"); }
    bool RemoveAbandonedBrowserGuard() override {
        calls.push_back("abandoned guard");
        return false;
    }
    void CleanFileSystemLeftovers() override { calls.push_back("files"); }
    void CleanRegistryLeftovers() override { calls.push_back("registry"); }
    std::string PreviewAutoRun() override {
        calls.push_back("preview");
        return {};
    }
    void SendEmail(const std::string& s, const std::string&, bool quiet) override {
        calls.push_back("email:" + s + (quiet ? " quiet" : ""));
    }
    bool CheckForUpdate() override {
        calls.push_back("update");
        return updateRestarts;
    }
    void GetConfigPackage(const std::string& url) override { calls.push_back("config:" + url); }
    void GetDefsPackage(const std::string& url) override { calls.push_back("defs:" + url); }
    void ShowMainWindow() override { calls.push_back("window"); }
    bool updateRestarts = false;

private:
    Context& m_ctx;
};

class RunnerTest : public ::testing::Test {
protected:
    RunnerTest() { PrepareProgram(m.ctx); }
    size_t LogBlocks() {
        const std::string log = m.files.Content("C:\\Kestrel\\Kestrel_Log.txt").value_or("");
        size_t n = 0;
        for (size_t p = log.find("---END---"); p != std::string::npos;
             p = log.find("---END---", p + 1)) {
            ++n;
        }
        return n;
    }
    testing::FakeMachine m;
    RecordingServices services{m.ctx};
    CommandRunner runner{m.ctx, services};
};

TEST_F(RunnerTest, UninstallRunAppendsTheLogMailsAndRemovesTheGuard) {
    runner.UninstallFromCommandLine("toolbar");
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"uninstall:toolbar whitelist:0",
                                        "email:Kestrel Log for WORKSHOP-PC quiet", "guard"}));
    // No settings file: the flags read as on.
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Kestrel_Log.txt"),
              "12/6/2026 8:10:47 AM  -  Started on WORKSHOP-PC\r\n---------\r\n"
              "*Uninstalled:  Thing\r\n---END---\r\n\r\n");
}

TEST_F(RunnerTest, LogAndMailFollowTheSettings) {
    m.files.AddFile("C:\\Kestrel\\Kestrel.ini", "[Options]\r\nLogFile=0\r\nEmailResults=0\r\n");
    runner.UninstallFromCommandLine("toolbar");
    EXPECT_EQ(LogBlocks(), 0u);
    EXPECT_EQ(services.calls.back(), "guard");
    EXPECT_EQ(services.calls.size(), 2u);

    m.files.AddFile("C:\\Kestrel\\Kestrel.ini", "[Options]\r\nLogFile=1\r\nEmailResults=yes\r\n");
    services.verdict.clear();
    m.ctx.runLog = "fresh";
    services.calls.clear();
    runner.UninstallFromCommandLine("nothing-matches");
    runner.UninstallFromCommandLine("again");
    // Appended once per run, also when nothing was uninstalled; no mail without a verdict.
    EXPECT_EQ(LogBlocks(), 2u);
    for (const std::string& call : services.calls) {
        EXPECT_EQ(call.find("email"), std::string::npos);
    }
}

TEST_F(RunnerTest, AnUpdateThatStartedTheNewProgramEndsTheRunAtOnce) {
    m.files.AddFile("C:\\Kestrel\\Kestrel_old.exe", "MZ old");
    m.env.SetArguments("/update /auto");
    services.updateRestarts = true;
    EXPECT_EQ(Main(m.ctx, runner), 0);
    EXPECT_EQ(services.calls, (std::vector<std::string>{"abandoned guard", "update"}));
    EXPECT_TRUE(m.files.Exists("C:\\Kestrel\\Kestrel_old.exe"));

    services.calls.clear();
    m.ctx.endRequested = false;
    services.updateRestarts = false;
    EXPECT_EQ(Main(m.ctx, runner), 0);
    EXPECT_EQ(services.calls, (std::vector<std::string>{"abandoned guard", "update", "files",
                                                        "registry", "guard"}));
    EXPECT_FALSE(m.files.Exists("C:\\Kestrel\\Kestrel_old.exe"));
}

TEST_F(RunnerTest, TheWindowRoadHandsOverToTheWindow) {
    runner.ShowMainWindow();
    EXPECT_EQ(services.calls, std::vector<std::string>{"window"});
}

TEST_F(RunnerTest, BlankDefinitionsUninstallNothing) {
    runner.UninstallFromCommandLine("   ");
    EXPECT_TRUE(services.calls.empty());
    EXPECT_TRUE(m.debugOut.Saw("refused an empty definition"));
}

TEST_F(RunnerTest, AutoRunUsesEveryUsableBlacklistLineWithTheWhitelist) {
    m.files.AddFile("C:\\Kestrel\\Kestrel.txt",
                    "Toolbar|note\r\n;Disabled\r\n\r\n   \r\n|only a note\r\nCoupon Printer\nLast");
    m.files.AddFile("C:\\Kestrel\\Kestrel_Whitelist.txt", "Keep Me\r\nAnd Me|why\r\n");
    runner.AutoRun();
    EXPECT_EQ(services.calls, (std::vector<std::string>{
                                  "uninstall:Toolbar whitelist:2",
                                  "uninstall:Coupon Printer whitelist:2",
                                  "uninstall:Last whitelist:2",
                                  "files",
                                  "registry",
                                  "email:Kestrel Log for WORKSHOP-PC quiet",
                                  "guard",
                              }));
    EXPECT_EQ(LogBlocks(), 1u);
}

TEST_F(RunnerTest, AutoRunWithoutListsStillCleansUpAndLogs) {
    runner.AutoRun();
    EXPECT_EQ(services.calls, (std::vector<std::string>{"files", "registry", "guard"}));
    EXPECT_EQ(LogBlocks(), 1u);
}

TEST_F(RunnerTest, FixBrowsersOnlyRemovesTheGuard) {
    runner.FixBrowsers();
    EXPECT_EQ(services.calls, std::vector<std::string>{"guard"});
    EXPECT_EQ(LogBlocks(), 0u);
}

}  // namespace
}  // namespace kestrel

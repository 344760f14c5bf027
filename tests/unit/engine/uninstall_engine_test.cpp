// Uninstalling by definition over the fake machine: what reaches the process launcher, the two
// passes, protection, the guard around each uninstall and the verdicts in the run log.
#include <gtest/gtest.h>

#include <map>

#include "base/strings.h"
#include "core/settings.h"
#include "engine/browser_guard.h"
#include "engine/run_uninstall.h"
#include "engine/uninstall_by_definition.h"
#include "inventory/inventory_scan.h"
#include "support/fake_machine.h"
#include "support/idle_command_shell.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using Program = os::fake::FakeProcesses::Program;
using os::RegView;

const std::string kUninstall = std::string("HKLM\\") + kUninstallKey;
const std::string kIfeo = std::string("HKLM\\") + kImageFileExecutionOptions;

class RecordingStatus : public StatusSink {
public:
    void SetStatus(const std::string& text) override { texts.push_back(text); }
    Lines texts;
};

class UninstallEngine : public ::testing::Test {
protected:
    UninstallEngine() {
        m.ctx.redirection.SetAllowed(true);
        m.ctx.settingsFile = "C:\\Kestrel\\Kestrel.ini";
        m.ctx.runLog = "start";
        testing::ProvideIdleCommandShell(m, 20);
    }

    struct App {
        std::string subkey;
        std::string name;
        std::string publisher;
        std::string uninstall;  // "" for none
        RegView view = RegView::k64;
    };
    std::string KeyOf(const App& app) const { return kUninstall + "\\" + app.subkey; }
    void Register(const App& app) {
        m.registry.PutString(KeyOf(app), "DisplayName", app.name, app.view);
        m.registry.PutString(KeyOf(app), "Publisher", app.publisher, app.view);
        if (!app.uninstall.empty()) {
            m.registry.PutString(KeyOf(app), "UninstallString", app.uninstall, app.view);
        }
    }
    // An uninstaller that removes the application's entry when it ends, runMs after its start.
    Program Removing(const App& app, uint32_t runMs) {
        Program uninstaller;
        uninstaller.runMs = runMs;
        uninstaller.onExit = [this, app] { m.registry.RemoveTree(KeyOf(app), app.view); };
        return uninstaller;
    }
    // Registers the application with such an uninstaller at C:\Apps\<subkey>\uninst.exe.
    App Installed(const std::string& subkey, const std::string& name, const std::string& publisher,
                  RegView view = RegView::k64, uint32_t runMs = 200) {
        const std::string program = "C:\\Apps\\" + subkey + "\\uninst.exe";
        App app{subkey, name, publisher, "\"" + program + "\"", view};
        Register(app);
        m.processes.OnProgram(program, Removing(app, runMs));
        return app;
    }
    bool Gone(const App& app) const { return !m.registry.KeyExists(KeyOf(app), app.view); }
    Lines Verdicts() const {
        Lines lines = Split(m.ctx.runLog, "\r\n");
        lines.erase(lines.begin());
        return lines;
    }
    bool Uninstall(const std::string& definition, const Lines& whitelist = {},
                   StatusSink* status = nullptr) {
        return UninstallByDefinition(m.ctx, definition, whitelist, status);
    }

    testing::FakeMachine m;
};

TEST_F(UninstallEngine, TheSilentCommandOfEachFamilyReachesTheLauncher) {
    Register({"{AC76BA86-7AD7-1033-7B44-AC0F074E4100}", "Reader", "Adobe",
              "MsiExec.exe /I{AC76BA86-7AD7-1033-7B44-AC0F074E4100}"});
    App inno{"Tool_is1", "Tool", "Maker", "\"C:\\Program Files\\Tool\\unins000.exe\""};
    Register(inno);
    m.registry.PutString(KeyOf(inno), "Inno Setup: Setup Version", "5.5.9 (u)");
    App quiet{"Quiet", "Quiet App", "Maker", "\"C:\\Quiet\\uninstall.exe\" /ask"};
    Register(quiet);
    m.registry.PutString(KeyOf(quiet), "QuietUninstallString", "\"C:\\Quiet\\uninstall.exe\" /s");
    m.processes.fallback = [](const std::string&) { return std::optional<Program>(Program{}); };

    EXPECT_TRUE(Uninstall("a"));  // every name or publisher holds an "a"
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"C:\\Quiet\\uninstall.exe\" /s",
                     "\"C:\\Program Files\\Tool\\unins000.exe\" /sp- /silent /norestart",
                     "msiexec.exe /passive /norestart /x{ac76ba86-7ad7-1033-7b44-ac0f074e4100}"}));
    for (const auto& launch : m.processes.launches) {
        EXPECT_EQ(launch.showWindow, 1);
        EXPECT_TRUE(launch.inGroup);  // its descendants are waited for
    }
}

TEST_F(UninstallEngine, AnUninstallerThatRelaunchesItselfIsFollowedToItsEnd) {
    App app{"Relauncher", "Relauncher", "Maker", "\"C:\\Apps\\Relauncher\\uninst.exe\""};
    Register(app);
    Program launcher;
    launcher.runMs = 100;
    launcher.children = {"\"C:\\Temp\\~nsu1.tmp\\Un.exe\" _?=C:\\Apps\\Relauncher\\"};
    m.processes.OnProgram("C:\\Apps\\Relauncher\\uninst.exe", launcher);
    m.processes.OnProgram("Un.exe", Removing(app, 900));
    EXPECT_TRUE(Uninstall("relauncher"));
    EXPECT_EQ(Verdicts(), Lines{"*Uninstalled:  Relauncher"});
}

TEST_F(UninstallEngine, AHangingUninstallerIsLeftBehindAfterTheTimeLimitOfTheSettings) {
    EXPECT_EQ(UninstallTimeLimit(m.ctx), 300000);
    auto limitFor = [&](const std::string& text) {
        m.files.AddFile(m.ctx.settingsFile, "[Options]\r\nUninstallTimeout=" + text + "\r\n");
        return UninstallTimeLimit(m.ctx);
    };
    EXPECT_EQ(limitFor(" 900 "), 900);
    EXPECT_EQ(limitFor("2147483647"), 2147483647);
    // No whole number above zero that fits: the default.
    for (const char* text : {"0", "-5", "2147483648", "99999999999999999999", "1e3", "fast", ""}) {
        EXPECT_EQ(limitFor(text), 300000) << text;
    }
    EXPECT_EQ(limitFor("2500"), 2500);
    App app = Installed("Stuck", "Stuck App", "Maker", RegView::k64, 10'000'000);
    const uint32_t start = m.clock.milliseconds;
    EXPECT_TRUE(Uninstall("stuck"));
    EXPECT_EQ(m.clock.milliseconds - start, 2501u);
    EXPECT_TRUE(m.processes.Running(m.processes.launches.back().pid));
    EXPECT_EQ(Verdicts(), Lines{"*Uninstall Failed:  Stuck App"});
    EXPECT_FALSE(Gone(app));
}

TEST_F(UninstallEngine, BothPassesInTurnAndTheSecondFindsWhatTheFirstLeft) {
    App only32 = Installed("Legacy", "Legacy Toolbar", "Old Co", RegView::k32);
    App both64 = Installed("Dual", "Dual Toolbar", "Dual Co");
    // The same application in the 32-bit view: its uninstaller removes only the 64-bit entry,
    // so the second pass tries again.
    App both32{"Dual", "Dual Toolbar", "Dual Co", both64.uninstall, RegView::k32};
    Register(both32);
    App gone = Installed("Clean", "Clean Toolbar", "Clean Co");
    App gone32{"Clean", "Clean Toolbar", "Clean Co", gone.uninstall, RegView::k32};
    Register(gone32);
    Program cleaner;
    cleaner.runMs = 50;
    cleaner.onExit = [this, gone] {
        m.registry.RemoveTree(KeyOf(gone), RegView::k64);
        m.registry.RemoveTree(KeyOf(gone), RegView::k32);
    };
    m.processes.OnProgram("C:\\Apps\\Clean\\uninst.exe", cleaner);
    EXPECT_TRUE(Uninstall("TOOLBAR"));
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"C:\\Apps\\Clean\\uninst.exe\" /S", "\"C:\\Apps\\Dual\\uninst.exe\" /S",
                     "\"C:\\Apps\\Dual\\uninst.exe\" /S", "\"C:\\Apps\\Legacy\\uninst.exe\" /S"}));
    EXPECT_TRUE(Gone(only32));
    EXPECT_TRUE(Gone(both64));
    EXPECT_FALSE(Gone(both32));  // this uninstaller never removes it
    EXPECT_EQ(Verdicts(),
              (Lines{"*Uninstalled:  Clean Toolbar", "*Uninstall Failed:  Dual Toolbar",
                     "*Uninstall Failed:  Dual Toolbar", "*Uninstalled:  Legacy Toolbar"}));
}

TEST_F(UninstallEngine, WithoutTheFirstKeyNothingRunsAndWithoutTheSecondOnlyTheFirstPass) {
    App app = Installed("App", "Some App", "Co");
    m.registry.RemoveTree(kUninstall, RegView::k32);
    EXPECT_TRUE(Uninstall("some"));
    EXPECT_TRUE(Gone(app));

    Installed("Legacy", "Some Legacy", "Co", RegView::k32);
    m.registry.RemoveTree(kUninstall, RegView::k64);
    EXPECT_FALSE(Uninstall("some"));
    EXPECT_EQ(m.processes.launches.size(), 1u);
}

TEST_F(UninstallEngine, ProtectionByWhitelistAndWindowsUpdatesAndMatchingByPublisher) {
    App byPublisher = Installed("Helper", "Helper Service", "Bundle Media");
    App whitelistedName = Installed("Keep", "Bundle Keeper Pro", "Other Co");
    App whitelistedPublisher = Installed("Pub", "Bundle Player", "Trusted Vendor Inc");
    App update = Installed("KB1", "SECURITY UPDATE for Bundle (KB123)", "Microsoft");
    EXPECT_TRUE(Uninstall("bundle", {"Keeper|our own tool", "", "   |blank", "trusted vendor"}));
    EXPECT_TRUE(Gone(byPublisher));
    for (const App& kept : {whitelistedName, whitelistedPublisher, update}) {
        EXPECT_FALSE(Gone(kept)) << kept.name;
    }
    EXPECT_EQ(Verdicts(), Lines{"*Uninstalled:  Helper Service"});
}

TEST_F(UninstallEngine, AnApplicationWithoutAnUninstallCommandStillCounts) {
    Register({"Orphan", "Orphan Toolbar", "Co", ""});
    EXPECT_TRUE(Uninstall("orphan"));
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_EQ(Verdicts(), Lines{"*Uninstall Failed:  Orphan Toolbar"});
}

TEST_F(UninstallEngine, TheVerdictLooksForTheNameInEveryRegisteredName) {
    Installed("Foo", "  Foo  ", "Co");
    Register({"FooPlus", "Foo Plus Helper", "Co", ""});
    Register({"Other", "Unrelated", "Co", ""});
    EXPECT_TRUE(Uninstall("foo", {"plus"}));
    EXPECT_EQ(Verdicts(), Lines{"*Uninstall Failed:    Foo  "});  // "Foo Plus" contains "Foo"

    m.ctx.runLog = "start";
    VerifyUninstalled(m.ctx, "unrelated");
    VerifyUninstalled(m.ctx, "Not There");
    EXPECT_EQ(Verdicts(), (Lines{"*Uninstall Failed:  unrelated", "*Uninstalled:  Not There"}));
}

TEST_F(UninstallEngine, WithoutADisplayNameTheApplicationsOwnKeyDecides) {
    App nameless{"NoName", "", "Nameless Corp", "\"C:\\Apps\\NoName\\uninst.exe\""};
    Register(nameless);
    m.processes.OnProgram("C:\\Apps\\NoName\\uninst.exe", Removing(nameless, 0));
    Register({"Other", "Any Other App", "Co", ""});
    EXPECT_TRUE(Uninstall("nameless"));
    EXPECT_EQ(Verdicts(), Lines{"*Uninstalled:  "});

    Register({"NoName2", " ", "Nameless Corp", ""});
    EXPECT_TRUE(Uninstall("nameless"));
    EXPECT_EQ(Verdicts().back(), "*Uninstall Failed:   ");
}

TEST_F(UninstallEngine, TheStatusShowsEachUninstallWhenThereIsAStatus) {
    Installed("One", "One Toolbar", "Co");
    Installed("Two", "Two Toolbar", "Co");
    RecordingStatus status;
    EXPECT_TRUE(Uninstall("toolbar", {}, &status));
    EXPECT_EQ(status.texts, (Lines{"Uninstalling One Toolbar", "Uninstalling Two Toolbar"}));
    EXPECT_FALSE(Uninstall("toolbar", {}, &status));
    EXPECT_EQ(status.texts.size(), 2u);
}

TEST_F(UninstallEngine, TheGuardIsOnAroundEachUninstallAndBrowsersAreClosedBeforeIt) {
    const uint32_t browser = m.processes.AddRunning("firefox.exe", "visitor");
    App app{"Ads", "Ads Toolbar", "Co", "\"C:\\Apps\\Ads\\uninst.exe\""};
    Register(app);
    std::vector<std::string> seen;
    Program uninstaller = Removing(app, 0);
    uninstaller.onStart = [&] {
        seen = m.registry.SubkeyNames(kIfeo);
        EXPECT_FALSE(m.processes.Running(browser));
    };
    m.processes.OnProgram("C:\\Apps\\Ads\\uninst.exe", uninstaller);
    EXPECT_TRUE(Uninstall("ads"));
    EXPECT_EQ(seen.size(), 7u);
    EXPECT_TRUE(m.registry.SubkeyNames(kIfeo).empty());
    // The closing commands ran, and were waited for, before the uninstaller.
    const Lines lines = m.processes.CommandLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "cmd.exe /c taskkill /f /t /im \"firefox.exe\"");
    EXPECT_EQ(lines[2], "\"C:\\Apps\\Ads\\uninst.exe\" /S");
    EXPECT_EQ(Verdicts(), Lines{"*Uninstalled:  Ads Toolbar"});
}

TEST_F(UninstallEngine, ABlankDefinitionUninstallsNothing) {
    Installed("App", "App", "Co");
    EXPECT_FALSE(Uninstall(""));
    EXPECT_FALSE(Uninstall("   "));
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_EQ(m.ctx.runLog, "start");
}

TEST_F(UninstallEngine, WhatCannotBeSeenGoneCountsAsStillInstalled) {
    // The uninstaller leaves its entry behind, locked: its display name can no longer be read.
    App locked{"Locked", "Locked Toolbar", "Co", "\"C:\\Apps\\Locked\\uninst.exe\""};
    Register(locked);
    Program locking;
    locking.onExit = [&] { m.registry.SetFlags(KeyOf(locked), {.denyOpen = true}); };
    m.processes.OnProgram("C:\\Apps\\Locked\\uninst.exe", locking);
    EXPECT_TRUE(Uninstall("locked"));
    EXPECT_EQ(Verdicts(), Lines{"*Uninstall Failed:  Locked Toolbar"});

    // Neither Uninstall key can be listed: nothing shows the application gone.
    m.ctx.runLog = "start";
    m.registry.SetFlags(kUninstall, {.denyOpen = true}, RegView::k64);
    m.registry.SetFlags(kUninstall, {.denyOpen = true}, RegView::k32);
    VerifyUninstalled(m.ctx, "Removed App");
    InstalledApp removed;
    removed.root = UninstallRoots(m.ctx)[0];
    removed.fields.subkeyName = "Removed";
    VerifyUninstalled(m.ctx, "Removed App", &removed);
    // One key listed without the name is enough.
    m.registry.SetFlags(kUninstall, {}, RegView::k32);
    VerifyUninstalled(m.ctx, "Removed App");
    EXPECT_EQ(Verdicts(), (Lines{"*Uninstall Failed:  Removed App",
                                 "*Uninstall Failed:  Removed App", "*Uninstalled:  Removed App"}));
}

TEST_F(UninstallEngine, AnUpdateNameWithBlanksAroundItIsTreatedAlikeByScanAndEngine) {
    App spaced = Installed("Spaced", "  Security Update for Bundle  ", "Maker");
    App kb = Installed("KB", "  Bundle fix - Update KB4012212  ", "Maker");
    App plain = Installed("Plain", "Bundle Player", "Maker");
    const std::vector<std::string> listed = ScanInstalledApps(m.ctx, {});
    EXPECT_TRUE(Uninstall("bundle"));
    for (const App& app : {spaced, kb, plain}) {
        const bool inScan = std::any_of(listed.begin(), listed.end(), [&](const std::string& r) {
            return r.starts_with(app.name + "|");
        });
        EXPECT_EQ(inScan, Gone(app)) << app.name;
    }
    // Only a name that begins with the words is an update: the blanks keep it in reach.
    EXPECT_TRUE(Gone(spaced));
    EXPECT_FALSE(Gone(kb));
    EXPECT_EQ(Verdicts(), (Lines{"*Uninstalled:  Bundle Player",
                                 "*Uninstalled:    Security Update for Bundle  "}));
}

TEST_F(UninstallEngine, CandidatesCarryTheDecisionTheRunActsOnAndReadOnly) {
    Installed("Helper", "Helper Service", "Bundle Media");
    Installed("Keep", "Bundle Keeper Pro", "Other Co");
    Installed("KB1", "Security Update for Bundle (KB123)", "Microsoft");
    m.registry.PutString(kUninstall + "\\Keep", "Inno Setup: Setup Version", "", RegView::k64);
    const std::vector<UninstallCandidate> found = FindUninstallCandidates(
        m.ctx, UninstallRoots(m.ctx)[0], "bundle", {"x|y", "Keeper|our own tool"});
    ASSERT_EQ(found.size(), 3u);
    std::map<std::string, const UninstallCandidate*> by;
    for (const UninstallCandidate& c : found) {
        by[c.app.fields.subkeyName] = &c;
    }
    EXPECT_EQ(by["Helper"]->decision, UninstallDecision::kUninstall);
    EXPECT_EQ(by["Helper"]->command, "\"C:\\Apps\\Helper\\uninst.exe\" /S");
    EXPECT_EQ(by["Keep"]->decision, UninstallDecision::kWhitelisted);
    EXPECT_EQ(by["Keep"]->protectingLine, "Keeper|our own tool");
    EXPECT_EQ(by["KB1"]->decision, UninstallDecision::kWindowsUpdate);
    EXPECT_TRUE(m.processes.launches.empty());
    // An empty "Inno Setup: Setup Version" still marks an Inno Setup uninstaller.
    EXPECT_EQ(FindUninstallCandidates(m.ctx, UninstallRoots(m.ctx)[0], "keeper", {})[0].command,
              "\"C:\\Apps\\Keep\\uninst.exe\" /sp- /silent /norestart");
}

TEST_F(UninstallEngine, AnApplicationThatAnEarlierUninstallTookAwayIsNotRunAgain) {
    App suite = Installed("Suite", "Bundle Suite", "Co");
    App helper = Installed("Suite Helper", "Bundle Suite Helper", "Co");
    Program both = Removing(suite, 10);
    both.onExit = [&] {
        m.registry.RemoveTree(KeyOf(suite));
        m.registry.RemoveTree(KeyOf(helper));
    };
    m.processes.OnProgram("C:\\Apps\\Suite\\uninst.exe", both);
    EXPECT_TRUE(Uninstall("bundle suite"));
    EXPECT_EQ(m.processes.CommandLines(),
              Lines{"\"C:\\Apps\\Suite\\uninst.exe\" /S"});
    EXPECT_EQ(Verdicts(), Lines{"*Uninstalled:  Bundle Suite"});
}

TEST_F(UninstallEngine, AnApplicationOfTheUsersHiveIsUninstalledAndNamedWithItsUser) {
    m.env.Set("username", "tech");
    const std::string key = std::string("HKCU\\") + kUninstallKey + "\\Bar";
    m.registry.PutString(key, "DisplayName", "Per User Bar", RegView::k64);
    m.registry.PutString(key, "UninstallString", "C:\\u\\uninst.exe", RegView::k64);
    Program uninstaller;
    uninstaller.onExit = [&] { m.registry.RemoveTree(key, RegView::k64); };
    m.processes.OnProgram("C:\\u\\uninst.exe", uninstaller);

    WriteIni(m.ctx, m.ctx.settingsFile, "Options", "IncludeUserInstalls", "0");
    EXPECT_FALSE(Uninstall("per user"));
    WriteIni(m.ctx, m.ctx.settingsFile, "Options", "IncludeUserInstalls", "1");
    EXPECT_TRUE(Uninstall("per user"));
    EXPECT_FALSE(m.registry.KeyExists(key, RegView::k64));
    EXPECT_EQ(Verdicts(), Lines{"*Uninstalled:  Per User Bar (user tech)"});
}

TEST_F(UninstallEngine, AThrowingStatusBoxIsReportedAndTheNextApplicationStillRuns) {
    class FailingStatus : public StatusSink {
    public:
        void SetStatus(const std::string&) override {
            if (calls++ == 0) {
                throw std::runtime_error("status box gone");
            }
        }
        int calls = 0;
    } status;
    App first = Installed("One", "One Toolbar", "Co");
    App second = Installed("Two", "Two Toolbar", "Co");
    EXPECT_TRUE(Uninstall("toolbar", {}, &status));
    EXPECT_FALSE(Gone(first));
    EXPECT_TRUE(Gone(second));
    EXPECT_TRUE(
        m.debugOut.Saw("\tCommonModule\\UninstallByDefinition VB ERROR: 5 Invalid "
                       "procedure call or argument (status box gone)"));
    EXPECT_TRUE(m.debugOut.Saw("\t\t- sDefinition=toolbar"));
    EXPECT_EQ(Verdicts(), Lines{"*Uninstalled:  Two Toolbar"});
}

}  // namespace
}  // namespace kestrel

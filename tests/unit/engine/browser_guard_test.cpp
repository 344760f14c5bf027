// The browser pop-up guard over the fake machine: the seven keys in their orders, keys of the
// browsers' own that survive the guard, and a guard left on by an interrupted run.
#include <gtest/gtest.h>

#include "engine/browser_guard.h"
#include "support/fake_machine.h"
#include "support/idle_command_shell.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;

const std::string kIfeo = std::string("HKLM\\") + kImageFileExecutionOptions;
const Lines kBrowsers = {"iexplore.exe", "firefox.exe", "chrome.exe", "chromium.exe",
                         "dragon.exe",   "safari.exe",  "opera.exe"};

class BrowserGuard : public ::testing::Test {
protected:
    BrowserGuard() {
        m.ctx.redirection.SetAllowed(true);
        testing::ProvideIdleCommandShell(m, 20);
        m.registry.AddKey(kIfeo);
    }
    std::string Key(const std::string& browser) const { return kIfeo + "\\" + browser; }
    std::optional<std::string> Text(const std::string& browser, const std::string& value) {
        auto v = m.registry.GetValue(Key(browser), value);
        if (v && !v->data.empty() && v->data.back() == '\0') {
            v->data.pop_back();
        }
        return v ? std::optional(v->data) : std::nullopt;
    }
    // The browsers whose keys were created or opened for writing, in order, each once.
    Lines WrittenInOrder() const {
        Lines order;
        for (const auto& open : m.registry.opens) {
            if (!open.create || open.path.find(kImageFileExecutionOptions) == std::string::npos) {
                continue;
            }
            std::string browser = open.path.substr(open.path.rfind('\\') + 1);
            if (order.empty() || order.back() != browser) {
                order.push_back(browser);
            }
        }
        return order;
    }

    testing::FakeMachine m;
};

TEST_F(BrowserGuard, OnItNamesTheMissingDebuggerForEachBrowserInOrder) {
    SetBrowserGuard(m.ctx);
    EXPECT_EQ(WrittenInOrder(), kBrowsers);
    for (const std::string& browser : kBrowsers) {
        EXPECT_EQ(Text(browser, "Debugger"), "IFEO_Silent_Dummy.exe") << browser;
        EXPECT_EQ(m.registry.GetValue(Key(browser), "Debugger")->type, os::regtype::kSz);
    }
    m.debugOut.lines.clear();
    RemoveBrowserGuard(m.ctx);
    EXPECT_TRUE(m.registry.SubkeyNames(kIfeo).empty());
    EXPECT_TRUE(m.registry.KeyExists(kIfeo));
    Lines deleted;  // each deletion's report names the key after "fDeleteKey: "
    const auto& lines = m.debugOut.lines;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == "\tmodRegistry\\fDeleteKey: ") {
            deleted.push_back(lines[i + 1].substr(lines[i + 1].rfind('\\') + 1));
        }
    }
    EXPECT_EQ(deleted, kBrowsers);

    // Off again when it is off already: nothing to delete and no deletion attempted.
    m.debugOut.lines.clear();
    RemoveBrowserGuard(m.ctx);
    EXPECT_FALSE(m.debugOut.Saw("fDeleteKey"));
}

TEST_F(BrowserGuard, ABrowsersOwnKeyKeepsItsSettings) {
    m.registry.PutDword(Key("chrome.exe"), "MitigationOptions", 0x100);
    m.registry.PutValue(Key("opera.exe"), "Debugger", os::regtype::kExpandSz,
                        std::string("%ProgramFiles%\\Tools\\dbg.exe\0", 30));
    m.registry.AddKey(Key("safari.exe"));
    SetBrowserGuard(m.ctx);
    EXPECT_EQ(Text("chrome.exe", "Debugger"), "IFEO_Silent_Dummy.exe");
    EXPECT_EQ(Text("opera.exe", "Debugger"), "IFEO_Silent_Dummy.exe");
    RemoveBrowserGuard(m.ctx);

    EXPECT_EQ(m.registry.SubkeyNames(kIfeo), (Lines{"chrome.exe", "opera.exe", "safari.exe"}));
    EXPECT_FALSE(m.registry.GetValue(Key("chrome.exe"), "Debugger"));
    EXPECT_EQ(m.registry.GetValue(Key("chrome.exe"), "MitigationOptions")->data,
              std::string("\x00\x01\x00\x00", 4));
    auto debugger = m.registry.GetValue(Key("opera.exe"), "Debugger");
    ASSERT_TRUE(debugger);
    EXPECT_EQ(debugger->type, os::regtype::kExpandSz);
    EXPECT_EQ(debugger->data, std::string("%ProgramFiles%\\Tools\\dbg.exe\0", 30));
    for (const char* browser : {"chrome.exe", "opera.exe", "safari.exe"}) {
        EXPECT_FALSE(Text(browser, kGuardMarkerValue)) << browser;
        EXPECT_FALSE(Text(browser, kSavedDebuggerValue)) << browser;
    }
    EXPECT_TRUE(m.registry.SubkeyNames(Key("safari.exe")).empty());
}

TEST_F(BrowserGuard, ADebuggerSetByOthersWhileTheGuardIsOnStays) {
    m.registry.PutString(Key("firefox.exe"), "Debugger", "C:\\old.exe");
    SetBrowserGuard(m.ctx);
    m.registry.PutString(Key("firefox.exe"), "Debugger", "C:\\newer.exe");
    RemoveBrowserGuard(m.ctx);
    EXPECT_EQ(Text("firefox.exe", "Debugger"), "C:\\newer.exe");
    EXPECT_FALSE(Text("firefox.exe", kSavedDebuggerValue));
}

TEST_F(BrowserGuard, AKeyThatCannotBeWrittenIsSkippedAndTheOthersGuarded) {
    m.registry.AddKey(Key("chrome.exe"));
    m.registry.SetFlags(Key("chrome.exe"), {.denyOpen = true});
    SetBrowserGuard(m.ctx);
    EXPECT_EQ(Text("opera.exe", "Debugger"), "IFEO_Silent_Dummy.exe");
    RemoveBrowserGuard(m.ctx);
    EXPECT_EQ(m.registry.SubkeyNames(kIfeo), Lines{"chrome.exe"});
}

TEST_F(BrowserGuard, RunningBrowsersAreClosedInTheirOwnOrder) {
    CloseBrowsers(m.ctx, true);
    EXPECT_TRUE(m.processes.launches.empty());

    std::vector<uint32_t> pids;
    for (const char* name : {"safari.exe", "opera.exe", "chrome.exe", "iexplore.exe"}) {
        pids.push_back(m.processes.AddRunning(name, "visitor"));
    }
    const uint32_t unreadable = m.processes.AddRunning("dragon.exe", "");
    CloseBrowsers(m.ctx, true);
    EXPECT_EQ(m.processes.terminated, (std::vector<uint32_t>{pids[3], pids[2], pids[1], pids[0]}));
    EXPECT_TRUE(m.processes.Running(unreadable));
}

TEST_F(BrowserGuard, AGuardLeftByAnInterruptedRunGoesUnlessAnotherKestrelRuns) {
    EXPECT_FALSE(RemoveAbandonedBrowserGuard(m.ctx));
    m.registry.PutDword(Key("chrome.exe"), "MitigationOptions", 1);
    SetBrowserGuard(m.ctx);

    const uint32_t other = m.processes.AddRunning("KESTREL.EXE");
    EXPECT_FALSE(RemoveAbandonedBrowserGuard(m.ctx));
    EXPECT_EQ(m.registry.SubkeyNames(kIfeo).size(), 7u);
    ASSERT_EQ(m.processes.Kill(other, 1), 0u);

    // A renamed copy of the program is another Kestrel too.
    m.env.programFile = "C:\\Kestrel\\ShopTool.exe";
    const uint32_t renamed = m.processes.AddRunning("shoptool.exe");
    EXPECT_FALSE(RemoveAbandonedBrowserGuard(m.ctx));
    ASSERT_EQ(m.processes.Kill(renamed, 1), 0u);

    EXPECT_TRUE(RemoveAbandonedBrowserGuard(m.ctx));  // this process itself does not count
    EXPECT_EQ(m.registry.SubkeyNames(kIfeo), Lines{"chrome.exe"});
    EXPECT_FALSE(Text("chrome.exe", "Debugger"));
    EXPECT_FALSE(RemoveAbandonedBrowserGuard(m.ctx));
}

TEST_F(BrowserGuard, ADebuggerValueOfTheGuardAloneCountsAsLeftOn) {
    // An older run that kept no marker: its "Debugger" is taken back, the key stays.
    m.registry.PutString(Key("opera.exe"), "Debugger", "ifeo_silent_dummy.exe");
    EXPECT_TRUE(RemoveAbandonedBrowserGuard(m.ctx));
    EXPECT_TRUE(m.registry.KeyExists(Key("opera.exe")));
    EXPECT_FALSE(Text("opera.exe", "Debugger"));
}

}  // namespace
}  // namespace kestrel

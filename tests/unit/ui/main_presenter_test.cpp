#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>

#include "app/startup.h"
#include "core/context.h"
#include "core/settings.h"
#include "inventory/inventory_scan.h"
#include "platform/registry.h"
#include "support/fake_machine.h"
#include "ui/main_presenter.h"
#include "ui/main_window_texts.h"
#include "ui/window_services.h"

namespace kestrel {
namespace {

using os::RegView;

class FakeMainView : public MainView {
public:
    std::string caption;
    std::vector<std::string> portItems;
    EmailPage email;
    MainOptions options;
    std::map<AppListId, std::vector<AppListEntry>> lists;
    DefinitionBoxes boxes;
    std::vector<std::string> statuses;
    std::vector<NoticeLayout> notices;
    std::deque<std::string> inputAnswers;  // "" (a cancel) when none is left
    std::vector<std::string> inputs;       // title|prompt|default
    std::vector<std::string> urls;
    std::vector<std::string> details;
    std::vector<std::string> previews;
    std::vector<bool> busy;
    int closes = 0;

    void SetCaption(const std::string& text) override { caption = text; }
    void SetPortItems(const std::vector<std::string>& items) override { portItems = items; }
    void ShowEmailPage(const EmailPage& page) override { email = page; }
    void ShowOptions(const MainOptions& o) override { options = o; }
    void ShowList(AppListId list, const std::vector<AppListEntry>& entries) override {
        lists[list] = entries;
    }
    void ShowDefinitions(const DefinitionBoxes& b) override { boxes = b; }
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowNotice(const NoticeLayout& notice) override { notices.push_back(notice); }
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        inputs.push_back(title + "|" + prompt + "|" + defaultText);
        if (inputAnswers.empty()) {
            return {};
        }
        std::string answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    void OpenWebPage(const std::string& url) override { urls.push_back(url); }
    void ShowDetail(const std::string& text) override { details.push_back(text); }
    void ShowPreview(const std::string& text) override { previews.push_back(text); }
    void SetBusy(bool b) override { busy.push_back(b); }
    void Close() override { ++closes; }

    std::vector<std::string> Names(AppListId list) {
        std::vector<std::string> names;
        for (const AppListEntry& e : lists[list]) {
            names.push_back(e.data.at(0));
        }
        return names;
    }
    std::string LastNotice() const {
        if (notices.empty()) {
            return "(none)";
        }
        const NoticeLayout& n = notices.back();
        return n.title.text + "|" + (n.message ? n.message->text : "");
    }
};

class RecordingServices : public WindowServices {
public:
    std::map<std::string, bool> putThrough;  // the engine's answer per definition, else false
    std::vector<std::string> calls;
    std::vector<std::string> whitelistSeen;
    std::function<void()> during;  // runs inside every uninstall, as the window's messages do
    bool restarted = false;

    bool UninstallByDefinition(const std::string& definition,
                               const std::vector<std::string>& whitelist,
                               StatusSink& status) override {
        calls.push_back("uninstall " + definition);
        whitelistSeen = whitelist;
        status.SetStatus("Uninstalling " + definition);
        if (during) {
            during();
        }
        return putThrough[definition];
    }
    void CleanRegistryLeftovers() override { calls.push_back("registry cleanup"); }
    void CleanFileSystemLeftovers() override { calls.push_back("file-system cleanup"); }
    void RemoveBrowserGuard() override { calls.push_back("guard off"); }
    void SendEmail(const std::string& subject, const std::string& body, bool quiet) override {
        calls.push_back("mail " + subject + (quiet ? " (quiet)" : "") + ": " + body);
    }
    std::string PreviewAutoRun() override {
        calls.push_back("preview");
        if (during) {
            during();
        }
        return "Would uninstall:\r\n  Alpha";
    }
    bool CheckForUpdateInteractive() override {
        calls.push_back("update check");
        return restarted;
    }
};

const std::string kUninstall = std::string("HKLM\\") + kUninstallKey;
const std::string kBlacklist = "C:\\Kestrel\\Kestrel.txt";
const std::string kWhitelist = "C:\\Kestrel\\Kestrel_Whitelist.txt";

class MainPresenterTest : public ::testing::Test {
protected:
    MainPresenterTest() { PrepareProgram(m.ctx); }

    void App(const std::string& name, const std::string& publisher = "Vendor") {
        const std::string key = kUninstall + "\\" + name + "_key";
        m.registry.AddKey(key, RegView::k64);
        m.registry.PutString(key, "DisplayName", name, RegView::k64);
        m.registry.PutString(key, "Publisher", publisher, RegView::k64);
        m.registry.PutString(key, "UninstallString", "C:\\" + name + "\\uninst.exe", RegView::k64);
    }
    // Loads with the apps in "Not in Defs" (no blacklist) unless a blacklist was written.
    void LoadWith(std::initializer_list<const char*> apps) {
        for (const char* app : apps) {
            App(app);
        }
        presenter.Load();
    }
    void Check(AppListId list, std::initializer_list<std::size_t> indexes) {
        for (std::size_t i : indexes) {
            presenter.EntryChecked(list, i, true);
        }
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& msg : m.prompts.messages) {
            texts.push_back(msg.title + "|" + msg.text);
        }
        return texts;
    }

    testing::FakeMachine m;
    FakeMainView view;
    RecordingServices services;
    MainPresenter presenter{m.ctx, view, services};
};

TEST_F(MainPresenterTest, LoadFillsTheWindowAndTheLastListNoticeStays) {
    m.files.AddFile(kBlacklist, "Toolbar\r\n");
    WriteIni(m.ctx, m.ctx.settingsFile, "Options", "ApplyOptionsAlways", "1");
    WriteIni(m.ctx, m.ctx.settingsFile, "Options", "LogFile",
             "1abc");  // not a number: the design state stays
    WriteIni(m.ctx, m.ctx.settingsFile, "EmailConfig", "SMTPPort", "465");
    WriteIni(m.ctx, m.ctx.settingsFile, "EmailConfig", "UseSSL", "2");
    LoadWith({"Ask Toolbar", "7-Zip"});
    EXPECT_EQ(view.caption.rfind("Kestrel v", 0), 0u) << view.caption;
    EXPECT_EQ(view.portItems, (std::vector<std::string>{"25", "465"}));
    EXPECT_EQ(view.email.port, "465");
    EXPECT_EQ(view.email.sslBox, 2);
    EXPECT_TRUE(view.options.applyAlways);
    EXPECT_FALSE(view.options.logFile);
    EXPECT_FALSE(view.options.emailResults);
    EXPECT_EQ(view.Names(AppListId::kNotInDefs), std::vector<std::string>{"7-Zip"});
    EXPECT_EQ(view.Names(AppListId::kMatching), std::vector<std::string>{"Ask Toolbar"});
    EXPECT_TRUE(view.lists[AppListId::kMatching][0].checked);
    EXPECT_EQ(view.boxes.txtDefs, "Toolbar");
    EXPECT_EQ(view.notices.size(), 4u);
    EXPECT_EQ(view.LastNotice(), "Operation Completed.|File System Definitions Refreshed.");
    EXPECT_EQ(view.statuses, std::vector<std::string>{"Idle..."});
}

TEST_F(MainPresenterTest, UninstallNowWalksCheckedEntriesLastFirstAndRemovesWhatWasPutThrough) {
    LoadWith({"Alpha", "Bravo", "Charlie", "Delta"});
    services.putThrough = {{"Alpha", true}, {"Delta", true}};  // Delta: ran, failed verification
    Check(AppListId::kNotInDefs, {0, 1, 3});                   // Bravo: nothing to run
    view.statuses.clear();
    view.notices.clear();
    presenter.UninstallNow(AppListId::kNotInDefs);
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"uninstall Delta", "uninstall Bravo", "uninstall Alpha"}));
    EXPECT_EQ(view.Names(AppListId::kNotInDefs), (std::vector<std::string>{"Bravo", "Charlie"}));
    EXPECT_EQ(view.statuses, (std::vector<std::string>{"Uninstalling Delta", "Uninstalling Bravo",
                                                       "Uninstalling Alpha", "Idle..."}));
    EXPECT_EQ(view.LastNotice(), "Uninstalls Completed.|");
    EXPECT_EQ(view.notices.size(), 1u);
    EXPECT_TRUE(presenter.UninstalledSomething());
    EXPECT_TRUE(m.files.Exists(kWhitelist));  // made empty for the walk
}

TEST_F(MainPresenterTest, AnEntryAnEarlierUninstallOfTheWalkTookAwayLeavesTheList) {
    LoadWith({"RegClean Pro", "RegClean Pro Scheduler", "Tool"});
    Check(AppListId::kNotInDefs, {0, 1, 2});
    // Sorted as whole records, "RegClean Pro Scheduler|..." comes first, so the walk (last to
    // first) meets "Tool" (nothing to run), then "RegClean Pro", whose uninstall also takes the
    // Scheduler away; the Scheduler's own name then finds nothing.
    services.putThrough = {{"RegClean Pro", true}};
    services.during = [&] {
        if (services.calls.back() == "uninstall RegClean Pro") {
            bool notFound = false;
            (void)fDeleteKey(m.ctx, "HKLM", kUninstallKey, "RegClean Pro Scheduler_key", notFound);
        }
    };
    presenter.UninstallNow(AppListId::kNotInDefs);
    EXPECT_EQ(view.Names(AppListId::kNotInDefs), std::vector<std::string>{"Tool"});
}

TEST_F(MainPresenterTest, UninstallNowWithoutAnythingRemovedLeavesStatusAndShowsNoNotice) {
    LoadWith({"Alpha", "Bravo"});
    m.files.AddFile(kWhitelist, "Bravo\r\n");
    view.statuses.clear();
    view.notices.clear();
    presenter.UninstallNow(AppListId::kNotInDefs);  // nothing checked
    EXPECT_TRUE(services.calls.empty());
    EXPECT_TRUE(view.statuses.empty());

    Check(AppListId::kNotInDefs, {1});
    presenter.UninstallNow(AppListId::kNotInDefs);  // the engine finds nothing for Bravo
    EXPECT_EQ(services.whitelistSeen, std::vector<std::string>{"Bravo"});
    EXPECT_EQ(view.statuses, std::vector<std::string>{"Uninstalling Bravo"});
    EXPECT_TRUE(view.notices.empty());
    EXPECT_EQ(presenter.Lists().notInDefs.size(), 2u);
    EXPECT_FALSE(presenter.UninstalledSomething());
}

TEST_F(MainPresenterTest, ARunRefusesEveryOtherRunUntilItEnds) {
    LoadWith({"Alpha"});
    Check(AppListId::kNotInDefs, {0});
    services.putThrough = {{"Alpha", true}};
    services.during = [this] {
        presenter.UninstallNow(AppListId::kNotInDefs);
        presenter.UninstallNow(AppListId::kMatching);
        presenter.DeleteRegistryLeftovers();
        presenter.DeleteFileSystemLeftovers();
        presenter.PreviewAutoRun();
        presenter.Refresh();
        presenter.AddToBlacklist();
        presenter.CheckForAppUpdates();
        EXPECT_FALSE(presenter.QueryClose());  // the close waits for the run
    };
    presenter.UninstallNow(AppListId::kNotInDefs);
    EXPECT_EQ(services.calls, std::vector<std::string>{"uninstall Alpha"});
    EXPECT_TRUE(view.inputs.empty());
    EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.closes, 1);

    services.during = nullptr;
    presenter.DeleteRegistryLeftovers();  // idle again: runs
    EXPECT_EQ(services.calls.back(), "registry cleanup");
}

TEST_F(MainPresenterTest, ThePreviewShowsInItsWindowAndHoldsTheWindowWhileItRuns) {
    LoadWith({"Alpha"});
    view.statuses.clear();
    services.during = [this] { presenter.DeleteRegistryLeftovers(); };  // refused meanwhile
    presenter.PreviewAutoRun();
    EXPECT_EQ(services.calls, std::vector<std::string>{"preview"});
    EXPECT_EQ(view.previews, std::vector<std::string>{"Would uninstall:\r\n  Alpha"});
    EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.statuses.back(), "Idle...");
}

TEST_F(MainPresenterTest, AddToBlacklistSkipsOnlyTheCancelledEntryAndSavesOnce) {
    LoadWith({"Alpha", "Bravo", "Charlie"});
    Check(AppListId::kNotInDefs, {0});
    presenter.EntrySelected(AppListId::kNotInDefs, 2, true);
    presenter.EntryChecked(AppListId::kNotInDefs, 1, true);
    view.inputAnswers = {"  Charlie Suite  ", "", "Alpha|note"};
    view.notices.clear();
    presenter.AddToBlacklist();
    EXPECT_EQ(view.inputs,
              (std::vector<std::string>{"Kestrel|Edit Definitions Entry To Blacklist:|Charlie",
                                        "Kestrel|Edit Definitions Entry To Blacklist:|Bravo",
                                        "Kestrel|Edit Definitions Entry To Blacklist:|Alpha"}));
    EXPECT_EQ(view.Names(AppListId::kNotInDefs), std::vector<std::string>{"Bravo"});
    EXPECT_EQ(view.Names(AppListId::kMatching), (std::vector<std::string>{"Charlie", "Alpha"}));
    EXPECT_EQ(view.lists[AppListId::kMatching][1].data,
              (std::vector<std::string>{"Alpha", "Alpha_key", "C:\\Alpha\\uninst.exe"}));
    // Each term goes on top of the box, which was empty (its blank last line is read as none).
    EXPECT_EQ(m.files.Content(kBlacklist), "Alpha\r\nCharlie Suite\r\n");
    EXPECT_EQ(view.LastNotice(), "Item(s) Added to List.|");
    EXPECT_EQ(view.notices.size(), 2u);  // the save's own notice, then this one
}

TEST_F(MainPresenterTest, AddToWhitelistRemovesTheEntryAndNothingChosenAddsNothing) {
    LoadWith({"Alpha", "Bravo"});
    view.notices.clear();
    presenter.AddToWhitelist();
    EXPECT_TRUE(view.inputs.empty());
    EXPECT_TRUE(view.notices.empty());

    presenter.EntrySelected(AppListId::kNotInDefs, 1, true);
    view.inputAnswers = {" Bravo "};
    presenter.AddToWhitelist();
    EXPECT_EQ(view.inputs.back(), "Kestrel|Edit Definitions Entry To Whitelist:|Bravo");
    EXPECT_EQ(m.files.Content(kWhitelist), "Bravo\r\n");
    EXPECT_EQ(view.Names(AppListId::kNotInDefs), std::vector<std::string>{"Alpha"});
    EXPECT_TRUE(view.lists[AppListId::kMatching].empty());
    EXPECT_EQ(view.LastNotice(), "Item(s) Added to List.|");
}

TEST_F(MainPresenterTest, GoogleHighlightedEncodesEachSelectedNameFirstToLast) {
    LoadWith({"AT&T Tool #1", "C++ Runtime", "Plain", "Zed"});
    for (std::size_t i : {0u, 1u, 3u}) {
        presenter.EntrySelected(AppListId::kNotInDefs, i, true);
    }
    presenter.GoogleHighlighted();
    const std::string q = "https://www.google.com/search?hl=en&q=";
    EXPECT_EQ(view.urls, (std::vector<std::string>{q + "AT%26T%20Tool%20%231",
                                                   q + "C%2B%2B%20Runtime", q + "Zed"}));
    EXPECT_EQ(WebSearchUrl("  Caf\xE9 100%  "), q + "Caf%E9%20100%25");
}

TEST_F(MainPresenterTest, NoticeGeometryDependsOnTheMessage) {
    struct Case {
        std::string title, message, shownTitle;
        int height;
        bool hasMessage;
    };
    for (const Case& c :
         std::vector<Case>{{"Uninstalls Completed.", "", "Uninstalls Completed.", 50, false},
                           {"", "Whitelist Saved.", "Operation Completed.", 100, true},
                           {"", "", "Operation Completed.", 50, false}}) {
        const NoticeLayout n = MakeNoticeLayout(c.title, c.message);
        EXPECT_EQ(n.title.text, c.shownTitle);
        EXPECT_EQ((std::vector<int>{n.title.left, n.title.top, n.title.right, n.title.bottom}),
                  (std::vector<int>{50, 15, 250, 30}));
        EXPECT_EQ(n.width, 270);
        EXPECT_EQ(n.height, c.height) << c.title << "|" << c.message;
        ASSERT_EQ(n.message.has_value(), c.hasMessage);
        if (n.message) {
            EXPECT_EQ(n.message->text, c.message);
            EXPECT_EQ((std::vector<int>{n.message->left, n.message->top, n.message->right,
                                        n.message->bottom}),
                      (std::vector<int>{50, 40, 270, 100}));
        }
    }
}

TEST_F(MainPresenterTest, RefreshAsksAboutEditedBlacklistAndYesSavesIt) {
    struct Case {
        bool edit;
        int answer;
        std::string savedBlacklist;
        std::size_t questions;
    };
    for (const Case& c : std::vector<Case>{{false, os::mb::kIdYes, "Toolbar\r\n", 0},
                                           {true, os::mb::kIdYes, "Toolbar\r\nCoupon\r\n", 1},
                                           {true, os::mb::kIdNo, "Toolbar\r\n", 1}}) {
        testing::FakeMachine machine;
        PrepareProgram(machine.ctx);
        FakeMainView v;
        RecordingServices s;
        MainPresenter p{machine.ctx, v, s};
        machine.files.AddFile(kBlacklist, "Toolbar\r\n");
        p.Load();
        if (c.edit) {
            p.DefinitionEdited(DefinitionBox::kBlacklist, "Toolbar\r\nCoupon");
        }
        p.DefinitionEdited(DefinitionBox::kWhitelist, "not a blacklist edit");
        machine.prompts.answers = {c.answer};
        p.Refresh();
        ASSERT_EQ(machine.prompts.messages.size(), c.questions);
        if (c.questions > 0) {
            EXPECT_EQ(machine.prompts.messages[0].title, "Definitions Altered!");
            EXPECT_EQ(machine.prompts.messages[0].style, os::mb::kYesNo | os::mb::kIconQuestion);
        }
        EXPECT_EQ(machine.files.Content(kBlacklist), c.savedBlacklist);
        EXPECT_FALSE(p.DefinitionsAltered());  // the box holds the file again
        EXPECT_EQ(v.LastNotice(), "Operation Completed.|Blacklist Refreshed.");
    }
}

TEST_F(MainPresenterTest, ClosingWithEditedBlacklistAsksAndClosesEitherWay) {
    LoadWith({"Alpha"});
    EXPECT_TRUE(presenter.QueryClose());  // nothing edited: no question
    EXPECT_TRUE(m.prompts.messages.empty());

    presenter.DefinitionEdited(DefinitionBox::kBlacklist, "Coupon");
    presenter.DefinitionEdited(DefinitionBox::kWhitelist, "Alpha");
    m.prompts.answers = {os::mb::kIdNo};
    EXPECT_TRUE(presenter.QueryClose());
    EXPECT_FALSE(m.files.Exists(kBlacklist));
    m.prompts.answers = {os::mb::kIdYes};
    EXPECT_TRUE(presenter.QueryClose());
    EXPECT_EQ(Messages().back(),
              "Definitions Altered!|You have unsaved changes to the definitions list, would you "
              "like to save the changes before exiting?");
    EXPECT_EQ(m.files.Content(kBlacklist), "Coupon\r\n");
    EXPECT_EQ(m.files.Content(kWhitelist), "Alpha\r\n");
    EXPECT_FALSE(presenter.DefinitionsAltered());
}

TEST_F(MainPresenterTest, UnloadWritesLogAndMailOnlyInWindowModeAfterUninstalls) {
    struct Case {
        MainOptions options;
        bool uninstall;
        bool logWritten;
        bool mailed;
    };
    for (const Case& c : std::vector<Case>{{{true, true, true}, true, true, true},
                                           {{false, true, true}, true, false, false},
                                           {{true, true, true}, false, false, false},
                                           {{true, false, true}, true, false, true},
                                           {{true, true, false}, true, true, false}}) {
        testing::FakeMachine machine;
        PrepareProgram(machine.ctx);
        FakeMainView v;
        RecordingServices s;
        MainPresenter p{machine.ctx, v, s};
        const std::string key = kUninstall + "\\Alpha";
        machine.registry.AddKey(key, RegView::k64);
        machine.registry.PutString(key, "DisplayName", "Alpha", RegView::k64);
        p.Load();
        p.OptionsEdited(c.options);
        if (c.uninstall) {
            s.putThrough = {{"Alpha", true}};
            p.SelectAll(AppListId::kNotInDefs, true);
            p.UninstallNow(AppListId::kNotInDefs);
        }
        machine.ctx.runLog = "the log";
        p.Unload();
        p.Unload();  // the window's second notice of its end changes nothing
        const std::string log = "C:\\Kestrel\\Kestrel_Log.txt";
        EXPECT_EQ(machine.files.Exists(log), c.logWritten);
        if (c.logWritten) {
            EXPECT_EQ(machine.files.Content(log), "the log\r\n---END---\r\n\r\n");
        }
        std::vector<std::string> expected;
        if (c.mailed) {
            expected.push_back("mail Kestrel Log for WORKSHOP-PC (quiet): the log");
        }
        expected.push_back("guard off");
        ASSERT_GE(s.calls.size(), expected.size());
        const std::vector<std::string> tail(
            s.calls.end() - static_cast<std::ptrdiff_t>(expected.size()), s.calls.end());
        EXPECT_EQ(tail, expected);
        EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "guard off"), 1);
    }
}

TEST_F(MainPresenterTest, SaveWritesTheEmailPageAndTheThreeFlags) {
    LoadWith({});
    EmailPage page;
    page.server = "smtp.example.com";
    page.port = "25";
    page.authBox = 1;
    presenter.EmailPageEdited(page);
    presenter.OptionsEdited({true, false, true});
    presenter.SaveConfiguration();
    EXPECT_EQ(ReadIniSection(m.ctx, m.ctx.settingsFile, "Options", "ApplyOptionsAlways"), "1");
    EXPECT_EQ(ReadIniSection(m.ctx, m.ctx.settingsFile, "Options", "LogFile"), "0");
    EXPECT_EQ(ReadIniSection(m.ctx, m.ctx.settingsFile, "Options", "EmailResults"), "1");
    EXPECT_EQ(ReadIniSection(m.ctx, m.ctx.settingsFile, "EmailConfig", "SMTPPort"), "25");
    EXPECT_EQ(ReadIniSection(m.ctx, m.ctx.settingsFile, "EmailConfig", "SMTPAuth"), "1");
    ASSERT_TRUE(LoadEmailSettings(m.ctx));
    EXPECT_EQ(m.ctx.email.SMTPServer, "smtp.example.com");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Kestrel|Configuration Saved!"});
}

TEST_F(MainPresenterTest, ButtonsRunTheirServiceAndSayWhatTheTechnicianSees) {
    m.files.AddFile(kBlacklist, "Alpha\r\n");
    LoadWith({"Alpha", "Bravo"});
    presenter.DeleteRegistryLeftovers();
    presenter.DeleteFileSystemLeftovers();
    presenter.SendTestEmail();
    ASSERT_EQ(services.calls.size(), 3u);
    EXPECT_EQ(services.calls[0], "registry cleanup");
    EXPECT_EQ(services.calls[1], "file-system cleanup");
    // Not quiet: the technician sees how the sending went.
    EXPECT_EQ(services.calls[2].rfind("mail Kestrel Report for WORKSHOP-PC: Installed Apps", 0), 0u)
        << services.calls[2];
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Kestrel|Completed!", "Kestrel|Completed!"}));
    EXPECT_EQ(ReadIniSection(m.ctx, m.ctx.settingsFile, "EmailConfig", "UseEncryption"),
              "1");  // saved before sending

    presenter.CheckForAppUpdates();
    EXPECT_EQ(view.closes, 0);
    services.restarted = true;
    presenter.CheckForAppUpdates();
    EXPECT_EQ(view.closes, 1);
}

TEST_F(MainPresenterTest, DoubleClickShowsEachSelectedEntrysNonEmptyData) {
    LoadWith({"Alpha", "Bravo"});
    m.registry.PutString(kUninstall + "\\Bravo_key", "UninstallString", "", RegView::k64);
    presenter.Refresh();
    presenter.EntrySelected(AppListId::kNotInDefs, 0, true);
    presenter.EntrySelected(AppListId::kNotInDefs, 1, true);
    presenter.EntryDoubleClicked(AppListId::kNotInDefs);
    EXPECT_EQ(view.details, (std::vector<std::string>{"Alpha\r\nAlpha_key\r\nC:\\Alpha\\uninst.exe",
                                                      "Bravo\r\nBravo_key"}));
}

}  // namespace
}  // namespace kestrel

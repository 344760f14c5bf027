#include "ui/main_presenter.h"

#include <optional>

#include "base/number.h"
#include "core/context.h"
#include "core/run_log.h"
#include "core/settings.h"
#include "inventory/installed_apps.h"
#include "inventory/inventory_scan.h"
#include "inventory/report.h"
#include "os/errors.h"
#include "os/user_prompts.h"
#include "platform/fso.h"
#include "platform/registry.h"
#include "platform/text_file.h"
#include "ui/main_window_texts.h"
#include "ui/window_services.h"

namespace kestrel {
namespace {

constexpr const char* kOptions = "Options";

// A check box's design state stays when the stored value is missing or no 0 or 1.
void TakeFlag(const std::string& stored, bool& box) {
    const std::optional<int64_t> value = IntegerOrNothing(stored);
    if (value == 0 || value == 1) {
        box = *value == 1;
    }
}

// Only "not found" under every Uninstall key proves an entry's application gone.
bool StillRegistered(Context& ctx, const AppListEntry& entry) {
    if (entry.data.size() < 2 || entry.data[1].empty()) {
        return true;
    }
    for (const UninstallRoot& root : UninstallRoots(ctx)) {
        std::string list;
        if (fEnumKey(ctx, root.topKey, root.keyPath + "\\" + entry.data[1], list) !=
            os::error::kFileNotFound) {
            return true;
        }
    }
    return false;
}

const char* FlagText(bool on) {
    return on ? "1" : "0";
}

}  // namespace

MainPresenter::MainPresenter(Context& ctx, MainView& view, WindowServices& services)
    : m_ctx(ctx), m_view(view), m_services(services), m_definitions(ctx, m_boxes, *this) {}

void MainPresenter::Notice(const std::string& title, const std::string& message) {
    m_view.ShowNotice(MakeNoticeLayout(title, message));
}

void MainPresenter::SetStatus(const std::string& text) {
    m_view.SetStatus(text);
}

std::vector<AppListEntry>& MainPresenter::ListOf(AppListId list) {
    return list == AppListId::kMatching ? m_lists.matching : m_lists.notInDefs;
}

void MainPresenter::ShowLists() {
    m_view.ShowList(AppListId::kNotInDefs, m_lists.notInDefs);
    m_view.ShowList(AppListId::kMatching, m_lists.matching);
}

void MainPresenter::ShowDefinitions() {
    m_view.ShowDefinitions(m_boxes);
}

void MainPresenter::Load() {
    m_view.SetCaption(AppVersionText(m_ctx, "", ""));
    m_view.SetPortItems({"25", "465"});
    LoadEmailPage();
    LoadOptions();
    m_view.SetStatus(kIdleStatus);
    EnumerateInstalledApps(m_ctx, m_lists);
    ShowLists();
    m_definitions.ReloadBlacklist();
    m_definitions.ReloadWhitelist();
    m_definitions.ReloadRegistryDefinitions();
    m_definitions.ReloadFileSystemDefinitions();
    ShowDefinitions();
}

// The fields with the rules of the e-mail settings; the check boxes from their stored numbers
// (a greyed box, 2, stays greyed).
void MainPresenter::LoadEmailPage() {
    (void)LoadEmailSettings(m_ctx);
    const EmailSettings& email = m_ctx.email;
    m_email.server = email.SMTPServer;
    m_email.userName = email.SMTPUserName;
    m_email.password = email.SMTPPassword;
    m_email.from = email.FromEmail;
    m_email.to = email.ToEmail;
    m_email.port = email.SMTPPort;
    auto box = [this](const char* key, int& state) {
        const std::optional<int64_t> value =
            IntegerOrNothing(ReadIniSection(m_ctx, m_ctx.settingsFile, "EmailConfig", key));
        if (value && *value >= 0 && *value <= 2) {
            state = static_cast<int>(*value);
        }
    };
    box("SMTPAuth", m_email.authBox);
    box("UseSSL", m_email.sslBox);
    m_view.ShowEmailPage(m_email);
}

void MainPresenter::LoadOptions() {
    auto read = [this](const char* key) {
        return ReadIniSection(m_ctx, m_ctx.settingsFile, kOptions, key);
    };
    TakeFlag(read("ApplyOptionsAlways"), m_options.applyAlways);
    TakeFlag(read("LogFile"), m_options.logFile);
    TakeFlag(read("EmailResults"), m_options.emailResults);
    m_view.ShowOptions(m_options);
}

void MainPresenter::EntryChecked(AppListId list, std::size_t index, bool checked) {
    std::vector<AppListEntry>& entries = ListOf(list);
    if (index < entries.size()) {
        entries[index].checked = checked;
    }
}

void MainPresenter::EntrySelected(AppListId list, std::size_t index, bool selected) {
    std::vector<AppListEntry>& entries = ListOf(list);
    if (index < entries.size()) {
        entries[index].selected = selected;
    }
}

void MainPresenter::OptionsEdited(const MainOptions& options) {
    m_options = options;
}

void MainPresenter::EmailPageEdited(const EmailPage& page) {
    m_email = page;
}

bool MainPresenter::BeginRun() {
    if (m_busy) {
        return false;
    }
    m_busy = true;
    m_view.SetBusy(true);
    return true;
}

void MainPresenter::EndRun() {
    m_busy = false;
    m_view.SetBusy(false);
    if (m_closePending) {
        m_closePending = false;
        if (QueryClose()) {
            m_view.Close();
        }
    }
}

// Last entry first, so that removing one leaves the indexes still to come as they were. The
// view gets the list after every removal: a check mark set meanwhile lands on the right entry.
// Nothing else changes the lists while the run holds the window.
void MainPresenter::UninstallNow(AppListId list) {
    if (!BeginRun()) {
        return;
    }
    std::vector<std::string> whitelist;
    (void)clsFSO(m_ctx).FileToArray(m_ctx.definitions.whitelist, whitelist);
    std::vector<AppListEntry>& entries = ListOf(list);
    bool removed = false;
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (!entries[i].checked || entries[i].data.empty() || entries[i].data[0].empty()) {
            continue;
        }
        const std::string name = entries[i].data[0];
        if (m_services.UninstallByDefinition(name, whitelist, *this)) {
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
            m_view.ShowList(list, entries);
        } else if (removed && !StillRegistered(m_ctx, entries[i])) {
            // An earlier name of this walk also named this application ("RegClean Pro" names
            // "RegClean Pro Scheduler"), and its uninstall took it away: it is no longer
            // installed, so it is no longer listed.
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
            m_view.ShowList(list, entries);
        }
    }
    if (removed) {
        m_uninstalledSomething = true;
        m_view.SetStatus(kIdleStatus);
        Notice("Uninstalls Completed.", "");
    }
    EndRun();
}

void MainPresenter::GoogleHighlighted() {
    for (const AppListEntry& entry : m_lists.notInDefs) {
        if (entry.selected && !entry.data.empty()) {
            m_view.OpenWebPage(WebSearchUrl(entry.data[0]));
        }
    }
}

void MainPresenter::SelectAll(AppListId list, bool checked) {
    std::vector<AppListEntry>& entries = ListOf(list);
    for (AppListEntry& entry : entries) {
        entry.checked = checked;
    }
    m_view.ShowList(list, entries);
}

void MainPresenter::EntryDoubleClicked(AppListId list) {
    for (const AppListEntry& entry : ListOf(list)) {
        if (entry.selected) {
            m_view.ShowDetail(DetailText(entry));
        }
    }
}

void MainPresenter::DeleteRegistryLeftovers() {
    if (!BeginRun()) {
        return;
    }
    m_services.CleanRegistryLeftovers();
    (void)m_ctx.os.prompts.ShowMessage("Completed!", kProgramTitle, os::mb::kOkOnly);
    EndRun();
}

void MainPresenter::DeleteFileSystemLeftovers() {
    if (!BeginRun()) {
        return;
    }
    m_services.CleanFileSystemLeftovers();
    (void)m_ctx.os.prompts.ShowMessage("Completed!", kProgramTitle, os::mb::kOkOnly);
    EndRun();
}

// "/auto" works from the saved lists, and so does its preview: the status line says so.
void MainPresenter::PreviewAutoRun() {
    if (!BeginRun()) {
        return;
    }
    m_view.SetStatus("Previewing /auto with the saved definition lists...");
    m_view.ShowPreview(m_services.PreviewAutoRun());
    m_view.SetStatus(kIdleStatus);
    EndRun();
}

// The page is saved first, so the sending uses what the technician sees.
void MainPresenter::SendTestEmail() {
    if (!BeginRun()) {
        return;
    }
    SaveEmailSettings(m_ctx, m_email);
    LogResultsOnly(m_ctx, m_lists, true, true,
                   [this](const std::string& subject, const std::string& body, bool quiet) {
                       m_services.SendEmail(subject, body, quiet);
                   });
    EndRun();
}

void MainPresenter::SaveConfiguration() {
    SaveEmailSettings(m_ctx, m_email);
    WriteIni(m_ctx, m_ctx.settingsFile, kOptions, "ApplyOptionsAlways",
             FlagText(m_options.applyAlways));
    WriteIni(m_ctx, m_ctx.settingsFile, kOptions, "LogFile", FlagText(m_options.logFile));
    WriteIni(m_ctx, m_ctx.settingsFile, kOptions, "EmailResults", FlagText(m_options.emailResults));
    (void)m_ctx.os.prompts.ShowMessage("Configuration Saved!", kProgramTitle, os::mb::kOkOnly);
}

void MainPresenter::CheckForAppUpdates() {
    if (!BeginRun()) {
        return;
    }
    // A new program that started takes over at once: no question before closing.
    const bool restarted = m_services.CheckForUpdateInteractive();
    if (restarted) {
        m_closePending = false;
    }
    EndRun();
    if (restarted) {
        m_view.Close();
    }
}

bool MainPresenter::QueryClose() {
    if (m_busy) {
        m_closePending = true;
        return false;
    }
    if (m_definitions.definitionsAltered &&
        m_ctx.os.prompts.ShowMessage("You have unsaved changes to the definitions list, would "
                                     "you like to save the changes before exiting?",
                                     kDefinitionsAlteredTitle,
                                     os::mb::kYesNo | os::mb::kIconQuestion) == os::mb::kIdYes) {
        m_definitions.SaveBlacklist();
        m_definitions.SaveWhitelist();
    }
    return true;
}

void MainPresenter::Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    if (m_options.applyAlways && m_uninstalledSomething) {
        if (m_options.logFile) {
            (void)AppendRunLogToFile(m_ctx);
        }
        if (m_options.emailResults) {
            m_services.SendEmail("Kestrel Log for " + m_ctx.os.env.Variable("computername"),
                                 m_ctx.runLog, true);
        }
    }
    m_services.RemoveBrowserGuard();
}

}  // namespace kestrel

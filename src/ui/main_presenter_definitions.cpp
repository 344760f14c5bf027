#include "ui/main_presenter.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "inventory/inventory_scan.h"
#include "os/user_prompts.h"
#include "platform/file_tests.h"

// The definition pages and the moves of entries into the lists.
namespace kestrel {

// Only the blacklist's edits count as unsaved definitions: it is the list that saving clears
// the flag for, and the one that "Refresh" reloads over the box. A text equal to the box's is
// no edit (the window may echo what it was handed).
void MainPresenter::DefinitionEdited(DefinitionBox box, const std::string& text) {
    std::string* target = nullptr;
    switch (box) {
        case DefinitionBox::kBlacklist:
            target = &m_boxes.txtDefs;
            break;
        case DefinitionBox::kWhitelist:
            target = &m_boxes.Text1;
            break;
        case DefinitionBox::kRegistryKeys:
            target = &m_boxes.Text3;
            break;
        case DefinitionBox::kRegistryValues:
            target = &m_boxes.Text4;
            break;
        case DefinitionBox::kRunValues:
            target = &m_boxes.Text2;
            break;
        case DefinitionBox::kFileSystemObjects:
            target = &m_boxes.Text5;
            break;
        case DefinitionBox::kStartMenuFolders:
            target = &m_boxes.Text7;
            break;
    }
    if (target == nullptr || *target == text) {
        return;
    }
    *target = text;
    if (box == DefinitionBox::kBlacklist) {
        m_definitions.definitionsAltered = true;
    }
}

void MainPresenter::AddToBlacklist() {
    AddToDefinitions(true);
}

void MainPresenter::AddToWhitelist() {
    AddToDefinitions(false);
}

void MainPresenter::AddToDefinitions(bool blacklist) {
    if (!BeginRun()) {
        return;
    }
    const std::string prompt =
        blacklist ? "Edit Definitions Entry To Blacklist:" : "Edit Definitions Entry To Whitelist:";
    std::vector<AppListEntry>& entries = m_lists.notInDefs;
    bool added = false;
    for (std::size_t i = entries.size(); i-- > 0;) {
        const AppListEntry entry = entries[i];
        if (!entry.checked && !entry.selected) {
            continue;
        }
        const std::string name = entry.data.empty() ? std::string() : entry.data[0];
        const std::string answer = m_view.InputBox(prompt, kProgramTitle, name);
        if (answer.empty()) {
            continue;
        }
        if (blacklist) {
            m_definitions.AddBlacklistEntry(Trim(answer));
            AppRecordFields fields;
            fields.displayName = Trim(name);
            fields.subkeyName = entry.data.size() > 1 ? Trim(entry.data[1]) : "";
            fields.uninstallCommand = entry.data.size() > 2 ? Trim(entry.data[2]) : "";
            fields.publisher = entry.publisher;
            fields.user = entry.user;
            AddAppToList(m_lists, MakeAppRecord(fields), true);
        } else {
            m_definitions.AddWhitelistEntry(Trim(answer));
        }
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        added = true;
    }
    if (added) {
        ShowLists();
        ShowDefinitions();
        if (blacklist) {
            m_definitions.SaveBlacklist();
        } else {
            m_definitions.SaveWhitelist();
        }
        Notice("Item(s) Added to List.", "");
    }
    EndRun();
}

void MainPresenter::Refresh() {
    if (!BeginRun()) {
        return;
    }
    if (m_definitions.definitionsAltered &&
        m_ctx.os.prompts.ShowMessage("You have unsaved changes to the Kestrel definitions list, "
                                     "would you like to save the changes before refreshing the "
                                     "lists?",
                                     kDefinitionsAlteredTitle,
                                     os::mb::kYesNo | os::mb::kIconQuestion) == os::mb::kIdYes) {
        m_definitions.SaveBlacklist();
    }
    m_lists = AppLists{};
    EnumerateInstalledApps(m_ctx, m_lists);
    ShowLists();
    m_definitions.ReloadBlacklist();
    ClearAlteredWhenBlacklistReloaded();
    ShowDefinitions();
    EndRun();
}

// A reload from an existing file throws the box's edits away, so nothing is left unsaved.
void MainPresenter::ClearAlteredWhenBlacklistReloaded() {
    if (DoesFileExist(m_ctx, m_ctx.definitions.blacklist)) {
        m_definitions.definitionsAltered = false;
    }
}

void MainPresenter::SaveBlacklist() {
    m_definitions.SaveBlacklist();
}

void MainPresenter::ReloadBlacklist() {
    m_definitions.ReloadBlacklist();
    ClearAlteredWhenBlacklistReloaded();
    ShowDefinitions();
}

void MainPresenter::SaveWhitelist() {
    m_definitions.SaveWhitelist();
}

void MainPresenter::ReloadWhitelist() {
    m_definitions.ReloadWhitelist();
    ShowDefinitions();
}

void MainPresenter::SaveRegistryDefinitions() {
    m_definitions.SaveRegistryDefinitions();
}

void MainPresenter::ReloadRegistryDefinitions() {
    m_definitions.ReloadRegistryDefinitions();
    ShowDefinitions();
}

void MainPresenter::SaveFileSystemDefinitions() {
    m_definitions.SaveFileSystemDefinitions();
}

void MainPresenter::ReloadFileSystemDefinitions() {
    m_definitions.ReloadFileSystemDefinitions();
    ShowDefinitions();
}

}  // namespace kestrel

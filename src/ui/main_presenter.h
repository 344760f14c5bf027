#pragma once
// Every decision of the main window: what its lists hold, which entries go where, what the
// buttons run, which notices and questions appear, and what closing does. The window calls
// one method per message it gets and shows what the presenter hands to MainView.

#include <cstddef>
#include <string>

#include "engine/uninstall_by_definition.h"
#include "inventory/app_list.h"
#include "inventory/definition_lists.h"
#include "net/email_settings.h"
#include "ui/main_view.h"

namespace kestrel {

class Context;
class WindowServices;

inline constexpr const char* kIdleStatus = "Idle...";
inline constexpr const char* kDefinitionsAlteredTitle = "Definitions Altered!";

class MainPresenter : private NoticeSink, private StatusSink {
public:
    // ctx, view and services outlive the presenter.
    MainPresenter(Context& ctx, MainView& view, WindowServices& services);

    // The window's start-up: caption, e-mail page, options, the scan and the four lists.
    void Load();

    // The technician's input.
    void EntryChecked(AppListId list, std::size_t index, bool checked);
    void EntrySelected(AppListId list, std::size_t index, bool selected);
    void DefinitionEdited(DefinitionBox box, const std::string& text);
    void OptionsEdited(const MainOptions& options);
    void EmailPageEdited(const EmailPage& page);

    // The buttons and links.
    void UninstallNow(AppListId list);
    void AddToBlacklist();
    void AddToWhitelist();
    void GoogleHighlighted();
    void SelectAll(AppListId list, bool checked);  // "Select All" (true) and "/ None"
    void Refresh();
    void EntryDoubleClicked(AppListId list);
    void SaveBlacklist();
    void ReloadBlacklist();
    void SaveWhitelist();
    void ReloadWhitelist();
    void SaveRegistryDefinitions();
    void ReloadRegistryDefinitions();
    void SaveFileSystemDefinitions();
    void ReloadFileSystemDefinitions();
    void DeleteRegistryLeftovers();
    void DeleteFileSystemLeftovers();
    void PreviewAutoRun();  // "Preview /auto" on the leftovers pages
    void SendTestEmail();
    void SaveConfiguration();
    void CheckForAppUpdates();

    // The technician closes the window: asks about unsaved definitions. False while a run is
    // going on; the window then closes (MainView::Close) once the run has ended.
    [[nodiscard]] bool QueryClose();
    // The window goes away, whoever closes it: the log and its e-mail when the options ask
    // for them in window mode, and the browser guard off. Runs once.
    void Unload();

    const AppLists& Lists() const { return m_lists; }
    const DefinitionBoxes& Definitions() const { return m_boxes; }
    bool DefinitionsAltered() const { return m_definitions.definitionsAltered; }
    bool UninstalledSomething() const { return m_uninstalledSomething; }
    bool Busy() const { return m_busy; }

private:
    void Notice(const std::string& title, const std::string& message) override;
    void SetStatus(const std::string& text) override;

    std::vector<AppListEntry>& ListOf(AppListId list);
    void ShowLists();
    void ShowDefinitions();
    void LoadEmailPage();
    void LoadOptions();
    void AddToDefinitions(bool blacklist);
    void ClearAlteredWhenBlacklistReloaded();

    // A run (an uninstall, a cleanup, a send, an update check) holds the window until it
    // ends; a second one is refused meanwhile. BeginRun is false when one is going on.
    [[nodiscard]] bool BeginRun();
    void EndRun();

    Context& m_ctx;
    MainView& m_view;
    WindowServices& m_services;
    AppLists m_lists;
    DefinitionBoxes m_boxes;
    DefinitionLists m_definitions;
    MainOptions m_options;
    EmailPage m_email;
    bool m_uninstalledSomething = false;
    bool m_busy = false;
    bool m_closePending = false;
    bool m_unloaded = false;
};

}  // namespace kestrel

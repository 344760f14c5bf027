#pragma once
// The main window as its presenter sees it. The presenter keeps every state the window shows
// (lists, check marks, boxes, options) and pushes it here; the window turns the technician's
// input into presenter calls and shows what it is handed, nothing more.

#include <optional>
#include <string>
#include <vector>

#include "inventory/app_list.h"
#include "inventory/definition_lists.h"
#include "net/email_settings.h"

namespace kestrel {

enum class AppListId {
    kNotInDefs,  // ListBox1, "Installed Apps (Not in Defs)"
    kMatching,   // ListBox3, "Installed Apps (Matching Blacklist)"
};

// The seven definition text boxes, as the window reports the technician's edits.
enum class DefinitionBox {
    kBlacklist,          // txtDefs
    kWhitelist,          // Text1
    kRegistryKeys,       // Text3
    kRegistryValues,     // Text4
    kRunValues,          // Text2
    kFileSystemObjects,  // Text5
    kStartMenuFolders,   // Text7
};

// The three check boxes of the "Options" page.
struct MainOptions {
    bool applyAlways = false;   // chkDoBoth
    bool logFile = false;       // chkLog
    bool emailResults = false;  // chkEmail
};

// One text item of the pop-up notice, in pixels from the pop-up's top left corner.
struct NoticeItem {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::string text;
};

// The pop-up notice: a bold, single-line, vertically centred title, an optional message and
// the pop-up's size.
struct NoticeLayout {
    NoticeItem title;
    std::optional<NoticeItem> message;
    int width = 0;
    int height = 0;
};

class MainView {
public:
    virtual ~MainView() = default;

    virtual void SetCaption(const std::string& text) = 0;
    // The items of comboSMTPPort.
    virtual void SetPortItems(const std::vector<std::string>& items) = 0;
    virtual void ShowEmailPage(const EmailPage& page) = 0;
    virtual void ShowOptions(const MainOptions& options) = 0;
    // Replaces the whole content of a list: entries, check marks and selection.
    virtual void ShowList(AppListId list, const std::vector<AppListEntry>& entries) = 0;
    // Replaces the texts of the seven definition boxes. Setting them is not an edit: the
    // window reports only the technician's own typing (DefinitionEdited).
    virtual void ShowDefinitions(const DefinitionBoxes& boxes) = 0;
    // txtStatus.
    virtual void SetStatus(const std::string& text) = 0;
    virtual void ShowNotice(const NoticeLayout& notice) = 0;
    // The input box: the text the technician confirmed, "" when cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Hands a web address to the shell's default browser.
    virtual void OpenWebPage(const std::string& url) = 0;
    // frmDetail with one entry's data.
    virtual void ShowDetail(const std::string& text) = 0;
    // What "/auto" would do now, in a window of its own like frmDetail.
    virtual void ShowPreview(const std::string& text) = 0;
    // While busy the actions that start a run or change the lists are disabled: both
    // "Uninstall Now", both "Delete All Now", both "Preview /auto", "Refresh", "Add to Blacklist", "Add to
    // Whitelist", "Send Test Email" and "Check for App Updates". The window keeps painting.
    virtual void SetBusy(bool busy) = 0;
    // Closes the window (its unload then runs: the window calls Unload).
    virtual void Close() = 0;
};

}  // namespace kestrel

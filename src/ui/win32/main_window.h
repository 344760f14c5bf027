#pragma once
// frmUninstall, the main window: six tab pages around the two application lists, the seven
// definition boxes and the options, the status line below them and the pop-up notice. Every
// message becomes one MainPresenter call; the window shows what the presenter hands it.

#include <map>
#include <string>
#include <vector>

#include "os/win32/windows_api.h"
#include "ui/main_presenter.h"
#include "ui/main_view.h"
#include "ui/win32/detail_window.h"
#include "ui/win32/form_resizer_win32.h"
#include "ui/win32/main_window_ids.h"

namespace kestrel::ui {

class Win32MainWindow : public MainView {
public:
    Win32MainWindow() = default;
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // Makes the window and its controls, runs presenter.Load() and shows the window when asked
    // to. False when no window can be made (no display): nothing shows and nothing blocks.
    [[nodiscard]] bool Create(MainPresenter& presenter, bool visible);
    // Runs the thread's messages until the window is gone; the exit code of the WM_QUIT.
    int MessageLoop();
    // The window's keyboard: Ctrl+Tab and Ctrl+Shift+Tab change pages, Tab and the arrows move
    // between controls. True when msg was used up.
    bool TranslateKeys(const MSG& msg);

    HWND Handle() const { return m_hwnd; }
    HWND Tab() const { return m_tab; }
    // The control with this id (MainControlId), null when there is none.
    HWND Control(int id) const;
    HWND Page(int index) const;
    HWND Notice() const { return m_notice; }
    // Shows the page as the technician's click on its tab does.
    void SelectPage(int index);
    // Where an entry's check box sits, in the list's client coordinates.
    RECT CheckBoxRect(HWND list, int index) const;

    // MainView
    void SetCaption(const std::string& text) override;
    void SetPortItems(const std::vector<std::string>& items) override;
    void ShowEmailPage(const EmailPage& page) override;
    void ShowOptions(const MainOptions& options) override;
    void ShowList(AppListId list, const std::vector<AppListEntry>& entries) override;
    void ShowDefinitions(const DefinitionBoxes& boxes) override;
    void SetStatus(const std::string& text) override;
    void ShowNotice(const NoticeLayout& notice) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    void OpenWebPage(const std::string& url) override;
    void ShowDetail(const std::string& text) override;
    void ShowPreview(const std::string& text) override;
    void SetBusy(bool busy) override;
    void Close() override;

private:
    struct AppList {
        HWND list = nullptr;
        std::vector<AppListEntry> entries;  // the item data points into it
    };

    static bool RegisterClassesOnce();
    static LRESULT CALLBACK FrameProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK NoticeProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // main_window_pages.cpp
    HWND Add(HWND parent, const wchar_t* cls, int id, const std::string& text, DWORD style, int x,
             int y, int width, int height, DWORD exStyle = 0);
    HWND AddLabel(HWND parent, int id, const std::string& text, int x, int y, int width,
                  int lines = 1);
    HWND AddButton(HWND parent, int id, const std::string& text, int x, int y, int width);
    HWND AddLink(HWND parent, int id, const std::string& text, int x, int y);
    HWND AddTextBox(HWND parent, int id, int x, int y, int width, int height);
    void AddToolTip(HWND control, const std::string& text);
    int Scaled(int pixels) const;
    int TextWidth(const std::string& text) const;
    void BuildAppsPage(HWND page, bool notInDefs);
    void BuildDefinitionsPage(HWND page);
    void BuildRegistryPage(HWND page);
    void BuildFileSystemPage(HWND page);
    void BuildOptionsPage(HWND page);

    // main_window_lists.cpp
    AppList* ListFor(HWND list);
    AppListId IdOf(const AppList& list) const;
    void MeasureEntry(MEASUREITEMSTRUCT& item) const;
    void DrawEntry(const DRAWITEMSTRUCT& item);
    void DrawLink(const DRAWITEMSTRUCT& item) const;
    void ToggleEntry(AppList& list, int index);
    void SelectionChanged(AppList& list);

    // main_window_popups.cpp
    void PlaceNotice();

    void LayOut();
    void OnCommand(int id, int code, HWND control);
    void DefinitionTyped(int id, HWND control);
    void OptionsTyped();
    void EmailTyped();
    EmailPage ReadEmailPage() const;
    void Destroyed();

    MainPresenter* m_presenter = nullptr;
    HWND m_hwnd = nullptr;
    HWND m_tab = nullptr;
    HWND m_status = nullptr;
    HWND m_notice = nullptr;
    HWND m_toolTip = nullptr;
    HWND m_pages[kPageCount] = {};
    std::map<int, HWND> m_controls;
    AppList m_notInDefs;
    AppList m_matching;
    HFONT m_font = nullptr;
    HFONT m_boldFont = nullptr;
    int m_lineHeight = 16;
    int m_dpi = 96;
    int m_echo = 0;  // above zero while the window sets texts itself
    bool m_looping = false;
    NoticeLayout m_noticeLayout;
    Win32FormResizer m_resizer;
    Win32FormResizer m_pageResizers[kPageCount];
    Win32DetailWindow m_detail;
    Win32DetailWindow m_preview{kPreviewWindowCaption};
};

// Shows the main window over ctx and services until it is closed; 0 at once when no window
// can be made (no display).
int RunMainWindow(Context& ctx, WindowServices& services);

}  // namespace kestrel::ui

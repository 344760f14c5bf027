// The six pages of the main window and their controls, laid out for the page's size at start.
#include "ui/win32/main_window.h"

#include "ui/win32/common_controls.h"

#include <commctrl.h>

#include <algorithm>

namespace kestrel::ui {
namespace {

constexpr DWORD kTextBoxStyle = WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE |
                                ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
constexpr DWORD kFieldStyle = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

RECT ClientOf(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

}  // namespace

int Win32MainWindow::Scaled(int pixels) const {
    return MulDiv(pixels, m_dpi, 96);
}

int Win32MainWindow::TextWidth(const std::string& text) const {
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ old = SelectObject(dc, m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring wide = os::win32::Wide(text);
    SIZE extent{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
    return extent.cx;
}

HWND Win32MainWindow::Add(HWND parent, const wchar_t* cls, int id, const std::string& text,
                          DWORD style, int x, int y, int width, int height, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, cls, os::win32::Wide(text).c_str(),
                                   WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr) {
        HGDIOBJ font = m_font != nullptr ? m_font : GetStockObject(DEFAULT_GUI_FONT);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        m_controls[id] = control;
    }
    return control;
}

HWND Win32MainWindow::AddLabel(HWND parent, int id, const std::string& text, int x, int y,
                               int width, int lines) {
    return Add(parent, L"STATIC", id, text, SS_LEFT | SS_NOPREFIX | SS_NOTIFY, x, y, width,
               lines * m_lineHeight + 2);
}

HWND Win32MainWindow::AddButton(HWND parent, int id, const std::string& text, int x, int y,
                                int width) {
    const int height = std::max(Scaled(25), m_lineHeight + Scaled(9));
    return Add(parent, L"BUTTON", id, text, WS_TABSTOP | BS_PUSHBUTTON, x, y, width, height);
}

// A link is a button that draws itself as underlined text, so the keyboard reaches it.
HWND Win32MainWindow::AddLink(HWND parent, int id, const std::string& text, int x, int y) {
    return Add(parent, L"BUTTON", id, text, WS_TABSTOP | BS_OWNERDRAW, x, y,
               TextWidth(text) + Scaled(6), m_lineHeight + Scaled(4));
}

HWND Win32MainWindow::AddTextBox(HWND parent, int id, int x, int y, int width, int height) {
    HWND box = Add(parent, L"EDIT", id, "", kTextBoxStyle, x, y, width, height);
    if (box != nullptr) {
        SendMessageW(box, EM_SETLIMITTEXT, 0, 0);  // as much text as memory allows
    }
    return box;
}

void Win32MainWindow::AddToolTip(HWND control, const std::string& text) {
    if (m_toolTip == nullptr || control == nullptr) {
        return;
    }
    std::wstring wide = os::win32::Wide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32MainWindow::BuildAppsPage(HWND page, bool notInDefs) {
    const RECT r = ClientOf(page);
    const int m = Scaled(8);
    const int column = Scaled(230);
    const int listWidth = r.right - 3 * m - column;
    const int listTop = m + m_lineHeight + Scaled(8);
    const int buttonStep = std::max(Scaled(25), m_lineHeight + Scaled(9)) + Scaled(6);
    HWND all = AddLink(page, notInDefs ? lblSelectAll : lblSelectAll3, "Select All", m, m);
    RECT allRect{};
    GetWindowRect(all, &allRect);
    AddLink(page, notInDefs ? lblSelectNone : lblSelectNone3, "/ None",
            m + (allRect.right - allRect.left), m);
    const int refreshWidth = TextWidth("Refresh") + Scaled(6);
    AddLink(page, notInDefs ? lblRefresh : lblRefresh3, "Refresh", m + listWidth - refreshWidth, m);
    // Each item also keeps its name as text: typing a letter finds an entry, and screen readers
    // and other programs can read the lists.
    const DWORD listStyle = WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                            LBS_HASSTRINGS | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    AppList& list = notInDefs ? m_notInDefs : m_matching;
    list.list = Add(page, L"LISTBOX", notInDefs ? ListBox1 : ListBox3, "", listStyle, m, listTop,
                    listWidth, r.bottom - listTop - m);
    if (list.list != nullptr) {
        (void)Subclass(list.list, &Win32MainWindow::ListProcedure, 1,
                       reinterpret_cast<DWORD_PTR>(this));
    }
    const int x = r.right - m - column;
    int y = listTop;
    if (!notInDefs) {
        AddButton(page, Command8, "Uninstall Now", x, y, column);
        return;
    }
    AddButton(page, Command3, "Uninstall Now", x, y, column);
    AddButton(page, Command1, "Add to Whitelist", x, y += buttonStep, column);
    AddButton(page, Command10, "Google Highlighted", x, y += buttonStep, column);
    AddButton(page, Command13, "Add to Blacklist", x, y += buttonStep, column);
    AddLabel(page, Label4,
             "<- Select items from the current installed apps list to uninstall them, or to add "
             "them to the uninstall defs for automated uninstalls on other PCs.",
             x, y + buttonStep + Scaled(8), column, 6);
}

void Win32MainWindow::BuildDefinitionsPage(HWND page) {
    const RECT r = ClientOf(page);
    const int m = Scaled(8);
    const int column = (r.right - 3 * m) / 2;
    const int buttonHeight = std::max(Scaled(25), m_lineHeight + Scaled(9));
    const int boxTop = m + 2 * m_lineHeight + Scaled(8);
    const int bottomLabel = r.bottom - m - m_lineHeight;
    const int buttonTop = bottomLabel - Scaled(8) - buttonHeight;
    const int boxHeight = buttonTop - Scaled(6) - boxTop;
    const int buttonWidth = (column - Scaled(6)) / 2;
    struct Column {
        int title, hint, box, save, reload;
        const char *titleText, *hintText, *saveText, *reloadText;
    };
    const Column columns[] = {
        {lblBlacklistTitle, lblBlacklistHint, txtDefs, Command2, PushButton3,
         "Uninstall items matching these search terms:",
         "Place a wildcard search term to blacklist on each new line.", "Save Blacklist",
         "Reload Blacklist"},
        {lblWhitelistTitle, lblWhitelistHint, Text1, PushButton2, PushButton1,
         "Never uninstall items matching these search terms:",
         "Place a wildcard search term to whitelist on each new line.", "Save Whitelist",
         "Reload Whitelist"},
    };
    int x = m;
    for (const Column& c : columns) {
        AddLabel(page, c.title, c.titleText, x, m, column);
        AddLabel(page, c.hint, c.hintText, x, m + m_lineHeight + Scaled(2), column);
        AddTextBox(page, c.box, x, boxTop, column, boxHeight);
        AddButton(page, c.save, c.saveText, x, buttonTop, buttonWidth);
        AddButton(page, c.reload, c.reloadText, x + buttonWidth + Scaled(6), buttonTop,
                  buttonWidth);
        x += column + m;
    }
    AddLabel(page, lblDefinitionsOrder,
             "Kestrel will remove items in the definition lists in the order listed here.", m,
             bottomLabel, r.right - 2 * m);
}

void Win32MainWindow::BuildRegistryPage(HWND page) {
    const RECT r = ClientOf(page);
    const int m = Scaled(8);
    const int column = (r.right - 4 * m) / 3;
    const int buttonHeight = std::max(Scaled(25), m_lineHeight + Scaled(9));
    const int boxTop = m + 4 * m_lineHeight + Scaled(12);
    const int bottomLabel = r.bottom - m - m_lineHeight;
    const int buttonTop = bottomLabel - Scaled(8) - buttonHeight;
    struct Column {
        int title, example, box;
        const char *titleText, *exampleText;
    };
    const Column columns[] = {
        {lblRegKeys, lblRegKeysExample, Text3, "Delete Registry Keys:  ",
         "e.g. Software\\Some App Name  (This will delete that key in HKLM, HKCU, and HKU\\xxx)"},
        {lblRegValues, lblRegValuesExample, Text4, "Delete Registry Values:  ",
         "e.g. Software\\Somewhere\\Some Value Name  (This will delete that value in HKLM, HKCU, "
         "and HKU\\xxx)"},
        {lblRunValues, lblRunValuesExample, Text2,
         "Delete Run/RunOnce Value Names:", "e.g. SomeBadAppValueName"},
    };
    int x = m;
    for (const Column& c : columns) {
        AddLabel(page, c.title, c.titleText, x, m, column);
        AddLabel(page, c.example, c.exampleText, x, m + m_lineHeight + Scaled(4), column, 3);
        AddTextBox(page, c.box, x, boxTop, column, buttonTop - Scaled(6) - boxTop);
        x += column + m;
    }
    const int width = Scaled(140);
    AddButton(page, Command15, "Save Definitions", m, buttonTop, width);
    AddButton(page, Command16, "Reload Definitions", m + width + Scaled(6), buttonTop, width);
    AddButton(page, cmdPreviewRegistry, kPreviewCaption, r.right - 2 * (m + width), buttonTop,
              width + m - Scaled(6));
    AddButton(page, Command20, "Delete All Now", r.right - m - width, buttonTop, width);
    AddLabel(page, lblRegistryAuto,
             "These items will be automatically deleted when running Kestrel.exe /auto", m,
             bottomLabel, r.right - 2 * m);
}

void Win32MainWindow::BuildFileSystemPage(HWND page) {
    const RECT r = ClientOf(page);
    const int m = Scaled(8);
    const int column = (r.right - 3 * m) / 2;
    const int buttonHeight = std::max(Scaled(25), m_lineHeight + Scaled(9));
    const int variablesTop = m + 3 * m_lineHeight + Scaled(8);
    const int boxTop = variablesTop + m_lineHeight + Scaled(8);
    const int bottomLabel = r.bottom - m - m_lineHeight;
    const int buttonTop = bottomLabel - Scaled(8) - buttonHeight;
    AddLabel(page, lblFileSystem, "Delete File System objects:", m, m, column);
    AddLabel(page, lblFileSystemExample,
             "e.g.  %programfiles%\\MyAppFolderName   or   \\SomeFileInTheRootDir.txt", m,
             m + m_lineHeight + Scaled(4), column, 2);
    const int right = 2 * m + column;
    AddLabel(page, lblStartMenu, "Delete Startup Menu objects:", right, m, column);
    AddLabel(page, lblStartMenuExample, "e.g.  MyAppFolderName   or   Startup\\AutoRunApp.lnk",
             right, m + m_lineHeight + Scaled(4), column, 2);
    AddLabel(page, lblVariables,
             "Supported Variables:  %programfiles% %userprofile% %systemroot% %windir% "
             "%systemdrive% %homedrive%",
             m, variablesTop, r.right - 2 * m);
    AddTextBox(page, Text5, m, boxTop, column, buttonTop - Scaled(6) - boxTop);
    AddTextBox(page, Text7, right, boxTop, column, buttonTop - Scaled(6) - boxTop);
    const int width = Scaled(140);
    AddButton(page, Command17, "Save Definitions", m, buttonTop, width);
    AddButton(page, Command18, "Reload Definitions", m + width + Scaled(6), buttonTop, width);
    AddButton(page, cmdPreviewFileSystem, kPreviewCaption, r.right - 2 * (m + width), buttonTop,
              width + m - Scaled(6));
    AddButton(page, Command19, "Delete All Now", r.right - m - width, buttonTop, width);
    AddLabel(page, lblFileSystemAuto,
             "These items will be automatically deleted when running Kestrel.exe /auto", m,
             bottomLabel, r.right - 2 * m);
}

void Win32MainWindow::BuildOptionsPage(HWND page) {
    const RECT r = ClientOf(page);
    const int m = Scaled(8);
    const int wide = r.right - 2 * m;
    const int column = (r.right - 3 * m) / 2;
    const int right = 2 * m + column;
    const int boxHeight = m_lineHeight + Scaled(6);
    const int fieldHeight = m_lineHeight + Scaled(8);
    const int buttonHeight = std::max(Scaled(25), m_lineHeight + Scaled(9));
    const DWORD check = WS_TABSTOP | BS_AUTOCHECKBOX;
    int y = m;
    Add(page, L"BUTTON", chkDoBoth,
        "Apply options below to GUI mode (otherwise they are only applicable when using the "
        "/auto parameter.)",
        check, m, y, wide, boxHeight);
    Add(page, L"BUTTON", chkLog,
        "Log results to file.  (appends to Kestrel_Log.txt in the current application path.)",
        check, m, y += boxHeight + Scaled(4), wide, boxHeight);
    Add(page, L"BUTTON", chkEmail, "Email results.  (configure SMTP settings below:)", check, m,
        y += boxHeight + Scaled(4), wide, boxHeight);
    y += boxHeight + Scaled(14);
    const int labelToField = m_lineHeight + Scaled(4);
    const int rowStep = labelToField + fieldHeight + Scaled(10);

    const char* serverTip = "You can use any valid SMTP server.  ";
    AddToolTip(AddLabel(page, lblSMTPServer, "SMTP Server", m, y, column), serverTip);
    AddToolTip(Add(page, L"EDIT", txtSMTPServer, "", kFieldStyle, m, y + labelToField, column,
                   fieldHeight),
               serverTip);
    AddLabel(page, lblSMTPPort, "SMTP Port", right, y, column);
    Add(page, L"COMBOBOX", comboSMTPPort, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, right,
        y + labelToField, Scaled(90), fieldHeight + Scaled(120));
    y += rowStep;

    const char* userTip = "Typically your full email address.";
    AddToolTip(AddLabel(page, lblSMTPUserName, "SMTP Username", m, y, column), userTip);
    AddToolTip(Add(page, L"EDIT", txtSMTPUserName, "", kFieldStyle, m, y + labelToField, column,
                   fieldHeight),
               userTip);
    AddLabel(page, lblSMTPPassword, "SMTP Password", right, y, column);
    Add(page, L"EDIT", txtSMTPPassword, "", kFieldStyle | ES_PASSWORD, right, y + labelToField,
        column, fieldHeight);
    AddLabel(page, lblPasswordNote,
             "The email password is stored in the INI with basic encryption.", right,
             y + labelToField + fieldHeight + Scaled(2), column, 2);
    y += rowStep + 2 * m_lineHeight;

    const char* fromTip =
        "This can be the full smtp email address, or a different email address you specify.";
    AddToolTip(
        AddLabel(page, lblFromEmail, "Default From Email Address (must be valid)", m, y, column),
        fromTip);
    AddToolTip(
        Add(page, L"EDIT", txtFromEmail, "", kFieldStyle, m, y + labelToField, column, fieldHeight),
        fromTip);
    y += rowStep;

    const char* toTip =
        "The default email address you wish to send email to.  Normally, this is your email "
        "address at work, at least it is for me.";
    AddToolTip(AddLabel(page, lblToEmail,
                        "Default To Email Address(es)  Seperate multiple email addresses with a "
                        "comma and space.",
                        m, y, wide),
               toTip);
    AddToolTip(
        Add(page, L"EDIT", txtToEmail, "", kFieldStyle, m, y + labelToField, wide, fieldHeight),
        toTip);
    y += rowStep;

    // Three-state: a setting stored as neither on nor off shows greyed.
    Add(page, L"BUTTON", chkSMTPAuth, "Authenticate", WS_TABSTOP | BS_3STATE, m, y, Scaled(140),
        boxHeight);
    Add(page, L"BUTTON", chkUseSSL, "Use SSL", WS_TABSTOP | BS_3STATE, m + Scaled(150), y,
        Scaled(140), boxHeight);

    const int buttonTop = r.bottom - m - buttonHeight;
    const std::string testText = "Send Test Email   (sends a report of installed apps)";
    const int testWidth = TextWidth(testText) + Scaled(24);
    AddButton(page, cmdTestEmail, testText, m, buttonTop, testWidth);
    AddButton(page, Command9, "Save", m + testWidth + Scaled(6), buttonTop, Scaled(90));
    const std::string updateText = "Check for App Updates";
    const int updateWidth = TextWidth(updateText) + Scaled(24);
    AddButton(page, PushButton4, updateText, r.right - m - updateWidth, buttonTop, updateWidth);
}

}  // namespace kestrel::ui

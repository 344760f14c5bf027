// What the presenter shows in the main window, and the technician's input turned into presenter
// calls.
#include "ui/win32/main_window.h"

#include <shellapi.h>

#include <algorithm>

namespace kestrel::ui {
namespace {

std::wstring TextOf(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

void SetText(HWND hwnd, const std::string& text) {
    if (hwnd != nullptr) {
        SetWindowTextW(hwnd, os::win32::Wide(text).c_str());
    }
}

bool IsChecked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetCheck(HWND box, int state) {
    const WPARAM value = state == 1 ? BST_CHECKED : state == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    SendMessageW(box, BM_SETCHECK, value, 0);
}

int CheckState(HWND box) {
    const LRESULT state = SendMessageW(box, BM_GETCHECK, 0, 0);
    return state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0;
}

struct DefinitionBoxId {
    int id;
    DefinitionBox box;
};
constexpr DefinitionBoxId kDefinitionBoxes[] = {
    {txtDefs, DefinitionBox::kBlacklist},      {Text1, DefinitionBox::kWhitelist},
    {Text3, DefinitionBox::kRegistryKeys},     {Text4, DefinitionBox::kRegistryValues},
    {Text2, DefinitionBox::kRunValues},        {Text5, DefinitionBox::kFileSystemObjects},
    {Text7, DefinitionBox::kStartMenuFolders},
};

}  // namespace
void Win32MainWindow::SetCaption(const std::string& text) {
    SetText(m_hwnd, text);
}

void Win32MainWindow::SetPortItems(const std::vector<std::string>& items) {
    HWND combo = Control(comboSMTPPort);
    if (combo == nullptr) {
        return;
    }
    ++m_echo;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        const std::wstring text = os::win32::Wide(item);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    --m_echo;
}

void Win32MainWindow::ShowEmailPage(const EmailPage& page) {
    ++m_echo;
    SetText(Control(txtSMTPServer), page.server);
    SetText(Control(comboSMTPPort), page.port);
    SetText(Control(txtSMTPUserName), page.userName);
    SetText(Control(txtSMTPPassword), page.password);
    SetText(Control(txtFromEmail), page.from);
    SetText(Control(txtToEmail), page.to);
    SetCheck(Control(chkSMTPAuth), page.authBox);
    SetCheck(Control(chkUseSSL), page.sslBox);
    --m_echo;
}

void Win32MainWindow::ShowOptions(const MainOptions& options) {
    SetCheck(Control(chkDoBoth), options.applyAlways ? 1 : 0);
    SetCheck(Control(chkLog), options.logFile ? 1 : 0);
    SetCheck(Control(chkEmail), options.emailResults ? 1 : 0);
}

void Win32MainWindow::ShowDefinitions(const DefinitionBoxes& boxes) {
    const std::string* texts[] = {&boxes.txtDefs, &boxes.Text1, &boxes.Text3, &boxes.Text4,
                                  &boxes.Text2,   &boxes.Text5, &boxes.Text7};
    ++m_echo;
    for (size_t i = 0; i < std::size(kDefinitionBoxes); ++i) {
        SetText(Control(kDefinitionBoxes[i].id), *texts[i]);
    }
    --m_echo;
}

void Win32MainWindow::SetStatus(const std::string& text) {
    SetText(m_status, text);
    if (m_status != nullptr) {
        UpdateWindow(m_status);
    }
}

void Win32MainWindow::OpenWebPage(const std::string& url) {
    ShellExecuteW(m_hwnd, L"open", os::win32::Wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32MainWindow::ShowDetail(const std::string& text) {
    m_detail.SetText(text);
    m_detail.Show(m_hwnd);
}

void Win32MainWindow::ShowPreview(const std::string& text) {
    m_preview.SetText(text);
    m_preview.Show(m_hwnd);
}

void Win32MainWindow::SetBusy(bool busy) {
    for (const int id : {Command3, Command8, Command20, Command19, cmdPreviewRegistry,
                         cmdPreviewFileSystem, lblRefresh, lblRefresh3,
                         Command13, Command1, cmdTestEmail, PushButton4}) {
        if (HWND control = Control(id)) {
            EnableWindow(control, busy ? FALSE : TRUE);
        }
    }
}

void Win32MainWindow::Close() {
    if (m_hwnd != nullptr) {
        DestroyWindow(m_hwnd);
    }
}

void Win32MainWindow::DefinitionTyped(int id, HWND control) {
    for (const DefinitionBoxId& box : kDefinitionBoxes) {
        if (box.id == id) {
            m_presenter->DefinitionEdited(box.box, os::win32::Narrow(TextOf(control)));
        }
    }
}

void Win32MainWindow::OptionsTyped() {
    m_presenter->OptionsEdited(MainOptions{
        IsChecked(Control(chkDoBoth)), IsChecked(Control(chkLog)), IsChecked(Control(chkEmail))});
}

EmailPage Win32MainWindow::ReadEmailPage() const {
    EmailPage page;
    page.server = os::win32::Narrow(TextOf(Control(txtSMTPServer)));
    page.userName = os::win32::Narrow(TextOf(Control(txtSMTPUserName)));
    page.password = os::win32::Narrow(TextOf(Control(txtSMTPPassword)));
    page.from = os::win32::Narrow(TextOf(Control(txtFromEmail)));
    page.to = os::win32::Narrow(TextOf(Control(txtToEmail)));
    page.port = os::win32::Narrow(TextOf(Control(comboSMTPPort)));
    page.authBox = CheckState(Control(chkSMTPAuth));
    page.sslBox = CheckState(Control(chkUseSSL));
    return page;
}

void Win32MainWindow::EmailTyped() {
    m_presenter->EmailPageEdited(ReadEmailPage());
}

void Win32MainWindow::OnCommand(int id, int code, HWND control) {
    if (m_presenter == nullptr) {
        return;
    }
    if (code == EN_CHANGE) {
        if (m_echo == 0) {
            if (id == txtSMTPServer || id == txtSMTPUserName || id == txtSMTPPassword ||
                id == txtFromEmail || id == txtToEmail) {
                EmailTyped();
            } else {
                DefinitionTyped(id, control);
            }
        }
        return;
    }
    if (id == comboSMTPPort) {
        if (code == CBN_SELCHANGE && m_echo == 0) {
            // The edit part still shows the old item while the selection changes.
            const LRESULT index = SendMessageW(control, CB_GETCURSEL, 0, 0);
            wchar_t item[64] = {};
            if (index >= 0 &&
                SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < 64) {
                SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(item));
                EmailPage page = ReadEmailPage();
                page.port = os::win32::Narrow(item);
                m_presenter->EmailPageEdited(page);
            }
        } else if (code == CBN_EDITCHANGE && m_echo == 0) {
            EmailTyped();
        }
        return;
    }
    if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
        if (AppList* list = ListFor(control)) {
            if (code == LBN_SELCHANGE) {
                SelectionChanged(*list);
            } else {
                m_presenter->EntryDoubleClicked(IdOf(*list));
            }
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    // A button acts on what the boxes show: a text set without an edit notice (a multi-line
    // box sends none for WM_SETTEXT, as assistive tools use) is handed over first.
    for (const DefinitionBoxId& box : kDefinitionBoxes) {
        DefinitionTyped(box.id, Control(box.id));
    }
    MainPresenter& p = *m_presenter;
    switch (id) {
        case lblSelectAll:
            p.SelectAll(AppListId::kNotInDefs, true);
            break;
        case lblSelectNone:
            p.SelectAll(AppListId::kNotInDefs, false);
            break;
        case lblSelectAll3:
            p.SelectAll(AppListId::kMatching, true);
            break;
        case lblSelectNone3:
            p.SelectAll(AppListId::kMatching, false);
            break;
        case lblRefresh:
        case lblRefresh3:
            p.Refresh();
            break;
        case Command3:
            p.UninstallNow(AppListId::kNotInDefs);
            break;
        case Command8:
            p.UninstallNow(AppListId::kMatching);
            break;
        case Command1:
            p.AddToWhitelist();
            break;
        case Command10:
            p.GoogleHighlighted();
            break;
        case Command13:
            p.AddToBlacklist();
            break;
        case Command2:
            p.SaveBlacklist();
            break;
        case PushButton3:
            p.ReloadBlacklist();
            break;
        case PushButton2:
            p.SaveWhitelist();
            break;
        case PushButton1:
            p.ReloadWhitelist();
            break;
        case Command15:
            p.SaveRegistryDefinitions();
            break;
        case Command16:
            p.ReloadRegistryDefinitions();
            break;
        case Command20:
            p.DeleteRegistryLeftovers();
            break;
        case Command17:
            p.SaveFileSystemDefinitions();
            break;
        case Command18:
            p.ReloadFileSystemDefinitions();
            break;
        case Command19:
            p.DeleteFileSystemLeftovers();
            break;
        case cmdPreviewRegistry:
        case cmdPreviewFileSystem:
            p.PreviewAutoRun();
            break;
        case cmdTestEmail:
            p.SendTestEmail();
            break;
        case Command9:
            p.SaveConfiguration();
            break;
        case PushButton4:
            p.CheckForAppUpdates();
            break;
        case chkDoBoth:
        case chkLog:
        case chkEmail:
            OptionsTyped();
            break;
        case chkSMTPAuth:
        case chkUseSSL:
            // Three-state boxes that the technician only ticks or unticks.
            SetCheck(control, IsChecked(control) ? 0 : 1);
            EmailTyped();
            break;
        default:
            break;
    }
}

}  // namespace kestrel::ui

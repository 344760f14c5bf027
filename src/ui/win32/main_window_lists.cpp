// The two application lists: owner-drawn list boxes whose items point at their AppListEntry.
// Each entry is drawn from its fields (display name, publisher, uninstall command) as a check
// box beside a bordered block of three labelled rows.
#include "ui/win32/main_window.h"

#include "ui/win32/common_controls.h"

#include <commctrl.h>

#include <algorithm>

namespace kestrel::ui {
namespace {

constexpr int kRows = 3;
// The blue of a web link; the system's hot-tracking colour is too pale on some themes.
constexpr COLORREF kLinkColor = RGB(0, 102, 204);
constexpr const wchar_t* kRowLabels[kRows] = {L"Name:", L"Publisher:", L"Uninstall:"};

const std::string& Field(const AppListEntry& entry, size_t index) {
    static const std::string empty;
    return index < entry.data.size() ? entry.data[index] : empty;
}

}  // namespace

Win32MainWindow::AppList* Win32MainWindow::ListFor(HWND list) {
    if (list != nullptr && list == m_notInDefs.list) {
        return &m_notInDefs;
    }
    if (list != nullptr && list == m_matching.list) {
        return &m_matching;
    }
    return nullptr;
}

AppListId Win32MainWindow::IdOf(const AppList& list) const {
    return &list == &m_notInDefs ? AppListId::kNotInDefs : AppListId::kMatching;
}

void Win32MainWindow::MeasureEntry(MEASUREITEMSTRUCT& item) const {
    item.itemHeight = static_cast<UINT>(kRows * m_lineHeight + Scaled(12));
}

RECT Win32MainWindow::CheckBoxRect(HWND list, int index) const {
    RECT item{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
        return RECT{};
    }
    const int size = Scaled(13);
    const int top = item.top + (item.bottom - item.top - size) / 2;
    return RECT{item.left + Scaled(6), top, item.left + Scaled(6) + size, top + size};
}

void Win32MainWindow::DrawEntry(const DRAWITEMSTRUCT& item) {
    const auto* entry = reinterpret_cast<const AppListEntry*>(item.itemData);
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (entry == nullptr || item.itemID == static_cast<UINT>(-1)) {
        if ((item.itemState & ODS_FOCUS) != 0) {
            DrawFocusRect(dc, &item.rcItem);
        }
        return;
    }
    RECT check = CheckBoxRect(item.hwndItem, static_cast<int>(item.itemID));
    DrawFrameControl(dc, &check, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (entry->checked ? DFCS_CHECKED : 0));

    RECT block{check.right + Scaled(6), item.rcItem.top + Scaled(3), item.rcItem.right - Scaled(4),
               item.rcItem.bottom - Scaled(3)};
    HBRUSH border = GetSysColorBrush(selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNSHADOW);
    FrameRect(dc, &block, border);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HGDIOBJ old = SelectObject(dc, m_boldFont != nullptr ? m_boldFont : m_font);
    int labelWidth = 0;
    for (const wchar_t* label : kRowLabels) {
        SIZE extent{};
        GetTextExtentPoint32W(dc, label, static_cast<int>(wcslen(label)), &extent);
        labelWidth = std::max<int>(labelWidth, extent.cx);
    }
    // A per-user application is named with its user, as in the report.
    const std::string name = entry->Shown();
    const std::string* values[kRows] = {&name, &entry->publisher, &Field(*entry, 2)};
    const int left = block.left + Scaled(5);
    const int valueLeft = left + labelWidth + Scaled(6);
    int top = block.top + (block.bottom - block.top - kRows * m_lineHeight) / 2;
    for (int row = 0; row < kRows; ++row) {
        RECT labelRect{left, top, valueLeft, top + m_lineHeight};
        SelectObject(dc, m_boldFont != nullptr ? m_boldFont : m_font);
        DrawTextW(dc, kRowLabels[row], -1, &labelRect, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
        RECT valueRect{valueLeft, top, block.right - Scaled(5), top + m_lineHeight};
        SelectObject(dc, m_font);
        const std::wstring value = os::win32::Wide(*values[row]);
        DrawTextW(dc, value.c_str(), static_cast<int>(value.size()), &valueRect,
                  DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
        top += m_lineHeight;
    }
    SelectObject(dc, old);
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(dc, &item.rcItem);
    }
}

void Win32MainWindow::DrawLink(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item.hwndItem, text.data(), length + 1)));
    LOGFONTW font{};
    GetObjectW(m_font, sizeof font, &font);
    font.lfUnderline = TRUE;
    HFONT underlined = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(dc, underlined != nullptr ? underlined : m_font);
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : kLinkColor);
    RECT r = item.rcItem;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_CENTER);
    SelectObject(dc, old);
    if (underlined != nullptr) {
        DeleteObject(underlined);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(dc, &item.rcItem);
    }
}

void Win32MainWindow::ShowList(AppListId id, const std::vector<AppListEntry>& entries) {
    AppList& list = id == AppListId::kNotInDefs ? m_notInDefs : m_matching;
    list.entries = entries;
    if (list.list == nullptr) {
        return;
    }
    const LRESULT top = SendMessageW(list.list, LB_GETTOPINDEX, 0, 0);
    SendMessageW(list.list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list.list, LB_RESETCONTENT, 0, 0);
    for (const AppListEntry& entry : list.entries) {
        const std::wstring name = os::win32::Wide(entry.Shown());
        const LRESULT index =
            SendMessageW(list.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (index >= 0) {
            SendMessageW(list.list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&entry));
        }
    }
    for (size_t i = 0; i < list.entries.size(); ++i) {
        if (list.entries[i].selected) {
            SendMessageW(list.list, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
        }
    }
    if (top > 0 && static_cast<size_t>(top) < list.entries.size()) {
        SendMessageW(list.list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    }
    SendMessageW(list.list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list.list, nullptr, TRUE);
}

void Win32MainWindow::ToggleEntry(AppList& list, int index) {
    if (index < 0 || static_cast<size_t>(index) >= list.entries.size()) {
        return;
    }
    AppListEntry& entry = list.entries[static_cast<size_t>(index)];
    entry.checked = !entry.checked;
    RECT item{};
    if (SendMessageW(list.list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
        InvalidateRect(list.list, &item, FALSE);
    }
    m_presenter->EntryChecked(IdOf(list), static_cast<size_t>(index), entry.checked);
}

void Win32MainWindow::SelectionChanged(AppList& list) {
    for (size_t i = 0; i < list.entries.size(); ++i) {
        const bool selected = SendMessageW(list.list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
        if (selected != list.entries[i].selected) {
            list.entries[i].selected = selected;
            m_presenter->EntrySelected(IdOf(list), i, selected);
        }
    }
}

// A click on an entry's check box toggles it and leaves the selection alone; the space bar
// toggles the entry that has the focus.
LRESULT CALLBACK Win32MainWindow::ListProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Win32MainWindow*>(data);
    AppList* list = self->ListFor(hwnd);
    if (list != nullptr && self->m_presenter != nullptr) {
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                const POINT at{static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
                const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
                const int index = static_cast<int>(LOWORD(hit));
                if (HIWORD(hit) == 0) {
                    const RECT check = self->CheckBoxRect(hwnd, index);
                    RECT slack = check;
                    InflateRect(&slack, self->Scaled(3), self->Scaled(3));
                    if (PtInRect(&slack, at)) {
                        SetFocus(hwnd);
                        self->ToggleEntry(*list, index);
                        return 0;
                    }
                }
                break;
            }
            case WM_KEYDOWN:
                if (wParam == VK_SPACE) {
                    self->ToggleEntry(*list,
                                      static_cast<int>(SendMessageW(hwnd, LB_GETCARETINDEX, 0, 0)));
                    return 0;
                }
                break;
            case WM_CHAR:
                if (wParam == L' ') {
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                RemoveSubclass(hwnd, &Win32MainWindow::ListProcedure, 1);
                break;
            default:
                break;
        }
    }
    return DefSubclass(hwnd, message, wParam, lParam);
}

}  // namespace kestrel::ui

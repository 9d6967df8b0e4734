// The chooser among several packs of an import: a list of the packs' names
// and places in a dialog made from a template in memory.
#include "editor/PackChooser.h"

#include <commctrl.h>

#include "editor/DialogTemplate.h"

namespace shubiao {

std::optional<size_t> PackChooser::Show(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    DialogTemplate dialog(kTitle, 260, 150, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dialog.Add(SS_LEFT, 7, 7, 246, 10, 0xFFFF, DialogTemplate::kStatic, L"这里有多个鼠标指针方案，请选择要导入的一个：");
    dialog.Add(WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 7, 20, 246, 100, kListId, 0,
               L"", WC_LISTVIEWW);
    dialog.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 146, 128, 50, 14, IDOK, DialogTemplate::kButton, L"确定");
    dialog.Add(BS_PUSHBUTTON | WS_TABSTOP, 203, 128, 50, 14, IDCANCEL, DialogTemplate::kButton, L"取消");
    const INT_PTR answer = dialog.Run(owner, &PackChooser::Procedure, reinterpret_cast<LPARAM>(this));
    if (answer != IDOK || !chosen_) return std::nullopt;
    return chosen_;
}

void PackChooser::Fill(HWND dialog) {
    HWND list = GetDlgItem(dialog, kListId);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    const int width = client.right - client.left - GetSystemMetricsForDpi(SM_CXVSCROLL, GetDpiForWindow(list));
    const wchar_t* const headings[] = {L"方案", L"位置"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = i == 0 ? width * 2 / 5 : width - width * 2 / 5;
        column.pszText = const_cast<wchar_t*>(headings[i]);
        ListView_InsertColumn(list, i, &column);
    }
    for (size_t i = 0; i < choices_.size(); ++i) {
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = const_cast<wchar_t*>(choices_[i].name.c_str());
        ListView_InsertItem(list, &row);
        ListView_SetItemText(list, static_cast<int>(i), 1, const_cast<wchar_t*>(choices_[i].place.c_str()));
    }
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
}

void PackChooser::Take(HWND dialog) {
    const int selected = ListView_GetNextItem(GetDlgItem(dialog, kListId), -1, LVNI_SELECTED);
    if (selected < 0) return;  // nothing chosen: the dialog stays
    chosen_ = static_cast<size_t>(selected);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK PackChooser::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PackChooser*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<PackChooser*>(lParam)->Fill(dialog);
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && self != nullptr) {
            self->Take(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kListId && header->code == LVN_ITEMACTIVATE && self != nullptr) {
            self->Take(dialog);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}

}  // namespace shubiao

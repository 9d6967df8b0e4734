// The chooser among several packs of an import: a list of the packs' names,
// places and pointers in a dialog made from a template in memory.
#include "editor/PackChooser.h"

#include <algorithm>

#include "editor/DialogTemplate.h"
#include "scheme/PointerSizeSetting.h"

namespace shubiao {
namespace {

constexpr int kMargin = 10;  // 96-DPI pixels
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kPromptHeight = 20;
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 200;

}  // namespace

std::optional<size_t> PackChooser::Show(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    DialogTemplate dialog(kTitle, 260, 150,
                          DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN);
    dialog.Add(SS_LEFT, 7, 7, 246, 10, kPromptId, DialogTemplate::kStatic, L"这里有多个鼠标指针方案，请选择要导入的一个：");
    dialog.Add(WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 7, 20, 246, 100, kListId, 0,
               L"", WC_LISTVIEWW);
    dialog.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 146, 128, 50, 14, IDOK, DialogTemplate::kButton, L"确定");
    dialog.Add(BS_PUSHBUTTON | WS_TABSTOP, 203, 128, 50, 14, IDCANCEL, DialogTemplate::kButton, L"取消");
    // The owner gets its activation back when the dialog ends, but a window
    // that is not a dialog then puts the focus on itself: it goes back to
    // the control that had it.
    HWND focus = GetFocus();
    const INT_PTR answer = dialog.Run(owner, &PackChooser::Procedure, reinterpret_cast<LPARAM>(this));
    if (focus != nullptr && IsWindow(focus) != FALSE) SetFocus(focus);
    if (answer != IDOK || !chosen_) return std::nullopt;
    return chosen_;
}

void PackChooser::Fill(HWND dialog) {
    dialog_ = dialog;
    dpi_ = GetDpiForWindow(dialog);
    if (dpi_ == 0) dpi_ = 96;
    HWND list = GetDlgItem(dialog, kListId);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ApplyDpi();
    const wchar_t* const headings[] = {L"方案", L"位置", L"指针"};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = Px(80);
        column.pszText = const_cast<wchar_t*>(headings[i]);
        ListView_InsertColumn(list, i, &column);
    }
    strips_.assign(choices_.size(), SchemeStrip{});
    for (size_t i = 0; i < choices_.size(); ++i) {
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = const_cast<wchar_t*>(choices_[i].name.c_str());
        ListView_InsertItem(list, &row);
        ListView_SetItemText(list, static_cast<int>(i), kPlaceColumn, const_cast<wchar_t*>(choices_[i].place.c_str()));
    }
    FitToContent(nullptr);
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
}

// The message font at the window's DPI for every control, and rows tall
// enough for the strip at that DPI.
void PackChooser::ApplyDpi() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi_)) {
        UniqueFont font(CreateFontIndirectW(&metrics.lfMessageFont));
        for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr && font; child = GetWindow(child, GW_HWNDNEXT)) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        }
        if (font) font_ = std::move(font);
    }
    // An image list of this height makes the rows tall enough for the strip.
    HWND list = GetDlgItem(dialog_, kListId);
    HIMAGELIST images = ImageList_Create(1, IconSize() + Px(6), ILC_COLOR32, 0, 0);
    ListView_SetImageList(list, images, LVSIL_SMALL);
    if (rowImages_ != nullptr) ImageList_Destroy(rowImages_);
    rowImages_ = images;
    for (SchemeStrip& strip : strips_) strip.Forget();
}

// The columns as wide as their longest text (and the strip), the window as
// large as the columns and rows need, within the work area of its monitor:
// at `at`'s top left when given (a DPI change's suggestion), else centred
// on its owner's monitor.
void PackChooser::FitToContent(const RECT* at) {
    HWND list = GetDlgItem(dialog_, kListId);
    const int padding = Px(16);
    int nameWidth = ListView_GetStringWidth(list, L"方案") + padding;
    int placeWidth = ListView_GetStringWidth(list, L"位置") + padding;
    for (const Desktop::PackChoice& choice : choices_) {
        nameWidth = std::max(nameWidth, ListView_GetStringWidth(list, choice.name.c_str()) + padding);
        placeWidth = std::max(placeWidth, ListView_GetStringWidth(list, choice.place.c_str()) + padding);
    }
    const int strip = SchemeStrip::Width(IconSize(), dpi_);
    ListView_SetColumnWidth(list, kNameColumn, nameWidth + IconSize() / 2);
    ListView_SetColumnWidth(list, kPlaceColumn, placeWidth);
    ListView_SetColumnWidth(list, kPointerColumn, strip);

    // The list's own rows: as many as there are packs under the header,
    // down to the last row's foot as the list places it (its estimate of the
    // view leaves the last row half hidden), and the list's border.
    const int listWidth = nameWidth + IconSize() / 2 + placeWidth + strip + GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_) +
                          Px(4);
    int rows = 0;
    RECT first{};
    RECT last{};
    if (!choices_.empty() && ListView_GetItemRect(list, 0, &first, LVIR_BOUNDS) &&
        ListView_GetItemRect(list, static_cast<int>(choices_.size()) - 1, &last, LVIR_BOUNDS)) {
        rows = static_cast<int>(last.bottom - first.top);
    }
    RECT header{};
    GetWindowRect(ListView_GetHeader(list), &header);
    RECT outer{};
    RECT inner{};
    GetWindowRect(list, &outer);
    GetClientRect(list, &inner);
    const int border = static_cast<int>(outer.bottom - outer.top - inner.bottom);
    const int listHeight = static_cast<int>(header.bottom - header.top) + rows + border + Px(4);
    RECT frame{0, 0, listWidth + 2 * Px(kMargin),
               Px(kMargin) + Px(kPromptHeight) + listHeight + Px(kMargin) + Px(kButtonHeight) + Px(kMargin)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi_);
    HWND owner = GetWindow(dialog_, GW_OWNER);
    MONITORINFO monitor{sizeof(monitor)};
    const HMONITOR on = at != nullptr ? MonitorFromRect(at, MONITOR_DEFAULTTONEAREST)
                                      : MonitorFromWindow(owner != nullptr ? owner : dialog_, MONITOR_DEFAULTTONEAREST);
    GetMonitorInfoW(on, &monitor);
    const RECT& work = monitor.rcWork;
    const int w = std::clamp(static_cast<int>(frame.right - frame.left), Px(kMinWidth),
                             static_cast<int>(work.right - work.left));
    // Narrowed to the work area, the list scrolls sideways: its scroll bar
    // takes the foot of the list, not the last row.
    const bool narrowed = frame.right - frame.left > work.right - work.left;
    const int sideways = narrowed ? GetSystemMetricsForDpi(SM_CYHSCROLL, dpi_) : 0;
    const int h = std::clamp(static_cast<int>(frame.bottom - frame.top) + sideways, Px(kMinHeight),
                             static_cast<int>(work.bottom - work.top));
    int x = work.left + (work.right - work.left - w) / 2;
    int y = work.top + (work.bottom - work.top - h) / 2;
    if (at != nullptr) {
        x = std::clamp(static_cast<int>(at->left), static_cast<int>(work.left), static_cast<int>(work.right) - w);
        y = std::clamp(static_cast<int>(at->top), static_cast<int>(work.top), static_cast<int>(work.bottom) - h);
    }
    SetWindowPos(dialog_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

// The prompt at the top, the buttons at the bottom right, the list between;
// the place column takes what the width gives or lacks.
void PackChooser::Layout() {
    const int margin = Px(kMargin);
    const ButtonRow buttons =
        PlaceButtonRow(dialog_, {IDCANCEL, IDOK}, margin, SIZE{Px(kButtonWidth), Px(kButtonHeight)}, Px(6));
    const int bottom = buttons.top;
    const int width = std::max(0, static_cast<int>(buttons.client.right) - 2 * margin);
    MoveWindow(GetDlgItem(dialog_, kPromptId), margin, margin, width, Px(kPromptHeight), TRUE);
    const int top = margin + Px(kPromptHeight);
    HWND list = GetDlgItem(dialog_, kListId);
    MoveWindow(list, margin, top, width, std::max(0, bottom - margin - top), TRUE);
    const int others = ListView_GetColumnWidth(list, kNameColumn) + ListView_GetColumnWidth(list, kPointerColumn);
    const int place = width - others - GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_) - Px(4);
    ListView_SetColumnWidth(list, kPlaceColumn, std::max(Px(60), place));
}

LRESULT PackChooser::CustomDraw(NMLVCUSTOMDRAW& draw) {
    return DrawOwnColumn(draw, GetDlgItem(dialog_, kListId), kPointerColumn, choices_.size(),
                         [this](HDC dc, const RECT& cell, size_t row) {
                             SchemeStrip& strip = strips_[row];
                             if (!strip.prepared()) {
                                 strip.Prepare(previews_, choices_[row].files, {}, IconSize(), PointerPixelsHere(dpi_));
                             }
                             strip.Draw(dc, cell, IconSize(), dpi_, previews_.ScratchDC());
                         });
}

void PackChooser::Take(HWND dialog, int item) {
    const int selected = item >= 0 ? item : ListView_GetNextItem(GetDlgItem(dialog, kListId), -1, LVNI_SELECTED);
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
        ProbeDialog(dialog);
        return FALSE;  // the focus is set
    case WM_DESTROY:
        // The list would destroy its image list; it is ours.
        if (self != nullptr && self->rowImages_ != nullptr) {
            ListView_SetImageList(GetDlgItem(dialog, kListId), nullptr, LVSIL_SMALL);
            ImageList_Destroy(self->rowImages_);
            self->rowImages_ = nullptr;
        }
        break;
    case WM_SIZE:
        if (self != nullptr && self->dialog_ != nullptr) self->Layout();
        return TRUE;
    case WM_DPICHANGED:
        // Moved to a display of another scale: sized to the content again
        // there, from where Windows suggests.
        if (self != nullptr && self->dialog_ != nullptr) {
            self->dpi_ = HIWORD(wParam);
            self->ApplyDpi();
            self->FitToContent(reinterpret_cast<const RECT*>(lParam));
            InvalidateRect(GetDlgItem(dialog, kListId), nullptr, TRUE);
        }
        return TRUE;
    case WM_GETMINMAXINFO:
        if (self != nullptr && self->dialog_ != nullptr) {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {self->Px(kMinWidth), self->Px(kMinHeight)};
        }
        return TRUE;
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
        if (header->idFrom != kListId || self == nullptr) break;
        if (header->code == LVN_ITEMACTIVATE) {
            // The row activated: the one double-clicked.
            self->Take(dialog, reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
            return TRUE;
        }
        if (header->code == NM_CUSTOMDRAW) {
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT,
                              self->CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header))));
            return TRUE;
        }
        break;
    }
    }
    return RunProbe(dialog, message) ? TRUE : FALSE;
}

}  // namespace shubiao

// 方案库: the schemes of Windows' two lists in a list-view, one row each:
// the name, 系统 or 用户, and a strip of the scheme's pointers (first
// frames, small, in Windows' order) with a mark on each role whose file is
// refused, missing or unusable. A row's previews are made when the row is
// first drawn, from the checked bytes (PreviewCache); a path refused by its
// text is never handed to a file function.
//
// The dialog is resizable and keeps its size, in 96-DPI units, under
// HKCU\Software\ShuBiao; it follows WM_DPICHANGED. 使用 (the default
// button: Enter, or a double-click on a row) closes it and hands the scheme
// to the editor; 删除 removes a user scheme's entry after a confirmation;
// 关闭 (Escape) closes it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/Desktop.h"
#include "editor/DialogTemplate.h"
#include "editor/EditorParts.h"
#include "editor/PreviewCache.h"
#include "editor/SizeMark.h"
#include "editor/SchemeDialogs.h"
#include "editor/SchemeStrip.h"
#include "scheme/Actions.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/PointerSizeSetting.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/formats/SchemeOrder.h"
#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao {
namespace {

constexpr std::wstring_view kSettingsKey = L"HKEY_CURRENT_USER\\Software\\ShuBiao";
constexpr std::wstring_view kWidthValue = L"LibraryWidth";
constexpr std::wstring_view kHeightValue = L"LibraryHeight";
// Sizes in 96-DPI pixels.
constexpr int kDefaultWidth = 560;
constexpr int kDefaultHeight = 380;
constexpr int kMinWidth = 360;
constexpr int kMinHeight = 220;
constexpr int kMargin = 10;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

enum Column { kNameColumn, kSourceColumn, kPointerColumn, kStateColumn };

std::optional<int> ReadSize(std::wstring_view name) {
    std::wstring text;
    if (registry::KeyReader(kSettingsKey).Read(name, text) != ERROR_SUCCESS) return std::nullopt;
    if (text.empty() || text.size() > 5 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return std::nullopt;
    }
    return std::stoi(text);
}

class LibraryDialog {
public:
    LibraryDialog(SchemeHolder& editor, Desktop& desktop) : editor_(editor), desktop_(desktop) {}

    void Show(const std::function<void(const library::SchemeEntry&)>& use) {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        DialogTemplate t(kLibraryDialogTitle, 300, 180,
                         DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN);
        t.Add(WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0, 10, 10, kLibraryListId,
              0, L"", WC_LISTVIEWW);
        t.Add(SS_LEFT | SS_NOPREFIX, 0, 0, 10, 10, kLibraryNoteId, DialogTemplate::kStatic, L"");
        t.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10, IDOK, DialogTemplate::kButton, L"使用(&U)");
        t.Add(BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10, kLibraryDeleteId, DialogTemplate::kButton, L"删除(&D)");
        t.Add(BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10, IDCANCEL, DialogTemplate::kButton, L"关闭");
        const INT_PTR answer = t.Run(editor_.Owner(), &LibraryDialog::Procedure, reinterpret_cast<LPARAM>(this));
        // The scheme is taken once the dialog is gone, so that what the editor
        // says about it is owned by the editor's window.
        if (answer == IDOK && chosen_) use(*chosen_);
    }

private:
    // One row: the entry and, once the row was drawn, its previews and the
    // problem of each role (Windows' order).
    struct Row {
        library::SchemeEntry entry;
        SchemeStrip strip;
    };

    HWND List() const { return GetDlgItem(dialog_, kLibraryListId); }
    int Px(int pixels96) const { return MulDiv(pixels96, static_cast<int>(dpi_), 96); }
    int IconSize() const { return GetSystemMetricsForDpi(SM_CXSMICON, dpi_); }

    void Init(HWND dialog) {
        dialog_ = dialog;
        dpi_ = GetDpiForWindow(dialog);
        if (dpi_ == 0) dpi_ = 96;
        pointerPixels_ = PointerPixelsHere(dpi_);
        HWND list = List();
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
        SetWindowTextW(list, L"方案");  // the name screen readers give the list
        const wchar_t* const headings[] = {L"名称", L"来源", L"指针", L"状态"};
        for (int i = 0; i < 4; ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = const_cast<wchar_t*>(headings[i]);
            ListView_InsertColumn(list, i, &column);
        }
        ApplyDpi();
        // The size kept from last time, else the default; within the screen.
        const int width = Px(std::max(ReadSize(kWidthValue).value_or(kDefaultWidth), kMinWidth));
        const int height = Px(std::max(ReadSize(kHeightValue).value_or(kDefaultHeight), kMinHeight));
        MONITORINFO monitor{sizeof(monitor)};
        GetMonitorInfoW(MonitorFromWindow(GetWindow(dialog, GW_OWNER) ? GetWindow(dialog, GW_OWNER) : dialog,
                                          MONITOR_DEFAULTTONEAREST),
                        &monitor);
        const RECT& work = monitor.rcWork;
        const int w = std::min(width, static_cast<int>(work.right - work.left));
        const int h = std::min(height, static_cast<int>(work.bottom - work.top));
        SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - w) / 2,
                     work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        Reload();
        SelectInForce();
        SetFocus(list);
        ProbeDialog(dialog);
    }

    // The list read afresh; the row of `keep` (a name) selected when it is still there.
    void Reload(const std::wstring& keep = {}) {
        library::SchemeListing listing = library::ReadSchemeLists();
        // The system's schemes first, then the user's, each by name as the
        // user's language orders names.
        std::stable_sort(listing.schemes.begin(), listing.schemes.end(),
                         [](const library::SchemeEntry& a, const library::SchemeEntry& b) {
                             if (a.source != b.source) return a.source == library::Source::System;
                             return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.name.c_str(),
                                                    static_cast<int>(a.name.size()), b.name.c_str(),
                                                    static_cast<int>(b.name.size()), nullptr, nullptr,
                                                    0) == CSTR_LESS_THAN;
                         });
        rows_.clear();
        for (library::SchemeEntry& entry : listing.schemes) rows_.push_back(Row{std::move(entry)});
        const library::InForce inForce = library::ReadInForce();
        HWND list = List();
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(list);
        for (size_t i = 0; i < rows_.size(); ++i) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<wchar_t*>(rows_[i].entry.name.c_str());
            ListView_InsertItem(list, &item);
            const wchar_t* source = rows_[i].entry.source == library::Source::System ? L"系统" : L"用户";
            ListView_SetItemText(list, static_cast<int>(i), kSourceColumn, const_cast<wchar_t*>(source));
            // The scheme in force, as Windows records it: its name and its list.
            const library::SchemeEntry& entry = rows_[i].entry;
            if (!inForce.name.empty() && EqualNoCase(entry.name, inForce.name) &&
                static_cast<DWORD>(entry.source) == inForce.source) {
                ListView_SetItemText(list, static_cast<int>(i), kStateColumn, const_cast<wchar_t*>(L"正在使用"));
            }
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        SetDlgItemTextW(dialog_, kLibraryNoteId,
                        listing.leftOut ? L"方案太多，只列出了每个列表的前 1000 个。" : L"");
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (!keep.empty() && EqualNoCase(rows_[i].entry.name, keep)) Select(static_cast<int>(i));
        }
        if (ListView_GetNextItem(list, -1, LVNI_SELECTED) < 0 && !rows_.empty()) Select(0);
        UpdateButtons();
    }

    void Select(int index) {
        HWND list = List();
        ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, index, FALSE);
    }

    void SelectInForce() {
        const library::InForce inForce = library::ReadInForce();
        if (inForce.name.empty()) return;
        for (size_t i = 0; i < rows_.size(); ++i) {
            const library::SchemeEntry& entry = rows_[i].entry;
            if (EqualNoCase(entry.name, inForce.name) && static_cast<DWORD>(entry.source) == inForce.source) {
                Select(static_cast<int>(i));
                return;
            }
        }
    }

    int Selected() const { return ListView_GetNextItem(List(), -1, LVNI_SELECTED); }

    void UpdateButtons() {
        const int selected = Selected();
        const bool any = selected >= 0 && static_cast<size_t>(selected) < rows_.size();
        EnableWindow(GetDlgItem(dialog_, IDOK), any);
        EnableWindow(GetDlgItem(dialog_, kLibraryDeleteId),
                     any && rows_[static_cast<size_t>(selected)].entry.source == library::Source::User);
    }

    // The font, the rows' height and the columns for dpi_.
    void ApplyDpi() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi_)) {
            UniqueFont font(CreateFontIndirectW(&metrics.lfMessageFont));
            if (font) {
                for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
                    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
                }
                font_ = std::move(font);
            }
        }
        // An image list of this height makes the rows tall enough for the strip.
        HIMAGELIST rows = ImageList_Create(1, IconSize() + Px(6), ILC_COLOR32, 0, 0);
        HIMAGELIST old = ListView_SetImageList(List(), rows, LVSIL_SMALL);
        if (old != nullptr) ImageList_Destroy(old);
        rowImages_ = rows;
        // Previews at the new size are made when the rows are drawn again.
        for (Row& row : rows_) row.strip.Forget();
        previews_.Clear();
        Layout();
    }

    void Layout() {
        const int margin = Px(kMargin);
        const int buttonHeight = Px(kButtonHeight);
        const ButtonRow buttons = PlaceButtonRow(dialog_, {IDCANCEL, static_cast<int>(kLibraryDeleteId), IDOK},
                                                 margin, SIZE{Px(kButtonWidth), buttonHeight}, Px(6));
        // The note takes the width left of the buttons, one gap short of them.
        MoveWindow(GetDlgItem(dialog_, kLibraryNoteId), margin, buttons.top + Px(4),
                   std::max(0, buttons.left - Px(6) - margin), buttonHeight, TRUE);
        const int listWidth = std::max(0, static_cast<int>(buttons.client.right) - 2 * margin);
        MoveWindow(List(), margin, margin, listWidth, std::max(0, buttons.top - 2 * margin), TRUE);
        const int strip = SchemeStrip::Width(IconSize(), dpi_);
        const int source = Px(48);
        const int state = Px(64);
        const int name =
            std::max(Px(80), listWidth - strip - source - state - GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_) - Px(4));
        ListView_SetColumnWidth(List(), kNameColumn, name);
        ListView_SetColumnWidth(List(), kSourceColumn, source);
        ListView_SetColumnWidth(List(), kPointerColumn, strip);
        ListView_SetColumnWidth(List(), kStateColumn, state);
    }

    // The row's files read and checked, and their first frames made, each
    // file read once (the cache checks it as any pointer file is checked: a
    // missing file, a folder or a file the checker refuses gives no strip).
    // A slot refused by its text is marked without a look at the disk.
    void Prepare(Row& row) {
        std::array<std::wstring, kRoleCount> files;
        std::array<bool, kRoleCount> refused{};
        for (const CursorRole& role : kRoles) {
            const schemes::SlotState state = row.entry.SlotOf(role.number).state;
            refused[RoleIndex(role.number)] =
                row.entry.state != schemes::ValueState::Read || state == schemes::SlotState::Refused;
            if (state == schemes::SlotState::Path) files[RoleIndex(role.number)] = row.entry.FileOf(role.number);
        }
        row.strip.Prepare(previews_, files, refused, IconSize(), pointerPixels_);
    }

    void DrawStrip(HDC dc, const RECT& cell, Row& row) {
        if (!row.strip.prepared()) Prepare(row);
        row.strip.Draw(dc, cell, IconSize(), dpi_, previews_.ScratchDC());
    }

    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) {
        return DrawOwnColumn(draw, List(), kPointerColumn, rows_.size(),
                             [this](HDC dc, const RECT& cell, size_t row) { DrawStrip(dc, cell, rows_[row]); });
    }

    void Use() {
        const int selected = Selected();
        if (selected < 0 || static_cast<size_t>(selected) >= rows_.size()) return;
        chosen_ = rows_[static_cast<size_t>(selected)].entry;
        Close(IDOK);
    }

    void Delete() {
        const int selected = Selected();
        if (selected < 0 || static_cast<size_t>(selected) >= rows_.size()) return;
        const library::SchemeEntry& entry = rows_[static_cast<size_t>(selected)].entry;
        if (entry.source != library::Source::User) return;
        const std::wstring name = entry.name;
        if (desktop_.MessageBox(dialog_, L"是否从方案库中删除“" + name + L"”？\n\n方案的文件不会删除。", kMessageTitle,
                                MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
            return;
        }
        const std::unique_ptr<WriterLock> lock = editor_.TakeWriterLock();
        if (!lock) return;
        if (const LSTATUS status = DeleteScheme(*lock, name); status != ERROR_SUCCESS) {
            desktop_.MessageBox(dialog_, L"无法删除方案“" + name + L"”（" + ErrorText(static_cast<DWORD>(status)) + L"）。",
                                kMessageTitle, MB_OK | MB_ICONWARNING);
        }
        // The row after it takes its place.
        const std::wstring next = static_cast<size_t>(selected) + 1 < rows_.size()
                                      ? rows_[static_cast<size_t>(selected) + 1].entry.name
                                      : std::wstring();
        Reload(next);
        SetFocus(List());
    }

    void KeepSize() {
        RECT r{};
        if (!GetWindowRect(dialog_, &r)) return;
        registry::KeyWriter writer(kSettingsKey);
        writer.WriteDword(kWidthValue, static_cast<DWORD>(MulDiv(r.right - r.left, 96, static_cast<int>(dpi_))));
        writer.WriteDword(kHeightValue, static_cast<DWORD>(MulDiv(r.bottom - r.top, 96, static_cast<int>(dpi_))));
    }

    void Close(INT_PTR answer) {
        KeepSize();
        EndDialog(dialog_, answer);
    }

    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<LibraryDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<LibraryDialog*>(lParam)->Init(dialog);
            return FALSE;  // the focus is set
        }
        if (self == nullptr) return FALSE;
        switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDOK:
                self->Use();
                return TRUE;
            case kLibraryDeleteId:
                self->Delete();
                return TRUE;
            case IDCANCEL:
                self->Close(IDCANCEL);
                return TRUE;
            default:
                break;
            }
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->idFrom != kLibraryListId) break;
            if (header->code == NM_CUSTOMDRAW) {
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, self->CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
                return TRUE;
            }
            if (header->code == LVN_ITEMACTIVATE) {
                self->Use();
                return TRUE;
            }
            if (header->code == LVN_ITEMCHANGED) self->UpdateButtons();
            break;
        }
        case WM_SIZE:
            self->Layout();
            return TRUE;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {self->Px(kMinWidth), self->Px(kMinHeight)};
            return TRUE;
        }
        case WM_DPICHANGED: {
            self->dpi_ = HIWORD(wParam);
            self->pointerPixels_ = PointerPixelsHere(self->dpi_);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            self->ApplyDpi();
            InvalidateRect(self->List(), nullptr, TRUE);
            return TRUE;
        }
        case WM_DESTROY:
            if (self->rowImages_ != nullptr) {
                ListView_SetImageList(self->List(), nullptr, LVSIL_SMALL);
                ImageList_Destroy(self->rowImages_);
                self->rowImages_ = nullptr;
            }
            break;
        }
        return RunProbe(dialog, message) ? TRUE : FALSE;
    }

    SchemeHolder& editor_;
    Desktop& desktop_;
    HWND dialog_ = nullptr;
    UINT dpi_ = 96;
    std::uint32_t pointerPixels_ = 32;  // what Windows draws the pointer at on the dialog's display
    std::vector<Row> rows_;
    PreviewCache previews_;
    UniqueFont font_;
    HIMAGELIST rowImages_ = nullptr;
    std::optional<library::SchemeEntry> chosen_;
};

}  // namespace

void ShowSchemeLibrary(SchemeHolder& editor, Desktop& desktop,
                       const std::function<void(const library::SchemeEntry&)>& use) {
    LibraryDialog(editor, desktop).Show(use);
}

}  // namespace shubiao

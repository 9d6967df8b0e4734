// 另存为方案's name dialog, made from a template in memory, and the probe
// through which tests reach the scheme dialogs.
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "editor/DialogTemplate.h"
#include "editor/SchemeDialogs.h"
#include "win/Text.h"

namespace shubiao {
namespace {

std::function<void(HWND)> g_probe;

class NameDialog {
public:
    explicit NameDialog(std::wstring name) : name_(std::move(name)) {}

    std::optional<std::wstring> Show(HWND owner) {
        DialogTemplate t(kNameDialogTitle, 220, 62, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        t.Add(SS_LEFT, 7, 7, 206, 10, 0xFFFF, DialogTemplate::kStatic, L"方案名(&N)：");
        t.Add(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 206, 14, kNameEditId, DialogTemplate::kEdit, L"");
        t.Add(BS_DEFPUSHBUTTON | WS_TABSTOP, 106, 41, 50, 14, IDOK, DialogTemplate::kButton, L"确定");
        t.Add(BS_PUSHBUTTON | WS_TABSTOP, 163, 41, 50, 14, IDCANCEL, DialogTemplate::kButton, L"取消");
        const INT_PTR answer = t.Run(owner, &NameDialog::Procedure, reinterpret_cast<LPARAM>(this));
        if (answer != IDOK) return std::nullopt;
        return typed_;
    }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<NameDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            self = reinterpret_cast<NameDialog*>(lParam);
            HWND edit = GetDlgItem(dialog, kNameEditId);
            SendMessageW(edit, EM_SETLIMITTEXT, 256, 0);
            SetWindowTextW(edit, self->name_.c_str());
            SendMessageW(edit, EM_SETSEL, 0, -1);
            SetFocus(edit);
            ProbeDialog(dialog);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && self != nullptr) {
                self->typed_ = WindowText(GetDlgItem(dialog, kNameEditId));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        }
        return RunProbe(dialog, message) ? TRUE : FALSE;
    }

    std::wstring name_;
    std::wstring typed_;
};

}  // namespace

void ProbeDialog(HWND dialog) {
    if (g_probe) PostMessageW(dialog, kProbeMessage, 0, 0);
}

// The probe sees the dialog as the user does: shown and drawn (a modal
// dialog is otherwise shown only once its queue is first empty).
bool RunProbe(HWND dialog, UINT message) {
    if (message != kProbeMessage) return false;
    if (g_probe) {
        ShowWindow(dialog, SW_SHOW);
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        g_probe(dialog);
    }
    return true;
}

ScopedDialogProbe::ScopedDialogProbe(std::function<void(HWND dialog)> probe) { g_probe = std::move(probe); }

ScopedDialogProbe::~ScopedDialogProbe() { g_probe = nullptr; }

std::optional<std::wstring> ShowSchemeNameDialog(HWND owner, const std::wstring& name) {
    return NameDialog(name).Show(owner);
}

}  // namespace shubiao

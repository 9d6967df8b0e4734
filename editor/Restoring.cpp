// Restore: back to the Windows default pointers (scheme/Restore.h does the
// work; the editor adds the prompt, Mouse Properties and the reload).
//
// The whole restore tells the user nothing after the confirmation: every step
// that fails (a value that is not there, a file that will not go, a program
// that does not start) is skipped and the next step runs.
#include <memory>
#include <utility>

#include "editor/ShuBiaoKong.h"
#include "scheme/Restore.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kRestorePrompt = L"是否还原鼠标指针";
// Opens the Mouse Properties dialog; Timer1 and Timer2 confirm it.
constexpr const wchar_t* kMousePropertiesCommand = L"cmd.exe  /c main.cpl @0,1";

// Runs one step of the restore; whatever it throws is dropped.
template <typename Step>
void Skipping(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (...) {
    }
}

}  // namespace

void ShuBiaoKong::HuanYuan_SB_Click() { HuanYuan_ShuBiaoZhiZhen(); }

void ShuBiaoKong::HuanYuan_ShuBiaoZhiZhen() {
    if (waitingForLock_) return;
    // Where the keyboard was: Mouse Properties, started below, takes the
    // activation away, and the window takes it back when that is done.
    restoreFocus_ = GetFocus();
    int answer = 0;
    Skipping([&] { answer = desktop_.MessageBox(hwnd(), kRestorePrompt, kMessageTitle, MB_OKCANCEL); });
    if (answer != IDOK) return;
    // Held while the settings and the files change; Mouse Properties and its
    // confirmation come after and write nothing of ours.
    std::unique_ptr<WriterLock> lock;
    Skipping([&] { lock = TakeWriterLock(); });
    if (!lock) return;
    Skipping([&] { HuiFuMoRen(*lock); });
    // The files Apply copied go after the editor has been re-initialised.
    RemoveAppliedFiles(*lock);
    TakeBackFocus(hwnd(), restoreFocus_);
}

// The window active again, the focus where it was before 还原. Windows lets
// a program bring its window to the front while the user's last input was
// its own (SetForegroundWindow's conditions: the calling process received
// the last input event), as it was when 还原 was pressed.
void TakeBackFocus(HWND control, HWND focus) {
    HWND top = GetAncestor(control, GA_ROOT);
    if (top == nullptr || !IsWindowVisible(top)) return;
    if (GetForegroundWindow() != top) SetForegroundWindow(top);
    if (focus != nullptr && IsWindow(focus) && IsChild(top, focus) &&
        IsWindowVisible(focus)) {
        SetFocus(focus);
    }
}

// Clears the per-role settings and Windows' record of a named scheme in
// force, and has Windows reload its pointers from them; the Mouse Properties
// dialog, confirmed by the timers, does the same on systems where that is
// needed. The editor then shows the installed fallbacks.
void ShuBiaoKong::HuiFuMoRen(const WriterLock& lock) {
    ClearRoleSettings(lock);
    // A refusal is not the user's concern: the dialog below reloads them too.
    Skipping([this] { desktop_.ReloadSystemCursors(); });
    Skipping([this] { desktop_.StartProgram(kMousePropertiesCommand, SW_SHOWMINIMIZED); });
    Skipping([this] {
        restoreStarted_ = desktop_.Milliseconds();
        timer1_.SetEnabled(hwnd(), true);
    });
    Skipping([this] { ChuShiShuBiao(); });
}

}  // namespace shubiao

// Confirming the Mouse Properties dialog without showing it.
//
// After a restore Timer1 polls for the dialog's window; once found it is
// hidden and sent Enter, and Timer2 takes over to confirm the question that
// may follow, for as long as that window exists. Timer1 gives up when no
// such window appeared within kDialogWait of the restore: on a system whose
// dialog has another title, or when it did not start, a window of that
// title that the user opens later is the user's own.
#include <cstdint>
#include <cwchar>

#include "editor/ShuBiaoKong.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kMousePropertiesTitle = L"鼠标 属性";
constexpr const wchar_t* kReplaceSchemeTitle = L"是否替换方案?";
// Deliberately bounded: past this a window of that title is not ours to press.
constexpr ULONGLONG kDialogWait = 15000;  // ms

// lParam of a first press of the main Enter key: repeat count 1, the key's
// scan code in bits 16-23, not extended, key was up.
LPARAM EnterKeyDownLParam() {
    const UINT scanCode = MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC);
    return static_cast<LPARAM>(1u | ((scanCode & 0xFFu) << 16));
}

// AnXiaHuiChe's answer: a window handle as decimal text, "0" for none.
bool Found(const std::wstring& handleText) { return std::wcstoll(handleText.c_str(), nullptr, 10) != 0; }

}  // namespace

void ShuBiaoKong::Timer1_Timer() {
    if (desktop_.Milliseconds() - restoreStarted_ >= kDialogWait) {  // none appeared in time
        timer1_.SetEnabled(hwnd(), false);
        TakeBackFocus(hwnd(), restoreFocus_);
        return;
    }
    if (!Found(AnXiaHuiChe(kMousePropertiesTitle))) return;  // not there yet: keep polling
    // Pressed twice on purpose: the first Enter can reach the dialog before
    // it takes keys, and a second Enter to a dialog already closing does nothing.
    AnXiaHuiChe(kMousePropertiesTitle);
    // Timer2 goes on before Timer1 goes off, so no tick of either is lost.
    timer2_.SetEnabled(hwnd(), true);
    timer1_.SetEnabled(hwnd(), false);
}

void ShuBiaoKong::Timer2_Timer() {
    if (Found(AnXiaHuiChe(kReplaceSchemeTitle))) {
        AnXiaHuiChe(kReplaceSchemeTitle);  // twice, as in Timer1_Timer
        return;
    }
    timer2_.SetEnabled(hwnd(), false);
    TakeBackFocus(hwnd(), restoreFocus_);
}

// Hides the top-level window with exactly this title and posts it one Enter
// key-down. Returns its handle as decimal text, "0" when there is none.
std::wstring ShuBiaoKong::AnXiaHuiChe(const std::wstring& title) {
    HWND window = FindWindowW(nullptr, title.c_str());
    if (window == nullptr) return L"0";
    ShowWindow(window, SW_HIDE);
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, EnterKeyDownLParam());
    return std::to_wstring(reinterpret_cast<intptr_t>(window));
}

}  // namespace shubiao

#include "editor/StatusLine.h"

#include <oleacc.h>

#include <utility>

#include "win/Raii.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kOwnerProperty = L"ShuBiao.StatusLine";
constexpr UINT_PTR kExpireTimer = 1;

// UI Automation's LiveSetting property, and its value Polite: the reader
// speaks the change when it is done speaking (UIAutomationCore.h; not in
// every SDK's headers).
// {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}
constexpr GUID kLiveSettingProperty{0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;
// oleacc's class and interface (oleacc.h), spelt out here so that the
// program does not link the library for two GUIDs.
constexpr GUID kAccPropServices{0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIAccPropServices{0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};

// Marks `control` as a live region, as Microsoft describes for Win32 controls
// ("How to have important changes in your Win32 UI announced by Narrator",
// learn.microsoft.com/archive/blogs/winuiautomation): the LiveSetting
// property set on the control's client object through Dynamic Annotation
// (IAccPropServices::SetHwndProp), then EVENT_OBJECT_LIVEREGIONCHANGED raised
// whenever its text changes. Without COM or oleacc the line is still shown
// and its name still changes (EVENT_OBJECT_NAMECHANGE).
void MarkLiveRegion(HWND control) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                reinterpret_cast<void**>(&services))) ||
        services == nullptr) {
        return;
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = kPolite;
    services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSettingProperty, value);
    services->Release();
}

// The button is a tab stop only while it is shown.
void SetTabStop(HWND window, bool on) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, on ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

}  // namespace

StatusLine::~StatusLine() {
    if (text_ != nullptr && IsWindow(text_)) {
        KillTimer(text_, kExpireTimer);
        RemovePropW(text_, kOwnerProperty);
    }
}

void StatusLine::Create(HWND parent) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    text_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | SS_PATHELLIPSIS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), instance,
                            nullptr);
    open_ = CreateWindowExW(0, L"BUTTON", kOpenCaption, WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOpenId)), instance, nullptr);
    if (text_ == nullptr || open_ == nullptr) return;
    SetPropW(text_, kOwnerProperty, this);
}

void StatusLine::Place(const RECT& text, const RECT& button, HFONT font) {
    for (const auto& [window, r] : {std::pair{text_, text}, std::pair{open_, button}}) {
        if (window == nullptr) continue;
        SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void StatusLine::Show(const std::wstring& text, const std::wstring& folder) {
    shown_ = text;
    folder_ = folder;
    if (text_ == nullptr) return;
    SetWindowTextW(text_, text.c_str());
    ShowWindow(text_, SW_SHOWNA);
    SetTabStop(open_, !folder.empty());
    ShowWindow(open_, folder.empty() ? SW_HIDE : SW_SHOWNA);
    InvalidateRect(text_, nullptr, TRUE);
    // Marked when first shown, not when made: COM's accessibility server
    // (oleacc) is loaded when there is something to say, not at start-up.
    if (!live_) {
        MarkLiveRegion(text_);
        live_ = true;
    }
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, text_, OBJID_CLIENT, CHILDID_SELF);
    SetTimer(text_, kExpireTimer, duration_, &StatusLine::Expire);
}

void StatusLine::Hide() {
    if (text_ == nullptr) return;
    KillTimer(text_, kExpireTimer);
    // The focus does not go with the button: it moves on to the next control.
    if (GetFocus() == open_) SetFocus(GetNextDlgTabItem(GetParent(open_), open_, FALSE));
    ShowWindow(open_, SW_HIDE);
    SetTabStop(open_, false);
    ShowWindow(text_, SW_HIDE);
    shown_.clear();
    folder_.clear();
}

void CALLBACK StatusLine::Expire(HWND window, UINT, UINT_PTR, DWORD) {
    if (auto* line = static_cast<StatusLine*>(GetPropW(window, kOwnerProperty))) {
        line->Hide();
    } else {
        KillTimer(window, kExpireTimer);
    }
}

bool StatusLine::Command(WPARAM wParam, LPARAM lParam) {
    if (open_ == nullptr || reinterpret_cast<HWND>(lParam) != open_ || HIWORD(wParam) != BN_CLICKED) return false;
    if (!folder_.empty()) desktop_.StartProgram(L"explorer.exe \"" + folder_ + L"\"", SW_SHOWNORMAL);
    return true;
}

HBRUSH StatusLine::Colours(HWND control, HDC dc) const {
    if (control != text_ || text_ == nullptr) return nullptr;
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    SetBkColor(dc, GetSysColor(COLOR_INFOBK));
    return GetSysColorBrush(COLOR_INFOBK);
}

}  // namespace shubiao

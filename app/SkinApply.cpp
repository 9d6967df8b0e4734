// Loading the skin in force and giving windows its look.
#include <windows.h>
#include <dwmapi.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "app/Skin.h"
#include "win/Fonts.h"
#include "win/Raii.h"

namespace shubiao {
namespace {

constexpr DWORD kMaxSkinBytes = 64 * 1024;

// DWM attributes of newer systems; older ones reject them, which is fine.
constexpr DWORD kDwmCornerPreference = 33;
constexpr DWORD kDwmBorderColor = 34;
constexpr DWORD kDwmCaptionColor = 35;
constexpr DWORD kDwmTextColor = 36;
constexpr int kCornerSquare = 1;
constexpr int kCornerRound = 2;

// A skin together with the GDI objects drawn with it.
struct Look {
    Skin skin;
    UniqueFont font;
    UINT fontDpi = 0;
    bool fontMissing = false;  // the skin names a face this system lacks
};
using LookPtr = std::shared_ptr<Look>;

LookPtr& Current() {
    static LookPtr current;
    return current;
}

// What the skin keeps for one window it draws: the look, and for a button
// whether the mouse is over it.
struct Hooked {
    LookPtr look;
    bool hot = false;
};

// The windows the skin draws, found without asking the system: a window
// property or comctl32's subclass list would cost a round trip to the window
// manager (a server call under Wine) for every message such a window gets.
// The skin only draws windows of the thread that shows them.
struct Hooks {
    WNDPROC original = nullptr;
    std::unique_ptr<Hooked> button;  // drawn as a skinned push button
    std::unique_ptr<Hooked> parent;  // draws its skinned buttons, paints the background
};

std::unordered_map<HWND, Hooks>& HookTable() {
    static std::unordered_map<HWND, Hooks> table;
    return table;
}

Hooked* ButtonHook(HWND window) {
    const auto found = HookTable().find(window);
    return found != HookTable().end() ? found->second.button.get() : nullptr;
}

COLORREF Or(const std::optional<COLORREF>& colour, int sysColour) {
    return colour ? *colour : GetSysColor(sysColour);
}

// The skin's font for a window's DPI when it names an installed face;
// otherwise nullptr and the window keeps its own font.
HFONT SkinFont(Look& look, HWND window) {
    if (!look.skin.fontName || look.fontMissing) return nullptr;
    UINT dpi = GetDpiForWindow(window);
    if (dpi == 0) dpi = 96;
    if (look.font && look.fontDpi == dpi) return look.font.get();
    if (look.fontDpi == 0 && !FontInstalled(*look.skin.fontName, DEFAULT_CHARSET)) {
        look.fontMissing = true;
        return nullptr;
    }
    const int points = look.skin.fontSize.value_or(9);
    look.font.reset(CreateFontW(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, look.skin.fontName->c_str()));
    look.fontDpi = dpi;
    return look.font.get();
}

void DrawButton(const DRAWITEMSTRUCT& item, Hooked& button) {
    const Skin& skin = button.look->skin;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const COLORREF face = pressed        ? Or(skin.buttonPressed, COLOR_3DSHADOW)
                          : button.hot   ? Or(skin.buttonHot, COLOR_3DLIGHT)
                                         : Or(skin.buttonFace, COLOR_BTNFACE);
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    {
        UniqueBrush fill(CreateSolidBrush(face));
        FillRect(dc, &r, fill.get());
        UniqueBrush frame(CreateSolidBrush(Or(skin.buttonBorder, COLOR_3DDKSHADOW)));
        FrameRect(dc, &r, frame.get());
    }
    HFONT font = SkinFont(*button.look, item.hwndItem);
    if (font == nullptr) font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item.hwndItem, text.data(), length + 1)));
    HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : Or(skin.buttonText, COLOR_BTNTEXT));
    RECT textRect = r;
    if (pressed) OffsetRect(&textRect, 1, 1);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (oldFont != nullptr) SelectObject(dc, oldFont);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

// A skinned button's own messages; nullopt passes the message on.
std::optional<LRESULT> ButtonMessage(HWND window, Hooked& self, UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!self.hot) {
            self.hot = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            InvalidateRect(window, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        self.hot = false;
        InvalidateRect(window, nullptr, FALSE);
        break;
    default:
        break;
    }
    return std::nullopt;
}

// Parents draw their skinned buttons; top-level windows paint the skin's
// background colour.
std::optional<LRESULT> ParentMessage(HWND window, Hooked& self, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        Hooked* button = item->CtlType == ODT_BUTTON ? ButtonHook(item->hwndItem) : nullptr;
        if (button == nullptr) break;
        DrawButton(*item, *button);
        return TRUE;
    }
    case WM_ERASEBKGND: {
        if (GetParent(window) != nullptr || !self.look->skin.windowBackground) break;
        RECT client{};
        GetClientRect(window, &client);
        UniqueBrush brush(CreateSolidBrush(*self.look->skin.windowBackground));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush.get());
        return 1;
    }
    default:
        break;
    }
    return std::nullopt;
}

LRESULT CALLBACK SkinProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = HookTable().find(window);
    if (found == HookTable().end()) return DefWindowProcW(window, message, wParam, lParam);
    Hooks& hooks = found->second;
    const WNDPROC original = hooks.original;
    if (message == WM_NCDESTROY) {
        // The window goes: its own procedure back, and the skin forgets it.
        if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SkinProcedure)) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        }
        HookTable().erase(found);
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    std::optional<LRESULT> handled;
    if (hooks.button) handled = ButtonMessage(window, *hooks.button, message);
    if (!handled && hooks.parent) handled = ParentMessage(window, *hooks.parent, message, wParam, lParam);
    return handled ? *handled : CallWindowProcW(original, window, message, wParam, lParam);
}

enum class HookKind { Button, Parent };

// Draws `window` with `look` as `kind`, or gives its existing hook the look.
void Hook(HWND window, HookKind kind, const LookPtr& look) {
    auto found = HookTable().find(window);
    if (found == HookTable().end()) {
        Hooks hooks;
        hooks.original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinProcedure)));
        if (hooks.original == nullptr) return;  // not a window this thread can draw
        found = HookTable().emplace(window, std::move(hooks)).first;
    }
    std::unique_ptr<Hooked>& hooked = kind == HookKind::Button ? found->second.button : found->second.parent;
    if (hooked) {
        hooked->look = look;
    } else {
        hooked = std::make_unique<Hooked>(Hooked{look});
    }
}

bool IsPushButton(HWND window) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (lstrcmpiW(className, L"Button") != 0) return false;
    const LONG_PTR type = GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

void SkinButton(HWND button, const LookPtr& look) {
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    Hook(button, HookKind::Button, look);
    Hook(GetParent(button), HookKind::Parent, look);
    InvalidateRect(button, nullptr, TRUE);
}

void SkinFrame(HWND window, const Skin& skin) {
    auto set = [window](DWORD attribute, const auto& value) {
        DwmSetWindowAttribute(window, attribute, &value, sizeof(value));  // refused by older systems
    };
    if (skin.captionColor) set(kDwmCaptionColor, *skin.captionColor);
    if (skin.captionText) set(kDwmTextColor, *skin.captionText);
    if (skin.borderColor) set(kDwmBorderColor, *skin.borderColor);
    if (skin.roundCorners) set(kDwmCornerPreference, *skin.roundCorners ? kCornerRound : kCornerSquare);
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

}  // namespace

int SkinH_AttachEx(const std::wstring& path, const std::wstring& password) {
    if (!password.empty()) return 1;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 2;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxSkinBytes) return 3;
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
                          read != text.size())) {
        return 3;
    }
    SkinParse parsed = ParseSkin(text);
    if (!parsed.skin) return 4;
    auto look = std::make_shared<Look>();
    look->skin = std::move(*parsed.skin);
    Current() = std::move(look);
    return 0;
}

int SkinH_SetAero(int enable) {
    const LookPtr look = Current();
    if (enable != 1 || !look) return 1;
    for (HWND top : ThreadWindows()) {
        if ((GetWindowLongPtrW(top, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) continue;
        SkinFrame(top, look->skin);
        Hook(top, HookKind::Parent, look);
        for (HWND child : Descendants(top)) {
            if (IsPushButton(child)) SkinButton(child, look);
        }
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return 0;
}

const Skin* ActiveSkin() { return Current() ? &Current()->skin : nullptr; }

void SkinH_Detach() { Current().reset(); }

}  // namespace shubiao

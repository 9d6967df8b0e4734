// The grid's tooltip: one common-controls tooltip window with one tool per
// box. The text is asked for each time the tip shows (TTN_GETDISPINFOW), so
// it always tells what the box shows now.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "editor/GridToolTip.h"
#include "editor/ShuBiaoKong.h"
#include "editor/SizeMark.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/formats/PointerSize.h"

namespace shubiao {
namespace {

constexpr UINT kToolTipDelayMs = 500;   // hover this long before the tip shows
constexpr const wchar_t* kDash = L" — ";
constexpr const wchar_t* kInstalledFallback = L"默认";
// The tip's second line: where the scheme library is found.
constexpr const wchar_t* kMenuHint = L"\n右键：方案库、另存为方案…";

}  // namespace

// The tooltip is made when the mouse first moves over a box: a start-up
// without it is quicker, and most sessions never hover long enough to see
// one. The boxes pass their mouse messages on to it themselves
// (TTM_RELAYEVENT) rather than have it subclass them, which would add a
// lookup to every message a box gets.
void GridToolTip::Ensure() {
    if (toolTip_ != nullptr || tried_ || grid_.Owner() == nullptr) return;
    tried_ = true;
    Create();
}

void GridToolTip::Relay(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        Ensure();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        break;
    default:
        return;
    }
    if (toolTip_ == nullptr) return;
    MSG relayed{box, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    relayed.pt.x = GET_X_LPARAM(static_cast<LPARAM>(GetMessagePos()));
    relayed.pt.y = GET_Y_LPARAM(static_cast<LPARAM>(GetMessagePos()));
    SendMessageW(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void GridToolTip::Create() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    // The grid works without tips: a tooltip that cannot be made is left out.
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, grid_.Owner(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (toolTip_ == nullptr) return;
    SendMessageW(toolTip_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(kToolTipDelayMs, 0));
    // A width makes the control break the text at its line feed.
    SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, 32767);
    for (const int role : layout::kBoxRoles) {
        // The size every version of the control accepts.
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = grid_.Owner();  // receives TTN_GETDISPINFOW
        tool.uId = reinterpret_cast<UINT_PTR>(grid_.Picture(role).hwnd());
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    UpdateFont();
}

void GridToolTip::Destroy() {
    if (toolTip_ != nullptr && IsWindow(toolTip_)) DestroyWindow(toolTip_);
    toolTip_ = nullptr;
}

// The system's tooltip size for the DPI, in the editor's Chinese face.
void GridToolTip::UpdateFont() {
    if (toolTip_ == nullptr) return;
    const UINT dpi = grid_.Dpi();
    LOGFONTW face{};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        face = metrics.lfStatusFont;
    } else {
        face.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
        face.lfWeight = FW_NORMAL;
    }
    if (const std::wstring& chinese = layout::FontFace(); !chinese.empty() && chinese.size() < LF_FACESIZE) {
        chinese.copy(face.lfFaceName, chinese.size());
        face.lfFaceName[chinese.size()] = L'\0';
        face.lfCharSet = GB2312_CHARSET;
    }
    UniqueFont font(CreateFontIndirectW(&face));
    if (!font) return;
    SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the old one only goes once the tip let go of it
}

bool GridToolTip::Notify(NMHDR& header) {
    if (toolTip_ == nullptr || header.hwndFrom != toolTip_ || header.code != TTN_GETDISPINFOW) return false;
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    const int role = grid_.RoleOfBox(reinterpret_cast<HWND>(header.idFrom));
    text_ = role != 0 ? grid_.BoxToolTip(role) : std::wstring();
    info.hinst = nullptr;
    info.lpszText = text_.data();
    return true;
}

// What the box shows, after the role's name: why a pending choice shows no
// preview or was not applied, "默认" for the installed fallback, or the file.
std::wstring ShuBiaoKong::BoxToolTip(int role) const {
    const CursorRole& cursorRole = Role(role);  // throws for a number outside the role table
    std::wstring shown;
    const std::wstring& file = scheme_.RoleCursorFile(role);
    if (scheme_.Pending(role) && !scheme_.PendingReason(role).empty()) {
        shown = scheme_.PendingReason(role);
    } else if (scheme_.Pending(role) && !PreviewProblem(role).empty()) {
        shown = PreviewProblem(role);
    } else if (!file.empty() && EqualNoCase(ExpandEnvironment(file), DataStorageFolder() + cursorRole.FileName())) {
        shown = kInstalledFallback;
    } else {
        shown = import_.ShownFile(file);
    }
    std::wstring text = cursorRole.Name();
    if (!shown.empty()) text += kDash + shown;
    // What the box shows is one line; the hint is the second.
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    }
    if (const PreviewStrip* strip = boxes_.Of(role).playing.strip; strip != nullptr) {
        if (const std::wstring sizes = SizesText(strip->sizes(), PointerPixelsShown()); !sizes.empty()) {
            text += L"\n" + sizes;
        }
    }
    return text + kMenuHint;
}

}  // namespace shubiao

// The preview grid for the keyboard and for screen readers.
//
// The grid is one tab stop: of the boxes only the one that has, or last had,
// the focus carries WS_TABSTOP, and the container is a control parent, so
// the dialog manager's Tab and Shift+Tab enter and leave the grid in one step
// and look inside it for that box. The boxes ask the dialog manager for the
// arrow keys, Enter and Space: the arrows move the focus between boxes,
// Enter and Space open the file dialog as a click does, Ctrl+Z undoes the
// last change to the pointers (asking first). The focused box
// shows the focus rectangle on screen, over its persistent image and
// following the keyboard-cue state. Each box's window text (given when it is
// made) is its role's name, which screen readers announce; the box never
// paints it.
#include "editor/GridKeys.h"

#include <algorithm>

#include "editor/Layout.h"
#include "editor/PictureBox.h"
#include "scheme/CursorRole.h"

namespace shubiao {
namespace {

// The focus rectangle lies this far inside the box (twips; 2 pixels at 96 DPI).
constexpr int kFocusInsetTwips = 30;

bool IsRepeat(LPARAM keyData) { return (keyData & (LPARAM{1} << 30)) != 0; }

}  // namespace

int GridNeighbour(int box, UINT key, int count, int columns) {
    if (columns <= 0 || box < 1 || box > count) return box;
    const int index = box - 1;
    const int lastRow = (count - 1) / columns;
    switch (key) {
    case VK_RIGHT:
        return box < count ? box + 1 : 1;
    case VK_LEFT:
        return box > 1 ? box - 1 : count;
    case VK_UP:
        return index >= columns ? box - columns : box;
    case VK_DOWN:
        if (index / columns == lastRow) return box;
        return std::min(index + columns, count - 1) + 1;
    default:
        return box;
    }
}

void GridKeyboard::SetUp() {
    HWND grid = grid_.Picture16().hwnd();
    SetWindowLongPtrW(grid, GWL_EXSTYLE, GetWindowLongPtrW(grid, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    for (int n = 1; n <= layout::kBoxCount; ++n) {
        PictureBox& box = boxes_.At(n).picture;
        box.onMessage = [this, n](UINT message, WPARAM wParam, LPARAM lParam) {
            return BoxMessage(n, message, wParam, lParam);
        };
        box.onPaintOnTop = [this, n](HDC dc) { PaintFocus(n, dc); };
    }
    SetTabStop(1);
    hidesFocus_ = (SendMessageW(boxes_.At(1).picture.hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
}

// Gives WS_TABSTOP to box number `box` and takes it from every other box.
void GridKeyboard::SetTabStop(int box) {
    for (int n = 1; n <= layout::kBoxCount; ++n) {
        HWND each = boxes_.At(n).picture.hwnd();
        const LONG_PTR style = GetWindowLongPtrW(each, GWL_STYLE);
        const LONG_PTR wanted = n == box ? style | WS_TABSTOP : style & ~LONG_PTR{WS_TABSTOP};
        if (wanted != style) SetWindowLongPtrW(each, GWL_STYLE, wanted);
    }
}

std::optional<LRESULT> GridKeyboard::BoxMessage(int box, UINT message, WPARAM wParam, LPARAM lParam) {
    PictureBox& picture = boxes_.At(box).picture;
    toolTips_.Relay(picture.hwnd(), message, wParam, lParam);
    switch (message) {
    case WM_GETDLGCODE: {
        // The arrows always; Enter and Space only as key presses, so that
        // Tab and Escape stay the dialog manager's.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        const bool press = msg != nullptr && msg->message == WM_KEYDOWN &&
                           (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE);
        return DLGC_WANTARROWS | (press ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: {
            const int next = GridNeighbour(box, static_cast<UINT>(wParam), layout::kBoxCount, layout::kGridColumns);
            if (next != box) SetFocus(boxes_.At(next).picture.hwnd());
            return 0;
        }
        case VK_RETURN:
        case VK_SPACE:
            // A held key opens the dialog once.
            if (!IsRepeat(lParam)) grid_.Picture_Click(boxes_.At(box).role);
            return 0;
        case 'Z':
            if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return std::nullopt;
            if (!IsRepeat(lParam)) grid_.CheXiaoGengGai();
            return 0;
        default:
            return std::nullopt;
        }
    case WM_KEYUP:
        // The menu key asks for the context menu when it is let go, as
        // Windows' default handling has it; said here, so that it does so
        // wherever that handling does not.
        if (wParam != VK_APPS) return std::nullopt;
        SendMessageW(picture.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(picture.hwnd()), -1);
        return 0;
    case WM_SETFOCUS:
        SetTabStop(box);
        picture.Invalidate();
        return std::nullopt;
    case WM_KILLFOCUS:
        picture.Invalidate();
        return std::nullopt;
    case WM_UPDATEUISTATE: {
        // The default handling records the new state where the system keeps
        // one; the grid keeps its own copy too, for systems whose
        // WM_QUERYUISTATE always answers 0 (Wine).
        const LRESULT result = DefWindowProcW(picture.hwnd(), message, wParam, lParam);
        if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0) {
            switch (LOWORD(wParam)) {
            case UIS_SET:
                hidesFocus_ = true;
                break;
            case UIS_CLEAR:
                hidesFocus_ = false;
                break;
            default:  // UIS_INITIALIZE: as the system decided from the last input
                hidesFocus_ = (SendMessageW(picture.hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
                break;
            }
        }
        picture.Invalidate();
        return result;
    }
    default:
        return std::nullopt;
    }
}

// Drawn into the screen copy of the box, never into its persistent image;
// hidden while the keyboard cues say so (WM_QUERYUISTATE when the grid was
// made, WM_UPDATEUISTATE since).
void GridKeyboard::PaintFocus(int box, HDC dc) {
    HWND window = boxes_.At(box).picture.hwnd();
    if (GetFocus() != window || hidesFocus_) return;
    RECT r{};
    GetClientRect(window, &r);
    const int inset = layout::Pixels(kFocusInsetTwips, grid_.Dpi());
    InflateRect(&r, -inset, -inset);
    if (r.right <= r.left || r.bottom <= r.top) return;
    DrawFocusRect(dc, &r);
}

}  // namespace shubiao

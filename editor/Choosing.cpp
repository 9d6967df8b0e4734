// Picking a file per box and the hover preview.
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kCursorFilter = L"指定图片(*.ani;*.cur)|*.ani;*.cur|";

// The hover latch in Text1: "0" armed, anything else disarmed. It is kept as
// the hidden edit control's text on purpose: that is where the program has
// always kept it, and where tests and the benchmark read it.
constexpr const wchar_t* kArmed = L"0";
constexpr const wchar_t* kDisarmed = L"1";

bool MouseIsOver(HWND window) {
    POINT at{};
    if (!GetCursorPos(&at)) return false;
    return WindowFromPoint(at) == window;
}

}  // namespace

// The picked file is taken as it is: its extension, existence and content are
// dealt with when it is drawn and when it is applied. A cancelled dialog
// leaves the role alone, whatever name the shared dialog still holds.
void ShuBiaoKong::Picture_Click(int role) {
    boxes_.Of(role);  // throws for a role without a box
    shuBianXZ_.Filter = kCursorFilter;
    if (!shuBianXZ_.ShowOpen(hwnd())) return;
    ChooseFile(role, shuBianXZ_.FileName);
}

void ShuBiaoKong::ChooseFile(int role, const std::wstring& file) {
    Role(role);  // throws for a number outside the table
    if (file.empty()) return;
    shuBianXZ_.FileName = file;
    scheme_.RoleCursorFile(role) = file;
    scheme_.SetWindowsDefault(role, false);
    scheme_.SetRoleChanged(role, true);
    scheme_.SetPending(role, true);
    JiaZaiFangAn();
}

int ShuBiaoKong::RoleAt(POINT screen) const {
    return boxes_.RoleWhere([screen](HWND box) {
        RECT r{};
        GetWindowRect(box, &r);
        return PtInRect(&r, screen) != FALSE;
    });
}

// One load per entry into a box: the role's pointer becomes the class cursor
// of the boxes and stays so until the next entry replaces it. The latch in
// Text1 is armed over the container; a move straight from one box onto
// another finds it disarmed, so the role and the file of the pointer now
// loaded decide: a box of another role or file loads its own, and further
// moves over the same box load nothing. A file that does not load leaves the
// pointer as it is and counts as loaded, so that it is not tried on every
// move.
void ShuBiaoKong::Picture_MouseMove(int role) {
    const std::wstring& file = scheme_.RoleCursorFile(role);
    if (WindowText(text1_) != kArmed && role == hoverRole_ && file == hoverFile_) return;
    Mark(profiler_, "read the latch (Text1)");
    hoverRole_ = role;
    hoverFile_ = file;
    HWND box = Picture(role).hwnd();
    HCURSOR cursor = pointers_.Get(file, shownPointer_);
    Mark(profiler_, "find the pointer (file stamp; a changed file is read, checked and loaded)");
    if (cursor != nullptr) {
        SetClassLongPtrW(box, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
        // Show it at once, and never leave the replaced preview on screen.
        const bool oldOnScreen = shownPointer_ != nullptr && GetCursor() == shownPointer_;
        if (oldOnScreen || MouseIsOver(box)) SetCursor(cursor);
        shownPointer_ = cursor;
    }
    SetWindowTextW(text1_, kDisarmed);
    Mark(profiler_, "set the pointer and the latch");
}

// Re-arms the latch. The container shows the normal arrow of its own.
// Armed once: setting the same text again on every move would still ask the
// window manager each time.
void ShuBiaoKong::Picture16_MouseMove() {
    if (WindowText(text1_) != kArmed) SetWindowTextW(text1_, kArmed);
}

}  // namespace shubiao

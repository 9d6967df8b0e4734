// The preview grid from the keyboard, as the program's message loop delivers
// keys (IsDialogMessageW on the host first): Tab into and out of the grid,
// the arrows inside it, Enter and Space as a click, Escape; the focus
// rectangle on screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ostream>
#include <cstdint>
#include <string>
#include <vector>

#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Pixels.h"

namespace shubiao {
namespace {

using namespace test;

enum class Key { Tab, ShiftTab, Left, Right, Up, Down, Enter, Space, Escape };

class GridKeysTest : public EditorTest {
protected:
    void SetUp() override {
        editor.ChuShiShuBiao();
        SetForegroundWindow(host.hwnd());
        SetActiveWindow(host.hwnd());
        PumpThroughDialogManager();
    }

    // Runs the program's loop until nothing is left to do: every message
    // goes to IsDialogMessageW on the host first.
    void PumpThroughDialogManager() {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (IsDialogMessageW(host.hwnd(), &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // Posts one press and release of `key` to the focused window, with
    // Shift held for ShiftTab, and lets the loop deliver them.
    void Press(Key key) {
        static constexpr UINT kVirtualKeys[] = {VK_TAB,  VK_TAB,    VK_LEFT,  VK_RIGHT, VK_UP,
                                                VK_DOWN, VK_RETURN, VK_SPACE, VK_ESCAPE};
        const UINT vk = kVirtualKeys[static_cast<int>(key)];
        BYTE state[256]{};
        GetKeyboardState(state);
        const BYTE shiftBefore = state[VK_SHIFT];
        if (key == Key::ShiftTab) {
            state[VK_SHIFT] = 0x80;
            SetKeyboardState(state);
        }
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, vk, 1 | scan);
        PostMessageW(focus, WM_KEYUP, vk, 1 | scan | (LPARAM{3} << 30));
        PumpThroughDialogManager();
        if (key == Key::ShiftTab) {
            state[VK_SHIFT] = shiftBefore;
            SetKeyboardState(state);
        }
    }

    // A change of the keyboard cues as Windows delivers it: WM_UPDATEUISTATE
    // to the top-level window and every window below it. (Wine keeps no cue
    // state, so nothing would pass it down.)
    void ChangeKeyboardCues(WPARAM change) {
        SendMessageW(host.hwnd(), WM_UPDATEUISTATE, change, 0);
        EnumChildWindows(
            host.hwnd(),
            [](HWND child, LPARAM lParam) {
                SendMessageW(child, WM_UPDATEUISTATE, static_cast<WPARAM>(lParam), 0);
                return TRUE;
            },
            static_cast<LPARAM>(change));
        PumpThroughDialogManager();
    }

    std::vector<int> BoxesWithTabStop() {
        std::vector<int> boxes;
        for (const int n : layout::kBoxRoles) {
            if ((GetWindowLongPtrW(editor.Picture(n).hwnd(), GWL_STYLE) & WS_TABSTOP) != 0) boxes.push_back(n);
        }
        return boxes;
    }

    // What box `role` shows on screen now, 0x00RRGGBB, rows top-down.
    std::vector<std::uint32_t> OnScreen(int role) {
        PictureBox& box = editor.Picture(role);
        UpdateWindow(box.hwnd());
        HDC screen = GetDC(box.hwnd());
        std::vector<std::uint32_t> pixels = ReadPixels(screen, RECT{0, 0, box.ImageWidth(), box.ImageHeight()});
        ReleaseDC(box.hwnd(), screen);
        return pixels;
    }

    ScratchFolder files{L"keys"};
};

// The pixels where the screen and the persistent image of a box differ.
std::vector<POINT> Differing(const std::vector<std::uint32_t>& screen, const BoxImage& image) {
    std::vector<POINT> points;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (screen.at(static_cast<size_t>(y * image.width() + x)) != image.At(x, y)) points.push_back({x, y});
        }
    }
    return points;
}

// A window of the editor: box N (1..15) or, for 0, the button `button`.
struct Place {
    int box;
    ShuBiaoKong::ChildId button = ShuBiaoKong::kChuShiId;
};
Place BoxAt(int n) { return {n}; }
Place ButtonAt(ShuBiaoKong::ChildId id) { return {0, id}; }

// Keys pressed from where the focus starts; where it is afterwards, which
// box carries the grid's one tab stop, and whether a file dialog opened (it
// is answered with a file, which must land on the focused box's role).
struct KeyWalk {
    const char* name;
    Place start;
    std::vector<Key> keys;
    Place end;
    int tabStop;
    bool opensDialog = false;
};

void PrintTo(const KeyWalk& walk, std::ostream* out) { *out << walk.name; }

class KeyboardWalk : public GridKeysTest, public testing::WithParamInterface<KeyWalk> {
protected:
    HWND Window(const Place& place) {
        return place.box != 0 ? editor.Picture(place.box).hwnd() : editor.Child(place.button);
    }
};

TEST_P(KeyboardWalk, MovesTheFocusAsTheTableSays) {
    const KeyWalk& walk = GetParam();
    const std::wstring picked = files / L"picked.cur";
    WriteStaticCursor(picked, 4, 4);
    desktop.openAnswers.push_back(picked);
    SetFocus(Window(walk.start));
    ASSERT_EQ(GetFocus(), Window(walk.start));

    for (const Key key : walk.keys) Press(key);

    EXPECT_EQ(GetFocus(), Window(walk.end));
    EXPECT_EQ(BoxesWithTabStop(), std::vector<int>{walk.tabStop});
    EXPECT_EQ(desktop.openFilters.size(), walk.opensDialog ? 1u : 0u) << "file dialogs opened";
    for (int n = 1; n <= kRoleCount; ++n) {
        EXPECT_EQ(editor.Scheme().RoleChanged(n), walk.opensDialog && n == walk.end.box) << "role " << n;
    }
    if (walk.opensDialog) {
        EXPECT_EQ(editor.Scheme().RoleCursorFile(walk.end.box), picked);
    }
    EXPECT_TRUE(desktop.boxes.empty()) << "no message box";
}

INSTANTIATE_TEST_SUITE_P(
    Grid, KeyboardWalk,
    testing::Values(
        KeyWalk{"TabFromTheLastButton", ButtonAt(ShuBiaoKong::kDaoRuId), {Key::Tab}, BoxAt(1), 1},
        KeyWalk{"TabReturnsToTheBoxLastFocused",
                ButtonAt(ShuBiaoKong::kDaoRuId),
                {Key::Tab, Key::Right, Key::Right, Key::ShiftTab, Key::Tab},
                BoxAt(3),
                3},
        KeyWalk{"RightAcrossARowEnd", BoxAt(3), {Key::Right, Key::Right}, BoxAt(5), 5},
        KeyWalk{"RightFromTheLastBox", BoxAt(15), {Key::Right}, BoxAt(1), 1},
        KeyWalk{"LeftFromTheFirstBox", BoxAt(1), {Key::Left}, BoxAt(15), 15},
        KeyWalk{"LeftAcrossARowStart", BoxAt(9), {Key::Left}, BoxAt(8), 8},
        KeyWalk{"DownOntoAShorterRow", BoxAt(12), {Key::Down}, BoxAt(15), 15},
        KeyWalk{"DownThroughAColumn", BoxAt(2), {Key::Down, Key::Down, Key::Down}, BoxAt(14), 14},
        KeyWalk{"DownAtTheBottomEdge", BoxAt(13), {Key::Down}, BoxAt(13), 13},
        KeyWalk{"UpFromTheShorterRow", BoxAt(15), {Key::Up}, BoxAt(11), 11},
        KeyWalk{"UpAtTheTopEdge", BoxAt(3), {Key::Up}, BoxAt(3), 3},
        KeyWalk{"EnterOpensTheFocusedBox", BoxAt(6), {Key::Enter}, BoxAt(6), 6, true},
        KeyWalk{"SpaceOpensTheFocusedBox", BoxAt(10), {Key::Right, Key::Space}, BoxAt(11), 11, true},
        KeyWalk{"EscapeChangesNothing", BoxAt(7), {Key::Escape}, BoxAt(7), 7},
        KeyWalk{"ShiftTabLeavesForTheLastButton", BoxAt(8), {Key::ShiftTab}, ButtonAt(ShuBiaoKong::kDaoRuId), 8},
        KeyWalk{"TabLeavesForTheFirstButton", BoxAt(8), {Key::Tab}, ButtonAt(ShuBiaoKong::kChuShiId), 8}),
    [](const testing::TestParamInfo<KeyWalk>& info) { return std::string(info.param.name); });

// The focused box shows the focus rectangle on screen, inside the box, over
// the preview and never in it; the keyboard-cue state hides and shows it.
struct CueChange {
    const char* name;
    std::vector<WPARAM> changes;  // cue changes after Tab (WM_UPDATEUISTATE)
    bool shown;
};

void PrintTo(const CueChange& change, std::ostream* out) { *out << change.name; }

class FocusRectangle : public GridKeysTest, public testing::WithParamInterface<CueChange> {};

TEST_P(FocusRectangle, IsOnScreenOverThePreviewAsTheCuesSay) {
    SetFocus(editor.Child(ShuBiaoKong::kDaoRuId));
    const BoxImage before = Box(1);
    ASSERT_GT(before.Drawn(), 0) << "box 1 shows a preview";
    ASSERT_TRUE(Differing(OnScreen(1), before).empty()) << "the screen shows the image before the focus comes";

    Press(Key::Tab);
    ASSERT_EQ(GetFocus(), editor.Picture(1).hwnd());
    for (const WPARAM change : GetParam().changes) ChangeKeyboardCues(change);
    const std::vector<POINT> differing = Differing(OnScreen(1), before);

    EXPECT_TRUE(Box(1) == before) << "the persistent image is still the preview";
    if (!GetParam().shown) {
        EXPECT_TRUE(differing.empty()) << "the screen shows the image alone";
        return;
    }
    ASSERT_FALSE(differing.empty()) << "a focus rectangle on screen";
    RECT r{INT_MAX, INT_MAX, -1, -1};  // around the differing pixels, inclusive
    for (const POINT p : differing) {
        r = {std::min(r.left, p.x), std::min(r.top, p.y), std::max(r.right, p.x), std::max(r.bottom, p.y)};
    }
    EXPECT_TRUE(r.left > 0 && r.top > 0 && r.right < before.width() - 1 && r.bottom < before.height() - 1)
        << "inside the box";
    EXPECT_TRUE(std::all_of(differing.begin(), differing.end(), [&](POINT p) {
        return p.x == r.left || p.x == r.right || p.y == r.top || p.y == r.bottom;
    })) << "only a rectangle's outline";
}

INSTANTIATE_TEST_SUITE_P(
    Grid, FocusRectangle,
    testing::Values(CueChange{"ShownAfterTabIntoTheGrid", {}, true},
                    CueChange{"HiddenWhenTheCuesSayHide", {MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS)}, false},
                    CueChange{"ShownWhenTheyClearAgain",
                              {MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS)},
                              true}),
    [](const testing::TestParamInfo<CueChange>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

// Picking a file per preview box and the hover preview under the mouse.
#include <gtest/gtest.h>

#include <vector>

#include "editor/CursorLoader.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

class ChoosingTest : public EditorTest {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }

    // A cursor file of our own whose hot spot is (hot, hot).
    std::wstring CursorFile(const std::wstring& name, int hot, std::uint32_t colour = 0x00336699) {
        const std::wstring path = files / name;
        WriteStaticCursor(path, hot, hot, colour);
        return path;
    }
    HCURSOR ClassCursor() {
        return reinterpret_cast<HCURSOR>(GetClassLongPtrW(editor.Picture16().hwnd(), GCLP_HCURSOR));
    }
    std::wstring Latch() { return WindowText(editor.Text1()); }

    // Posts a mouse message to whatever window lies at `screen`, with the
    // point in that window's client coordinates, and lets the loop deliver it.
    HWND MouseAt(POINT screen, UINT message, WPARAM keys = 0) {
        HWND target = WindowFromPoint(screen);
        POINT client = screen;
        ScreenToClient(target, &client);
        PostMessageW(target, message, keys, MAKELPARAM(client.x, client.y));
        PumpMessages(5);
        return target;
    }
    static POINT CentreOf(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // A point of the container itself, above the first row of boxes.
    POINT BareSpot() {
        RECT grid{};
        GetWindowRect(editor.Picture16().hwnd(), &grid);
        return {grid.left + 2, grid.top + 2};
    }

    ScratchFolder files{L"pick"};
};

// Every box, found on the screen where the grid puts it and driven by mouse
// messages as the window gets them: a click chooses the file for that box's
// role and no other, and moving onto it from the container shows that role's
// pointer (each role's file has a hot spot of its own).
class EveryBox : public ChoosingTest, public testing::WithParamInterface<int> {};

TEST_P(EveryBox, AClickChoosesForItsRoleAndAHoverShowsItsPointer) {
    const int role = GetParam();
    const std::wstring file = CursorFile(L"role" + std::to_wstring(role) + L".cur", role + 2);
    const POINT centre = CentreOf(editor.Picture(role).hwnd());
    const POINT bare = BareSpot();
    ASSERT_EQ(WindowFromPoint(bare), editor.Picture16().hwnd());

    desktop.openAnswers.push_back(file);
    EXPECT_EQ(MouseAt(centre, WM_LBUTTONDOWN, MK_LBUTTON), editor.Picture(role).hwnd());
    MouseAt(centre, WM_LBUTTONUP);
    for (int n = 1; n <= kRoleCount; ++n) {
        EXPECT_EQ(editor.Scheme().RoleChanged(n), n == role) << "role " << n;
    }
    EXPECT_EQ(editor.Scheme().RoleCursorFile(role), file);

    MouseAt(bare, WM_MOUSEMOVE);
    ASSERT_EQ(Latch(), L"0");
    MouseAt(centre, WM_MOUSEMOVE);
    EXPECT_EQ(CursorHotSpot(ClassCursor()).x, role + 2);
    EXPECT_EQ(Latch(), L"1");
}

INSTANTIATE_TEST_SUITE_P(Grid, EveryBox, testing::ValuesIn(layout::kBoxRoles),
                         [](const testing::TestParamInfo<int>& info) {
                             return ToUtf8(Role(info.param).valueName);
                         });

TEST_F(ChoosingTest, APickIsStoredAsReturnedMarkedAndDrawn) {
    const std::wstring before = editor.Scheme().RoleCursorFile(4);
    const std::wstring picked = CursorFile(L"链接.cur", 2, 0x00CC2211);
    Choose(3, picked);

    ASSERT_EQ(desktop.openFilters.size(), 1u);
    EXPECT_EQ(desktop.openFilters[0], L"指定图片(*.ani;*.cur)|*.ani;*.cur|");
    EXPECT_EQ(editor.Scheme().RoleCursorFile(3), picked);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(4), before);
    EXPECT_EQ(Box(3).Middle(), 0x00CC2211u) << "the previews were redrawn";

    // Nothing is checked here, and a second pick replaces the first.
    const std::wstring odd = files / L"不存在的文件.txt";
    Choose(3, odd);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(3), odd);
    EXPECT_TRUE(editor.Scheme().RoleChanged(3));
    EXPECT_EQ(desktop.openStartNames.at(1), picked) << "the shared dialog keeps its last name";
}

TEST_F(ChoosingTest, ACancelledDialogChangesNothingWhateverNameItHeld) {
    // Cancel with an empty name, then after a pick for another box (the
    // dialog still holds that name), then an empty confirmed name.
    Choose(2, std::nullopt);
    const std::wstring picked = CursorFile(L"a.cur", 1);
    Choose(5, picked);
    const std::wstring before2 = editor.Scheme().RoleCursorFile(2);
    Choose(2, std::nullopt);
    Choose(2, std::wstring());

    EXPECT_EQ(desktop.openStartNames.at(2), picked);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(2), before2);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(5), picked);
    for (int n = 1; n <= kRoleCount; ++n) EXPECT_EQ(editor.Scheme().RoleChanged(n), n == 5) << "role " << n;
}

// Paths of the mouse over the grid, as mouse messages: 0 is the container,
// N box N, -N picks a new file for box N (whose hot spot is 20 + N). The
// pointer shown at the end, and how many pointer files were read on the way
// (a file read before is not read again while it is unchanged).
struct HoverPath {
    const char* name;
    std::vector<int> steps;
    int hotSpot;  // of the class cursor at the end
    int reads;
};

class Hovering : public ChoosingTest, public testing::WithParamInterface<HoverPath> {};

TEST_P(Hovering, LoadsTheBoxsPointerOncePerStay) {
    for (int n = 1; n <= 6; ++n) Choose(n, CursorFile(L"box" + std::to_wstring(n) + L".cur", n));
    int reads = 0;
    const ScopedLoaderProbe probe([&](const std::wstring&) { ++reads; });
    for (const int step : GetParam().steps) {
        if (step < 0) {
            Choose(-step, CursorFile(L"new" + std::to_wstring(-step) + L".cur", 20 - step));
            continue;
        }
        MouseAt(step == 0 ? BareSpot() : CentreOf(editor.Picture(step).hwnd()), WM_MOUSEMOVE);
    }
    EXPECT_EQ(CursorHotSpot(ClassCursor()).x, GetParam().hotSpot);
    EXPECT_EQ(reads, GetParam().reads) << "pointer files read";
}

INSTANTIATE_TEST_SUITE_P(
    Grid, Hovering,
    testing::Values(HoverPath{"FromTheContainer", {0, 3}, 3, 1},
                    HoverPath{"StayingOnABoxLoadsOnce", {0, 3, 3, 3}, 3, 1},
                    HoverPath{"StraightFromBoxToBox", {0, 3, 4}, 4, 2},
                    HoverPath{"StraightBackAgain", {0, 3, 4, 3}, 3, 2},
                    HoverPath{"AcrossTheContainerToTheSameBox", {0, 3, 0, 3}, 3, 1},
                    HoverPath{"ANewFileForTheBoxUnderThePointer", {0, 3, -3, 3}, 23, 2}),
    [](const testing::TestParamInfo<HoverPath>& info) { return std::string(info.param.name); });

// After a hover the container shows the normal arrow, the boxes the preview.
TEST_F(ChoosingTest, TheContainerKeepsTheArrow) {
    Choose(3, CursorFile(L"three.cur", 3));
    MouseAt(BareSpot(), WM_MOUSEMOVE);
    MouseAt(CentreOf(editor.Picture(3).hwnd()), WM_MOUSEMOVE);
    const HCURSOR preview = ClassCursor();
    auto shownOver = [](HWND window) {
        SetCursor(nullptr);
        SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(shownOver(editor.Picture16().hwnd()), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(shownOver(editor.Picture(7).hwnd()), preview);
}

// Over the box whose pointer is loaded, only the latch text "0" takes the
// box's pointer again (and the latch, taken, goes to "1"); any other text
// leaves all as it is.
TEST_F(ChoosingTest, OnlyAnExactZeroArmsTheLatch) {
    editor.Picture16_MouseMove();
    editor.Picture_MouseMove(2);  // before any pick: the role's current file
    const HCURSOR loaded = ClassCursor();
    ASSERT_NE(loaded, nullptr);
    for (const wchar_t* text : {L"00", L" 0", L"", L"1"}) {
        SetWindowTextW(editor.Text1(), text);
        editor.Picture_MouseMove(2);
        EXPECT_EQ(Latch(), text) << "latch text \"" << text << "\"";
    }
    SetClassLongPtrW(editor.Picture16().hwnd(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    SetWindowTextW(editor.Text1(), L"0");
    editor.Picture_MouseMove(2);
    EXPECT_EQ(Latch(), L"1");
    EXPECT_EQ(ClassCursor(), loaded);
}

TEST_F(ChoosingTest, AFileThatDoesNotLoadKeepsThePointerAndDisarms) {
    Choose(3, CursorFile(L"three.cur", 3));
    const std::wstring junk = files / L"junk.ani";
    WriteBytes(junk, {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
    Choose(5, junk);
    Choose(6, files / L"missing.cur");

    editor.Picture_MouseMove(3);
    const HCURSOR three = ClassCursor();
    for (int role : {5, 6}) {
        editor.Picture16_MouseMove();
        editor.Picture_MouseMove(role);
        EXPECT_EQ(ClassCursor(), three) << "role " << role;
        EXPECT_EQ(Latch(), L"1") << "role " << role;
    }
}

}  // namespace
}  // namespace shubiao

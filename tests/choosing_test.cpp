// Picking a file per preview box and the hover preview under the mouse.
#include <gtest/gtest.h>

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

    ScratchFolder files{L"pick"};
};

// Every box, found on the screen where the grid puts it and driven by mouse
// messages as the window gets them: a click chooses the file for that box's
// role and no other, and moving onto it from the container shows that role's
// pointer (each role's file has a hot spot of its own).
class EveryBox : public ChoosingTest, public testing::WithParamInterface<int> {
protected:
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
};

TEST_P(EveryBox, AClickChoosesForItsRoleAndAHoverShowsItsPointer) {
    const int role = GetParam();
    const std::wstring file = CursorFile(L"role" + std::to_wstring(role) + L".cur", role + 2);
    const POINT centre = CentreOf(editor.Picture(role).hwnd());
    RECT grid{};
    GetWindowRect(editor.Picture16().hwnd(), &grid);
    const POINT bare{grid.left + 2, grid.top + 2};  // the container, above the first row
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

INSTANTIATE_TEST_SUITE_P(Grid, EveryBox, testing::Range(1, kRoleCount + 1),
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

TEST_F(ChoosingTest, HoverLoadsOncePerEntryFromTheContainer) {
    Choose(3, CursorFile(L"three.cur", 3));
    Choose(4, CursorFile(L"four.cur", 4));
    const HCURSOR start = ClassCursor();
    ASSERT_EQ(Latch(), L"0");

    // Box 3 from the container: role 3's pointer, for every picture box.
    editor.Picture_MouseMove(3);
    const HCURSOR three = ClassCursor();
    EXPECT_NE(three, start);
    EXPECT_EQ(CursorHotSpot(three).x, 3);
    EXPECT_EQ(Latch(), L"1");

    // Further moves, and box 3 straight onto box 4: nothing is loaded.
    editor.Picture_MouseMove(3);
    editor.Picture_MouseMove(4);
    EXPECT_EQ(ClassCursor(), three);

    // Across the container: re-armed, the pointer keeps its shape.
    editor.Picture16_MouseMove();
    EXPECT_EQ(Latch(), L"0");
    EXPECT_EQ(ClassCursor(), three);

    editor.Picture_MouseMove(4);
    EXPECT_EQ(CursorHotSpot(ClassCursor()).x, 4);
    EXPECT_EQ(Latch(), L"1");
}

TEST_F(ChoosingTest, OnlyAnExactZeroArmsTheLatch) {
    const HCURSOR start = ClassCursor();
    for (const wchar_t* text : {L"00", L" 0", L"", L"1"}) {
        SetWindowTextW(editor.Text1(), text);
        editor.Picture_MouseMove(2);
        EXPECT_EQ(ClassCursor(), start) << "latch text \"" << WindowText(editor.Text1()) << "\"";
    }
    // Armed: before any pick, the role's current file (here the installed
    // fallback) is previewed.
    editor.Picture16_MouseMove();
    editor.Picture_MouseMove(2);
    EXPECT_NE(ClassCursor(), start);
    EXPECT_NE(ClassCursor(), nullptr);
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

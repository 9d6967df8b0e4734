// Picking a file per preview box and the hover preview under the mouse.
#include <gtest/gtest.h>

#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

constexpr const wchar_t* kFilter = L"指定图片(*.ani;*.cur)|*.ani;*.cur|";

class ChoosingTest : public ::testing::Test {
protected:
    void SetUp() override { f.editor.ChuShiShuBiao(); }
    void TearDown() override { EXPECT_TRUE(f.errors.empty()) << "an error left a handler"; }

    // Answers the next open dialog with `answer` (nullopt: cancel) and clicks box `role`.
    void Click(int role, std::optional<std::wstring> answer) {
        f.desktop.openAnswers.push_back(std::move(answer));
        f.editor.Picture_Click(role);
    }
    // A cursor file of our own whose hot spot is (hot, hot).
    std::wstring CursorFile(const std::wstring& name, int hot, std::uint32_t colour = 0x00336699) {
        const std::wstring path = files / name;
        WriteStaticCursor(path, hot, hot, colour);
        return path;
    }
    HCURSOR ClassCursor(int box = 1) {
        return reinterpret_cast<HCURSOR>(GetClassLongPtrW(f.editor.Picture(box).hwnd(), GCLP_HCURSOR));
    }
    std::wstring Latch() { return WindowText(f.editor.Text1()); }

    EditorFixture f;
    ScratchFolder files{L"pick"};
};

TEST_F(ChoosingTest, APickIsStoredAsReturnedMarkedAndDrawn) {
    const std::wstring before = f.editor.Scheme().RoleCursorFile(4);
    const std::wstring picked = CursorFile(L"链接.cur", 2, 0x00CC2211);
    Click(3, picked);

    ASSERT_EQ(f.desktop.openFilters.size(), 1u);
    EXPECT_EQ(f.desktop.openFilters[0], kFilter);
    EXPECT_EQ(f.editor.Scheme().RoleCursorFile(3), picked);
    EXPECT_TRUE(f.editor.Scheme().RoleChanged(3));
    EXPECT_EQ(f.editor.Scheme().RoleCursorFile(4), before);
    EXPECT_FALSE(f.editor.Scheme().RoleChanged(4));
    // The previews were redrawn: box 3 shows the picked square.
    PictureBox& box = f.editor.Picture(3);
    ASSERT_GT(box.ImageWidth(), 16);
    EXPECT_EQ(box.Pixels()[16 * box.ImageWidth() + 16] & 0x00FFFFFFu, 0x00CC2211u);

    // Nothing is checked here, and a second pick replaces the first.
    const std::wstring odd = files / L"不存在的文件.txt";
    Click(3, odd);
    EXPECT_EQ(f.editor.Scheme().RoleCursorFile(3), odd);
    EXPECT_TRUE(f.editor.Scheme().RoleChanged(3));
    EXPECT_EQ(f.desktop.openStartNames.at(1), picked) << "the shared dialog keeps its last name";
}

TEST_F(ChoosingTest, ACancelledDialogChangesNothingWhateverNameItHeld) {
    // Cancel with an empty name, then after a pick for another box (the
    // dialog still holds that name), then an empty confirmed name.
    Click(2, std::nullopt);
    const std::wstring picked = CursorFile(L"a.cur", 1);
    Click(5, picked);
    const std::wstring before2 = f.editor.Scheme().RoleCursorFile(2);
    Click(2, std::nullopt);
    Click(2, std::wstring());

    EXPECT_EQ(f.desktop.openStartNames.at(2), picked);
    EXPECT_EQ(f.editor.Scheme().RoleCursorFile(2), before2);
    EXPECT_NE(f.editor.Scheme().RoleCursorFile(2), picked);
    EXPECT_FALSE(f.editor.Scheme().RoleChanged(2));
    EXPECT_EQ(f.editor.Scheme().RoleCursorFile(5), picked);
    for (int n = 1; n <= kRoleCount; ++n) EXPECT_EQ(f.editor.Scheme().RoleChanged(n), n == 5) << "role " << n;
}

TEST_F(ChoosingTest, HoverLoadsOncePerEntryFromTheContainer) {
    Click(3, CursorFile(L"three.cur", 3));
    Click(4, CursorFile(L"four.cur", 4));
    const HCURSOR start = ClassCursor();
    ASSERT_EQ(Latch(), L"0");

    // Box 3 from the container: role 3's pointer, for every picture box.
    f.editor.Picture_MouseMove(3);
    const HCURSOR three = ClassCursor();
    EXPECT_NE(three, start);
    EXPECT_EQ(CursorHotSpot(three).x, 3);
    EXPECT_EQ(ClassCursor(16), three);
    EXPECT_EQ(Latch(), L"1");

    // Further moves, and box 3 straight onto box 4: nothing is loaded.
    f.editor.Picture_MouseMove(3);
    f.editor.Picture_MouseMove(4);
    EXPECT_EQ(ClassCursor(), three);

    // Across the container: re-armed, the pointer keeps its shape.
    f.editor.Picture16_MouseMove();
    EXPECT_EQ(Latch(), L"0");
    EXPECT_EQ(ClassCursor(), three);

    f.editor.Picture_MouseMove(4);
    EXPECT_EQ(CursorHotSpot(ClassCursor()).x, 4);
    EXPECT_EQ(Latch(), L"1");
}

TEST_F(ChoosingTest, OnlyAnExactZeroArmsTheLatch) {
    const HCURSOR start = ClassCursor();
    for (const wchar_t* text : {L"00", L" 0", L"", L"1"}) {
        SetWindowTextW(f.editor.Text1(), text);
        f.editor.Picture_MouseMove(2);
        EXPECT_EQ(ClassCursor(), start) << "latch text \"" << WindowText(f.editor.Text1()) << "\"";
    }
    // Armed: before any pick, the role's current file (here the installed
    // fallback) is previewed.
    f.editor.Picture16_MouseMove();
    f.editor.Picture_MouseMove(2);
    EXPECT_NE(ClassCursor(), start);
    EXPECT_NE(ClassCursor(), nullptr);
}

TEST_F(ChoosingTest, AFileThatDoesNotLoadKeepsThePointerAndDisarms) {
    Click(3, CursorFile(L"three.cur", 3));
    const std::wstring junk = files / L"junk.ani";
    WriteBytes(junk, {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
    Click(5, junk);
    Click(6, files / L"missing.cur");

    f.editor.Picture_MouseMove(3);
    const HCURSOR three = ClassCursor();
    for (int role : {5, 6}) {
        f.editor.Picture16_MouseMove();
        f.editor.Picture_MouseMove(role);
        EXPECT_EQ(ClassCursor(), three) << "role " << role;
        EXPECT_EQ(Latch(), L"1") << "role " << role;
    }
}

TEST_F(ChoosingTest, AThousandHoversLeaveNoGdiObjectsBehind) {
    Click(3, CursorFile(L"three.cur", 3));
    Click(4, CursorFile(L"four.cur", 4));
    f.editor.Picture_MouseMove(3);
    f.editor.Picture16_MouseMove();
    const GuiCounts before = CountGuiObjects();
    ASSERT_GT(before.gdi, 0u);
    for (int i = 0; i < 1000; ++i) {
        f.editor.Picture_MouseMove(i % 2 == 0 ? 4 : 3);
        f.editor.Picture16_MouseMove();
    }
    const GuiCounts after = CountGuiObjects();
    EXPECT_LE(after.gdi, before.gdi + 4);
    EXPECT_LE(after.user, before.user + 4);
    EXPECT_EQ(CursorHotSpot(ClassCursor()).x, 3);
}

}  // namespace
}  // namespace shubiao

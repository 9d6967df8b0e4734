// The editor's children after construction: geometry at 96 DPI and at 144,
// captions, stacking, tab order, starting states, font and background.
#include <gtest/gtest.h>

#include <vector>

#include "editor/ImageFile.h"
#include "editor/Layout.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

// A child's rectangle relative to its parent's client area.
RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

::testing::AssertionResult At(HWND child, RECT expected) {
    const RECT r = ChildRect(child);
    if (EqualRect(&r, &expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at (" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom
                                         << "), expected (" << expected.left << "," << expected.top << ")-("
                                         << expected.right << "," << expected.bottom << ")";
}

RECT Xywh(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

class Layout : public EditorTest {};

TEST_F(Layout, ChildrenStandAtTwipsOverFifteen) {
    using K = ShuBiaoKong;
    EXPECT_TRUE(At(editor.hwnd(), Xywh(0, 0, 388, 316)));
    EXPECT_TRUE(At(editor.Child(K::kChuShiId), Xywh(282, 42, 91, 31)));
    EXPECT_TRUE(At(editor.Child(K::kYingYongId), Xywh(282, 90, 91, 31)));
    EXPECT_TRUE(At(editor.Child(K::kHuanYuanId), Xywh(282, 135, 91, 31)));
    EXPECT_TRUE(At(editor.Child(K::kDaoRuId), Xywh(282, 180, 91, 31)));
    EXPECT_TRUE(At(editor.Child(K::kDaoChuId), Xywh(282, 228, 91, 31)));
    EXPECT_TRUE(At(editor.XianShi().hwnd(), Xywh(9, 6, 259, 280)));
    EXPECT_TRUE(At(editor.Picture16().hwnd(), Xywh(12, 9, 253, 273)));
    EXPECT_TRUE(At(editor.Text1(), Xywh(264, 264, 34, 16)));
}

TEST_F(Layout, BoxesFormAGridInsidePicture16WithCaptionsBelow) {
    // Box tops 225, 1225, 2225, 3225 twips; lefts 300 + 900 per column.
    const int tops[] = {15, 82, 148, 215};
    const int lefts[] = {20, 80, 140, 200};
    const int captionTops[] = {55, 122, 188, 255};
    const int captionLefts[] = {15, 75, 135, 195};
    for (const int n : layout::kBoxRoles) {
        const int row = (n - 1) / 4;
        const int column = (n - 1) % 4;
        HWND box = editor.Picture(n).hwnd();
        EXPECT_EQ(GetParent(box), editor.Picture16().hwnd()) << n;
        EXPECT_TRUE(At(box, Xywh(lefts[column], tops[row], 36, 36))) << "Picture" << n;
        const RECT caption = editor.CaptionRect(n);
        const int width = n == 15 ? 12 : (n == 10 || n == 12) ? 54 : 48;
        const int left = n == 15 ? 150 : captionLefts[column];
        EXPECT_EQ(caption.left, left) << "caption " << n;
        EXPECT_EQ(caption.top, captionTops[row]) << "caption " << n;
        EXPECT_EQ(caption.right - caption.left, width) << "caption " << n;
        EXPECT_EQ(caption.bottom - caption.top, 12) << "caption " << n;
    }
    // "忙" stands 10 px right of its box, Picture15 at 140,215.
    EXPECT_TRUE(At(editor.Picture(15).hwnd(), Xywh(140, 215, 36, 36)));
    EXPECT_EQ(editor.CaptionRect(15).left, 140 + 10);
    // Every caption lies inside Picture16.
    for (const int i : layout::kBoxRoles) {
        const RECT c = editor.CaptionRect(i);
        EXPECT_LE(c.right, 253) << i;
        EXPECT_LE(c.bottom, 273) << i;
    }
}

// The font has a glyph for every caption character, 12 px wide for a Chinese
// character at 96 DPI; captions are drawn with fixed advances, 12 px a
// Chinese character and 6 px a space or digit, whatever the face.
TEST_F(Layout, FontFitsTheCaptionGeometry) {
    HDC dc = GetDC(editor.hwnd());
    SelectGuard select(dc, editor.Surface().Font());
    for (int n = 1; n <= kRoleCount; ++n) {
        const std::wstring caption(Role(n).caption);
        std::vector<WORD> glyphs(caption.size());
        ASSERT_NE(GetGlyphIndicesW(dc, caption.c_str(), static_cast<int>(caption.size()), glyphs.data(),
                                   GGI_MARK_NONEXISTING_GLYPHS),
                  GDI_ERROR);
        for (size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] == L' ') continue;
            EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph in " << n << " at " << i << " in " << layout::FontFace();
            if (caption[i] < 0x2E80) continue;
            SIZE size{};
            GetTextExtentPoint32W(dc, &caption[i], 1, &size);
            EXPECT_EQ(size.cx, 12) << "role " << n << " at " << i << " in " << layout::FontFace();
        }
    }
    ReleaseDC(editor.hwnd(), dc);
    EXPECT_EQ(layout::CaptionAdvances(L"沿对角线2", 96), (std::vector<int>{12, 12, 12, 12, 6}));
    EXPECT_EQ(layout::CaptionAdvances(L"手    写", 96), (std::vector<int>{12, 6, 6, 6, 6, 12}));
    // At 120 DPI a space is 7.5 px: the advances alternate so that the
    // caption still ends where its width says (810 twips = 67.5 -> 68 px).
    const std::vector<int> at120 = layout::CaptionAdvances(L"沿对角线2", 120);
    int total = 0;
    for (const int a : at120) total += a;
    EXPECT_EQ(total, 68);
}

// The captions are drawn: on screen Picture16 differs from its background
// picture inside each caption's rectangle, and not just beyond its end.
TEST_F(Layout, CaptionsAreDrawnInsideTheirRectangles) {
    editor.ChuShiShuBiao();  // uncovers Picture16
    PictureBox& area = editor.Picture16();
    RedrawWindow(area.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(area.hwnd());
    auto differing = [&](int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right && x < area.ImageWidth(); ++x) {
                const std::uint32_t p = area.Pixels()[y * area.ImageWidth() + x];
                n += GetPixel(dc, x, y) != RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) ? 1 : 0;
            }
        }
        return n;
    };
    for (const int i : layout::kBoxRoles) {
        const RECT r = editor.CaptionRect(i);
        EXPECT_GT(differing(r.left, r.top, r.right, r.bottom), 20) << "caption " << i;
        EXPECT_EQ(differing(r.right + 2, r.top, r.right + 6, r.bottom), 0) << "caption " << i;
    }
    ReleaseDC(area.hwnd(), dc);
}

TEST_F(Layout, XianShiLiesInFrontOfPicture16UntilTheFirstLoad) {
    HWND xianShi = editor.XianShi().hwnd();
    EXPECT_TRUE(IsWindowVisible(xianShi));
    // Whatever lies first in the stacking order is hit first.
    POINT centre{120, 140};
    EXPECT_EQ(ChildWindowFromPointEx(editor.hwnd(), centre, CWP_ALL), xianShi);
    const RECT cover = ChildRect(xianShi);
    const RECT area = ChildRect(editor.Picture16().hwnd());
    RECT both{};
    IntersectRect(&both, &cover, &area);
    EXPECT_TRUE(EqualRect(&both, &area)) << "XianShi covers Picture16 completely";
    editor.ChuShiShuBiao();
    EXPECT_FALSE(IsWindowVisible(xianShi));
    EXPECT_NE(ChildWindowFromPointEx(editor.hwnd(), centre, CWP_SKIPINVISIBLE), xianShi);
}

TEST_F(Layout, TabOrderRunsRefreshApplyRestoreThenExportImport) {
    using K = ShuBiaoKong;
    std::vector<HWND> stops;
    for (HWND child = GetWindow(editor.hwnd(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0) stops.push_back(child);
    }
    const std::vector<HWND> expected{editor.Child(K::kChuShiId), editor.Child(K::kYingYongId),
                                     editor.Child(K::kHuanYuanId), editor.Child(K::kDaoChuId),
                                     editor.Child(K::kDaoRuId)};
    EXPECT_EQ(stops, expected);
    EXPECT_EQ(GetNextDlgTabItem(editor.hwnd(), expected[0], FALSE), expected[1]);
    EXPECT_EQ(GetNextDlgTabItem(editor.hwnd(), expected[3], FALSE), expected[4]);
}

TEST_F(Layout, StartingStates) {
    EXPECT_FALSE(IsWindowVisible(editor.Text1()));
    EXPECT_EQ(WindowText(editor.Text1()), L"0");
    EXPECT_FALSE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
    EXPECT_FALSE(editor.TimerEnabled(ShuBiaoKong::kTimer2Id));
    for (const int n : layout::kBoxRoles) {
        PictureBox& box = editor.Picture(n);
        ASSERT_EQ(box.ImageWidth() * box.ImageHeight(), 36 * 36);
        for (int i = 0; i < 36 * 36; ++i) ASSERT_EQ(box.Pixels()[i], 0x00FFFFFFu) << "box " << n << " is white";
    }
}

TEST_F(Layout, Picture16ShowsTheBackgroundPictureAtItsOrigin) {
    const UniqueBitmap picture = LoadPictureFile(AppFolder() + L"\\Skin\\General.jpg");
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(picture.get(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    const auto* source = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    PictureBox& area = editor.Picture16();
    for (const POINT at : {POINT{0, 0}, POINT{250, 5}, POINT{3, 270}, POINT{100, 45}}) {
        const std::uint32_t want = source[at.y * dib.dsBm.bmWidth + at.x] & 0x00FFFFFF;
        EXPECT_EQ(area.Pixels()[at.y * area.ImageWidth() + at.x] & 0x00FFFFFF, want) << at.x << "," << at.y;
    }
}

// Moves the mouse and waits until the system reports it there.
bool MoveMouse(POINT to) {
    if (!SetCursorPos(to.x, to.y)) return false;
    return PumpUntil(
        [to] {
            POINT at{};
            return GetCursorPos(&at) && at.x == to.x && at.y == to.y;
        },
        2000);
}

TEST_F(Layout, LianJieHasTheHandPointerWithItsHotSpot) {
    const RECT link = editor.Surface().LinkRect(editor.hwnd(), editor.Dpi());
    EXPECT_EQ(link.left, 12);
    EXPECT_EQ(link.top, 294);
    POINT inside{link.left + 3, link.top + 3};
    ClientToScreen(editor.hwnd(), &inside);
    ASSERT_TRUE(MoveMouse(inside));
    SendMessageW(editor.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(editor.hwnd()), MAKELPARAM(HTCLIENT, 0));
    HCURSOR hand = GetCursor();
    ASSERT_NE(hand, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr) << "monochrome";
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    EXPECT_EQ(mask.bmHeight, 64);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);

    POINT outside{300, 10};
    ClientToScreen(editor.hwnd(), &outside);
    ASSERT_TRUE(MoveMouse(outside));
    SendMessageW(editor.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(editor.hwnd()), MAKELPARAM(HTCLIENT, 0));
    EXPECT_NE(GetCursor(), hand);
}

TEST_F(Layout, LianJieIsBlue) {
    RedrawWindow(editor.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT link = editor.Surface().LinkRect(editor.hwnd(), editor.Dpi());
    HDC dc = GetDC(editor.hwnd());
    int blue = 0;
    for (int y = link.top; y < link.bottom; ++y) {
        for (int x = link.left; x < link.right; ++x) blue += GetPixel(dc, x, y) == RGB(0, 0, 255) ? 1 : 0;
    }
    ReleaseDC(editor.hwnd(), dc);
    EXPECT_GT(blue, 20);
}

TEST_F(Layout, At144DpiEveryChildScalesWithTheWindow) {
    using K = ShuBiaoKong;
    editor.SetDpi(144);
    EXPECT_EQ(editor.Dpi(), 144u);
    EXPECT_TRUE(At(editor.Child(K::kChuShiId), Xywh(423, 63, 137, 47)));
    EXPECT_TRUE(At(editor.Child(K::kDaoChuId), Xywh(423, 342, 137, 47)));
    EXPECT_TRUE(At(editor.XianShi().hwnd(), Xywh(14, 9, 389, 420)));
    EXPECT_TRUE(At(editor.Picture16().hwnd(), Xywh(18, 14, 380, 410)));
    EXPECT_TRUE(At(editor.Picture(1).hwnd(), Xywh(30, 23, 54, 54)));
    EXPECT_TRUE(At(editor.Picture(15).hwnd(), Xywh(210, 323, 54, 54)));
    EXPECT_EQ(editor.CaptionRect(15).left, 225);
    EXPECT_EQ(editor.CaptionRect(1).right - editor.CaptionRect(1).left, 72);
    LOGFONTW font{};
    GetObjectW(editor.Surface().Font(), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -18);
}

}  // namespace
}  // namespace shubiao

// Display scaling: at 120, 144 and 192 DPI the background picture covers the
// editor control and Picture16, scaled from the one decode; the main window's
// icons take the DPI's sizes; changing the DPI back and forth leaves no GDI
// objects behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/Skin.h"
#include "editor/Layout.h"
#include "support/TestSupport.h"
#include "win/Pixels.h"

namespace shubiao {
namespace {

using namespace test;

struct Scale {
    const char* name;
    UINT dpi;
    SIZE picture;   // the 400 x 330 background picture at this DPI
    int smallIcon;  // side of the window's small icon
    int largeIcon;  // side of the window's large icon
};
void PrintTo(const Scale& s, std::ostream* os) { *os << s.name; }

// The pixels of a DC's top-left `size`, 0x00RRGGBB.
struct Image {
    SIZE size{};
    std::vector<std::uint32_t> rgb;
    bool Has(int x, int y) const { return x < size.cx && y < size.cy; }
    std::uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y * size.cx + x)] & 0x00FFFFFFu; }
};
Image Grab(HDC source, SIZE size) {
    Image image{size, ReadPixels(source, RECT{0, 0, size.cx, size.cy})};
    image.rgb.resize(static_cast<size_t>(size.cx * size.cy));  // black where nothing could be read
    return image;
}
SIZE SizeOf(HBITMAP bitmap) {
    BITMAP bm{};
    return GetObjectW(bitmap, sizeof(bm), &bm) != 0 ? SIZE{bm.bmWidth, bm.bmHeight} : SIZE{};
}
Image PictureOf(HBITMAP picture) {
    UniqueMemDC dc(CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), picture);
    return Grab(dc.get(), SizeOf(picture));
}
// The side of a window icon; 0 for none or a destroyed one.
int IconSide(HWND window, WPARAM which) {
    ICONINFO info{};
    const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
    if (icon == nullptr || !GetIconInfo(icon, &info)) return 0;
    UniqueBitmap colour(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    return SizeOf(colour ? colour.get() : mask.get()).cx;
}

// Picture16's rectangle in the editor's client area.
RECT GridRect(ShuBiaoKong& editor) {
    RECT r{};
    GetWindowRect(editor.Picture16().hwnd(), &r);
    MapWindowPoints(nullptr, editor.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The editor at `dpi` in the host, as the main window sizes it, drawn; its
// size.
SIZE ShowAt(ShuBiaoKong& editor, HWND host, UINT dpi) {
    editor.SetDpi(dpi);
    const SIZE size{layout::Pixels(layout::kControl.width, dpi), layout::Pixels(layout::kControl.height, dpi)};
    RECT frame{0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(host, GWL_STYLE)), FALSE, 0);
    MoveWindow(host, 0, 0, frame.right - frame.left, frame.bottom - frame.top, TRUE);
    MoveWindow(editor.hwnd(), 0, 0, size.cx, size.cy, TRUE);
    RedrawWindow(editor.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return size;
}

class DisplayScaling : public EditorTest, public testing::WithParamInterface<Scale> {
protected:
    void TearDown() override {
        SkinH_Detach();
        EditorTest::TearDown();
    }
};

TEST_P(DisplayScaling, PictureCoversTheEditorAndIconsTakeTheDpiSizes) {
    const Scale& s = GetParam();
    ASSERT_EQ(SizeOf(editor.Surface().Picture()).cx, 400) << "the decoded picture at 96 DPI";
    ASSERT_EQ(SizeOf(editor.Surface().Picture()).cy, 330) << "the decoded picture at 96 DPI";
    editor.ChuShiShuBiao();  // uncovers Picture16
    editor.SetDpi(s.dpi);
    // The control takes its size for the DPI as the main window gives it;
    // the host grows so that all of it is on the screen.
    const SIZE size{layout::Pixels(layout::kControl.width, s.dpi), layout::Pixels(layout::kControl.height, s.dpi)};
    RECT frame{0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(host.hwnd(), GWL_STYLE)), FALSE, 0);
    MoveWindow(host.hwnd(), 0, 0, frame.right - frame.left, frame.bottom - frame.top, TRUE);
    MoveWindow(editor.hwnd(), 0, 0, size.cx, size.cy, TRUE);
    const Image picture = PictureOf(editor.Surface().Picture());
    EXPECT_EQ(picture.size.cx, s.picture.cx);
    EXPECT_EQ(picture.size.cy, s.picture.cy);

    // On the screen, every pixel of the control's own (not under a child or
    // the link line) is the picture's: the far corners, beside and below the
    // grid alike.
    RedrawWindow(editor.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(editor.hwnd());
    const Image shown = Grab(dc, size);
    ReleaseDC(editor.hwnd(), dc);
    std::vector<RECT> covered{editor.Surface().LinkRect(editor.hwnd(), editor.Dpi())};
    for (HWND child = GetWindow(editor.hwnd(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, editor.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        if (IsWindowVisible(child)) covered.push_back(r);
    }
    int own = 0;
    int wrong = 0;
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            const POINT at{x, y};
            if (std::any_of(covered.begin(), covered.end(), [at](const RECT& r) { return PtInRect(&r, at); })) continue;
            ++own;
            wrong += picture.Has(x, y) && shown.At(x, y) == picture.At(x, y) ? 0 : 1;
        }
    }
    EXPECT_GT(own, size.cx * size.cy / 4);
    EXPECT_EQ(wrong, 0) << "of " << own << " pixels of the control's own";

    // Picture16's persistent image, under and below the bottom row of boxes
    // too, is the picture from Picture16's place in the control.
    const BoxImage area(editor.Picture16());
    const RECT grid = GridRect(editor);
    wrong = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const int px = x + grid.left;
            const int py = y + grid.top;
            wrong += picture.Has(px, py) && area.At(x, y) == picture.At(px, py) ? 0 : 1;
        }
    }
    EXPECT_EQ(wrong, 0) << "of " << area.width() * area.height() << " pixels of Picture16";

    // The main window: its icons at the DPI's sizes, its editor's picture
    // scaled; back and forth, nothing is left behind.
    MainWindow main(desktop);
    main.Create(SW_SHOWNOACTIVATE);
    auto changeDpi = [&](UINT dpi) {
        RECT suggested{0, 0, MulDiv(400, static_cast<int>(dpi), 96), MulDiv(350, static_cast<int>(dpi), 96)};
        SendMessageW(main.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    };
    changeDpi(s.dpi);
    EXPECT_EQ(IconSide(main.hwnd(), ICON_SMALL), s.smallIcon);
    EXPECT_EQ(IconSide(main.hwnd(), ICON_BIG), s.largeIcon);
    EXPECT_EQ(SizeOf(main.Editor().Surface().Picture()).cy, s.picture.cy);
    changeDpi(96);  // one round first: the preview cache then holds both sizes
    changeDpi(s.dpi);
    const DWORD before = CountGdiObjects();
    for (int round = 0; round < 2; ++round) {
        changeDpi(96);
        changeDpi(s.dpi);
    }
    EXPECT_EQ(CountGdiObjects(), before);
    EXPECT_EQ(IconSide(main.hwnd(), ICON_SMALL), s.smallIcon);
    EXPECT_EQ(IconSide(main.hwnd(), ICON_BIG), s.largeIcon);
}

// The grid's edge as the screen shows it: at every scale but 100 % the
// pixels just inside Picture16 and just outside it are both the control's
// picture at that place, so no seam runs around the grid. At 100 % the grid
// shows the picture from its own origin, as the window always has.
struct SeamCase {
    const char* name;
    UINT dpi;
    bool meets;  // the grid's background continues the control's
};
void PrintTo(const SeamCase& c, std::ostream* os) { *os << c.name; }

class GridSeam : public EditorTest, public testing::WithParamInterface<SeamCase> {
protected:
    void TearDown() override {
        SkinH_Detach();
        EditorTest::TearDown();
    }
};

TEST_P(GridSeam, TheGridsBackgroundMeetsTheWindowsAtItsEdge) {
    const SeamCase& c = GetParam();
    editor.ChuShiShuBiao();
    SetForegroundWindow(host.hwnd());
    const SIZE size = ShowAt(editor, host.hwnd(), c.dpi);
    const Image picture = PictureOf(editor.Surface().Picture());
    // The screen's pixels, children and all.
    RECT onScreen{0, 0, size.cx, size.cy};
    MapWindowPoints(editor.hwnd(), nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
    HDC screen = GetDC(nullptr);
    Image shown{size, ReadPixels(screen, onScreen)};
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(shown.rgb.size(), static_cast<size_t>(size.cx * size.cy));
    const RECT grid = GridRect(editor);
    // What covers the edge: the boxes and their captions inside the grid.
    std::vector<RECT> covered;
    for (const int role : layout::kBoxRoles) {
        RECT r{};
        GetWindowRect(editor.Picture(role).hwnd(), &r);
        MapWindowPoints(nullptr, editor.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        covered.push_back(r);
        RECT caption = editor.CaptionRect(role);
        OffsetRect(&caption, grid.left, grid.top);
        covered.push_back(caption);
    }
    int looked = 0;
    int inside = 0;   // pixels just inside the edge that are not the expected picture
    int outside = 0;  // pixels just outside it that are not the control's picture
    auto look = [&](POINT in, POINT out) {
        if (std::any_of(covered.begin(), covered.end(), [in](const RECT& r) { return PtInRect(&r, in); })) return;
        ++looked;
        const POINT from = c.meets ? in : POINT{in.x - grid.left, in.y - grid.top};
        inside += picture.Has(from.x, from.y) && shown.At(in.x, in.y) == picture.At(from.x, from.y) ? 0 : 1;
        outside += picture.Has(out.x, out.y) && shown.At(out.x, out.y) == picture.At(out.x, out.y) ? 0 : 1;
    };
    for (int x = grid.left; x < grid.right; ++x) {
        look({x, grid.top}, {x, grid.top - 1});
        look({x, grid.bottom - 1}, {x, grid.bottom});
    }
    for (int y = grid.top; y < grid.bottom; ++y) {
        look({grid.left, y}, {grid.left - 1, y});
        look({grid.right - 1, y}, {grid.right, y});
    }
    EXPECT_GT(looked, static_cast<int>(grid.right - grid.left + grid.bottom - grid.top));
    EXPECT_EQ(inside, 0) << "of " << looked << " pixels along the grid's edge";
    EXPECT_EQ(outside, 0) << "of " << looked << " pixels around the grid";
}

INSTANTIATE_TEST_SUITE_P(Dpi, GridSeam,
                         testing::Values(SeamCase{"At100", 96, false}, SeamCase{"At125", 120, true},
                                         SeamCase{"At150", 144, true}, SeamCase{"At175", 168, true},
                                         SeamCase{"At200", 192, true}),
                         [](const testing::TestParamInfo<SeamCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Dpi, DisplayScaling,
                         testing::Values(Scale{"At120", 120, {500, 413}, 20, 40},
                                         Scale{"At144", 144, {600, 495}, 24, 48},
                                         Scale{"At192", 192, {800, 660}, 32, 64}),
                         [](const testing::TestParamInfo<Scale>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

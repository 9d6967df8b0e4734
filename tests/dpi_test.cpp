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

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP bm{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(bm), &bm) == 0) return {};
    return {bm.bmWidth, bm.bmHeight};
}

// Pixels of a 32-bit top-down picture or of a window's client area, 0x00RRGGBB.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
    bool Has(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

Pixels Copy(const std::uint32_t* bits, int width, int height) {
    Pixels p{width, height, std::vector<std::uint32_t>(bits, bits + static_cast<size_t>(width) * height)};
    for (std::uint32_t& v : p.rgb) v &= 0x00FFFFFFu;
    return p;
}

Pixels PictureOf(HBITMAP picture) {
    DIBSECTION dib{};
    if (GetObjectW(picture, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr) return {};
    GdiFlush();
    return Copy(static_cast<const std::uint32_t*>(dib.dsBm.bmBits), dib.dsBm.bmWidth, dib.dsBm.bmHeight);
}

// What the window shows in its client area, read back from the screen.
Pixels Screenshot(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB};
    void* bits = nullptr;
    UniqueBitmap shot(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!shot) return {};
    UniqueMemDC memory(CreateCompatibleDC(nullptr));
    {
        SelectGuard select(memory.get(), shot.get());
        HDC dc = GetDC(window);
        BitBlt(memory.get(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
    }
    GdiFlush();
    return Copy(static_cast<const std::uint32_t*>(bits), client.right, client.bottom);
}

int IconSide(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return 0;  // also a destroyed icon
    UniqueBitmap colour(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    return BitmapSize(colour ? colour.get() : mask.get()).cx;
}

HICON WindowIcon(HWND window, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
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
    const SIZE decoded = BitmapSize(editor.BackgroundPicture());
    ASSERT_EQ(decoded.cx, 400) << "the decoded picture at 96 DPI";
    ASSERT_EQ(decoded.cy, 330) << "the decoded picture at 96 DPI";
    editor.ChuShiShuBiao();  // uncovers Picture16
    editor.SetDpi(s.dpi);
    // The control takes its size for the DPI as the main window gives it;
    // the host grows so that all of it is on the screen.
    const int width = layout::Pixels(layout::kControl.width, s.dpi);
    const int height = layout::Pixels(layout::kControl.height, s.dpi);
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(host.hwnd(), GWL_STYLE)), FALSE, 0);
    SetWindowPos(host.hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(editor.hwnd(), 0, 0, width, height, TRUE);

    const Pixels picture = PictureOf(editor.BackgroundPicture());
    EXPECT_EQ(picture.width, s.picture.cx);
    EXPECT_EQ(picture.height, s.picture.cy);

    // The control's own pixels (not its children's, not the link line) are
    // the picture's, at the far corners and beside and below the grid alike.
    RedrawWindow(editor.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const Pixels shown = Screenshot(editor.hwnd());
    ASSERT_EQ(shown.width, width);
    ASSERT_EQ(shown.height, height);
    std::vector<RECT> covered{editor.LianJieRect()};  // the link line is drawn over the picture
    for (HWND child = GetWindow(editor.hwnd(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, editor.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        covered.push_back(r);
    }
    int own = 0;
    int wrong = 0;
    POINT firstWrong{-1, -1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const POINT at{x, y};
            if (std::any_of(covered.begin(), covered.end(), [at](const RECT& r) { return PtInRect(&r, at) != FALSE; })) {
                continue;
            }
            ++own;
            if (picture.Has(x, y) && shown.At(x, y) == picture.At(x, y)) continue;
            if (wrong++ == 0) firstWrong = at;
        }
    }
    EXPECT_GT(own, width * height / 4);
    EXPECT_EQ(wrong, 0) << "of " << own << " pixels differ from the picture, first at " << firstWrong.x << ","
                        << firstWrong.y;

    // Picture16's persistent image, under the boxes and along and below
    // their bottom row too, is the picture from its own origin; the picture
    // is larger than Picture16.
    PictureBox& area = editor.Picture16();
    const Pixels image = Copy(area.Pixels(), area.ImageWidth(), area.ImageHeight());
    RECT grid{};
    GetClientRect(area.hwnd(), &grid);
    ASSERT_EQ(image.width, grid.right);
    ASSERT_EQ(image.height, grid.bottom);
    int differing = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            differing += picture.Has(x, y) && image.At(x, y) == picture.At(x, y) ? 0 : 1;
        }
    }
    EXPECT_EQ(differing, 0) << "of " << image.width * image.height << " pixels of Picture16 differ from the picture";

    // The main window: its icons at the DPI's sizes, its editor's picture
    // scaled; back and forth, nothing is left behind.
    MainWindow main(desktop);
    main.Create(SW_SHOWNOACTIVATE);
    auto changeDpi = [&](UINT dpi) {
        RECT suggested{0, 0, MulDiv(400, static_cast<int>(dpi), 96), MulDiv(350, static_cast<int>(dpi), 96)};
        SendMessageW(main.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    };
    changeDpi(s.dpi);
    EXPECT_EQ(IconSide(WindowIcon(main.hwnd(), ICON_SMALL)), s.smallIcon);
    EXPECT_EQ(IconSide(WindowIcon(main.hwnd(), ICON_BIG)), s.largeIcon);
    const SIZE mainPicture = BitmapSize(main.Editor().BackgroundPicture());
    EXPECT_EQ(mainPicture.cx, s.picture.cx);
    EXPECT_EQ(mainPicture.cy, s.picture.cy);

    changeDpi(96);  // one round first: the preview cache then holds both sizes
    changeDpi(s.dpi);
    const DWORD before = CountGdiObjects();
    for (int round = 0; round < 2; ++round) {
        changeDpi(96);
        changeDpi(s.dpi);
    }
    EXPECT_EQ(CountGdiObjects(), before);
    EXPECT_EQ(IconSide(WindowIcon(main.hwnd(), ICON_SMALL)), s.smallIcon);
    EXPECT_EQ(IconSide(WindowIcon(main.hwnd(), ICON_BIG)), s.largeIcon);
}

INSTANTIATE_TEST_SUITE_P(Dpi, DisplayScaling,
                         testing::Values(Scale{"At120", 120, {500, 413}, 20, 40},
                                         Scale{"At144", 144, {600, 495}, 24, 48},
                                         Scale{"At192", 192, {800, 660}, 32, 64}),
                         [](const testing::TestParamInfo<Scale>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

// Reading skin files and applying a skin to a window and its buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/Skin.h"
#include "scheme/Folders.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

struct BadLine {
    const char* text;
    int line;
};

class BrokenSkin : public testing::TestWithParam<BadLine> {};

TEST_P(BrokenSkin, IsRejectedWholeNamingTheLine) {
    const SkinParse parsed = ParseSkin(GetParam().text);
    EXPECT_FALSE(parsed.skin.has_value());
    EXPECT_EQ(parsed.errorLine, GetParam().line);
    EXPECT_FALSE(parsed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BrokenSkin,
    testing::Values(BadLine{"caption.color #2F6DB5", 1},               // no '='
                    BadLine{"# ok\n = #2F6DB5", 2},                    // no key
                    BadLine{"caption.color =", 1},                     // no value
                    BadLine{"caption.color = # blue", 1},              // only a comment
                    BadLine{"caption.colour = #2F6DB5", 1},            // unknown key
                    BadLine{"caption.color = 2F6DB5", 1},              // no '#'
                    BadLine{"caption.color = #2F6DB", 1},              // too short
                    BadLine{"caption.color = #2F6DB5A", 1},            // too long
                    BadLine{"button.face = #GG0000", 1},               // not hexadecimal
                    BadLine{"\n\nwindow.corner = oval", 3},            // not round|square
                    BadLine{"font.size = 0", 1},                       // too small
                    BadLine{"font.size = 9pt", 1},                     // not a number
                    BadLine{"font.size = 100", 1},                     // too large
                    BadLine{"caption.text = #FFFFFF\r\nfont.size = -9", 2},
                    BadLine{"font.name = \xE5\xBE\xAE\xFF", 0}));      // not UTF-8

TEST(SkinParser, ReadsEveryKeyWithCommentsBlanksAndCrLf) {
    const SkinParse parsed = ParseSkin(
        "\xEF\xBB\xBF# a skin\r\n"
        "\r\n"
        "caption.color = #2F6DB5\r\n"
        "  caption.text=#ffffff   # white title\r\n"
        "border.color\t=\t#3A78C2\n"
        "window.background = #EEF4FB\n"
        "button.face = #E3EEFA\n"
        "button.hot = #CFE3F8\n"
        "button.pressed = #B4D2F2\n"
        "button.border = #7DA7D9\n"
        "Button.Text = #1A2B40\n"
        "window.corner = Square\n"
        "font.name = \xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\n"
        "font.size = 10");
    ASSERT_TRUE(parsed.skin.has_value()) << parsed.errorLine;
    const Skin& skin = *parsed.skin;
    EXPECT_EQ(skin.captionColor, RGB(0x2F, 0x6D, 0xB5));
    EXPECT_EQ(skin.captionText, RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(skin.borderColor, RGB(0x3A, 0x78, 0xC2));
    EXPECT_EQ(skin.windowBackground, RGB(0xEE, 0xF4, 0xFB));
    EXPECT_EQ(skin.buttonFace, RGB(0xE3, 0xEE, 0xFA));
    EXPECT_EQ(skin.buttonHot, RGB(0xCF, 0xE3, 0xF8));
    EXPECT_EQ(skin.buttonPressed, RGB(0xB4, 0xD2, 0xF2));
    EXPECT_EQ(skin.buttonBorder, RGB(0x7D, 0xA7, 0xD9));
    EXPECT_EQ(skin.buttonText, RGB(0x1A, 0x2B, 0x40));
    EXPECT_EQ(skin.roundCorners, false);
    EXPECT_EQ(skin.fontName, std::wstring(L"微软雅黑"));
    EXPECT_EQ(skin.fontSize, 10);
}

TEST(SkinParser, MissingKeysStayUnsetAndTheLastOfARepeatWins) {
    const SkinParse empty = ParseSkin("");
    ASSERT_TRUE(empty.skin.has_value());
    EXPECT_FALSE(empty.skin->captionColor.has_value());
    EXPECT_FALSE(empty.skin->fontName.has_value());

    const SkinParse twice = ParseSkin("button.face = #000001\nbutton.face = #000002\n");
    ASSERT_TRUE(twice.skin.has_value());
    EXPECT_EQ(twice.skin->buttonFace, RGB(0, 0, 2));
    EXPECT_FALSE(twice.skin->buttonHot.has_value());
}

TEST(SkinFile, TheInstalledSkinReads) {
    SkinH_Detach();
    ASSERT_EQ(SkinH_AttachEx(AppFolder() + L"\\Skin\\aero.she", L""), 0);
    ASSERT_NE(ActiveSkin(), nullptr);
    EXPECT_TRUE(ActiveSkin()->captionColor.has_value());
    EXPECT_TRUE(ActiveSkin()->buttonFace.has_value());
    SkinH_Detach();
}

TEST(SkinFile, MissingOrBrokenFilesLeaveTheSkinInForce) {
    ScratchFolder scratch;
    WriteBytes(scratch / L"good.she", {'b', 'u', 't', 't', 'o', 'n', '.', 'f', 'a', 'c', 'e', '=', '#', '0', '1',
                                      '0', '2', '0', '3'});
    WriteBytes(scratch / L"broken.she", {'b', 'u', 't', 't', 'o', 'n', '.', 'f', 'a', 'c', 'e'});
    CreateDirectoryW((scratch / L"folder.she").c_str(), nullptr);
    ASSERT_EQ(SkinH_AttachEx(scratch / L"good.she", L""), 0);
    for (const wchar_t* name : {L"missing.she", L"broken.she", L"folder.she"}) {
        EXPECT_NE(SkinH_AttachEx(scratch / name, L""), 0) << name;
        ASSERT_NE(ActiveSkin(), nullptr);
        EXPECT_EQ(ActiveSkin()->buttonFace, RGB(1, 2, 3)) << name;
    }
    EXPECT_NE(SkinH_AttachEx(scratch / L"good.she", L"secret"), 0);
    SkinH_Detach();
    EXPECT_NE(SkinH_SetAero(1), 0);  // nothing to apply
}

// A top-level window with one push button, skinned.
class SkinnedWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SkinH_AttachEx(scratch / L"plain.she", L""), 2);  // no such file yet
        WriteBytes(scratch / L"plain.she", Bytes("button.face = #10C020\nbutton.text = #0000FF\n"));
        ASSERT_EQ(SkinH_AttachEx(scratch / L"plain.she", L""), 0);
        button = CreateWindowExW(0, L"BUTTON", L"刷 新", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 91, 31,
                                 host.hwnd(), reinterpret_cast<HMENU>(7), GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(button, nullptr);
    }
    void TearDown() override { SkinH_Detach(); }

    static std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

    ScratchFolder scratch;
    HostWindow host;
    HWND button = nullptr;
};

TEST_F(SkinnedWindow, ButtonsAreDrawnInTheSkinsColoursAndStillClick) {
    ASSERT_EQ(SkinH_SetAero(1), 0);
    EXPECT_EQ(GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(WindowText(button), L"刷 新");
    // Draw the button into a bitmap through its parent, as Windows does.
    HDC screen = GetDC(nullptr);
    UniqueMemDC dc(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, 91, 31));
    ReleaseDC(nullptr, screen);
    SelectGuard select(dc.get(), bitmap.get());
    DRAWITEMSTRUCT item{ODT_BUTTON, 7, 0, ODA_DRAWENTIRE, 0, button, dc.get(), {0, 0, 91, 31}, 0};
    EXPECT_TRUE(SendMessageW(host.hwnd(), WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(GetPixel(dc.get(), 5, 5), RGB(0x10, 0xC0, 0x20));
    bool blueText = false;
    for (int y = 0; y < 31 && !blueText; ++y) {
        for (int x = 0; x < 91 && !blueText; ++x) blueText = GetPixel(dc.get(), x, y) == RGB(0, 0, 255);
    }
    EXPECT_TRUE(blueText);

    // Pressed looks different from normal.
    item.itemState = ODS_SELECTED;
    SendMessageW(host.hwnd(), WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item));
    EXPECT_NE(GetPixel(dc.get(), 5, 5), RGB(0x10, 0xC0, 0x20));

    bool clicked = false;
    SetWindowSubclass(
        host.hwnd(),
        [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) -> LRESULT {
            if (m == WM_COMMAND && LOWORD(wp) == 7 && HIWORD(wp) == BN_CLICKED) *reinterpret_cast<bool*>(data) = true;
            return DefSubclassProc(w, m, wp, lp);
        },
        1, reinterpret_cast<DWORD_PTR>(&clicked));
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(clicked);
}

TEST_F(SkinnedWindow, ApplyingTwiceKeepsGdiObjectsSteady) {
    ASSERT_EQ(SkinH_SetAero(1), 0);
    PumpMessages(50);
    const DWORD before = CountGdiObjects();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(SkinH_SetAero(1), 0);
        RedrawWindow(host.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    PumpMessages(50);
    EXPECT_EQ(CountGdiObjects(), before);
}

}  // namespace
}  // namespace shubiao

// The sizes a box's file holds against the size Windows draws the pointer at
// on the editor's display: the tooltip's line, the mark on the box, and
// 实际大小 from the context menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "portable/cursor_bytes.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
namespace cb = cursor_bytes;

constexpr int kRole = 2;  // Arrow, the grid's box 2
constexpr std::uint32_t kMarkGrey = 0x808080;

// A cursor holding one image of each size, or an animation whose frames
// hold these sizes, one size a frame.
struct FileShape {
    std::vector<std::int32_t> sizes;
    bool framesOfEachSize = false;
};

cb::Bytes MakeFile(const FileShape& shape) {
    if (!shape.framesOfEachSize) {
        std::vector<cb::Image> images;
        for (const std::int32_t s : shape.sizes) {
            images.push_back(cb::DibImage({s, s, 32}, static_cast<std::uint16_t>(s / 2), static_cast<std::uint16_t>(s / 2)));
        }
        return cb::MakeIcon(cb::kCur, images);
    }
    std::vector<cb::Bytes> frames;
    for (const std::int32_t s : shape.sizes) frames.push_back(cb::MakeCursor(s));
    const auto count = static_cast<std::uint32_t>(frames.size());
    return cb::Riff({cb::Anih(count, count, cb::kFlagIcon), cb::FrameList(frames)});
}

struct SizeCase {
    const char* name;
    FileShape file;
    UINT dpi;
    std::optional<DWORD> baseSize;  // CursorBaseSize; nullopt: not set
    const wchar_t* line;            // the tip's line on sizes
    bool marked;
};

void PrintTo(const SizeCase& row, std::ostream* os) { *os << row.name; }

const SizeCase kSizeCases[] = {
    {"HoldsTheSize", {{32, 48, 64}}, 96, std::nullopt, L"含 32、48、64 像素；本屏幕显示为 32 像素", false},
    {"At150PercentFromThirtyTwo", {{32}}, 144, std::nullopt, L"含 32 像素；本屏幕显示为 48 像素，会被放大，可能模糊",
     true},
    {"At150PercentHeld", {{32, 48}}, 144, std::nullopt, L"含 32、48 像素；本屏幕显示为 48 像素", false},
    {"LargerSettingHeld", {{64, 32, 48}}, 96, 64, L"含 32、48、64 像素；本屏幕显示为 64 像素", false},
    {"LargerSettingMissing", {{32}}, 96, 48, L"含 32 像素；本屏幕显示为 48 像素，会被放大，可能模糊", true},
    {"SettingOutOfRangeReadAsUnset", {{32}}, 96, 1000, L"含 32 像素；本屏幕显示为 32 像素", false},
    {"OnlyLarger", {{128}}, 96, std::nullopt, L"含 128 像素；本屏幕显示为 32 像素，会被缩小", true},
    {"AnimationFramesDiffer", {{32, 48}, true}, 96, std::nullopt,
     L"含 32、48 像素；本屏幕显示为 32 像素；动画各帧所含的大小不同", false},
    {"AnimationFramesDifferNoneHeld", {{48, 64}, true}, 96, std::nullopt,
     L"含 48、64 像素；本屏幕显示为 32 像素，会被缩小；动画各帧所含的大小不同", true},
};

class PointerSizes : public EditorTest, public testing::WithParamInterface<SizeCase> {
protected:
    void Show(const SizeCase& row) {
        const std::wstring file = files / L"指针.ani";
        WriteBytes(file, MakeFile(row.file));
        registry.SetString(std::wstring(Role(kRole).valueName), file);
        if (row.baseSize) registry.SetDword(L"CursorBaseSize", *row.baseSize);
        editor.SetDpi(row.dpi);
        editor.ChuShiShuBiao();
    }

    ScratchFolder files{L"sizes"};
};

TEST_P(PointerSizes, TheTipSaysWhichSizesTheFileHoldsAndWhatThisDisplayDraws) {
    Show(GetParam());
    const std::wstring tip = editor.BoxToolTip(kRole);
    const size_t first = tip.find(L'\n');
    ASSERT_NE(first, std::wstring::npos);
    const size_t second = tip.find(L'\n', first + 1);
    ASSERT_NE(second, std::wstring::npos) << "no line on sizes";
    EXPECT_EQ(tip.substr(first + 1, second - first - 1), GetParam().line);
}

TEST_P(PointerSizes, TheBoxIsMarkedOnlyWhenTheFileLacksTheSize) {
    Show(GetParam());
    const BoxImage box = Box(kRole);
    EXPECT_EQ(box.At(box.width() - 1, 0) == kMarkGrey, GetParam().marked);
    // The corner opposite stays as the preview left it: the mark is small.
    EXPECT_NE(box.At(box.width() - 1, box.height() / 2), kMarkGrey);
}

INSTANTIATE_TEST_SUITE_P(Files, PointerSizes, testing::ValuesIn(kSizeCases),
                         [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

// ---- 实际大小 ---------------------------------------------------------------------

constexpr std::int32_t kLarge = 64;
constexpr std::uint16_t kHot = 56;         // near the bottom right corner
constexpr std::int32_t kBlockHalf = 3;     // the opaque block: kHot - 3 .. kHot + 2
constexpr std::uint32_t kBlock = 0xC03020;

// A 64 x 64 cursor, clear but for a 6 x 6 block of kBlock around its hot spot.
cb::Bytes BlockCursor() {
    cb::Bytes dib;
    cb::Put32(dib, 40);
    cb::Put32(dib, kLarge);
    cb::Put32(dib, kLarge * 2);
    cb::Put16(dib, 1);
    cb::Put16(dib, 32);
    for (int i = 0; i < 6; ++i) cb::Put32(dib, 0);
    auto inBlock = [](int v) { return v >= kHot - kBlockHalf && v < kHot + kBlockHalf; };
    for (int row = 0; row < kLarge; ++row) {  // bottom-up
        const int y = kLarge - 1 - row;
        for (int x = 0; x < kLarge; ++x) cb::Put32(dib, inBlock(x) && inBlock(y) ? 0xFF000000u | kBlock : 0u);
    }
    for (int row = 0; row < kLarge; ++row) {
        const int y = kLarge - 1 - row;
        for (int byte = 0; byte < kLarge / 8; ++byte) {
            std::uint8_t bits = 0xFF;
            for (int bit = 0; bit < 8; ++bit) {
                if (inBlock(byte * 8 + bit) && inBlock(y)) bits = static_cast<std::uint8_t>(bits & ~(0x80 >> bit));
            }
            dib.push_back(bits);
        }
    }
    return cb::MakeIcon(cb::kCur, {{dib, kLarge, kLarge, kHot, kHot}});
}

struct ActualCase {
    const char* name;
    UINT dpi;
    std::optional<DWORD> baseSize;
    bool on;
    int minBlock;  // the block's width as the box shows it
    int maxBlock;
};

void PrintTo(const ActualCase& row, std::ostream* os) { *os << row.name; }

class ActualSize : public EditorTest, public testing::WithParamInterface<ActualCase> {
protected:
    // The context menu on the box, choosing `item` (0: none).
    void Menu(UINT item) {
        desktop.menuAnswers.push_back(item);
        SendMessageW(editor.Picture(kRole).hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        PumpUntil([&] { return desktop.menuAnswers.empty(); }, 500);
    }
    bool Checked() {
        Menu(0);
        for (const FakeDesktop::MenuItem& item : desktop.menus.back()) {
            if (item.id == ContextMenu::kMenuActualSize) return item.checked;
        }
        ADD_FAILURE() << "no 实际大小 item";
        return false;
    }
    std::vector<RECT> Places() {
        std::vector<RECT> places;
        for (const int role : layout::kBoxRoles) {
            RECT r{};
            GetWindowRect(editor.Picture(role).hwnd(), &r);
            places.push_back(r);
        }
        return places;
    }

    ScratchFolder files{L"actual"};
};

// The block's bounding box in the box's image; empty when it is not shown.
RECT BlockShown(const BoxImage& box) {
    RECT found{box.width(), box.height(), -1, -1};
    for (int y = 0; y < box.height(); ++y) {
        for (int x = 0; x < box.width(); ++x) {
            if (box.At(x, y) != kBlock) continue;
            found = {std::min<LONG>(found.left, x), std::min<LONG>(found.top, y), std::max<LONG>(found.right, x + 1),
                     std::max<LONG>(found.bottom, y + 1)};
        }
    }
    return found.right < 0 ? RECT{} : found;
}

TEST_P(ActualSize, ShowsThePointerAtTheSizeDrawnHereInBoxesThatKeepTheirPlaces) {
    const ActualCase& row = GetParam();
    const std::wstring file = files / L"large.cur";
    WriteBytes(file, BlockCursor());
    registry.SetString(std::wstring(Role(kRole).valueName), file);
    if (row.baseSize) registry.SetDword(L"CursorBaseSize", *row.baseSize);
    editor.SetDpi(row.dpi);
    editor.ChuShiShuBiao();
    const std::vector<RECT> places = Places();
    const BoxImage before = Box(kRole);

    if (row.on) Menu(ContextMenu::kMenuActualSize);
    EXPECT_EQ(Checked(), row.on);
    EXPECT_EQ(editor.ActualSize(), row.on);
    const BoxImage shown = Box(kRole);
    const RECT block = BlockShown(shown);
    EXPECT_GE(block.right - block.left, row.minBlock);
    EXPECT_LE(block.right - block.left, row.maxBlock);
    EXPECT_GE(block.bottom - block.top, row.minBlock);
    EXPECT_LE(block.bottom - block.top, row.maxBlock);
    const std::vector<RECT> after = Places();
    for (size_t i = 0; i < places.size(); ++i) EXPECT_TRUE(EqualRect(&places[i], &after[i])) << "box " << i + 1;

    // Chosen again, the boxes are as they were.
    if (row.on) {
        Menu(ContextMenu::kMenuActualSize);
        EXPECT_FALSE(Checked());
        EXPECT_TRUE(Box(kRole) == before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Menu, ActualSize,
    testing::Values(
        // 64 pixels drawn from the 64-pixel image: its block whole, though
        // the box is 36 pixels across, since the hot spot is brought in.
        ActualCase{"LargeSettingCutAroundTheHotSpot", 96, 64, true, 2 * kBlockHalf, 2 * kBlockHalf},
        ActualCase{"Off", 96, 64, false, 2, 4},
        ActualCase{"OnAt100PercentIsThirtyTwo", 96, std::nullopt, true, 2, 4},
        ActualCase{"OnAt150PercentIsFortyEight", 144, std::nullopt, true, 4, 5}),
    [](const testing::TestParamInfo<ActualCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

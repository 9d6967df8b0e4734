// What the grid shows the user: previews that play at the file's own rates,
// the mark on choices still pending, a warning in place of a preview that
// cannot be made, and an animation timer that runs only when it is needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portable/cursor_bytes.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

constexpr std::uint32_t kRed = 0x00CC2222;
constexpr std::uint32_t kGreen = 0x0022AA22;
constexpr std::uint32_t kBlue = 0x002222CC;
constexpr COLORREF kMark = RGB(0x12, 0x34, 0x56);

// Three frames, red 100 ms, green 200 ms, blue 100 ms, then round again.
std::vector<std::uint8_t> RedGreenBlue() {
    using namespace cursor_bytes;
    return Riff({Anih(3, 3, kFlagIcon), Chunk("rate", Table({6, 12, 6})),
                 FrameList({MakeStaticCursor(1, 1, kRed), MakeStaticCursor(1, 1, kGreen), MakeStaticCursor(1, 1, kBlue)})});
}

// How a box came by its file, what it shows over time, and whether it is marked.
struct BoxCase {
    const char* name;
    enum class How { Settings, Chosen, ChosenThenApplied } how;
    bool animated;
    bool usable;
    std::vector<std::pair<ULONGLONG, std::uint32_t>> shown;  // ms since drawn, colour in the box's middle
    bool marked;
    bool warning;  // a warning sign in place of the preview
    // What the box's tip names after the role: the file it shows (Apply
    // leaves that as it was chosen), or why there is no preview.
    enum class Tip { TheFile, WhyNoPreview } tip;
};
void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

// Every role's setting names one static cursor, so that nothing else in the
// grid is animated (the installed busy and working pointers are).
class StillGrid : public EditorTest {
protected:
    StillGrid() {
        WriteStaticCursor(still, 1, 1, kBlue);
        for (const CursorRole& role : kRoles) registry.SetString(std::wstring(role.valueName), still);
    }
    ScratchFolder files{L"grid"};
    const std::wstring still = files / L"still.cur";
};

class GridBox : public StillGrid, public testing::WithParamInterface<BoxCase> {};

TEST_P(GridBox, ShowsItsFramesInTimeAndItsMark) {
    const BoxCase& c = GetParam();
    constexpr int kRole = 6;
    const std::wstring file = files / (c.animated ? L"动画.ani" : L"静止.cur");
    if (!c.usable) {
        WriteBytes(file, {'R', 'I', 'F', 'F', 'x'});
    } else if (c.animated) {
        WriteBytes(file, RedGreenBlue());
    } else {
        WriteStaticCursor(file, 1, 1, kBlue);
    }
    editor.SetMarkColour(kMark);
    if (c.how == BoxCase::How::Settings) registry.SetString(std::wstring(Role(kRole).valueName), file);
    if (c.how != BoxCase::How::Settings && !c.animated) WriteStaticCursor(still, 2, 2, kRed);  // tells the two apart
    editor.ChuShiShuBiao();
    if (c.how != BoxCase::How::Settings) Choose(kRole, file);
    if (c.how == BoxCase::How::ChosenThenApplied) {
        desktop.boxAnswers.push_back(IDOK);
        ClickButton(ShuBiaoKong::kYingYongId);
    }

    const ULONGLONG drawn = desktop.now;
    for (const auto& [at, colour] : c.shown) {
        desktop.now = drawn + at;
        editor.AnimationTick();
        EXPECT_EQ(Box(kRole).Middle(), colour) << at << " ms";
    }
    const BoxImage box = Box(kRole);
    const std::uint32_t mark = (GetRValue(kMark) << 16) | (GetGValue(kMark) << 8) | GetBValue(kMark);
    EXPECT_EQ(box.At(box.width() - 1, box.height() / 2) == mark, c.marked) << "right edge";
    EXPECT_EQ(box.At(box.width() / 2, box.height() - 1) == mark, c.marked) << "bottom edge";
    EXPECT_EQ(box.At(box.width() - 5, box.height() - 5), 0x00FFFFFFu) << "nothing inside the edges but the preview";
    const bool warningDrawn = box.At(6, 6) != 0x00FFFFFFu && c.shown.empty();
    EXPECT_EQ(warningDrawn, c.warning);
    EXPECT_EQ(editor.Animating(), c.animated && c.usable);

    std::wstring named = file;
    if (c.tip == BoxCase::Tip::WhyNoPreview) {
        named = editor.PreviewProblem(kRole);
        EXPECT_FALSE(named.empty());
    }
    // A box with a preview says which sizes its file holds: every test file holds 32 pixels.
    const std::wstring sizes = c.tip == BoxCase::Tip::TheFile ? L"\n含 32 像素；本屏幕显示为 32 像素" : L"";
    EXPECT_EQ(editor.BoxToolTip(kRole), Role(kRole).Name() + L" — " + named + sizes + L"\n右键：方案库、另存为方案…");
}

INSTANTIATE_TEST_SUITE_P(
    Grid, GridBox,
    testing::Values(BoxCase{"Static", BoxCase::How::Settings, false, true, {{0, kBlue}, {5000, kBlue}}, false, false, BoxCase::Tip::TheFile},
                    BoxCase{"Animated",
                            BoxCase::How::Settings,
                            true,
                            true,
                            {{0, kRed}, {99, kRed}, {100, kGreen}, {299, kGreen}, {300, kBlue}, {400, kRed}},
                            false,
                            false,
                            BoxCase::Tip::TheFile},
                    BoxCase{"AnimatedKeepsTimeAcrossSkippedSteps",
                            BoxCase::How::Settings,
                            true,
                            true,
                            {{350, kBlue}, {4000 + 150, kGreen}},
                            false,
                            false,
                            BoxCase::Tip::TheFile},
                    BoxCase{"Pending", BoxCase::How::Chosen, true, true, {{0, kRed}, {100, kGreen}}, true, false, BoxCase::Tip::TheFile},
                    BoxCase{"PendingButUnusable", BoxCase::How::Chosen, false, false, {}, true, true, BoxCase::Tip::WhyNoPreview},
                    BoxCase{"Applied", BoxCase::How::ChosenThenApplied, false, true, {{0, kBlue}}, false, false,
                            BoxCase::Tip::TheFile}),
    [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

// The timer runs while an animated preview can be seen, and only then.
TEST_F(StillGrid, TheAnimationTimerRunsOnlyWhenSeen) {
    const std::wstring file = files / L"动画.ani";
    WriteBytes(file, RedGreenBlue());
    editor.ChuShiShuBiao();
    EXPECT_FALSE(editor.Animating()) << "nothing animated";
    Choose(3, file);
    EXPECT_TRUE(editor.Animating());
    ShowWindow(host.hwnd(), SW_MINIMIZE);
    editor.UpdateAnimation();
    EXPECT_FALSE(editor.Animating()) << "minimised";
    ShowWindow(host.hwnd(), SW_RESTORE);
    editor.UpdateAnimation();
    EXPECT_TRUE(editor.Animating());
    ShowWindow(host.hwnd(), SW_HIDE);
    editor.UpdateAnimation();
    EXPECT_FALSE(editor.Animating()) << "hidden";
    ShowWindow(host.hwnd(), SW_SHOWNOACTIVATE);
    editor.UpdateAnimation();
    EXPECT_TRUE(editor.Animating());
    Choose(3, still);  // back to static files everywhere
    EXPECT_FALSE(editor.Animating());
}

// A refresh with the files unchanged reads and decodes nothing again, and an
// animation goes on where it was.
TEST_F(EditorTest, ARefreshKeepsTheAnimationGoing) {
    ScratchFolder files(L"grid");
    const std::wstring file = files / L"动画.ani";
    WriteBytes(file, RedGreenBlue());
    registry.SetString(L"Hand", file);
    editor.ChuShiShuBiao();
    desktop.now += 150;
    editor.AnimationTick();
    ASSERT_EQ(Box(4).Middle(), kGreen);
    const UniqueFile held(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);  // held with no sharing: reading it again would fail
    editor.ChuShiShuBiao();
    EXPECT_EQ(Box(4).Middle(), kGreen);
    desktop.now += 150;
    editor.AnimationTick();
    EXPECT_EQ(Box(4).Middle(), kBlue);
}

}  // namespace
}  // namespace shubiao

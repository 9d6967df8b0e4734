// 补齐尺寸 in the window: Apply and 另存为方案 with the option on fill every
// file off the window's thread first; what is in force afterwards, and what
// the window says, when the fill finishes, is cancelled in its progress
// window, or refuses one file.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "portable/cursor_bytes.h"
#include "scheme/CursorRole.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/formats/CursorFileCheck.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;

constexpr int kArrow = 2;
constexpr int kWait = 15;
constexpr const wchar_t* kSaved = L"补齐的方案";

enum class Action { Apply, SaveAs };

struct FillRow {
    const char* name;
    Action action;
    bool on;             // the option is on
    ULONGLONG delay;     // before the progress shows (the test's clock stands still)
    bool cancel;         // 取消 is pressed in the progress window
    bool arrowTooSmall;  // Arrow's file holds one 1 x 1 image: nothing to enlarge
    // What follows.
    bool written;        // the copies were placed (and, for Apply, are in force)
    bool progressShown;
    const wchar_t* says; // in the status line, or in the message box when it starts with "!"
};

void PrintTo(const FillRow& row, std::ostream* os) { *os << row.name; }

class FillInTheWindow : public EditorTest, public testing::WithParamInterface<FillRow> {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }

    ScratchFolder files{L"fill"};
};

TEST_P(FillInTheWindow, WritesOnlyWhenEveryFileIsReady) {
    const FillRow& row = GetParam();
    const Bytes arrow = row.arrowTooSmall ? cursor_bytes::MakeCursor(1) : MakeStaticCursor(2, 2);
    const Bytes wait = MakeStaticCursor(15, 15);
    WriteBytes(files / L"arrow.cur", arrow);
    WriteBytes(files / L"wait.ani", wait);
    Choose(kArrow, files / L"arrow.cur");
    Choose(kWait, files / L"wait.ani");
    editor.Library().Filling().SetOn(row.on);
    editor.Library().Filling().SetProgressDelay(row.delay);
    desktop.cancelFill = row.cancel;
    const std::wstring folder = row.action == Action::Apply ? SchemeFolder()
                                                            : library::SchemeFolder(kSaved, library::Source::User);

    if (row.action == Action::Apply) {
        desktop.boxAnswers.push_back(IDOK);
        editor.YingYong_SB_Click();
    } else {
        desktop.nameAnswers.push_back(std::wstring(kSaved));
        editor.Library().LingCunFangAn_Click();
    }

    // The user's files are only read.
    EXPECT_EQ(ReadBytes(files / L"arrow.cur"), arrow);
    EXPECT_EQ(ReadBytes(files / L"wait.ani"), wait);
    EXPECT_EQ(desktop.fillProgressShown, row.progressShown ? 1 : 0);
    if (row.progressShown && !row.cancel) {
        ASSERT_FALSE(desktop.fillProgress.empty());
        EXPECT_EQ(desktop.fillProgress.back(), std::make_pair(2, 2));
    }
    if (!row.written) {
        EXPECT_TRUE(ListFolder(folder).empty()) << "nothing placed";
        EXPECT_FALSE(registry.GetString(L"Arrow").has_value());
        EXPECT_TRUE(library::ReadSchemeLists().schemes.empty());
        EXPECT_TRUE(editor.Scheme().Pending(kArrow)) << "the choice is still there to apply";
    } else {
        const std::vector<PixelSize> five{{32, 32}, {48, 48}, {64, 64}, {96, 96}, {128, 128}};
        for (const auto& [role, original] : {std::make_pair(kArrow, arrow), std::make_pair(kWait, wait)}) {
            SCOPED_TRACE(role);
            const std::wstring copy = folder + Role(role).FileName();
            const Bytes placed = ReadBytes(copy);
            const CursorCheck check = CheckCursorBytes(placed);
            ASSERT_TRUE(check.ok());
            if (!row.on || (role == kArrow && row.arrowTooSmall)) {
                EXPECT_EQ(placed, original);
            } else {
                EXPECT_EQ(check.sizes.held, five);
            }
            if (row.action == Action::Apply) {
                EXPECT_EQ(registry.GetString(std::wstring(Role(role).valueName)), copy);
            }
        }
    }
    const std::wstring says = row.says;
    if (says.starts_with(L"!")) {
        const std::vector<FakeDesktop::Box> warnings = desktop.Warnings();
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].text.find(says.substr(1)), std::wstring::npos) << ToUtf8(warnings[0].text);
        EXPECT_NE(warnings[0].text.find(L"“" + Role(kArrow).Name() + L"”"), std::wstring::npos);
    } else {
        EXPECT_TRUE(desktop.Warnings().empty());
        EXPECT_NE(editor.Status().Text().find(says), std::wstring::npos) << ToUtf8(editor.Status().Text());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fill, FillInTheWindow,
    testing::Values(
        FillRow{"ApplyFinishesWithItsProgressShown", Action::Apply, true, 0, false, false, true, true, L"已应用 2 个"},
        FillRow{"ApplyFinishesBeforeTheProgressWouldShow", Action::Apply, true, 300, false, false, true, false,
                L"已应用 2 个"},
        FillRow{"ApplyCancelled", Action::Apply, true, 0, true, false, false, true, L"已取消补齐尺寸，没有做任何更改"},
        FillRow{"ApplyWithOneFileRefused", Action::Apply, true, 0, false, true, true, true, L"!无法补齐尺寸"},
        FillRow{"ApplyWithTheOptionOff", Action::Apply, false, 0, false, true, true, false, L"已应用 2 个"},
        FillRow{"SaveAsFinishes", Action::SaveAs, true, 0, false, false, true, true, L"已保存方案"},
        FillRow{"SaveAsCancelled", Action::SaveAs, true, 0, true, false, false, true, L"方案“补齐的方案”没有保存"},
        FillRow{"SaveAsWithOneFileRefused", Action::SaveAs, true, 0, false, true, true, true, L"!无法补齐尺寸"}),
    [](const testing::TestParamInfo<FillRow>& info) { return std::string(info.param.name); });

// ---- one action's fills: made once per file, made ahead and then used ----------

struct SizeFillRow {
    const char* name;
    std::vector<Bytes> asked;  // the originals, in the order an action asks for them
    bool madeAhead;            // the first original's fill was handed over before (as the window's worker does)
    size_t fills;              // fills held afterwards
    FillRefusal lastNote;      // the note given with the last original
    bool lastPlacedAsIs;       // the last answer is the original's own bytes
};

void PrintTo(const SizeFillRow& row, std::ostream* os) { *os << row.name; }

class SizeFillOfAnAction : public testing::TestWithParam<SizeFillRow> {};

TEST_P(SizeFillOfAnAction, FillsEachFileOnceAndPlacesTheOriginalWhenRefused) {
    const SizeFillRow& row = GetParam();
    SizeFill fill;
    // A fill made ahead is taken as it is: here a stand-in the action could not have made itself.
    const Bytes ahead = cursor_bytes::MakeCursor(48);
    if (row.madeAhead) {
        FilledCursor made;
        made.bytes = ahead;
        fill.Add(row.asked.front(), made);
    }
    FillNote note;
    Bytes last;
    for (const Bytes& original : row.asked) {
        note = {};
        last = fill.BytesFor(original, note);
        if (row.madeAhead && original == row.asked.front()) {
            EXPECT_EQ(last, ahead);
        }
    }
    EXPECT_EQ(fill.size(), row.fills);
    EXPECT_EQ(note.refusal, row.lastNote);
    EXPECT_EQ(last == row.asked.back(), row.lastPlacedAsIs);
    if (!row.lastPlacedAsIs && !row.madeAhead) {
        EXPECT_EQ(CheckCursorBytes(last).sizes.held.size(), 5u);
    }
    EXPECT_EQ(DescribeFillNote(note).find(L"无法补齐尺寸") != std::wstring::npos, note.PlacedOriginal());
}

INSTANTIATE_TEST_SUITE_P(
    Fill, SizeFillOfAnAction,
    testing::Values(
        SizeFillRow{"OneFile", {MakeStaticCursor(1, 1)}, false, 1, FillRefusal::None, false},
        SizeFillRow{"TheSameFileForTwoRoles", {MakeStaticCursor(1, 1), MakeStaticCursor(1, 1)}, false, 1,
                    FillRefusal::None, false},
        SizeFillRow{"TwoFiles", {MakeStaticCursor(1, 1), MakeStaticCursor(2, 2)}, false, 2, FillRefusal::None, false},
        SizeFillRow{"ATinyFileIsPlacedAsItIs", {MakeStaticCursor(1, 1), cursor_bytes::MakeCursor(1)}, false, 2,
                    FillRefusal::TooSmall, true},
        SizeFillRow{"AFillMadeAheadIsUsed", {MakeStaticCursor(1, 1)}, true, 1, FillRefusal::None, false},
        SizeFillRow{"AFillMadeAheadBesideOneMadeNow", {MakeStaticCursor(1, 1), MakeStaticCursor(2, 2)}, true, 2,
                    FillRefusal::None, false}),
    [](const testing::TestParamInfo<SizeFillRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

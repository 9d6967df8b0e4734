// Malformed cursor files, one of each family of the checker's table (whole
// file, image, RIFF, frame), fed to the running editor as a user would: left
// in the registry, picked for a box, hovered and applied. The checker's own
// test goes through the whole table. None of it may reach Windows' cursor loader, so the program never
// crashes or stalls, the box stays blank, the pointer stays as it was and
// Apply skips the role with a reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "portable/malformed_cursors.h"
#include "scheme/CursorRole.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using malformed_cursors::Case;
using malformed_cursors::kMalformed;

constexpr int kArrow = 2;
constexpr int kWait = 15;

HCURSOR ClassCursor(ShuBiaoKong& editor) {
    return reinterpret_cast<HCURSOR>(GetClassLongPtrW(editor.Picture16().hwnd(), GCLP_HCURSOR));
}

// One case of each family, taken from the checker's table by name.
std::vector<Case> OnePerFamily() {
    std::vector<Case> cases;
    for (const char* name : {"PlainText", "BitmapHeightNotDoubled", "StepCountHuge", "FrameImageCut"}) {
        for (const Case& c : kMalformed) {
            if (std::string_view(c.name) == name) cases.push_back(c);
        }
    }
    return cases;
}

class MalformedCursorFile : public EditorTest, public testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        const std::vector<std::uint8_t> bytes = GetParam().make();
        // Animations under a ".cur" name, the rest under ".ani": the content
        // decides, never the name.
        const bool asCur = bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "RIFF");
        path = files / (std::wstring(L"坏的光标") + (asCur ? L".cur" : L".ani"));
        WriteBytes(path, bytes);
        started = GetTickCount64();
    }
    void TearDown() override {
        EditorTest::TearDown();
        // A huge step count once stalled the loader for seconds.
        EXPECT_LT(GetTickCount64() - started, 3000u) << "the editor stalled on this file";
    }

    ScratchFolder files{L"bad"};
    std::wstring path;
    ULONGLONG started = 0;
};

TEST_P(MalformedCursorFile, LeftInTheRegistryPreviewsBlank) {
    registry.SetString(L"Arrow", path);
    editor.ChuShiShuBiao();
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kArrow), path);
    EXPECT_EQ(editor.FrameShown(kArrow), -1) << "no preview of it";
    EXPECT_EQ(editor.PreviewProblem(kArrow), DescribeCursorFault(GetParam().fault));
    EXPECT_FALSE(Box(kWait).Drawn() == 0) << "the other roles are still drawn";
}

TEST_P(MalformedCursorFile, PickedHoveredAndAppliedIsRefused) {
    editor.ChuShiShuBiao();
    Choose(kArrow, path);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kArrow), path);
    EXPECT_EQ(editor.FrameShown(kArrow), -1) << "no preview of it";
    EXPECT_EQ(editor.PreviewProblem(kArrow), DescribeCursorFault(GetParam().fault));

    // Hover a good box first, then the bad one: the pointer stays the good one.
    editor.Picture16_MouseMove();
    editor.Picture_MouseMove(kWait);
    const HCURSOR good = ClassCursor(editor);
    editor.Picture16_MouseMove();
    editor.Picture_MouseMove(kArrow);
    EXPECT_EQ(ClassCursor(editor), good);
    EXPECT_EQ(WindowText(editor.Text1()), L"1");

    // Apply: confirmed, then the warning about the skipped role.
    const std::wstring good_file = files / L"好的.cur";
    WriteStaticCursor(good_file, 3, 3);
    Choose(kWait, good_file);
    desktop.boxAnswers = {IDOK, IDOK};
    editor.YingYong_SB_Click();

    EXPECT_FALSE(registry.Exists(L"Arrow")) << "the setting must not name a bad file";
    EXPECT_FALSE(FileExists(SchemeFolder() + L"Arrow.ani"));
    EXPECT_TRUE(registry.Exists(L"Wait")) << "the good role still applies";
    ASSERT_EQ(desktop.systemCursors.size(), 1u);
    EXPECT_EQ(desktop.systemCursors[0].id, Role(kWait).systemCursorId);
    ASSERT_EQ(desktop.boxes.size(), 2u);
    const std::wstring& warning = desktop.boxes[1].text;
    EXPECT_NE(warning.find(std::wstring(Role(kArrow).caption)), std::wstring::npos) << "names the skipped role";
    EXPECT_NE(warning.find(std::wstring(DescribeCursorFault(GetParam().fault))), std::wstring::npos)
        << "gives the reason";
}

INSTANTIATE_TEST_SUITE_P(EveryCase, MalformedCursorFile, testing::ValuesIn(OnePerFamily()),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

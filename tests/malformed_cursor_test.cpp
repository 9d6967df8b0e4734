// Every malformed cursor file of the checker's table, fed to the running
// editor as a user would: left in the registry, picked for a box, hovered and
// applied. None of it may reach Windows' cursor loader, so the program never
// crashes or stalls, the box stays blank, the pointer stays as it was and
// Apply skips the role with a reason.
#include <gtest/gtest.h>

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

bool BoxIsBlank(PictureBox& box) {
    const std::uint32_t* pixels = box.Pixels();
    for (int i = 0; i < box.ImageWidth() * box.ImageHeight(); ++i) {
        if ((pixels[i] & 0x00FFFFFFu) != 0x00FFFFFFu) return false;
    }
    return true;
}

HCURSOR ClassCursor(ShuBiaoKong& editor) {
    return reinterpret_cast<HCURSOR>(GetClassLongPtrW(editor.Picture(1).hwnd(), GCLP_HCURSOR));
}

class MalformedCursorFile : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        const std::vector<std::uint8_t> bytes = GetParam().make();
        // Odd cases under a ".cur" name: the content decides, never the name.
        const bool asCur = (&GetParam() - std::begin(kMalformed)) % 2 == 1;
        path = files / (std::wstring(L"坏的光标") + (asCur ? L".cur" : L".ani"));
        WriteBytes(path, bytes);
        started = GetTickCount64();
    }
    void TearDown() override {
        EXPECT_TRUE(f.errors.empty()) << "an error left a handler";
        // A huge step count once stalled the loader for seconds.
        EXPECT_LT(GetTickCount64() - started, 3000u) << "the editor stalled on this file";
    }

    EditorFixture f;
    ScratchFolder files{L"bad"};
    std::wstring path;
    ULONGLONG started = 0;
};

TEST_P(MalformedCursorFile, LeftInTheRegistryPreviewsBlank) {
    f.registry.SetString(L"Arrow", path);
    f.editor.ChuShiShuBiao();
    EXPECT_EQ(f.editor.Scheme().RoleCursorFile(kArrow), path);
    EXPECT_TRUE(BoxIsBlank(f.editor.Picture(kArrow)));
    EXPECT_FALSE(BoxIsBlank(f.editor.Picture(kWait))) << "the other roles are still drawn";
}

TEST_P(MalformedCursorFile, PickedHoveredAndAppliedIsRefused) {
    f.editor.ChuShiShuBiao();
    f.desktop.openAnswers.push_back(path);
    f.editor.Picture_Click(kArrow);
    EXPECT_EQ(f.editor.Scheme().RoleCursorFile(kArrow), path);
    EXPECT_TRUE(BoxIsBlank(f.editor.Picture(kArrow)));

    // Hover a good box first, then the bad one: the pointer stays the good one.
    f.editor.Picture16_MouseMove();
    f.editor.Picture_MouseMove(kWait);
    const HCURSOR good = ClassCursor(f.editor);
    f.editor.Picture16_MouseMove();
    f.editor.Picture_MouseMove(kArrow);
    EXPECT_EQ(ClassCursor(f.editor), good);
    EXPECT_EQ(WindowText(f.editor.Text1()), L"1");

    // Apply: confirmed, then the warning about the skipped role.
    const std::wstring good_file = files / L"好的.cur";
    WriteStaticCursor(good_file, 3, 3);
    f.desktop.openAnswers.push_back(good_file);
    f.editor.Picture_Click(kWait);
    f.desktop.boxAnswers = {IDOK, IDOK};
    f.editor.YingYong_SB_Click();

    EXPECT_FALSE(f.registry.Exists(L"Arrow")) << "the setting must not name a bad file";
    EXPECT_FALSE(FileExists(f.SchemeFolder() + L"Arrow.ani"));
    EXPECT_TRUE(f.registry.Exists(L"Wait")) << "the good role still applies";
    ASSERT_EQ(f.desktop.systemCursors.size(), 1u);
    EXPECT_EQ(f.desktop.systemCursors[0].id, Role(kWait).systemCursorId);
    ASSERT_EQ(f.desktop.boxes.size(), 2u);
    const std::wstring& warning = f.desktop.boxes[1].text;
    EXPECT_NE(warning.find(std::wstring(Role(kArrow).caption)), std::wstring::npos) << "names the skipped role";
    EXPECT_NE(warning.find(std::wstring(DescribeCursorFault(GetParam().fault))), std::wstring::npos)
        << "gives the reason";
}

INSTANTIATE_TEST_SUITE_P(EveryCase, MalformedCursorFile, testing::ValuesIn(kMalformed),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

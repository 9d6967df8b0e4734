// Loading the scheme in force into the previews: registry values, fallbacks,
// expandable paths, chosen files, Refresh, and what a box shows.
#include <gtest/gtest.h>

#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

// Copies role `n`'s installed cursor into `folder` under `name`.
std::wstring CopyOfRoleCursor(const ScratchFolder& folder, int n, const std::wstring& name) {
    const std::wstring copy = folder / name;
    EXPECT_TRUE(CopyFileW(DataStorageFile(std::wstring(Role(n).valueName)).c_str(), copy.c_str(), FALSE));
    return copy;
}

class Loading : public EditorTest {
protected:
    int DrawnPixels(int role) { return Box(role).Drawn(); }
    ScratchFolder cursors{L"cur"};
};

TEST_F(Loading, MissingValueFallsBackToTheInstalledFileOthersComeFromTheRegistry) {
    for (int n = 1; n <= kRoleCount; ++n) {
        if (n == 2) continue;  // Arrow has no value
        registry.SetString(std::wstring(Role(n).valueName),
                           CopyOfRoleCursor(cursors, n, L"mine" + std::to_wstring(n) + L".cur"));
    }
    editor.ChuShiShuBiao();
    EXPECT_FALSE(IsWindowVisible(editor.XianShi().hwnd()));
    for (int n = 1; n <= kRoleCount; ++n) {
        const std::wstring want = n == 2 ? DataStorageFolder() + L"Arrow.ani"
                                         : cursors / (L"mine" + std::to_wstring(n) + L".cur");
        EXPECT_EQ(editor.Scheme().RoleCursorFile(n), want) << n;
        EXPECT_FALSE(editor.Scheme().RoleChanged(n)) << n;
        if (HasBox(n)) {
            EXPECT_GT(DrawnPixels(n), 20) << "box " << n;
        }
    }
    EXPECT_FALSE(registry.Exists(L"Arrow")) << "loading writes nothing";
}

TEST_F(Loading, EmptyValueTakesNoFallbackAndIsReadAgainNextTime) {
    registry.SetString(L"Arrow", L"");
    editor.ChuShiShuBiao();
    EXPECT_EQ(editor.Scheme().RoleCursorFile(2), L"");
    EXPECT_EQ(DrawnPixels(2), 0);
    EXPECT_GT(DrawnPixels(1), 20) << "the others still load";

    registry.SetString(L"Arrow", CopyOfRoleCursor(cursors, 2, L"arrow.cur"));
    editor.ChuShi_SB_Click();
    EXPECT_EQ(editor.Scheme().RoleCursorFile(2), cursors / L"arrow.cur");
    EXPECT_GT(DrawnPixels(2), 20);
}

TEST_F(Loading, ExpandableValueIsDrawnAndKeptAsWritten) {
    CopyOfRoleCursor(cursors, 2, L"aero_arrow.cur");
    ASSERT_TRUE(SetEnvironmentVariableW(L"ShuBiaoTestRoot", cursors.Path().c_str()));
    const std::wstring stored = L"%ShuBiaoTestRoot%\\aero_arrow.cur";
    registry.SetString(L"Arrow", stored, REG_EXPAND_SZ);
    editor.ChuShiShuBiao();
    SetEnvironmentVariableW(L"ShuBiaoTestRoot", nullptr);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(2), stored);
    EXPECT_GT(DrawnPixels(2), 20);
}

TEST_F(Loading, ABoxShowsACursorAndStaysBlankForANonCursorOrMissingFile) {
    WriteBytes(cursors / L"text.cur", {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
    registry.SetString(L"Arrow", CopyOfRoleCursor(cursors, 15, L"busy.ani"));
    registry.SetString(L"Wait", cursors / L"text.cur");
    registry.SetString(L"Hand", cursors / L"missing.cur");
    editor.ChuShiShuBiao();
    EXPECT_GT(DrawnPixels(2), 20) << "an animated cursor shows its first frame";
    EXPECT_EQ(DrawnPixels(15), 0);
    EXPECT_EQ(DrawnPixels(4), 0);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(4), cursors / L"missing.cur") << "no fallback for a missing file";
}

TEST_F(Loading, TheDrawingSurvivesCoveringAndRepainting) {
    editor.ChuShiShuBiao();
    const int before = DrawnPixels(3);
    ASSERT_GT(before, 20);
    ShowWindow(editor.XianShi().hwnd(), SW_SHOW);
    RedrawWindow(host.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ShowWindow(editor.XianShi().hwnd(), SW_HIDE);
    RedrawWindow(host.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(DrawnPixels(3), before);
    // What is on screen is the persistent image.
    HWND box = editor.Picture(3).hwnd();
    HDC dc = GetDC(box);
    int onScreen = 0;
    for (int y = 0; y < 36; ++y) {
        for (int x = 0; x < 36; ++x) onScreen += (GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF;
    }
    ReleaseDC(box, dc);
    EXPECT_EQ(onScreen, before);
}

TEST_F(Loading, AChosenFileIsKeptOverAReloadAndRefreshDiscardsIt) {
    const std::wstring chosen = CopyOfRoleCursor(cursors, 15, L"chosen.ani");
    registry.SetString(L"Arrow", CopyOfRoleCursor(cursors, 2, L"arrow.cur"));
    editor.ChuShiShuBiao();
    Choose(2, chosen);
    ASSERT_EQ(editor.Scheme().RoleCursorFile(2), chosen);
    ASSERT_TRUE(editor.Scheme().RoleChanged(2));
    const BoxImage busy = Box(2);

    editor.SetDpi(96);  // no change: nothing reloads
    editor.SetDpi(120);  // reloads for the new pointer size, choices kept
    EXPECT_EQ(editor.Scheme().RoleCursorFile(2), chosen);
    EXPECT_TRUE(editor.Scheme().RoleChanged(2));
    editor.SetDpi(96);
    EXPECT_EQ(Box(2), busy);

    desktop.boxAnswers.push_back(IDNO);  // the pending choice is dropped
    editor.ChuShi_SB_Click();
    EXPECT_EQ(editor.Scheme().RoleCursorFile(2), cursors / L"arrow.cur");
    for (int n = 1; n <= kRoleCount; ++n) EXPECT_FALSE(editor.Scheme().RoleChanged(n)) << n;
    EXPECT_NE(Box(2), busy);
}

}  // namespace
}  // namespace shubiao

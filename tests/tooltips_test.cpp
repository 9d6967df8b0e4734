// The boxes' names and tooltips: what the tip says for each kind of box, and
// that the common-controls tooltip itself gives that text.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwctype>
#include <iterator>
#include <ostream>
#include <string>

#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

class ToolTipTest : public EditorTest {
protected:
    std::wstring CursorFile(const std::wstring& name) {
        WriteStaticCursor(files / name, 3, 3);
        return files / name;
    }
    std::wstring JunkFile(const std::wstring& name) {
        WriteBytes(files / name, {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
        return files / name;
    }
    void Apply() {
        desktop.boxAnswers.push_back(IDOK);
        editor.YingYong_SB_Click();
    }

    ScratchFolder files{L"tips"};
};

// How the box came to show what it shows.
enum class Origin {
    Setting,             // the Cursors key names a cursor file
    SettingMissingFile,  // ... a file that is not there (not pending)
    NoSetting,           // the installed fallback
    SettingFallbackCase, // the fallback's path in upper case
    Chosen,              // picked in the file dialog
    ChosenJunk,          // picked, not a cursor: no preview
    ChosenGoneAtApply,   // picked and shown, deleted before Apply
    ChosenJunkApplied,   // picked, no preview, refused by Apply
};
enum class Shows { File, Fallback, PreviewProblem, ApplyReason };

struct TipCase {
    const char* name;
    Origin origin;
    int role;
    const wchar_t* roleName;  // the box's window text and the tip's start
    Shows shows;
    const wchar_t* sizes = nullptr;  // the line on the sizes the file holds; nullptr: none (no preview)
};

constexpr const wchar_t* kTestCursorSizes = L"含 32 像素；本屏幕显示为 32 像素";
constexpr const wchar_t* kInstalledSizes = L"含 32、48、64 像素；本屏幕显示为 32 像素";

void PrintTo(const TipCase& tip, std::ostream* out) { *out << tip.name; }

class ToolTipText : public ToolTipTest, public testing::WithParamInterface<TipCase> {};

TEST_P(ToolTipText, NamesTheRoleAndWhatTheBoxShows) {
    const TipCase& tip = GetParam();
    const std::wstring valueName(Role(tip.role).valueName);
    std::wstring file;
    if (tip.origin == Origin::Setting) file = CursorFile(L"设置.cur");
    if (tip.origin == Origin::SettingMissingFile) file = files / L"不在了.cur";
    if (tip.origin == Origin::SettingFallbackCase) {
        file = DataStorageFile(valueName);
        for (wchar_t& c : file) c = static_cast<wchar_t>(std::towupper(c));
    }
    if (!file.empty()) registry.SetString(valueName, file);
    editor.ChuShiShuBiao();
    switch (tip.origin) {
    case Origin::Chosen:
    case Origin::ChosenGoneAtApply:
        file = CursorFile(L"选中.cur");
        break;
    case Origin::ChosenJunk:
    case Origin::ChosenJunkApplied:
        file = JunkFile(L"坏.cur");
        break;
    default:
        break;
    }
    if (tip.origin >= Origin::Chosen) Choose(tip.role, file);
    if (tip.origin == Origin::ChosenGoneAtApply) {
        ASSERT_TRUE(DeleteFileW(file.c_str()));
    }
    if (tip.origin == Origin::ChosenGoneAtApply || tip.origin == Origin::ChosenJunkApplied) Apply();

    std::wstring shown = file;
    if (tip.shows == Shows::Fallback) shown = L"默认";
    if (tip.shows == Shows::PreviewProblem) shown = editor.PreviewProblem(tip.role);
    if (tip.shows == Shows::ApplyReason) shown = editor.Scheme().PendingReason(tip.role);
    ASSERT_FALSE(shown.empty());
    const std::wstring sizes = tip.sizes != nullptr ? L"\n" + std::wstring(tip.sizes) : L"";
    EXPECT_EQ(editor.BoxToolTip(tip.role),
              std::wstring(tip.roleName) + L" — " + shown + sizes + L"\n右键：方案库、另存为方案…");
    EXPECT_EQ(WindowText(editor.Picture(tip.role).hwnd()), tip.roleName) << "the name screen readers read";
}

INSTANTIATE_TEST_SUITE_P(
    Grid, ToolTipText,
    testing::Values(TipCase{"FromTheSettings", Origin::Setting, 2, L"正常选择", Shows::File, kTestCursorSizes},
                    TipCase{"SettingNamesAMissingFile", Origin::SettingMissingFile, 3, L"精确定位", Shows::File},
                    TipCase{"InstalledFallback", Origin::NoSetting, 8, L"手写", Shows::Fallback, kInstalledSizes},
                    TipCase{"FallbackNamedInOtherCase", Origin::SettingFallbackCase, 7, L"不可用", Shows::Fallback,
                            kInstalledSizes},
                    TipCase{"Chosen", Origin::Chosen, 15, L"忙", Shows::File, kTestCursorSizes},
                    TipCase{"PendingWithoutAPreview", Origin::ChosenJunk, 6, L"选定文本", Shows::PreviewProblem},
                    // The box still shows the preview made before the file went.
                    TipCase{"PendingThatApplySkipped", Origin::ChosenGoneAtApply, 4, L"链接选择", Shows::ApplyReason,
                            kTestCursorSizes},
                    TipCase{"PendingWithoutAPreviewThatApplySkipped", Origin::ChosenJunkApplied, 9, L"移动",
                            Shows::ApplyReason}),
    [](const testing::TestParamInfo<TipCase>& info) { return std::string(info.param.name); });

// The tooltip control itself: one tool per box, half a second's delay, and
// the box's text when asked as it asks when it shows the tip.
TEST_F(ToolTipTest, TheTooltipControlGivesTheBoxsText) {
    editor.ChuShiShuBiao();
    const std::wstring chosen = CursorFile(L"精确.cur");
    Choose(3, chosen);
    HWND tip = editor.ToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), layout::kBoxCount);
    EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    auto textOf = [&](int role) {
        wchar_t buffer[1024] = L"";
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = editor.hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(editor.Picture(role).hwnd());
        tool.lpszText = buffer;
        SendMessageW(tip, TTM_GETTEXTW, std::size(buffer), reinterpret_cast<LPARAM>(&tool));
        return std::wstring(buffer);
    };
    EXPECT_EQ(textOf(2), L"正常选择 — 默认\n" + std::wstring(kInstalledSizes) + L"\n右键：方案库、另存为方案…");
    EXPECT_EQ(textOf(3), L"精确定位 — " + chosen + L"\n" + kTestCursorSizes + L"\n右键：方案库、另存为方案…");
}

// The pointer resting on a box shows that box's tip: the box hands its
// mouse messages to the tooltip, which is made by the first of them.
TEST_F(ToolTipTest, ThePointerRestingOnABoxShowsItsTip) {
    editor.ChuShiShuBiao();
    HWND box = editor.Picture(3).hwnd();
    RECT r{};
    GetWindowRect(box, &r);
    // Off the box first, so that coming onto it is a move.
    ASSERT_TRUE(SetCursorPos(r.left - 20, r.top - 20));
    PumpUntil([] { return false; }, 100);
    ASSERT_TRUE(SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    // A tooltip's owner is the top-level window of the one that made it.
    HWND owner = GetAncestor(editor.hwnd(), GA_ROOT);
    HWND tip = nullptr;
    const bool shown = PumpUntil(
        [&] {
            tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
            while (tip != nullptr && GetWindow(tip, GW_OWNER) != owner) {
                tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
            }
            return tip != nullptr && IsWindowVisible(tip);
        },
        3000);
    ASSERT_TRUE(shown) << "no tip within 3 s of the pointer resting on box 3";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    ASSERT_TRUE(SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(reinterpret_cast<HWND>(tool.uId), box);
}

// The tip's font is made for the window's DPI, and again when it changes.
TEST_F(ToolTipTest, TheTipsFontFollowsTheDpi) {
    auto fontHeight = [&] {
        LOGFONTW face{};
        const auto font = reinterpret_cast<HFONT>(SendMessageW(editor.ToolTip(), WM_GETFONT, 0, 0));
        return font != nullptr && GetObjectW(font, sizeof(face), &face) != 0 ? std::abs(face.lfHeight) : 0L;
    };
    ASSERT_EQ(editor.Dpi(), 96u);
    const LONG at96 = fontHeight();
    ASSERT_GT(at96, 0);
    editor.SetDpi(192);
    EXPECT_NEAR(fontHeight(), 2 * at96, 1);
}

}  // namespace
}  // namespace shubiao

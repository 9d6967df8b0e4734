// The grid's tooltip: what it says for each kind of box, and that the
// common-controls tooltip itself gives that text.
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
        const std::wstring path = files / name;
        WriteStaticCursor(path, 3, 3);
        return path;
    }
    std::wstring JunkFile(const std::wstring& name) {
        const std::wstring path = files / name;
        WriteBytes(path, {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
        return path;
    }
    void Apply() {
        desktop.boxAnswers.push_back(IDOK);
        editor.YingYong_SB_Click();
    }

    ScratchFolder files{L"tips"};
};

// How the box came to show what it shows, and what the tip then names.
enum class BoxState {
    FromTheSettings,           // the Cursors key names a cursor file
    SettingNamesAMissingFile,  // ... one that is not there (not pending)
    NoSetting,                 // the installed fallback
    SettingNamesTheFallback,   // the fallback's path, in other case
    Chosen,                    // picked in the file dialog, not applied
    ChosenJunk,                // picked, not a cursor: no preview
    ChosenThenGoneAtApply,     // picked, shown, deleted before Apply
    ChosenJunkThenApplied,     // picked, no preview, refused by Apply
};
enum class Shows { File, Fallback, PreviewProblem, ApplyReason };

struct TipCase {
    const char* name;
    BoxState box;
    int role;
    const wchar_t* roleName;  // how the tip starts
    Shows shows;
};

void PrintTo(const TipCase& tip, std::ostream* out) { *out << tip.name; }

class ToolTipText : public ToolTipTest, public testing::WithParamInterface<TipCase> {};

TEST_P(ToolTipText, NamesTheRoleAndWhatTheBoxShows) {
    const TipCase& tip = GetParam();
    const std::wstring valueName(Role(tip.role).valueName);
    std::wstring file;
    switch (tip.box) {
    case BoxState::FromTheSettings:
        file = CursorFile(L"设置.cur");
        registry.SetString(valueName, file);
        break;
    case BoxState::SettingNamesAMissingFile:
        file = files / L"不在了.cur";
        registry.SetString(valueName, file);
        break;
    case BoxState::SettingNamesTheFallback: {
        std::wstring upper = DataStorageFile(valueName);
        for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
        registry.SetString(valueName, upper);
        break;
    }
    default:
        break;
    }
    editor.ChuShiShuBiao();
    switch (tip.box) {
    case BoxState::Chosen:
        file = CursorFile(L"选中.cur");
        Choose(tip.role, file);
        break;
    case BoxState::ChosenJunk:
        file = JunkFile(L"坏.ani");
        Choose(tip.role, file);
        break;
    case BoxState::ChosenThenGoneAtApply:
        file = CursorFile(L"会删掉.cur");
        Choose(tip.role, file);
        ASSERT_TRUE(DeleteFileW(file.c_str()));
        Apply();
        break;
    case BoxState::ChosenJunkThenApplied:
        file = JunkFile(L"坏.cur");
        Choose(tip.role, file);
        Apply();
        break;
    default:
        break;
    }

    std::wstring shown;
    switch (tip.shows) {
    case Shows::File:
        shown = file;
        break;
    case Shows::Fallback:
        shown = L"默认";
        break;
    case Shows::PreviewProblem:
        shown = editor.PreviewProblem(tip.role);
        ASSERT_FALSE(shown.empty()) << "the box has no preview";
        break;
    case Shows::ApplyReason:
        shown = editor.Scheme().PendingReason(tip.role);
        ASSERT_FALSE(shown.empty()) << "Apply left the role as it was";
        break;
    }
    EXPECT_EQ(editor.BoxToolTip(tip.role), std::wstring(tip.roleName) + L" — " + shown);
}

INSTANTIATE_TEST_SUITE_P(
    Grid, ToolTipText,
    testing::Values(TipCase{"FromTheSettings", BoxState::FromTheSettings, 2, L"正常选择", Shows::File},
                    TipCase{"SettingNamesAMissingFile", BoxState::SettingNamesAMissingFile, 3, L"精确定位", Shows::File},
                    TipCase{"InstalledFallback", BoxState::NoSetting, 8, L"手写", Shows::Fallback},
                    TipCase{"SettingNamesTheFallbackInOtherCase", BoxState::SettingNamesTheFallback, 7, L"不可用",
                            Shows::Fallback},
                    TipCase{"Chosen", BoxState::Chosen, 15, L"忙", Shows::File},
                    TipCase{"PendingWithoutAPreview", BoxState::ChosenJunk, 6, L"选定文本", Shows::PreviewProblem},
                    TipCase{"PendingThatApplySkipped", BoxState::ChosenThenGoneAtApply, 4, L"链接选择",
                            Shows::ApplyReason},
                    TipCase{"PendingWithoutAPreviewThatApplySkipped", BoxState::ChosenJunkThenApplied, 9, L"移动",
                            Shows::ApplyReason}),
    [](const testing::TestParamInfo<TipCase>& info) { return std::string(info.param.name); });

// The text the tooltip control itself holds for a box, asked for as the
// control asks when it shows the tip; its tools and its delay.
TEST_F(ToolTipTest, TheTooltipControlGivesTheBoxsText) {
    editor.ChuShiShuBiao();
    const std::wstring chosen = CursorFile(L"精确.cur");
    Choose(3, chosen);
    HWND tip = editor.ToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), kRoleCount) << "one tool per box";
    EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500) << "shows after half a second";

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
    EXPECT_EQ(textOf(2), L"正常选择 — 默认");
    EXPECT_EQ(textOf(3), L"精确定位 — " + chosen);
}

// The tip's font is made for the window's DPI, again when it changes.
TEST_F(ToolTipTest, TheTipsFontFollowsTheDpi) {
    auto fontHeight = [&] {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(editor.ToolTip(), WM_GETFONT, 0, 0));
        LOGFONTW face{};
        if (font == nullptr || GetObjectW(font, sizeof(face), &face) == 0) return 0L;
        return std::abs(face.lfHeight);
    };
    ASSERT_EQ(editor.Dpi(), 96u);
    const LONG at96 = fontHeight();
    ASSERT_GT(at96, 0);
    editor.SetDpi(192);
    EXPECT_NEAR(fontHeight(), 2 * at96, 1);
}

}  // namespace
}  // namespace shubiao

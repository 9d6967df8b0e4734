// Pending choices against the steps that would lose them: closing the
// window, 刷 新 and an import over them, each answered in the three ways.
#include <gtest/gtest.h>

#include <string>

#include "app/MainWindow.h"
#include "app/Skin.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;

enum class Step { Close, Refresh, Import };

struct PendingCase {
    const char* name;
    Step step;
    int pending;           // Arrow, Help and Wait chosen (3), or none (0)
    int answer;            // IDYES apply, IDNO drop, IDCANCEL cancel
    const wchar_t* asked;  // the question's start; nullptr: nothing asked
    bool done;             // the step went on
};
void PrintTo(const PendingCase& c, std::ostream* os) { *os << c.name; }

class PendingChoices : public testing::TestWithParam<PendingCase> {
protected:
    PendingChoices() { SetErrorReporter([](HWND, const std::wstring& message) { ADD_FAILURE() << ToUtf8(message); }); }
    void TearDown() override {
        SetErrorReporter(nullptr);
        SkinH_Detach();
        MSG msg{};
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    FakeDesktop desktop;
    ScratchRegistry registry;
    ScratchFolder windows{L"win"};
    ScopedWindir windir{windows.Path()};
    ScratchFolder files{L"pending"};
};

TEST_P(PendingChoices, AreAppliedDroppedOrKeptAsAnswered) {
    const PendingCase& c = GetParam();
    MainWindow main(desktop);
    main.Create(SW_SHOWNOACTIVATE);
    ShuBiaoKong& editor = main.Editor();
    for (const int role : {2, 5, 15}) {
        if (c.pending == 0) break;
        WriteStaticCursor(files / (std::to_wstring(role) + L".cur"), 3, 3);
        editor.ChooseFile(role, files / (std::to_wstring(role) + L".cur"));
    }
    // The pack sets two of the three: Arrow and Wait.
    CreateDirectoryW((files / L"pack").c_str(), nullptr);
    WriteStaticCursor(files / L"pack\\Normal Select.cur", 7, 7);
    WriteStaticCursor(files / L"pack\\Busy.cur", 7, 7);
    desktop.boxAnswers.push_back(c.answer);
    if (c.step == Step::Close) SendMessageW(main.hwnd(), WM_CLOSE, 0, 0);
    if (c.step == Step::Refresh) SendMessageW(editor.hwnd(), WM_COMMAND, MAKEWPARAM(ShuBiaoKong::kChuShiId, BN_CLICKED), 0);
    if (c.step == Step::Import) editor.ImportPath(files / L"pack");

    std::vector<std::wstring> asked;
    for (const auto& box : desktop.boxes) {
        if (box.style == static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION)) asked.push_back(box.text);
    }
    ASSERT_EQ(asked.size(), c.asked == nullptr ? 0u : 1u);
    if (c.asked != nullptr) {
        EXPECT_EQ(asked[0].rfind(c.asked, 0), 0u) << ToUtf8(asked[0]);
    }
    EXPECT_EQ(registry.Exists(L"Help"), c.answer == IDYES && c.pending > 0) << "applied only when answered so";
    if (c.step == Step::Close) {
        EXPECT_EQ(main.hwnd() == nullptr, c.done);
        return;
    }
    // Refreshed or imported over: no longer pending; kept: still pending.
    EXPECT_EQ(editor.Scheme().Pending(2), c.step == Step::Import || (!c.done && c.pending > 0));
    EXPECT_EQ(editor.Scheme().RoleCursorFile(2) == files / L"pack\\Normal Select.cur", c.step == Step::Import && c.done);
    // Help, which the pack does not set, stays pending unless applied or refreshed.
    EXPECT_EQ(editor.Scheme().Pending(5), c.pending > 0 && c.answer != IDYES && !(c.step == Step::Refresh && c.done));
}

INSTANTIATE_TEST_SUITE_P(
    Editor, PendingChoices,
    testing::Values(PendingCase{"CloseApply", Step::Close, 3, IDYES, L"有 3 个鼠标指针尚未应用，关闭窗口会放弃它们。", true},
                    PendingCase{"CloseDrop", Step::Close, 3, IDNO, L"有 3 个", true},
                    PendingCase{"CloseCancel", Step::Close, 3, IDCANCEL, L"有 3 个", false},
                    PendingCase{"CloseNothingPending", Step::Close, 0, IDCANCEL, nullptr, true},
                    PendingCase{"RefreshApply", Step::Refresh, 3, IDYES, L"有 3 个鼠标指针尚未应用，刷新会放弃它们。", true},
                    PendingCase{"RefreshDrop", Step::Refresh, 3, IDNO, L"有 3 个", true},
                    PendingCase{"RefreshCancel", Step::Refresh, 3, IDCANCEL, L"有 3 个", false},
                    PendingCase{"RefreshNothingPending", Step::Refresh, 0, IDCANCEL, nullptr, true},
                    PendingCase{"ImportApply", Step::Import, 3, IDYES, L"有 2 个鼠标指针尚未应用，导入会替换它们。", true},
                    PendingCase{"ImportDrop", Step::Import, 3, IDNO, L"有 2 个", true},
                    PendingCase{"ImportCancel", Step::Import, 3, IDCANCEL, L"有 2 个", false},
                    PendingCase{"ImportNothingPending", Step::Import, 0, IDCANCEL, nullptr, true}),
    [](const testing::TestParamInfo<PendingCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

// The line at the foot of the window that confirms an action without a
// click, names what was done, and goes away by itself.
#include <gtest/gtest.h>

#include <string>

#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;

enum class Action { Apply, SaveAs, Export };

struct Confirmation {
    const char* name;
    bool applyFirst;        // two roles chosen and applied before the action
    Action action;
    std::wstring line;      // what the line says ("{}": the export folder); empty: not shown
    const wchar_t* message;  // the start of the one message box; nullptr: none
};
void PrintTo(const Confirmation& c, std::ostream* os) { *os << c.name; }

class StatusLineTest : public EditorTest, public testing::WithParamInterface<Confirmation> {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }
    void ApplyTwo() {
        for (const int role : {2, 15}) {
            WriteStaticCursor(files / (std::to_wstring(role) + L".cur"), 4, 4);
            editor.ChooseFile(role, files / (std::to_wstring(role) + L".cur"));
        }
        desktop.boxAnswers.push_back(IDOK);
        editor.YingYong_SB_Click();
    }
    ScratchFolder files{L"status"};
};

TEST_P(StatusLineTest, SaysWhatWasDoneAndGoesByItself) {
    const Confirmation& c = GetParam();
    if (c.applyFirst) ApplyTwo();
    StatusLine& status = editor.Status();
    status.Hide();
    status.SetDuration(200);
    desktop.boxes.clear();
    const std::wstring folder = files / L"导出";
    if (c.action == Action::Apply) ApplyTwo();
    if (c.action == Action::SaveAs) desktop.nameAnswers.push_back(L"晴天"), editor.Library().LingCunFangAn_Click();
    if (c.action == Action::Export) desktop.saveAnswers.push_back(folder), editor.DaoChu__SB_Click();

    const std::vector<FakeDesktop::Box> told = desktop.Warnings();  // not the prompts
    ASSERT_EQ(told.size(), c.message == nullptr ? 0u : 1u);
    if (c.message != nullptr) {
        EXPECT_EQ(told[0].text.rfind(c.message, 0), 0u) << ToUtf8(told[0].text);
    }
    std::wstring line = c.line;
    if (const size_t at = line.find(L"{}"); at != std::wstring::npos) line.replace(at, 2, folder);
    ASSERT_EQ(status.Shown(), !line.empty());
    if (line.empty()) return;
    EXPECT_EQ(WindowText(status.TextWindow()), line) << "its accessible name is its text";
    EXPECT_EQ(IsWindowVisible(status.OpenButton()) != FALSE, c.action == Action::Export);
    SendMessageW(editor.hwnd(), WM_COMMAND, MAKEWPARAM(StatusLine::kOpenId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(status.OpenButton()));
    if (c.action == Action::Export) {
        ASSERT_EQ(desktop.startedPrograms.size(), 1u);
        EXPECT_EQ(desktop.startedPrograms[0].first, L"explorer.exe \"" + folder + L"\"");
    }
    EXPECT_TRUE(PumpUntil([&] { return !status.Shown(); }, 3000, 10));
}

INSTANTIATE_TEST_SUITE_P(
    Editor, StatusLineTest,
    testing::Values(Confirmation{"Apply", false, Action::Apply, L"已应用 2 个鼠标指针", nullptr},
                    Confirmation{"SaveAs", true, Action::SaveAs, L"已保存方案“晴天”", nullptr},
                    Confirmation{"Export", true, Action::Export, L"已导出到“{}”", nullptr},
                    Confirmation{"ExportNothingApplied", false, Action::Export, L"", L"还没有应用过鼠标指针，没有可以导出的文件。"}),
    [](const testing::TestParamInfo<Confirmation>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

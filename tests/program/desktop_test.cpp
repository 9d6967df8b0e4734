// The real Windows side of the editor's desktop interface and of the error
// report, run for real where that harms nothing: a program started for a
// harmless command, and the real message boxes, found by their title and
// answered from a timer of this thread while they wait.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "editor/Desktop.h"
#include "support/ProgramSupport.h"
#include "support/TestSupport.h"
#include "win/Errors.h"

namespace shubiao {
namespace {

using namespace test;

// While it lives, answers the next message box of this thread that has the
// given title: records its text and presses `button`. The box is modal, so
// the answer comes from a thread timer that its message loop runs.
class BoxAnswerer {
public:
    BoxAnswerer(const wchar_t* title, int button) : title_(title), button_(button) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, &BoxAnswerer::Tick);
    }
    ~BoxAnswerer() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::optional<std::wstring>& text() const { return text_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxAnswerer* self = current_;
        if (self == nullptr || self->text_) return;
        HWND box = FindWindowW(L"#32770", self->title_);
        if (box == nullptr || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
        self->text_ = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED), 0);
    }

    static inline BoxAnswerer* current_ = nullptr;
    const wchar_t* title_;
    int button_;
    UINT_PTR timer_ = 0;
    std::optional<std::wstring> text_;
};

TEST(WindowsDesktop, StartProgramRunsTheCommandWithoutWaiting) {
    ScratchFolder folder(L"start");
    const std::wstring marker = folder / L"已启动.txt";
    const std::unique_ptr<Desktop> desktop = MakeWindowsDesktop();
    ASSERT_TRUE(desktop->StartProgram(L"cmd.exe /c echo started>\"" + marker + L"\"", SW_HIDE));
    EXPECT_TRUE(PumpUntil([&] { return ReadBytes(marker).size() >= 7; }, 10000, 20)) << "no marker written";
    EXPECT_FALSE(desktop->StartProgram(L"\"" + folder / L"no such program.exe" + L"\"", SW_HIDE));
}

// Each answer the user can give comes back from the real message box.
class WindowsMessageBox : public testing::TestWithParam<int> {};

TEST_P(WindowsMessageBox, ShowsThePromptAndReturnsTheAnswer) {
    const std::unique_ptr<Desktop> desktop = MakeWindowsDesktop();
    BoxAnswerer answerer(kMessageTitle, GetParam());
    const int answer = desktop->MessageBox(nullptr, L"是否应用当前鼠标指针", kMessageTitle, MB_OKCANCEL);
    EXPECT_EQ(answer, GetParam());
    EXPECT_EQ(answerer.text(), std::optional<std::wstring>(L"是否应用当前鼠标指针"));
}

INSTANTIATE_TEST_SUITE_P(Answers, WindowsMessageBox, testing::Values(IDOK, IDCANCEL),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == IDOK ? "Ok" : "Cancel");
                         });

// With no reporter installed, a failure that left a handler is shown in the
// real box, titled as every message of the program.
TEST(ErrorReport, ShowsTheRealBoxWithTheMessage) {
    SetErrorReporter(nullptr);
    BoxAnswerer answerer(kMessageTitle, IDOK);
    ReportError(nullptr, L"无法读取文件夹“D:\\指针”。");
    EXPECT_EQ(answerer.text(), std::optional<std::wstring>(L"无法读取文件夹“D:\\指针”。"));
}

}  // namespace
}  // namespace shubiao

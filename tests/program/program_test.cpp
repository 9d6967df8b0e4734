// The real executable, started from a scratch installation: it opens its main
// window, ends with 0 when closed, and refuses to start without a readable
// background picture.
#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "support/ProgramSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

TEST(Program, StartsShowsItsWindowAndEndsWithZeroWhenClosed) {
    ScratchFolder install(L"inst");
    CopyInstallation(install.Path());
    RunningProgram program(install / L"ShuBiao.exe", install.Path());
    ASSERT_TRUE(program.started());
    HWND main = program.WaitForWindow(MainWindow::kClassName, MainWindow::kTitle, 30000);
    ASSERT_NE(main, nullptr);
    PumpMessages(500);
    ASSERT_EQ(program.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "still running";
    ASSERT_TRUE(IsWindow(main));
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 386);
    EXPECT_EQ(client.bottom, 315);
    // (Icons are checked in-process: Wine answers WM_GETICON from another
    // process with 0.)
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(15000), 0u);
}

struct BadPicture {
    const char* name;
    bool present;  // written with bytes that are no picture, or not there at all
    const wchar_t* reason;
};

class WithoutBackground : public testing::TestWithParam<BadPicture> {};

TEST_P(WithoutBackground, DoesNotStartNamesTheFileAndTheReasonAndExitsNonZero) {
    ScratchFolder install(L"inst");
    CopyInstallation(install.Path());
    const std::wstring picture = install / L"Skin\\General.jpg";
    ASSERT_TRUE(DeleteFileW(picture.c_str()));
    if (GetParam().present) WriteBytes(picture, {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'});

    RunningProgram program(install / L"ShuBiao.exe", install.Path());
    ASSERT_TRUE(program.started());
    HWND box = program.WaitForWindow(L"#32770", MainWindow::kTitle, 30000);
    ASSERT_NE(box, nullptr) << "no message box";
    const std::wstring text = MessageBoxText(box);
    EXPECT_NE(text.find(L"General.jpg"), std::wstring::npos) << "names the file";
    EXPECT_NE(text.find(GetParam().reason), std::wstring::npos) << "gives the reason";
    EXPECT_EQ(program.WaitForWindow(MainWindow::kClassName, MainWindow::kTitle, 0), nullptr)
        << "the main window is never shown";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    const DWORD code = program.WaitForExit(15000);
    EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_NE(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(Pictures, WithoutBackground,
                         testing::Values(BadPicture{"Missing", false, L"文件不存在"},
                                         BadPicture{"NotAPicture", true, L"不是可识别的图片格式"}),
                         [](const testing::TestParamInfo<BadPicture>& info) { return info.param.name; });

}  // namespace
}  // namespace shubiao

// The real Windows side of the editor's desktop interface and of the error
// report, run for real where that harms nothing: a program started for a
// harmless command, and the real message boxes, found by their title and
// answered from a timer of this thread while they wait.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/Desktop.h"
#include "support/ProgramSupport.h"
#include "win/Text.h"
#include "support/E2eSupport.h"
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

// The chooser of packs, used with the keyboard alone: the keys are posted to
// its list, as the user would press them, once the dialog is up.
struct ChooserKeys {
    const char* name;
    std::vector<UINT> keys;
    std::optional<size_t> chosen;
};

class PackChooserKeys : public testing::TestWithParam<ChooserKeys> {
protected:
    static void CALLBACK Press(HWND, UINT, UINT_PTR, DWORD) {
        if (current_ == nullptr || current_->pressed_) return;
        HWND dialog = FindWindowW(L"#32770", L"选择要导入的方案");
        HWND list = dialog != nullptr ? FindWindowExW(dialog, nullptr, L"SysListView32", nullptr) : nullptr;
        if (list == nullptr || GetFocus() != list) return;
        current_->pressed_ = true;
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            wchar_t text[64] = {};
            ListView_GetItemText(list, i, 0, text, 64);
            current_->listed_.push_back(text);
        }
        for (const UINT key : GetParam().keys) {
            const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
            PostMessageW(list, WM_KEYDOWN, key, scan | 1);
            PostMessageW(list, WM_KEYUP, key, scan | 1 | (3ll << 30));
        }
    }

    static inline PackChooserKeys* current_ = nullptr;
    bool pressed_ = false;
    std::vector<std::wstring> listed_;
};

TEST_P(PackChooserKeys, ChoosesWithTheKeyboard) {
    current_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &PackChooserKeys::Press);
    const std::unique_ptr<Desktop> desktop = MakeWindowsDesktop();
    const std::vector<Desktop::PackChoice> choices{
        {L"Qogir", L"Qogir"}, {L"Qogir 暗色", L"Qogir\\dark"}, {L"指针", L"D:\\指针\\install.inf"}};
    const std::optional<size_t> chosen = desktop->ChoosePack(nullptr, choices);
    KillTimer(nullptr, timer);
    current_ = nullptr;
    EXPECT_EQ(chosen, GetParam().chosen);
    EXPECT_EQ(listed_, (std::vector<std::wstring>{L"Qogir", L"Qogir 暗色", L"指针"}));
}

INSTANTIATE_TEST_SUITE_P(
    WindowsDesktop, PackChooserKeys,
    testing::Values(ChooserKeys{"EnterTakesTheFirst", {VK_RETURN}, 0},
                    ChooserKeys{"DownThenEnter", {VK_DOWN, VK_RETURN}, 1},
                    ChooserKeys{"EndThenEnter", {VK_END, VK_RETURN}, 2},
                    ChooserKeys{"EscapeCancels", {VK_DOWN, VK_ESCAPE}, std::nullopt}),
    [](const testing::TestParamInfo<ChooserKeys>& info) { return std::string(info.param.name); });

// The folder picker's own button leads to a file dialog for a .zip, which
// the folder picker itself neither lists nor returns; cancelling either
// dialog returns nothing.
struct PickerScript {
    const char* name;
    bool clickZipButton;
    bool confirmZip;
    bool expectZip;
};

class FolderPickerZipButton : public testing::TestWithParam<PickerScript> {
protected:
    // The dialogs of this thread, top-level, with their descendants.
    static std::vector<HWND> ThreadDialogs() {
        std::vector<HWND> dialogs;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM list) {
                if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dialogs));
        return dialogs;
    }
    static HWND ZipButtonOf(HWND dialog) {
        for (HWND child : Descendants(dialog)) {
            if (ClassOf(child) == L"Button" && TextOf(child) == L"选择 ZIP 压缩包…") return child;
        }
        return nullptr;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        FolderPickerZipButton* self = current_;
        if (self == nullptr || self->done_) return;
        for (HWND dialog : ThreadDialogs()) {
            HWND button = ZipButtonOf(dialog);
            if (button != nullptr && self->stage_ == 0) {
                self->sawButton_ = true;
                if (GetParam().clickZipButton) {
                    PostMessageW(button, BM_CLICK, 0, 0);
                } else {
                    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                    self->done_ = true;
                }
                self->stage_ = 1;
                return;
            }
            if (button == nullptr && self->stage_ == 1 && FileNameEdit(dialog) != nullptr) {
                if (GetParam().confirmZip) {
                    TypeFileNameAndConfirm(dialog, self->zip_);
                } else {
                    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                }
                self->done_ = true;
                return;
            }
        }
    }

    static inline FolderPickerZipButton* current_ = nullptr;
    int stage_ = 0;
    bool done_ = false;
    bool sawButton_ = false;
    std::wstring zip_;
};

TEST_P(FolderPickerZipButton, LeadsToAZipOrToNothing) {
    ScratchFolder downloads{L"pick"};
    zip_ = downloads / L"pack.zip";
    WriteBytes(zip_, std::vector<std::uint8_t>{'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::unique_ptr<Desktop> desktop = MakeWindowsDesktop();
    current_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &FolderPickerZipButton::Tick);
    const std::optional<std::wstring> picked = desktop->BrowseForFolder(nullptr);
    KillTimer(nullptr, timer);
    current_ = nullptr;
    EXPECT_TRUE(sawButton_) << "the folder picker shows the button";
    if (GetParam().expectZip) {
        ASSERT_TRUE(picked.has_value());
        EXPECT_EQ(lstrcmpiW(picked->c_str(), zip_.c_str()), 0) << ToUtf8(*picked);
    } else {
        EXPECT_FALSE(picked.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(WindowsDesktop, FolderPickerZipButton,
                         testing::Values(PickerScript{"ZipChosen", true, true, true},
                                         PickerScript{"ZipDialogCancelled", true, false, false},
                                         PickerScript{"PickerCancelled", false, false, false}),
                         [](const testing::TestParamInfo<PickerScript>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

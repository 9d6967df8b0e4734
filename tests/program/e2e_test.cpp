// The real ShuBiao.exe, driven from outside as a user would: only through
// messages to its windows, the real common dialogs and message boxes, and the
// mouse. It changes the pointers of the Windows user it runs as, so it runs
// only under Wine (in the test set-up's throwaway prefix); it puts back what
// it changes before and after, so that it can run again.
//
// A screenshot of the desktop after each step goes to <build>\e2e\ (the
// folder above the one the test executable is in).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "win/Raii.h"
#include "win/Text.h"
#include "support/E2eSupport.h"
#include "support/ProgramSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

constexpr const wchar_t* kMainClass = L"ShuBiaoMain";
constexpr const wchar_t* kMainTitle = L"鼠标指针方案";
constexpr const wchar_t* kDialogClass = L"#32770";
constexpr const wchar_t* kPromptTitle = L"温馨提示";
constexpr const wchar_t* kMousePropertiesTitle = L"鼠标 属性";
constexpr const wchar_t* kCursorsKey = L"Control Panel\\Cursors";
constexpr const wchar_t* kSchemesKey = L"Control Panel\\Cursors\\Schemes";
constexpr const wchar_t* kExportName = L"导出的方案";
// The program's own control ids.
constexpr int kApplyButton = ShuBiaoKong::kYingYongId;
constexpr int kRestoreButton = ShuBiaoKong::kHuanYuanId;
constexpr int kExportButton = ShuBiaoKong::kDaoChuId;
constexpr int kImportButton = ShuBiaoKong::kDaoRuId;
constexpr int kPictureIdBase = ShuBiaoKong::kPictureIdBase;
constexpr int kText1Id = ShuBiaoKong::kText1Id;
constexpr int kArrowBox = 2;
constexpr int kHandBox = 4;
constexpr int kHelpBox = 5;
// The installed pointers of these roles are animated.
constexpr int kAnimatedBoxes[] = {1, 15};
constexpr DWORD kTimeout = 10000;
constexpr DWORD kSettle = 200;

std::wstring Expand(const wchar_t* text) {
    wchar_t buffer[MAX_PATH] = {};
    ExpandEnvironmentStringsW(text, buffer, MAX_PATH);
    return buffer;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
    } while (FindNextFileW(find.get(), &found));
    return names;
}

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) GTEST_SKIP() << "changes the current user's pointers: runs only under Wine";
        shots_ = AppFolder() + L"\\..\\e2e";
        CreateDirectoryW(shots_.c_str(), nullptr);
        // The folder keeps the screenshots of the latest run only.
        for (const std::wstring& old : FilesIn(shots_)) DeleteFileW((shots_ + L"\\" + old).c_str());
        CleanUp();
        ASSERT_TRUE(CreateDirectoryW(scratch_.c_str(), nullptr));
        started_ = std::chrono::steady_clock::now();
    }

    void TearDown() override {
        if (RunningUnderWine()) CleanUp();
    }

    // What the run changes: the role values, the copied files and the
    // folders of the test.
    void CleanUp() {
        for (const CursorRole& role : kRoles) {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kCursorsKey, std::wstring(role.valueName).c_str());
        }
        RemoveTree(schemeFolder_.substr(0, schemeFolder_.size() - 1));
        RemoveTree(scratch_);
        // What Windows' setup installed from the export.
        RemoveTree(installedScheme_);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kSchemesKey, kExportName);
    }

    // Saves a screenshot of the desktop (or of `crop`), once it is painted,
    // as NN-name.png and prints how long the run has taken so far.
    void Shot(const wchar_t* name, const RECT* crop = nullptr) {
        wchar_t file[32] = {};
        wsprintfW(file, L"\\%02d-", ++shotCount_);
        const bool saved = StillScreen(kSettle, 3000, AnimatedBoxes()).SavePng(shots_ + file + name + L".png", crop);
        EXPECT_TRUE(saved) << "screenshot not written";
        const auto elapsed = std::chrono::steady_clock::now() - started_;
        std::printf("[e2e] %02d-%ls at %lld ms\n", shotCount_, name,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
        std::fflush(stdout);
    }

    HWND Box(int n) const { return DescendantById(main_, kPictureIdBase + n); }

    std::vector<RECT> AnimatedBoxes() const {
        std::vector<RECT> boxes;
        for (const int n : kAnimatedBoxes) {
            RECT r{};
            if (main_ != nullptr && GetWindowRect(Box(n), &r)) boxes.push_back(r);
        }
        return boxes;
    }

    static POINT Centre(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    // A point where Picture16 itself is under the mouse (not one of its
    // boxes); x is -1 when there is none.
    POINT BareSpotOnPicture16() const {
        HWND picture16 = DescendantById(main_, ShuBiaoKong::kPicture16Id);
        RECT frame{};
        GetWindowRect(picture16, &frame);
        for (int y = frame.top + 1; y < frame.bottom; y += 3) {
            for (int x = frame.left + 1; x < frame.right; x += 3) {
                if (WindowFromPoint({x, y}) == picture16) return {x, y};
            }
        }
        return {-1, -1};
    }

    // Moves the mouse to `at` and returns the pointer shown there once the
    // program has settled in a state that satisfies `wanted` (or whatever it
    // is after the timeout). Wine's virtual desktop follows each
    // SetCursorPos with a late move at the previous position; the mouse
    // therefore goes by way of the parking window, so that the late move
    // lands there (or repeats, harmlessly, the last move in the program).
    template <typename Wanted>
    HCURSOR PointerAfterMove(POINT at, Wanted wanted) {
        const int moves = parking_->moves();
        const POINT park = Centre(parking_->hwnd());
        SetCursorPos(park.x, park.y);
        PollSteady([&] { return parking_->moves() > moves; }, kSettle, kTimeout);
        // On a loaded machine Wine now and then loses a move made with
        // SetCursorPos; a hand on the mouse would go on moving, so the move
        // is made again, a pixel aside, until the pointer answers or the
        // time is up.
        CURSORINFO info{sizeof(info)};
        const ULONGLONG deadline = GetTickCount64() + kTimeout;
        for (int step = 0;; ++step) {
            SetCursorPos(at.x + step % 2, at.y);
            if (PollSteady([&] { return GetCursorInfo(&info) && wanted(info.hCursor); }, kSettle, 2000) ||
                GetTickCount64() >= deadline) {
                break;
            }
        }
        return info.hCursor;
    }

    // The preview square of box `n`: its top-left corner, the icon size
    // wide and high (the mark of a pending choice lies beside it).
    std::vector<std::uint32_t> BoxPixels(int n) const {
        RECT rect{};
        GetWindowRect(Box(n), &rect);
        const int icon = GetSystemMetrics(SM_CXICON);
        rect.right = rect.left + icon;
        rect.bottom = rect.top + icon;
        return ScreenCapture(rect).Region(rect);
    }

    // Waits until box `n` shows `pixels` (or, with `same` false, anything else).
    bool WaitForBox(int n, const std::vector<std::uint32_t>& pixels, bool same) {
        return Poll([&] { return (DifferentPixels(BoxPixels(n), pixels) == 0) == same; }, kTimeout);
    }

    // The program has ended, or has lost its main window (as a crashed
    // program does under Wine before it ends).
    bool Ended() const { return program_->WaitForExit(0) != STILL_ACTIVE || !IsWindow(main_); }

    // A dialog of the program: its prompt, or (`prompt` false) one of the
    // common dialogs. nullptr when none comes, or the program has ended.
    HWND WaitForDialog(bool prompt) {
        HWND found = nullptr;
        Poll(
            [&] {
                for (HWND dialog : ProcessWindows(program_->id(), kDialogClass)) {
                    if ((TextOf(dialog) == kPromptTitle) == prompt && IsWindowEnabled(dialog)) found = dialog;
                }
                return found != nullptr || Ended();
            },
            kTimeout);
        return found;
    }

    // Why no dialog came, for failure messages.
    std::wstring NoDialog() {
        const DWORD code = program_->WaitForExit(0);
        if (code != STILL_ACTIVE) return L"the program has ended, exit code " + std::to_wstring(code);
        if (!IsWindow(main_)) return L"the program's main window is gone (it crashed)";
        return L"the program's windows:\n" + DescribeProcessWindows(program_->id());
    }

    bool WaitGone(HWND window) {
        return Poll([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kTimeout);
    }

    // Presses a button of the editor, confirms the prompt that follows with OK
    // and returns its text.
    std::wstring PressAndConfirm(int button) {
        PostMessageW(DescendantById(main_, button), BM_CLICK, 0, 0);
        HWND prompt = WaitForDialog(true);
        if (prompt == nullptr) return L"no prompt: " + NoDialog();
        const std::wstring text = MessageBoxText(prompt);
        Shot(button == kApplyButton ? L"apply-prompt" : L"restore-prompt");
        PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (!WaitGone(prompt)) return L"(prompt stays)";
        return text;
    }

    std::optional<std::wstring> ArrowValue(DWORD* type) const {
        wchar_t data[MAX_PATH] = {};
        DWORD size = sizeof(data);
        if (RegGetValueW(HKEY_CURRENT_USER, kCursorsKey, L"Arrow", RRF_RT_ANY | RRF_NOEXPAND, type, data, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(data);
    }

    bool WaitForArrowValue(bool present) {
        return Poll([&] { return ArrowValue(nullptr).has_value() == present; }, kTimeout);
    }

    void ExpectArrowApplied(const std::wstring& chosen) {
        DWORD type = 0;
        const std::optional<std::wstring> value = ArrowValue(&type);
        ASSERT_TRUE(value.has_value()) << "no Arrow value";
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(lstrcmpiW(value->c_str(), (schemeFolder_ + L"Arrow.ani").c_str()), 0) << *value;
        EXPECT_EQ(ReadBytes(schemeFolder_ + L"Arrow.ani"), ReadBytes(chosen)) << "the copied file";
    }

    std::wstring shots_;
    // Apply's copies: the store of the user the program runs as.
    const std::wstring schemeFolder_ = AppliedFolder();
    const std::wstring scratch_ = Expand(L"%TEMP%\\shubiao-e2e");
    const std::wstring installedScheme_ = Expand(L"%windir%\\Cursors\\") + kExportName;
    std::chrono::steady_clock::time_point started_;
    int shotCount_ = 0;
    std::unique_ptr<RunningProgram> program_;
    std::unique_ptr<CountingWindow> parking_;
    HWND main_ = nullptr;
};

TEST_F(EndToEnd, ChoosesHoversAppliesExportsRestoresImportsAndCloses) {
    // A cursor of a different shape under a Chinese name, as the user's pick.
    const std::wstring chosen = scratch_ + L"\\帮助指针.ani";
    ASSERT_TRUE(CopyFileW(DataStorageFile(L"Help").c_str(), chosen.c_str(), FALSE));
    const std::wstring exported = scratch_ + L"\\" + kExportName;

    // 1. Start: the main window with all fifteen previews drawn.
    program_ = std::make_unique<RunningProgram>(AppFolder() + L"\\ShuBiao.exe", AppFolder());
    ASSERT_TRUE(program_->started());
    main_ = program_->WaitForWindow(kMainClass, kMainTitle, 30000);
    ASSERT_NE(main_, nullptr) << "no main window";
    // A drawn preview: a cursor on the box's white ground (not a blank box,
    // nor one not yet painted at all).
    const auto drawn = [](const std::vector<std::uint32_t>& box) {
        const int marked = NonWhitePixels(box);
        return marked > 20 && marked < static_cast<int>(box.size()) - 20;
    };
    std::vector<std::vector<std::uint32_t>> installed(16);  // the start's previews, by box
    for (int n = 1; n <= 15; ++n) {
        ASSERT_NE(Box(n), nullptr) << "box " << n;
        EXPECT_TRUE(Poll([&] { return drawn(BoxPixels(n)); }, kTimeout)) << "box " << n << " not drawn";
    }
    for (int n = 1; n <= 15; ++n) installed[static_cast<size_t>(n)] = BoxPixels(n);
    const std::vector<std::uint32_t>& installedArrow = installed[kArrowBox];
    const std::vector<std::uint32_t>& helpPreview = installed[kHelpBox];
    ASSERT_GT(DifferentPixels(installedArrow, helpPreview), 0) << "Arrow and Help look alike";
    Shot(L"start");
    RECT window{};
    GetWindowRect(main_, &window);
    Shot(L"main-window", &window);

    // 2. Click box 2, pick the file in the real open dialog.
    PostClick(Box(kArrowBox));
    HWND open = WaitForDialog(false);
    ASSERT_NE(open, nullptr) << "no open dialog: " << NoDialog();
    ASSERT_NE(FileNameEdit(open), nullptr) << DescribeChildren(open);
    Shot(L"open-dialog");
    ASSERT_TRUE(TypeFileNameAndConfirm(open, chosen));
    ASSERT_TRUE(WaitGone(open)) << "the open dialog stays";
    EXPECT_TRUE(WaitForBox(kArrowBox, helpPreview, true)) << "box 2 does not show the chosen cursor";
    Shot(L"chosen");

    // A file that is no cursor for box 4: Apply will skip it and say so.
    const std::wstring junk = scratch_ + L"\\坏的指针.cur";
    WriteBytes(junk, {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
    PostClick(Box(kHandBox));
    HWND openJunk = WaitForDialog(false);
    ASSERT_NE(openJunk, nullptr) << "no open dialog: " << NoDialog();
    ASSERT_TRUE(TypeFileNameAndConfirm(openJunk, junk));
    ASSERT_TRUE(WaitGone(openJunk)) << "the open dialog stays";

    // 3. Hover: over Picture16 the latch (the hidden Text1) is armed; over
    // box 2 its cursor is loaded as the class cursor of the picture boxes and
    // shown. Picture16 keeps the normal arrow.
    const HWND latch = DescendantById(main_, kText1Id);
    ASSERT_NE(latch, nullptr);
    const POINT bare = BareSpotOnPicture16();
    parking_ = std::make_unique<CountingWindow>(L"停靠", RECT{0, 0, 120, 60}, false);
    ASSERT_NE(bare.x, -1) << "no bare spot on Picture16";
    const auto armed = [&] { return TextOf(latch) == L"0"; };
    const HCURSOR before = PointerAfterMove(bare, [&](HCURSOR c) { return c != nullptr && armed(); });
    EXPECT_TRUE(armed()) << "the latch is not armed over Picture16";
    const HCURSOR over = PointerAfterMove(Centre(Box(kArrowBox)),
                                          [&](HCURSOR c) { return c != nullptr && c != before && !armed(); });
    EXPECT_NE(over, before) << "the pointer does not change over box 2";
    EXPECT_FALSE(armed()) << "the latch stays armed";
    // (Wine cannot read the class cursor of another process's window: 0.)
    if (const auto classCursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(Box(kArrowBox), GCLP_HCURSOR))) {
        EXPECT_EQ(over, classCursor);
    }
    Shot(L"hover");
    EXPECT_EQ(PointerAfterMove(bare, [&](HCURSOR) { return armed(); }), before)
        << "Picture16 does not show its arrow again";
    EXPECT_TRUE(armed()) << "Picture16 does not re-arm the latch";
    const HCURSOR crosshair =
        PointerAfterMove(Centre(Box(3)), [&](HCURSOR c) { return c != nullptr && c != over && !armed(); });
    EXPECT_NE(crosshair, over) << "box 3 does not show its own cursor once re-armed";
    parking_.reset();

    // 4. Apply and confirm; the setting names the copy of the chosen file,
    // and the real warning box names the role that was skipped.
    ASSERT_EQ(PressAndConfirm(kApplyButton), L"是否应用当前鼠标指针");
    HWND warning = WaitForDialog(true);
    ASSERT_NE(warning, nullptr) << "no warning: " << NoDialog();
    const std::wstring warningText = MessageBoxText(warning);
    EXPECT_NE(warningText.find(L"链接选择"), std::wstring::npos) << testing::PrintToString(warningText);
    EXPECT_NE(warningText.find(L"不是可用的光标文件"), std::wstring::npos) << testing::PrintToString(warningText);
    Shot(L"apply-warning");
    PostMessageW(warning, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitGone(warning)) << "the warning stays";
    ASSERT_TRUE(WaitForArrowValue(true)) << "Arrow not written";
    ExpectArrowApplied(chosen);
    EXPECT_TRUE(WaitForBox(kArrowBox, helpPreview, true)) << "box 2 no longer shows the chosen cursor";
    Shot(L"applied");

    // 5. Export through the real save dialog.
    PostMessageW(DescendantById(main_, kExportButton), BM_CLICK, 0, 0);
    HWND save = WaitForDialog(false);
    ASSERT_NE(save, nullptr) << "no save dialog: " << NoDialog();
    Shot(L"save-dialog");
    ASSERT_TRUE(TypeFileNameAndConfirm(save, exported)) << DescribeChildren(save);
    ASSERT_TRUE(WaitGone(save)) << "the save dialog stays";
    ASSERT_TRUE(Poll([&] { return FileExists(exported + L"\\Arrow.ani"); }, kTimeout)) << "nothing exported";
    EXPECT_EQ(ReadBytes(exported + L"\\Arrow.ani"), ReadBytes(chosen));
    // The export stages each file beside its place before moving it in: wait
    // for the files themselves, not for any two names.
    const std::vector<std::wstring> exportedFiles{L"Arrow.ani", L"install.inf"};
    EXPECT_TRUE(Poll([&] { return FilesIn(exported) == exportedFiles; }, kTimeout));
    EXPECT_EQ(FilesIn(exported), exportedFiles) << "the applied role";
    EXPECT_TRUE(WaitForBox(kArrowBox, helpPreview, true)) << "the export changed box 2";
    Shot(L"exported");

    // 5a. Windows' own setup installs the export, as right-click, 安装 does.
    {
        const std::wstring command = L"rundll32.exe setupapi,InstallHinfSection DefaultInstall 132 " + exported +
                                     L"\\install.inf";
        STARTUPINFOW startup{sizeof(startup)};
        PROCESS_INFORMATION process{};
        std::wstring line = command;
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        const UniqueHandle thread(process.hThread);
        const UniqueHandle setup(process.hProcess);
        EXPECT_EQ(WaitForSingleObject(setup.get(), 30000), WAIT_OBJECT_0) << "setup did not end";
        EXPECT_EQ(ReadBytes(installedScheme_ + L"\\Arrow.ani"), ReadBytes(chosen)) << "setup copied no file";
        wchar_t list[2048] = {};
        DWORD size = sizeof(list);
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSchemesKey, kExportName, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                               RRF_NOEXPAND, nullptr, list, &size), ERROR_SUCCESS) << "no scheme listed";
        const std::wstring entries = Expand(list);
        EXPECT_EQ(lstrcmpiW(entries.substr(0, entries.find(L',')).c_str(), (installedScheme_ + L"\\Arrow.ani").c_str()),
                  0) << testing::PrintToString(entries);
        EXPECT_EQ(std::count(entries.begin(), entries.end(), L','), 14) << "15 entries in Windows' order";
        // The scheme library lists what setup installed, under its name, as
        // the user's, with a usable file for the role it sets.
        const library::SchemeListing listing = library::ReadSchemeLists();
        const auto entry = std::find_if(listing.schemes.begin(), listing.schemes.end(),
                                        [](const library::SchemeEntry& e) { return e.name == kExportName; });
        ASSERT_NE(entry, listing.schemes.end()) << "not in the library";
        EXPECT_EQ(entry->source, library::Source::User);
        EXPECT_TRUE(entry->Usable());
        EXPECT_EQ(lstrcmpiW(entry->FileOf(FindRole(L"Arrow")->number).c_str(), (installedScheme_ + L"\\Arrow.ani").c_str()), 0);
        EXPECT_TRUE(library::CheckSchemeFiles(*entry)[RoleIndex(FindRole(L"Arrow")->number)].empty());
    }

    // 6. Restore, with a stand-in for the Mouse Properties dialog.
    {
        CountingWindow properties(kMousePropertiesTitle, RECT{10, 100, 250, 260}, true);
        ASSERT_NE(properties.hwnd(), nullptr);
        ASSERT_EQ(PressAndConfirm(kRestoreButton), L"是否还原鼠标指针");
        EXPECT_TRUE(Poll([&] { return properties.enters() >= 2 && !IsWindowVisible(properties.hwnd()); },
                              kTimeout))
            << "stand-in visible: " << IsWindowVisible(properties.hwnd()) << ", Enter: " << properties.enters();
        PumpMessages(300);  // no more Enter follows
        EXPECT_EQ(properties.enters(), 2);
    }
    EXPECT_TRUE(WaitForArrowValue(false)) << "Arrow still set";
    EXPECT_TRUE(Poll([&] { return !FolderExists(schemeFolder_); }, kTimeout)) << "scheme folder stays";
    EXPECT_TRUE(WaitForBox(kArrowBox, installedArrow, true)) << "box 2 does not show the installed pointer";
    Shot(L"restored");

    // 7. Import a downloaded pack through the real folder picker (its
    // install.inf names the Arrow file by purpose); apply.
    const std::wstring pack = scratch_ + L"\\Qogir";
    ASSERT_TRUE(CreateDirectoryW(pack.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(chosen.c_str(), (pack + L"\\normal-select.cur").c_str(), FALSE));
    const std::string inf =
        "[DefaultInstall]\r\nAddReg = Scheme.Reg\r\n[Scheme.Reg]\r\n"
        "HKCU,\"Control Panel\\Cursors\\Schemes\",\"Qogir\",,\"%10%\\Cursors\\Qogir\\normal-select.cur\"\r\n";
    WriteBytes(pack + L"\\Install.inf", std::vector<std::uint8_t>(inf.begin(), inf.end()));
    PostMessageW(DescendantById(main_, kImportButton), BM_CLICK, 0, 0);
    HWND picker = WaitForDialog(false);
    ASSERT_NE(picker, nullptr) << "no folder picker: " << NoDialog();
    Shot(L"folder-picker");
    ASSERT_TRUE(TypeFileNameAndConfirm(picker, pack)) << DescribeChildren(picker);
    ASSERT_TRUE(WaitGone(picker)) << "the folder picker stays";
    // The first pack taken whole says once how to keep it.
    HWND summary = WaitForDialog(true);
    ASSERT_NE(summary, nullptr) << "no summary: " << NoDialog();
    EXPECT_NE(MessageBoxText(summary).find(L"另存为方案"), std::wstring::npos) << ToUtf8(MessageBoxText(summary));
    PostMessageW(summary, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitGone(summary)) << "the summary stays";
    EXPECT_TRUE(WaitForBox(kArrowBox, helpPreview, true)) << "box 2 does not show the imported cursor";
    for (int n = 1; n <= 15; ++n) {
        if (n == kArrowBox) continue;
        EXPECT_TRUE(WaitForBox(n, installed[n], true)) << "box " << n << " changed";
    }
    Shot(L"imported");
    ASSERT_EQ(PressAndConfirm(kApplyButton), L"是否应用当前鼠标指针");
    ASSERT_TRUE(WaitForArrowValue(true)) << "Arrow not written again";
    ExpectArrowApplied(chosen);
    EXPECT_TRUE(WaitForBox(kArrowBox, helpPreview, true)) << "box 2 no longer shows the imported cursor";
    Shot(L"applied-again");

    // 8. Close.
    PostMessageW(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForExit(kTimeout), 0u);
}

}  // namespace
}  // namespace shubiao

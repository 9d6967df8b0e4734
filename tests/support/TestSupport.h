#pragma once
// Shared test helpers: a Desktop that answers prompts from a script and
// records calls, a host window, and the editor fixture with everything
// redirected. Nothing here touches the real user's pointers.
//
// The seams through which tests reach past the program's own code, and what
// each is for (EditorTest sets up the Desktop, the redirects, %windir% and the
// error reporter; a test sets the others where it needs one):
//   Desktop (editor/Desktop.h; FakeDesktop here)  prompts, dialogs, live system
//       cursors, starting programs: answered from a script and recorded.
//   registry::ScopedRedirect (ScratchRegistry)  the user's pointer settings, both
//       Schemes lists and the program's own key go to scratch keys, so no test
//       reads or writes the real ones.
//   registry::ScopedWriteFault  one settings value refuses to be written, for
//       the failures Windows can give at that step.
//   ScopedWindir  %windir% and %SystemRoot% name a scratch folder, so that
//       nothing reaches the real Windows folder (the window writes nothing
//       there; ShuBiaoCmd install does).
//   ScopedStore (SetStoreFolders, scheme/Store.h)  the user's roaming and local
//       store are scratch folders: Apply, 另存为方案 and the writer lock's
//       file go there, not into the profile; two of them play two users.
//   SetFailWritesUnder (scheme/FileOps.h)  every new file under a folder
//       refuses to be written, for a store Windows will not write to.
//   SetKnownFolderFunction (scheme/Store.h)  the known folders come from the
//       test's function, for a Windows that gives no store at all.
//   SetErrorReporter (win/Errors.h)  errors that leave a handler are collected
//       for TakeErrors() instead of shown; one that nobody takes fails the test.
//   ScopedLoaderProbe (scheme/CursorBytes.h)  runs between a cursor file's check
//       and Windows' loader, to try changing the file in that moment.
//   ScopedDialogProbe (editor/SchemeDialogs.h)  hands the 方案库 and name dialogs
//       to the test once shown, to drive them with messages from their modal loop.
//   ShuBiaoCmdTest.exe (cmd/TestSeams.cpp)  the console program built with the
//       same stand-ins, read from SHUBIAO_TEST_* variables, for tests that start
//       it; the shipped ShuBiaoCmd.exe has none of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/Desktop.h"
#include "editor/ShuBiaoKong.h"
#include "support/Scratch.h"

namespace shubiao::test {

// File helpers.
std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::wstring& path);     // a file, not a folder
bool FolderExists(const std::wstring& path);
// Names in a folder (files and subfolders, without "." and ".."), sorted.
std::vector<std::wstring> ListFolder(const std::wstring& folder);
// Every file and folder under `folder`, each file with its bytes: for
// comparing a whole folder before and after. Empty when there is none.
std::vector<std::wstring> FolderTree(const std::wstring& folder);
// The installed fallback cursor of a role, beside the test executable.
std::wstring DataStorageFile(std::wstring_view valueName);

// True when the grid has a box for `role`.
bool HasBox(int role);

// A Desktop that answers from queues filled by the test and records calls.
// With an empty queue: message boxes answer IDCANCEL, dialogs are cancelled.
class FakeDesktop : public Desktop {
public:
    struct Box {
        std::wstring text;
        std::wstring title;
        UINT style;
    };
    struct SystemCursorCall {
        DWORD id;
        int width;   // size of the cursor handed over
        int height;
    };

    std::deque<int> boxAnswers;
    std::deque<std::optional<std::wstring>> openAnswers;    // nullopt = cancel
    std::deque<std::optional<std::wstring>> saveAnswers;    // nullopt = cancel
    std::deque<std::optional<std::wstring>> folderAnswers;  // nullopt = cancel
    std::deque<std::optional<size_t>> packAnswers;          // nullopt = cancel
    std::deque<std::optional<std::wstring>> nameAnswers;    // nullopt = cancel
    std::deque<UINT> menuAnswers;                           // the item id chosen; 0 = none
    bool startProgramSucceeds = true;
    bool setSystemCursorSucceeds = true;
    bool reloadSucceeds = true;
    // The clock the editor reads; tests move it on.
    ULONGLONG now = 1000000;
    // Called when the editor starts a program, before the call is recorded,
    // so a test can look at the state of things at that moment.
    std::function<void(const std::wstring& commandLine, int showCommand)> onStartProgram;

    std::vector<Box> boxes;
    std::vector<std::wstring> openFilters;
    std::vector<std::wstring> openStartNames;  // FileName each open dialog started from
    std::vector<std::wstring> saveFilters;
    std::vector<std::wstring> saveStartNames;
    int folderDialogs = 0;
    std::vector<std::vector<PackChoice>> packChoosers;  // what each chooser listed
    std::vector<std::wstring> nameStarts;               // the name each name dialog started with
    // One item of a context menu as it was shown.
    struct MenuItem {
        UINT id;
        std::wstring text;
        bool greyed;
        bool checked = false;
    };
    std::vector<std::vector<MenuItem>> menus;  // each menu shown, without separators
    std::vector<POINT> menuPoints;             // where each was shown
    std::vector<SystemCursorCall> systemCursors;
    std::vector<std::pair<std::wstring, int>> startedPrograms;
    int reloads = 0;
    // Called when the editor asks for the system cursors to be reloaded.
    std::function<void()> onReload;
    // 补齐尺寸's progress: shown how often, each "done/total" it was told,
    // and whether 取消 is (as good as) pressed in it.
    int fillProgressShown = 0;
    std::vector<std::pair<int, int>> fillProgress;
    bool cancelFill = false;

    // The boxes other than the prompts that ask (OK/Cancel, Yes/No/Cancel).
    std::vector<Box> Warnings() const;

    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) override;
    bool ShowOpen(HWND owner, const std::wstring& filter, std::wstring& fileName) override;
    bool ShowSave(HWND owner, const std::wstring& filter, std::wstring& fileName) override;
    std::optional<size_t> ChoosePack(HWND owner, const std::vector<PackChoice>& choices) override;
    std::optional<std::wstring> BrowseForFolder(HWND owner) override;
    std::optional<std::wstring> AskSchemeName(HWND owner, const std::wstring& name) override;
    UINT TrackMenu(HWND owner, HMENU menu, POINT screen) override;
    bool SetSystemCursor(HCURSOR cursor, DWORD id) override;
    bool ReloadSystemCursors() override;
    bool StartProgram(const std::wstring& commandLine, int showCommand) override;
    std::unique_ptr<FillProgress> ShowFillProgress(HWND owner, int total) override;
    ULONGLONG Milliseconds() override { return now; }
};

// Runs the message loop for about `milliseconds`.
void PumpMessages(DWORD milliseconds);
// Runs the message loop until `done` is true or `milliseconds` passed.
// Between looks it waits at most `step` ms for a message: `done` is asked
// again at once after each message, and every `step` ms for what changes
// without one (another thread, another process).
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds, DWORD step = 10);

// A visible top-level window to host an editor, 96 DPI sized.
class HostWindow : public Window {
public:
    HostWindow();
};
// The process's shared host, at its first place and size, shown and active.
HostWindow& FreshHost();

// Pixels of a preview box's persistent image, 0x00RRGGBB.
class BoxImage {
public:
    explicit BoxImage(PictureBox& box);
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }
    // The middle of the box (where the test cursors' square is).
    std::uint32_t Middle() const { return At(width_ / 2 - 2, height_ / 2 - 2); }
    // Pixels that are not the white background.
    int Drawn() const;
    bool operator==(const BoxImage& other) const = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// A constructed editor in a host window, with the registry, the Windows
// folder and the prompts redirected. Errors that escape a handler are
// collected instead of shown; a test that expects some takes them with
// TakeErrors(), any others fail the test at its end.
class EditorTest : public testing::Test {
protected:
    EditorTest();
    ~EditorTest() override;
    void TearDown() override;

    std::vector<std::wstring> TakeErrors() { return std::exchange(errors_, {}); }

    // Clicks box `role` with mouse messages as the window gets them.
    void ClickBox(int role);
    // Answers the next open dialog with `answer` (nullopt: cancel), then clicks box `role`.
    void Choose(int role, std::optional<std::wstring> answer);
    // Clicks a button as the window gets it.
    void ClickButton(ShuBiaoKong::ChildId id);
    // The folder Apply copies to: the applied folder of the test's store, as
    // the editor computes it.
    std::wstring SchemeFolder() const;
    BoxImage Box(int role) { return BoxImage(editor.Picture(role)); }

    FakeDesktop desktop;
    ScratchRegistry registry;
    ScratchFolder windows{L"win"};
    ScopedWindir windir{windows.Path()};
    ScopedStore store;
    // One host for every test of the process, put back in place and in front
    // for each: making and showing a top-level window is dear under Wine.
    HostWindow& host = FreshHost();
    ShuBiaoKong editor{desktop};

private:
    std::vector<std::wstring> errors_;
};

}  // namespace shubiao::test

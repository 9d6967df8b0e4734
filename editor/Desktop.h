#pragma once
// The editor's few calls that would block on a person or change the live
// system: modal prompts and dialogs, replacing and reloading system cursors
// (the PointerSystem part), starting a program, and the clock. The editor
// reaches them only through this interface; the program uses the Windows
// implementation, tests substitute their own.
#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scheme/Apply.h"
#include "scheme/CursorRole.h"

namespace shubiao {

class Desktop : public PointerSystem {
public:
    // A modal message box; returns IDOK, IDCANCEL, ... as MessageBoxW does.
    virtual int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) = 0;

    // Modal open / save dialogs. `filter` is in the "description|patterns|"
    // form; `fileName` is the name the dialog starts from and, when the user
    // confirms, receives the full path. Returns false when the user cancelled
    // (or the dialog failed); `fileName` is then unchanged.
    virtual bool ShowOpen(HWND owner, const std::wstring& filter, std::wstring& fileName) = 0;
    virtual bool ShowSave(HWND owner, const std::wstring& filter, std::wstring& fileName) = 0;

    // A pack to choose among several: its scheme name and where it lies.
    struct PackChoice {
        std::wstring name;
        std::wstring place;  // the subfolder, or the .inf file
        std::array<std::wstring, kRoleCount> files{};  // per role (index role - 1); empty when the pack sets none
    };
    // Modal list of packs; the index of the one chosen, nullopt when cancelled.
    virtual std::optional<size_t> ChoosePack(HWND owner, const std::vector<PackChoice>& choices) = 0;

    // Modal dialog asking for the name of a scheme to save, its edit box
    // holding `name` to start with. The text as typed (not trimmed), nullopt
    // when cancelled.
    virtual std::optional<std::wstring> AskSchemeName(HWND owner, const std::wstring& name) = 0;

    // A context menu shown at `screen` (TrackPopupMenu); the id of the item
    // chosen, 0 when none was.
    virtual UINT TrackMenu(HWND owner, HMENU menu, POINT screen) = 0;

    // Modal folder picker limited to file-system folders, with a button of
    // its own that picks a .zip instead (in a file dialog for archives: the
    // folder picker shows no files). nullopt when cancelled; an empty string
    // when the picked item has no file-system path.
    virtual std::optional<std::wstring> BrowseForFolder(HWND owner) = 0;

    // SetSystemCursor and ReloadSystemCursors: the live pointers, as
    // PointerSystem (scheme/Apply.h) says.

    // 补齐尺寸's progress, shown once a fill takes longer than a moment: a
    // small window over `owner` saying "正在补齐尺寸… n/total" with 取消;
    // it goes when the object does.
    class FillProgress {
    public:
        virtual ~FillProgress() = default;
        virtual void Update(int done, int total) = 0;
        virtual bool Cancelled() const = 0;
        // The window, for its keyboard (IsDialogMessageW); nullptr when there is none.
        virtual HWND Window() const { return nullptr; }
    };
    virtual std::unique_ptr<FillProgress> ShowFillProgress(HWND owner, int total) = 0;

    // Starts a command line with the given show command, without waiting.
    virtual bool StartProgram(const std::wstring& commandLine, int showCommand) = 0;

    // Milliseconds since some fixed moment (GetTickCount64).
    virtual ULONGLONG Milliseconds() = 0;
};

std::unique_ptr<Desktop> MakeWindowsDesktop();

// Turns "desc|patterns|desc2|patterns2|" into the double-NUL-terminated list
// that the common dialogs take.
std::wstring CommonDialogFilter(const std::wstring& filter);

}  // namespace shubiao

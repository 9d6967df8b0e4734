// Restore: back to the Windows default pointers.
//
// The whole restore tells the user nothing after the confirmation: every step
// that fails (a value that is not there, a file that will not go, a program
// that does not start) is skipped and the next step runs.
#include <utility>
#include <vector>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kRestorePrompt = L"是否还原鼠标指针";
// Opens the Mouse Properties dialog; Timer1 and Timer2 confirm it.
constexpr const wchar_t* kMousePropertiesCommand = L"cmd.exe  /c main.cpl @0,1";

// Runs one step of the restore; whatever it throws is dropped.
template <typename Step>
void Skipping(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (...) {
    }
}

// True when a role's setting still names `file` (after a value that could
// not be deleted): such a file must stay, or the setting would name a
// missing file.
bool StillNamedBySettings(const std::wstring& file) {
    for (const CursorRole& role : kRoles) {
        std::wstring data;
        if (registry::RegRead(role.ValuePath(), data) != ERROR_SUCCESS) continue;
        const std::wstring named = ExpandEnvironment(data);
        if (CompareStringOrdinal(named.c_str(), -1, file.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    }
    return false;
}

// Deletes the files directly in `folder` (which ends in a backslash).
// Subfolders and what they hold are left alone. A read-only file is left
// too: its attribute is not cleared, since someone marked it so and the
// folder then simply stays with it. So is a file that a setting still names.
void DeleteFilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    {
        WIN32_FIND_DATAW found{};
        UniqueFind find(FindFirstFileW((folder + L"*.*").c_str(), &found));
        if (!find) return;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            names.emplace_back(found.cFileName);
        } while (FindNextFileW(find.get(), &found));
    }
    for (const std::wstring& name : names) {
        const std::wstring file = folder + name;
        if (!StillNamedBySettings(file)) DeleteFileW(file.c_str());
    }
}

}  // namespace

void ShuBiaoKong::HuanYuan_SB_Click() { HuanYuan_ShuBiaoZhiZhen(); }

void ShuBiaoKong::HuanYuan_ShuBiaoZhiZhen() {
    int answer = 0;
    Skipping([&] { answer = desktop_.MessageBox(hwnd(), kRestorePrompt, kMessageTitle, MB_OKCANCEL); });
    if (answer != IDOK) return;
    Skipping([&] { HuiFuMoRen(); });
    // The files Apply copied go after the editor has been re-initialised;
    // only the last folder of the path is removed, and only when empty.
    Skipping([] { DeleteFilesIn(SystemSchemeFolder()); });
    Skipping([] { RemoveDirectoryW(SystemSchemeFolder().c_str()); });
}

// Clears the per-role settings and Windows' record of a named scheme in
// force, and has Windows reload its pointers from them; the Mouse Properties dialog, confirmed by the timers, does the same
// on systems where that is needed. The editor then shows the installed
// fallbacks.
void ShuBiaoKong::HuiFuMoRen() {
    for (int number : kRestoreOrder) {
        Skipping([number] { registry::RegDelete(Role(number).ValuePath()); });
    }
    // The scheme "(Default)" named is no longer in force: Windows' default is.
    Skipping([] {
        if (!library::ReadInForce().name.empty()) library::ClearInForce();
    });
    // A refusal is not the user's concern: the dialog below reloads them too.
    Skipping([this] { desktop_.ReloadSystemCursors(); });
    Skipping([this] { desktop_.StartProgram(kMousePropertiesCommand, SW_SHOWMINIMIZED); });
    Skipping([this] {
        restoreStarted_ = desktop_.Milliseconds();
        SetTimerEnabled(timer1_, true);
    });
    Skipping([this] { ChuShiShuBiao(); });
}

}  // namespace shubiao

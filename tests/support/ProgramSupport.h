#pragma once
// Running the real ShuBiao.exe from a scratch installation and finding its
// windows from the test process.
#include <windows.h>

#include <string>

#include "win/Raii.h"

namespace shubiao::test {

// Copies ShuBiao.exe, Skin\ and Data storage\ from beside the test executable
// into `folder` (which must exist).
void CopyInstallation(const std::wstring& folder);

// A started program; killed when the object goes if it is still running.
class RunningProgram {
public:
    RunningProgram(const std::wstring& executable, const std::wstring& workingFolder);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    DWORD id() const { return id_; }
    // Visible top-level window of the program with this class and title;
    // nullptr when none appears within `milliseconds`.
    HWND WaitForWindow(const wchar_t* className, const std::wstring& title, DWORD milliseconds) const;
    // The exit code, or STILL_ACTIVE when it has not ended within `milliseconds`.
    DWORD WaitForExit(DWORD milliseconds) const;

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// The message text of a message box of any process (its longest static text).
std::wstring MessageBoxText(HWND box);

}  // namespace shubiao::test

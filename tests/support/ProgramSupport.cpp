#include "support/ProgramSupport.h"

#include <vector>

#include "scheme/Folders.h"

namespace shubiao::test {
namespace {

void CopyFolder(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found{};
    const UniqueFind find(FindFirstFileW((from + L"\\*").c_str(), &found));
    if (!find) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            CopyFolder(from + L"\\" + name, to + L"\\" + name);
        } else {
            CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
        }
    } while (FindNextFileW(find.get(), &found));
}

struct Search {
    DWORD processId;
    const wchar_t* className;
    const std::wstring* title;
    HWND found;
};

}  // namespace

void CopyInstallation(const std::wstring& folder) {
    const std::wstring bin = AppFolder();
    CopyFileW((bin + L"\\ShuBiao.exe").c_str(), (folder + L"\\ShuBiao.exe").c_str(), FALSE);
    CopyFolder(bin + L"\\Skin", folder + L"\\Skin");
    CopyFolder(bin + L"\\Data storage", folder + L"\\Data storage");
}

RunningProgram::RunningProgram(const std::wstring& executable, const std::wstring& workingFolder) {
    std::wstring commandLine = L"\"" + executable + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.c_str(), &startup, &info)) {
        return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

RunningProgram::~RunningProgram() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

HWND RunningProgram::WaitForWindow(const wchar_t* className, const std::wstring& title, DWORD milliseconds) const {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        Search search{id_, className, &title, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (lstrcmpiW(name, s->className) != 0) return TRUE;
                wchar_t text[256] = {};
                GetWindowTextW(window, text, 256);
                if (*s->title != text) return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (GetTickCount64() >= deadline) return nullptr;
        if (process_ && WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0) return nullptr;
    }
}

DWORD RunningProgram::WaitForExit(DWORD milliseconds) const {
    if (!process_ || WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

std::wstring MessageBoxText(HWND box) {
    std::vector<HWND> statics;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM list) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (lstrcmpiW(name, L"Static") == 0) reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&statics));
    std::wstring longest;
    for (HWND s : statics) {
        wchar_t text[1024] = {};
        GetWindowTextW(s, text, 1024);
        if (std::wstring(text).size() > longest.size()) longest = text;
    }
    return longest;
}

}  // namespace shubiao::test

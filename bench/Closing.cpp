#include "bench/Closing.h"

#include <windows.h>

#include <cstdio>

#include "bench/Screen.h"
#include "bench/Stats.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao::bench {
namespace {

// The main window's class and its 刷 新 button's id, the same in every build.
constexpr const wchar_t* kMainClass = L"ShuBiaoMain";
constexpr int kRefreshId = 101;
constexpr DWORD kTimeoutMs = 30000;

struct Found {
    HWND button = nullptr;
};

BOOL CALLBACK FindRefresh(HWND child, LPARAM lParam) {
    wchar_t name[16]{};
    GetClassNameW(child, name, 16);
    if (GetDlgCtrlID(child) != kRefreshId || lstrcmpiW(name, L"Button") != 0) return TRUE;
    reinterpret_cast<Found*>(lParam)->button = child;
    return FALSE;
}

// One run of the program in `folder`; false with `error` set when it fails.
bool Run(const std::wstring& folder, int refreshes, unsigned long long cpus, ClosingRuns& runs, std::wstring& error) {
    const std::wstring exe = folder + L"\\ShuBiao.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, cpus != 0 ? CREATE_SUSPENDED : 0,
                        nullptr, folder.c_str(), &si, &pi)) {
        error = L"cannot start " + exe + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    if (cpus != 0) {
        SetProcessAffinityMask(pi.hProcess, static_cast<DWORD_PTR>(cpus));
        ResumeThread(pi.hThread);
    }
    CloseHandle(pi.hThread);
    UniqueHandle process(pi.hProcess);
    HWND window = nullptr;
    const Stopwatch started;
    while (window == nullptr && started.Ms() < kTimeoutMs &&
           WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        window = FindVisibleWindow(pi.dwProcessId, kMainClass);
        Sleep(10);
    }
    Found found;
    if (window != nullptr) EnumChildWindows(window, &FindRefresh, reinterpret_cast<LPARAM>(&found));
    if (found.button == nullptr) {
        error = exe + L": the main window or its 刷 新 button did not appear";
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        return false;
    }
    Sleep(1000);  // past the first paint and the previews' first frames
    for (int i = 0; i < refreshes; ++i) {
        const Stopwatch clock;
        SendMessageW(found.button, BM_CLICK, 0, 0);
        runs.refreshMs.push_back(clock.Ms());
        Sleep(50);  // the repaint it asked for
    }
    const Stopwatch clock;
    SendMessageW(window, WM_CLOSE, 0, 0);
    runs.closeMs.push_back(clock.Ms());
    if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
        error = exe + L" did not end after WM_CLOSE";
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        return false;
    }
    runs.endedMs.push_back(clock.Ms());
    Sleep(200);  // let the window manager settle before the next run
    return true;
}

}  // namespace

ClosingResult MeasureClosing(const std::vector<std::wstring>& binFolders, int rounds, int refreshes,
                             unsigned long long programCpus) {
    ClosingResult result;
    for (const std::wstring& folder : binFolders) result.programs.push_back(ClosingRuns{folder, {}, {}, {}});
    // One warm-up run of each, not counted.
    for (const std::wstring& folder : binFolders) {
        ClosingRuns ignored;
        if (!Run(folder, 1, programCpus, ignored, result.error)) return result;
    }
    for (int round = 0; round < rounds; ++round) {
        for (ClosingRuns& runs : result.programs) {
            if (!Run(runs.folder, refreshes, programCpus, runs, result.error)) return result;
        }
    }
    return result;
}

void PrintClosing(const ClosingResult& result) {
    if (!result.error.empty()) std::printf("closing: %s\n", ToUtf8(result.error).c_str());
    if (result.programs.empty()) return;
    const Summary refresh0 = Summarise(result.programs.front().refreshMs);
    const Summary close0 = Summarise(result.programs.front().closeMs);
    const Summary ended0 = Summarise(result.programs.front().endedMs);
    for (const ClosingRuns& runs : result.programs) {
        const Summary refresh = Summarise(runs.refreshMs);
        const Summary close = Summarise(runs.closeMs);
        const Summary ended = Summarise(runs.endedMs);
        std::printf("%s\n", ToUtf8(runs.folder).c_str());
        std::printf("  刷 新        median %8.2f ms  p95 %8.2f ms  (%zu clicks)  %5.2f x the first\n", refresh.median,
                    refresh.p95, refresh.count, refresh0.median > 0 ? refresh.median / refresh0.median : 0.0);
        std::printf("  close        median %8.2f ms  p95 %8.2f ms  (%zu runs)    %5.2f x the first\n", close.median,
                    close.p95, close.count, close0.median > 0 ? close.median / close0.median : 0.0);
        std::printf("  process end  median %8.2f ms  p95 %8.2f ms  (%zu runs)    %5.2f x the first\n", ended.median,
                    ended.p95, ended.count, ended0.median > 0 ? ended.median / ended0.median : 0.0);
        std::printf("  every close (ms):");
        for (const double ms : runs.closeMs) std::printf(" %.2f", ms);
        std::printf("\n  every refresh (ms):");
        for (const double ms : runs.refreshMs) std::printf(" %.2f", ms);
        std::printf("\n");
    }
    std::fflush(stdout);
}

}  // namespace shubiao::bench

// "Drawn" is judged from the screen, as a user would see it: the floor is
// drawn when the middle of its client area shows its background colour;
// ShuBiao is drawn when every one of its fifteen preview boxes shows exactly
// pixels it shows once settled: recorded in a warm-up run, in which each box
// must show a drawing; an animated preview shows any of its frames, so every
// image a box shows over a few seconds is recorded. Both are polled about
// once a millisecond, ShuBiao's boxes found once a run: the window does not
// move once it is visible.
#include "bench/Startup.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "app/MainWindow.h"
#include "bench/Screen.h"
#include "bench/Stats.h"
#include "win/Raii.h"

namespace shubiao::bench {
namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr const wchar_t* kFloorClass = L"ShuBiaoBenchFloor";
constexpr std::uint32_t kFloorColour = 0x217A3C;  // 0x00RRGGBB, as floor.cpp paints it

using BoxPixels = std::array<std::vector<std::uint32_t>, 15>;
using BoxImages = std::array<std::vector<std::vector<std::uint32_t>>, 15>;  // every image each box showed

struct Process {
    UniqueHandle handle;
    DWORD id = 0;
};

// The CPUs a started program gets (0: wherever the system puts it).
unsigned long long& ProgramCpus() {
    static unsigned long long cpus = 0;
    return cpus;
}

Process Start(const std::wstring& executable, const std::wstring& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + executable + L"\"";
    Process p;
    const DWORD flags = ProgramCpus() != 0 ? CREATE_SUSPENDED : 0;
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.c_str(), &si, &pi)) {
        return p;
    }
    if (ProgramCpus() != 0) {
        SetProcessAffinityMask(pi.hProcess, static_cast<DWORD_PTR>(ProgramCpus()));
        ResumeThread(pi.hThread);
    }
    CloseHandle(pi.hThread);
    p.handle.reset(pi.hProcess);
    p.id = pi.dwProcessId;
    return p;
}

void Close(Process& p, HWND window) {
    if (!p.handle) return;
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(p.handle.get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(p.handle.get(), 1);
        WaitForSingleObject(p.handle.get(), 5000);
    }
    Sleep(200);  // let the window manager settle before the next run
}

bool Ended(const Process& p) { return WaitForSingleObject(p.handle.get(), 0) == WAIT_OBJECT_0; }

RECT Union(const std::array<RECT, 15>& boxes) {
    RECT all = boxes[0];
    for (const RECT& r : boxes) UnionRect(&all, &all, &r);
    return all;
}

BoxPixels CaptureBoxes(const std::array<RECT, 15>& boxes) {
    const RECT all = Union(boxes);
    const std::vector<std::uint32_t> capture = CaptureScreen(all);
    BoxPixels out;
    for (size_t i = 0; i < 15; ++i) out[i] = Crop(capture, all, boxes[i]);
    return out;
}

bool FloorDrawn(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT middle{client.right / 2, client.bottom / 2};
    ClientToScreen(window, &middle);
    const RECT probe{middle.x - 4, middle.y - 4, middle.x + 4, middle.y + 4};
    const std::vector<std::uint32_t> pixels = CaptureScreen(probe);
    if (pixels.empty()) return false;
    for (std::uint32_t p : pixels) {
        if (p != kFloorColour) return false;
    }
    return true;
}

// One timed run. `drawn` is asked about the visible window until it says yes.
template <typename Drawn>
bool TimedRun(const std::wstring& exe, const std::wstring& folder, const wchar_t* className, Drawn drawn,
              StartupRuns& runs, std::wstring& error) {
    const Stopwatch clock;
    Process p = Start(exe, folder);
    if (!p.handle) {
        error = L"cannot start " + exe + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    HWND window = nullptr;
    double visible = 0;
    for (;;) {
        if (window == nullptr) {
            window = FindVisibleWindow(p.id, className);
            if (window != nullptr) visible = clock.Ms();
        }
        if (window != nullptr && drawn(window)) break;
        if (Ended(p) || clock.Ms() > kTimeoutMs) {
            error = exe + (Ended(p) ? L" ended before its window was drawn" : L" was not drawn in time");
            Close(p, window);
            return false;
        }
        Sleep(1);
    }
    runs.visibleMs.push_back(visible);
    runs.drawnMs.push_back(clock.Ms());
    Close(p, window);
    return true;
}

// Starts ShuBiao and records every image each box shows until no new one
// has come for two seconds (an animation has gone round by then).
bool RecordSettledBoxes(const std::wstring& exe, const std::wstring& folder, BoxImages& settled,
                        std::wstring& error) {
    Process p = Start(exe, folder);
    HWND window = nullptr;
    const Stopwatch clock;
    while (p.handle && window == nullptr && !Ended(p) && clock.Ms() < kTimeoutMs) {
        window = FindVisibleWindow(p.id, MainWindow::kClassName);
        Sleep(10);
    }
    std::array<RECT, 15> boxes{};
    if (window == nullptr || !FindPreviewBoxes(window, boxes)) {
        error = L"ShuBiao's main window or its preview boxes did not appear";
        Close(p, window);
        return false;
    }
    Sleep(500);  // past the first paint
    double lastNew = clock.Ms();
    while (clock.Ms() - lastNew < 2000 && clock.Ms() < kTimeoutMs) {
        Sleep(10);
        const BoxPixels now = CaptureBoxes(boxes);
        for (size_t i = 0; i < 15; ++i) {
            auto& seen = settled[i];
            if (std::find(seen.begin(), seen.end(), now[i]) != seen.end()) continue;
            seen.push_back(now[i]);
            lastNew = clock.Ms();
        }
    }
    Close(p, window);
    for (size_t i = 0; i < 15; ++i) {
        for (const auto& image : settled[i]) {
            if (!HasDrawing(image)) {
                error = L"preview box " + std::to_wstring(i + 1) + L" shows no drawing once settled";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

StartupResult MeasureStartup(const std::wstring& binFolder, int runs, CpuPlacement cpus) {
    ProgramCpus() = cpus.programCpus;
    // The watcher back where it was when this returns.
    struct WatcherPlacement {
        DWORD_PTR previous = 0;
        explicit WatcherPlacement(unsigned long long mask) {
            if (mask != 0) previous = SetThreadAffinityMask(GetCurrentThread(), static_cast<DWORD_PTR>(mask));
        }
        ~WatcherPlacement() {
            if (previous != 0) SetThreadAffinityMask(GetCurrentThread(), previous);
            ProgramCpus() = 0;
        }
    } watcher(cpus.watcherCpus);
    StartupResult result;
    const std::wstring floorExe = binFolder + L"\\floor.exe";
    const std::wstring shubiaoExe = binFolder + L"\\ShuBiao.exe";

    BoxImages settled;
    auto floorDrawn = [](HWND w) { return FloorDrawn(w); };
    // The boxes are looked for once in a run (TimedRun takes its own copy of
    // this): looking through another process's windows asks the window
    // manager several questions per window, which would slow down the very
    // start-up being timed and delay its detection.
    auto shubiaoDrawn = [&settled, boxes = std::array<RECT, 15>{}, found = false](HWND w) mutable {
        if (!found && !(found = FindPreviewBoxes(w, boxes))) return false;
        // The last box alone first: a capture of its 36 x 36 pixels costs the
        // program under test far less than one of the whole grid.
        const std::vector<std::uint32_t> last = CaptureScreen(boxes[14]);
        if (std::find(settled[14].begin(), settled[14].end(), last) == settled[14].end()) return false;
        const BoxPixels now = CaptureBoxes(boxes);
        for (size_t i = 0; i < 15; ++i) {
            if (std::find(settled[i].begin(), settled[i].end(), now[i]) == settled[i].end()) return false;
        }
        return true;
    };

    StartupRuns warmUp;
    if (!TimedRun(floorExe, binFolder, kFloorClass, floorDrawn, warmUp, result.error)) return result;
    if (!RecordSettledBoxes(shubiaoExe, binFolder, settled, result.error)) return result;
    for (int i = 0; i < runs; ++i) {
        if (!TimedRun(floorExe, binFolder, kFloorClass, floorDrawn, result.floor, result.error)) return result;
        if (!TimedRun(shubiaoExe, binFolder, MainWindow::kClassName, shubiaoDrawn, result.shubiao, result.error)) {
            return result;
        }
    }
    return result;
}

}  // namespace shubiao::bench

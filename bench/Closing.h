#pragma once
// Closing the main window with nothing pending, and 刷 新, measured from
// outside the program, so that any build of ShuBiao.exe can be measured the
// same way: this build's and an older one's, side by side.
#include <string>
#include <vector>

namespace shubiao::bench {

struct ClosingRuns {
    std::wstring folder;           // where this ShuBiao.exe lies
    std::vector<double> refreshMs;  // one click on 刷 新 until its handler returned
    std::vector<double> closeMs;    // WM_CLOSE sent until the window handled it (destroyed)
    std::vector<double> endedMs;    // WM_CLOSE sent until the process ended
};

struct ClosingResult {
    std::vector<ClosingRuns> programs;  // in the order of the folders given
    std::wstring error;                 // empty when every run finished
};

// `rounds` times, each program in `binFolders` in turn: started, left to
// settle, 刷 新 clicked `refreshes` times (BM_CLICK sent to the button,
// which returns once the click's handler has run), then closed.
ClosingResult MeasureClosing(const std::vector<std::wstring>& binFolders, int rounds, int refreshes,
                             unsigned long long programCpus);

// The figures as a table on stdout, each program's medians beside the
// first's.
void PrintClosing(const ClosingResult& result);

}  // namespace shubiao::bench

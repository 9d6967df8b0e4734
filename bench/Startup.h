#pragma once
// Start-up of ShuBiao.exe against the floor (floor.exe), measured from
// outside: from CreateProcessW to the window being visible and drawn.
#include <string>
#include <vector>

namespace shubiao::bench {

struct StartupRuns {
    std::vector<double> visibleMs;  // CreateProcessW to the window visible
    std::vector<double> drawnMs;    // CreateProcessW to the window drawn
};

struct StartupResult {
    StartupRuns floor;
    StartupRuns shubiao;
    std::wstring error;  // empty when every run finished
};

// Where the programs run and where they are watched from: a program started
// gets `programCpus`, the thread watching the screen `watcherCpus` (affinity
// masks; 0 leaves the system to place them).
struct CpuPlacement {
    unsigned long long programCpus = 0;
    unsigned long long watcherCpus = 0;
};

// Runs each program once to warm up (ShuBiao's warm-up run also records what
// its previews look like once settled), then `runs` times each, alternating.
StartupResult MeasureStartup(const std::wstring& binFolder, int runs, CpuPlacement cpus = {});

}  // namespace shubiao::bench

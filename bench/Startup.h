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

// Runs each program once to warm up (ShuBiao's warm-up run also records what
// its previews look like once settled), then `runs` times each, alternating.
StartupResult MeasureStartup(const std::wstring& binFolder, int runs);

}  // namespace shubiao::bench

#pragma once
// The 方案库 dialog measured in this process: opened over 30 schemes of 17
// files each until the first screen of previews is drawn, and what the
// process holds over rounds of openings.
#include <string>
#include <vector>

#include "bench/GuiCount.h"

namespace shubiao::bench {

struct LibrarySettings {
    int schemes = 30;
    int openings = 50;  // per growth round
    int rounds = 10;    // of openings; the first settles, the slope is taken over the rest
    int timed = 20;     // openings timed
};

struct LibraryResult {
    std::vector<double> openMs;  // FangAnKu_Click until the dialog is shown with its first screen drawn
    int rowsShown = 0;           // rows on the first screen (previews drawn for these)
    Rounds growth;               // around rounds of openings (GuiCount.h)
    std::vector<std::wstring> problems;
};

LibraryResult MeasureLibrary(const LibrarySettings& settings);

}  // namespace shubiao::bench

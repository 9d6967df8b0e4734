#pragma once
// The editor measured in this process, with the registry key and the Windows
// folder redirected to scratch places: the load (ChuShiShuBiao over fifteen
// roles), the hover load, Apply of fifteen roles, and what the process holds
// before and after many hovers and refreshes.
#include <string>
#include <utility>
#include <vector>

#include "bench/GuiCount.h"

namespace shubiao::bench {

struct EditorSettings {
    int hovers = 10000;
    int refreshes = 1000;
    int applies = 100;
    int profileRounds = 200;
};

struct EditorResult {
    std::vector<double> loadMs;   // one ChuShiShuBiao each
    std::vector<double> hoverMs;  // Picture16_MouseMove then Picture_MouseMove each
    std::vector<double> applyMs;  // one YingYong_SB_Click of fifteen chosen roles each
    Holdings start;               // after construction, the first load and a short warm-up
    Holdings end;                 // after all hovers and refreshes (the warm-up round)
    Holdings again;               // after as many again: growth from `end` on would be a leak
    Holdings third;               // after a third round: growth from `again` on would be a leak too
    // Where one load's time goes: each step over the fifteen roles (median ms).
    std::vector<std::pair<std::string, double>> loadSteps;
    // Where one hover's time goes (median ms).
    std::vector<std::pair<std::string, double>> hoverSteps;
    // Each role's cursor load at icon size (median ms), by file name.
    std::vector<std::pair<std::string, double>> roleLoads;
    // Where one Apply's time goes (median ms per step, fifteen roles).
    std::vector<std::pair<std::string, double>> applySteps;
    std::vector<std::wstring> problems;  // anything that makes a figure doubtful
};

EditorResult MeasureEditor(const EditorSettings& settings);

}  // namespace shubiao::bench

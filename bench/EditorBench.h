#pragma once
// The editor measured in this process, with the registry key and the Windows
// folder redirected to scratch places: a load (ChuShiShuBiao over fifteen
// roles, files unchanged), a hover (first and later), Apply of fifteen roles,
// the animated previews' cost, reading a downloaded pack, the parsers, and
// what the process holds before and after rounds of all of it.
#include <string>
#include <utility>
#include <vector>

#include "bench/GuiCount.h"
#include "bench/Profile.h"

namespace shubiao::bench {

struct EditorSettings {
    int hovers = 10000;
    int refreshes = 1000;
    int applies = 100;
    int undos = 20;              // each after an Apply of the fifteen roles
    int profileRounds = 200;
    int animationMinutes = 10;   // of animation per growth round, on the editor's clock
    int growthRounds = 10;       // of all of it; the first settles, the slope is taken over the rest
    int cpuSeconds = 10;         // of real time with three animations playing
};

struct EditorResult {
    std::vector<double> loadMs;        // one ChuShiShuBiao each, files unchanged
    std::vector<double> hoverFirstMs;  // the first hover of each role: its pointer file read and loaded
    std::vector<double> hoverMs;       // Picture16_MouseMove then Picture_MouseMove, pointers loaded before
    std::vector<double> applyMs;       // one YingYong_SB_Click of fifteen chosen roles each
    std::vector<double> undoMs;        // one 撤销上次更改 of those fifteen roles, its prompt and message answered
    std::vector<double> packMs;        // scan a pack folder (install.inf, 17 entries) and plan the import
    std::vector<double> zipPackMs;     // the same pack as a .zip (about 1 MiB): unpack, scan and plan
    std::vector<double> sizesMs;       // the sizes each of the pack's 17 files holds, read and checked
    std::vector<double> zipBombMs;     // refuse a .zip whose one entry inflates to 1 GiB
    double zipPackBytes = 0;
    double animationCpuPercent = -1;   // process time / real time, three animations playing
    double animationSeconds = 0;
    // Each parser on its largest inputs: name, median ms.
    std::vector<std::pair<std::string, double>> parsers;
    Rounds growth;   // around rounds of Applies, hovers, refreshes and animation (GuiCount.h)
    Steps loadSteps;
    Steps hoverSteps;
    Steps applySteps;
    std::vector<std::wstring> problems;  // anything that makes a figure doubtful
};

EditorResult MeasureEditor(const EditorSettings& settings);

}  // namespace shubiao::bench

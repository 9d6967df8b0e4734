#pragma once
// Where the time of one load and of one hover goes: the steps the editor
// takes, repeated here one by one on the files the editor holds.
#include <string>
#include <utility>
#include <vector>

namespace shubiao {
class ShuBiaoKong;
}

namespace shubiao::bench {

using Steps = std::vector<std::pair<std::string, double>>;

// Each step's median time over `rounds`; for the load a step covers all
// fifteen roles. The editor's previews are drawn again afterwards.
void ProfileLoad(ShuBiaoKong& editor, int rounds, Steps& loadSteps, Steps& hoverSteps);

}  // namespace shubiao::bench

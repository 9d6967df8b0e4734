#pragma once
// Where the time of one load and of one hover goes: the steps the editor
// takes, repeated here one by one on the files the editor holds.
#include <array>
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
// `roleLoads` gets each role's cursor load at icon size, by file name.
void ProfileLoad(ShuBiaoKong& editor, int rounds, Steps& loadSteps, Steps& hoverSteps, Steps& roleLoads);

// The steps Apply takes for each role, done for the fifteen `files` into
// `folder` (which must exist); registry values are written through the
// redirect in force.
void ProfileApply(const std::wstring& folder, const std::array<std::wstring, 15>& files, int rounds,
                  Steps& applySteps);

}  // namespace shubiao::bench

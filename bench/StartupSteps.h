#pragma once
// Where start-up time goes inside the program: the main window made in this
// process (with the scratch registry key and Windows folder, and a Desktop
// that answers for the user), each step of its load timed.
#include <string>
#include <utility>
#include <vector>

namespace shubiao::bench {

struct StartupSteps {
    // Per step, the first run in this process and the median of the others (ms).
    std::vector<std::pair<std::string, std::pair<double, double>>> steps;
    std::wstring error;
};

StartupSteps ProfileStartupSteps(int rounds);

}  // namespace shubiao::bench

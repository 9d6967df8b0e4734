#pragma once
// ShuBiaoCmd measured as scripts run it, whole processes from CreateProcessW
// to their end: `use` of a listed seventeen-slot scheme against the console
// floor (console_floor.exe) started alternately in the same run, and `apply`
// of a fifteen-role folder pack. Everything goes to scratch places: the
// programs are started as ShuBiaoCmdTest.exe (the shipped sources with the
// tests' stand-ins, cmd/TestSeams.cpp) with the scratch keys and folders in
// their environment.
#include <string>
#include <vector>

namespace shubiao::bench {

struct ConsoleResult {
    std::vector<double> floorMs;  // console_floor.exe, start to end
    std::vector<double> useMs;    // ShuBiaoCmd use <17-slot scheme>, start to end
    std::vector<double> applyMs;  // ShuBiaoCmd apply <15-role folder pack>, start to end
    std::wstring error;           // empty when every run ended with 0
};

ConsoleResult MeasureConsole(int runs, unsigned long long programCpus);

}  // namespace shubiao::bench

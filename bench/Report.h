#pragma once
// The benchmark's figures against their targets: a table on stdout and JSON.
#include <string>
#include <vector>

#include "bench/ConsoleBench.h"
#include "bench/EditorBench.h"
#include "bench/Executable.h"
#include "bench/FillBench.h"
#include "bench/LibraryBench.h"
#include "bench/Startup.h"
#include "bench/StartupSteps.h"
#include "bench/ZipBench.h"

namespace shubiao::bench {

struct Report {
    // What the script says about the CPUs Wine ran on ("1", "all").
    std::string wineCpus;
    // Only the start-up against the floor was measured.
    bool startupOnly = false;
    // Only ShuBiaoCmd against the console floor was measured.
    bool consoleOnly = false;
    // Only the deep zip against the flat one was measured.
    bool zipOnly = false;
    // Only closing and 刷 新 were measured, this build's ShuBiao.exe and the
    // one in each `closingAgainst` folder side by side.
    bool closingOnly = false;
    bool editorOnly = false;  // --only editor
    std::vector<std::wstring> closingAgainst;
    int closingRounds = 5;
    int deepZipRuns = 3;
    DeepZipResult deepZip;
    // Another run's JSON, written into this one's under `embeddedName`.
    std::string embeddedName;
    std::string embeddedJson;
    int startupRuns = 0;
    CpuPlacement cpus;
    StartupResult startup;
    StartupSteps startupSteps;
    EditorSettings settings;
    EditorResult editor;
    LibrarySettings librarySettings;
    LibraryResult library;
    ConsoleResult console;
    // Only 补齐尺寸 against Apply without it was measured.
    bool fillOnly = false;
    int fillRuns = 5;
    FillResult fill;
    std::wstring executablePath;
    ExecutableFacts executable;
};

void PrintTable(const Report& report);
bool WriteJson(const Report& report, const std::wstring& path);
// True when every figure was taken and every target met.
bool AllTargetsMet(const Report& report);

}  // namespace shubiao::bench

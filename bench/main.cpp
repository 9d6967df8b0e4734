// shubiao_bench [--json PATH] [--runs N] [--hovers N] [--refreshes N] [--applies N] [--undos N] [--rounds N]
//               [--only startup|console|zip|closing|fill|editor] [--zip-runs N] [--fill-runs N] [--wine-cpus TEXT]
//               [--embed NAME=PATH] [--program-cpus MASK] [--watcher-cpus MASK] [--against FOLDER]
//               [--closing-rounds N]
// Measures ShuBiao's start-up against the floor, the editor's load, hover and
// Apply, what the process holds after many hovers and refreshes, ShuBiaoCmd's
// use against the console floor and its apply, and the executable's size and imports; prints a table and writes JSON. Run from the
// folder holding ShuBiao.exe, floor.exe and the installed assets.
// --rounds sets how many rounds the growth checks run (10).
// --only startup measures the start-up against the floor alone, --only
// editor the editor's load, hover, growth, Apply and undo alone, --only
// console ShuBiaoCmd against the console floor alone, --only zip the deep
// zip against the flat one alone (--zip-runs unpackings of each), --only
// closing the main window's closing with nothing pending and 刷 新, this
// build's against the ShuBiao.exe in each --against folder, alternately
// (--closing-rounds runs of each, five clicks on 刷 新 a run); --wine-cpus
// records what the script says about the CPUs Wine runs on; --embed writes
// another run's JSON file into this one's under NAME; --program-cpus and
// --watcher-cpus give the programs started and the thread watching the screen
// for them CPU affinity masks (hexadecimal).
// Exit code: 0 every target met, 1 a target missed, 2 a figure could not be taken.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/Closing.h"
#include "bench/Report.h"
#include "scheme/Folders.h"
#include "win/Text.h"

using namespace shubiao;
using namespace shubiao::bench;

namespace {

bool ReadArguments(int argc, wchar_t** argv, std::wstring& json, Report& report) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const wchar_t* value = argv[i + 1];
        const int number = static_cast<int>(std::wcstol(value, nullptr, 10));
        if (name == L"--json") {
            json = value;
        } else if (name == L"--runs" && number > 0) {
            report.startupRuns = number;
        } else if (name == L"--hovers" && number > 0) {
            report.settings.hovers = number;
        } else if (name == L"--refreshes" && number > 0) {
            report.settings.refreshes = number;
        } else if (name == L"--applies" && number > 0) {
            report.settings.applies = number;
        } else if (name == L"--undos" && number > 0) {
            report.settings.undos = number;
        } else if (name == L"--rounds" && number > 1) {
            report.settings.growthRounds = number;
            report.librarySettings.rounds = number;
        } else if (name == L"--only" && std::wstring(value) == L"startup") {
            report.startupOnly = true;
        } else if (name == L"--only" && std::wstring(value) == L"console") {
            report.consoleOnly = true;
        } else if (name == L"--only" && std::wstring(value) == L"zip") {
            report.zipOnly = true;
        } else if (name == L"--only" && std::wstring(value) == L"editor") {
            report.editorOnly = true;
        } else if (name == L"--only" && std::wstring(value) == L"closing") {
            report.closingOnly = true;
        } else if (name == L"--against") {
            report.closingAgainst.push_back(value);
        } else if (name == L"--closing-rounds" && number > 0) {
            report.closingRounds = number;
        } else if (name == L"--only" && std::wstring(value) == L"fill") {
            report.fillOnly = true;
        } else if (name == L"--fill-runs" && number > 0) {
            report.fillRuns = number;
        } else if (name == L"--zip-runs" && number > 0) {
            report.deepZipRuns = number;
        } else if (name == L"--program-cpus" || name == L"--watcher-cpus") {
            const unsigned long long mask = std::wcstoull(value, nullptr, 16);
            if (mask == 0) {
                std::fwprintf(stderr, L"bad CPU mask: %ls %ls\n", argv[i], value);
                return false;
            }
            (name == L"--program-cpus" ? report.cpus.programCpus : report.cpus.watcherCpus) = mask;
        } else if (name == L"--wine-cpus") {
            report.wineCpus = ToUtf8(value);
        } else if (name == L"--embed" && std::wcschr(value, L'=') != nullptr) {
            const std::wstring embed = value;
            const size_t equals = embed.find(L'=');
            report.embeddedName = ToUtf8(embed.substr(0, equals));
            std::ifstream file(std::filesystem::path(embed.substr(equals + 1)), std::ios::binary);
            report.embeddedJson.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            if (!file.good() && !file.eof()) report.embeddedJson.clear();
            if (report.embeddedJson.empty()) report.embeddedJson = "null";
            while (!report.embeddedJson.empty() && (report.embeddedJson.back() == '\n' || report.embeddedJson.back() == '\r')) {
                report.embeddedJson.pop_back();
            }
        } else {
            std::fwprintf(stderr, L"unknown or bad argument: %ls %ls\n", argv[i], value);
            return false;
        }
    }
    if (argc % 2 == 0) {
        std::fwprintf(stderr, L"%ls needs a value\n", argv[argc - 1]);
        return false;
    }
    return true;
}

// The end of a run that measured one thing: its table and JSON, and the exit
// code (2 when the figure could not be taken or written).
int FinishAlone(const Report& report, const std::wstring& json, HRESULT com, bool measured) {
    PrintTable(report);
    const bool written = WriteJson(report, json);
    if (SUCCEEDED(com)) CoUninitialize();
    if (!written || !measured) return 2;
    return AllTargetsMet(report) ? 0 : 1;
}

void Say(const char* text) {
    std::fprintf(stderr, "-- %s\n", text);
    std::fflush(stderr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Report report;
    report.startupRuns = 20;
    std::wstring json = L"bench.json";
    if (!ReadArguments(argc, argv, json, report)) return 2;

    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    if (report.consoleOnly) {
        Say("console: ShuBiaoCmd use against console_floor.exe, ShuBiaoCmd apply");
        report.console = MeasureConsole(report.startupRuns, report.cpus.programCpus);
        return FinishAlone(report, json, com, report.console.error.empty());
    }
    if (report.zipOnly) {
        Say("zip: 10,000 entries 90 folders deep against the same flat");
        report.deepZip = MeasureDeepZip(report.deepZipRuns);
        return FinishAlone(report, json, com, report.deepZip.error.empty());
    }
    if (report.closingOnly) {
        Say("closing with nothing pending and 刷 新, side by side");
        std::vector<std::wstring> folders{AppFolder()};
        folders.insert(folders.end(), report.closingAgainst.begin(), report.closingAgainst.end());
        const ClosingResult closing = MeasureClosing(folders, report.closingRounds, 5, report.cpus.programCpus);
        PrintClosing(closing);
        if (SUCCEEDED(com)) CoUninitialize();
        return closing.error.empty() ? 0 : 2;
    }
    if (report.fillOnly) {
        Say("fill: Apply of 17 roles without filling and with 补齐尺寸");
        report.fill = MeasureFill(report.fillRuns);
        return FinishAlone(report, json, com, report.fill.error.empty());
    }
    if (report.editorOnly) {
        Say("editor: load, hover, growth, Apply");
        report.editor = MeasureEditor(report.settings);
        return FinishAlone(report, json, com, report.editor.problems.empty());
    }
    if (report.startupOnly) {
        Say("start-up: ShuBiao.exe against floor.exe");
        report.startup = MeasureStartup(AppFolder(), report.startupRuns, report.cpus);
        return FinishAlone(report, json, com, report.startup.error.empty());
    }
    Say("start-up steps inside the program");
    report.startupSteps = ProfileStartupSteps(11);
    Say("start-up: ShuBiao.exe against floor.exe");
    report.startup = MeasureStartup(AppFolder(), report.startupRuns, report.cpus);
    Say("editor: load, hover, growth, Apply");
    report.editor = MeasureEditor(report.settings);
    Say("fill: Apply of 17 roles without filling and with 补齐尺寸");
    report.fill = MeasureFill(report.fillRuns);
    Say("zip: 10,000 entries 90 folders deep against the same flat");
    report.deepZip = MeasureDeepZip(report.deepZipRuns);
    Say("方案库: opening over 30 schemes, growth over openings");
    report.library = MeasureLibrary(report.librarySettings);
    Say("console: ShuBiaoCmd use against console_floor.exe, ShuBiaoCmd apply");
    report.console = MeasureConsole(report.startupRuns, report.cpus.programCpus);
    report.executablePath = AppFolder() + L"\\ShuBiao.exe";
    report.executable = InspectExecutable(report.executablePath);

    PrintTable(report);
    const bool written = WriteJson(report, json);
    if (!written) std::fwprintf(stderr, L"cannot write %ls\n", json.c_str());
    if (SUCCEEDED(com)) CoUninitialize();

    const bool complete = written && report.startup.error.empty() && report.startupSteps.error.empty() && report.editor.problems.empty() &&
                          report.library.problems.empty() && report.executable.error.empty() &&
                          report.console.error.empty() && report.deepZip.error.empty() && report.fill.error.empty();
    if (!complete) return 2;
    return AllTargetsMet(report) ? 0 : 1;
}

#include "bench/StartupSteps.h"

#include <array>

#include "app/MainWindow.h"
#include "bench/Sandbox.h"
#include "bench/Stats.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"

namespace shubiao::bench {
namespace {

constexpr size_t kSteps = 5;
constexpr std::array<const char*, kSteps> kStepNames{
    "window, editor and skin (CreateWindow, editor Create, SkinH_AttachEx)",
    "aero (SkinH_SetAero)",
    "small icon (SetWindowIconFromFile)",
    "ChuShiShuBiao",
    "shown and painted (ShowWindow, UpdateWindow)",
};

// One MainWindow made, timed step by step; the window goes afterwards.
bool TimeOnce(Desktop& desktop, std::array<double, kSteps>& spent, std::wstring& error) {
    MainWindow main(desktop);
    const Stopwatch clock;
    double last = 0;
    auto lap = [&](size_t step) {
        const double now = clock.Ms();
        spent[step] = now - last;
        last = now;
    };
    main.onLoadStep = [&](MainWindow::LoadStep step) {
        switch (step) {
        case MainWindow::LoadStep::Skin: lap(0); break;
        case MainWindow::LoadStep::Aero: lap(1); break;
        case MainWindow::LoadStep::Icon: lap(2); break;
        case MainWindow::LoadStep::ChuShiShuBiao: lap(3); break;
        }
    };
    try {
        main.Create(SW_SHOWNORMAL);
    } catch (...) {
        error = L"the main window could not be made: " + DescribeCurrentException();
        return false;
    }
    lap(4);
    DrainMessages();
    return true;
}

}  // namespace

StartupSteps ProfileStartupSteps(int rounds) {
    StartupSteps result;
    Sandbox sandbox;
    BenchDesktop desktop;
    if (!sandbox.ok()) {
        result.error = L"cannot make the scratch registry key and Windows folder";
        return result;
    }
    for (const CursorRole& role : kRoles) sandbox.SetValue(std::wstring(role.valueName), DataStorageFolder() + role.FileName());
    std::array<std::vector<double>, kSteps> samples;
    for (int round = 0; round < rounds; ++round) {
        std::array<double, kSteps> spent{};
        if (!TimeOnce(desktop, spent, result.error)) return result;
        for (size_t i = 0; i < spent.size(); ++i) samples[i].push_back(spent[i]);
    }
    for (size_t i = 0; i < samples.size(); ++i) {
        const double first = samples[i].front();
        samples[i].erase(samples[i].begin());
        result.steps.push_back({kStepNames[i], {first, Summarise(samples[i]).median}});
    }
    DrainMessages();
    return result;
}

}  // namespace shubiao::bench

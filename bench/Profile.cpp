#include "bench/Profile.h"

#include <windows.h>

#include <array>

#include "bench/Sandbox.h"
#include "bench/Stats.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorFileCheck.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"

namespace shubiao::bench {
namespace {

enum LoadStep { kWipe, kRegistry, kCheck, kLoad, kDraw, kLoadStepCount };
constexpr std::array<const char*, kLoadStepCount> kLoadStepNames{
    "wipe the 15 boxes (Cls)",
    "15 registry reads (RegRead)",
    "15 file checks (expand, attributes, content check)",
    "15 cursor loads at icon size (LoadImageW + DestroyCursor)",
    "15 draws (DrawIconEx + GdiFlush + Invalidate)",
};

enum HoverStep { kHoverCheck, kHoverLoad, kHoverStepCount };
constexpr std::array<const char*, kHoverStepCount> kHoverStepNames{
    "file check (expand, attributes, content check)",
    "cursor load at pointer size (LoadCursorFromFileW + DestroyCursor)",
};

bool Check(const std::wstring& path) {
    const std::wstring file = ExpandEnvironment(path);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && CheckCursorFileAt(file.c_str()).ok();
}

}  // namespace

void ProfileLoad(ShuBiaoKong& editor, int rounds, Steps& loadSteps, Steps& hoverSteps) {
    std::array<std::vector<double>, kLoadStepCount> load;
    std::array<std::vector<double>, kHoverStepCount> hover;
    const int size = GetSystemMetricsForDpi(SM_CXICON, editor.Dpi());
    std::array<std::wstring, kRoleCount> files;
    for (int n = 1; n <= kRoleCount; ++n) files[static_cast<size_t>(n - 1)] = editor.Scheme().RoleCursorFile(n);

    for (int round = 0; round < rounds; ++round) {
        std::array<double, kLoadStepCount> spent{};
        {
            const Stopwatch clock;
            for (int n = 1; n <= kRoleCount; ++n) editor.Picture(n).Cls();
            spent[kWipe] = clock.Ms();
        }
        for (const CursorRole& role : kRoles) {
            const std::wstring& file = files[static_cast<size_t>(role.number - 1)];
            std::wstring data;
            Stopwatch clock;
            registry::RegRead(role.ValuePath(), data);
            spent[kRegistry] += clock.Ms();

            clock = Stopwatch();
            const bool usable = Check(file);
            spent[kCheck] += clock.Ms();
            if (!usable) continue;

            clock = Stopwatch();
            auto cursor = static_cast<HCURSOR>(LoadImageW(nullptr, ExpandEnvironment(file).c_str(), IMAGE_CURSOR,
                                                          size, size, LR_LOADFROMFILE));
            spent[kLoad] += clock.Ms();
            if (cursor == nullptr) continue;

            clock = Stopwatch();
            PictureBox& box = editor.Picture(role.number);
            DrawIconEx(box.ImageDC(), 0, 0, cursor, size, size, 0, nullptr, DI_NORMAL);
            GdiFlush();
            box.Invalidate();
            spent[kDraw] += clock.Ms();

            clock = Stopwatch();
            DestroyCursor(cursor);
            spent[kLoad] += clock.Ms();
        }
        for (size_t i = 0; i < spent.size(); ++i) load[i].push_back(spent[i]);
        DrainMessages();

        const std::wstring& file = files[static_cast<size_t>(round % kRoleCount)];
        Stopwatch clock;
        const bool usable = Check(file);
        hover[kHoverCheck].push_back(clock.Ms());
        clock = Stopwatch();
        if (usable) DestroyCursor(LoadCursorFromFileW(ExpandEnvironment(file).c_str()));
        hover[kHoverLoad].push_back(clock.Ms());
    }
    for (size_t i = 0; i < load.size(); ++i) loadSteps.emplace_back(kLoadStepNames[i], Summarise(load[i]).median);
    for (size_t i = 0; i < hover.size(); ++i) hoverSteps.emplace_back(kHoverStepNames[i], Summarise(hover[i]).median);
    editor.ChuShiShuBiao();
    DrainMessages();
}

}  // namespace shubiao::bench

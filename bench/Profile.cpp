#include "bench/Profile.h"

#include <windows.h>

#include <array>

#include "bench/Sandbox.h"
#include "bench/Stats.h"
#include "editor/CursorLoader.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorFileCheck.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "win/Raii.h"

namespace shubiao::bench {
namespace {

enum LoadStep { kCover, kWipe, kRegistry, kCheck, kLoad, kDraw, kLoadStepCount };
constexpr std::array<const char*, kLoadStepCount> kLoadStepNames{
    "show and hide the cover over the boxes (XianShi, ShowWindow x2)",
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

void ProfileLoad(ShuBiaoKong& editor, int rounds, Steps& loadSteps, Steps& hoverSteps, Steps& roleLoads) {
    std::array<std::vector<double>, kLoadStepCount> load;
    std::array<std::vector<double>, kRoleCount> perRole;
    std::array<std::vector<double>, kHoverStepCount> hover;
    const int size = GetSystemMetricsForDpi(SM_CXICON, editor.Dpi());
    std::array<std::wstring, kRoleCount> files;
    for (int n = 1; n <= kRoleCount; ++n) files[static_cast<size_t>(n - 1)] = editor.Scheme().RoleCursorFile(n);

    for (int round = 0; round < rounds; ++round) {
        std::array<double, kLoadStepCount> spent{};
        {
            const Stopwatch clock;
            ShowWindow(editor.XianShi().hwnd(), SW_SHOW);
            ShowWindow(editor.XianShi().hwnd(), SW_HIDE);
            spent[kCover] = clock.Ms();
        }
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
            const double loading = clock.Ms();
            spent[kLoad] += loading;
            perRole[static_cast<size_t>(role.number - 1)].push_back(loading);
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
    for (const CursorRole& role : kRoles) {
        std::wstring name = role.FileName();
        roleLoads.emplace_back(std::string(name.begin(), name.end()),
                               Summarise(perRole[static_cast<size_t>(role.number - 1)]).median);
    }
    editor.ChuShiShuBiao();
    DrainMessages();
}

void ProfileApply(const std::wstring& folder, const std::array<std::wstring, 15>& files, int rounds,
                  Steps& applySteps) {
    enum Step { kOpen, kCopy, kCheckCopy, kMove, kRegistry, kCount };
    static constexpr std::array<const char*, kCount> names{
        "15 readability checks (CreateFileW)",
        "15 copies beside the destination (CopyFileReplacing)",
        "15 checks of the copy (LoadCursorChecked at pointer size; 13 go to SetSystemCursor)",
        "15 renames over the destination (MoveFileExW)",
        "15 registry writes (RegWrite)",
    };
    std::array<std::vector<double>, kCount> samples;
    for (int round = 0; round < rounds; ++round) {
        std::array<double, kCount> spent{};
        for (const CursorRole& role : kRoles) {
            const std::wstring& source = files[static_cast<size_t>(role.number - 1)];
            const std::wstring destination = folder + role.FileName();
            const std::wstring copy = folder + L"~" + role.FileName() + L".tmp";
            Stopwatch clock;
            UniqueFile readable(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            readable.reset();
            spent[kOpen] += clock.Ms();
            clock = Stopwatch();
            CopyFileReplacing(source, copy);
            spent[kCopy] += clock.Ms();
            clock = Stopwatch();
            LoadPointerChecked(copy);
            spent[kCheckCopy] += clock.Ms();
            clock = Stopwatch();
            MoveFileExW(copy.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING);
            spent[kMove] += clock.Ms();
            clock = Stopwatch();
            registry::RegWrite(role.ValuePath(), destination);
            spent[kRegistry] += clock.Ms();
        }
        for (size_t i = 0; i < spent.size(); ++i) samples[i].push_back(spent[i]);
    }
    for (size_t i = 0; i < samples.size(); ++i) applySteps.emplace_back(names[i], Summarise(samples[i]).median);
}

}  // namespace shubiao::bench

// GCC 12 at -O3 takes the test builders' small appends (cursor_bytes::Chunk)
// for writes past an empty vector (-Wstringop-overflow), wrongly.
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#include "bench/FillBench.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "bench/Sandbox.h"
#include "bench/Stats.h"
#include "editor/Layout.h"
#include "editor/ShuBiaoKong.h"
#include "portable/cursor_bytes.h"
#include "scheme/Apply.h"
#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/WorkingScheme.h"
#include "scheme/WriterLock.h"

namespace shubiao::bench {
namespace {

using cursor_bytes::Bytes;

// A 32 x 32, 32-bpp cursor whose pixels are a pattern of its own (`seed`),
// opaque in a disc and clear outside, as a pointer's are; hot spot (hot, hot).
Bytes PatternCursor(std::uint16_t hot, std::uint32_t seed) {
    constexpr std::size_t kHeader = 40, kPixels = 32 * 32 * 4, kMask = 32 * 4;
    Bytes dib(kHeader + kPixels + kMask, 0);  // the AND mask all 0: the alpha decides
    cursor_bytes::Set32(dib, 0, 40);
    cursor_bytes::Set32(dib, 4, 32);
    cursor_bytes::Set32(dib, 8, 64);
    cursor_bytes::Set16(dib, 12, 1);
    cursor_bytes::Set16(dib, 14, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int dx = x - 16, dy = y - 16;
            const bool inside = dx * dx + dy * dy < 15 * 15;
            const std::uint32_t colour = (seed * 2654435761u) ^ static_cast<std::uint32_t>(x * 37 + y * 101);
            cursor_bytes::Set32(dib, kHeader + static_cast<std::size_t>(y * 32 + x) * 4,
                                inside ? (0xFF000000u | (colour & 0x00FFFFFFu)) : 0u);
        }
    }
    cursor_bytes::Image image{dib, 32, 32, hot, hot};
    return cursor_bytes::MakeIcon(cursor_bytes::kCur, {image});
}

Bytes PatternAnimation(std::uint16_t hot, std::uint32_t seed, std::uint32_t frames) {
    std::vector<Bytes> icons;
    std::vector<std::uint32_t> seq;
    for (std::uint32_t i = 0; i < frames; ++i) {
        icons.push_back(PatternCursor(hot, seed * 64 + i));
        seq.push_back(i);
    }
    return cursor_bytes::Riff({cursor_bytes::Anih(frames, frames), cursor_bytes::Chunk("seq ", cursor_bytes::Table(seq)),
                               cursor_bytes::FrameList(icons)});
}

// The window's fill from the outside: the progress the window shows from
// the fill's first moment (its delay set to 0) lives exactly as long as the
// fill, so its making and its end mark the fill on `clock`.
class FillMarks : public BenchDesktop {
public:
    explicit FillMarks(const Stopwatch& clock) : clock_(clock) {}
    std::unique_ptr<FillProgress> ShowFillProgress(HWND, int) override {
        begun = clock_.Ms();
        return std::make_unique<Progress>(*this);
    }
    double begun = -1;
    double ended = -1;

private:
    class Progress : public FillProgress {
    public:
        explicit Progress(FillMarks& marks) : marks_(marks) {}
        ~Progress() override { marks_.ended = marks_.clock_.Ms(); }
        void Update(int, int) override {}
        bool Cancelled() const override { return false; }

    private:
        FillMarks& marks_;
    };
    const Stopwatch& clock_;
};

// Apply in the window with 补齐尺寸 on, of the boxes' animated files, `runs`
// times; meanwhile a thread of the benchmark sends WM_NULL to the window
// every ~10 ms and times each answer. The waits of those sent while a fill
// ran are kept, up to the fill's end; the writing after the fill is not the
// fill's.
void MeasureWindowFill(const test::ScratchFolder& files, int runs, FillResult& result) {
    const Stopwatch clock;
    FillMarks desktop(clock);
    BenchHost host;
    ShuBiaoKong editor(desktop);
    std::vector<std::wstring> problems;
    if (!CreateEditor(editor, host, problems)) {
        result.error = problems.empty() ? L"no editor for the window's fill" : problems.front();
        return;
    }
    editor.Library().Filling().SetOn(true);
    editor.Library().Filling().SetProgressDelay(0);
    for (const int role : layout::kBoxRoles) {
        desktop.openAnswers.push_back(files / (std::wstring(Role(role).valueName) + L".ani"));
        editor.Picture_Click(role);
        DrainMessages();
    }
    struct Ping {
        double sent;
        double took;
    };
    std::vector<Ping> pings;
    std::mutex guard;
    std::atomic<bool> stop{false};
    std::atomic<bool> stopped{false};
    const HWND window = editor.hwnd();
    std::thread watcher([&] {
        for (; !stop.load(); Sleep(10)) {
            const double sent = clock.Ms();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
            const double took = clock.Ms() - sent;
            {
                const std::lock_guard lock(guard);
                pings.push_back({sent, took});
            }
        }
        stopped.store(true);
    });
    for (int i = 0; i < runs; ++i) {
        desktop.begun = desktop.ended = -1;
        editor.YingYong_SB_Click();
        DrainMessages();
        if (desktop.begun < 0 || desktop.ended < desktop.begun) {
            result.error = L"the window did not fill";
            break;
        }
        result.windowFillMs.push_back(desktop.ended - desktop.begun);
        const std::lock_guard lock(guard);
        // A ping sent near the fill's end may be answered only after the
        // writing that follows it: its wait counts up to the fill's end.
        for (const Ping& ping : pings) {
            if (ping.sent >= desktop.begun && ping.sent < desktop.ended) {
                result.answerMs.push_back(std::min(ping.sent + ping.took, desktop.ended) - ping.sent);
            }
        }
        pings.clear();
    }
    // The last WM_NULL is answered before the watcher can end.
    stop.store(true);
    while (!stopped.load()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        DrainMessages();
    }
    watcher.join();
    if (!desktop.warnings.empty()) result.error = L"the window's Apply with 补齐尺寸 warned: " + desktop.warnings.front();
}

}  // namespace

FillResult MeasureFill(int runs) {
    FillResult result;
    result.runs = runs;
    result.frames = 8;
    Sandbox sandbox;
    test::ScratchFolder files{L"fillb"};
    if (!sandbox.ok() || !files.ok()) {
        result.error = L"no sandbox for the fill";
        return result;
    }
    // Seventeen different files of each kind, so that no fill is shared.
    WorkingScheme statics, animations;
    for (const CursorRole& role : kRoles) {
        const auto hot = static_cast<std::uint16_t>(role.number);
        const std::wstring name = files / std::wstring(role.valueName);
        const Bytes still = PatternCursor(hot, static_cast<std::uint32_t>(role.number));
        const Bytes moving = PatternAnimation(hot, static_cast<std::uint32_t>(role.number), 8);
        if (WriteNewFile(name + L".cur", still, false) != ERROR_SUCCESS ||
            WriteNewFile(name + L".ani", moving, false) != ERROR_SUCCESS) {
            result.error = L"cannot write the fill's files";
            return result;
        }
        if (role.number == 1) {
            result.staticBytes = static_cast<double>(still.size());
            result.animatedBytes = static_cast<double>(moving.size());
            result.staticFilledBytes = static_cast<double>(FillSizes(still).bytes.size());
            result.animatedFilledBytes = static_cast<double>(FillSizes(moving).bytes.size());
        }
        for (auto [scheme, file] : {std::pair{&statics, name + L".cur"}, std::pair{&animations, name + L".ani"}}) {
            scheme->RoleCursorFile(role.number) = file;
            scheme->SetRoleChanged(role.number, true);
        }
    }
    std::optional<WriterLock> lock;  // the window takes its own afterwards
    lock.emplace(0);
    BenchDesktop desktop;
    // Each Apply alone in its turn: plain and filled, static and animated.
    const auto apply = [&](const WorkingScheme& scheme, bool fill, std::vector<double>& ms) {
        SizeFill fills;
        HCURSOR handedOver = nullptr;
        const Stopwatch clock;
        const SkipReport report = ApplyChangedRoles(*lock, desktop, scheme, handedOver, nullptr, {}, fill ? &fills : nullptr);
        ms.push_back(clock.Ms());
        if (report.applied() != kRoleCount || !report.unfilled().empty()) {
            result.error = L"an Apply of the fill's files did not apply every role" +
                           std::wstring(fill ? L" filled" : L"");
        }
    };
    for (int i = 0; i < runs && result.error.empty(); ++i) {
        apply(statics, false, result.staticPlainMs);
        apply(statics, true, result.staticFilledMs);
        apply(animations, false, result.animatedPlainMs);
        apply(animations, true, result.animatedFilledMs);
    }
    lock.reset();
    if (result.error.empty()) MeasureWindowFill(files, runs, result);
    return result;
}

}  // namespace shubiao::bench

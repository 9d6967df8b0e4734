// GCC 12 at -O3 takes the test builders' small appends (cursor_bytes::Chunk)
// for writes past an empty vector (-Wstringop-overflow), wrongly.
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#include "bench/FillBench.h"

#include <cstdint>
#include <vector>

#include "bench/Sandbox.h"
#include "bench/Stats.h"
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
    const WriterLock lock(0);
    BenchDesktop desktop;
    // Each Apply alone in its turn: plain and filled, static and animated.
    const auto apply = [&](const WorkingScheme& scheme, bool fill, std::vector<double>& ms) {
        SizeFill fills;
        HCURSOR handedOver = nullptr;
        const Stopwatch clock;
        const SkipReport report = ApplyChangedRoles(lock, desktop, scheme, handedOver, nullptr, {}, fill ? &fills : nullptr);
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
    return result;
}

}  // namespace shubiao::bench

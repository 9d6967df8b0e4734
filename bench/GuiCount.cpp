#include "bench/GuiCount.h"

#include <psapi.h>

#include "support/Scratch.h"

namespace shubiao::bench {
namespace {

// Committed private memory, added up region by region (Wine leaves
// PrivateUsage at 0).
std::uint64_t CommittedPrivateBytes() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const BYTE* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

Holdings CountHoldings() {
    Holdings h;
    h.gdi = test::CountGdiObjects();
    h.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    h.userAvailable = h.user != 0;  // a process with windows always holds some
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
        h.privateBytes = memory.PrivateUsage;
    }
    if (h.privateBytes == 0) h.privateBytes = CommittedPrivateBytes();
    return h;
}

double SlopePerRound(const Rounds& rounds, const std::function<double(const Holdings&)>& figure, size_t from) {
    if (from + 2 > rounds.size()) return 0;
    const auto n = static_cast<double>(rounds.size() - from);
    double meanX = 0, meanY = 0;
    for (size_t i = from; i < rounds.size(); ++i) {
        meanX += static_cast<double>(i) / n;
        meanY += figure(rounds[i]) / n;
    }
    double covariance = 0, variance = 0;
    for (size_t i = from; i < rounds.size(); ++i) {
        const double dx = static_cast<double>(i) - meanX;
        covariance += dx * (figure(rounds[i]) - meanY);
        variance += dx * dx;
    }
    return covariance / variance;
}

}  // namespace shubiao::bench

#pragma once
// What the process holds: GDI objects, USER objects and private bytes.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace shubiao::bench {

struct Holdings {
    DWORD gdi = 0;
    DWORD user = 0;
    bool userAvailable = false;  // GetGuiResources answers 0 for USER under Wine
    std::uint64_t privateBytes = 0;  // PrivateUsage, or committed private regions where that is 0
};

Holdings CountHoldings();

// What the process holds around rounds of the same work: [0] before the
// first round, [i] after round i.
using Rounds = std::vector<Holdings>;

// How much `figure` grows per round once the rounds before have settled
// what the process keeps once (heap, Wine's caches): the least-squares slope
// of the figures after rounds `from`..n against the round's number. A leak
// grows with every round and shows as a slope; a one-time step moves it by a
// fraction of the step that shrinks as rounds are added. 0 with fewer than
// two figures.
double SlopePerRound(const Rounds& rounds, const std::function<double(const Holdings&)>& figure, size_t from = 1);

}  // namespace shubiao::bench

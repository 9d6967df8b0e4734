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

// How much `figure` grows per round once the first round has settled what
// the process keeps once (heap, Wine's caches): the least-squares slope of
// the figures after rounds 1..n against the round's number. A leak grows
// with every round and shows as a slope; a one-time step moves it by a
// fraction of the step that shrinks as rounds are added. 0 with fewer than
// two rounds after the first's end.
double SlopePerRound(const Rounds& rounds, const std::function<double(const Holdings&)>& figure);

}  // namespace shubiao::bench

#include "bench/Profile.h"

#include <algorithm>

namespace shubiao::bench {

void StepTimer::Begin() {
    for (Series& s : series_) s.now = 0;
    since_ = Stopwatch();
}

void StepTimer::Step(const char* name) {
    const double ms = since_.Ms();
    since_ = Stopwatch();
    auto it = std::find_if(series_.begin(), series_.end(), [&](const Series& s) { return s.name == name; });
    if (it == series_.end()) {
        series_.push_back(Series{name, 0, std::vector<double>(static_cast<size_t>(operations_), 0.0)});
        it = std::prev(series_.end());
    }
    it->now += ms;
}

void StepTimer::End() {
    for (Series& s : series_) s.samples.push_back(s.now);
    ++operations_;
}

Steps StepTimer::Medians() const {
    Steps steps;
    for (const Series& s : series_) steps.emplace_back(s.name, Summarise(s.samples).median);
    return steps;
}

}  // namespace shubiao::bench

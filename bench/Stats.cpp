#include "bench/Stats.h"

#include <algorithm>
#include <cmath>

namespace shubiao::bench {

Summary Summarise(std::vector<double> samples) {
    Summary s;
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    s.count = n;
    s.median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    const size_t rank = static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n)));
    s.p95 = samples[std::max<size_t>(rank, 1) - 1];
    s.min = samples.front();
    s.max = samples.back();
    return s;
}

}  // namespace shubiao::bench

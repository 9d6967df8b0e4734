#pragma once
// Where the time of the editor's work goes: the steps the editor itself marks
// (scheme/Profiler.h), summed per operation (one load, one hover, one Apply)
// and summarised as medians over the operations.
#include <string>
#include <utility>
#include <vector>

#include "bench/Stats.h"
#include "scheme/Profiler.h"

namespace shubiao::bench {

using Steps = std::vector<std::pair<std::string, double>>;

class StepTimer : public Profiler {
public:
    // An operation starts now.
    void Begin();
    // The operation has ended: each step's time in it becomes one sample.
    void End();
    void Step(const char* name) override;

    // Each step's median over the operations, in the order the steps came.
    Steps Medians() const;

private:
    struct Series {
        std::string name;
        double now = 0;  // in the operation under way
        std::vector<double> samples;
    };
    std::vector<Series> series_;
    Stopwatch since_;
    int operations_ = 0;
};

}  // namespace shubiao::bench

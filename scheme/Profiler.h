#pragma once
// Where the time of the work goes, for the benchmark: the editor and Apply
// mark the end of each step of a load, a hover and an Apply, so that what is
// timed is what the program does. Nothing is marked while no profiler is set.
namespace shubiao {

class Profiler {
public:
    virtual ~Profiler() = default;
    // The step `name` (a string literal) has just ended.
    virtual void Step(const char* name) = 0;
};

// Tells `profiler`, when there is one, that the step `name` has just ended.
inline void Mark(Profiler* profiler, const char* name) {
    if (profiler != nullptr) profiler->Step(name);
}

}  // namespace shubiao

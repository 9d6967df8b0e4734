#pragma once
// Where the time of the work goes, for the benchmark: the editor and Apply
// mark the end of each step of a load, a hover and an Apply, so that what is
// timed is what the program does.
namespace shubiao {

class Profiler {
public:
    virtual ~Profiler() = default;
    // The step `name` (a string literal) has just ended.
    virtual void Step(const char* name) = 0;
};

// Tests only: told of every step marked by the writing actions and the
// editor, whether or not a profiler was given. The test build of ShuBiaoCmd
// ends itself at a chosen step with it, to show what a kill there leaves.
inline Profiler* stepWatcher = nullptr;

// Tells `profiler`, when there is one, that the step `name` has just ended.
inline void Mark(Profiler* profiler, const char* name) {
    if (profiler != nullptr) profiler->Step(name);
    if (stepWatcher != nullptr) stepWatcher->Step(name);
}

}  // namespace shubiao

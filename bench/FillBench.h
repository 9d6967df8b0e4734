#pragma once
// 补齐尺寸 measured: Apply of seventeen roles from files that hold only 32
// pixels, static and animated, without filling and with it, alternately in
// the same run, through the Apply both programs use (scheme/Apply.h), in a
// sandbox (scratch Cursors key and store); and how soon the window answers
// while it fills.
#include <string>
#include <vector>

namespace shubiao::bench {

struct FillResult {
    int runs = 0;
    int frames = 0;  // of each animated file
    std::vector<double> staticPlainMs, staticFilledMs, animatedPlainMs, animatedFilledMs;
    // One file's bytes before and after filling.
    double staticBytes = 0, staticFilledBytes = 0, animatedBytes = 0, animatedFilledBytes = 0;
    // The window's thread while the window fills (Apply of the fifteen boxes'
    // animated files, 补齐尺寸 on, once a run): how long each fill ran, and
    // how long each WM_NULL sent to the window during a fill (one every
    // ~10 ms, from a thread of the benchmark's own) took to be answered.
    std::vector<double> windowFillMs, answerMs;
    std::wstring error;
};

FillResult MeasureFill(int runs);

}  // namespace shubiao::bench

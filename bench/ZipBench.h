#pragma once
// Unpacking a .zip whose entries lie 90 folders deep against the same
// entries in none: each folder is to be made and checked once per archive,
// not once per entry, so depth should cost little.
#include <string>
#include <vector>

namespace shubiao::bench {

struct DeepZipResult {
    int entries = 0;
    int depth = 0;
    double deepBytes = 0;
    double flatBytes = 0;
    std::vector<double> deepMs;   // UnpackZip of the deep archive, one per run
    std::vector<double> flatMs;   // UnpackZip of the flat one
    std::wstring error;
};

// `runs` unpackings of each, alternately, flat first.
DeepZipResult MeasureDeepZip(int runs);

}  // namespace shubiao::bench

// fuzz-sources: scheme/formats/CursorFileCheck.cpp scheme/formats/FillSizes.cpp scheme/formats/StbLibraries.cpp
// fuzz-max-len: 65536
// fuzz-libs: -lz
// libFuzzer target for 补齐尺寸. Any crash, sanitizer report or broken
// promise (fill_sizes_invariants.h) is a bug in scheme/formats/FillSizes.cpp,
// or in stb as we use it.
#include <cstdlib>

#include "tests/fuzz/fill_sizes_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz_invariants::FillSizesBreak({data, size}).empty()) std::abort();
    return 0;
}

// fuzz-sources: scheme/formats/CursorFileCheck.cpp scheme/formats/CursorImages.cpp
// libFuzzer target for the cursor image reader. Any crash, sanitizer report or
// broken promise (invariants.h) here is a bug in scheme/formats/CursorImages.cpp or in
// the parts of scheme/formats/CursorFileCheck.cpp it shares.
#include <cstdlib>

#include "tests/fuzz/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz_invariants::CursorImagesBreak({data, size}).empty()) std::abort();
    return 0;
}

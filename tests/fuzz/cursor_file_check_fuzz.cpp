// libFuzzer target for the cursor-file check. Any crash, sanitizer report or
// broken invariant here is a bug in scheme/formats/CursorFileCheck.cpp.
// fuzz-sources: scheme/formats/CursorFileCheck.cpp
#include "scheme/formats/CursorFileCheck.h"

#include <cstdlib>

#include "tests/fuzz/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const shubiao::CursorCheck check = shubiao::CheckCursorBytes({data, size});
    if (shubiao::DescribeCursorFault(check.fault).empty()) std::abort();
    // A file that passes has been recognised as one of the two kinds.
    if (check.ok() && check.kind == shubiao::CursorFileKind::Unknown) std::abort();
    // Passing needs at least a directory entry and a bitmap header or a RIFF header.
    if (check.ok() && size < 12) std::abort();
    if (!fuzz_invariants::CursorSizesBreak(check).empty()) std::abort();
    return 0;
}

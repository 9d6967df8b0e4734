// libFuzzer target for the ZIP reader of cursor packs. Any crash, sanitizer
// report or broken promise (tests/fuzz/invariants.h: safe relative paths of
// the three kinds, the declared size and CRC, the limits) is a bug in
// scheme/formats/ZipReader.cpp.
// fuzz-sources: scheme/formats/ZipReader.cpp scheme/formats/TextEncoding.cpp scheme/formats/NameRules.cpp
// fuzz-libs: -lz
// fuzz-max-len: 262144
#include <cstdlib>

#include "tests/fuzz/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz_invariants::ZipReadBreaks({data, size}).empty()) std::abort();
    return 0;
}

// libFuzzer target for ShuBiaoCmd's command line. The input is split at NUL
// bytes into arguments. A crash, a sanitizer report or a broken promise of
// cmd/CommandLine.h is a bug in cmd/CommandLine.cpp.
// fuzz-sources: cmd/CommandLine.cpp
// fuzz-max-len: 4096
#include "cmd/CommandLine.h"

#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/command_line_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fi = fuzz_invariants::command_line;
    if (fi::Breaks(fi::Arguments(data, size)) != nullptr) std::abort();
    return 0;
}

// libFuzzer target for the reader of the pointers' history index. Any crash
// or sanitizer report, or an index read as whole that does not write back
// to exactly its own bytes (the layout has one spelling for each history),
// is a bug in scheme/formats/HistoryIndex.cpp.
// fuzz-sources: scheme/formats/HistoryIndex.cpp
// fuzz-max-len: 65536
#include "scheme/formats/HistoryIndex.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace shubiao::history;
    const IndexRead read = ReadIndex({data, size});
    if (!read.ok()) {
        if (!read.states.empty()) std::abort();
        return 0;
    }
    if (read.states.size() > kMaxStates) std::abort();
    if (WriteIndex(read.states) != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
    return 0;
}

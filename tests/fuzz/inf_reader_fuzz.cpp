// libFuzzer target for the cursor-pack .inf reader. Any crash, sanitizer
// report or broken promise (tests/fuzz/invariants.h) is a bug in
// scheme/formats/InfReader.cpp. Bytes that are not UTF-8 are read as Latin-1, so
// every input reaches the parser.
// fuzz-sources: scheme/formats/InfReader.cpp scheme/formats/TextEncoding.cpp scheme/formats/NameRules.cpp
// fuzz-max-len: 131072
#include "scheme/formats/InfReader.h"

#include <cstdlib>

#include "scheme/formats/TextEncoding.h"
#include "tests/fuzz/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const shubiao::inf::AnsiDecoder latin1 = [](std::string_view bytes, std::string& utf8) {
        for (const char c : bytes) shubiao::AppendUtf8(static_cast<unsigned char>(c), utf8);
        return true;
    };
    const shubiao::inf::InfResult result = shubiao::inf::ReadCursorInf({data, size}, latin1);
    if (!fuzz_invariants::InfResultBreaks(result).empty()) std::abort();
    // Only an oversized file is refused with this decoder.
    if (result.error != shubiao::inf::InfError::None && size <= shubiao::inf::kMaxInfBytes) std::abort();
    return 0;
}

// libFuzzer target for the reader of Windows' Schemes values and for the
// scheme-name rules. The first byte picks the value's type, the rest is the
// registry data; the whole input is also checked as a typed scheme name. Any
// crash, sanitizer report or broken promise (tests/fuzz/invariants.h) is a
// bug in scheme/formats/SchemeList.cpp.
// fuzz-sources: scheme/formats/SchemeList.cpp scheme/formats/TextEncoding.cpp scheme/formats/NameRules.cpp
// fuzz-max-len: 36000
#include "scheme/formats/SchemeList.h"

#include <cstdlib>

#include "tests/fuzz/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fi = fuzz_invariants::scheme_list;
    if (size == 0) return 0;
    const auto type = fi::TypeOf(data[0]);
    const std::span<const std::uint8_t> value(data + 1, size - 1);
    if (!fi::SchemeValueBreaks(shubiao::schemes::ReadSchemeValue(value, type, fi::Variable), type, value.size()).empty()) {
        std::abort();
    }
    const std::string_view typed(reinterpret_cast<const char*>(data), size);
    if (!fi::SchemeNameBreaks(shubiao::schemes::CheckSchemeName(typed, fi::SystemSchemes()), typed).empty()) std::abort();
    return 0;
}

// libFuzzer target for the cursor-pack file-name matcher: the input is a
// list of file names, one a line. Any crash, sanitizer report or broken
// promise (tests/fuzz/invariants.h) is a bug in scheme/formats/PackNames.cpp.
// fuzz-sources: scheme/formats/PackNames.cpp
// fuzz-max-len: 8192
#include "scheme/formats/PackNames.h"

#include <cstdlib>

#include "tests/fuzz/invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const shubiao::pack::RoleCaption kCaptions[] = {
        {"AppStarting", "后台运行"}, {"Arrow", "正常选择"}, {"No", "不 可 用"}, {"NWPen", "手    写"}, {"Wait", "忙"},
        {"Help", "正常选择"},   // one caption for two roles: a key that matches neither
    };
    const std::vector<std::string> names =
        fuzz_invariants::SplitNames(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<shubiao::pack::NameMatch> matches = shubiao::pack::MatchFileNames(names, kCaptions);
    if (!fuzz_invariants::NameMatchesBreak(matches, names).empty()) std::abort();
    if (matches.size() > names.size()) std::abort();
    return 0;
}

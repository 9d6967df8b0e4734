#pragma once
// What 补齐尺寸 promises for any input: FillSizes refuses with no bytes, or
// gives a copy the cursor check accepts that holds every size of
// kFilledSizes; it fills only what the check accepts, and refuses as
// unusable exactly what the check refuses. The fuzz target aborts on a broken
// promise; the portable tests replay the inputs it kept. Empty when kept,
// else which promise was broken.
#include <algorithm>
#include <span>
#include <string>

#include "scheme/formats/FillSizes.h"

namespace fuzz_invariants {

inline std::string FillSizesBreak(std::span<const std::uint8_t> input) {
    const shubiao::FilledCursor filled = shubiao::FillSizes(input);
    const bool usable = shubiao::CheckCursorBytes(input).ok();
    if ((filled.refusal == shubiao::FillRefusal::Unusable) == usable) return "unusable is not what the check refuses";
    if (!filled.ok()) return filled.bytes.empty() ? "" : "bytes with a refusal";
    const shubiao::CursorCheck check = shubiao::CheckCursorBytes(filled.bytes);
    if (!check.ok()) return "a filled copy the check refuses";
    for (const std::uint32_t want : shubiao::kFilledSizes) {
        const bool held = std::any_of(check.sizes.held.begin(), check.sizes.held.end(),
                                      [&](const shubiao::PixelSize& s) { return std::max(s.width, s.height) == want; });
        if (!held) return "a filled copy without " + std::to_string(want) + " px";
    }
    return "";
}

}  // namespace fuzz_invariants

#include "scheme/formats/PointerSize.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

using shubiao::PixelSize;
using shubiao::SizeFit;

// Our table of the steps (32 px below 144 DPI, 48 below 192, 64 below 288,
// 96 below 384, 128 from there), worked out by hand for each pointer-size
// setting: absent, 31 and 257 (out of range, read as 32), 32, 33 (rounded),
// 48, 64 and 256.
constexpr std::array<std::optional<std::uint32_t>, 8> kSettings{std::nullopt, 31, 257, 32, 33, 48, 64, 256};

struct StepRow {
    std::uint32_t dpi;
    std::array<std::uint32_t, 8> pixels;
};

class PointerPixels : public testing::TestWithParam<StepRow> {};

TEST_P(PointerPixels, FollowTheStepsScaledByTheSetting) {
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        EXPECT_EQ(shubiao::PointerPixels(GetParam().dpi, kSettings[i]), GetParam().pixels[i]) << "setting column " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(PointerSize, PointerPixels,
                         testing::Values(StepRow{96, {32, 32, 32, 32, 33, 48, 64, 256}}, StepRow{143, {32, 32, 32, 32, 33, 48, 64, 256}},
                                         StepRow{144, {48, 48, 48, 48, 50, 72, 96, 384}}, StepRow{191, {48, 48, 48, 48, 50, 72, 96, 384}},
                                         StepRow{192, {64, 64, 64, 64, 66, 96, 128, 512}}, StepRow{287, {64, 64, 64, 64, 66, 96, 128, 512}},
                                         StepRow{288, {96, 96, 96, 96, 99, 144, 192, 768}}, StepRow{383, {96, 96, 96, 96, 99, 144, 192, 768}},
                                         StepRow{384, {128, 128, 128, 128, 132, 192, 256, 1024}},
                                         StepRow{480, {128, 128, 128, 128, 132, 192, 256, 1024}}),
                         [](const testing::TestParamInfo<StepRow>& info) { return "Dpi" + std::to_string(info.param.dpi); });

// Which held size Windows draws a pointer of the size needed from.
struct MatchRow {
    const char* name;
    std::vector<PixelSize> held;
    std::uint32_t needed;
    SizeFit fit;
    PixelSize from;
};

class MatchSize : public testing::TestWithParam<MatchRow> {};

TEST_P(MatchSize, PicksTheImageWindowsDrawsFrom) {
    const shubiao::SizeMatch match = shubiao::MatchSize(GetParam().held, GetParam().needed);
    EXPECT_EQ(match.fit, GetParam().fit);
    EXPECT_EQ(match.from, GetParam().from);
}

const std::vector<PixelSize> kFive{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {256, 256}};

INSTANTIATE_TEST_SUITE_P(PointerSize, MatchSize,
                         testing::Values(MatchRow{"Holds", kFive, 48, SizeFit::Holds, {48, 48}},
                                         MatchRow{"LargestBelowIsScaledUp", kFive, 96, SizeFit::ScaledUp, {64, 64}},
                                         MatchRow{"SmallerBeatsCloserLarger", {{32, 32}, {49, 49}}, 48, SizeFit::ScaledUp, {32, 32}},
                                         MatchRow{"SmallestIsScaledDownWhenNoneFits", {{48, 48}, {128, 128}}, 32, SizeFit::ScaledDown, {48, 48}},
                                         MatchRow{"TallImageDoesNotFit", {{24, 24}, {32, 64}}, 48, SizeFit::ScaledUp, {24, 24}},
                                         MatchRow{"NothingHeld", {}, 32, SizeFit::NoImage, {0, 0}}),
                         [](const testing::TestParamInfo<MatchRow>& info) { return std::string(info.param.name); });

}  // namespace

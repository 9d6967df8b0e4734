#include "scheme/formats/PointerSize.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

using shubiao::MatchSize;
using shubiao::PixelSize;
using shubiao::PointerPixels;
using shubiao::SizeFit;

// Our table of the steps (32 px below 144 DPI, 48 below 192, 64 below 288,
// 96 below 384, 128 from there), worked out by hand for each pointer-size
// setting: the pixels at CursorBaseSize 32, 48, 64 and 256.
struct StepRow {
    std::uint32_t dpi;
    std::array<std::uint32_t, 4> pixels;
};

constexpr std::array<std::uint32_t, 4> kBaseSizes{32, 48, 64, 256};

const StepRow kSteps[] = {
    {0, {32, 48, 64, 256}},
    {96, {32, 48, 64, 256}},
    {120, {32, 48, 64, 256}},
    {143, {32, 48, 64, 256}},
    {144, {48, 72, 96, 384}},
    {191, {48, 72, 96, 384}},
    {192, {64, 96, 128, 512}},
    {287, {64, 96, 128, 512}},
    {288, {96, 144, 192, 768}},
    {383, {96, 144, 192, 768}},
    {384, {128, 192, 256, 1024}},
    {480, {128, 192, 256, 1024}},
    {4800, {128, 192, 256, 1024}},
};

class PointerStep : public testing::TestWithParam<StepRow> {};

TEST_P(PointerStep, FollowsTheTableScaledByTheSetting) {
    for (std::size_t i = 0; i < kBaseSizes.size(); ++i) {
        EXPECT_EQ(PointerPixels(GetParam().dpi, kBaseSizes[i]), GetParam().pixels[i]) << "CursorBaseSize " << kBaseSizes[i];
    }
}

INSTANTIATE_TEST_SUITE_P(PointerSize, PointerStep, testing::ValuesIn(kSteps),
                         [](const testing::TestParamInfo<StepRow>& info) { return "Dpi" + std::to_string(info.param.dpi); });

// How the setting itself is read: absent and out-of-range values count as 32.
struct SettingRow {
    const char* name;
    std::optional<std::uint32_t> base;
    std::uint32_t at96;
    std::uint32_t at144;
};

const SettingRow kSettings[] = {
    {"Absent", std::nullopt, 32, 48},
    {"Zero", 0, 32, 48},
    {"BelowSmallest", 31, 32, 48},
    {"Smallest", 32, 32, 48},
    {"SecondSliderStep", 48, 48, 72},
    {"NotAStepOf16", 40, 40, 60},
    {"RoundsToNearest", 33, 33, 50},
    {"Largest", 256, 256, 384},
    {"AboveLargest", 257, 32, 48},
    {"AllBitsSet", 0xFFFFFFFFu, 32, 48},
};

class PointerSetting : public testing::TestWithParam<SettingRow> {};

TEST_P(PointerSetting, IsReadWithinItsRange) {
    EXPECT_EQ(PointerPixels(96, GetParam().base), GetParam().at96);
    EXPECT_EQ(PointerPixels(144, GetParam().base), GetParam().at144);
}

INSTANTIATE_TEST_SUITE_P(PointerSize, PointerSetting, testing::ValuesIn(kSettings),
                         [](const testing::TestParamInfo<SettingRow>& info) { return std::string(info.param.name); });

// Which size a file's images give for the size needed.
struct MatchRow {
    const char* name;
    std::vector<PixelSize> held;
    std::uint32_t needed;
    SizeFit fit;
    PixelSize from;
};

const MatchRow kMatches[] = {
    {"OnlySizeIsNeeded", {{32, 32}}, 32, SizeFit::Holds, {32, 32}},
    {"OnlySizeTooSmall", {{32, 32}}, 48, SizeFit::ScaledUp, {32, 32}},
    {"OnlySizeTooLarge", {{128, 128}}, 32, SizeFit::ScaledDown, {128, 128}},
    {"OneOfManyIsNeeded", {{16, 16}, {32, 32}, {48, 48}, {64, 64}, {256, 256}}, 48, SizeFit::Holds, {48, 48}},
    {"LargestBelowIsTaken", {{16, 16}, {32, 32}, {48, 48}, {64, 64}, {256, 256}}, 96, SizeFit::ScaledUp, {64, 64}},
    {"SmallerBeatsCloserLarger", {{32, 32}, {49, 49}}, 48, SizeFit::ScaledUp, {32, 32}},
    {"SmallestAboveWhenNoneFits", {{48, 48}, {64, 64}, {256, 256}}, 32, SizeFit::ScaledDown, {48, 48}},
    {"NeededAboveEveryFile", {{32, 32}, {256, 256}}, 1024, SizeFit::ScaledUp, {256, 256}},
    {"TallImageDoesNotFit", {{32, 64}}, 48, SizeFit::ScaledDown, {32, 64}},
    {"TallImageLosesToSmallerSquare", {{24, 24}, {32, 64}}, 48, SizeFit::ScaledUp, {24, 24}},
    {"WideImageWithinIsScaledUp", {{48, 32}}, 48, SizeFit::ScaledUp, {48, 32}},
    {"NothingHeld", {}, 32, SizeFit::NoImage, {0, 0}},
};

class SizeMatching : public testing::TestWithParam<MatchRow> {};

TEST_P(SizeMatching, PicksTheImageWindowsDrawsFrom) {
    const shubiao::SizeMatch match = MatchSize(GetParam().held, GetParam().needed);
    EXPECT_EQ(match.fit, GetParam().fit);
    EXPECT_EQ(match.from, GetParam().from);
}

INSTANTIATE_TEST_SUITE_P(PointerSize, SizeMatching, testing::ValuesIn(kMatches),
                         [](const testing::TestParamInfo<MatchRow>& info) { return std::string(info.param.name); });

}  // namespace

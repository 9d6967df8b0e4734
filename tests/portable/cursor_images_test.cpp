#include "scheme/formats/CursorImages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "corpus.h"
#include "cursor_bytes.h"
#include "malformed_cursors.h"
#include "tests/fuzz/invariants.h"

namespace {

using namespace cursor_bytes;
using malformed_cursors::kBiWidth;
using shubiao::CursorResource;
using shubiao::FirstFrame;
using shubiao::ReadCursorAnimation;
using shubiao::ToCursorResource;

template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

Bytes Copy(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

bool Inside(std::span<const std::uint8_t> part, const Bytes& whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// ---- ICO/CUR -> group directory and image resources -----------------------------

// One image as a test draws it: a DIB of `bits` per pixel, or a PNG whose
// `bits` per pixel pick its colour type (8 grey, 16 grey + alpha, 24 RGB, 32 RGBA).
struct Picture {
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t bits;
    bool png = false;
    std::uint16_t hotX = 0;
    std::uint16_t hotY = 0;
    std::uint32_t headerBytes = 40;
};

Bytes Draw(const Picture& p) {
    if (!p.png) return MakeDib({static_cast<std::int32_t>(p.width), static_cast<std::int32_t>(p.height), p.bits, p.headerBytes});
    const std::uint8_t colourType = p.bits == 8 ? kPngGrey : p.bits == 16 ? kPngGreyAlpha : p.bits == 24 ? kPngRgb : kPngRgba;
    return MakePng(p.width, p.height, colourType);
}

struct GroupCase {
    const char* name;
    std::uint16_t type;   // kIco or kCur
    std::vector<Picture> pictures;
};

const GroupCase kGroups[] = {
    {"CursorOfOneSize", kCur, {{32, 32, 32, false, 16, 16}}},
    {"CursorOfSeveralSizes", kCur, {{16, 16, 8, false, 0, 0}, {32, 32, 24, false, 31, 0}, {48, 48, 32, false, 5, 47}, {256, 256, 1, false, 255, 255}}},
    {"CursorOfEveryDibDepth", kCur, {{32, 32, 1, false, 1, 2}, {32, 32, 4, false, 3, 4}, {32, 32, 8, false, 5, 6}, {32, 32, 16}, {32, 32, 24}, {32, 32, 32}}},
    {"CursorOfOddSizesAndHotSpots", kCur, {{17, 9, 4, false, 13, 7}, {1, 1, 1, false, 0, 0}, {255, 3, 32, false, 254, 1}}},
    {"CursorOfPngAndDibImages", kCur, {{48, 48, 32, true, 47, 3}, {64, 32, 24, true, 9, 31}, {256, 256, 32, true, 128, 200}, {24, 24, 32, false, 23, 11, 124}}},
    {"IconOfEveryDibDepth", kIco, {{16, 16, 1}, {16, 16, 4}, {32, 32, 8}, {24, 24, 16}, {48, 48, 24}, {40, 40, 32, false, 0, 0, 124}, {256, 256, 32}}},
    {"IconOfPngImages", kIco, {{32, 32, 8, true}, {16, 16, 16, true}, {64, 64, 24, true}, {256, 256, 32, true}}},
};

class GroupDirectory : public testing::TestWithParam<GroupCase> {};

TEST_P(GroupDirectory, DescribesEachImageAndItsResource) {
    const GroupCase& c = GetParam();
    const bool cursor = c.type == kCur;
    std::vector<Image> images;
    for (const Picture& p : c.pictures) images.push_back({Draw(p), p.width, p.height, p.hotX, p.hotY});
    const Bytes file = MakeIcon(c.type, images);

    const std::optional<CursorResource> resource = ToCursorResource(file);
    ASSERT_TRUE(resource.has_value());
    EXPECT_EQ(resource->cursor, cursor);
    const Bytes& dir = resource->directory;
    const std::size_t n = c.pictures.size();
    ASSERT_EQ(dir.size(), 6 + 14 * n);
    EXPECT_EQ(Get16(dir, 0), 0u);
    EXPECT_EQ(Get16(dir, 2), c.type);
    EXPECT_EQ(Get16(dir, 4), n);
    ASSERT_EQ(resource->images.size(), n);

    for (std::size_t i = 0; i < n; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const Picture& p = c.pictures[i];
        const Bytes& drawn = images[i].data;
        const std::size_t e = 6 + 14 * i;
        if (cursor) {
            EXPECT_EQ(Get16(dir, e), p.width);
            EXPECT_EQ(Get16(dir, e + 2), 2 * p.height);   // XOR image and AND mask
        } else {
            EXPECT_EQ(dir[e], p.width % 256);
            EXPECT_EQ(dir[e + 1], p.height % 256);
            EXPECT_EQ(dir[e + 2], 0);
            EXPECT_EQ(dir[e + 3], 0);
        }
        EXPECT_EQ(Get16(dir, e + 4), 1u);
        EXPECT_EQ(Get16(dir, e + 6), p.bits);
        EXPECT_EQ(Get32(dir, e + 8), drawn.size() + (cursor ? 4 : 0));
        EXPECT_EQ(Get16(dir, e + 12), i + 1);

        EXPECT_EQ(resource->images[i].width, p.width);
        EXPECT_EQ(resource->images[i].height, p.height);
        EXPECT_EQ(resource->images[i].bitCount, p.bits);
        EXPECT_TRUE(Inside(resource->images[i].image, file));

        Bytes expected;
        if (cursor) {
            Put16(expected, p.hotX);
            Put16(expected, p.hotY);
        }
        Append(expected, drawn);
        EXPECT_EQ(resource->ResourceBits(static_cast<int>(i + 1)), expected);
    }
    // Ids outside the group, as LookupIconIdFromDirectoryEx's 0 for "none".
    EXPECT_TRUE(resource->ResourceBits(0).empty());
    EXPECT_TRUE(resource->ResourceBits(-1).empty());
    EXPECT_TRUE(resource->ResourceBits(static_cast<int>(n + 1)).empty());
}

INSTANTIATE_TEST_SUITE_P(CursorImages, GroupDirectory, testing::ValuesIn(kGroups), CaseName<GroupCase>);

// ---- animations ----------------------------------------------------------------------

// Three frames that differ in content; the last is odd-sized, so its chunk is padded.
std::vector<Bytes> ThreeFrames() {
    Bytes odd = MakeIcon(kIco, {DibImage({24, 24, 4})});
    odd.push_back(0x5A);
    return {MakeCursor(16), MakeCursor(32, 8), odd};
}

struct AnimationCase {
    const char* name;
    std::function<Bytes(const std::vector<Bytes>& frames)> make;
    std::vector<std::uint32_t> frameOfStep;
    std::vector<std::uint32_t> jiffiesOfStep;
};

const AnimationCase kAnimations[] = {
    {"SequenceAndRate",
     [](const std::vector<Bytes>& f) { return Riff({Anih(3, 4), Chunk("rate", Table({5, 6, 7, 8})), Chunk("seq ", Table({2, 0, 1, 0})), FrameList(f)}); },
     {2, 0, 1, 0}, {5, 6, 7, 8}},
    {"NeitherSequenceNorRate", [](const std::vector<Bytes>& f) { return Riff({Anih(3, 3, kFlagIcon, 9), FrameList(f)}); }, {0, 1, 2}, {9, 9, 9}},
    {"FewerStepsThanFrames", [](const std::vector<Bytes>& f) { return Riff({Anih(3, 2, kFlagIcon, 4), FrameList(f)}); }, {0, 1}, {4, 4}},
    {"SequenceRepeatsFrames",
     [](const std::vector<Bytes>& f) { return Riff({Anih(3, 6, kFlagIcon | kFlagSequence, 3), Chunk("seq ", Table({1, 1, 1, 2, 2, 0})), FrameList(f)}); },
     {1, 1, 1, 2, 2, 0}, {3, 3, 3, 3, 3, 3}},
    {"RateWithoutSequence", [](const std::vector<Bytes>& f) { return Riff({Anih(3, 3, kFlagIcon), Chunk("rate", Table({10, 20, 30})), FrameList(f)}); }, {0, 1, 2}, {10, 20, 30}},
    {"RateZeroKept", [](const std::vector<Bytes>& f) { return Riff({Anih(3, 2, kFlagIcon), Chunk("rate", Table({0, 7})), FrameList(f)}); }, {0, 1}, {0, 7}},
    {"DefaultRateZeroKept", [](const std::vector<Bytes>& f) { return Riff({Anih(3, 3, kFlagIcon, 0), FrameList(f)}); }, {0, 1, 2}, {0, 0, 0}},
    {"TablesAfterFramesAmongOtherChunks",
     [](const std::vector<Bytes>& f) {
         return Riff({List("INFO", {Chunk("INAM", {'a', 'b', 'c'})}), Anih(3, 3), FrameList(f), Chunk("junk", {1, 2, 3}),
                      Chunk("seq ", Table({2, 1, 0})), Chunk("rate", Table({1, 2, 3}))});
     },
     {2, 1, 0}, {1, 2, 3}},
};

class AnimationSteps : public testing::TestWithParam<AnimationCase> {};

TEST_P(AnimationSteps, ListFramesAndTheFrameAndTimeOfEachStep) {
    const std::vector<Bytes> frames = ThreeFrames();
    const Bytes file = GetParam().make(frames);
    const std::optional<shubiao::CursorAnimation> animation = ReadCursorAnimation(file);
    ASSERT_TRUE(animation.has_value());
    ASSERT_EQ(animation->frames.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(Copy(animation->frames[i]), frames[i]) << "frame " << i;
        EXPECT_TRUE(Inside(animation->frames[i], file)) << "frame " << i;
    }
    EXPECT_EQ(animation->frameOfStep, GetParam().frameOfStep);
    EXPECT_EQ(animation->jiffiesOfStep, GetParam().jiffiesOfStep);
}

INSTANTIATE_TEST_SUITE_P(CursorImages, AnimationSteps, testing::ValuesIn(kAnimations), CaseName<AnimationCase>);

// ---- the frame to preview ---------------------------------------------------------------

struct FirstFrameCase {
    const char* name;
    std::function<Bytes()> make;
    std::function<Bytes()> expected;   // the ICO/CUR the preview shows
    std::size_t images;                // images in it
};

const FirstFrameCase kFirstFrames[] = {
    {"Cursor", [] { return MakeCursor(48, 8); }, [] { return MakeCursor(48, 8); }, 1},
    {"AnimationWithoutSequence", [] { return Riff({Anih(3, 3, kFlagIcon), FrameList(ThreeFrames())}); }, [] { return ThreeFrames()[0]; }, 1},
    {"AnimationWhoseSequenceStartsAtItsLastFrame",
     [] { return Riff({Anih(3, 2), Chunk("seq ", Table({2, 0})), FrameList(ThreeFrames())}); }, [] { return ThreeFrames()[2]; }, 1},
    {"AnimationWhoseFirstStepShowsAFrameOfTwoSizes",
     [] { return Riff({Anih(2, 1), Chunk("seq ", Table({1})), FrameList({MakeCursor(), MakeIcon(kCur, {DibImage({16, 16, 1}), DibImage({32, 32, 32}, 3, 3)})})}); },
     [] { return MakeIcon(kCur, {DibImage({16, 16, 1}), DibImage({32, 32, 32}, 3, 3)}); }, 2},
};

class PreviewFrame : public testing::TestWithParam<FirstFrameCase> {};

TEST_P(PreviewFrame, IsTheFileOrTheFrameOfTheFirstStep) {
    const Bytes file = GetParam().make();
    const std::optional<std::span<const std::uint8_t>> first = FirstFrame(file);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(Copy(*first), GetParam().expected());
    EXPECT_TRUE(Inside(*first, file));
    const std::optional<CursorResource> resource = ToCursorResource(*first);
    ASSERT_TRUE(resource.has_value());
    EXPECT_EQ(resource->images.size(), GetParam().images);
}

INSTANTIATE_TEST_SUITE_P(CursorImages, PreviewFrame, testing::ValuesIn(kFirstFrames), CaseName<FirstFrameCase>);

// ---- what each reader refuses -----------------------------------------------------------

struct RefusalCase {
    const char* name;
    std::function<Bytes()> make;
    bool resource;    // ToCursorResource succeeds
    bool animation;   // ReadCursorAnimation succeeds
    bool first;       // FirstFrame succeeds
};

const RefusalCase kRefusals[] = {
    {"EmptyFile", [] { return Bytes{}; }, false, false, false},
    {"LargerThanLimit", [] { Bytes b = MakeCursor(); b.resize(shubiao::kMaxCursorFileBytes + 1); return b; }, false, false, false},
    {"BrokenCursor", [] { return malformed_cursors::Cursor([](Bytes& b) { Set32(b, kBiWidth, 0); }); }, false, false, false},
    {"BrokenAnimation", [] { return Riff({Anih(2, 2), Chunk("seq ", Table({0, 2})), FrameList({MakeCursor(), MakeCursor()})}); }, false, false, false},
    {"AnimationWithBrokenFrame", [] { Bytes f = MakeCursor(); f[2] = 1; f[kFirstImage + 14] = 3; return Riff({Anih(1, 1, kFlagIcon), FrameList({f})}); }, false, false, false},
    {"CursorIsNoAnimation", [] { return MakeCursor(); }, true, false, true},
    {"AnimationIsNoIcon", [] { return MakeAnimation(); }, false, true, true},
};

class EachReader : public testing::TestWithParam<RefusalCase> {};

TEST_P(EachReader, AcceptsOnlyWhatItReads) {
    const Bytes file = GetParam().make();
    EXPECT_EQ(ToCursorResource(file).has_value(), GetParam().resource);
    EXPECT_EQ(ReadCursorAnimation(file).has_value(), GetParam().animation);
    EXPECT_EQ(FirstFrame(file).has_value(), GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(CursorImages, EachReader, testing::ValuesIn(kRefusals), CaseName<RefusalCase>);

// The inputs the fuzzer kept keep every promise of the readers.
TEST(CursorImages, FuzzCorpusKeepsThePromises) {
    const auto inputs = corpus::Inputs("cursor_images");
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) EXPECT_EQ(fuzz_invariants::CursorImagesBreak(bytes), "") << name;
}

}  // namespace

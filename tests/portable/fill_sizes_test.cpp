// 补齐尺寸: decoding every kind of image the check accepts, filling static
// and animated files, and refusing what cannot be filled.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>

#include <stb_image_resize.h>
#include <stb_image_write.h>

#include "corpus.h"
#include "tests/fuzz/fill_sizes_invariants.h"
#include "portable/cursor_bytes.h"
#include "scheme/formats/CursorImages.h"
#include "scheme/formats/FillSizes.h"

namespace {

using namespace cursor_bytes;
using shubiao::CursorFault;
using shubiao::FillRefusal;
using shubiao::PixelSize;

// ---- decoding --------------------------------------------------------------

struct DecodeCase {
    const char* name;
    Bytes file;
    std::uint32_t x, y;                  // a pixel, rows counted from the top
    std::array<std::uint8_t, 4> rgba;    // worked out by hand from MakeDib's / MakePng's bytes
};

// A one-image cursor of MakeDib's pattern, with AND-mask bits set at the
// given (stored row, x) places.
Bytes Masked(const Dib& d, std::vector<std::pair<std::uint32_t, std::uint32_t>> andBits) {
    Bytes file = MakeIcon(kCur, {DibImage(d)});
    const std::uint32_t colours = d.bits <= 8 ? 1u << d.bits : 0u;
    const std::size_t mask = kFirstImage + d.headerBytes + colours * 4 + RowBytes(d.width, d.bits) * static_cast<std::size_t>(d.rows);
    for (const auto& [row, x] : andBits) file[mask + row * RowBytes(d.width, 1) + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return file;
}

class Decoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding, GivesThePixelWindowsShows) {
    const auto pixels = shubiao::DecodeCursorImage(GetParam().file, 0);
    ASSERT_TRUE(pixels.has_value());
    const std::uint8_t* p = pixels->rgba.data() + (GetParam().y * pixels->width + GetParam().x) * 4;
    EXPECT_EQ((std::array<std::uint8_t, 4>{p[0], p[1], p[2], p[3]}), GetParam().rgba);
}

// MakeDib's stored row r holds the bytes r, r+1, ...; its palette entry i is
// grey i. Stored row 1 of a 2-row image is the top row.
INSTANTIATE_TEST_SUITE_P(FillSizes, Decoding, testing::Values(
    DecodeCase{"1bpp", Masked({8, 2, 1}, {}), 7, 0, {1, 1, 1, 255}},
    DecodeCase{"4bpp", Masked({2, 2, 4}, {}), 1, 0, {1, 1, 1, 255}},
    DecodeCase{"8bpp", Masked({2, 2, 8}, {}), 1, 0, {2, 2, 2, 255}},
    DecodeCase{"8bppMaskedBlackIsTransparent", Masked({2, 2, 8}, {{0, 0}}), 0, 1, {0, 0, 0, 0}},
    DecodeCase{"8bppMaskedColourInvertsAsBlack", Masked({2, 2, 8}, {{1, 0}}), 0, 0, {0, 0, 0, 255}},
    DecodeCase{"16bpp", Masked({2, 2, 16}, {}), 0, 0, {0, 131, 8, 255}},
    DecodeCase{"24bpp", Masked({2, 2, 24}, {}), 1, 0, {6, 5, 4, 255}},
    DecodeCase{"24bppMaskedTransparentRow", Masked({2, 2, 24}, {{0, 1}}), 1, 1, {0, 0, 0, 255}},
    DecodeCase{"32bppOwnAlphaIgnoresMask", Masked({2, 2, 32}, {{1, 0}}), 0, 0, {3, 2, 1, 4}},
    DecodeCase{"png", MakeIcon(kCur, {PngImage(3, 2)}), 2, 1, {2, 1, 128, 255}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- filling ---------------------------------------------------------------

// The ICO/CURs of a file: the file itself, or each frame of an animation.
std::vector<std::span<const std::uint8_t>> Icons(const Bytes& file) {
    if (const auto animation = shubiao::ReadCursorAnimation(file)) return animation->frames;
    return {std::span<const std::uint8_t>(file)};
}

struct FillCase {
    const char* name;
    Bytes input;
    PixelSize hot48;   // the 48-pixel image's hot spot
};

class Filling : public testing::TestWithParam<FillCase> {};

TEST_P(Filling, HoldsEverySizeKeepsWhatWasThereAndResamplesWithCatmullRom) {
    const shubiao::FilledCursor filled = shubiao::FillSizes(GetParam().input);
    ASSERT_TRUE(filled.ok()) << static_cast<int>(filled.refusal);
    const shubiao::CursorCheck check = shubiao::CheckCursorBytes(filled.bytes);
    ASSERT_TRUE(check.ok()) << static_cast<int>(check.fault);
    EXPECT_FALSE(check.sizes.framesDiffer);
    for (const std::uint32_t size : shubiao::kFilledSizes) {
        EXPECT_TRUE(std::count(check.sizes.held.begin(), check.sizes.held.end(), PixelSize{size, size}) == 1) << size;
    }
    const auto before = Icons(GetParam().input);
    const auto after = Icons(filled.bytes);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t frame = 0; frame < before.size(); ++frame) {
        const auto old = shubiao::ToCursorResource(before[frame]);
        const auto now = shubiao::ToCursorResource(after[frame]);
        ASSERT_TRUE(old && now);
        std::size_t source = 0, at48 = now->images.size();
        for (std::size_t i = 0; i < old->images.size(); ++i) {
            const auto& kept = now->images[i];
            EXPECT_TRUE(std::ranges::equal(kept.image, old->images[i].image)) << "frame " << frame << " image " << i;
            EXPECT_EQ(std::pair(kept.hotX, kept.hotY), std::pair(old->images[i].hotX, old->images[i].hotY));
            if (old->images[i].width > old->images[source].width) source = i;
        }
        for (std::size_t i = 0; i < now->images.size(); ++i) {
            if (now->images[i].width == 48) at48 = i;
        }
        ASSERT_LT(at48, now->images.size());
        EXPECT_EQ((PixelSize{now->images[at48].hotX, now->images[at48].hotY}), GetParam().hot48);
        // stb's own output for the same filter, colour space and edges.
        const auto src = shubiao::DecodeCursorImage(before[frame], source);
        const auto got = shubiao::DecodeCursorImage(after[frame], at48);
        ASSERT_TRUE(src && got);
        std::vector<std::uint8_t> want(48 * 48 * 4);
        ASSERT_EQ(stbir_resize_uint8_generic(src->rgba.data(), int(src->width), int(src->height), 0, want.data(), 48, 48, 0, 4, 3, 0,
                                             STBIR_EDGE_CLAMP, STBIR_FILTER_CATMULLROM, STBIR_COLORSPACE_SRGB, nullptr), 1);
        EXPECT_EQ(got->rgba, want) << "frame " << frame;
    }
}

INSTANTIATE_TEST_SUITE_P(FillSizes, Filling, testing::Values(
    FillCase{"Static32", MakeCursor(32), {24, 24}},
    FillCase{"Animated32", MakeAnimation(3, 32), {24, 24}},
    FillCase{"Static32And64KeepsBoth", MakeIcon(kCur, {DibImage({32, 32, 32}, 31, 0), DibImage({64, 64, 8}, 10, 10)}), {8, 8}},
    FillCase{"Static128PngOnly", MakeIcon(kCur, {{MakePng(128, 128), 128, 128, 127, 5}}), {48 - 1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- refusals --------------------------------------------------------------

void AppendWritten(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

// 64 frames of 128 px: a round pointer with a soft edge that moves around
// its frame, each frame a PNG written by stb, as a 128-px-only pack has them.
// With `noise`, 50 frames of 256 px of random 8-bpp indices instead (3.7 MB):
// what compresses worst, just within the 4 MiB before filling.
Bytes Animation128(bool noise) {
    std::vector<Bytes> icons;
    std::uint32_t seed = 12345;
    const std::uint32_t frames = noise ? 50 : 64, size = noise ? 256 : 128;
    for (std::uint32_t f = 0; f < frames; ++f) {
        Bytes data;
        if (noise) {
            Dib d{256, 256, 8};
            data = MakeDib(d);
            for (std::size_t i = 40 + 1024; i < 40 + 1024 + 256 * 256; ++i) {
                seed = seed * 1103515245u + 12345u;
                data[i] = static_cast<std::uint8_t>(seed >> 24);
            }
        } else {
            std::vector<std::uint8_t> rgba(128 * 128 * 4);
            const double cx = 64 + 30 * std::cos(f / 10.0), cy = 64 + 30 * std::sin(f / 10.0);
            for (int y = 0; y < 128; ++y) {
                for (int x = 0; x < 128; ++x) {
                    const double inside = std::clamp(28.0 - std::hypot(x - cx, y - cy), 0.0, 1.0);
                    std::uint8_t* p = rgba.data() + (y * 128 + x) * 4;
                    p[0] = static_cast<std::uint8_t>(4 * f), p[1] = 40, p[2] = static_cast<std::uint8_t>(255 - 4 * f);
                    p[3] = static_cast<std::uint8_t>(255 * inside);
                }
            }
            EXPECT_NE(stbi_write_png_to_func(AppendWritten, &data, 128, 128, 4, rgba.data(), 128 * 4), 0);
        }
        icons.push_back(MakeIcon(kCur, {{data, size, size, 64, 64}}));
    }
    std::vector<std::uint32_t> seq;
    for (std::uint32_t i = 0; i < frames; ++i) seq.push_back(i);
    return Riff({Anih(frames, frames), Chunk("seq ", Table(seq)), FrameList(icons)});
}

Bytes UndecodablePng() {
    Bytes png = MakePng(32, 32);
    png[Find(png, "IDAT") + 4] = 0;   // the zlib header
    return MakeIcon(kCur, {{png, 32, 32, 0, 0}});
}

struct RefusalCase {
    const char* name;
    std::function<Bytes()> input;
    FillRefusal refusal;
    CursorFault fault;
};

class Refusing : public testing::TestWithParam<RefusalCase> {};

TEST_P(Refusing, GivesTheReasonAndNoBytes) {
    const Bytes input = GetParam().input();
    const shubiao::FilledCursor filled = shubiao::FillSizes(input);
    if (GetParam().refusal == FillRefusal::None) {
        // The 64 x 128-px animation: every frame filled, within the check's 4 MiB.
        ASSERT_TRUE(filled.ok()) << static_cast<int>(filled.refusal);
        EXPECT_TRUE(shubiao::CheckCursorBytes(filled.bytes).ok());
        EXPECT_EQ(shubiao::CheckCursorBytes(filled.bytes).sizes.held.size(), shubiao::kFilledSizes.size());
        std::printf("64 frames of 128 px: %zu bytes filled from %zu\n", filled.bytes.size(), input.size());
        return;
    }
    EXPECT_EQ(filled.refusal, GetParam().refusal);
    EXPECT_EQ(filled.fault, GetParam().fault);
    EXPECT_TRUE(filled.bytes.empty());
    EXPECT_FALSE(shubiao::DescribeFillRefusal(filled).empty());
}

INSTANTIATE_TEST_SUITE_P(FillSizes, Refusing, testing::Values(
    RefusalCase{"Empty", [] { return Bytes{}; }, FillRefusal::Unusable, CursorFault::Empty},
    RefusalCase{"ZeroWide", [] { return MakeIcon(kCur, {DibImage({0, 32, 32})}); }, FillRefusal::Unusable, CursorFault::ZeroDimension},
    RefusalCase{"Over256", [] { return MakeIcon(kCur, {DibImage({300, 300, 1})}); }, FillRefusal::Unusable, CursorFault::DimensionTooLarge},
    RefusalCase{"OnePixel", [] { return MakeIcon(kCur, {DibImage({1, 1, 32})}); }, FillRefusal::TooSmall, CursorFault::None},
    RefusalCase{"OnePixelFrame", [] { return Riff({Anih(1, 1, kFlagIcon), FrameList({MakeIcon(kCur, {DibImage({1, 1, 32})})})}); },
                FillRefusal::TooSmall, CursorFault::None},
    RefusalCase{"PngThatDoesNotDecode", UndecodablePng, FillRefusal::PngUndecodable, CursorFault::None},
    RefusalCase{"Pointer64Frames128Px", [] { return Animation128(false); }, FillRefusal::None, CursorFault::None},
    RefusalCase{"Noise50Frames256Px", [] { return Animation128(true); }, FillRefusal::TooLarge, CursorFault::None}),
    [](const auto& info) { return std::string(info.param.name); });

// The inputs the fuzzer kept keep its promises.
TEST(FillSizes, FuzzCorpusKeepsThePromises) {
    const auto inputs = corpus::Inputs("fill_sizes");
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) EXPECT_EQ(fuzz_invariants::FillSizesBreak(bytes), "") << name;
}

}  // namespace

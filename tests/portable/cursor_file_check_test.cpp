#include "scheme/CursorFileCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "cursor_bytes.h"

namespace {

using namespace cursor_bytes;
using shubiao::CheckCursorBytes;
using shubiao::CursorFault;
using shubiao::CursorFileKind;
namespace fs = std::filesystem;

struct Case {
    const char* name;
    std::function<Bytes()> make;
    CursorFault fault;
};

std::string CaseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

// Offsets inside a one-image file built by MakeIcon / MakeCursor.
constexpr std::size_t kEntryWidth = kDirectoryEntry;
constexpr std::size_t kEntryHotX = kDirectoryEntry + 4;
constexpr std::size_t kEntryHotY = kDirectoryEntry + 6;
constexpr std::size_t kEntryBytes = kDirectoryEntry + 8;
constexpr std::size_t kEntryOffset = kDirectoryEntry + 12;
constexpr std::size_t kBiWidth = kFirstImage + 4;
constexpr std::size_t kBiHeight = kFirstImage + 8;
constexpr std::size_t kBiPlanes = kFirstImage + 12;
constexpr std::size_t kBiBits = kFirstImage + 14;
constexpr std::size_t kBiCompression = kFirstImage + 16;
constexpr std::size_t kBiColours = kFirstImage + 32;

Bytes Cursor(std::function<void(Bytes&)> change) {
    Bytes b = MakeCursor();
    change(b);
    return b;
}

Bytes Animation(std::function<void(Bytes&)> change) {
    Bytes b = MakeAnimation();
    change(b);
    return b;
}

// Offset of a field of the "anih" chunk data (cbSize = 0, frames = 4, steps = 8, flags = 32).
std::size_t AnihField(const Bytes& b, std::size_t field) { return Find(b, "anih") + 8 + field; }

Bytes IconWithPng(const Bytes& png) { return MakeIcon(kIco, {{png, 32, 32, 0, 0}}); }

Bytes PngWith(std::function<void(Bytes&)> change) {
    Bytes png = MakePng(32, 32);
    change(png);
    return IconWithPng(png);
}

// Three-frame animation whose frame list is replaced.
Bytes AnimationWithFrames(const Bytes& frameList, std::uint32_t frames = 3) {
    return Riff({Anih(frames, frames, kFlagIcon), frameList});
}

const Case kMalformed[] = {
    // whole file
    {"EmptyFile", [] { return Bytes{}; }, CursorFault::Empty},
    {"LargerThanLimit", [] { Bytes b = MakeAnimation(); b.resize(shubiao::kMaxCursorFileBytes + 1); return b; }, CursorFault::TooLarge},
    {"PlainText", [] { return Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}; }, CursorFault::UnknownFormat},
    {"RiffOfAnotherForm", [] { Bytes b = MakeAnimation(); std::memcpy(&b[8], "WAVE", 4); return b; }, CursorFault::UnknownFormat},
    {"IconReservedWordSet", [] { return Cursor([](Bytes& b) { b[0] = 1; }); }, CursorFault::UnknownFormat},
    {"IconTypeThree", [] { return Cursor([](Bytes& b) { b[2] = 3; }); }, CursorFault::UnknownFormat},
    {"CutInsideRiffMagic", [] { return Bytes{'R', 'I', 'F'}; }, CursorFault::Truncated},
    {"CutBeforeFormType", [] { Bytes b = MakeAnimation(); b.resize(10); return b; }, CursorFault::Truncated},
    {"CutInsideIconHeader", [] { Bytes b = MakeCursor(); b.resize(5); return b; }, CursorFault::Truncated},
    // ICO/CUR directory
    {"NoDirectoryEntries", [] { return Cursor([](Bytes& b) { Set16(b, 4, 0); }); }, CursorFault::NoImages},
    {"DirectoryCut", [] { Bytes b = MakeCursor(); b.resize(14); return b; }, CursorFault::Truncated},
    {"DirectoryCountHuge", [] { return Cursor([](Bytes& b) { Set16(b, 4, 0xFFFF); }); }, CursorFault::Truncated},
    {"ImageOffsetPastEnd", [] { return Cursor([](Bytes& b) { Set32(b, kEntryOffset, static_cast<std::uint32_t>(b.size())); }); }, CursorFault::ImageOutsideFile},
    {"ImageOffsetHuge", [] { return Cursor([](Bytes& b) { Set32(b, kEntryOffset, 0xFFFFFFF0u); }); }, CursorFault::ImageOutsideFile},
    {"ImageOffsetIntoDirectory", [] { return Cursor([](Bytes& b) { Set32(b, kEntryOffset, 6); }); }, CursorFault::ImageOutsideFile},
    {"ImageRunsPastEnd", [] { Bytes b = MakeCursor(); b.resize(b.size() - 100); return b; }, CursorFault::Truncated},
    {"ImageSizeHuge", [] { return Cursor([](Bytes& b) { Set32(b, kEntryBytes, 0xFFFFFFFFu); }); }, CursorFault::Truncated},
    // DIB images
    {"ImageStatedBytesZero", [] { return Cursor([](Bytes& b) { Set32(b, kEntryBytes, 0); }); }, CursorFault::ImageTooShort},
    {"ImageStatedBytesShortOfMask", [] { return Cursor([](Bytes& b) { Set32(b, kEntryBytes, Get32(b, kEntryBytes) - 1); }); }, CursorFault::ImageTooShort},
    {"ImageStatedBytesShortOfHeader", [] { return Cursor([](Bytes& b) { Set32(b, kEntryBytes, 39); }); }, CursorFault::ImageTooShort},
    {"AndMaskMissing", [] { return Cursor([](Bytes& b) { Set32(b, kEntryBytes, 40 + 32 * 32 * 4); b.resize(kFirstImage + 40 + 32 * 32 * 4); }); }, CursorFault::ImageTooShort},
    {"PaletteCut", [] { Bytes b = MakeIcon(kIco, {DibImage({16, 16, 8})}); Set32(b, kEntryBytes, 40 + 255 * 4); b.resize(kFirstImage + 40 + 255 * 4); return b; }, CursorFault::ImageTooShort},
    {"BitmapWidthZero", [] { return Cursor([](Bytes& b) { Set32(b, kBiWidth, 0); }); }, CursorFault::ZeroDimension},
    {"BitmapHeightZero", [] { return Cursor([](Bytes& b) { Set32(b, kBiHeight, 0); }); }, CursorFault::ZeroDimension},
    {"BitmapWidthAbove256", [] { return Cursor([](Bytes& b) { Set32(b, kBiWidth, 300); }); }, CursorFault::DimensionTooLarge},
    {"BitmapHeightAbove256", [] { return Cursor([](Bytes& b) { Set32(b, kBiHeight, 2 * 4000); }); }, CursorFault::DimensionTooLarge},
    {"BitmapHeightNotDoubled", [] { return Cursor([](Bytes& b) { Set32(b, kBiHeight, 32); }); }, CursorFault::SizeMismatch},
    {"BitmapHeightOdd", [] { return Cursor([](Bytes& b) { Set32(b, kBiHeight, 63); }); }, CursorFault::SizeMismatch},
    {"DirectoryWidthDiffers", [] { return Cursor([](Bytes& b) { b[kEntryWidth] = 16; }); }, CursorFault::SizeMismatch},
    {"BitmapTopDown", [] { return Cursor([](Bytes& b) { Set32(b, kBiHeight, static_cast<std::uint32_t>(-64)); }); }, CursorFault::BadBitmapHeader},
    {"BitmapWidthNegative", [] { return Cursor([](Bytes& b) { Set32(b, kBiWidth, static_cast<std::uint32_t>(-32)); }); }, CursorFault::BadBitmapHeader},
    {"CoreHeader", [] { return Cursor([](Bytes& b) { Set32(b, kFirstImage, 12); }); }, CursorFault::BadBitmapHeader},
    {"HeaderSizeHuge", [] { return Cursor([](Bytes& b) { Set32(b, kFirstImage, 0x7FFFFFFF); }); }, CursorFault::BadBitmapHeader},
    {"PlanesTwo", [] { return Cursor([](Bytes& b) { Set16(b, kBiPlanes, 2); }); }, CursorFault::BadBitmapHeader},
    {"BitDepthZero", [] { return Cursor([](Bytes& b) { Set16(b, kBiBits, 0); }); }, CursorFault::BadBitDepth},
    {"BitDepthTwo", [] { return Cursor([](Bytes& b) { Set16(b, kBiBits, 2); }); }, CursorFault::BadBitDepth},
    {"BitDepth64", [] { return Cursor([](Bytes& b) { Set16(b, kBiBits, 64); }); }, CursorFault::BadBitDepth},
    {"RunLengthCompressed", [] { return Cursor([](Bytes& b) { Set32(b, kBiCompression, 1); }); }, CursorFault::UnsupportedCompression},
    {"BitFields", [] { return Cursor([](Bytes& b) { Set32(b, kBiCompression, 3); }); }, CursorFault::UnsupportedCompression},
    {"ColourCountAboveDepth8", [] { Bytes b = MakeIcon(kIco, {DibImage({16, 16, 8})}); Set32(b, kBiColours, 257); return b; }, CursorFault::BadColorCount},
    {"ColourCountAboveDepth4", [] { Bytes b = MakeIcon(kIco, {DibImage({16, 16, 4})}); Set32(b, kBiColours, 17); return b; }, CursorFault::BadColorCount},
    {"ColourCountHuge", [] { Bytes b = MakeIcon(kIco, {DibImage({16, 16, 1})}); Set32(b, kBiColours, 0xFFFFFFFFu); return b; }, CursorFault::BadColorCount},
    {"ColourCountHugeAt32Bits", [] { return Cursor([](Bytes& b) { Set32(b, kBiColours, 0x40000000u); }); }, CursorFault::BadColorCount},
    {"HotspotXAtWidth", [] { return Cursor([](Bytes& b) { Set16(b, kEntryHotX, 32); }); }, CursorFault::HotspotOutside},
    {"HotspotYFarOutside", [] { return Cursor([](Bytes& b) { Set16(b, kEntryHotY, 0xFFFF); }); }, CursorFault::HotspotOutside},
    {"SecondImageBroken", [] { Bytes b = MakeIcon(kIco, {DibImage({16, 16, 4}), DibImage({32, 32, 8})}); Set16(b, kDirectoryEntry + 16 + 6, 0); b[Get32(b, kDirectoryEntry + 16 + 12) + 14] = 7; return b; }, CursorFault::BadBitDepth},
    // PNG images
    {"PngSignatureCut", [] { return IconWithPng({0x89, 'P', 'N', 'G'}); }, CursorFault::BadPng},
    {"PngSignatureDamaged", [] { return PngWith([](Bytes& p) { p[4] = '\n'; }); }, CursorFault::BadPng},
    {"PngCutAfterSignature", [] { Bytes p = MakePng(32, 32); p.resize(20); return IconWithPng(p); }, CursorFault::ImageTooShort},
    {"PngFirstChunkNotHeader", [] { return PngWith([](Bytes& p) { std::memcpy(&p[12], "IDAT", 4); }); }, CursorFault::BadPng},
    {"PngHeaderLengthWrong", [] { return PngWith([](Bytes& p) { p[11] = 12; }); }, CursorFault::BadPng},
    {"PngWidthZero", [] { return PngWith([](Bytes& p) { p[19] = 0; }); }, CursorFault::ZeroDimension},
    {"PngHeightHuge", [] { return PngWith([](Bytes& p) { p[20] = 0x7F; }); }, CursorFault::DimensionTooLarge},
    {"PngColourTypeInvalid", [] { return PngWith([](Bytes& p) { p[25] = 5; }); }, CursorFault::BadPng},
    {"PngSizeDiffersFromDirectory", [] { return IconWithPng(MakePng(48, 48)); }, CursorFault::SizeMismatch},
    // RIFF structure
    {"RiffSizePastEnd", [] { return Animation([](Bytes& b) { Set32(b, 4, static_cast<std::uint32_t>(b.size() - 8 + 2)); }); }, CursorFault::RiffSizeMismatch},
    {"RiffSizeOneMoreThanFile", [] { return Animation([](Bytes& b) { Set32(b, 4, static_cast<std::uint32_t>(b.size() + 1)); }); }, CursorFault::RiffSizeMismatch},
    {"RiffSizeHuge", [] { return Animation([](Bytes& b) { Set32(b, 4, 0xFFFFFFFFu); }); }, CursorFault::RiffSizeMismatch},
    {"RiffSizeBelowFormType", [] { return Animation([](Bytes& b) { Set32(b, 4, 2); }); }, CursorFault::RiffSizeMismatch},
    {"FileCutInsideFrame", [] { Bytes b = MakeAnimation(); b.resize(b.size() - 500); return b; }, CursorFault::RiffSizeMismatch},
    {"ChunkRunsPastRiff", [] { Bytes b = MakeAnimation(); b.resize(b.size() - 500); Set32(b, 4, static_cast<std::uint32_t>(b.size() - 8)); return b; }, CursorFault::Truncated},
    {"ChunkSizeHuge", [] { return Animation([](Bytes& b) { Set32(b, Find(b, "rate") + 4, 0xFFFFFFF0u); }); }, CursorFault::Truncated},
    {"ChunkHeaderCut", [] { Bytes b = MakeAnimation(); b.resize(b.size() + 4, 'x'); Set32(b, 4, static_cast<std::uint32_t>(b.size() - 8)); return b; }, CursorFault::Truncated},
    {"ListWithoutType", [] { return Riff({Anih(1, 1, kFlagIcon), Chunk("LIST", {'f', 'r'}), FrameList({MakeCursor()})}); }, CursorFault::Truncated},
    {"ChunkIdNotText", [] { return Animation([](Bytes& b) { b[Find(b, "rate")] = 0; }); }, CursorFault::BadChunkId},
    {"OddChunkWithoutPadBeforeNext", [] { return Riff({Chunk("junk", {1, 2, 3}, false), Anih(1, 1, kFlagIcon), FrameList({MakeCursor()})}); }, CursorFault::MissingPadByte},
    {"OddIconWithoutPadInsideFrameList", [] { Bytes icon = MakeCursor(); icon.push_back(0); Bytes data{'f', 'r', 'a', 'm'}; Append(data, Chunk("icon", icon, false)); Append(data, Chunk("icon", icon)); return Riff({Anih(2, 2, kFlagIcon), Chunk("LIST", data)}); }, CursorFault::MissingPadByte},
    // "anih"
    {"HeaderMissing", [] { return Riff({FrameList({MakeCursor()})}); }, CursorFault::MisplacedHeader},
    {"HeaderAndFramesMissing", [] { return Riff({List("INFO", {})}); }, CursorFault::MissingHeader},
    {"HeaderChunkLong", [] { Bytes d = Table({36, 1, 1, 0, 0, 0, 0, 6, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}); return Riff({Chunk("anih", d), FrameList({MakeCursor()})}); }, CursorFault::BadHeaderSize},
    {"HeaderChunkShort", [] { Bytes d = Table({36, 1, 1, 0}); return Riff({Chunk("anih", d), FrameList({MakeCursor()})}); }, CursorFault::BadHeaderSize},
    {"HeaderCbSizeWrong", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 0), 72); }); }, CursorFault::BadHeaderSize},
    {"HeaderCbSizeHuge", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 0), 0xFFFFFF00u); }); }, CursorFault::BadHeaderSize},
    {"HeaderChunkSizeHuge", [] { return Animation([](Bytes& b) { Set32(b, Find(b, "anih") + 4, 0xFFFFFF00u); }); }, CursorFault::Truncated},
    {"HeaderTwice", [] { return Riff({Anih(1, 1, kFlagIcon), Anih(1, 1, kFlagIcon), FrameList({MakeCursor()})}); }, CursorFault::DuplicateChunk},
    {"RateTwice", [] { return Riff({Anih(1, 1, kFlagIcon), Chunk("rate", Table({1})), Chunk("rate", Table({1})), FrameList({MakeCursor()})}); }, CursorFault::DuplicateChunk},
    {"SequenceTwice", [] { return Riff({Anih(1, 1), Chunk("seq ", Table({0})), Chunk("seq ", Table({0})), FrameList({MakeCursor()})}); }, CursorFault::DuplicateChunk},
    {"FrameListTwice", [] { return Riff({Anih(1, 1, kFlagIcon), FrameList({MakeCursor()}), FrameList({MakeCursor()})}); }, CursorFault::DuplicateChunk},
    {"FrameListBeforeHeader", [] { return Riff({FrameList({MakeCursor()}), Anih(1, 1, kFlagIcon)}); }, CursorFault::MisplacedHeader},
    {"SequenceBeforeHeader", [] { return Riff({Chunk("seq ", Table({0})), Anih(1, 1), FrameList({MakeCursor()})}); }, CursorFault::MisplacedHeader},
    {"RawFrames", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 32), kFlagSequence); }); }, CursorFault::UnsupportedFrames},
    {"FrameCountZero", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 4), 0); }); }, CursorFault::ZeroFrames},
    {"FrameCountAboveLimit", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 4), shubiao::kMaxAnimationFrames + 1); }); }, CursorFault::TooManyFrames},
    {"FrameCountHuge", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 4), 0xFFFFFFFFu); }); }, CursorFault::TooManyFrames},
    {"StepCountZero", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 8), 0); }); }, CursorFault::ZeroSteps},
    {"StepCountAboveLimit", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 8), shubiao::kMaxAnimationSteps + 1); }); }, CursorFault::TooManySteps},
    {"StepCountHuge", [] { return Animation([](Bytes& b) { Set32(b, AnihField(b, 8), 0xFFFFFFFFu); }); }, CursorFault::TooManySteps},
    // "seq " and "rate"
    {"StepsBeyondFramesWithoutSequence", [] { return Riff({Anih(2, 3, kFlagIcon), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFault::StepsExceedFrames},
    {"SequenceEntryBeyondFrames", [] { return Animation([](Bytes& b) { Set32(b, Find(b, "seq ") + 8 + 4, 3); }); }, CursorFault::SequenceOutOfRange},
    {"SequenceEntryHuge", [] { return Animation([](Bytes& b) { Set32(b, Find(b, "seq ") + 8, 0xFFFFFFFFu); }); }, CursorFault::SequenceOutOfRange},
    {"SequenceShorterThanSteps", [] { return Riff({Anih(2, 3), Chunk("seq ", Table({0, 1})), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFault::SequenceSizeMismatch},
    {"SequenceLongerThanSteps", [] { return Riff({Anih(2, 2), Chunk("seq ", Table({0, 1, 0})), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFault::SequenceSizeMismatch},
    {"SequenceNotWholeEntries", [] { return Riff({Anih(1, 1), Chunk("seq ", {0, 0, 0}), FrameList({MakeCursor()})}); }, CursorFault::SequenceSizeMismatch},
    {"SequenceFlagWithoutSequence", [] { return Riff({Anih(1, 1), FrameList({MakeCursor()})}); }, CursorFault::MissingSequence},
    {"RateShorterThanSteps", [] { return Riff({Anih(2, 2, kFlagIcon), Chunk("rate", Table({5})), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFault::RateSizeMismatch},
    {"RateLongerThanSteps", [] { return Riff({Anih(1, 1, kFlagIcon), Chunk("rate", Table({5, 5})), FrameList({MakeCursor()})}); }, CursorFault::RateSizeMismatch},
    // LIST "fram"
    {"FrameListMissing", [] { return Riff({Anih(1, 1, kFlagIcon)}); }, CursorFault::MissingFrameList},
    {"FrameListEmpty", [] { return AnimationWithFrames(List("fram", {})); }, CursorFault::EmptyFrameList},
    {"FrameListHoldsOtherChunk", [] { return AnimationWithFrames(List("fram", {Chunk("icon", MakeCursor()), Chunk("bmp ", MakeCursor())}), 2); }, CursorFault::UnexpectedFrameChunk},
    {"FewerIconsThanFrames", [] { return AnimationWithFrames(FrameList({MakeCursor(), MakeCursor()})); }, CursorFault::FrameCountMismatch},
    {"MoreIconsThanFrames", [] { return AnimationWithFrames(FrameList({MakeCursor(), MakeCursor(), MakeCursor(), MakeCursor()})); }, CursorFault::FrameCountMismatch},
    {"IconChunkHoldsPng", [] { return AnimationWithFrames(FrameList({MakePng(32, 32)}), 1); }, CursorFault::FrameNotIcon},
    {"IconChunkHoldsText", [] { return AnimationWithFrames(FrameList({Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'c', 'o', 'n'}}), 1); }, CursorFault::FrameNotIcon},
    {"IconChunkHoldsAnimation", [] { return AnimationWithFrames(FrameList({MakeAnimation(1)}), 1); }, CursorFault::FrameNotIcon},
    {"IconChunkEmpty", [] { return AnimationWithFrames(FrameList({Bytes{}}), 1); }, CursorFault::FrameNotIcon},
    {"FrameImageWidthZero", [] { Bytes f = MakeCursor(); Set32(f, kBiWidth, 0); return AnimationWithFrames(FrameList({MakeCursor(), f}), 2); }, CursorFault::ZeroDimension},
    {"FrameImageCut", [] { Bytes f = MakeCursor(); f.resize(f.size() - 10); return AnimationWithFrames(FrameList({f}), 1); }, CursorFault::Truncated},
    {"FrameHotspotOutside", [] { Bytes f = MakeCursor(); Set16(f, kEntryHotY, 40); return AnimationWithFrames(FrameList({f}), 1); }, CursorFault::HotspotOutside},
};

class Malformed : public testing::TestWithParam<Case> {};

TEST_P(Malformed, IsRefusedWithItsFault) {
    const Bytes bytes = GetParam().make();
    const shubiao::CursorCheck check = CheckCursorBytes(bytes);
    EXPECT_EQ(check.fault, GetParam().fault);
    EXPECT_FALSE(check.ok());
    EXPECT_FALSE(shubiao::DescribeCursorFault(check.fault).empty());
}

INSTANTIATE_TEST_SUITE_P(CursorFileCheck, Malformed, testing::ValuesIn(kMalformed), CaseName);

struct GoodCase {
    const char* name;
    std::function<Bytes()> make;
    CursorFileKind kind;
};

std::string GoodName(const testing::TestParamInfo<GoodCase>& info) { return info.param.name; }

Bytes MixedIcon() {
    return MakeIcon(kIco, {DibImage({16, 16, 1}), DibImage({16, 16, 4}), DibImage({32, 32, 8}), DibImage({24, 24, 16}),
                           DibImage({48, 48, 24}), DibImage({40, 40, 32, 124}), DibImage({32, 32, 8, 40, 16}),
                           DibImage({256, 256, 1}), PngImage(256, 256)});
}

const GoodCase kWellFormed[] = {
    {"Cursor32", [] { return MakeCursor(); }, CursorFileKind::Static},
    {"CursorOnePixel", [] { return MakeIcon(kCur, {DibImage({1, 1, 1})}); }, CursorFileKind::Static},
    {"IconOfEveryDepthAndPng", MixedIcon, CursorFileKind::Static},
    {"CursorWithPngImage", [] { return MakeIcon(kCur, {{MakePng(48, 48), 48, 48, 47, 47}}); }, CursorFileKind::Static},
    {"CursorWithV5Header", [] { return MakeIcon(kCur, {DibImage({32, 32, 32, 124}, 31, 31)}); }, CursorFileKind::Static},
    {"Animation", [] { return MakeAnimation(); }, CursorFileKind::Animated},
    {"AnimationWithoutSequenceOrRate", [] { return Riff({Anih(2, 2, kFlagIcon), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFileKind::Animated},
    {"FewerStepsThanFramesWithoutSequence", [] { return Riff({Anih(2, 1, kFlagIcon), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFileKind::Animated},
    {"SequenceWithoutFlag", [] { return Riff({Anih(2, 2, kFlagIcon), Chunk("seq ", Table({1, 0})), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFileKind::Animated},
    {"RiffSizeCountsWholeFile", [] { Bytes b = MakeAnimation(); Set32(b, 4, static_cast<std::uint32_t>(b.size())); return b; }, CursorFileKind::Animated},
    {"InfoListAndUnknownChunksFirst", [] { return Riff({List("INFO", {Chunk("INAM", {'a', 'b', 'c'}), Chunk("IART", {'x', 0})}), Chunk("junk", {1, 2, 3}), Anih(1, 1, kFlagIcon), FrameList({MakeCursor()})}); }, CursorFileKind::Animated},
    {"FramesOfMixedSizes", [] { return Riff({Anih(3, 3, kFlagIcon), FrameList({MakeCursor(32), MakeCursor(48, 8), MakeIcon(kIco, {DibImage({16, 16, 4}), PngImage(64, 64)})})}); }, CursorFileKind::Animated},
    {"LastChunkOddWithoutPad", [] { return Riff({Anih(1, 1, kFlagIcon), FrameList({MakeCursor()}), Chunk("junk", {1, 2, 3}, false)}); }, CursorFileKind::Animated},
    {"LastIconOddWithoutPad", [] { Bytes icon = MakeCursor(); icon.push_back(0); Bytes data{'f', 'r', 'a', 'm'}; Append(data, Chunk("icon", icon, false)); return Riff({Anih(1, 1, kFlagIcon), Chunk("LIST", data, false)}); }, CursorFileKind::Animated},
    {"OddIconWithPad", [] { Bytes icon = MakeCursor(); icon.push_back(0); return Riff({Anih(2, 2, kFlagIcon), FrameList({icon, MakeCursor()})}); }, CursorFileKind::Animated},
    {"BytesAfterRiffData", [] { Bytes b = MakeAnimation(); b.resize(b.size() + 7, 0xEE); return b; }, CursorFileKind::Animated},
    {"LimitsExactly", [] {
         std::vector<Bytes> frames(shubiao::kMaxAnimationFrames, MakeIcon(kCur, {DibImage({1, 1, 1})}));
         std::vector<std::uint32_t> seq(shubiao::kMaxAnimationSteps, shubiao::kMaxAnimationFrames - 1);
         return Riff({Anih(shubiao::kMaxAnimationFrames, shubiao::kMaxAnimationSteps), Chunk("seq ", Table(seq)), FrameList(frames)}); },
     CursorFileKind::Animated},
};

class WellFormed : public testing::TestWithParam<GoodCase> {};

TEST_P(WellFormed, Passes) {
    const shubiao::CursorCheck check = CheckCursorBytes(GetParam().make());
    EXPECT_EQ(check.fault, CursorFault::None);
    EXPECT_TRUE(check.ok());
    EXPECT_EQ(check.kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(CursorFileCheck, WellFormed, testing::ValuesIn(kWellFormed), GoodName);

// Under Wine the Linux source path is reached through drive Z:.
fs::path SourcePath(const char* relative) {
#ifdef _WIN32
    return fs::path(std::string("Z:") + SHUBIAO_SOURCE_DIR) / fs::u8path(relative);
#else
    return fs::path(SHUBIAO_SOURCE_DIR) / fs::u8path(relative);
#endif
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(CursorFileCheck, InstalledFallbackCursorsPass) {
    const fs::path folder = SourcePath("assets/Data storage/Cursors");
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no fallback cursors yet at " << folder.string();
    int count = 0;
    for (const fs::path& file : FilesIn(folder)) {
        if (file.extension() != ".ani" && file.extension() != ".cur") continue;
        ++count;
        EXPECT_TRUE(shubiao::CheckCursorFile(file).ok()) << file.string();
    }
    EXPECT_EQ(count, 15);
}

// Inputs the fuzzer once found troublesome: they must be checked without a crash.
TEST(CursorFileCheck, FuzzRegressionsDoNotCrash) {
    const fs::path folder = SourcePath("tests/fuzz/regressions");
    ASSERT_TRUE(fs::is_directory(folder)) << folder.string();
    for (const fs::path& file : FilesIn(folder)) {
        if (file.filename().string().front() == '.') continue;
        std::ifstream in(file, std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const shubiao::CursorCheck check = CheckCursorBytes(bytes);
        EXPECT_FALSE(shubiao::DescribeCursorFault(check.fault).empty()) << file.string();
    }
}

TEST(CursorFileCheck, HundredKibAnimationChecksWellUnderAMillisecond) {
    const Bytes bytes = MakeAnimation(24);   // 24 frames of 32x32x32, played forward and back
    ASSERT_GE(bytes.size(), 100u * 1024u);
    ASSERT_TRUE(CheckCursorBytes(bytes).ok());
    std::vector<double> micros;
    for (int run = 0; run < 301; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const shubiao::CursorCheck check = CheckCursorBytes(bytes);
        const auto stop = std::chrono::steady_clock::now();
        ASSERT_TRUE(check.ok());
        micros.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    std::nth_element(micros.begin(), micros.begin() + 150, micros.end());
    RecordProperty("median_microseconds", std::to_string(micros[150]));
    EXPECT_LT(micros[150], 1000.0);
}

TEST(CursorFileCheck, EveryFaultHasItsOwnDescription) {
    std::vector<std::wstring_view> seen;
    for (int f = static_cast<int>(CursorFault::None); f <= static_cast<int>(CursorFault::RateSizeMismatch); ++f) {
        const std::wstring_view text = shubiao::DescribeCursorFault(static_cast<CursorFault>(f));
        EXPECT_FALSE(text.empty()) << f;
        EXPECT_EQ(std::find(seen.begin(), seen.end(), text), seen.end()) << "fault " << f << " shares its text";
        seen.push_back(text);
    }
}

// ---- files on disk ----------------------------------------------------------

class CursorFileOnDisk : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("shubiao_cursor_check_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path Write(const char* name, const Bytes& bytes) {
        const fs::path path = folder_ / fs::u8path(name);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    fs::path folder_;
};

TEST_F(CursorFileOnDisk, KindFollowsContentNotName) {
    const shubiao::CursorCheck staticAsAni = shubiao::CheckCursorFile(Write("static.ani", MakeCursor()));
    EXPECT_TRUE(staticAsAni.ok());
    EXPECT_EQ(staticAsAni.kind, CursorFileKind::Static);
    const shubiao::CursorCheck animatedAsCur = shubiao::CheckCursorFile(Write("animated.cur", MakeAnimation()));
    EXPECT_TRUE(animatedAsCur.ok());
    EXPECT_EQ(animatedAsCur.kind, CursorFileKind::Animated);
}

TEST_F(CursorFileOnDisk, ChineseFileNameIsRead) {
    EXPECT_TRUE(shubiao::CheckCursorFile(Write("忙碌光标.ani", MakeAnimation())).ok());
}

TEST_F(CursorFileOnDisk, BrokenFileOnDiskReportsItsFault) {
    Bytes b = MakeCursor();
    Set32(b, kBiWidth, 0);
    EXPECT_EQ(shubiao::CheckCursorFile(Write("zero.cur", b)).fault, CursorFault::ZeroDimension);
}

TEST_F(CursorFileOnDisk, MissingFileAndFolderAreUnreadable) {
    EXPECT_EQ(shubiao::CheckCursorFile(folder_ / "missing.ani").fault, CursorFault::Unreadable);
    EXPECT_EQ(shubiao::CheckCursorFile(folder_).fault, CursorFault::Unreadable);
}

TEST_F(CursorFileOnDisk, EmptyFileIsEmpty) {
    EXPECT_EQ(shubiao::CheckCursorFile(Write("empty.ani", {})).fault, CursorFault::Empty);
}

TEST_F(CursorFileOnDisk, OversizedFileIsRefusedBySize) {
    const fs::path path = Write("huge.ani", MakeAnimation());
    fs::resize_file(path, (std::uintmax_t{1} << 32) + 100);   // sparse; a 32-bit size would look small
    EXPECT_EQ(shubiao::CheckCursorFile(path).fault, CursorFault::TooLarge);
}

TEST_F(CursorFileOnDisk, FileOfExactlyTheLimitIsRead) {
    Bytes b = MakeAnimation();
    b.resize(shubiao::kMaxCursorFileBytes, 0);   // trailing bytes after the RIFF data
    EXPECT_TRUE(shubiao::CheckCursorFile(Write("limit.ani", b)).ok());
}

}  // namespace

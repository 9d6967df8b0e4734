#pragma once
// One malformed cursor file per case, each named after what it breaks, with
// the fault the checker must find. Shared by the checker's own tests and by
// the editor's test that feeds every one of them to the program.
#include <cstring>
#include <functional>

#include "cursor_bytes.h"
#include "scheme/formats/CursorFileCheck.h"

namespace malformed_cursors {

using namespace cursor_bytes;
using shubiao::CursorFault;

struct Case {
    const char* name;
    std::function<Bytes()> make;
    CursorFault fault;
};

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

inline Bytes Cursor(std::function<void(Bytes&)> change) {
    Bytes b = MakeCursor();
    change(b);
    return b;
}

inline Bytes Animation(std::function<void(Bytes&)> change) {
    Bytes b = MakeAnimation();
    change(b);
    return b;
}

// Offset of a field of the "anih" chunk data (cbSize = 0, frames = 4, steps = 8, flags = 32).
inline std::size_t AnihField(const Bytes& b, std::size_t field) { return Find(b, "anih") + 8 + field; }

inline Bytes IconWithPng(const Bytes& png) { return MakeIcon(kIco, {{png, 32, 32, 0, 0}}); }

inline Bytes PngWith(std::function<void(Bytes&)> change) {
    Bytes png = MakePng(32, 32);
    change(png);
    return IconWithPng(png);
}

// Three-frame animation whose frame list is replaced.
inline Bytes AnimationWithFrames(const Bytes& frameList, std::uint32_t frames = 3) {
    return Riff({Anih(frames, frames, kFlagIcon), frameList});
}

inline const Case kMalformed[] = {
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

}  // namespace malformed_cursors

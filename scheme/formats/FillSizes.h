#pragma once
// 补齐尺寸: a copy of a cursor file that holds every size Windows draws a
// pointer at (kFilledSizes), made from the bytes alone.
//
// - Sizes the file already holds are kept byte for byte: their directory
//   entries and image bytes are copied unchanged.
// - Each missing size is resampled from the largest image of the file (of
//   each frame, for an animation) with stb_image_resize's Catmull-Rom filter
//   in sRGB space (see FillSizes.cpp), its hot spot scaled with it.
// - An animation is filled frame by frame; its other chunks are copied.
// - Added images of 64 px and above are PNG-compressed, smaller ones 32-bpp
//   DIBs with an AND mask.
// - The result passes CheckCursorBytes, or FillSizes refuses, saying why,
//   and the caller keeps the original.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "scheme/formats/CursorFileCheck.h"

namespace shubiao {

// The sizes Windows picks a pointer's image at (PointerSize.h), as the
// longer side of the image.
inline constexpr std::array<std::uint32_t, 5> kFilledSizes{32, 48, 64, 96, 128};

// One image decoded to straight (not premultiplied) RGBA, rows top down.
struct CursorPixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t hotX = 0;   // the directory entry's hot spot; an icon's is 0, 0
    std::uint16_t hotY = 0;
    std::vector<std::uint8_t> rgba;
};

// Image `index` of an ICO/CUR (a whole file or one animation frame), when the
// cursor check accepts it: 1, 4, 8, 16, 24 or 32 bits per pixel with the AND
// mask giving the transparency (a 32-bpp image's own alpha when any pixel
// has one), or a PNG. A pixel the AND mask would invert on screen becomes
// opaque black, what it shows on a light background. nullopt when the check
// refuses the entry or its PNG does not decode.
std::optional<CursorPixels> DecodeCursorImage(std::span<const std::uint8_t> iconFile, std::size_t index);

enum class FillRefusal {
    None,
    Unusable,         // the cursor check refuses the file (FilledCursor::fault says why)
    TooSmall,         // the largest image is under 2 pixels wide or high: nothing to enlarge
    PngUndecodable,   // the largest image is a PNG whose pixel data does not decode
    TooLarge,         // the filled copy would be over the checker's 4 MiB
    NotWritten,       // the copy could not be made, or the check refuses it (fault says why)
};

struct FilledCursor {
    FillRefusal refusal = FillRefusal::None;
    CursorFault fault = CursorFault::None;   // the check's verdict, for Unusable and NotWritten
    std::vector<std::uint8_t> bytes;         // the filled copy; empty when refused
    bool ok() const { return refusal == FillRefusal::None; }
};

// Never reads outside `bytes`; the work is bounded by the check's limits and
// the copy is never allowed to grow past kMaxCursorFileBytes.
FilledCursor FillSizes(std::span<const std::uint8_t> bytes);

// Why the original is placed instead, in one plain-Chinese sentence.
std::wstring DescribeFillRefusal(const FilledCursor& filled);

}  // namespace shubiao

#pragma once
// The size Windows draws the pointer at, and how a cursor file's sizes meet
// it. Portable: the caller reads the display's DPI and the pointer-size
// setting; nothing here asks Windows.
#include <cstdint>
#include <optional>
#include <span>

#include "scheme/formats/CursorFileCheck.h"

namespace shubiao {

// The pointer-size setting (HKCU\Control Panel\Cursors, CursorBaseSize): the
// size of the pointer at 100 %, 32 when the user never changed it. Values
// outside 32..256 read as 32 (see PointerSize.cpp).
inline constexpr std::uint32_t kDefaultCursorBaseSize = 32;
inline constexpr std::uint32_t kMaxCursorBaseSize = 256;

// Pixels across of the pointer Windows draws on a display of `dpi` with the
// pointer-size setting `cursorBaseSize` (nullopt when the value is absent).
std::uint32_t PointerPixels(std::uint32_t dpi, std::optional<std::uint32_t> cursorBaseSize);

enum class SizeFit {
    Holds,        // the file holds the size needed
    ScaledUp,     // drawn from a smaller image, enlarged (blurry)
    ScaledDown,   // drawn from a larger image, reduced
    NoImage,      // no sizes: the file did not pass the check
};

struct SizeMatch {
    SizeFit fit = SizeFit::NoImage;
    PixelSize from;   // the image Windows draws from; 0 x 0 for NoImage
};

// Which of `held` (as CursorSizes::held gives them) Windows draws a pointer of
// `needed` x `needed` pixels from, and whether it has to scale it.
SizeMatch MatchSize(std::span<const PixelSize> held, std::uint32_t needed);

}  // namespace shubiao

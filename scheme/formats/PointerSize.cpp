// The pointer's size, from our own table of Windows' steps.
//
// Sources:
// - The steps by DPI: Raymond Chen, "What is the deal with the SM_CXCURSOR
//   system metric?", The Old New Thing, 2021-08-19
//   (devblogs.microsoft.com/oldnewthing/20210819-00/?p=105572). He gives them
//   as the nominal sizes "as of this writing", not contractual: 32 px below
//   144 DPI, 48 below 192, 64 below 288, 96 below 384, 128 from 384 on.
// - The pointer-size setting: Settings' pointer size keeps the size at
//   100 % in HKCU\Control Panel\Cursors, DWORD value CursorBaseSize, 32 when
//   unchanged. Microsoft names the value only in an answer on Microsoft Q&A
//   ("Windows cursor size", learn.microsoft.com/answers/questions/815036), in
//   no reference page, and documents no range for it. We scale the step by
//   CursorBaseSize / 32.
// - Which image is drawn: LookupIconIdFromDirectoryEx's reference page
//   (learn.microsoft.com/windows/win32/api/winuser/nf-winuser-lookupiconidfromdirectoryex)
//   says "the image closest but not exceed the requested size is selected",
//   and CreateIconFromResourceEx then stretches it to the size asked for. When
//   every image is larger the page says nothing; we take the smallest, the
//   closest one.
//
// Choices:
// - CursorBaseSize is read within 32 (the smallest pointer Settings offers)
//   and 256 (the largest image a cursor file holds, kMaxImageDimension).
//   A value outside, or of another type, is read as unset (32) rather than
//   clamped: it was not written by Settings, and we do not guess what
//   Windows makes of it.
// - Pixels are rounded to the nearest, for base sizes that are not a
//   multiple of 16; the ones Settings writes give whole pixels at every step.
// - The result is not capped at 256: at 384 DPI and more with a large
//   setting Windows asks for more than any cursor file holds, and every file
//   is then scaled up.
#include "scheme/formats/PointerSize.h"

namespace shubiao {

namespace {

std::uint32_t StepPixels(std::uint32_t dpi) {
    if (dpi < 144) return 32;
    if (dpi < 192) return 48;
    if (dpi < 288) return 64;
    if (dpi < 384) return 96;
    return 128;
}

std::uint64_t Area(PixelSize s) { return std::uint64_t{s.width} * s.height; }

}  // namespace

std::uint32_t PointerPixels(std::uint32_t dpi, std::optional<std::uint32_t> cursorBaseSize) {
    std::uint32_t base = cursorBaseSize.value_or(kDefaultCursorBaseSize);
    if (base < kDefaultCursorBaseSize || base > kMaxCursorBaseSize) base = kDefaultCursorBaseSize;
    return (StepPixels(dpi) * base + kDefaultCursorBaseSize / 2) / kDefaultCursorBaseSize;
}

SizeMatch MatchSize(std::span<const PixelSize> held, std::uint32_t needed) {
    const PixelSize* fitting = nullptr;   // the largest image within the size needed
    const PixelSize* smallest = nullptr;
    for (const PixelSize& size : held) {
        if (size.width == needed && size.height == needed) return {SizeFit::Holds, size};
        if (size.width <= needed && size.height <= needed && (fitting == nullptr || Area(size) > Area(*fitting))) fitting = &size;
        if (smallest == nullptr || Area(size) < Area(*smallest)) smallest = &size;
    }
    if (fitting != nullptr) return {SizeFit::ScaledUp, *fitting};
    if (smallest != nullptr) return {SizeFit::ScaledDown, *smallest};
    return {SizeFit::NoImage, {}};
}

}  // namespace shubiao

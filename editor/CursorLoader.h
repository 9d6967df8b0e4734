#pragma once
// The only ways the editor hands a cursor file to Windows. The file's bytes
// are read once and checked; Windows then gets exactly those bytes:
// - a preview (the first frame, at a given size) is made from the checked
//   bytes in memory, through the documented resource functions;
// - a pointer (pointer size, animated ones animated) is loaded by Windows'
//   file loader while the file is held (scheme/CursorBytes.h).
#include <windows.h>

#include <cstdint>
#include <span>

#include "scheme/CursorBytes.h"
#include "win/Raii.h"

namespace shubiao {

// One ICO/CUR image (a whole static file or one frame of an animation, as
// CheckCursorBytes passed it) made into an icon or cursor of `size` pixels;
// Windows' error, or 0, in `error` when it cannot. `hotSpot`, when given,
// gets the hot spot of the image Windows picked, scaled to `size`.
UniqueIcon IconFromImage(std::span<const std::uint8_t> image, int size, DWORD& error, POINT* hotSpot = nullptr);

}  // namespace shubiao

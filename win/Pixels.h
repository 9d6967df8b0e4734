#pragma once
// 32-bit pixels in memory: a top-down DIB section, and reading a DC's pixels
// back as 0x00RRGGBB.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "win/Raii.h"

namespace shubiao {

// A 32-bit top-down DIB section (BI_RGB); `bits`, when given, receives its
// pixels. Empty when it cannot be made.
UniqueBitmap MakeTopDownDib(int width, int height, void** bits = nullptr);

// The pixels of `area` of `source` (in the DC's coordinates), 0x00RRGGBB,
// the top row first; empty when the area is empty or cannot be read.
std::vector<std::uint32_t> ReadPixels(HDC source, const RECT& area);

}  // namespace shubiao

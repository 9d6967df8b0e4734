#pragma once
// Small static cursor files for tests, written by us: a 32x32 32-bit CUR
// whose hot spot tells the files apart once Windows has loaded them.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace shubiao::test {

// Bytes of a 32x32, 32 bits per pixel cursor file: an opaque square of
// `colour` (0x00RRGGBB) in the middle, hot spot at (hotX, hotY).
std::vector<std::uint8_t> MakeStaticCursor(int hotX, int hotY, std::uint32_t colour = 0x00336699);

// Writes MakeStaticCursor to `path`.
void WriteStaticCursor(const std::wstring& path, int hotX, int hotY, std::uint32_t colour = 0x00336699);

// Hot spot of a loaded cursor; {-1, -1} when it cannot be read.
POINT CursorHotSpot(HCURSOR cursor);

// Windows' English names of the seventeen pointers, in role order, as a
// pack names its files.
inline constexpr std::array<const wchar_t*, 17> kPurposeNames{
    L"Working in Background", L"Normal Select", L"Precision Select", L"Link Select", L"Help Select",
    L"Text Select",           L"Unavailable",   L"Handwriting",      L"Move",        L"Diagonal Resize 2",
    L"Vertical Resize",       L"Diagonal Resize 1", L"Horizontal Resize", L"Alternate Select", L"Busy",
    L"Location Select",       L"Person Select"};

}  // namespace shubiao::test

#pragma once
// The mark on a pointer's preview whose file lacks the size Windows draws
// the pointer at on this display (Windows then scales another size): a small
// grey corner at the preview's top right, which most pointers leave empty, in
// a grey that reads on white and on any theme around it. The grid's boxes,
// the 方案库 strips and the pack chooser draw the same mark.
#include <windows.h>

#include <cstdint>
#include <string>

#include "scheme/formats/CursorFileCheck.h"

namespace shubiao {

// True when Windows draws a pointer of `needed` pixels from another size
// than `sizes` holds.
bool LacksSize(const CursorSizes& sizes, std::uint32_t needed);

// The tooltip's line on the sizes a file holds: "含 32、48 像素；本屏幕显示为
// 48 像素", and what Windows does when the file lacks that size. A size that
// is not square is given as width×height. Empty when `sizes` holds none.
std::wstring SizesText(const CursorSizes& sizes, std::uint32_t needed);

// The mark in the top right corner of `area`, sized for `dpi`.
void DrawSizeMark(HDC dc, const RECT& area, UINT dpi);

}  // namespace shubiao

#pragma once
// The strip of a scheme's pointers that the 方案库 and the pack chooser draw
// in a cell of their lists: each role's first frame, small, in Windows'
// order, a warning mark on a role whose file is refused, missing or not a
// usable cursor, an empty square for Windows' default. The previews come
// from a PreviewCache, made from the checked bytes the first time the row
// is drawn.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "editor/PreviewCache.h"
#include "scheme/CursorRole.h"
#include "scheme/formats/SchemeList.h"

namespace shubiao {

class SchemeStrip {
public:
    static constexpr int kGap = 2;  // 96-DPI pixels between two previews

    // `files` per role (index role - 1), expanded; empty for Windows'
    // default. A role in `refused` is marked without a look at the disk. A
    // file that lacks `pointerPixels` (what Windows draws the pointer at on
    // this display; 0 for no such marks) gets the size mark (SizeMark.h).
    void Prepare(PreviewCache& cache, const std::array<std::wstring, kRoleCount>& files,
                 const std::array<bool, kRoleCount>& refused, int size, std::uint32_t pointerPixels = 0);
    bool prepared() const { return prepared_; }
    void Forget() { prepared_ = false; }

    // Draws into `cell`, `size` pixels a preview, at `dpi`.
    void Draw(HDC dc, const RECT& cell, int size, UINT dpi, HDC scratch) const;
    // The width of a cell that shows the whole strip.
    static int Width(int size, UINT dpi);

private:
    std::array<PreviewStrip*, schemes::kSlotCount> strips_{};
    std::array<bool, schemes::kSlotCount> marked_{};
    std::array<bool, schemes::kSlotCount> lacksSize_{};
    bool prepared_ = false;
};

// A list view's custom draw of a column of its own: asks for the items' and
// the subitems' notifications, and has `paint` draw the cell of `column` in
// each of the first `rows` rows, wiped to the window's colour first; the
// list view draws every other cell.
LRESULT DrawOwnColumn(const NMLVCUSTOMDRAW& draw, HWND list, int column, size_t rows,
                      const std::function<void(HDC dc, const RECT& cell, size_t row)>& paint);

}  // namespace shubiao

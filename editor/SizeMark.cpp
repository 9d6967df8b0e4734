#include "editor/SizeMark.h"

#include "scheme/formats/PointerSize.h"

namespace shubiao {
namespace {

constexpr int kSide = 6;  // pixels at 96 DPI
constexpr COLORREF kColour = RGB(128, 128, 128);

}  // namespace

bool LacksSize(const CursorSizes& sizes, std::uint32_t needed) {
    const SizeFit fit = MatchSize(sizes.held, needed).fit;
    return fit == SizeFit::ScaledUp || fit == SizeFit::ScaledDown;
}

void DrawSizeMark(HDC dc, const RECT& area, UINT dpi) {
    const int side = MulDiv(kSide, static_cast<int>(dpi), 96);
    SetDCBrushColor(dc, kColour);
    // A right triangle, row by row: one pixel at the bottom, `side` at the top.
    for (int row = 0; row < side; ++row) {
        const RECT line{area.right - side + row, area.top + row, area.right, area.top + row + 1};
        FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
}

}  // namespace shubiao

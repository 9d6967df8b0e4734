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

std::wstring SizesText(const CursorSizes& sizes, std::uint32_t needed) {
    if (sizes.held.empty()) return {};
    std::wstring line = L"含 ";
    for (size_t i = 0; i < sizes.held.size(); ++i) {
        const PixelSize size = sizes.held[i];
        if (i > 0) line += L"、";
        line += std::to_wstring(size.width);
        if (size.height != size.width) line += L"×" + std::to_wstring(size.height);
    }
    line += L" 像素；本屏幕显示为 " + std::to_wstring(needed) + L" 像素";
    switch (MatchSize(sizes.held, needed).fit) {
    case SizeFit::ScaledUp:
        line += L"，会被放大，可能模糊";
        break;
    case SizeFit::ScaledDown:
        line += L"，会被缩小";
        break;
    default:
        break;
    }
    if (sizes.framesDiffer) line += L"；动画各帧所含的大小不同";
    return line;
}

}  // namespace shubiao

#include "editor/SchemeStrip.h"

#include "editor/SizeMark.h"

#include "scheme/formats/SchemeOrder.h"
#include "win/Text.h"

namespace shubiao {
namespace {

int Scaled(int pixels96, UINT dpi) { return MulDiv(pixels96, static_cast<int>(dpi), 96); }

// The role at a place of Windows' order.
int RoleAtSlot(size_t slot) { return FindRole(FromUtf8(kSchemeOrder[slot]).value_or(L""))->number; }

}  // namespace

void SchemeStrip::Prepare(PreviewCache& cache, const std::array<std::wstring, kRoleCount>& files,
                          const std::array<bool, kRoleCount>& refused, int size, std::uint32_t pointerPixels) {
    prepared_ = true;
    for (size_t slot = 0; slot < schemes::kSlotCount; ++slot) {
        const size_t index = RoleIndex(RoleAtSlot(slot));
        strips_[slot] = nullptr;
        lacksSize_[slot] = false;
        marked_[slot] = refused[index];
        if (marked_[slot] || files[index].empty()) continue;
        strips_[slot] = cache.Get(files[index], size).strip;
        marked_[slot] = strips_[slot] == nullptr;
        lacksSize_[slot] = strips_[slot] != nullptr && pointerPixels != 0 && LacksSize(strips_[slot]->sizes(), pointerPixels);
    }
}

void SchemeStrip::Draw(HDC dc, const RECT& cell, int size, UINT dpi, HDC scratch) const {
    const int top = cell.top + (cell.bottom - cell.top - size) / 2;
    int x = cell.left + Scaled(4, dpi);
    HICON warning = static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, size, size, LR_SHARED));
    for (size_t slot = 0; slot < schemes::kSlotCount; ++slot, x += size + Scaled(kGap, dpi)) {
        if (x + size > cell.right) break;
        if (strips_[slot] != nullptr) {
            strips_[slot]->Draw(dc, x, top, 0, scratch);
            if (lacksSize_[slot]) DrawSizeMark(dc, RECT{x, top, x + size, top + size}, dpi);
        } else if (marked_[slot] && warning != nullptr) {
            DrawIconEx(dc, x, top, warning, size, size, 0, nullptr, DI_NORMAL);
        } else {
            // Windows' default: an empty square.
            RECT r{x + 1, top + 1, x + size - 1, top + size - 1};
            FrameRect(dc, &r, GetSysColorBrush(COLOR_GRAYTEXT));
        }
    }
}

int SchemeStrip::Width(int size, UINT dpi) {
    return static_cast<int>(schemes::kSlotCount) * (size + Scaled(kGap, dpi)) + Scaled(8, dpi);
}

LRESULT DrawOwnColumn(const NMLVCUSTOMDRAW& draw, HWND list, int column, size_t rows,
                      const std::function<void(HDC dc, const RECT& cell, size_t row)>& paint) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const size_t row = draw.nmcd.dwItemSpec;
        if (draw.iSubItem != column || row >= rows) return CDRF_DODEFAULT;
        RECT cell{};
        ListView_GetSubItemRect(list, static_cast<int>(row), column, LVIR_BOUNDS, &cell);
        FillRect(draw.nmcd.hdc, &cell, GetSysColorBrush(COLOR_WINDOW));
        paint(draw.nmcd.hdc, cell, row);
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

}  // namespace shubiao

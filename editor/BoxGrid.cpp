#include "editor/BoxGrid.h"

#include <stdexcept>

#include "editor/SizeMark.h"

namespace shubiao {

BoxGrid::BoxGrid() {
    for (size_t i = 0; i < boxes_.size(); ++i) boxes_[i].role = layout::kBoxRoles[i];
}

BoxView* BoxGrid::Find(int role) {
    for (BoxView& view : boxes_) {
        if (view.role == role) return &view;
    }
    return nullptr;
}

const BoxView* BoxGrid::Find(int role) const { return const_cast<BoxGrid*>(this)->Find(role); }

BoxView& BoxGrid::Of(int role) {
    BoxView* view = Find(role);
    if (view == nullptr) throw std::out_of_range("no box shows this role");
    return *view;
}

const BoxView& BoxGrid::Of(int role) const { return const_cast<BoxGrid*>(this)->Of(role); }

int BoxGrid::RoleWhere(const std::function<bool(HWND)>& matches) const {
    for (const BoxView& view : boxes_) {
        if (matches(view.picture.hwnd())) return view.role;
    }
    return 0;
}

// The marks over the preview, drawn again after each frame since a preview
// at 实际大小 may reach under them: a file that lacks the size drawn here
// (editor/SizeMark.h), and a pending choice, the skin's colour along the
// bottom and right edges.
void DrawBoxMarks(BoxView& view, UINT dpi) {
    PictureBox& box = view.picture;
    HDC dc = box.ImageDC();
    if (view.look.sizeMark) DrawSizeMark(dc, RECT{0, 0, box.ImageWidth(), box.ImageHeight()}, dpi);
    if (view.look.pending) {
        const int width = MulDiv(2, static_cast<int>(dpi), 96);
        const RECT right{box.ImageWidth() - width, 0, box.ImageWidth(), box.ImageHeight()};
        const RECT bottom{0, box.ImageHeight() - width, box.ImageWidth(), box.ImageHeight()};
        SetDCBrushColor(dc, view.look.mark);
        FillRect(dc, &right, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        FillRect(dc, &bottom, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
}


}  // namespace shubiao

#include "editor/BoxGrid.h"

#include <stdexcept>

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

}  // namespace shubiao

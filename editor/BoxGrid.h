#pragma once
// The grid's boxes and what the editor keeps for each: the box window, its
// place, what it plays and what its image shows. Boxes are found by the role
// they show or by their number in the grid (1..layout::kBoxCount).
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "editor/Layout.h"
#include "editor/PictureBox.h"
#include "editor/PreviewCache.h"

namespace shubiao {

// What a box plays: its strip (from the cache), when the animation started,
// and the frame drawn now.
struct Playing {
    PreviewStrip* strip = nullptr;
    std::uint64_t serial = 0;
    ULONGLONG start = 0;
    int frame = -1;
    POINT at{};  // where the strip's frame is drawn in the box: left of or above it when cut
};

// What a box's image shows now: a box whose look is unchanged is not drawn again.
struct BoxLook {
    std::uint64_t serial = 0;  // of the strip drawn; 0: none
    int frame = -1;
    bool pending = false;
    COLORREF mark = 0;
    int width = -1;            // of the image: -1 before the first drawing
    bool sizeMark = false;     // the file lacks the size Windows draws here
    bool operator==(const BoxLook&) const = default;
};

// One box of the grid and all that the editor keeps for it.
struct BoxView {
    int role = 0;              // the role it shows (layout::kBoxRoles)
    PictureBox picture;
    POINT twips{};             // its place in Picture16, set by PaiLieKongJian
    POINT captionTwips{};      // its caption's place in Picture16
    Playing playing;
    BoxLook look;
    std::wstring previewProblem;  // why it shows no preview; empty when it shows one

    // Blank, showing and playing nothing.
    void Wipe() {
        look = {};
        playing = {};
        picture.Cls();
    }
};

class BoxGrid {
public:
    // Each box shows its role of layout::kBoxRoles.
    BoxGrid();

    // The box of `role`: nullptr, or std::out_of_range from Of, for a role
    // the grid has no box for.
    BoxView* Find(int role);
    const BoxView* Find(int role) const;
    BoxView& Of(int role);
    const BoxView& Of(int role) const;
    // Box number `box`, 1..kBoxCount; std::out_of_range for any other.
    BoxView& At(int box) { return boxes_.at(static_cast<size_t>(box - 1)); }
    const BoxView& At(int box) const { return boxes_.at(static_cast<size_t>(box - 1)); }
    // The role of the first box whose window `matches`; 0 for none.
    int RoleWhere(const std::function<bool(HWND)>& matches) const;

    // The boxes in box order.
    auto begin() { return boxes_.begin(); }
    auto end() { return boxes_.end(); }
    auto begin() const { return boxes_.begin(); }
    auto end() const { return boxes_.end(); }

private:
    std::array<BoxView, layout::kBoxCount> boxes_;
};

// Draws the marks of `view.look` over its box's image at `dpi`.
void DrawBoxMarks(BoxView& view, UINT dpi);

}  // namespace shubiao

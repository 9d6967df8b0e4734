#pragma once
// Where an arrow key leads in the preview grid, and the grid for the
// keyboard and screen readers (GridKeys.cpp).
#include <windows.h>

#include <optional>

#include "editor/BoxGrid.h"
#include "editor/GridToolTip.h"

namespace shubiao {

// The box an arrow key moves to from box number `box` (1..count) in a grid
// that fills its rows in box order, `columns` boxes to a row, the last row
// possibly shorter. Left and Right go through the boxes in reading order and
// wrap: from a row's last box to the next row's first, from the very last box
// to the first, and back. Up and Down move by one row and stop at the grid's
// edge; Down onto a shorter row lands on that row's last box when the row has
// none in the same column. Any other key, a box outside 1..count or a grid
// without columns leaves `box` as it is.
int GridNeighbour(int box, UINT key, int count, int columns);

// What the keyboard needs of the grid.
class KeyboardGrid {
public:
    // The container of the boxes.
    virtual PictureBox& Picture16() = 0;
    // The file dialog for `role`, as a click on its box opens it.
    virtual void Picture_Click(int role) = 0;
    // 撤销上次更改, asking first (Ctrl+Z).
    virtual void CheXiaoGengGai() = 0;
    virtual UINT Dpi() const = 0;

protected:
    ~KeyboardGrid() = default;
};

// The boxes' keys, focus and tab stop; boxes by their number, 1..kBoxCount.
// The boxes' mouse messages go on to the tooltip from here.
class GridKeyboard {
public:
    GridKeyboard(BoxGrid& boxes, KeyboardGrid& grid, GridToolTip& toolTips)
        : boxes_(boxes), grid_(grid), toolTips_(toolTips) {}
    GridKeyboard(const GridKeyboard&) = delete;
    GridKeyboard& operator=(const GridKeyboard&) = delete;

    // Once the boxes are made: their messages and focus painting come here.
    void SetUp();

private:
    void SetTabStop(int box);
    std::optional<LRESULT> BoxMessage(int box, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintFocus(int box, HDC dc);

    BoxGrid& boxes_;
    KeyboardGrid& grid_;
    GridToolTip& toolTips_;
    bool hidesFocus_ = false;  // the keyboard cues hide the focus rectangle
};

}  // namespace shubiao

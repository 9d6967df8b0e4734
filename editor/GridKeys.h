#pragma once
// Where an arrow key leads in the preview grid.
#include <windows.h>

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

}  // namespace shubiao

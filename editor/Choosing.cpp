// Picking a file per box and the hover preview.
#include "editor/ShuBiaoKong.h"

namespace shubiao {

void ShuBiaoKong::Picture_Click(int /*role*/) {}
void ShuBiaoKong::Picture_MouseMove(int /*role*/) {}
void ShuBiaoKong::Picture16_MouseMove() {}

}  // namespace shubiao

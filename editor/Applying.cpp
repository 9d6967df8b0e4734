// Apply: making the chosen files the user's pointers.
#include "editor/ShuBiaoKong.h"

namespace shubiao {

void ShuBiaoKong::YingYong_SB_Click() {}
void ShuBiaoKong::YingYongFangAn() {}

}  // namespace shubiao

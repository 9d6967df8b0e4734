// Restore: back to the Windows default pointers.
#include "editor/ShuBiaoKong.h"

namespace shubiao {

void ShuBiaoKong::HuanYuan_SB_Click() {}
void ShuBiaoKong::HuanYuan_ShuBiaoZhiZhen() {}
void ShuBiaoKong::HuiFuMoRen() {}

}  // namespace shubiao

// Confirming the Mouse Properties dialog without showing it.
#include "editor/ShuBiaoKong.h"

namespace shubiao {

void ShuBiaoKong::Timer1_Timer() {}
void ShuBiaoKong::Timer2_Timer() {}
std::wstring ShuBiaoKong::AnXiaHuiChe(const std::wstring& /*title*/) { return L"0"; }

}  // namespace shubiao

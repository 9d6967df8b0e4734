// Export and import of a scheme folder; the registry query method.
#include "editor/ShuBiaoKong.h"

namespace shubiao {

void ShuBiaoKong::DaoChu__SB_Click() {}
void ShuBiaoKong::DaoRu__SB_Click() {}
RegistryVariant ShuBiaoKong::QueryValue(HKEY key, const std::wstring& keyName, const std::wstring& valueName) {
    return shubiao::QueryValue(key, keyName, valueName);
}

}  // namespace shubiao

#include "scheme/CursorRole.h"

#include <stdexcept>

#include "win/Text.h"

namespace shubiao {

std::wstring CursorRole::FileName() const {
    std::wstring name(valueName);
    name += L".ani";
    return name;
}

std::wstring CursorRole::ValuePath() const {
    std::wstring path(kCursorsKeyPath);
    path += L'\\';
    path += valueName;
    return path;
}

std::wstring CursorRole::Name() const {
    std::wstring name;
    for (const wchar_t c : caption) {
        if (c != L' ') name += c;
    }
    return name;
}

size_t RoleIndex(int number) {
    if (number < 1 || number > kRoleCount) throw std::out_of_range("cursor role number out of range");
    return static_cast<size_t>(number - 1);
}

const CursorRole& Role(int number) { return kRoles[RoleIndex(number)]; }

const CursorRole* FindRole(std::wstring_view valueName) {
    for (const CursorRole& role : kRoles) {
        if (EqualNoCase(role.valueName, valueName)) return &role;
    }
    return nullptr;
}

// AppStarting=1 Arrow=2 Crosshair=3 Hand=4 Help=5 IBeam=6 No=7 NWPen=8 SizeAll=9
// SizeNESW=10 SizeNS=11 SizeNWSE=12 SizeWE=13 UpArrow=14 Wait=15 Pin=16 Person=17
const std::array<int, kRoleCount> kExportOrder{2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
const std::array<int, kRoleCount> kImportOrder{2, 1, 3, 4, 6, 7, 8, 5, 9, 10, 11, 12, 13, 14, 15, 16, 17};
const std::array<int, kRoleCount> kRestoreOrder = kExportOrder;

}  // namespace shubiao

#pragma once
// The seventeen cursor roles of Windows that the editor works on. Roles 1..15
// are in ascending order of their registry value names compared without
// regard to case ("No" before "NWPen"); Location Select (Pin) and Person
// Select (Person), which later Windows versions added, follow as 16 and 17,
// so that the numbers of the first fifteen never change. Every role is
// stored in every scheme folder under its value name followed by ".ani";
// which roles the grid shows, and in which box, is the grid's own table
// (editor/Layout.h).
#include <array>
#include <string>
#include <string_view>

namespace shubiao {

struct CursorRole {
    int number;                   // 1..kRoleCount
    std::wstring_view valueName;  // value under HKCU\Control Panel\Cursors
    std::wstring_view caption;    // caption under the preview box
    // Id for SetSystemCursor; 0 = none. Help, NWPen, Pin and Person have no
    // documented OCR_ id: Windows takes them from the settings when it
    // reloads the pointers (SPI_SETCURSORS).
    unsigned systemCursorId;

    bool HasSystemCursor() const { return systemCursorId != 0; }
    std::wstring FileName() const;   // e.g. L"Arrow.ani"
    std::wstring ValuePath() const;  // e.g. L"HKEY_CURRENT_USER\\Control Panel\\Cursors\\Arrow"
    // The caption without the grid's padding spaces, as messages name the role.
    std::wstring Name() const;
};

inline constexpr int kRoleCount = 17;
inline constexpr std::wstring_view kCursorsKeyPath = L"HKEY_CURRENT_USER\\Control Panel\\Cursors";

inline constexpr std::array<CursorRole, kRoleCount> kRoles{{
    {1, L"AppStarting", L"后台运行", 32650},
    {2, L"Arrow", L"正常选择", 32512},
    {3, L"Crosshair", L"精确定位", 32515},
    {4, L"Hand", L"链接选择", 32649},
    {5, L"Help", L"帮助选择", 0},
    {6, L"IBeam", L"选定文本", 32513},
    {7, L"No", L"不 可 用", 32648},
    {8, L"NWPen", L"手    写", 0},
    {9, L"SizeAll", L"移    动", 32646},
    {10, L"SizeNESW", L"沿对角线2", 32643},
    {11, L"SizeNS", L"垂直调整", 32645},
    {12, L"SizeNWSE", L"沿对角线1", 32642},
    {13, L"SizeWE", L"水平调整", 32644},
    {14, L"UpArrow", L"候    选", 32516},
    {15, L"Wait", L"忙", 32514},
    {16, L"Pin", L"位置选择", 0},
    {17, L"Person", L"个人选择", 0},
}};

// The place of role `number` (1..kRoleCount) in kRoles and in every array of
// kRoleCount entries kept per role; std::out_of_range for any other number.
size_t RoleIndex(int number);
// Role by number, 1..kRoleCount.
const CursorRole& Role(int number);
// Role by value name, without regard to case; nullptr when there is none.
const CursorRole* FindRole(std::wstring_view valueName);

// Orders in which some operations visit the roles (by value name).
// Export: Arrow first, then the table order without Arrow.
extern const std::array<int, kRoleCount> kExportOrder;
// Import: as the export, but Help comes after NWPen.
extern const std::array<int, kRoleCount> kImportOrder;
// Restore deletes the values in the export order.
extern const std::array<int, kRoleCount> kRestoreOrder;

}  // namespace shubiao

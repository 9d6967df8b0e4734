#pragma once
// Windows' order of the cursor files in a value under
// HKCU\Control Panel\Cursors\Schemes: a comma list whose Nth entry is the
// file of the Nth name below. It is the one list of positions that the .inf
// reader, the .inf writer and the file-name matcher use; Pin and Person come
// last and are not among the roles the editor shows, so they are read past
// and never written. Portable: no Windows header.
#include <array>
#include <cstddef>
#include <string_view>

namespace shubiao {

struct SchemeSlot {
    std::string_view valueName;   // value under HKCU\Control Panel\Cursors
    bool inGrid;                  // one of the fifteen roles the editor shows
};

inline constexpr std::array<SchemeSlot, 17> kSchemeOrder{{
    {"Arrow", true},    {"Help", true},     {"AppStarting", true}, {"Wait", true},     {"Crosshair", true},
    {"IBeam", true},    {"NWPen", true},    {"No", true},          {"SizeNS", true},   {"SizeWE", true},
    {"SizeNWSE", true}, {"SizeNESW", true}, {"SizeAll", true},     {"UpArrow", true},  {"Hand", true},
    {"Pin", false},     {"Person", false},
}};

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

constexpr std::size_t CountGridSlots() {
    std::size_t count = 0;
    for (const SchemeSlot& slot : kSchemeOrder) count += slot.inGrid ? 1 : 0;
    return count;
}

// The editor's roles take the first positions: a list's first
// kGridRoleCount entries are all that is read or written.
inline constexpr std::size_t kGridRoleCount = CountGridSlots();

constexpr bool GridSlotsComeFirst() {
    for (std::size_t i = 0; i < kSchemeOrder.size(); ++i) {
        if (kSchemeOrder[i].inGrid != (i < kGridRoleCount)) return false;
    }
    return true;
}
static_assert(kGridRoleCount == 15 && GridSlotsComeFirst());

// Position in kSchemeOrder of a role the editor shows, the name compared
// without regard to ASCII case; -1 for any other name (also Pin and Person).
constexpr int GridPosition(std::string_view valueName) {
    for (std::size_t i = 0; i < kSchemeOrder.size(); ++i) {
        if (kSchemeOrder[i].inGrid && EqualsIgnoringAsciiCase(kSchemeOrder[i].valueName, valueName)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace shubiao

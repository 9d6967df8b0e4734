#pragma once
// Windows' seventeen cursor roles, in its order of the cursor files in a
// value under HKCU\Control Panel\Cursors\Schemes: a comma list whose Nth
// entry is the file of the Nth name below. It is the one list of roles and
// positions that the .inf reader, the .inf writer and the file-name matcher
// use. Portable: no Windows header.
#include <array>
#include <cstddef>
#include <string_view>

namespace shubiao {

// Values under HKCU\Control Panel\Cursors, in the Schemes list's order.
inline constexpr std::array<std::string_view, 17> kSchemeOrder{
    "Arrow",    "Help",     "AppStarting", "Wait",    "Crosshair", "IBeam", "NWPen", "No",     "SizeNS",
    "SizeWE",   "SizeNWSE", "SizeNESW",    "SizeAll", "UpArrow",   "Hand",  "Pin",   "Person",
};

inline constexpr std::size_t kSchemeRoleCount = kSchemeOrder.size();

// Pin and Person came last, with Windows 10; lists written before them, and
// those of most packs, hold the first fifteen entries only.
inline constexpr std::size_t kClassicRoleCount = 15;
static_assert(kClassicRoleCount < kSchemeRoleCount && kSchemeOrder[kClassicRoleCount] == "Pin");

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// Position in kSchemeOrder of a role, the name compared without regard to
// ASCII case; -1 for any other name.
constexpr int SchemePosition(std::string_view valueName) {
    for (std::size_t i = 0; i < kSchemeOrder.size(); ++i) {
        if (EqualsIgnoringAsciiCase(kSchemeOrder[i], valueName)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace shubiao

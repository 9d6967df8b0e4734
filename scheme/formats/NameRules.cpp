// Microsoft's "Naming Files, Paths, and Namespaces"
// (https://learn.microsoft.com/windows/win32/fileio/naming-a-file) is the
// source of every rule here:
// - the reserved names CON, PRN, AUX, NUL, COM0-COM9, COM¹ COM² COM³,
//   LPT0-LPT9 and LPT¹ LPT² LPT³ ("Windows recognizes the 8-bit ISO/IEC
//   8859-1 superscript digits ¹, ², and ³ as digits"), which are to be
//   avoided "followed immediately by an extension" too: NUL.txt and
//   NUL.tar.gz are NUL. CONIN$ and CONOUT$ are the console's own devices,
//   opened by name in any folder as well.
// - the characters < > : " / \ | ? * and 0-31 that no name may hold;
// - no name ending in a space or a period, which the shell and the file
//   system drop.
// Letter case does not matter: the names are matched with ASCII case
// folded. Spaces before the extension ("CON .cur") are dropped by Windows
// as well, so they are dropped before matching.
#include "scheme/formats/NameRules.h"

#include <algorithm>

namespace shubiao::names {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// 0-9, or ¹ ² ³ in UTF-8.
bool IsPortDigit(std::string_view digit) {
    if (digit.size() == 1) return digit[0] >= '0' && digit[0] <= '9';
    return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace

bool IsDeviceName(std::string_view component) {
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (SameIgnoringAsciiCase(stem, device)) return true;
    }
    if (stem.size() < 4) return false;
    const std::string_view head = stem.substr(0, 3);
    return (SameIgnoringAsciiCase(head, "COM") || SameIgnoringAsciiCase(head, "LPT")) && IsPortDigit(stem.substr(3));
}

bool IsForbiddenInName(char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
}

bool IsSafeComponent(std::string_view component) {
    if (component.empty() || component == ".." || IsDeviceName(component)) return false;
    if (component.back() == '.' || component.back() == ' ') return false;
    return std::none_of(component.begin(), component.end(), IsForbiddenInName);
}

}  // namespace shubiao::names

#pragma once
// The rules for names that end up as file or folder names on Windows: the
// components of paths read out of a pack (a .zip's entries, an install.inf's
// file names), the last component of a scheme's cursor paths, and the name of
// a scheme, which becomes a folder under %windir%\Cursors. Portable: no
// Windows header; names are UTF-8.
#include <string_view>

namespace shubiao::names {

// Whether Windows maps `component` to a device rather than a file, in any
// folder: CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, COM and LPT followed by
// a superscript ¹ ² ³, CONIN$ and CONOUT$, in any letter case, alone or
// followed by an extension ("NUL.txt", "nul.tar.gz"), with or without
// spaces before the extension ("CON .cur").
bool IsDeviceName(std::string_view component);

// Whether `c` is a byte Windows refuses in a file or folder name: a control
// character (U+0000-U+001F) or one of < > : " / \ | ? *.
bool IsForbiddenInName(char c);

// Whether `component`, one folder or file name of a relative path, names
// what it says when Windows creates it: not empty, ".." or a device name, no
// forbidden byte, and not ending in '.' or ' ' (Windows drops those, so
// "..." and ".. " would alias other names).
bool IsSafeComponent(std::string_view component);

// The characters that change meaning in an entry of a REG_EXPAND_SZ value,
// which Windows expands before it opens the file: '%' starts a variable.
inline constexpr std::string_view kExpandedCharacters = "%";

}  // namespace shubiao::names

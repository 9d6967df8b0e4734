#pragma once
// The window's icons at a DPI: the small one taken from a file beside the
// executable, with the executable's own first icon as the fallback.
#include <windows.h>

#include <string>

#include "win/Raii.h"

namespace shubiao {

// Where the fallback icon comes from: the executable's folder and its file
// name without extension.
struct ExecutableName {
    std::wstring folder;
    std::wstring baseName;
};
ExecutableName OwnExecutable();
// folder + "\" (unless the folder already ends in one) + baseName + ".exe".
std::wstring ExecutablePathOf(const ExecutableName& executable);

// True when `path` names an existing file, hidden ones included; a folder of
// that name does not count.
bool IconFileExists(const std::wstring& path);

// Sets the small icon of `hWnd` to icon `iconIndex` of `iconFile`, at the
// small-icon size of `dpi`, counted as ExtractIcon counts icons: the icon of
// an .ico file (index 0), or the index-th icon group of an executable (a
// negative index names the group's resource id). When `iconFile` is empty or names no file it is
// replaced by the executable's path, so the caller's string then holds the
// path used. The icon handle is returned and must outlive its use by the
// window; when no icon loads, the window keeps the icon it has and the
// result is empty.
UniqueIcon SetWindowIconFromFile(HWND hWnd, std::wstring& iconFile, short iconIndex, UINT dpi,
                                 const ExecutableName& fallback = OwnExecutable());

}  // namespace shubiao

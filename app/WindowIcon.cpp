#include "app/WindowIcon.h"

#include <shellapi.h>

#include "scheme/Folders.h"

namespace shubiao {

ExecutableName OwnExecutable() {
    std::wstring name = ExecutablePath();
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return {AppFolder(), name};
}

std::wstring ExecutablePathOf(const ExecutableName& executable) {
    std::wstring path = executable.folder;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + executable.baseName + L".exe";
}

bool IconFileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

UniqueIcon SetWindowIconFromFile(HWND hWnd, std::wstring& iconFile, short iconIndex,
                                 const ExecutableName& fallback) {
    // The lookup comes first, then the length test.
    const bool found = IconFileExists(iconFile);
    if (!found || iconFile.empty()) iconFile = ExecutablePathOf(fallback);
    // Our own module for the executable's path; 0 for an icon file.
    HMODULE module = GetModuleHandleW(iconFile.c_str());
    HICON icon = ExtractIconW(module, iconFile.c_str(), static_cast<UINT>(static_cast<int>(iconIndex)));
    SendMessageW(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    // ExtractIconW answers 1 for a file that holds no icons at all: not a handle.
    return UniqueIcon(reinterpret_cast<ULONG_PTR>(icon) > 1 ? icon : nullptr);
}

}  // namespace shubiao

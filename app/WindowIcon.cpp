#include "app/WindowIcon.h"

#include "scheme/Folders.h"

namespace shubiao {
namespace {

// Looks for the icon group ExtractIcon numbers `index`: the groups in the
// order the resource directory lists them, names before numbers.
struct GroupSearch {
    int remaining;
    std::wstring name;  // a named group
    WORD id = 0;        // a numbered group
    bool found = false;
};

BOOL CALLBACK CountGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto& search = *reinterpret_cast<GroupSearch*>(param);
    if (search.remaining-- > 0) return TRUE;
    if (IS_INTRESOURCE(name)) {
        search.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else {
        search.name = name;  // valid only during the callback
    }
    search.found = true;
    return FALSE;
}

UniqueIcon LoadModuleIcon(HMODULE module, int index, int size) {
    GroupSearch search{index};
    if (index < 0) {
        search.id = static_cast<WORD>(-index);
        search.found = true;
    } else {
        EnumResourceNamesW(module, RT_GROUP_ICON, CountGroup, reinterpret_cast<LONG_PTR>(&search));
    }
    if (!search.found) return {};
    const wchar_t* name = search.name.empty() ? MAKEINTRESOURCEW(search.id) : search.name.c_str();
    return UniqueIcon(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, 0)));
}

UniqueIcon LoadIconFromFile(const std::wstring& file, int index, int size) {
    // An .ico file holds one icon.
    if (index == 0) {
        if (HANDLE icon = LoadImageW(nullptr, file.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)) {
            return UniqueIcon(static_cast<HICON>(icon));
        }
    }
    // Our own executable is loaded already.
    if (HMODULE own = GetModuleHandleW(file.c_str())) return LoadModuleIcon(own, index, size);
    // Any other executable or DLL: its resources only, no code runs.
    const UniqueModule image(
        LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!image) return {};
    return LoadModuleIcon(image.get(), index, size);
}

}  // namespace

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

UniqueIcon SetWindowIconFromFile(HWND hWnd, std::wstring& iconFile, short iconIndex, UINT dpi,
                                 const ExecutableName& fallback) {
    // The lookup comes first, then the length test.
    const bool found = IconFileExists(iconFile);
    if (!found || iconFile.empty()) iconFile = ExecutablePathOf(fallback);
    UniqueIcon icon = LoadIconFromFile(iconFile, iconIndex, GetSystemMetricsForDpi(SM_CXSMICON, dpi));
    // The window gets the new icon before the caller lets its old one go.
    if (icon) SendMessageW(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
    return icon;
}

}  // namespace shubiao

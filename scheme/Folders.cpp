#include "scheme/Folders.h"

#include <windows.h>

namespace shubiao {

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring AppFolder() {
    std::wstring path = ExecutablePath();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return path;
    // Keep the separator at a drive root ("C:\"), as the runtime reports it.
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::wstring DataStorageFolderOf(std::wstring_view appFolder) {
    std::wstring folder(appFolder);
    folder += L"\\Data storage\\Cursors\\";
    return folder;
}

std::wstring DataStorageFolder() { return DataStorageFolderOf(AppFolder()); }

std::wstring SystemSchemeFolderOf(const std::optional<std::wstring>& windir) {
    std::wstring folder = windir.value_or(std::wstring());
    folder += L"\\Cursors\\Cursors\\";
    return folder;
}

std::wstring SystemSchemeFolder() { return SystemSchemeFolderOf(EnvironmentVariable(L"windir")); }

std::optional<std::wstring> EnvironmentVariable(const wchar_t* name) {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::wstring();
    }
    std::wstring value(size, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(n < size ? n : 0);
    return value;
}

std::wstring ExpandEnvironment(const std::wstring& text) {
    if (text.find(L'%') == std::wstring::npos) return text;
    const DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0) return text;
    std::wstring expanded(size, L'\0');
    const DWORD n = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
    if (n == 0 || n > size) return text;
    expanded.resize(n - 1);
    return expanded;
}

}  // namespace shubiao

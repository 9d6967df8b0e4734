// Export and import of a scheme folder; the registry query method.
//
// An exported scheme is a plain folder with one file per role, named after
// the role ("Arrow.ani", ...), copied byte for byte out of the system scheme
// folder. The import recognises role files by name alone and hands them to
// the working scheme; nothing reaches the system before Apply.
#include <optional>
#include <string>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kExportFilter = L"资源名称(*.*)|*.*|";

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The directory query of the import: does `path` name an entry that counts
// as a role file? Plain files (read-only and archive ones included) and
// folders count; hidden and system entries do not. A path that does not
// exist gives false; any other failure is an error of the query and is
// returned in `error`.
bool RoleEntryExists(const std::wstring& path, DWORD& error) {
    error = ERROR_SUCCESS;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD failure = GetLastError();
        if (!IsNotFound(failure)) error = failure;
        return false;
    }
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

// The chosen folder in lower case followed by one backslash. A folder that
// already ends in a backslash (the root of a drive) gets none added.
std::wstring ImportPrefix(const std::wstring& folder) {
    std::wstring lower = folder;
    const int size = static_cast<int>(folder.size());
    if (size > 0 &&
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, folder.c_str(), size, lower.data(), size, nullptr,
                      nullptr, 0) != size) {
        CharLowerBuffW(lower.data(), static_cast<DWORD>(size));
    }
    if (lower.empty() || lower.back() != L'\\') lower.push_back(L'\\');
    return lower;
}

}  // namespace

// Copies the applied role files out of the system scheme folder into a
// folder the user names. A role without a file there is left out without a
// word; a role file that exists but cannot be copied is named to the user
// after the other roles were copied. The editor's state is not touched.
void ShuBiaoKong::DaoChu__SB_Click() {
    CommonDialog& dialog = ShuBianXZ();
    dialog.Filter = kExportFilter;
    if (!dialog.ShowSave(hwnd())) return;
    const std::wstring name = dialog.FileName;
    if (name.empty()) return;

    const std::wstring prefix = name + L"\\";
    const DWORD made = EnsureFolderPath(prefix);
    if (made != ERROR_SUCCESS) {
        desktop_.MessageBox(hwnd(),
                            L"无法创建导出文件夹“" + name + L"”（" + ErrorText(made) +
                                L"）。\n方案没有导出，请换一个文件夹名称再试。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }

    std::wstring failures;
    for (const int n : kExportOrder) {
        const std::wstring fileName = Role(n).FileName();
        const std::wstring source = SystemSchemeFolder() + fileName;
        const DWORD copied = CopyFileReplacing(source, prefix + fileName);
        if (copied == ERROR_SUCCESS) continue;
        // Roles never applied have no file to export.
        if (IsNotFound(copied) && GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        failures += L"\n" + fileName + L"：" + ErrorText(copied);
    }
    if (failures.empty()) return;
    desktop_.MessageBox(hwnd(), L"以下指针文件未能导出到“" + name + L"”：" + failures, kMessageTitle,
                        MB_OK | MB_ICONWARNING);
}

// Takes every role file found in a folder the user picks as the role's
// choice, empties the roles whose file is not there (the redraw refills them
// from the current settings) and redraws. A folder the file system refuses
// ends the import with a message; the roles handled before keep their values.
void ShuBiaoKong::DaoRu__SB_Click() {
    const std::optional<std::wstring> folder = desktop_.BrowseForFolder(hwnd());
    if (!folder || folder->empty()) return;
    const std::wstring prefix = ImportPrefix(*folder);

    for (const int n : kImportOrder) {
        const std::wstring fileName = Role(n).FileName();
        const std::wstring path = prefix + fileName;
        DWORD error = ERROR_SUCCESS;
        const bool found = RoleEntryExists(path, error);
        if (error != ERROR_SUCCESS) {
            throw UserError(L"无法读取文件夹“" + *folder + L"”中的“" + fileName + L"”（" + ErrorText(error) +
                            L"），导入已中止。");
        }
        if (found) {
            scheme_.RoleCursorFile(n) = path;
            scheme_.SetRoleChanged(n, true);
        } else {
            scheme_.RoleCursorFile(n).clear();
        }
    }
    JiaZaiFangAn();
}

RegistryVariant ShuBiaoKong::QueryValue(HKEY key, const std::wstring& keyName, const std::wstring& valueName) {
    return shubiao::QueryValue(key, keyName, valueName);
}

}  // namespace shubiao

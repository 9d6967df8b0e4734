// Export of a scheme folder; the registry query method.
//
// An exported scheme is a folder with one file per role, named after the
// role ("Arrow.ani", ...), copied byte for byte out of the system scheme
// folder, and an install.inf with which Windows' own setup installs it
// (right-click, 安装) as a scheme of its own.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/InfWriter.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kExportFilter = L"资源名称(*.*)|*.*|";

constexpr const wchar_t* kInstallInf = L"install.inf";

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Writes install.inf into the export folder `folder`, naming the scheme after
// the folder's own name; the Windows error, or ERROR_SUCCESS.
DWORD WriteInstallInf(const std::wstring& folder, const std::vector<std::string>& exported) {
    std::wstring trimmed = folder;
    while (trimmed.size() > 1 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
    const std::wstring folderName = trimmed.substr(trimmed.find_last_of(L"\\/") + 1);
    std::vector<std::string_view> roles(exported.begin(), exported.end());
    const std::vector<std::uint8_t> bytes = inf::WriteCursorInf(ToUtf8(folderName), roles);
    const UniqueFile file(CreateFileW((trimmed + L"\\" + kInstallInf).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return GetLastError();
    return written == bytes.size() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
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
    std::vector<std::string> exported;
    for (const int n : kExportOrder) {
        const std::wstring fileName = Role(n).FileName();
        const std::wstring source = SystemSchemeFolder() + fileName;
        const DWORD copied = CopyFileReplacing(source, prefix + fileName);
        if (copied == ERROR_SUCCESS) {
            exported.push_back(ToUtf8(Role(n).valueName));
            continue;
        }
        // Roles never applied have no file to export.
        if (IsNotFound(copied) && GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        failures += L"\n" + fileName + L"：" + ErrorText(copied);
    }
    if (exported.empty()) {
        // Nothing applied, nothing to install.
    } else if (const DWORD written = WriteInstallInf(name, exported); written != ERROR_SUCCESS) {
        failures += L"\n" + std::wstring(kInstallInf) + L"：" + ErrorText(written);
    }
    if (failures.empty()) return;
    desktop_.MessageBox(hwnd(), L"以下指针文件未能导出到“" + name + L"”：" + failures, kMessageTitle,
                        MB_OK | MB_ICONWARNING);
}

RegistryVariant ShuBiaoKong::QueryValue(HKEY key, const std::wstring& keyName, const std::wstring& valueName) {
    return shubiao::QueryValue(key, keyName, valueName);
}

}  // namespace shubiao

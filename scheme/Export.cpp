#include "scheme/Export.h"

#include <string>
#include <string_view>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/formats/InfWriter.h"
#include "win/Errors.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao {
namespace {

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

ExportResult ExportApplied(const std::wstring& name) {
    ExportResult result;
    const std::wstring prefix = name + L"\\";
    const DWORD made = EnsureFolderPath(prefix);
    if (made != ERROR_SUCCESS) {
        result.folderError = made;
        return result;
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
    result.exported = static_cast<int>(exported.size());
    result.failures = failures;
    return result;
}

int AppliedRoleFiles() {
    const std::wstring folder = SystemSchemeFolder();
    int count = 0;
    for (const CursorRole& role : kRoles) {
        const DWORD attributes = GetFileAttributesW((folder + role.FileName()).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++count;
    }
    return count;
}

}  // namespace shubiao

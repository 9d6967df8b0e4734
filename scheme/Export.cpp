#include "scheme/Export.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/Actions.h"
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

// Places `bytes` at `destination` as every action places a file; the
// failure, if any.
std::optional<ExportFailure> Place(const std::wstring& destination, const std::vector<std::uint8_t>& bytes,
                                   bool cursor) {
    StagedFile staged = StageBytes(destination, bytes, cursor);
    WriteProblem problem = staged.problem.ok() ? MoveIn(staged, destination) : staged.problem;
    if (problem.ok()) return std::nullopt;
    ExportFailure failure{destination.substr(destination.find_last_of(L'\\') + 1), problem.error, problem.cursor};
    if (problem.kind == WriteProblem::Kind::NotACursor || problem.error == ERROR_SUCCESS) {
        failure.error = ERROR_INVALID_DATA;
    }
    return failure;
}

// The install.inf of the export folder `folder`, naming the scheme after the
// folder's own name.
std::vector<std::uint8_t> InstallInf(const std::wstring& folder, const std::vector<std::string>& exported) {
    std::wstring trimmed = folder;
    while (trimmed.size() > 1 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
    const std::wstring folderName = trimmed.substr(trimmed.find_last_of(L"\\/") + 1);
    std::vector<std::string_view> roles(exported.begin(), exported.end());
    return inf::WriteCursorInf(ToUtf8(folderName), roles);
}

}  // namespace

ExportResult ExportApplied(const WriterLock& lock, const std::wstring& name) {
    ExportResult result;
    if (!lock.Covers(WriteScope::User)) {
        result.folderError = ERROR_NOT_LOCKED;
        return result;
    }
    const std::wstring prefix = name + L"\\";
    const DWORD made = EnsureFolderPath(prefix);
    if (made != ERROR_SUCCESS) {
        result.folderError = made;
        return result;
    }

    std::vector<std::string> exported;
    for (const int n : kExportOrder) {
        const std::wstring fileName = Role(n).FileName();
        const std::wstring source = SystemSchemeFolder() + fileName;
        const CursorBytes read = ReadCursorBytes(source);
        // Roles never applied have no file to export.
        if (IsNotFound(read.error) && GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (read.error != ERROR_SUCCESS) {
            result.failures.push_back({fileName, read.error, {}});
            continue;
        }
        if (std::optional<ExportFailure> failure = Place(prefix + fileName, read.bytes, true)) {
            result.failures.push_back(std::move(*failure));
            continue;
        }
        exported.push_back(ToUtf8(Role(n).valueName));
    }
    if (!exported.empty()) {
        if (std::optional<ExportFailure> failure = Place(prefix + kInstallInf, InstallInf(name, exported), false)) {
            result.failures.push_back(std::move(*failure));
        }
    }
    result.exported = static_cast<int>(exported.size());
    return result;
}

std::wstring ExportFailure::Why() const {
    return cursor.fault != CursorFault::None ? cursor.Describe() : ErrorText(error);
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

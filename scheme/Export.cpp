#include "scheme/Export.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/Actions.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/formats/InfWriter.h"
#include "win/Errors.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kInstallInf = L"install.inf";

// The file role `role`'s value in force names, expanded; empty for Windows'
// default (no value, or an empty one).
std::wstring FileInForce(const registry::KeyReader& settings, int role) {
    std::wstring data;
    if (settings.Read(Role(role).valueName, data) != ERROR_SUCCESS) return {};
    return ExpandEnvironment(data);
}

// Places `bytes` at `destination` as every action places a file; the
// failure, if any.
std::optional<ExportFailure> Place(const std::wstring& destination, const std::vector<std::uint8_t>& bytes,
                                   bool cursor) {
    StagedFile staged = StageBytes(destination, bytes, cursor);
    WriteProblem problem = staged.problem.ok() ? MoveIn(staged, destination) : staged.problem;
    if (problem.ok()) return std::nullopt;
    ExportFailure failure{destination.substr(destination.find_last_of(L'\\') + 1), {}, problem.error, problem.cursor};
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

ExportResult ExportInForce(const WriterLock& lock, const std::wstring& name) {
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

    const registry::KeyReader settings(kCursorsKeyPath);
    std::vector<std::string> exported;
    for (const int n : kExportOrder) {
        const std::wstring fileName = Role(n).FileName();
        const std::wstring source = FileInForce(settings, n);
        if (source.empty()) continue;  // Windows' default
        const CursorBytes read = ReadCursorBytes(source);
        if (read.error != ERROR_SUCCESS) {
            result.failures.push_back({fileName, source, read.error, {}});
            continue;
        }
        if (std::optional<ExportFailure> failure = Place(prefix + fileName, read.bytes, true)) {
            failure->source = source;
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

int RolesInForce() {
    const registry::KeyReader settings(kCursorsKeyPath);
    int count = 0;
    for (const CursorRole& role : kRoles) count += FileInForce(settings, role.number).empty() ? 0 : 1;
    return count;
}

}  // namespace shubiao

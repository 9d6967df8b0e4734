#pragma once
// File operations shared by Apply, Restore, export and import.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "win/Raii.h"

namespace shubiao {

// Creates every missing folder of `path` up to its last backslash (a path
// ending in "\" is a folder). ERROR_SUCCESS when the folder exists afterwards,
// otherwise the Windows error (ERROR_ALREADY_EXISTS when a file of that name
// is in the way).
DWORD EnsureFolderPath(const std::wstring& path);

// The names of the files (not folders) directly in `folder` (ending in a
// backslash) that match `pattern`, as FindFirstFileW lists them; none when
// the folder cannot be listed.
std::vector<std::wstring> FileNamesIn(const std::wstring& folder, const wchar_t* pattern = L"*");

// A problem of `kind` with Windows' `error` and the `path` it concerns, for
// the problem types of the writing actions (WriteProblem, HistoryProblem).
template <typename ProblemType>
ProblemType MakeProblem(typename ProblemType::Kind kind, DWORD error = ERROR_SUCCESS, std::wstring path = {}) {
    ProblemType problem;
    problem.kind = kind;
    problem.error = error;
    problem.path = std::move(path);
    return problem;
}

// The full path Windows makes of `path`; empty when it cannot.
std::wstring FullPath(const std::wstring& path);

// True when both paths name the same existing file (also through different
// spellings of the path).
bool SameFile(const std::wstring& a, const std::wstring& b);

// Copies `source` over `destination`, replacing a file that is there.
// ERROR_SUCCESS or the Windows error. Copying a file onto itself succeeds
// without touching it.
DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination);

// Writes `bytes` as the file `path` (replacing one that is there) and leaves
// it open for writing in `file`, e.g. to flush it later. ERROR_SUCCESS or the
// Windows error, with `file` closed.
DWORD WriteFileOpen(const std::wstring& path, const std::vector<std::uint8_t>& bytes, UniqueFile& file);
// Writes `bytes` as a new file at `path`, replacing one that is there; with
// `flush`, waits until they are on the disk. ERROR_SUCCESS or the error.
DWORD WriteNewFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool flush = false);

// Tests only: while `folder` is set (non-empty), WriteNewFile and
// WriteFileOpen refuse every
// file whose path starts with it with `error`, as a disk or a share that
// will not take a write does. Empty ends it.
void SetFailWritesUnder(std::wstring folder, DWORD error = ERROR_WRITE_FAULT);

// A file that is deleted when the guard goes, unless it was kept (moved into
// its place, say).
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    TemporaryFile(TemporaryFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    ~TemporaryFile() { Delete(); }
    // Deletes the file now (unless it was kept).
    void Delete() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
        path_.clear();
    }
    const std::wstring& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};

}  // namespace shubiao

#include "scheme/FileOps.h"

#include <mutex>
#include <utility>

#include "win/Raii.h"

namespace shubiao {
namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Length of the part of `path` that cannot be created: "C:" , "\\server\share"
// or "\\?\C:".
size_t RootLength(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) {
        const size_t next = path.find(L'\\', 4);
        return next == std::wstring::npos ? path.size() : next;
    }
    if (path.rfind(L"\\\\", 0) == 0) {
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return path.size();
        const size_t share = path.find(L'\\', server + 1);
        return share == std::wstring::npos ? path.size() : share;
    }
    if (path.size() >= 2 && path[1] == L':') return 2;
    return 0;
}

}  // namespace

DWORD EnsureFolderPath(const std::wstring& path) {
    const size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos) return ERROR_SUCCESS;
    const std::wstring folder = path.substr(0, last);
    if (folder.empty() || IsFolder(folder)) return ERROR_SUCCESS;

    for (size_t at = RootLength(folder); at != std::wstring::npos;) {
        const size_t next = folder.find_first_of(L"\\/", at + 1);
        const std::wstring part = folder.substr(0, next);
        at = next;
        if (part.empty() || part.back() == L'\\' || part.back() == L'/' || IsFolder(part)) continue;
        if (!CreateDirectoryW(part.c_str(), nullptr)) {
            const DWORD error = GetLastError();
            if (error != ERROR_ALREADY_EXISTS || !IsFolder(part)) return error;
        }
    }
    return IsFolder(folder) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const UniqueFind find(FindFirstFileW((folder + pattern).c_str(), &found));
    if (!find) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
    } while (FindNextFileW(find.get(), &found));
    return names;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::wstring full(n, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return {};
    full.resize(written);
    return full;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    auto open = [](const std::wstring& path) {
        return UniqueFile(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    };
    const UniqueFile first = open(a);
    const UniqueFile second = open(b);
    if (!first || !second) return false;
    BY_HANDLE_FILE_INFORMATION x{};
    BY_HANDLE_FILE_INFORMATION y{};
    if (!GetFileInformationByHandle(first.get(), &x) || !GetFileInformationByHandle(second.get(), &y)) return false;
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination) {
    if (SameFile(source, destination)) return ERROR_SUCCESS;
    if (CopyFileW(source.c_str(), destination.c_str(), FALSE)) return ERROR_SUCCESS;
    return GetLastError();
}

namespace {
struct WriteFault {
    std::mutex guard;
    std::wstring folder;
    DWORD error = ERROR_SUCCESS;
};
WriteFault& Fault() {
    static WriteFault fault;
    return fault;
}
DWORD InjectedWriteError(const std::wstring& path) {
    WriteFault& fault = Fault();
    std::lock_guard lock(fault.guard);
    if (fault.folder.empty() || path.size() < fault.folder.size()) return ERROR_SUCCESS;
    return CompareStringOrdinal(path.c_str(), static_cast<int>(fault.folder.size()), fault.folder.c_str(),
                                static_cast<int>(fault.folder.size()), TRUE) == CSTR_EQUAL
               ? fault.error
               : ERROR_SUCCESS;
}
}  // namespace

void SetFailWritesUnder(std::wstring folder, DWORD error) {
    WriteFault& fault = Fault();
    std::lock_guard lock(fault.guard);
    fault.folder = std::move(folder);
    fault.error = error;
}

DWORD WriteFileOpen(const std::wstring& path, const std::vector<std::uint8_t>& bytes, UniqueFile& file) {
    file.reset();
    if (const DWORD injected = InjectedWriteError(path); injected != ERROR_SUCCESS) return injected;
    UniqueFile written(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written) return GetLastError();
    DWORD count = 0;
    if (!WriteFile(written.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr)) return GetLastError();
    if (count != bytes.size()) return ERROR_WRITE_FAULT;
    file = std::move(written);
    return ERROR_SUCCESS;
}

DWORD WriteNewFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool flush) {
    UniqueFile file;
    if (const DWORD error = WriteFileOpen(path, bytes, file); error != ERROR_SUCCESS) return error;
    return !flush || FlushFileBuffers(file.get()) ? ERROR_SUCCESS : GetLastError();
}

}  // namespace shubiao

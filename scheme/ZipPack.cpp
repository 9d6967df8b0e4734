// Unpacking a .zip pack into %TEMP%\ShuBiao\<folder>\.
//
// Choices made here, and why:
// - A folder is named "<pid>-<process creation time, 16 hex digits>-<n>".
//   A later start removes the folders whose process no longer runs: the
//   pid alone could have been given to another process since, the pair
//   cannot. This rather than a lock file held open inside the folder: a
//   folder is owned from the moment CreateDirectoryW makes it (a lock file
//   would leave a moment in which a starting ShuBiao sees an unowned folder
//   and deletes it), and a process keeps no handle open per archive.
// - A pid that OpenProcess refuses for lack of rights belongs to a process
//   that runs (under another account): its folders are kept.
// - Every path composed for an entry is checked to be what Windows makes of
//   it (GetFullPathNameW gives it back unchanged) and to lie under the
//   folder, although the reader already refused every name that could
//   leave it. A folder is checked and made once per archive; every file's
//   own path is checked.
// - Deleting never follows a link: a junction or symbolic link met inside
//   a folder is removed itself, not what it points to.
// - Entry names without the UTF-8 flag are read in the OEM code page, as
//   Windows' own "compressed folders" write them, unless they are
//   well-formed UTF-8 with letters beyond ASCII: macOS writes its names so
//   without setting the flag, and text in GBK (or another OEM code page) is
//   hardly ever well-formed UTF-8 by chance.
#include "scheme/ZipPack.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_set>

#include "scheme/FileOps.h"
#include "scheme/formats/TextEncoding.h"
#include "scheme/formats/ZipReader.h"
#include "win/Errors.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao {
namespace {

// The archive's bytes through its file handle.
class FileSource : public zip::Source {
public:
    FileSource(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const std::uint64_t at = offset + done;
            OVERLAPPED where{};
            where.Offset = static_cast<DWORD>(at);
            where.OffsetHigh = static_cast<DWORD>(at >> 32);
            const auto want = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file_, buffer.data() + done, want, &got, &where)) {
                error_ = GetLastError();
                return false;
            }
            if (got == 0) {
                error_ = ERROR_HANDLE_EOF;
                return false;
            }
            done += got;
        }
        return true;
    }
    DWORD error() const { return error_; }

private:
    HANDLE file_;
    std::uint64_t size_;
    DWORD error_ = ERROR_SUCCESS;
};

bool DecodeEntryName(std::string_view bytes, std::string& utf8) {
    bool beyondAscii = false;
    for (const char c : bytes) beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
    if (beyondAscii) {
        std::string asUtf8;
        if (AppendSanitizedUtf8(bytes, asUtf8)) {
            utf8 = std::move(asUtf8);
            return true;
        }
    }
    if (bytes.empty()) return true;
    const UINT codePage = GetOEMCP();
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0) return false;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n);
    utf8 = ToUtf8(wide);
    return true;
}

std::wstring ArchiveErrorText(zip::ArchiveError error, DWORD readError) {
    switch (error) {
        case zip::ArchiveError::None: return {};
        case zip::ArchiveError::NotZip: return L"不是 ZIP 文件";
        case zip::ArchiveError::Truncated: return L"文件不完整";
        case zip::ArchiveError::Damaged: return L"ZIP 文件已损坏";
        case zip::ArchiveError::MultiDisk: return L"不支持分卷压缩";
        case zip::ArchiveError::Zip64: return L"不支持 ZIP64 格式";
        case zip::ArchiveError::TooManyEntries: return L"条目过多（超过 10000 个）";
        case zip::ArchiveError::TooLarge: return L"解压后过大（超过 64 MB）";
        case zip::ArchiveError::ReadFailed: return ErrorText(readError != ERROR_SUCCESS ? readError : ERROR_READ_FAULT);
    }
    return ErrorText(ERROR_INVALID_DATA);
}

std::wstring ProblemText(zip::EntryProblem problem, DWORD readError) {
    switch (problem) {
        case zip::EntryProblem::None: return {};
        case zip::EntryProblem::UnsafeName: return L"文件名不安全";
        case zip::EntryProblem::NameTooLong: return L"文件名过长";
        case zip::EntryProblem::Duplicate: return L"文件名重复";
        case zip::EntryProblem::Encrypted: return L"已加密";
        case zip::EntryProblem::UnsupportedMethod: return L"不支持的压缩方式";
        case zip::EntryProblem::TooLarge: return L"文件过大";
        case zip::EntryProblem::RatioTooHigh: return L"压缩比异常";
        case zip::EntryProblem::BadCrc: return L"校验失败";
        case zip::EntryProblem::Corrupt: return L"数据损坏";
        case zip::EntryProblem::ReadFailed: return ErrorText(readError != ERROR_SUCCESS ? readError : ERROR_READ_FAULT);
    }
    return ErrorText(ERROR_INVALID_DATA);
}

std::wstring LastName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && EqualNoCase(std::wstring_view(text).substr(0, prefix.size()), prefix);
}

// A composed path that Windows takes as written and that lies below `folder`.
bool StaysInside(const std::wstring& folder, const std::wstring& path) {
    return StartsWithNoCase(path, folder + L"\\") && path.size() > folder.size() + 1 && FullPath(path) == path;
}

ULONGLONG CreationTime(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::wstring Hex16(ULONGLONG value) {
    std::wstring text(16, L'0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = L"0123456789abcdef"[value & 0xF];
    return text;
}

// "<pid>-<creation time>-": the start of the names of this process's folders.
const std::wstring& OwnPrefix() {
    static const std::wstring prefix =
        std::to_wstring(GetCurrentProcessId()) + L"-" + Hex16(CreationTime(GetCurrentProcess())) + L"-";
    return prefix;
}

// Reads "<pid>-<16 hex digits>-<n>".
bool ParseFolderName(const std::wstring& name, DWORD& pid, ULONGLONG& created) {
    const size_t dash = name.find(L'-');
    if (dash == 0 || dash == std::wstring::npos || dash > 10 || name.size() < dash + 1 + 16 + 2) return false;
    if (name[dash + 17] != L'-') return false;
    ULONGLONG id = 0;
    for (size_t i = 0; i < dash; ++i) {
        if (name[i] < L'0' || name[i] > L'9') return false;
        id = id * 10 + static_cast<ULONGLONG>(name[i] - L'0');
    }
    if (id > 0xFFFFFFFFull) return false;
    created = 0;
    for (size_t i = dash + 1; i < dash + 17; ++i) {
        const wchar_t c = name[i];
        const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
        if (digit < 0) return false;
        created = (created << 4) | static_cast<ULONGLONG>(digit);
    }
    for (size_t i = dash + 18; i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9') return false;
    }
    pid = static_cast<DWORD>(id);
    return true;
}

// Whether the process that made a folder still runs.
bool StillRuns(DWORD pid, ULONGLONG created) {
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.get(), &exitCode) && exitCode != STILL_ACTIVE) return false;
    return CreationTime(process.get()) == created;
}

bool IsPlainFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Removes a link itself: a junction or a directory symbolic link is an
// empty directory to RemoveDirectoryW, a file symbolic link a file.
void RemoveLink(const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveDirectoryW(path.c_str());
    } else {
        DeleteFileW(path.c_str());
    }
}

void DeleteTreeBelow(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const UniqueFind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            const DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                RemoveLink(child, attributes);
            } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                DeleteTreeBelow(child);
                RemoveDirectoryW(child.c_str());
            } else {
                if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find.get(), &found));
    }
}

// Deletes one unpack folder and what it holds; nothing outside UnpackRoot().
void DeleteUnpackFolder(const std::wstring& folder) {
    const std::wstring root = UnpackRoot();
    if (root.empty() || !StaysInside(root, folder) || folder.find(L'\\', root.size() + 1) != std::wstring::npos) return;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!IsPlainFolder(attributes)) {
        RemoveLink(folder, attributes);
        return;
    }
    DeleteTreeBelow(folder);
    RemoveDirectoryW(folder.c_str());
}

// Makes a new folder of this process under UnpackRoot(); its path, or
// empty with `error` set.
std::wstring MakeUnpackFolder(DWORD& error) {
    static std::atomic<unsigned> next{0};
    const std::wstring root = UnpackRoot();
    if (root.empty()) {
        error = GetLastError();
        return {};
    }
    if (!CreateDirectoryW(root.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        error = GetLastError();
        return {};
    }
    if (!IsPlainFolder(GetFileAttributesW(root.c_str()))) {
        error = ERROR_DIRECTORY;
        return {};
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = root + L"\\" + OwnPrefix() + std::to_wstring(next++);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            error = GetLastError();
            return {};
        }
    }
    error = ERROR_ALREADY_EXISTS;
    return {};
}

// Writes one entry below `folder`, making its folders; empty, or why not.
// `made` holds the folders this archive has made and checked already, as
// composed here: each is made and checked once per archive rather than once
// per entry below it, so that 10,000 entries 90 folders down cost about what
// they cost in one folder.
std::wstring WriteEntry(const std::wstring& folder, const std::string& path, std::span<const std::uint8_t> bytes,
                        std::unordered_set<std::wstring>& made) {
    const std::optional<std::wstring> wide = FromUtf8(path);
    if (!wide || wide->empty()) return L"文件名不安全";
    std::wstring at = folder;
    size_t start = 0;
    for (;;) {
        const size_t slash = wide->find(L'/', start);
        at += L"\\" + wide->substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
        if (slash == std::wstring::npos) break;
        start = slash + 1;
        if (made.contains(at)) continue;
        if (!StaysInside(folder, at)) return L"文件名不安全";
        if (!CreateDirectoryW(at.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return ErrorText(GetLastError());
        if (!IsPlainFolder(GetFileAttributesW(at.c_str()))) return ErrorText(ERROR_ALREADY_EXISTS);
        made.insert(at);
    }
    if (!StaysInside(folder, at)) return L"文件名不安全";
    UniqueFile file(CreateFileW(at.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ErrorText(GetLastError());
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const auto want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file.get(), bytes.data() + done, want, &written, nullptr) || written == 0) {
            const DWORD error = GetLastError();
            file.reset();
            DeleteFileW(at.c_str());
            return ErrorText(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
        }
        done += written;
    }
    return {};
}

// "pack.zip\sub\a.cur" for an entry name as the reader gives it.
std::wstring ShownEntry(const std::wstring& archiveName, const std::string& name) {
    std::wstring shown = FromUtf8(name).value_or(L"?");
    for (wchar_t& c : shown) {
        if (c == L'/') c = L'\\';
    }
    return archiveName + L"\\" + shown;
}

}  // namespace

UnpackedZip::UnpackedZip(std::wstring folder, std::wstring archiveName)
    : folder_(std::move(folder)), archiveName_(std::move(archiveName)) {}

UnpackedZip::~UnpackedZip() { DeleteUnpackFolder(folder_); }

std::wstring UnpackedZip::ShownPath(const std::wstring& path) const {
    if (EqualNoCase(path, folder_)) return archiveName_;
    if (!StartsWithNoCase(path, folder_ + L"\\")) return path;
    return archiveName_ + path.substr(folder_.size());
}

std::wstring UnpackRoot() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(static_cast<DWORD>(std::size(temp)), temp);
    if (n == 0 || n > MAX_PATH) return {};
    // GetTempPathW may give 8.3 names; the paths shown and compared are long.
    std::wstring base(temp, n);
    wchar_t longer[MAX_PATH + 1];
    const DWORD m = GetLongPathNameW(base.c_str(), longer, static_cast<DWORD>(std::size(longer)));
    if (m > 0 && m <= MAX_PATH) base.assign(longer, m);
    base = FullPath(base);
    if (base.empty()) return {};
    if (base.back() != L'\\') base += L'\\';
    return base + L"ShuBiao";
}

ZipUnpack UnpackZip(const std::wstring& zipPath) {
    ZipUnpack result;
    result.archiveName = LastName(zipPath);
    const UniqueFile file(CreateFileW(zipPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        result.error = ErrorText(GetLastError());
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        result.error = ErrorText(GetLastError());
        return result;
    }
    FileSource source(file.get(), static_cast<std::uint64_t>(size.QuadPart));
    const zip::Directory directory = zip::ReadDirectory(source, DecodeEntryName);
    if (directory.error != zip::ArchiveError::None) {
        result.error = ArchiveErrorText(directory.error, source.error());
        return result;
    }
    DWORD error = ERROR_SUCCESS;
    const std::wstring folder = MakeUnpackFolder(error);
    if (folder.empty()) {
        result.error = ErrorText(error);
        return result;
    }
    auto unpacked = std::make_shared<const UnpackedZip>(folder, result.archiveName);

    // The directory's refusals and the extraction's, in archive order.
    std::vector<std::pair<size_t, std::pair<std::wstring, std::wstring>>> skipped;
    for (const zip::Skipped& s : directory.skipped) {
        skipped.push_back({s.index, {ShownEntry(result.archiveName, s.name), ProblemText(s.problem, ERROR_SUCCESS)}});
    }
    std::vector<std::uint8_t> bytes;
    std::unordered_set<std::wstring> made;
    for (const zip::Entry& entry : directory.entries) {
        const zip::EntryProblem problem = zip::Extract(source, entry, bytes);
        std::wstring reason = problem != zip::EntryProblem::None ? ProblemText(problem, source.error())
                                                                 : WriteEntry(folder, entry.path, bytes, made);
        if (reason.empty()) {
            ++result.filesWritten;
        } else {
            skipped.push_back({entry.index, {ShownEntry(result.archiveName, entry.path), std::move(reason)}});
        }
    }
    std::stable_sort(skipped.begin(), skipped.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& s : skipped) result.skipped.push_back(std::move(s.second));
    result.unpacked = std::move(unpacked);
    return result;
}

void RemoveStaleUnpackFolders() {
    const std::wstring root = UnpackRoot();
    if (root.empty() || !IsPlainFolder(GetFileAttributesW(root.c_str()))) return;
    WIN32_FIND_DATAW found{};
    const UniqueFind find(FindFirstFileExW((root + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    std::vector<std::wstring> stale;
    do {
        const std::wstring name = found.cFileName;
        DWORD pid = 0;
        ULONGLONG created = 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || !ParseFolderName(name, pid, created)) continue;
        if (!StillRuns(pid, created)) stale.push_back(root + L"\\" + name);
    } while (FindNextFileW(find.get(), &found));
    for (const std::wstring& folder : stale) DeleteUnpackFolder(folder);
}

}  // namespace shubiao

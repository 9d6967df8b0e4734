#include "scheme/CursorBytes.h"

#include <utility>

#include "scheme/Folders.h"
#include "win/Errors.h"

namespace shubiao {
namespace {

std::function<void(const std::wstring&)>& Probe() {
    static std::function<void(const std::wstring&)> probe;
    return probe;
}

// CreateFileW refuses a folder with "access denied"; for the user it is
// simply not a cursor file that exists.
DWORD OpenError(const std::wstring& file) {
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    return error;
}

CursorLoad Failed(const CursorBytes& read) {
    CursorLoad load;
    static_cast<CursorProblem&>(load) = read.Problem();
    return load;
}

// The texts of the kinds of CursorProblem, in the order of the kinds; the
// checker's own text stands for BadContent, Windows' error text between the
// brackets of Unreadable.
struct ProblemText {
    CursorProblem::Kind kind;
    const wchar_t* text;
};
constexpr ProblemText kProblemTexts[] = {
    {CursorProblem::Kind::None, L""},
    {CursorProblem::Kind::Missing, L"找不到该光标文件。"},
    {CursorProblem::Kind::Unreadable, L"无法读取该光标文件（%）。"},
    {CursorProblem::Kind::BadContent, L"%"},
    {CursorProblem::Kind::NotLoadable, L"系统无法把该文件加载为光标。"},
};

}  // namespace

CursorProblem::Kind CursorProblem::Classify() const {
    if (fault != CursorFault::None) return Kind::BadContent;
    switch (error) {
    case ERROR_SUCCESS:
        return Kind::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return Kind::Missing;
    case ERROR_INVALID_DATA:
        return Kind::NotLoadable;
    default:
        return Kind::Unreadable;
    }
}

std::wstring CursorProblem::Describe() const {
    const Kind kind = Classify();
    std::wstring text;
    for (const ProblemText& entry : kProblemTexts) {
        if (entry.kind == kind) text = entry.text;
    }
    const size_t slot = text.find(L'%');
    if (slot != std::wstring::npos) {
        text.replace(slot, 1, kind == Kind::BadContent ? std::wstring(DescribeCursorFault(fault)) : ErrorText(error));
    }
    return text;
}

std::wstring CursorLoad::Describe() const {
    if (ok()) return {};
    // No cursor and nothing said why: Windows made nothing of the file.
    if (Classify() == Kind::None) return CursorProblem{fault, ERROR_INVALID_DATA}.Describe();
    return CursorProblem::Describe();
}

CursorBytes ReadCursorBytes(const std::wstring& file, HANDLE handle, bool check) {
    CursorBytes read;
    UniqueFile own;
    if (handle == nullptr) {
        own.reset(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!own) {
            read.error = OpenError(file);
            return read;
        }
        handle = own.get();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        read.error = GetLastError();
        return read;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxCursorFileBytes) {
        read.check = {CursorFault::TooLarge, CursorFileKind::Unknown};
        return read;
    }
    read.bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!read.bytes.empty() &&
        (!ReadFile(handle, read.bytes.data(), static_cast<DWORD>(read.bytes.size()), &got, nullptr) ||
         got != read.bytes.size())) {
        // Cut short while it was read: being written, not a cursor to use now.
        read.error = got != read.bytes.size() && GetLastError() == ERROR_SUCCESS ? ERROR_READ_FAULT : GetLastError();
        read.bytes.clear();
        return read;
    }
    if (check) read.check = CheckCursorBytes(read.bytes);
    return read;
}

CursorLoad LoadPointerChecked(const std::wstring& path) {
    CursorLoad load;
    const std::wstring file = ExpandEnvironment(path);
    if (file.empty()) {
        load.error = ERROR_FILE_NOT_FOUND;
        return load;
    }
    // Held with read sharing only until the loader is done: nobody can write,
    // rename or delete the file meanwhile, so the loader reads the bytes
    // that were checked. Windows' loader opens the file for reading, which
    // this share mode allows (CreateFileW: a later open for reading succeeds
    // when every open handle shares reading).
    const UniqueFile held(
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!held) {
        load.error = OpenError(file);
        return load;
    }
    const CursorBytes read = ReadCursorBytes(file, held.get());
    if (read.error != ERROR_SUCCESS || !read.check.ok()) return Failed(read);
    return LoadHeldPointer(file);
}

CursorLoad LoadHeldPointer(const std::wstring& file) {
    CursorLoad load;
    if (Probe()) Probe()(file);
    HCURSOR cursor = LoadCursorFromFileW(file.c_str());
    if (cursor == nullptr) {
        load.error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_DATA;
        return load;
    }
    load.cursor.reset(cursor);
    return load;
}

ScopedLoaderProbe::ScopedLoaderProbe(std::function<void(const std::wstring& file)> probe) {
    Probe() = std::move(probe);
}

ScopedLoaderProbe::~ScopedLoaderProbe() { Probe() = nullptr; }

}  // namespace shubiao

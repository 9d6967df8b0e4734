#include "scheme/History.h"

#include <bcrypt.h>

#include <algorithm>
#include <array>
#include <optional>
#include <cstdio>
#include <set>

#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "win/Errors.h"
#include "win/Raii.h"

namespace shubiao {
namespace {

using history::RecordedState;
using history::RecordedValue;
using history::ValueKind;

constexpr const wchar_t* kIndexName = L"index";

struct AlgorithmTraits {
    static BCRYPT_ALG_HANDLE invalid() { return nullptr; }
    static void close(BCRYPT_ALG_HANDLE h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
    static BCRYPT_HASH_HANDLE invalid() { return nullptr; }
    static void close(BCRYPT_HASH_HANDLE h) { BCryptDestroyHash(h); }
};

// The SHA-256 of `bytes` in lowercase hex; empty when BCrypt refuses.
std::string Sha256(const std::vector<std::uint8_t>& bytes) {
    static const Unique<BCRYPT_ALG_HANDLE, AlgorithmTraits> algorithm = [] {
        Unique<BCRYPT_ALG_HANDLE, AlgorithmTraits> opened;
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(opened.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
            opened.reset();
        }
        return opened;
    }();
    if (!algorithm) return {};
    Unique<BCRYPT_HASH_HANDLE, HashTraits> hash;
    std::array<UCHAR, 32> digest{};
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0)) ||
        !BCRYPT_SUCCESS(BCryptHashData(hash.get(), const_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(bytes.size()), 0)) ||
        !BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
        return {};
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const UCHAR b : digest) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
std::wstring Text(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

HistoryProblem Problem(HistoryProblem::Kind kind, DWORD error = ERROR_SUCCESS, std::wstring path = {}) {
    HistoryProblem problem;
    problem.kind = kind;
    problem.error = error;
    problem.path = std::move(path);
    return problem;
}

// The whole of a file of at most `limit` bytes.
DWORD ReadWhole(const std::wstring& path, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return GetLastError();
    // One byte more than allowed is read, so that the reader sees it is too large.
    const std::size_t wanted = static_cast<std::size_t>(std::min<LONGLONG>(size.QuadPart, static_cast<LONGLONG>(limit) + 1));
    bytes.resize(wanted);
    DWORD read = 0;
    if (wanted > 0 && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(wanted), &read, nullptr)) return GetLastError();
    bytes.resize(read);
    return ERROR_SUCCESS;
}

// The values in force and the bytes of the usable files they name.
struct InForce {
    RecordedState state;
    std::array<std::vector<std::uint8_t>, kRoleCount> files;
};

// The file a recorded value names, as Apply reads the settings.
std::wstring NamedFile(const RecordedValue& value) { return ExpandEnvironment(Text(value.text)); }

InForce ReadInForce() {
    InForce now;
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    now.state.time = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    const library::InForce scheme = library::ReadInForce();
    now.state.scheme = {true, std::u16string(scheme.name.begin(), scheme.name.end()), scheme.source};
    const registry::ValueList values =
        registry::EnumerateValues(kCursorsKeyPath, 1024, history::kMaxValueBytes + sizeof(wchar_t));
    for (const registry::ValueData& found : values.values) {
        const CursorRole* role = FindRole(found.name);
        if (role == nullptr) continue;
        RecordedValue& value = now.state.roles[RoleIndex(role->number)];
        value.kind = ValueKind::Other;
        if ((found.type != REG_SZ && found.type != REG_EXPAND_SZ) || found.tooLarge || found.data.size() % 2 != 0) {
            continue;
        }
        value.kind = found.type == REG_SZ ? ValueKind::Sz : ValueKind::ExpandSz;
        for (size_t i = 0; i + 1 < found.data.size(); i += 2) {
            value.text += static_cast<char16_t>(found.data[i] | (found.data[i + 1] << 8));
        }
        // The terminating NUL is not part of the text.
        if (!value.text.empty() && value.text.back() == u'\0') value.text.pop_back();
        if (value.text.size() * 2 > history::kMaxValueBytes) {
            value = {ValueKind::Other, {}, {}};
            continue;
        }
        const std::wstring file = NamedFile(value);
        if (file.empty()) continue;
        CursorBytes read = ReadCursorBytes(file);
        if (read.error != ERROR_SUCCESS || !read.check.ok()) continue;  // named, but nothing usable to keep
        value.content = Sha256(read.bytes);
        if (!value.content.empty()) now.files[RoleIndex(role->number)] = std::move(read.bytes);
    }
    return now;
}

// The history as the index says, or why it cannot be read. A missing index
// (or folder) is an empty history.
struct Loaded {
    HistoryProblem problem;
    std::vector<RecordedState> states;
};
Loaded Load(const std::wstring& folder) {
    Loaded loaded;
    const std::wstring index = folder + kIndexName;
    std::vector<std::uint8_t> bytes;
    if (const DWORD error = ReadWhole(index, history::kMaxIndexBytes, bytes); error != ERROR_SUCCESS) {
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            loaded.problem = Problem(HistoryProblem::Kind::Unreadable, error, index);
        }
        return loaded;
    }
    history::IndexRead read = history::ReadIndex(bytes);
    if (!read.ok()) {
        loaded.problem = Problem(HistoryProblem::Kind::Damaged, ERROR_INVALID_DATA, index);
        loaded.problem.fault = read.fault;
        loaded.problem.line = read.line;
        return loaded;
    }
    loaded.states = std::move(read.states);
    return loaded;
}

// Keeps `bytes` as the content file `name`: written beside it, flushed and
// moved in, unless a file of that name already holds exactly these bytes.
DWORD Keep(const std::wstring& folder, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::wstring path = folder + Wide(name);
    std::vector<std::uint8_t> there;
    if (ReadWhole(path, bytes.size(), there) == ERROR_SUCCESS && there == bytes) return ERROR_SUCCESS;
    TemporaryFile staged(folder + L"~" + Wide(name) + L".tmp");
    if (const DWORD error = WriteNewFile(staged.path(), bytes, true); error != ERROR_SUCCESS) return error;
    if (!MoveFileExW(staged.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return GetLastError();
    }
    staged.Keep();
    return ERROR_SUCCESS;
}

// Adds `now` as the newest state, its files kept first; the oldest state
// goes when there are more than the history keeps.
HistoryProblem Push(const std::wstring& folder, std::vector<RecordedState>& states, const InForce& now) {
    if (const DWORD error = EnsureFolderPath(folder); error != ERROR_SUCCESS) {
        return Problem(HistoryProblem::Kind::NotWritten, error, folder);
    }
    for (size_t i = 0; i < kRoleCount; ++i) {
        const std::string& content = now.state.roles[i].content;
        if (content.empty()) continue;
        if (const DWORD error = Keep(folder, content, now.files[i]); error != ERROR_SUCCESS) {
            return Problem(HistoryProblem::Kind::NotWritten, error, folder + Wide(content));
        }
    }
    states.push_back(now.state);
    if (states.size() > history::kMaxStates) states.erase(states.begin(), states.end() - history::kMaxStates);
    return {};
}

// Deletes the content files no state names, and copies left by a write that
// was cut short.
void Prune(const std::wstring& folder, const std::vector<RecordedState>& states) {
    std::set<std::wstring> named;
    for (const RecordedState& state : states) {
        for (const RecordedValue& value : state.roles) {
            if (!value.content.empty()) named.insert(Wide(value.content));
        }
    }
    std::vector<std::wstring> unnamed;
    {
        WIN32_FIND_DATAW found{};
        UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &found));
        if (!find) return;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            const std::wstring name = found.cFileName;
            const bool content = history::IsContentName(std::string(name.begin(), name.end())) &&
                                 std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; });
            const bool leftOver = name.size() > 5 && name.front() == L'~' && name.ends_with(L".tmp");
            if ((content && named.count(name) == 0) || leftOver) unnamed.push_back(name);
        } while (FindNextFileW(find.get(), &found));
    }
    for (const std::wstring& name : unnamed) DeleteFileW((folder + name).c_str());
}

// Writes the index of `states` as a new file, flushed, moved over the old
// one; then the files it no longer names go.
HistoryProblem Save(const std::wstring& folder, const std::vector<RecordedState>& states) {
    if (const DWORD error = EnsureFolderPath(folder); error != ERROR_SUCCESS) {
        return Problem(HistoryProblem::Kind::NotWritten, error, folder);
    }
    const std::string text = history::WriteIndex(states);
    const std::wstring index = folder + kIndexName;
    TemporaryFile staged(index + L".new");
    if (const DWORD error = WriteNewFile(staged.path(), std::vector<std::uint8_t>(text.begin(), text.end()), true);
        error != ERROR_SUCCESS) {
        return Problem(HistoryProblem::Kind::NotWritten, error, index);
    }
    if (!MoveFileExW(staged.path().c_str(), index.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Problem(HistoryProblem::Kind::NotWritten, GetLastError(), index);
    }
    staged.Keep();
    Prune(folder, states);
    return {};
}

bool IsNewest(const std::vector<RecordedState>& states, const RecordedState& state) {
    return !states.empty() && states.back().SameAs(state);
}

// The kept bytes of a recorded value, or why there are none usable.
std::optional<std::wstring> KeptBytes(const std::wstring& folder, const RecordedValue& value,
                                      std::vector<std::uint8_t>& bytes) {
    if (value.kind == ValueKind::Other) return L"当时的设置不是文字，无法恢复。";
    if (value.content.empty()) return L"当时它指向的文件无法使用，没有留存。";
    const CursorBytes kept = ReadCursorBytes(folder + Wide(value.content));
    if (kept.Problem().Classify() == CursorProblem::Kind::Missing) return L"留存的文件已不存在。";
    if (kept.error != ERROR_SUCCESS) return L"无法读取留存的文件（" + ErrorText(kept.error) + L"）。";
    if (Sha256(kept.bytes) != value.content) return L"留存的文件已损坏。";
    if (!kept.check.ok()) return L"留存的文件不是可用的光标文件：" + kept.Problem().Describe();
    bytes = kept.bytes;
    return std::nullopt;
}

}  // namespace

std::wstring DescribeHistoryProblem(const HistoryProblem& problem) {
    const auto code = [&] { return L"（" + ErrorText(problem.error) + L"）"; };
    switch (problem.kind) {
    case HistoryProblem::Kind::None:
        return {};
    case HistoryProblem::Kind::NotLocked:
        return L"没有取得更改鼠标指针的锁。";
    case HistoryProblem::Kind::NoStore:
        return L"Windows 没有给出本地应用程序数据文件夹，无法保存更改记录。";
    case HistoryProblem::Kind::Damaged:
        return L"更改记录“" + problem.path + L"”已损坏，不能使用。";
    case HistoryProblem::Kind::Unreadable:
        return L"无法读取更改记录“" + problem.path + L"”" + code() + L"。";
    case HistoryProblem::Kind::NotWritten:
        if (problem.error == ERROR_ALREADY_EXISTS) {
            return L"无法建立文件夹“" + problem.path + L"”：该位置上已有同名的文件。";
        }
        return L"无法写入更改记录“" + problem.path + L"”" + code() + L"。";
    }
    return {};
}

std::wstring LocalTimeText(std::uint64_t time) {
    FILETIME file{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&file, &utc)) return L"?";
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    wchar_t text[32] = {};
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
             local.wMinute, local.wSecond);
    return text;
}

static HistoryProblem Record(const WriterLock& lock);

HistoryProblem RecordPointersInForce(const WriterLock& lock) noexcept {
    try {
        return Record(lock);
    } catch (...) {
        return Problem(HistoryProblem::Kind::NotWritten, ERROR_OUTOFMEMORY);
    }
}

static HistoryProblem Record(const WriterLock& lock) {
    if (!lock.Covers(WriteScope::User)) return Problem(HistoryProblem::Kind::NotLocked, ERROR_NOT_LOCKED);
    const std::wstring folder = HistoryFolder();
    if (folder.empty()) return Problem(HistoryProblem::Kind::NoStore, ERROR_PATH_NOT_FOUND);
    Loaded loaded = Load(folder);
    if (loaded.problem.kind == HistoryProblem::Kind::Damaged) {
        // Kept for whoever wants to look at it; a new history begins.
        const std::wstring index = folder + kIndexName;
        MoveFileExW(index.c_str(), (index + L".damaged").c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else if (!loaded.problem.ok()) {
        return loaded.problem;
    }
    const InForce now = ReadInForce();
    if (IsNewest(loaded.states, now.state)) return {};
    if (HistoryProblem pushed = Push(folder, loaded.states, now); !pushed.ok()) return pushed;
    HistoryProblem saved = Save(folder, loaded.states);
    return saved.ok() ? loaded.problem : saved;
}

UndoPreview PeekUndo() {
    UndoPreview preview;
    const std::wstring folder = HistoryFolder();
    if (folder.empty()) return preview;
    Loaded loaded = Load(folder);
    preview.problem = loaded.problem;
    if (!loaded.problem.ok()) return preview;
    const std::vector<RecordedState>& states = loaded.states;
    if (!IsNewest(states, ReadInForce().state)) {
        // What is in force would be recorded first: the way back is to the newest.
        preview.possible = !states.empty();
        if (preview.possible) preview.time = states.back().time;
    } else if (states.size() >= 2) {
        preview.possible = true;
        preview.time = states[states.size() - 2].time;
    }
    return preview;
}

UndoOutcome UndoLastChange(const WriterLock& lock, PointerSystem& system) {
    UndoOutcome outcome;
    const auto fail = [&](UndoOutcome::Kind kind) {
        outcome.kind = kind;
        return outcome;
    };
    if (!lock.Covers(WriteScope::User)) {
        outcome.history = Problem(HistoryProblem::Kind::NotLocked, ERROR_NOT_LOCKED);
        return fail(UndoOutcome::Kind::History);
    }
    const std::wstring folder = HistoryFolder();
    if (folder.empty()) {
        outcome.history = Problem(HistoryProblem::Kind::NoStore, ERROR_PATH_NOT_FOUND);
        return fail(UndoOutcome::Kind::History);
    }
    Loaded loaded = Load(folder);
    if (!loaded.problem.ok()) {
        outcome.history = loaded.problem;
        return fail(UndoOutcome::Kind::History);
    }
    std::vector<RecordedState>& states = loaded.states;
    const InForce now = ReadInForce();
    // Changed behind ShuBiao's back: what is in force is recorded first (once
    // undo goes ahead), so that undo goes back from what the user actually had.
    const bool recordFirst = !IsNewest(states, now.state);
    if (states.empty() || (!recordFirst && states.size() < 2)) return fail(UndoOutcome::Kind::NothingToUndo);
    const RecordedState target = recordFirst ? states.back() : states[states.size() - 2];
    outcome.time = target.time;

    // Every file of the state checked before anything changes.
    const std::wstring applied = AppliedFolder();
    std::vector<RoleBytes> toPlace;
    for (const CursorRole& role : kRoles) {
        const RecordedValue& value = target.roles[RoleIndex(role.number)];
        if (value.kind == ValueKind::Absent || (value.kind != ValueKind::Other && value.text.empty())) continue;
        std::vector<std::uint8_t> bytes;
        if (const std::optional<std::wstring> why = KeptBytes(folder, value, bytes)) {
            outcome.lost.emplace_back(role.number, *why);
            continue;
        }
        const CursorBytes there = ReadCursorBytes(NamedFile(value));
        if (there.error != ERROR_SUCCESS || there.bytes != bytes) toPlace.push_back({role.number, std::move(bytes)});
    }
    if (!outcome.lost.empty()) return fail(UndoOutcome::Kind::FilesLost);
    if (recordFirst) {
        if (HistoryProblem pushed = Push(folder, states, now); !pushed.ok()) {
            outcome.history = pushed;
            return fail(UndoOutcome::Kind::History);
        }
    }
    std::array<std::wstring, kRoleCount> placedAt{};
    if (!toPlace.empty() && applied.empty()) {
        outcome.placement.kind = WriteProblem::Kind::FolderNotMade;
        outcome.placement.error = ERROR_PATH_NOT_FOUND;
        return fail(UndoOutcome::Kind::NotPlaced);
    }
    if (!toPlace.empty()) {
        const Placement placement = PlaceFiles(applied, toPlace, Placing::AllOrNothing);
        if (!placement.problem.ok()) {
            outcome.placement = placement.problem;
            return fail(UndoOutcome::Kind::NotPlaced);
        }
        for (const PlacedRole& placed : placement.roles) placedAt[RoleIndex(placed.role)] = placed.file;
    }

    registry::KeyWriter writer(kCursorsKeyPath);
    int written = 0;
    for (const CursorRole& role : kRoles) {
        const size_t index = RoleIndex(role.number);
        const RecordedValue& value = target.roles[index];
        LSTATUS status = ERROR_SUCCESS;
        if (value.kind == ValueKind::Absent) {
            status = writer.Delete(role.valueName);
            if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
        } else if (!placedAt[index].empty()) {
            status = writer.Write(role.valueName, placedAt[index]);
        } else if (value.kind == ValueKind::ExpandSz) {
            status = writer.WriteExpandable(role.valueName, Text(value.text));
        } else {
            status = writer.Write(role.valueName, Text(value.text));
        }
        if (status == ERROR_SUCCESS) {
            ++written;
        } else {
            outcome.notWritten.emplace_back(role.number, status);
        }
    }
    if (written == 0) return fail(UndoOutcome::Kind::Refused);
    // The scheme's name goes back with its pointers, so that the lists mark
    // the scheme in force that is in force again.
    if (target.scheme.recorded) {
        outcome.schemeNotWritten =
            library::SetInForce(std::wstring(target.scheme.name.begin(), target.scheme.name.end()), target.scheme.source);
    }
    system.ReloadSystemCursors();

    // The newest state goes; what is in force now (the state brought back,
    // perhaps naming copies placed afresh) takes the place of the one before.
    InForce after = ReadInForce();
    after.state.time = outcome.time;
    states.pop_back();
    states.pop_back();
    outcome.history = Push(folder, states, after);
    if (outcome.history.ok()) outcome.history = Save(folder, states);
    outcome.kind = outcome.notWritten.empty() && outcome.schemeNotWritten == ERROR_SUCCESS ? UndoOutcome::Kind::Undone
                                                                                          : UndoOutcome::Kind::Partly;
    return outcome;
}

}  // namespace shubiao

#include "scheme/History.h"

#include "scheme/Profiler.h"

#include <bcrypt.h>

#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <cstdio>
#include <set>

#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/FileStamp.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "win/Dll.h"
#include "win/Errors.h"
#include "win/Raii.h"

namespace shubiao {
namespace {

using history::RecordedState;
using history::RecordedValue;
using history::ValueKind;

constexpr const wchar_t* kIndexName = L"index";

// BCrypt is loaded when the history first hashes a file, not when the
// program starts (win/Dll.h).
template <typename F>
F* Bcrypt(const char* name) {
    return SystemFunction<F>(L"bcrypt.dll", name);
}

struct AlgorithmTraits {
    static BCRYPT_ALG_HANDLE invalid() { return nullptr; }
    static void close(BCRYPT_ALG_HANDLE h) {
        if (const auto close = Bcrypt<decltype(::BCryptCloseAlgorithmProvider)>("BCryptCloseAlgorithmProvider")) {
            close(h, 0);
        }
    }
};
struct HashTraits {
    static BCRYPT_HASH_HANDLE invalid() { return nullptr; }
    static void close(BCRYPT_HASH_HANDLE h) {
        if (const auto destroy = Bcrypt<decltype(::BCryptDestroyHash)>("BCryptDestroyHash")) destroy(h);
    }
};

// The SHA-256 of `bytes` in lowercase hex; empty when BCrypt refuses.
std::string Sha256(const std::vector<std::uint8_t>& bytes) {
    static const auto openProvider = Bcrypt<decltype(::BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider");
    static const auto createHash = Bcrypt<decltype(::BCryptCreateHash)>("BCryptCreateHash");
    static const auto hashData = Bcrypt<decltype(::BCryptHashData)>("BCryptHashData");
    static const auto finishHash = Bcrypt<decltype(::BCryptFinishHash)>("BCryptFinishHash");
    static const Unique<BCRYPT_ALG_HANDLE, AlgorithmTraits> algorithm = [] {
        Unique<BCRYPT_ALG_HANDLE, AlgorithmTraits> opened;
        if (openProvider == nullptr ||
            !BCRYPT_SUCCESS(openProvider(opened.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
            opened.reset();
        }
        return opened;
    }();
    if (!algorithm || createHash == nullptr || hashData == nullptr || finishHash == nullptr) return {};
    Unique<BCRYPT_HASH_HANDLE, HashTraits> hash;
    std::array<UCHAR, 32> digest{};
    if (!BCRYPT_SUCCESS(createHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0)) ||
        !BCRYPT_SUCCESS(hashData(hash.get(), const_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(bytes.size()), 0)) ||
        !BCRYPT_SUCCESS(finishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
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
    return MakeProblem<HistoryProblem>(kind, error, std::move(path));
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

// What this process last learnt of the usable cursor files it met (those in
// force, those it placed and those it kept): each file's stamp when its
// bytes were read, checked and hashed, or written by ShuBiao itself. A file
// whose stamp is the same is taken to hold the same bytes without reading
// it again. That assumes whoever changes a file's bytes moves its stamp: its
// size, or its last-write time, which Windows sets on every write through a
// handle; a write that keeps the size inside the same tick of the file
// system's clock (about 15 ms on NTFS), or that sets the old time back
// afterwards, is not seen until the stamp moves. So that such a write by
// someone else cannot hide behind a file just read, a file read within
// kSettlingTicks of its last write is not remembered, and is read again
// next time. The copies Apply and undo have just placed in the user's store
// are remembered at once: what that leaves out is another program writing
// the same number of bytes into ShuBiao's own copy within the same tick.
class KnownFiles {
public:
    static KnownFiles& Instance() {
        static KnownFiles known;
        return known;
    }
    // The SHA-256 of the file at `path` when its stamp is the remembered one.
    std::optional<std::string> Content(const std::wstring& path, const FileStamp& stamp) {
        const std::lock_guard guard(mutex_);
        const auto found = files_.find(path);
        if (!stamp.present || found == files_.end() || !(found->second.stamp == stamp)) return std::nullopt;
        return found->second.content;
    }
    void Remember(const std::wstring& path, const FileStamp& stamp, std::string content) {
        if (!stamp.present || content.empty()) return;
        const std::lock_guard guard(mutex_);
        // A bound, not a policy: a session meets a few dozen files.
        if (files_.size() >= kMaxFiles && files_.count(path) == 0) files_.clear();
        files_[path] = {stamp, std::move(content)};
    }
    // Remembers what was read now, unless it was written too recently to
    // tell a later write in the same tick apart.
    void RememberRead(const std::wstring& path, const FileStamp& stamp, std::string content) {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        const ULONGLONG ticks = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
        if (stamp.written + kSettlingTicks > ticks) return;
        Remember(path, stamp, std::move(content));
    }

private:
    static constexpr std::size_t kMaxFiles = 256;
    static constexpr ULONGLONG kSettlingTicks = 2 * 10'000'000ull;  // two seconds, in FILETIME units
    struct Known {
        FileStamp stamp;
        std::string content;
    };
    std::mutex mutex_;
    std::map<std::wstring, Known> files_;
};

// The usable cursor file at `path`: its SHA-256 (empty when it is not usable
// or BCrypt refuses), from KnownFiles while its stamp holds; otherwise read,
// checked and hashed, its bytes left in `read`.
std::string ContentOf(const std::wstring& path, CursorBytes& read) {
    const FileStamp stamp = FileStamp::Of(path);
    if (std::optional<std::string> known = KnownFiles::Instance().Content(path, stamp)) return *known;
    read = ReadCursorBytes(path);
    if (read.error != ERROR_SUCCESS || !read.check.ok()) return {};
    std::string content = Sha256(read.bytes);
    KnownFiles::Instance().RememberRead(path, stamp, content);
    return content;
}

// The values in force and the bytes of the usable files they name (those
// read; a file KnownFiles vouches for is not read, and is read by Push only
// if the history does not hold it yet).
struct InForce {
    RecordedState state;
    std::array<std::vector<std::uint8_t>, kRoleCount> files;
    std::array<std::wstring, kRoleCount> paths;  // the file each value names, expanded
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
        CursorBytes read;
        value.content = ContentOf(file, read);  // empty: named, but nothing usable to keep
        if (!value.content.empty()) {
            now.files[RoleIndex(role->number)] = std::move(read.bytes);
            now.paths[RoleIndex(role->number)] = file;
        }
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

// True when the content file `name` needs no keeping: a file the index
// names was flushed and moved in before the index named it, so being there
// is enough (undo checks its bytes before it uses them), and a file this
// process checked is known by its stamp.
bool AlreadyKept(const std::wstring& folder, const std::string& name, const std::set<std::string>& named) {
    const std::wstring path = folder + Wide(name);
    const FileStamp stamp = FileStamp::Of(path);
    if (!stamp.present || (stamp.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    return named.count(name) != 0 || KnownFiles::Instance().Content(path, stamp) == name;
}

// Adds `now` as the newest state, its files kept first; the oldest state
// goes when there are more than the history keeps.
HistoryProblem Push(const std::wstring& folder, std::vector<RecordedState>& states, const InForce& now) {
    if (const DWORD error = EnsureFolderPath(folder); error != ERROR_SUCCESS) {
        return Problem(HistoryProblem::Kind::NotWritten, error, folder);
    }
    std::set<std::string> named;
    for (const RecordedState& state : states) {
        for (const RecordedValue& value : state.roles) named.insert(value.content);
    }
    for (size_t i = 0; i < kRoleCount; ++i) {
        const std::string& content = now.state.roles[i].content;
        if (content.empty() || AlreadyKept(folder, content, named)) continue;
        const std::vector<std::uint8_t>* bytes = &now.files[i];
        CursorBytes read;
        if (bytes->empty()) {
            // Vouched for by its stamp when the values were read: read now,
            // and it must still be those bytes.
            read = ReadCursorBytes(now.paths[i]);
            if (read.error != ERROR_SUCCESS || !read.check.ok() || Sha256(read.bytes) != content) {
                return Problem(HistoryProblem::Kind::NotWritten,
                               read.error != ERROR_SUCCESS ? read.error : static_cast<DWORD>(ERROR_INVALID_DATA),
                               now.paths[i]);
            }
            bytes = &read.bytes;
        }
        if (const DWORD error = Keep(folder, content, *bytes); error != ERROR_SUCCESS) {
            return Problem(HistoryProblem::Kind::NotWritten, error, folder + Wide(content));
        }
        Mark(nullptr, "keep a file of the history");
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
    for (const std::wstring& name : FileNamesIn(folder)) {
        const bool content = history::IsContentName(std::string(name.begin(), name.end())) &&
                             std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; });
        const bool leftOver = name.size() > 5 && name.front() == L'~' && name.ends_with(L".tmp");
        if ((content && named.count(name) == 0) || leftOver) DeleteFileW((folder + name).c_str());
    }
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
    Mark(nullptr, "write the history's index");
    Prune(folder, states);
    return {};
}

bool IsNewest(const std::vector<RecordedState>& states, const RecordedState& state) {
    return !states.empty() && states.back().SameAs(state);
}

// Checks the kept file of a recorded value: nullopt when it is whole and
// usable, otherwise why not. Its bytes are left in `bytes` when they were
// read; a file whose stamp KnownFiles vouches for is read only when
// `needBytes`.
std::optional<std::wstring> KeptBytes(const std::wstring& folder, const RecordedValue& value,
                                      std::vector<std::uint8_t>& bytes, bool needBytes = true) {
    if (value.kind == ValueKind::Other) return L"当时的设置不是文字，无法恢复。";
    if (value.content.empty()) return L"当时它指向的文件无法使用，没有留存。";
    const std::wstring path = folder + Wide(value.content);
    const FileStamp stamp = FileStamp::Of(path);
    if (!needBytes && KnownFiles::Instance().Content(path, stamp) == value.content) return std::nullopt;
    const CursorBytes kept = ReadCursorBytes(path);
    if (kept.Problem().Classify() == CursorProblem::Kind::Missing) return L"留存的文件已不存在。";
    if (kept.error != ERROR_SUCCESS) return L"无法读取留存的文件（" + ErrorText(kept.error) + L"）。";
    if (Sha256(kept.bytes) != value.content) return L"留存的文件已损坏。";
    if (!kept.check.ok()) return L"留存的文件不是可用的光标文件：" + kept.Problem().Describe();
    KnownFiles::Instance().RememberRead(path, stamp, value.content);
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

std::string PlacedFileDigest(const std::vector<std::uint8_t>& bytes) {
    try {
        return Sha256(bytes);
    } catch (...) {
        return {};
    }
}

void NotePlacedFile(const std::wstring& path, const std::string& digest) {
    if (digest.empty()) return;  // not remembered: the file is read when it is next recorded
    try {
        KnownFiles::Instance().Remember(path, FileStamp::Of(path), digest);
    } catch (...) {
        // Not remembered: the file is read when it is next recorded.
    }
}

void NotePlacedFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    NotePlacedFile(path, PlacedFileDigest(bytes));
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
        if (const std::optional<std::wstring> why = KeptBytes(folder, value, bytes, false)) {
            outcome.lost.emplace_back(role.number, *why);
            continue;
        }
        CursorBytes there;
        if (ContentOf(NamedFile(value), there) == value.content) continue;  // still in place
        if (bytes.empty()) {
            if (const std::optional<std::wstring> why = KeptBytes(folder, value, bytes)) {
                outcome.lost.emplace_back(role.number, *why);
                continue;
            }
        }
        toPlace.push_back({role.number, std::move(bytes)});
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
        Mark(nullptr, "place the kept files");
        for (const PlacedRole& placed : placement.roles) {
            placedAt[RoleIndex(placed.role)] = placed.file;
            const std::string& content = target.roles[RoleIndex(placed.role)].content;
            KnownFiles::Instance().Remember(placed.file, FileStamp::Of(placed.file), content);
        }
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
        Mark(nullptr, "write the setting");
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

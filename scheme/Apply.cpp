#include "scheme/Apply.h"

#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scheme/Actions.h"
#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/History.h"
#include "scheme/Store.h"
#include "win/Errors.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using Problem = RoleOutcome::Problem;

RoleOutcome Unchanged(Problem problem, DWORD error = ERROR_SUCCESS, std::wstring path = {}) {
    RoleOutcome outcome;
    outcome.kind = RoleOutcome::Kind::Unchanged;
    outcome.problem = problem;
    outcome.error = error;
    outcome.path = std::move(path);
    return outcome;
}

RoleOutcome NotACursor(const CursorProblem& cursor) {
    RoleOutcome outcome = Unchanged(Problem::NotACursor);
    outcome.cursor = cursor;
    return outcome;
}

// A load that gave no cursor, as a problem: when the loader said nothing,
// Windows made nothing of the file.
CursorProblem ProblemOf(const CursorLoad& load) {
    if (load.Classify() == CursorProblem::Kind::None) return {load.fault, ERROR_INVALID_DATA};
    return {load.fault, load.error};
}

// Why a file that was to be read could not be. A missing or unreadable
// source has words of its own: the file was chosen earlier and has gone or
// changed since.
RoleOutcome SourceProblem(const CursorBytes& read) {
    const CursorProblem problem = read.Problem();
    switch (problem.Classify()) {
    case CursorProblem::Kind::Missing:
        return Unchanged(Problem::SourceMissing);
    case CursorProblem::Kind::Unreadable:
        return Unchanged(Problem::SourceUnreadable, problem.error);
    default:
        return NotACursor(problem);
    }
}

// The file at `path` as it lies now: read and checked, and for a role that
// goes live also loaded as a pointer while it cannot change. `ok` when it
// can be used.
struct PlacedCheck {
    UniqueCursor pointer;
    bool ok = true;
    CursorProblem problem;
};
PlacedCheck CheckPlaced(const CursorRole& role, const std::wstring& path) {
    PlacedCheck result;
    if (role.HasSystemCursor()) {
        CursorLoad load = LoadPointerChecked(path);
        if (!load.ok()) {
            result.ok = false;
            result.problem = ProblemOf(load);
        }
        result.pointer = std::move(load.cursor);
        return result;
    }
    const CursorBytes read = ReadCursorBytes(path);
    if (read.error != ERROR_SUCCESS || !read.check.ok()) {
        result.ok = false;
        result.problem = read.Problem();
    }
    return result;
}

// True when `file` is spelled as `destination`, the role's copy in the store
// (e.g. the applied folder was imported and its files chosen). Only the
// spelling is compared: a path that reaches the copy another way (a link, a
// short name) takes the general route, which stages the same bytes and
// renames them over the copy, with the same result. Opening both files to
// compare their ids would cost more under Wine than the rest of reading the
// chosen file.
bool SpelledAs(const std::wstring& file, const std::wstring& destination) {
    const std::wstring full = FullPath(file);
    return !full.empty() && EqualNoCase(full, FullPath(destination));
}

// The role's checked file, placed at `destination` in place of whatever was
// there, which is kept aside until the setting names the new file.
class PlacedFile {
public:
    PlacedFile(std::wstring destination, std::wstring aside)
        : destination_(std::move(destination)), aside_(std::move(aside)) {}
    PlacedFile(const PlacedFile&) = delete;
    PlacedFile& operator=(const PlacedFile&) = delete;
    ~PlacedFile() { Commit(); }

    // The new file stays: the old one, kept aside, goes.
    void Commit() {
        if (hasAside_) DeleteFileW(aside_.c_str());
        hasAside_ = false;
    }

    // Moves `staged` to the destination; the file that was there goes aside.
    // ERROR_SUCCESS, or the error with everything as it was.
    DWORD Place(const std::wstring& staged) {
        const DWORD attributes = GetFileAttributesW(destination_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return ERROR_ACCESS_DENIED;  // a folder of that name is not ours to move
        }
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (!MoveFileExW(destination_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING)) return GetLastError();
            hasAside_ = true;
        }
        if (MoveFileExW(staged.c_str(), destination_.c_str(), MOVEFILE_REPLACE_EXISTING)) return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        Undo();
        return error;
    }

    // Puts back what was there before (or nothing); false when it cannot.
    bool Undo() {
        if (hasAside_) {
            if (!MoveFileExW(aside_.c_str(), destination_.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
            hasAside_ = false;
            return true;
        }
        return DeleteFileW(destination_.c_str()) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
    }

private:
    std::wstring destination_;
    std::wstring aside_;
    bool hasAside_ = false;
};

// The settings Apply reads and writes, each key opened once for all roles.
struct Settings {
    registry::KeyReader reader{kCursorsKeyPath};
    registry::KeyWriter writer{kCursorsKeyPath};

    // True when the role's setting already names `destination`.
    bool Names(const CursorRole& role, const std::wstring& destination) const {
        std::wstring data;
        return reader.Read(role.valueName, data) == ERROR_SUCCESS &&
               EqualNoCase(ExpandEnvironment(data), destination);
    }
};

// One changed role on its way through Apply.
struct RoleInProgress {
    const CursorRole* role = nullptr;
    bool windowsDefault = false;
    std::optional<RoleOutcome> decided;  // already settled before anything is written
    std::wstring destination;
    bool inPlace = false;                // the chosen file is the role's copy already
    CursorBytes read;                    // the chosen file, read and checked
    const std::vector<std::uint8_t>* bytes = nullptr;  // what is placed: `read.bytes` or its filled copy
    FillNote filled;
    std::string digest;                  // of `*bytes`, for the history
};

// The first half of a role: the chosen file read and checked (and filled),
// before anything is written.
void ReadRole(RoleInProgress& role, const std::wstring& source, const std::wstring& folder, Profiler* profiler,
              SizeFill* fill) {
    role.destination = folder + role.role->FileName();
    const std::wstring file = ExpandEnvironment(source);
    if (file.empty()) {
        role.decided = Unchanged(Problem::SourceMissing);
        return;
    }
    // With 补齐尺寸 even the file in place is read, filled and staged anew.
    if (fill == nullptr && SpelledAs(file, role.destination)) {  // e.g. the applied folder was imported
        role.inPlace = true;
        return;
    }
    role.read = ReadCursorBytes(file);
    if (role.read.error != ERROR_SUCCESS || !role.read.check.ok()) {
        role.decided = SourceProblem(role.read);
        return;
    }
    Mark(profiler, "read and check the chosen file");
    // The bytes passed the checker as read, and a filled copy passed it
    // inside FillSizes: the copy is only compared with them, and a role
    // that goes live loads it while it is held.
    role.bytes = fill != nullptr ? &fill->BytesFor(role.read.bytes, role.filled) : &role.read.bytes;
    if (fill != nullptr) Mark(profiler, "fill in the sizes");
}

// The second half, in an order that keeps every outcome true to its word and
// never lets the setting name a missing or unchecked file. The copy of the
// chosen bytes was written beside the destination, flushed to the disk and
// read back there as exactly those bytes (StageAll, every role's together;
// a role that goes live loads it while nothing else can write it); then:
// - when the setting already names the destination (an earlier Apply), the
//   setting is written first and the copy then takes the destination's
//   place: should either fail, the setting still names the file it named;
// - otherwise the copy takes the destination's place (a file there kept
//   aside), then the setting is written: should that fail, what was there
//   goes back, so the role is wholly unchanged; should even that fail, the
//   outcome says that the file alone changed.
// Only then is the live pointer replaced.
//
// The moves are not asked to write through: copy and destination share a
// folder, so each is a rename within one volume, which the flag does not make
// any more atomic; it would only wait for the disk. The copy's bytes are on
// the disk before its rename, so that a power cut after the rename cannot
// leave the destination naming bytes that never reached it.
RoleOutcome PlaceRole(PointerSystem& desktop, RoleInProgress& progress, StagedFile* staged, const std::wstring& folder,
                      HCURSOR& handedOver, Settings& settings, Profiler* profiler) {
    const CursorRole& role = *progress.role;
    const std::wstring& destination = progress.destination;
    auto writeSetting = [&]() -> LSTATUS {
        const LSTATUS status = settings.writer.Write(role.valueName, destination);
        Mark(profiler, "write the setting");
        return status;
    };

    UniqueCursor loaded;
    if (progress.inPlace) {
        PlacedCheck check = CheckPlaced(role, destination);
        if (!check.ok) return NotACursor(check.problem);
        loaded = std::move(check.pointer);
        Mark(profiler, "check the file already in place");
        if (const LSTATUS status = writeSetting(); status != ERROR_SUCCESS) {
            return Unchanged(Problem::RegistryNotWritten, static_cast<DWORD>(status));
        }
    } else {
        TemporaryFile& copy = staged->file;
        switch (staged->problem.kind) {
        case WriteProblem::Kind::None:
            break;
        case WriteProblem::Kind::NotWritten:
            return Unchanged(Problem::FolderNotWritable, staged->problem.error, folder);
        case WriteProblem::Kind::NotACursor:
            return NotACursor(staged->problem.cursor);
        default:
            return Unchanged(Problem::ReadBackDiffers, staged->problem.error, folder);
        }
        PlacedCheck check;
        if (role.HasSystemCursor()) {
            CursorLoad load = LoadHeldPointer(copy.path());
            staged->held.reset();
            if (!load.ok()) return NotACursor(ProblemOf(load));
            check.pointer = std::move(load.cursor);
            Mark(profiler, "load the pointer of a role that goes live");
        }
        PlacedFile placed(destination, folder + L"~" + role.FileName() + L".old");
        if (settings.Names(role, destination)) {
            if (const LSTATUS status = writeSetting(); status != ERROR_SUCCESS) {
                return Unchanged(Problem::RegistryNotWritten, static_cast<DWORD>(status));
            }
            if (!MoveFileExW(copy.path().c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
                return Unchanged(Problem::FolderNotWritable, GetLastError(), folder);
            }
            Mark(profiler, "put the copy in place");
        } else {
            if (const DWORD error = placed.Place(copy.path()); error != ERROR_SUCCESS) {
                return Unchanged(Problem::FolderNotWritable, error, folder);
            }
            Mark(profiler, "put the copy in place");
            if (const LSTATUS status = writeSetting(); status != ERROR_SUCCESS) {
                copy.Keep();  // moved; nothing of that name is left to delete
                if (placed.Undo()) return Unchanged(Problem::RegistryNotWritten, static_cast<DWORD>(status));
                RoleOutcome outcome = Unchanged(Problem::OnlyFileReplaced, static_cast<DWORD>(status), destination);
                outcome.kind = RoleOutcome::Kind::FileOnly;
                return outcome;
            }
            placed.Commit();
        }
        copy.Keep();
        NotePlacedFile(destination, progress.digest);  // of the bytes staged, filled or not
        Mark(profiler, "remember the placed file (its stamp)");
        loaded = std::move(check.pointer);  // the same bytes now lie at `destination`
    }

    if (role.HasSystemCursor() && loaded) {
        HCURSOR cursor = loaded.release();
        if (desktop.SetSystemCursor(cursor, role.systemCursorId)) {
            handedOver = cursor;
        } else {
            DestroyCursor(cursor);  // still ours; the setting takes effect at the next sign-in
        }
    }
    Mark(profiler, "replace the live pointer");
    RoleOutcome applied;
    applied.fill = progress.filled;
    return applied;
}

// Windows' default for one role, as Windows' own "Use Default" does it: the
// role's value goes, then its copy in the user's store; Windows then reloads the pointers from the
// settings. A value that is already missing is no failure.
RoleOutcome RemoveRole(const CursorRole& role, const std::wstring& folder, Settings& settings) {
    const LSTATUS status = settings.writer.Delete(role.valueName);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        return Unchanged(Problem::SettingNotDeleted, static_cast<DWORD>(status));
    }
    if (folder.empty()) return {};  // no store: no copy of ours to remove
    const std::wstring copy = folder + role.FileName();
    DeleteFileW(copy.c_str());  // a copy that will not go is only a file no setting names
    return {};
}

// What a run that ended while it placed a role's copy left in the applied
// folder. It held the writer lock then, and this run holds it now, so that
// run has ended. Its staged copy "~<Role>.ani.tmp" goes. The file it had set
// aside, "~<Role>.ani.old", goes back to its place when that is empty (the
// run ended between its two moves, and the setting still names that place),
// and otherwise goes. Only these names of the seventeen roles are touched,
// found in one look at the folder; every other file stays.
void TidyAppliedFolder(const std::wstring& folder) {
    std::vector<std::wstring> staged;
    std::vector<std::wstring> aside;
    for (const std::wstring& name : FileNamesIn(folder, L"~*")) {
        for (const CursorRole& role : kRoles) {
            if (EqualNoCase(name, L"~" + role.FileName() + L".tmp")) staged.push_back(name);
            if (EqualNoCase(name, L"~" + role.FileName() + L".old")) aside.push_back(role.FileName());
        }
    }
    for (const std::wstring& name : staged) DeleteFileW((folder + name).c_str());
    for (const std::wstring& name : aside) {
        const std::wstring place = folder + name;
        const std::wstring old = folder + L"~" + name + L".old";
        if (GetFileAttributesW(place.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) {
            MoveFileExW(old.c_str(), place.c_str(), 0);  // one that will not move stays for the next Apply
            continue;
        }
        DeleteFileW(old.c_str());
    }
}

}  // namespace

std::vector<std::vector<std::uint8_t>> ChosenFileBytes(const WorkingScheme& scheme) {
    std::vector<std::vector<std::uint8_t>> files;
    for (const CursorRole& role : kRoles) {
        if (!scheme.RoleChanged(role.number) || scheme.WindowsDefault(role.number)) continue;
        const std::wstring file = ExpandEnvironment(scheme.RoleCursorFile(role.number));
        if (file.empty()) continue;
        CursorBytes read = ReadCursorBytes(file);
        if (read.error == ERROR_SUCCESS && read.check.ok()) files.push_back(std::move(read.bytes));
    }
    return files;
}

void FillChosenFiles(const WorkingScheme& scheme, SizeFill& fill) {
    for (std::vector<std::uint8_t>& bytes : ChosenFileBytes(scheme)) {
        if (fill.Holds(bytes)) continue;
        FilledCursor filled = FillSizes(bytes);
        fill.Add(std::move(bytes), std::move(filled));
    }
}

SkipReport ApplyChangedRoles(const WriterLock& lock, PointerSystem& system, const WorkingScheme& scheme,
                             HCURSOR& handedOver, Profiler* profiler,
                             const std::function<void(int role, const RoleOutcome&)>& roleDone, SizeFill* fill) {
    // The user's own store: never a folder another user's settings name.
    const std::wstring folder = AppliedFolder();
    const bool locked = lock.Covers(WriteScope::User);
    if (locked && !folder.empty() && fill != nullptr) {
        try {
            FillChosenFiles(scheme, *fill);
        } catch (...) {
            // A fill that fails here fails again for its role, which then says why.
        }
    }
    if (locked) {
        if (!folder.empty()) TidyAppliedFolder(folder);
        RecordPointersInForce(lock);  // the way back; a history that cannot be written does not stop Apply
        Mark(profiler, "record the pointers in force (history)");
    }
    const DWORD folderError = !locked         ? ERROR_NOT_LOCKED
                              : folder.empty() ? ERROR_PATH_NOT_FOUND
                                               : EnsureFolderPath(folder);
    auto failed = [] {
        RoleOutcome outcome = Unchanged(Problem::Failed);
        outcome.detail = DescribeCurrentException();
        return outcome;
    };

    // Every changed role's file read and checked first, then every copy
    // staged at once (all written, the history's digests made while their
    // bytes go to the disk, then each flushed and read back), then role by
    // role placed.
    std::vector<RoleInProgress> roles;
    roles.reserve(std::size(kRoles));  // `bytes` may point into an element: no reallocation
    for (const CursorRole& role : kRoles) {
        if (!scheme.RoleChanged(role.number)) continue;
        RoleInProgress& progress = roles.emplace_back();
        progress.role = &role;
        progress.windowsDefault = scheme.WindowsDefault(role.number);
        try {
            if (!locked) {
                progress.decided = Unchanged(Problem::NotLocked);
            } else if (progress.windowsDefault) {
                // removed in its turn below
            } else if (folder.empty()) {
                progress.decided = Unchanged(Problem::NoStore, folderError);
            } else if (folderError != ERROR_SUCCESS) {
                progress.decided = Unchanged(Problem::FolderNotWritable, folderError, folder);
            } else {
                ReadRole(progress, scheme.RoleCursorFile(role.number), folder, profiler, fill);
            }
        } catch (...) {
            progress.decided = failed();
        }
    }
    auto staging = [](const RoleInProgress& progress) {
        return !progress.decided && !progress.windowsDefault && !progress.inPlace;
    };
    std::vector<StageRequest> requests;
    for (const RoleInProgress& progress : roles) {
        if (staging(progress)) {
            requests.push_back({progress.destination, progress.bytes, false, progress.role->HasSystemCursor()});
        }
    }
    std::vector<StagedFile> staged;
    try {
        staged = StageAll(requests, [&] {
            for (RoleInProgress& progress : roles) {
                if (staging(progress)) progress.digest = PlacedFileDigest(*progress.bytes);
            }
        });
    } catch (...) {
        const RoleOutcome outcome = failed();
        for (RoleInProgress& progress : roles) {
            if (staging(progress)) progress.decided = outcome;
        }
    }
    if (!requests.empty()) Mark(profiler, "write, flush and read back the copies beside the destinations");

    Settings settings;
    SkipReport report;
    bool reload = false;  // a role without a live pointer of its own was applied
    size_t next = 0;      // the next staged copy
    for (RoleInProgress& progress : roles) {
        const CursorRole& role = *progress.role;
        StagedFile* copy = staging(progress) ? &staged[next++] : nullptr;
        RoleOutcome outcome;
        try {
            outcome = progress.decided         ? *progress.decided
                      : progress.windowsDefault ? RemoveRole(role, folder, settings)
                                                : PlaceRole(system, progress, copy, folder, handedOver, settings, profiler);
        } catch (...) {
            outcome = failed();
        }
        if (copy != nullptr) {  // a copy not moved in goes now
            copy->held.reset();
            copy->file.Delete();
        }
        report.Add(role.number, outcome);
        reload = reload ||
                 (outcome.kind == RoleOutcome::Kind::Applied && (progress.windowsDefault || !role.HasSystemCursor()));
        if (roleDone) roleDone(role.number, outcome);
        Mark(profiler, "show the role's outcome");
    }
    // Roles without an id for SetSystemCursor (Help, NWPen, Pin, Person) take
    // their new pointer when Windows reloads every pointer from the settings.
    // A refusal is not the user's concern: the settings and the copies are in
    // place, and Windows reads them at the next sign-in at the latest.
    if (reload) system.ReloadSystemCursors();
    return report;
}

std::wstring DescribeOutcome(const RoleOutcome& outcome) {
    const auto code = [&] { return L"（" + ErrorText(outcome.error) + L"）"; };
    switch (outcome.problem) {
    case Problem::None:
        return {};
    case Problem::NotLocked:
        return L"没有取得更改鼠标指针的锁，原来的设置保持不变。";
    case Problem::SourceMissing:
        return L"所选的光标文件已不存在，可能已被移动、改名或删除。";
    case Problem::SourceUnreadable:
        return L"无法读取所选的光标文件" + code() + L"。";
    case Problem::NotACursor:
        return L"所选文件不是可用的光标文件：" + outcome.cursor.Describe();
    case Problem::NoStore:
        return L"Windows 没有给出当前用户的应用程序数据文件夹，无法写入 ShuBiao 的用户文件夹。";
    case Problem::FolderNotWritable:
        if (outcome.error == ERROR_ALREADY_EXISTS) {
            return L"无法建立 ShuBiao 的用户文件夹“" + outcome.path + L"”：该位置上已有同名的文件。";
        }
        return L"无法写入 ShuBiao 的用户文件夹“" + outcome.path + L"”" + code() + L"。";
    case Problem::ReadBackDiffers:
        return L"写入“" + outcome.path + L"”的文件读回时与原文件不同。";
    case Problem::RegistryNotWritten:
        return L"无法把该指针记入注册表" + code() + L"。";
    case Problem::SettingNotDeleted:
        return L"无法删除该指针的设置" + code() + L"。";
    case Problem::OnlyFileReplaced:
        return L"文件“" + outcome.path + L"”已换成新的指针，但未能记入注册表" + code() + L"，指针的设置没有改变。";
    case Problem::Failed:
        return outcome.detail;
    }
    return outcome.detail;
}

}  // namespace shubiao

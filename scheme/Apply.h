#pragma once
// Apply without a window: making chosen files the user's pointers.
//
// Every role asked for has its file copied into the user's own store
// (AppliedFolder(), scheme/Store.h) under the role's ".ani" name, its registry value pointed at the copy and
// its live pointer replaced (roles with a system cursor id). A role whose file
// cannot be copied or is not a usable cursor is skipped whole, so that the
// settings never name a missing, half-written or unusable file; the outcome
// says which roles were skipped and why. A role at a pending choice of
// Windows' default has its value and its copy deleted instead. The editor's
// Apply and the console program's apply both work through this.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/Profiler.h"
#include "scheme/SizeFill.h"
#include "scheme/WorkingScheme.h"
#include "scheme/WriterLock.h"

namespace shubiao {

// The live pointers: replacing one and having Windows reload them all. The
// editor's Desktop is one; the console program has its own.
class PointerSystem {
public:
    virtual ~PointerSystem() = default;
    // Replaces a system cursor (SetSystemCursor semantics: on success the
    // system owns `cursor`). Returns false on failure; the caller still owns
    // the cursor then.
    virtual bool SetSystemCursor(HCURSOR cursor, DWORD id) = 0;
    // Asks Windows to reload every system cursor from the user's settings
    // (SystemParametersInfoW SPI_SETCURSORS with SPIF_SENDCHANGE). False
    // when it refuses; Wine does not implement it.
    virtual bool ReloadSystemCursors() = 0;
};

// What became of one role, as data: applied, or why not. DescribeOutcome
// says it in plain Chinese for either program to show.
struct RoleOutcome {
    enum class Kind { Applied, Unchanged, FileOnly };
    enum class Problem {
        None,
        NotLocked,           // the writer lock did not cover the write
        SourceMissing,       // the chosen file has gone
        SourceUnreadable,    // the chosen file could not be read (`error`)
        NotACursor,          // the chosen file or its copy is no usable cursor (`cursor`)
        NoStore,             // Windows could not say where the user's store is
        FolderNotWritable,   // the store's folder `path` could not be made or written (`error`;
                             // ERROR_ALREADY_EXISTS: a file lies where it goes)
        ReadBackDiffers,     // the copy written in the folder `path` read back otherwise
        RegistryNotWritten,  // the role's setting could not be written (`error`)
        SettingNotDeleted,   // Windows' default: the role's setting could not be deleted (`error`)
        OnlyFileReplaced,    // FileOnly: the file `path` holds the new pointer, the setting
                             // could not be written (`error`) and the old file not put back
        Failed,              // an unforeseen failure, in the words of `detail`
    };
    Kind kind = Kind::Applied;
    Problem problem = Problem::None;
    DWORD error = ERROR_SUCCESS;
    CursorProblem cursor;
    std::wstring path;
    std::wstring detail;
    // 补齐尺寸 was asked for and the role's original file was placed: why.
    FillNote fill;
};

// The outcome in plain Chinese (empty for an applied role).
std::wstring DescribeOutcome(const RoleOutcome& outcome);

// The roles of one Apply that were not applied, in the order they were met,
// and how many were.
class SkipReport {
public:
    void Add(int role, const RoleOutcome& outcome) {
        if (outcome.kind == RoleOutcome::Kind::Applied) {
            ++applied_;
            if (outcome.fill.PlacedOriginal()) unfilled_.emplace_back(role, outcome.fill);
        } else {
            skipped_.emplace_back(role, outcome);
        }
    }
    bool empty() const { return skipped_.empty(); }
    int applied() const { return applied_; }
    const std::vector<std::pair<int, RoleOutcome>>& skipped() const { return skipped_; }
    // Applied roles whose original file was placed although 补齐尺寸 was asked for.
    const std::vector<std::pair<int, FillNote>>& unfilled() const { return unfilled_; }

private:
    std::vector<std::pair<int, RoleOutcome>> skipped_;
    std::vector<std::pair<int, FillNote>> unfilled_;
    int applied_ = 0;
};

// The bytes of each file ApplyChangedRoles would copy for `scheme`, read and
// checked now (a file that cannot be read or is no usable cursor is left
// out: Apply says why when it comes to it). What a fill made ahead works on.
std::vector<std::vector<std::uint8_t>> ChosenFileBytes(const WorkingScheme& scheme);
// Fills each of those files that `fill` does not hold yet: 补齐尺寸 done
// whole before anything is written.
void FillChosenFiles(const WorkingScheme& scheme, SizeFill& fill);

// Applies every role that `scheme` marks changed, from the file it holds,
// into the user's store, AppliedFolder() (made when missing). `roleDone` is told each role's outcome as soon
// as it is known; `handedOver` receives the last cursor handed to
// SetSystemCursor. When a role without a live pointer id was applied, Windows
// is asked to reload the pointers (a refusal is not reported: the settings
// and the copies are in place). Never throws: a role whose work throws is
// left unchanged (Problem::Failed, with the exception's text).
// Without the lock (its User scope) every role is left unchanged.
// With `fill` (补齐尺寸) each copy holds what `fill` makes of the chosen
// file's bytes (its fills made ahead are used, the others made first,
// before anything is written, so that a run ended during the fill changes
// nothing); the chosen file itself is only read.
// What runs that ended while they placed a copy left in the applied folder
// is taken away first (TidyAppliedFolder, scheme/Apply.cpp).
SkipReport ApplyChangedRoles(const WriterLock& lock, PointerSystem& system, const WorkingScheme& scheme,
                             HCURSOR& handedOver, Profiler* profiler,
                             const std::function<void(int role, const RoleOutcome&)>& roleDone,
                             SizeFill* fill = nullptr);

}  // namespace shubiao

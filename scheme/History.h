#pragma once
// The history of the pointers in force and the way back to them, for both
// programs: the seventeen role values recorded before each change ShuBiao
// makes (Apply, Restore, using a listed scheme, undo itself), with copies of
// the files they name, in HistoryFolder() (scheme/Store.h).
//
// The folder holds the index (scheme/formats/HistoryIndex.h) and the kept
// files, each named by the SHA-256 of its bytes (BCrypt, Windows' own), so
// that a file kept for ten states is kept once. The last kMaxStates states
// are kept; a file no state names any more is deleted.
//
// The newest state is meant to be what is in force. Before a change, what is
// in force is recorded unless it is the newest state already; so when
// Windows' Settings or another tool changed the pointers since ShuBiao's
// last change, what the user actually had is recorded, and undo goes back to
// it. Undo records what is in force the same way, then brings back the state
// before the newest and drops the newest: undo, undo walks back.
//
// Crash safety: the kept files are written beside their place, flushed and
// moved in before the index names them; the index is written whole as a new
// file, flushed, and moved over the old one (MOVEFILE_WRITE_THROUGH); files
// are deleted only after that. Killed at any point, the history is the one
// before or the one after.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scheme/Actions.h"
#include "scheme/Apply.h"
#include "scheme/WriterLock.h"
#include "scheme/formats/HistoryIndex.h"

namespace shubiao {

// Why the history could not be read or written.
struct HistoryProblem {
    enum class Kind {
        None,
        NotLocked,   // the writer lock does not cover the user's settings: nothing changed
        NoStore,     // Windows could not say where the user's local store is
        Damaged,     // the index `path` is damaged (`fault`, `line`): it is not trusted
        Unreadable,  // the index `path` could not be read (`error`)
        NotWritten,  // `path` could not be made or written (`error`; ERROR_ALREADY_EXISTS: a file is in the way)
    };
    Kind kind = Kind::None;
    DWORD error = ERROR_SUCCESS;
    std::wstring path;
    history::IndexFault fault = history::IndexFault::None;
    std::size_t line = 0;

    bool ok() const { return kind == Kind::None; }
};
// In plain Chinese; empty for None.
std::wstring DescribeHistoryProblem(const HistoryProblem& problem);

// A recorded state's time as the user reads it: local time,
// "2026-12-08 10:30:15".
std::wstring LocalTimeText(std::uint64_t time);

// Records the values in force and keeps their files, as the newest state,
// unless they are the newest state already. Every change to the pointers
// calls it first; a problem is returned and the change goes ahead. A damaged
// index is set aside as "index.damaged" and a new history begins.
HistoryProblem RecordPointersInForce(const WriterLock& lock) noexcept;

// Tells the history that `path` now holds `bytes`, a usable cursor file
// ShuBiao has just written there, so that recording the values in force
// next time takes its content from its stamp instead of reading it again.
void NotePlacedFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// The same with the bytes' content digest made ahead (PlacedFileDigest), for
// a caller that has the time for it while the disk is busy.
std::string PlacedFileDigest(const std::vector<std::uint8_t>& bytes);
void NotePlacedFile(const std::wstring& path, const std::string& digest);

// What undo would do now, changing nothing: whether there is a state to go
// back to and when it was recorded (a FILETIME).
struct UndoPreview {
    HistoryProblem problem;
    bool possible = false;
    std::uint64_t time = 0;
};
UndoPreview PeekUndo();

struct UndoOutcome {
    enum class Kind {
        Undone,         // every value of the state before is back
        Partly,         // some values could not be written (`notWritten`); the others are back
        NothingToUndo,  // no state before the one in force: nothing changed
        History,        // the history could not be read or written (`history`): nothing changed
        FilesLost,      // files of the state before are gone or damaged (`lost`): nothing changed
        NotPlaced,      // the files could not be placed (`placement`): no value changed
        Refused,        // no value could be written: no value changed
    };
    Kind kind = Kind::Undone;
    HistoryProblem history;  // also set, with Undone or Partly, when the history could not be saved afterwards
    std::uint64_t time = 0;  // when the state brought back was recorded
    std::vector<std::pair<int, std::wstring>> lost;  // role and why, in plain Chinese
    WriteProblem placement;
    std::vector<std::pair<int, LSTATUS>> notWritten;
    LSTATUS schemeNotWritten = ERROR_SUCCESS;  // the scheme's name ("(Default)") could not be written back
};
// Brings back the state recorded before the newest, byte-exact, with the
// scheme in force then ("(Default)", "Scheme Source"): each value
// as it was stored where the file it names still holds the bytes kept;
// otherwise the kept bytes are placed in AppliedFolder() under the role's
// file name (PlaceFiles, all or nothing) and the value names them, so that
// no value ever names a file of the history, which pruning may delete. The
// live pointers are reloaded.
UndoOutcome UndoLastChange(const WriterLock& lock, PointerSystem& system);

}  // namespace shubiao

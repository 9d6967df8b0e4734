#pragma once
// The writing actions of the scheme library, without a window, for both
// programs: placing checked bytes in a folder (Apply, export and every saved
// scheme go through it), saving a named scheme in the user's list or the
// machine's, using a listed scheme, deleting a user scheme and recording the
// scheme in force. Apply, Restore and export are in Apply.h, Restore.h and
// Export.h.
//
// Each action takes the writer lock as proof that no other writer is at
// work and refuses when the lock does not cover what it changes. Each says
// what became of every file in a structured outcome; the programs choose
// the words.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/Apply.h"
#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/WriterLock.h"

namespace shubiao {

// Why a write did not happen, or happened only in part.
struct WriteProblem {
    enum class Kind {
        None,
        NotLocked,           // the writer lock does not cover the write: nothing was changed
        NoWindowsFolder,     // SystemRoot is not set
        NoStore,             // Windows could not say where the user's store is
        FolderNotMade,       // `path` could not be made (`error`; ERROR_ALREADY_EXISTS: a file is in the way)
        NotWritten,          // the copy beside `path` could not be written or flushed (`error`)
        ReadBackDiffers,     // the copy beside `path` read back other bytes, or could not be read back (`error`)
        NotACursor,          // the copy beside `path` is refused by the cursor checker (`cursor`)
        FolderInTheWay,      // a folder lies at `path`, where the file goes
        NotMoved,            // the copy could not take the place of `path` (`error`)
        NothingPlaced,       // not one file could be placed: no entry was written
        InvalidName,         // the name is not one a list may hold (schemes::CheckSchemeName)
        RegistryNotWritten,  // (`error`)
        EntryNamesOther,     // the entry read back names another file (`path`, as expanded): put back as it was
    };
    Kind kind = Kind::None;
    DWORD error = ERROR_SUCCESS;
    CursorProblem cursor;
    std::wstring path;

    bool ok() const { return kind == Kind::None; }
};

// What both programs say when Windows cannot say where the user's store is
// (scheme/Store.h: an empty path).
inline constexpr const wchar_t* kNoStoreText =
    L"Windows 没有给出当前用户的应用程序数据文件夹，无法写入 ShuBiao 的用户文件夹，什么也没有改。";

// A role's file, read and checked, to be placed.
struct RoleBytes {
    int role = 0;
    std::vector<std::uint8_t> bytes;
};

// What became of one role's file.
struct PlacedRole {
    int role = 0;
    std::wstring file;  // where it went (or was to go)
    WriteProblem problem;
};

// ---- Placing checked bytes in a folder -----------------------------------------

// A copy written beside its destination: on the disk (FlushFileBuffers),
// read back as exactly the bytes given and, with `checkCursor`, passed by the
// cursor checker. The copy is deleted when this goes unless it was moved in.
// With `keepHeld` the handle it was read back through stays open in `held`
// (reading shared, nothing else), so that the bytes read back are the bytes
// a loader then reads; MoveIn lets go of it, and so must any other mover.
struct StagedFile {
    TemporaryFile file;
    WriteProblem problem;
    UniqueFile held;  // closed before `file` deletes the copy
};
// The copy of `destination` is "~<name>.tmp" in the same folder, so that
// moving it in is a rename within one volume. Without `checkCursor` the
// bytes given must have passed the checker already: the copy is only
// compared with them, since the checker's verdict depends on the bytes
// alone.
StagedFile StageBytes(const std::wstring& destination, const std::vector<std::uint8_t>& bytes,
                      bool checkCursor = true, bool keepHeld = false);
// Several copies staged at once, each as StageBytes stages one, in the order
// asked (their destinations differ). They are all written first, then
// `whileFlushing` runs while their bytes go to the disk, then each is
// flushed, then each read back.
struct StageRequest {
    std::wstring destination;
    const std::vector<std::uint8_t>* bytes = nullptr;
    bool checkCursor = true;
    bool keepHeld = false;
};
std::vector<StagedFile> StageAll(std::span<const StageRequest> requests, const std::function<void()>& whileFlushing = {});
// Moves a staged copy over `destination`, replacing a file (never a folder)
// that is there. A problem of kind None, FolderInTheWay or NotMoved.
WriteProblem MoveIn(StagedFile& staged, const std::wstring& destination);

// How a set of files is placed.
enum class Placing {
    AllOrNothing,  // every copy staged first; the first failure stops the placing before anything else moves
    EachOnItsOwn,  // a file that fails is left out; the others are placed
};
struct Placement {
    WriteProblem problem;           // the folder, or (AllOrNothing) the first file that failed
    std::vector<PlacedRole> roles;  // in the order given
    int Placed() const;
};
// Places each role's bytes in `folder` (ending in a backslash, made when
// missing) under the role's file name.
Placement PlaceFiles(const std::wstring& folder, const std::vector<RoleBytes>& files, Placing placing);

// ---- Saving a named scheme ------------------------------------------------------

// How a slot of a written entry is expanded when it is read back: as Windows
// expands a REG_EXPAND_SZ value for this process (ExpandEnvironmentStringsW)
// when empty; tests give other expansions.
using SlotExpansion = std::function<std::wstring(const std::wstring&)>;

struct SchemeSaved {
    WriteProblem problem;           // why no entry was written; None when it was
    std::wstring folder;            // library::SchemeFolder(name, source)
    std::vector<PlacedRole> roles;  // each file given, in the order given
    int Placed() const;
};
// Saves `name` in the list of `source` (the machine's list needs the lock's
// Machine scope): `files` placed in library::SchemeFolder(name, source) (the
// user's own in the user's store, the machine's under %SystemRoot%) the way
// `placing` says, then the entry written naming the files placed (the
// other roles Windows' default). The entry is read back and each slot
// expanded: unless each names exactly the file placed there (and the others
// nothing), the entry is put back as it was (or removed) and the outcome
// says EntryNamesOther. Files of roles the entry leaves empty stay, as
// Windows leaves a scheme's files when its entry changes.
SchemeSaved SaveScheme(const WriterLock& lock, library::Source source, std::wstring_view name,
                       const std::vector<RoleBytes>& files, Placing placing, const SlotExpansion& expand = {});

// ---- Using, deleting, the scheme in force ------------------------------------

struct SchemeUsed {
    enum class Kind {
        Used,          // at least one role written
        NotLocked,     // nothing was changed
        Unreadable,    // the entry could not be read (library::EntryProblem)
        NothingUsable, // it names files and none can be used: nothing was changed
        Refused,       // every write was refused
    };
    Kind kind = Kind::Used;
    // Per role (index role - 1): why its file cannot be used (library::CheckSchemeFiles), empty when it can.
    std::array<std::wstring, kRoleCount> unusable{};
    // Per role: the registry's answer to writing its value (ERROR_SUCCESS when
    // written or not tried).
    std::array<LSTATUS, kRoleCount> status{};
    int written = 0;
    LSTATUS inForce = ERROR_SUCCESS;  // of recording the scheme in force
    // With 补齐尺寸: what Apply made of each usable role (`status` is then not used).
    SkipReport applied;
};
// `entry`'s usable files become the user's pointers (an empty slot Windows'
// own pointer for the role) and the scheme is recorded in force. Roles whose
// file cannot be used keep their settings.
// With `fill` (补齐尺寸) the usable roles are applied as Apply applies them,
// through `system`: filled copies in the user's store, not the scheme's own
// files, become the pointers.
SchemeUsed UseScheme(const WriterLock& lock, const library::SchemeEntry& entry, SizeFill* fill = nullptr,
                     PointerSystem* system = nullptr);

// Removes the user's entry `name` (library::DeleteUserScheme);
// ERROR_NOT_LOCKED when the lock is not held. Its files in the user's store
// stay, as Windows leaves a scheme's files: the pointers in force may name
// them (the scheme was used), and a value must never name a missing file.
LSTATUS DeleteScheme(const WriterLock& lock, std::wstring_view name);

// Records `name` of `source` as the scheme in force (library::SetInForce);
// ERROR_NOT_LOCKED when the lock is not held.
LSTATUS RecordInForce(const WriterLock& lock, std::wstring_view name, library::Source source);

}  // namespace shubiao

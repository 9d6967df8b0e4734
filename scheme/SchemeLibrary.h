#pragma once
// Windows' two lists of named pointer schemes (their layout: SchemeList.h)
// and the record of the scheme in force, for the editor's scheme library
// and for programs without a window: read both lists, write and delete an
// entry, read and set "(Default)" and "Scheme Source". No window, no prompt:
// every call tells its caller what happened and nothing else.
//
// Bounds, since the lists are anybody's to write: each list is read up to
// its first kMaxListedValues values (the listing says when more were left
// out), a value's data over schemes::kMaxValueBytes is listed as unreadable
// without being read, a value of a type other than REG_SZ or REG_EXPAND_SZ
// is no scheme and left out. Paths are judged by their text first
// (SchemeList.cpp: UNC and device paths never reach a file function); a
// path that passes is only looked at by CheckSchemeFiles.
#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/formats/SchemeList.h"

namespace shubiao::library {

// Which list a scheme is in; the numbers are those of "Scheme Source".
enum class Source : DWORD {
    User = 1,
    System = 2,
};

inline constexpr std::wstring_view kUserSchemesKey = L"HKEY_CURRENT_USER\\Control Panel\\Cursors\\Schemes";
inline constexpr std::wstring_view kSystemSchemesKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes";
// Under kCursorsKeyPath: the scheme in force ("(Default)", the key's unnamed
// value) and which list it is in.
inline constexpr std::wstring_view kSchemeSourceValue = L"Scheme Source";
inline constexpr std::size_t kMaxListedValues = 1000;

std::wstring_view ListKey(Source source);

// One value of a list.
struct SchemeEntry {
    std::wstring name;
    Source source = Source::User;
    schemes::ValueState state = schemes::ValueState::Read;  // never Skipped: those are left out
    std::array<schemes::Slot, schemes::kSlotCount> slots{};  // Windows' order

    // The slot of role `role` (1..kRoleCount).
    const schemes::Slot& SlotOf(int role) const;
    // The file of role `role`, expanded; empty unless its slot is a path.
    std::wstring FileOf(int role) const;
    // Read, and no slot refused by its text.
    bool Usable() const;
};

struct SchemeListing {
    std::vector<SchemeEntry> schemes;  // the system's list first, then the user's, each in the registry's order
    bool leftOut = false;              // a list held more than kMaxListedValues values
};

// Both lists; a list whose key is missing or cannot be opened is empty.
SchemeListing ReadSchemeLists();
// One list, appended to `listing`.
void ReadSchemeList(Source source, SchemeListing& listing);

// Why a slot or a whole value cannot be used, in plain Chinese; empty when it can.
std::wstring SlotProblem(const schemes::Slot& slot);
std::wstring EntryProblem(const SchemeEntry& entry);

// How many pointers a scheme sets, said the same way wherever a count is
// shown: the roles of the fifteen slots of older Windows' lists that have a
// file ("15 个指针"), then by name the later roles that have one
// ("15 个指针，另有 位置选择、个人选择"). `has` is indexed role - 1.
std::wstring PointerCountText(const std::array<bool, kRoleCount>& has);
// The roles whose slot names a file.
std::array<bool, kRoleCount> RolesWithFile(const SchemeEntry& entry);

// The files of an entry as they lie now, per role (index role - 1): empty
// when the role's slot is Windows' default or its file passes the cursor
// checker, else why not (its text refused, missing, a folder, not a usable
// cursor). Reads each named file once, at most the checker's size limit.
std::array<std::wstring, kRoleCount> CheckSchemeFiles(const SchemeEntry& entry);

// The scheme in force as HKCU\Control Panel\Cursors records it.
struct InForce {
    std::wstring name;  // "(Default)"; empty when missing
    DWORD source = 0;   // "Scheme Source"; 0 when missing or not a number
};
InForce ReadInForce();
// Sets "(Default)" (REG_SZ) and "Scheme Source" (DWORD); the first error, or ERROR_SUCCESS.
LSTATUS SetInForce(std::wstring_view name, DWORD source);
// Windows' default in force: "(Default)" empty, "Scheme Source" 0.
inline LSTATUS ClearInForce() { return SetInForce(L"", 0); }

// Where a saved scheme's files lie, ending in a backslash: for the system's
// list %SystemRoot%\Cursors\<name>\, expanded (empty when SystemRoot is not
// set); for the user's list the user's own store, UserSchemeFolder(name)
// (empty when Windows cannot say where it is).
std::wstring SchemeFolder(std::wstring_view name, Source source = Source::System);
// The path an entry records for role `role` of scheme `name`: for the
// system's list unexpanded, %SystemRoot%\Cursors\<name>\<Role>.ani, the same
// for every user; for the user's list the absolute path in the user's store.
std::wstring RecordedPath(std::wstring_view name, int role, Source source = Source::System);

// Writes the entry `name` of a list as REG_EXPAND_SZ: seventeen slots in
// Windows' order, RecordedPath for each role marked in `withFile` (index
// role - 1), empty (Windows' default) for the others. An existing entry of
// that name is replaced. The name must pass schemes::CheckSchemeName (for the
// user's list, against the system's names too) and be the name it gives
// back; ERROR_INVALID_NAME otherwise, ERROR_ENVVAR_NOT_FOUND when SystemRoot
// is not set (ERROR_PATH_NOT_FOUND when the user's store is not known); the
// registry's error when the write fails.
LSTATUS WriteScheme(Source source, std::wstring_view name, const std::array<bool, kRoleCount>& withFile);

// Removes the user's entry `name` (never a file). When "(Default)" names it
// (letter case ignored) and "Scheme Source" does not say the system's list,
// Windows' default is recorded in force. ERROR_FILE_NOT_FOUND when there is
// no such entry.
LSTATUS DeleteUserScheme(std::wstring_view name);

// The names in the system's list (for schemes::CheckSchemeName), UTF-8.
std::vector<std::string> SystemSchemeNames(const SchemeListing& listing);

}  // namespace shubiao::library

#include "scheme/Restore.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/History.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "win/Raii.h"

namespace shubiao {
namespace {

// Runs one step of the restore; whatever it throws is dropped.
template <typename Step>
void Skipping(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (...) {
    }
}

// True when a role's setting still names `file` (after a value that could
// not be deleted): such a file must stay, or the setting would name a
// missing file.
bool StillNamedBySettings(const std::wstring& file) {
    for (const CursorRole& role : kRoles) {
        std::wstring data;
        if (registry::RegRead(role.ValuePath(), data) != ERROR_SUCCESS) continue;
        const std::wstring named = ExpandEnvironment(data);
        if (CompareStringOrdinal(named.c_str(), -1, file.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    }
    return false;
}

// Deletes the files directly in `folder` (which ends in a backslash).
// Subfolders and what they hold are left alone. A read-only file is left
// too: its attribute is not cleared, since someone marked it so and the
// folder then simply stays with it. So is a file that a setting still names.
void DeleteFilesIn(const std::wstring& folder) {
    for (const std::wstring& name : FileNamesIn(folder, L"*.*")) {
        const std::wstring file = folder + name;
        if (!StillNamedBySettings(file)) DeleteFileW(file.c_str());
    }
}

}  // namespace

bool ClearRoleSettings(const WriterLock& lock) noexcept {
    if (!lock.Covers(WriteScope::User)) return false;
    Skipping([&lock] { RecordPointersInForce(lock); });
    for (int number : kRestoreOrder) {
        Skipping([number] { registry::RegDelete(Role(number).ValuePath()); });
    }
    // The scheme "(Default)" named is no longer in force: Windows' default is.
    Skipping([] {
        if (!library::ReadInForce().name.empty()) library::ClearInForce();
    });
    return true;
}

bool RemoveAppliedFiles(const WriterLock& lock) noexcept {
    if (!lock.Covers(WriteScope::User)) return false;
    // This user's copies in this user's store, never %windir%\Cursors\Cursors:
    // other users' settings may name the files there. Only the last folder of
    // the path is removed, and only when empty.
    const std::wstring folder = AppliedFolder();
    if (folder.empty()) return true;  // no store: no copies of ours
    Skipping([&] { DeleteFilesIn(folder); });
    Skipping([&] { RemoveDirectoryW(folder.c_str()); });
    return true;
}

}  // namespace shubiao

#pragma once
// Restore without a window: the user's per-role settings deleted and the
// files Apply copied removed, so that Windows' own pointers are in force
// again. Every step that fails (a value that is not there, a file that will
// not go) is skipped and the next step runs. The editor's Restore (which
// then opens Mouse Properties and loads again) and the console program's
// restore both work through this.
#include "scheme/WriterLock.h"

namespace shubiao {

// Deletes the value of every role under HKCU\Control Panel\Cursors, in the
// restore order, and Windows' record of a named scheme in force ("(Default)"
// and "Scheme Source" then say Windows' default). False, with nothing
// changed, when the lock does not cover the user's settings.
bool ClearRoleSettings(const WriterLock& lock) noexcept;

// Deletes the files directly in the folder Apply copies to, the user's own
// AppliedFolder() (not a read-only one, not one a setting still names,
// nothing in a subfolder), then the folder itself when it is left empty.
// %windir%\Cursors\Cursors, where earlier versions copied to for every user,
// is left alone. False, with nothing changed, when the
// lock does not cover them.
bool RemoveAppliedFiles(const WriterLock& lock) noexcept;

}  // namespace shubiao

#pragma once
// Export without a window: the pointers in force exported, each role's file
// taken from the role's value under HKCU\Control Panel\Cursors (expanded)
// wherever it lies (the user's store, a library scheme's folder, a pack
// Windows' own setup installed), byte for byte, into a folder of one file per
// role named after the role ("Arrow.ani", ...), with an install.inf in Windows' standard
// form with which Windows' own setup installs it (right-click, 安装) as a
// scheme named after the folder. The editor's export and the console
// program's export both work through this.
#include <windows.h>

#include <string>
#include <vector>

#include "scheme/CursorBytes.h"
#include "scheme/WriterLock.h"

namespace shubiao {

// A file that exists but could not be exported.
struct ExportFailure {
    std::wstring file;     // its name in the export folder ("Arrow.ani", "install.inf")
    std::wstring source;   // the file the value in force names (empty for install.inf)
    DWORD error = ERROR_SUCCESS;  // Windows' error, or ERROR_INVALID_DATA with `cursor`
    CursorProblem cursor;  // the cursor checker's verdict on an applied file it refuses

    // Why, in plain Chinese: Windows' text for the error, or the checker's.
    std::wstring Why() const;
};

struct ExportResult {
    // The export folder could not be made (ERROR_NOT_LOCKED: the lock was
    // not held): nothing was exported.
    DWORD folderError = ERROR_SUCCESS;
    int exported = 0;  // role files copied
    std::vector<ExportFailure> failures;
};

// Exports into `folder` (made when missing), each file written beside its
// place, flushed, read back and checked before it moves in. Only the files
// the values name are read. A role at Windows' default (no value, or an
// empty one) is left out without a word; a value that names a file that is
// gone or unusable is a failure. With no role exported, no install.inf is
// written.
ExportResult ExportInForce(const WriterLock& lock, const std::wstring& folder);

// How many roles have a file of their own in force (a non-empty value).
int RolesInForce();

}  // namespace shubiao

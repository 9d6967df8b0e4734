#pragma once
// Export without a window: the applied role files copied out of the folder
// Apply copies to, byte for byte, into a folder of one file per role named
// after the role ("Arrow.ani", ...), with an install.inf in Windows' standard
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
// place, flushed, read back and checked before it moves in. A role without
// a file in the applied folder is left out without a word; with none at
// all, no install.inf is written.
ExportResult ExportApplied(const WriterLock& lock, const std::wstring& folder);

// How many role files the folder Apply copies to holds now.
int AppliedRoleFiles();

}  // namespace shubiao

#pragma once
// File operations shared by Apply, Restore, export and import.
#include <windows.h>

#include <string>

namespace shubiao {

// Creates every missing folder of `path` up to its last backslash (a path
// ending in "\" is a folder). ERROR_SUCCESS when the folder exists afterwards,
// otherwise the Windows error (ERROR_ALREADY_EXISTS when a file of that name
// is in the way).
DWORD EnsureFolderPath(const std::wstring& path);

// True when both paths name the same existing file (also through different
// spellings of the path).
bool SameFile(const std::wstring& a, const std::wstring& b);

// Copies `source` over `destination`, replacing a file that is there.
// ERROR_SUCCESS or the Windows error. Copying a file onto itself succeeds
// without touching it.
DWORD CopyFileReplacing(const std::wstring& source, const std::wstring& destination);

}  // namespace shubiao

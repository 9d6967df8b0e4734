#pragma once
// The one way the editor hands a cursor file to Windows' loader: the path's
// environment references are expanded and the file's content is checked
// first, so that a malformed file never reaches the loader.
#include <windows.h>

#include <string>

#include "scheme/CursorFileCheck.h"
#include "win/Raii.h"

namespace shubiao {

struct CursorLoad {
    UniqueCursor cursor;
    CursorFault fault = CursorFault::None;  // the checker's verdict
    DWORD error = ERROR_SUCCESS;            // Windows' error when the file is missing or the loader failed
    bool ok() const { return static_cast<bool>(cursor); }
    // Why the file could not be used, in plain Chinese (empty when ok).
    std::wstring Describe() const;
};

// Loads a cursor at the system's pointer size (width and height 0, as
// LoadCursorFromFileW does) or at the given size (first frame of an animated
// cursor).
CursorLoad LoadCursorChecked(const std::wstring& path, int width = 0, int height = 0);

}  // namespace shubiao

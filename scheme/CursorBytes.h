#pragma once
// Reading a cursor file once and checking its bytes, for every place that
// reads one (previews, the hover pointer, import, Apply, the console
// program), and loading a pointer from a file so that Windows gets exactly
// the bytes that were checked: Windows' file loader reads the file while it
// is held open with read sharing only, so that nobody can write, rename or
// delete it between the check and the load. No window is involved.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scheme/formats/CursorFileCheck.h"
#include "win/Raii.h"

namespace shubiao {

// Why a cursor file could not be used: the one classification of a failed
// read, for every place that reads a cursor file (previews, the hover
// pointer, import, Apply), and its one table of texts.
struct CursorProblem {
    enum class Kind {
        None,
        Missing,      // no such file (or a folder of that name)
        Unreadable,   // the file is there but could not be opened or read
        BadContent,   // read, and refused by the checker
        NotLoadable,  // passed the checker, refused by Windows
    };
    CursorFault fault = CursorFault::None;  // the checker's verdict
    DWORD error = ERROR_SUCCESS;            // Windows' error when the file is missing, unreadable or not loadable

    Kind Classify() const;
    // In plain Chinese; empty for Kind::None.
    std::wstring Describe() const;
};

struct CursorLoad : CursorProblem {
    UniqueCursor cursor;
    bool ok() const { return static_cast<bool>(cursor); }
    // Why the file could not be used, in plain Chinese (empty when ok).
    std::wstring Describe() const;
};

// The whole content of a cursor file and the checker's verdict on it.
struct CursorBytes {
    std::vector<std::uint8_t> bytes;
    CursorCheck check;
    DWORD error = ERROR_SUCCESS;  // Windows' error when the file could not be opened or read
    // What went wrong reading it, or what the loader said after it
    // (`loaderError`) when the read went well.
    CursorProblem Problem(DWORD loaderError = ERROR_SUCCESS) const {
        return {check.fault, error != ERROR_SUCCESS ? error : loaderError};
    }
};

// Reads `file` (environment references already expanded) through `handle`,
// or through a handle of its own that lets others read, write and delete
// when `handle` is null; at most the checker's size limit. Without `check`
// the bytes are only read (`check` stays as default-made): for a caller that
// compares them with bytes that passed the checker already.
CursorBytes ReadCursorBytes(const std::wstring& file, HANDLE handle = nullptr, bool check = true);

// A pointer at the system's pointer size (as LoadCursorFromFileW gives it).
CursorLoad LoadPointerChecked(const std::wstring& path);
// The same, for a file whose bytes the caller has shown to be bytes that
// passed the checker and holds, from before it read them until this returns,
// with read sharing only (so nothing else can write it meanwhile).
CursorLoad LoadHeldPointer(const std::wstring& file);

// For tests: while it lives, `probe` is called with the file's path after the
// pointer's bytes were read and checked and before Windows' loader reads the
// file, while the file is held.
class ScopedLoaderProbe {
public:
    explicit ScopedLoaderProbe(std::function<void(const std::wstring& file)> probe);
    ~ScopedLoaderProbe();
    ScopedLoaderProbe(const ScopedLoaderProbe&) = delete;
    ScopedLoaderProbe& operator=(const ScopedLoaderProbe&) = delete;
};

}  // namespace shubiao

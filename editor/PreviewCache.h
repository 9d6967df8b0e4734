#pragma once
// The previews' cursors, each loaded once per version of its file.
//
// An entry is keyed by the expanded path and the icon size, and remembers the
// file's size, creation and last-write times as GetFileAttributesExW gave
// them when it was loaded. While those stay the same the entry's cursor (or
// its failure to load) is used again without reading the file; a file that
// was changed, replaced, deleted or created is checked and loaded afresh.
// Only the entries used since the last BeginRound() survive EndRound(), so
// the cache never holds more than the fifteen roles' files.
#include <windows.h>

#include <string>
#include <vector>

#include "win/Raii.h"

namespace shubiao {

class PreviewCache {
public:
    struct Preview {
        HCURSOR cursor = nullptr;  // nullptr when the file does not load
        std::wstring problem;      // why not, in plain Chinese
    };
    // The cursor to draw for `path` (a role's file, environment references
    // not yet expanded) at `size` x `size`. The cache keeps the cursor; it
    // stays valid until EndRound() or Clear().
    Preview Get(const std::wstring& path, int size);

    // Marks every entry unused; EndRound() then drops those not asked for
    // in between.
    void BeginRound();
    void EndRound();
    void Clear() { entries_.clear(); }
    size_t size() const { return entries_.size(); }

private:
    // What GetFileAttributesExW says about a file; all zero when it fails.
    struct Stamp {
        bool present = false;
        DWORD attributes = 0;
        ULONGLONG bytes = 0;
        ULONGLONG created = 0;
        ULONGLONG written = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        std::wstring file;  // expanded path
        int size = 0;
        Stamp stamp;
        UniqueCursor cursor;  // empty: the file did not load
        std::wstring problem;
        bool used = false;
    };
    static Stamp StampOf(const std::wstring& file);

    std::vector<Entry> entries_;
};

}  // namespace shubiao

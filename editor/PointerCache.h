#pragma once
// The hover previews' pointers, each loaded once per version of its file, so
// that moving onto a box whose file was shown before costs no file read.
// An entry is keyed by the expanded path and remembers the file's stamp; a
// changed file is read, checked and loaded afresh (LoadPointerChecked). The
// cache holds the pointers of at most kCapacity files, dropping the one used
// longest ago, but never the pointer shown now.
#include <windows.h>

#include <string>
#include <vector>

#include "editor/FileStamp.h"
#include "scheme/CursorRole.h"
#include "win/Raii.h"

namespace shubiao {

class PointerCache {
public:
    static constexpr size_t kCapacity = kRoleCount + 1;

    // The pointer for `path` (environment references not yet expanded), or
    // nullptr when the file does not load. Valid while it is `shown` or
    // until kCapacity other files were asked for.
    HCURSOR Get(const std::wstring& path, HCURSOR shown);
    size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::wstring file;
        FileStamp stamp;
        UniqueCursor cursor;  // empty: the file did not load
        ULONGLONG used = 0;
    };
    std::vector<Entry> entries_;
    ULONGLONG uses_ = 0;
};

}  // namespace shubiao

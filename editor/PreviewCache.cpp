#include "editor/PreviewCache.h"

#include <algorithm>

#include "editor/CursorLoader.h"
#include "scheme/Folders.h"

namespace shubiao {
namespace {

ULONGLONG Join(DWORD high, DWORD low) { return (static_cast<ULONGLONG>(high) << 32) | low; }
ULONGLONG Join(const FILETIME& t) { return Join(t.dwHighDateTime, t.dwLowDateTime); }

// A failure that may pass without the file changing (a file held open by
// another program, permissions): not remembered, the file is tried again.
bool MayPass(const CursorLoad& load) {
    return load.error == ERROR_SHARING_VIOLATION || load.error == ERROR_LOCK_VIOLATION ||
           load.error == ERROR_ACCESS_DENIED || load.error == ERROR_NOT_ENOUGH_MEMORY ||
           load.error == ERROR_OUTOFMEMORY || load.error == ERROR_READ_FAULT;
}

}  // namespace

PreviewCache::Stamp PreviewCache::StampOf(const std::wstring& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (file.empty() || !GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return {};
    return Stamp{true, data.dwFileAttributes, Join(data.nFileSizeHigh, data.nFileSizeLow), Join(data.ftCreationTime),
                 Join(data.ftLastWriteTime)};
}

PreviewCache::Preview PreviewCache::Get(const std::wstring& path, int size) {
    const std::wstring file = ExpandEnvironment(path);
    // The stamp is taken before the file is read: a change made while it
    // is being loaded shows as a different stamp at the next round.
    const Stamp stamp = StampOf(file);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.size == size && e.file == file; });
    if (it != entries_.end() && it->stamp == stamp) {
        it->used = true;
        return {it->cursor.get(), it->problem};
    }
    CursorLoad load = LoadPreviewChecked(path, size);
    if (!load.ok() && MayPass(load)) {
        if (it != entries_.end()) entries_.erase(it);
        return {nullptr, load.Describe()};
    }
    if (it == entries_.end()) {
        entries_.push_back(Entry{file, size});
        it = std::prev(entries_.end());
    }
    it->stamp = stamp;
    it->problem = load.Describe();
    it->cursor = std::move(load.cursor);
    it->used = true;
    return {it->cursor.get(), it->problem};
}

void PreviewCache::BeginRound() {
    for (Entry& e : entries_) e.used = false;
}

void PreviewCache::EndRound() {
    std::erase_if(entries_, [](const Entry& e) { return !e.used; });
}

}  // namespace shubiao

#include "editor/PointerCache.h"

#include <algorithm>

#include "editor/CursorLoader.h"
#include "scheme/Folders.h"

namespace shubiao {

HCURSOR PointerCache::Get(const std::wstring& path, HCURSOR shown) {
    const std::wstring file = ExpandEnvironment(path);
    const FileStamp stamp = FileStamp::Of(file);
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.file == file; });
    if (it != entries_.end() && it->stamp == stamp && (it->cursor || !stamp.present)) {
        it->used = ++uses_;
        return it->cursor.get();
    }
    CursorLoad load = LoadPointerChecked(path);
    if (it == entries_.end()) {
        if (entries_.size() >= kCapacity) {
            // The entry used longest ago goes, unless its pointer is shown.
            auto oldest = entries_.end();
            for (auto e = entries_.begin(); e != entries_.end(); ++e) {
                if (e->cursor.get() == shown && shown != nullptr) continue;
                if (oldest == entries_.end() || e->used < oldest->used) oldest = e;
            }
            if (oldest != entries_.end()) entries_.erase(oldest);
        }
        entries_.push_back(Entry{file});
        it = std::prev(entries_.end());
    } else if (it->cursor.get() == shown && shown != nullptr) {
        // The pointer shown stays alive: the old version moves aside to be
        // dropped later, and the new one gets an entry of its own.
        it->file.clear();
        entries_.push_back(Entry{file});
        it = std::prev(entries_.end());
    }
    it->stamp = stamp;
    it->cursor = std::move(load.cursor);
    it->used = ++uses_;
    return it->cursor.get();
}

}  // namespace shubiao

#pragma once
// 补齐尺寸 as an option of the writing actions (Apply, 使用 through Apply,
// 另存为方案, install): one step on the bytes before they are staged. With
// the option on, the bytes placed are FillSizes(original); when FillSizes
// refuses, the original bytes are placed unchanged and the role's outcome
// carries the refusal. The user's own files are only ever read.
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "scheme/formats/FillSizes.h"

namespace shubiao {

// Why a role's original bytes were placed although filling was asked for;
// refusal None when the filled copy was placed (or filling was not asked).
struct FillNote {
    FillRefusal refusal = FillRefusal::None;
    CursorFault fault = CursorFault::None;
    bool PlacedOriginal() const { return refusal != FillRefusal::None; }
};

// The note in one plain-Chinese sentence (DescribeFillRefusal).
std::wstring DescribeFillNote(const FillNote& note);

// The fills of one action, each original filled once however many roles
// share it. Filled as asked (BytesFor), or ahead of the action by a worker
// that then hands the whole object over (Add).
class SizeFill {
public:
    // The bytes to place for `original`: its filled copy, or `original`
    // itself with `note` saying why. The reference lives as long as this
    // object and `original`.
    const std::vector<std::uint8_t>& BytesFor(const std::vector<std::uint8_t>& original, FillNote& note);
    // A fill made ahead of the action.
    void Add(std::vector<std::uint8_t> original, FilledCursor filled);
    // True when a fill of `original` is held.
    bool Holds(const std::vector<std::uint8_t>& original) const { return Find(original) != nullptr; }
    size_t size() const { return fills_.size(); }

private:
    struct Fill {
        std::vector<std::uint8_t> original;
        FilledCursor filled;
    };
    const Fill* Find(const std::vector<std::uint8_t>& original) const;
    std::deque<Fill> fills_;  // a deque: references to its elements stay valid as it grows
};

// A role's bytes as a save places them (scheme/Actions.h's RoleBytes, by role).
struct RoleFillNote {
    int role = 0;
    FillNote note;
};
// Replaces each file's bytes by what `fill` makes of them; the roles whose
// original stays, and why, in the order given.
template <typename Files>
std::vector<RoleFillNote> FillFiles(Files& files, SizeFill& fill) {
    std::vector<RoleFillNote> notes;
    for (auto& file : files) {
        FillNote note;
        std::vector<std::uint8_t> bytes = fill.BytesFor(file.bytes, note);
        file.bytes = std::move(bytes);
        if (note.PlacedOriginal()) notes.push_back({file.role, note});
    }
    return notes;
}

}  // namespace shubiao

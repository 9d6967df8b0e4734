#pragma once
// The index of the history of the pointers in force (scheme/History.h keeps
// it in the user's local store): the states recorded, oldest first, each the
// seventeen role values as they were stored and the content file kept of
// each file they named. Portable: no Windows header.
//
// The index is bytes from the user's disk, so the reader trusts nothing: a
// damaged, truncated or foreign index is refused whole with the line where
// it went wrong, never half read. Every length is bounded before it is used,
// and a checksum over the whole text closes it, so that a flipped byte is
// found as well as a cut one.
//
// Layout (version 2), each line ending in "\n":
//   ShuBiao history 2
//   states <n>                          n <= kMaxStates
//   then per state:
//   time <decimal>                      a FILETIME, when the state was recorded
//   scheme <source|-> <bytes>:<data>    the scheme in force then: "Scheme Source"
//                                       in decimal and "(Default)" as UTF-16LE
//                                       bytes; "-" and 0 bytes when not recorded
//   and 17 lines, one per role in the role table's order:
//   <kind> <content|-> <bytes>:<data>   kind A absent, S REG_SZ, E REG_EXPAND_SZ,
//                                       O another type; content 64 hex digits
//                                       (SHA-256 of the file kept) or "-";
//                                       data the value's UTF-16LE bytes as stored,
//                                       without its terminating NUL
//   end <16 hex digits>                 FNV-1a 64 of every byte before this line
// Version 1, written before the scheme in force was recorded, has no scheme
// line; its states are read with the scheme not recorded.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shubiao::history {

inline constexpr std::size_t kRoles = 17;
// How many states the history keeps; a new one beyond drops the oldest.
inline constexpr std::size_t kMaxStates = 10;
// A value longer than this is recorded as O (another type): nothing a
// pointer setting names is that long.
inline constexpr std::size_t kMaxValueBytes = 65534;
inline constexpr std::size_t kMaxIndexBytes =
    64 + kMaxStates * (32 + (40 + kMaxValueBytes) + kRoles * (80 + kMaxValueBytes)) + 32;

enum class ValueKind : char { Absent = 'A', Sz = 'S', ExpandSz = 'E', Other = 'O' };

struct RecordedValue {
    ValueKind kind = ValueKind::Absent;
    std::u16string text;   // as stored, without the terminating NUL
    std::string content;   // the kept file's name (64 lowercase hex digits); empty when none was kept
    bool operator==(const RecordedValue&) const = default;
};

// The scheme in force with a state: "(Default)" and "Scheme Source".
struct RecordedScheme {
    bool recorded = false;  // false for a state of a version-1 index, or a name too long to keep
    std::u16string name;
    std::uint32_t source = 0;
    bool operator==(const RecordedScheme&) const = default;
};

struct RecordedState {
    std::uint64_t time = 0;
    // Not part of SameAs: the pointers are the state, the name goes with them.
    RecordedScheme scheme;
    std::array<RecordedValue, kRoles> roles{};
    // The same values and the same files kept; the time does not count.
    bool SameAs(const RecordedState& other) const { return roles == other.roles; }
};

// True for a content file's name: 64 lowercase hex digits.
bool IsContentName(std::string_view name);

// The index of `states` (at most kMaxStates, the newest last).
std::string WriteIndex(const std::vector<RecordedState>& states);

enum class IndexFault {
    None,
    TooLarge,      // more than kMaxIndexBytes
    NotAnIndex,    // the first line is not ours
    NewerVersion,  // ours, of a version this reader does not know
    BadLine,       // a line is not what the layout says there (`line`)
    BadChecksum,   // whole, but the checksum does not match: bytes changed
};
struct IndexRead {
    IndexFault fault = IndexFault::None;
    std::size_t line = 0;  // 1-based, for BadLine
    std::vector<RecordedState> states;
    bool ok() const { return fault == IndexFault::None; }
};
IndexRead ReadIndex(std::span<const std::uint8_t> bytes);

}  // namespace shubiao::history

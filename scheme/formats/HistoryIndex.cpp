#include "scheme/formats/HistoryIndex.h"

#include <charconv>
#include <optional>

namespace shubiao::history {
namespace {

constexpr std::string_view kHeader = "ShuBiao history ";
constexpr std::uint64_t kVersion = 2;
// Version 1 has no scheme line.
constexpr std::uint64_t kFirstVersion = 1;

std::uint64_t Fnv1a64(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::uint8_t b : bytes) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex64(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// Reads the index a line at a time, each line bounded by the bytes left.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t line() const { return line_; }
    std::size_t at() const { return at_; }

    // The next `count` bytes taken whole, or nullopt when fewer are left.
    std::optional<std::string_view> Take(std::size_t count) {
        if (bytes_.size() - at_ < count) return std::nullopt;
        const std::string_view taken(reinterpret_cast<const char*>(bytes_.data()) + at_, count);
        at_ += count;
        return taken;
    }
    // Up to (not including) `stop`, which is consumed; at most `limit` bytes.
    std::optional<std::string_view> Until(char stop, std::size_t limit) {
        for (std::size_t i = at_; i < bytes_.size() && i - at_ <= limit; ++i) {
            if (bytes_[i] == static_cast<std::uint8_t>(stop)) {
                const std::string_view field(reinterpret_cast<const char*>(bytes_.data()) + at_, i - at_);
                at_ = i + 1;
                return field;
            }
        }
        return std::nullopt;
    }
    // One whole line of at most `limit` bytes, without its "\n".
    std::optional<std::string_view> Line(std::size_t limit) {
        ++line_;
        return Until('\n', limit);
    }
    void NextLine() { ++line_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    std::size_t line_ = 0;
};

std::optional<std::uint64_t> Number(std::string_view text) {
    if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The number after `word` on a line of its own, or false.
bool After(const std::optional<std::string_view>& line, std::string_view word, std::uint64_t& value) {
    if (!line || line->substr(0, word.size()) != word) return false;
    const std::optional<std::uint64_t> number = Number(line->substr(word.size()));
    value = number.value_or(0);
    return number.has_value();
}

void AppendUtf16(std::string& text, const std::u16string& value) {
    text += std::to_string(value.size() * 2) + ':';
    for (const char16_t unit : value) {
        text += static_cast<char>(unit & 0xFF);
        text += static_cast<char>(unit >> 8);
    }
}

std::optional<std::u16string> Utf16(Cursor& cursor) {
    const auto length = cursor.Until(':', 20);
    const std::optional<std::uint64_t> bytes = length ? Number(*length) : std::nullopt;
    if (!bytes || *bytes > kMaxValueBytes || *bytes % 2 != 0) return std::nullopt;
    const auto data = cursor.Take(static_cast<std::size_t>(*bytes));
    const auto end = cursor.Take(1);
    if (!data || !end || *end != "\n") return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i < data->size(); i += 2) {
        text += static_cast<char16_t>(static_cast<std::uint8_t>((*data)[i]) |
                                      (static_cast<std::uint8_t>((*data)[i + 1]) << 8));
    }
    return text;
}

// One role's line: "<kind> <content|-> <bytes>:<data>\n".
std::optional<RecordedValue> Value(Cursor& cursor) {
    cursor.NextLine();
    const auto head = cursor.Until(' ', 1);
    if (!head || head->size() != 1) return std::nullopt;
    RecordedValue value;
    switch ((*head)[0]) {
    case 'A': value.kind = ValueKind::Absent; break;
    case 'S': value.kind = ValueKind::Sz; break;
    case 'E': value.kind = ValueKind::ExpandSz; break;
    case 'O': value.kind = ValueKind::Other; break;
    default: return std::nullopt;
    }
    const auto content = cursor.Until(' ', 64);
    if (!content) return std::nullopt;
    if (*content != "-") {
        if (!IsContentName(*content)) return std::nullopt;
        value.content = std::string(*content);
    }
    std::optional<std::u16string> text = Utf16(cursor);
    if (!text) return std::nullopt;
    value.text = std::move(*text);
    // What a value of each kind can hold: an absent one nothing, another
    // type no text, and a file kept only for a string that names one.
    if ((value.kind == ValueKind::Absent || value.kind == ValueKind::Other) && !value.text.empty()) return std::nullopt;
    if (!value.content.empty() && value.text.empty()) return std::nullopt;
    return value;
}

// The scheme line: "scheme <source|-> <bytes>:<data>\n".
std::optional<RecordedScheme> Scheme(Cursor& cursor) {
    cursor.NextLine();
    const auto word = cursor.Until(' ', 6);
    if (!word || *word != "scheme") return std::nullopt;
    const auto source = cursor.Until(' ', 10);
    if (!source) return std::nullopt;
    RecordedScheme scheme;
    if (*source != "-") {
        const std::optional<std::uint64_t> number = Number(*source);
        if (!number || *number > 0xFFFFFFFFull) return std::nullopt;
        scheme.recorded = true;
        scheme.source = static_cast<std::uint32_t>(*number);
    }
    std::optional<std::u16string> name = Utf16(cursor);
    if (!name || (!scheme.recorded && !name->empty())) return std::nullopt;
    scheme.name = std::move(*name);
    return scheme;
}

}  // namespace

bool IsContentName(std::string_view name) {
    if (name.size() != 64) return false;
    for (const char c : name) {
        if (!IsHex(c)) return false;
    }
    return true;
}

std::string WriteIndex(const std::vector<RecordedState>& states) {
    std::string text = std::string(kHeader) + std::to_string(kVersion) + "\n";
    text += "states " + std::to_string(states.size()) + "\n";
    for (const RecordedState& state : states) {
        text += "time " + std::to_string(state.time) + "\n";
        const bool named = state.scheme.recorded && state.scheme.name.size() * 2 <= kMaxValueBytes;
        text += "scheme " + (named ? std::to_string(state.scheme.source) : std::string("-")) + ' ';
        AppendUtf16(text, named ? state.scheme.name : std::u16string());
        text += '\n';
        for (const RecordedValue& value : state.roles) {
            text += static_cast<char>(value.kind);
            text += ' ';
            text += value.content.empty() ? std::string("-") : value.content;
            text += ' ';
            AppendUtf16(text, value.text);
            text += '\n';
        }
    }
    const std::uint64_t sum = Fnv1a64({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    return text + "end " + Hex64(sum) + "\n";
}

IndexRead ReadIndex(std::span<const std::uint8_t> bytes) {
    IndexRead read;
    if (bytes.size() > kMaxIndexBytes) {
        read.fault = IndexFault::TooLarge;
        return read;
    }
    Cursor cursor(bytes);
    const auto bad = [&] {
        IndexRead failed;
        failed.fault = IndexFault::BadLine;
        failed.line = cursor.line();
        return failed;
    };
    const auto header = cursor.Line(64);
    if (!header || header->substr(0, kHeader.size()) != kHeader) {
        read.fault = IndexFault::NotAnIndex;
        return read;
    }
    const std::optional<std::uint64_t> version = Number(header->substr(kHeader.size()));
    if (!version) {
        read.fault = IndexFault::NotAnIndex;
        return read;
    }
    if (*version != kVersion && *version != kFirstVersion) {
        read.fault = IndexFault::NewerVersion;
        return read;
    }
    std::uint64_t count = 0;
    if (!After(cursor.Line(32), "states ", count) || count > kMaxStates) return bad();
    for (std::uint64_t s = 0; s < count; ++s) {
        RecordedState state;
        if (!After(cursor.Line(32), "time ", state.time)) return bad();
        if (*version != kFirstVersion) {
            std::optional<RecordedScheme> scheme = Scheme(cursor);
            if (!scheme) return bad();
            state.scheme = std::move(*scheme);
        }
        for (RecordedValue& value : state.roles) {
            std::optional<RecordedValue> one = Value(cursor);
            if (!one) return bad();
            value = std::move(*one);
        }
        read.states.push_back(std::move(state));
    }
    const std::size_t summed = cursor.at();
    const auto endLine = cursor.Line(32);
    if (!endLine || endLine->substr(0, 4) != "end " || endLine->size() != 20 || cursor.at() != bytes.size()) {
        return bad();
    }
    if (Hex64(Fnv1a64(bytes.first(summed))) != endLine->substr(4)) {
        IndexRead failed;
        failed.fault = IndexFault::BadChecksum;
        return failed;
    }
    return read;
}

}  // namespace shubiao::history

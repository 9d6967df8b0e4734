// Reader and writer of one Schemes value, and the scheme-name rules.
//
// Choices made here, and why:
// - The data is split into entries at commas before anything else is done,
//   in UTF-16 (a comma is never half of a surrogate pair). Only the first
//   kSlotCount entries are looked at; the rest are counted and no more, so
//   a value of nothing but commas costs one pass and seventeen empty slots.
// - An entry that is empty or only U+0020 spaces is Windows' default, as an
//   empty entry is to Windows. Tabs and other blanks are not spaces here:
//   they are control characters or belong to a name.
// - Both text types are expanded: Windows writes its own schemes with
//   %SystemRoot% in them whichever the type. A '%' with no second '%' after
//   it is text. "%%" is text too (no variable has an empty name). %NAME% with
//   NAME not set refuses the entry: ExpandEnvironmentStrings would leave it
//   as text, and a file whose path holds "%NAME%" literally is not what the
//   scheme's author meant. So a path whose folders hold two single '%' signs
//   (C:\50%\x%y.cur) is refused too; no cursor path seen in the wild does.
//   The value a variable expands to is not searched again, as Windows does
//   not search it.
// - The expanded text may not exceed kMaxPathUnits UTF-16 units; expansion
//   stops as soon as it would, so a variable that is long or used many times
//   costs no more than that bound.
// - Spaces around the expanded path are trimmed: Windows' own path parsing
//   drops trailing spaces of the last component, and leading ones come from
//   hand-written lists ("a.cur, b.cur").
// - A path must be a drive path, a letter, ':' and a separator ('\' or '/',
//   which Windows treats alike). Refused by text alone, before anything is
//   opened: two separators at the start (UNC \\server, \\.\ and \\?\ device
//   and long paths, and the same with '/'), \??\ (the NT object namespace),
//   relative, rooted (\x) and drive-relative (C:x) paths, control characters
//   (U+0000-U+001F and U+007F-U+009F: Windows forbids the first range in
//   names, and no cursor file holds the others), < > " | ? * and a ':'
//   after the drive (an NTFS stream), a last component that is empty once
//   Windows' trailing dots and spaces are gone (a folder: "x\", "x\.",
//   "x\.."), and a last component that Windows maps to a device (CON.cur,
//   NUL, COM1.ani, COM0.cur, LPT¹.ani: NameRules.h, the same rule as for
//   scheme names below).
// - A lone UTF-16 surrogate refuses its entry: UTF-8 cannot carry it, so
//   the path given back would name another file.
// - Scheme names: see CheckSchemeName.
#include "scheme/formats/SchemeList.h"

#include <bit>

#include "scheme/formats/NameRules.h"
#include "scheme/formats/TextEncoding.h"

namespace shubiao::schemes {
namespace {

constexpr bool IsSeparator(char c) { return c == '\\' || c == '/'; }
constexpr bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

// UTF-16 code units of well-formed UTF-8.
std::size_t Utf16Units(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;
        if (byte >= 0xF0) ++units;
    }
    return units;
}

std::string_view TrimmedSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Length of the control character at `at` (U+0000-U+001F, U+007F-U+009F),
// 0 when there is none there.
std::size_t ControlAt(std::string_view s, std::size_t at) {
    const auto byte = static_cast<unsigned char>(s[at]);
    if (byte < 0x20 || byte == 0x7F) return 1;
    if (byte == 0xC2 && at + 1 < s.size()) {
        const auto next = static_cast<unsigned char>(s[at + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

std::string Readable(std::string_view character) {
    if (character.size() == 1 && static_cast<unsigned char>(character[0]) >= 0x20 && character[0] != 0x7F) {
        return std::string(character);
    }
    // A control character: U+ and four hex digits.
    unsigned code = static_cast<unsigned char>(character[0]);
    if (character.size() == 2) code = ((code & 0x1Fu) << 6) | (static_cast<unsigned char>(character[1]) & 0x3Fu);
    constexpr char kHex[] = "0123456789ABCDEF";
    return std::string("U+00") + kHex[(code >> 4) & 0xF] + kHex[code & 0xF];
}

struct Verdict {
    Refusal refusal = Refusal::None;
    std::string detail;
};

// Appends `text` with its %NAME% references expanded to `out`.
Verdict Expand(std::string_view text, const VariableLookup& lookup, std::string& out) {
    std::size_t units = 0;
    const auto append = [&](std::string_view piece, bool sanitize) {
        // A UTF-8 byte is at most one UTF-16 unit and three bytes at least
        // one, so a piece this long is over the bound before it is copied.
        if (piece.size() > 3 * (kMaxPathUnits - units)) return false;
        const std::size_t before = out.size();
        if (sanitize) {
            AppendSanitizedUtf8(piece, out);
        } else {
            out.append(piece);
        }
        units += Utf16Units(std::string_view(out).substr(before));
        return units <= kMaxPathUnits;
    };
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            if (!append(text.substr(at), false)) return {Refusal::TooLong, {}};
            break;
        }
        if (!append(text.substr(at, open - at), false)) return {Refusal::TooLong, {}};
        const std::string_view name = text.substr(open + 1, close - open - 1);
        at = close + 1;
        if (name.empty()) {
            if (!append("%%", false)) return {Refusal::TooLong, {}};
            continue;
        }
        const std::optional<std::string> value = lookup ? lookup(name) : std::nullopt;
        if (!value) return {Refusal::UndefinedVariable, std::string(name)};
        if (!append(*value, true)) return {Refusal::TooLong, {}};
    }
    return {};
}

Verdict CheckPath(std::string_view path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return {Refusal::NetworkOrDevice, {}};
    if (path.size() >= 4 && IsSeparator(path[0]) && path[1] == '?' && path[2] == '?' && IsSeparator(path[3])) {
        return {Refusal::NetworkOrDevice, {}};
    }
    if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != ':' || !IsSeparator(path[2])) {
        return {Refusal::NotAbsolute, {}};
    }
    for (std::size_t at = 2; at < path.size(); ++at) {
        if (const std::size_t control = ControlAt(path, at)) {
            return {Refusal::ForbiddenCharacter, Readable(path.substr(at, control))};
        }
        if (std::string_view("<>\"|?*:").find(path[at]) != std::string_view::npos) {
            return {Refusal::ForbiddenCharacter, std::string(1, path[at])};
        }
    }
    std::size_t lastSeparator = path.size();
    while (!IsSeparator(path[lastSeparator - 1])) --lastSeparator;
    const std::string_view last = path.substr(lastSeparator);
    if (last.find_first_not_of(". ") == std::string_view::npos) return {Refusal::Folder, {}};
    if (names::IsDeviceName(last)) return {Refusal::NetworkOrDevice, {}};
    return {};
}

Slot ReadSlot(std::u16string_view entry, const VariableLookup& lookup) {
    Slot slot;
    if (entry.find_first_not_of(u' ') == std::u16string_view::npos) return slot;
    slot.state = SlotState::Refused;
    std::string text;
    const bool clean = AppendUtf16BytesAsUtf8(
        {reinterpret_cast<const std::uint8_t*>(entry.data()), entry.size() * sizeof(char16_t)},
        std::endian::native == std::endian::big, text);
    if (!clean) {
        slot.refusal = Refusal::LoneSurrogate;
        return slot;
    }
    std::string expanded;
    Verdict refused = Expand(text, lookup, expanded);
    if (refused.refusal == Refusal::None) refused = CheckPath(TrimmedSpaces(expanded));
    if (refused.refusal != Refusal::None) {
        slot.refusal = refused.refusal;
        slot.detail = std::move(refused.detail);
        return slot;
    }
    slot.state = SlotState::Path;
    slot.path = TrimmedSpaces(expanded);
    return slot;
}

}  // namespace

SchemeValue ReadSchemeText(std::u16string_view text, const VariableLookup& lookup) {
    text = text.substr(0, text.find(u'\0'));
    SchemeValue value;
    if (text.empty()) return value;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(u',', start);
        if (value.entries < kSlotCount) {
            const std::size_t end = comma == std::u16string_view::npos ? text.size() : comma;
            value.slots[value.entries] = ReadSlot(text.substr(start, end - start), lookup);
        }
        ++value.entries;
        if (comma == std::u16string_view::npos) break;
        start = comma + 1;
    }
    return value;
}

SchemeValue ReadSchemeValue(std::span<const std::uint8_t> data, ValueType type, const VariableLookup& lookup) {
    SchemeValue value;
    if (type == ValueType::Other) {
        value.state = ValueState::Skipped;
        return value;
    }
    if (data.size() > kMaxValueBytes) {
        value.state = ValueState::Unreadable;
        return value;
    }
    std::u16string text;
    text.reserve(data.size() / 2);
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == u'\0') break;
        text.push_back(unit);
    }
    return ReadSchemeText(text, lookup);
}

WrittenValue WriteSchemeValue(std::span<const std::string, kSlotCount> paths, const VariableLookup& lookup) {
    WrittenValue written;
    std::u16string text;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        const std::string& path = paths[i];
        if (i > 0) text += u',';
        if (path.empty()) continue;
        written.slot = i;
        if (path.find(',') != std::string::npos) {
            written.error = WriteError::Comma;
            return written;
        }
        const std::u16string entry = Utf8ToUtf16(path);
        const Slot slot = ReadSlot(entry, lookup);
        if (slot.state != SlotState::Path || slot.path != path) {
            written.error = WriteError::NotItself;
            written.refusal = slot.refusal;
            return written;
        }
        text += entry;
    }
    if ((text.size() + 1) * sizeof(char16_t) > kMaxValueBytes) {
        written.error = WriteError::TooLarge;
        written.slot = 0;
        return written;
    }
    written.slot = 0;
    written.text = std::move(text);
    return written;
}

// Scheme names. A saved scheme's name becomes a value name in the user's
// list and, when the scheme is exported, the name of a folder under
// %windir%\Cursors and of the scheme its install.inf lists; so it follows the
// rules for a folder name as well as the list's own:
// - Trimmed of U+0020 and of the ideographic space U+3000, which Chinese
//   input methods type; other blanks are kept (or refused as control
//   characters).
// - 1 to 64 Unicode code points, whatever their UTF-16 or UTF-8 length.
// - No \ / : * ? " < > | (Windows' forbidden characters), no comma (it would
//   split the exported install.inf's Schemes line), no control character,
//   no trailing '.' (Windows drops it from a folder name), no device name
//   (the rule of NameRules.h).
// - No '%': the name is a folder in every path of the scheme's value, which
//   Windows expands (REG_EXPAND_SZ), so "a%USERNAME%b" would name another
//   folder for each user and "..%HOMEPATH%" one outside %windir%\Cursors.
// - Not "Cursors": Apply copies the working scheme to %windir%\Cursors\Cursors.
// - Not the name of a scheme of the system's list, so that a name in
//   "(Default)" with "Scheme Source" says one scheme. Names are compared with
//   ASCII case folded: the system's names are English or Chinese, and
//   Chinese has no case.
NameCheck CheckSchemeName(std::string_view typed, std::span<const std::string> systemSchemes) {
    NameCheck check;
    std::string sanitized;
    if (!AppendSanitizedUtf8(typed, sanitized)) {
        check.problem = NameProblem::InvalidText;
        return check;
    }
    std::string_view name = sanitized;
    while (true) {
        const std::size_t before = name.size();
        name = TrimmedSpaces(name);
        if (name.starts_with(kIdeographicSpace)) name.remove_prefix(kIdeographicSpace.size());
        if (name.ends_with(kIdeographicSpace)) name.remove_suffix(kIdeographicSpace.size());
        if (name.size() == before) break;
    }
    if (name.empty()) {
        check.problem = NameProblem::Empty;
        return check;
    }
    std::size_t codePoints = 0;
    for (const char c : name) codePoints += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    if (codePoints > kMaxSchemeNameCodePoints) {
        check.problem = NameProblem::TooLong;
        return check;
    }
    bool control = false;
    bool forbidden = false;
    bool percent = false;
    for (std::size_t at = 0; at < name.size(); ++at) {
        control = control || ControlAt(name, at) != 0;
        forbidden = forbidden || std::string_view("\\/:*?\"<>|,").find(name[at]) != std::string_view::npos;
        percent = percent || names::kExpandedCharacters.find(name[at]) != std::string_view::npos;
    }
    if (control) {
        check.problem = NameProblem::ControlCharacter;
    } else if (forbidden) {
        check.problem = NameProblem::ForbiddenCharacter;
    } else if (name.back() == '.') {
        check.problem = NameProblem::TrailingDot;
    } else if (percent) {
        check.problem = NameProblem::ExpandedCharacter;
    } else if (names::IsDeviceName(name)) {
        check.problem = NameProblem::DeviceName;
    } else if (EqualsIgnoringAsciiCase(name, "Cursors")) {
        check.problem = NameProblem::ApplyFolder;
    } else {
        for (const std::string& system : systemSchemes) {
            if (EqualsIgnoringAsciiCase(name, system)) check.problem = NameProblem::SystemScheme;
        }
    }
    if (check.problem == NameProblem::None) check.name = name;
    return check;
}

}  // namespace shubiao::schemes

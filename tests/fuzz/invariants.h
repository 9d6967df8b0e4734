#pragma once
// What the cursor check's sizes, the cursor image reader, the .inf reader,
// the name matcher, the Schemes value reader and the ZIP reader promise for
// any input at all.
// The fuzz targets abort when a promise is broken; the portable tests replay
// the inputs the fuzzer kept and check the same promises. Each check returns
// an empty string, or says which promise was broken.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/formats/CursorFileCheck.h"
#include "scheme/formats/CursorImages.h"
#include "scheme/formats/InfReader.h"
#include "scheme/formats/PackNames.h"
#include "scheme/formats/SchemeList.h"
#include "scheme/formats/SchemeOrder.h"
#include "scheme/formats/TextEncoding.h"
#include "scheme/formats/ZipReader.h"

#include <zlib.h>

namespace fuzz_invariants {

// One of Windows' seventeen roles, spelt as in kSchemeOrder.
inline bool IsRoleSpelling(std::string_view role) {
    const int pos = shubiao::SchemePosition(role);
    return pos >= 0 && shubiao::kSchemeOrder[static_cast<std::size_t>(pos)] == role;
}

inline std::string InfResultBreaks(const shubiao::inf::InfResult& result) {
    if (result.error != shubiao::inf::InfError::None) return result.schemes.empty() ? "" : "schemes with an error";
    for (const shubiao::inf::Scheme& scheme : result.schemes) {
        if (scheme.files.empty()) return "a scheme without files";
        std::set<std::string> roles;
        for (const shubiao::inf::RoleFile& file : scheme.files) {
            if (!IsRoleSpelling(file.role)) return "unknown role " + file.role;
            if (!roles.insert(file.role).second) return "role twice: " + file.role;
            const std::string& name = file.fileName;
            if (name.empty() || name == "." || name == "..") return "no file name for " + file.role;
            if (name.find_first_of("\\/") != std::string::npos) return "a path, not a name: " + name;
        }
    }
    return "";
}

// Whether a name's stem (the name without its last extension), trailing
// separators left out, ends in a digit, ASCII or full-width, or in a closing
// parenthesis, ASCII or full-width.
inline bool StemEndsInNumber(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
    while (!stem.empty()) {
        if (stem.back() == ' ' || stem.back() == '-' || stem.back() == '_' || stem.back() == '.' || stem.back() == '/') {
            stem.remove_suffix(1);
        } else if (stem.size() >= 3 && stem.substr(stem.size() - 3) == "\xE3\x80\x80") {   // U+3000
            stem.remove_suffix(3);
        } else {
            break;
        }
    }
    if (stem.empty()) return false;
    if ((stem.back() >= '0' && stem.back() <= '9') || stem.back() == ')') return true;
    if (stem.size() < 3 || stem.substr(stem.size() - 3, 2) != "\xEF\xBC") return false;
    const auto last = static_cast<unsigned char>(stem.back());
    return (last >= 0x90 && last <= 0x99) || last == 0x89;   // U+FF10..U+FF19, U+FF09
}

inline std::string NameMatchesBreak(const std::vector<shubiao::pack::NameMatch>& matches,
                                    std::span<const std::string> names) {
    std::set<std::string> roles;
    std::set<std::size_t> files;
    for (const shubiao::pack::NameMatch& match : matches) {
        if (!IsRoleSpelling(match.role)) return "unknown role " + match.role;
        if (!roles.insert(match.role).second) return "role twice: " + match.role;
        if (match.file >= names.size()) return "file index out of range";
        if (!files.insert(match.file).second) return "file twice: " + std::to_string(match.file);
        if (match.alternate > 999999) return "copy number of more than six digits";
        if (match.alternate > 0 && !StemEndsInNumber(names[match.file])) return "a copy without a number: " + names[match.file];
    }
    return "";
}

// The name matcher's fuzz input: one file name a line.
inline std::vector<std::string> SplitNames(std::string_view bytes) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at <= bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        names.emplace_back(bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return names;
}

namespace scheme_list {

namespace sl = shubiao::schemes;

// The environment the Schemes reader's fuzz target and its replay read with.
// No value holds a comma or a '%', so every path read writes back as itself.
inline std::optional<std::string> Variable(std::string_view name) {
    using shubiao::EqualsIgnoringAsciiCase;
    if (EqualsIgnoringAsciiCase(name, "SystemRoot") || EqualsIgnoringAsciiCase(name, "windir")) return "C:\\Windows";
    if (EqualsIgnoringAsciiCase(name, "USERPROFILE")) return "C:\\Users\\\xE5\xBC\xA0\xE4\xB8\x89";
    if (EqualsIgnoringAsciiCase(name, "LONG")) return std::string(20000, 'x');   // twice is over the bound
    if (EqualsIgnoringAsciiCase(name, "EMPTY")) return "";
    if (EqualsIgnoringAsciiCase(name, "REL")) return "a\\b";
    if (EqualsIgnoringAsciiCase(name, "UNC")) return "\\\\server\\share";
    if (EqualsIgnoringAsciiCase(name, "BAD")) return "\xFF\xC0";   // not UTF-8
    return std::nullopt;
}

// The system's scheme names the fuzz target checks typed names against.
inline const std::vector<std::string>& SystemSchemes() {
    static const std::vector<std::string> names{"Windows Default", "Windows \xE9\xBB\x91\xE8\x89\xB2", "Magnified"};
    return names;
}

// The fuzz target's input: its first byte picks the value's type, the rest
// is the data.
inline sl::ValueType TypeOf(std::uint8_t first) {
    return first % 3 == 0 ? sl::ValueType::Text : first % 3 == 1 ? sl::ValueType::ExpandableText : sl::ValueType::Other;
}

// A path given as one: an absolute drive path, well-formed, trimmed, within
// the bound, naming a file, and free of what Windows reads as something else.
inline std::string PathBreaks(const std::string& p) {
    std::string copy;
    if (!shubiao::AppendSanitizedUtf8(p, copy)) return "path not UTF-8";
    if (p.size() < 3 || !((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) || p[1] != ':' ||
        (p[2] != '\\' && p[2] != '/')) {
        return "not a drive path: " + p;
    }
    if (p.front() == ' ' || p.back() == ' ') return "spaces around " + p;
    if (p.back() == '\\' || p.back() == '/') return "a folder: " + p;
    for (std::size_t i = 2; i < p.size(); ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x20 || c == 0x7F || std::string_view("<>\"|?*:").find(p[i]) != std::string_view::npos) {
            return "forbidden character in " + p;
        }
    }
    if (shubiao::Utf8ToUtf16(p).size() > sl::kMaxPathUnits) return "path over the bound";
    return "";
}

// What ReadSchemeValue gave for `type` and `size` bytes of data, read with
// `lookup`.
inline std::string SchemeValueBreaks(const sl::SchemeValue& value, sl::ValueType type, std::size_t size,
                                     const sl::VariableLookup& lookup = Variable) {
    const bool allDefault = std::all_of(value.slots.begin(), value.slots.end(), [](const sl::Slot& slot) {
        return slot.state == sl::SlotState::WindowsDefault && slot.path.empty() && slot.refusal == sl::Refusal::None;
    });
    if (type == sl::ValueType::Other) {
        return value.state == sl::ValueState::Skipped && allDefault && value.entries == 0 ? "" : "another type read";
    }
    if (size > sl::kMaxValueBytes) {
        return value.state == sl::ValueState::Unreadable && allDefault && value.entries == 0 ? "" : "oversized value read";
    }
    if (value.state != sl::ValueState::Read) return "text value not read";
    if (value.entries > size / 2 + 1) return "more entries than the data holds";
    std::array<std::string, sl::kSlotCount> paths;
    for (std::size_t i = 0; i < sl::kSlotCount; ++i) {
        const sl::Slot& slot = value.slots[i];
        const std::string at = " in slot " + std::to_string(i);
        if (i >= value.entries && slot.state != sl::SlotState::WindowsDefault) return "slot past the data" + at;
        switch (slot.state) {
        case sl::SlotState::WindowsDefault:
            if (!slot.path.empty() || slot.refusal != sl::Refusal::None) return "default with a path or reason" + at;
            break;
        case sl::SlotState::Refused:
            if (!slot.path.empty() || slot.refusal == sl::Refusal::None) return "refused with a path or no reason" + at;
            break;
        case sl::SlotState::Path:
            if (slot.refusal != sl::Refusal::None) return "path with a reason" + at;
            if (std::string broken = PathBreaks(slot.path); !broken.empty()) return broken + at;
            paths[i] = slot.path;
            break;
        }
    }
    // The paths read write back, and the text written reads back as them.
    const sl::WrittenValue written = sl::WriteSchemeValue(paths, lookup);
    if (written.error == sl::WriteError::TooLarge) {
        // Expanded paths may be longer than the data was.
        std::size_t units = sl::kSlotCount;   // the commas and the NUL
        for (const std::string& path : paths) units += shubiao::Utf8ToUtf16(path).size();
        return units * 2 > sl::kMaxValueBytes ? "" : "paths that fit called too large";
    }
    if (written.error != sl::WriteError::None) return "paths read do not write back: slot " + std::to_string(written.slot);
    const sl::SchemeValue again = sl::ReadSchemeText(written.text, lookup);
    if (again.entries != sl::kSlotCount) return "written text has " + std::to_string(again.entries) + " entries";
    for (std::size_t i = 0; i < sl::kSlotCount; ++i) {
        const bool same = paths[i].empty() ? again.slots[i].state == sl::SlotState::WindowsDefault
                                           : again.slots[i].state == sl::SlotState::Path && again.slots[i].path == paths[i];
        if (!same) return "written text reads back otherwise in slot " + std::to_string(i);
    }
    return "";
}

// A name accepted is trimmed, short enough, and holds nothing a value name,
// a folder name or an install.inf cannot.
inline std::string SchemeNameBreaks(const sl::NameCheck& check, std::string_view typed) {
    if (check.problem != sl::NameProblem::None) return check.name.empty() ? "" : "a name with a problem";
    const std::string& name = check.name;
    if (name.empty()) return "empty name accepted";
    if (typed.find(name) == std::string_view::npos) return "name is not from the text typed";
    const std::u16string units = shubiao::Utf8ToUtf16(name);
    std::size_t codePoints = 0;
    for (const char16_t u : units) codePoints += (u >= 0xDC00 && u <= 0xDFFF) ? 0 : 1;
    if (codePoints > sl::kMaxSchemeNameCodePoints) return "name too long";
    if (units.front() == u' ' || units.back() == u' ' || units.front() == u'\u3000' || units.back() == u'\u3000') {
        return "name not trimmed";
    }
    if (units.back() == u'.') return "trailing dot";
    if (name.find('%') != std::string::npos) return "a '%' that Windows would expand";
    for (const char16_t u : units) {
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || std::u16string_view(u"\\/:*?\"<>|,").find(u) != std::u16string_view::npos) {
            return "forbidden character in the name";
        }
    }
    if (shubiao::EqualsIgnoringAsciiCase(name, "cursors")) return "the Apply folder's name";
    for (const std::string& system : SystemSchemes()) {
        if (shubiao::EqualsIgnoringAsciiCase(name, system)) return "a system scheme's name";
    }
    return "";
}

}  // namespace scheme_list

// The sizes the check reports: ascending, distinct and within its limits, and
// only for a file it passes; a conflict only for a refusal for an image's size.
inline std::string CursorSizesBreak(const shubiao::CursorCheck& check) {
    const shubiao::CursorSizes& sizes = check.sizes;
    const auto within = [](shubiao::PixelSize s) {
        return s.width >= 1 && s.height >= 1 && s.width <= shubiao::kMaxImageDimension && s.height <= shubiao::kMaxImageDimension;
    };
    if (check.ok() == sizes.held.empty()) return check.ok() ? "a file that passes without sizes" : "sizes of a refused file";
    if (sizes.framesDiffer && (check.kind != shubiao::CursorFileKind::Animated || sizes.held.size() < 2)) return "frames differ alone";
    for (std::size_t i = 0; i < sizes.held.size(); ++i) {
        if (!within(sizes.held[i])) return "a size outside the limits";
        if (i > 0 && !(sizes.held[i - 1] < sizes.held[i])) return "sizes not ascending and distinct";
    }
    if (!sizes.conflict) return "";
    const shubiao::SizeConflict& c = *sizes.conflict;
    if (!within(c.claimed)) return "a claimed size no directory holds";
    if (check.fault == shubiao::CursorFault::SizeMismatch) return c.claimed != c.found && within(c.found) ? "" : "no mismatch";
    if (check.fault == shubiao::CursorFault::ZeroDimension) return c.found.width == 0 || c.found.height == 0 ? "" : "no zero";
    if (check.fault == shubiao::CursorFault::DimensionTooLarge) return within(c.found) ? "not too large" : "";
    return "a conflict for another fault";
}

namespace images {

using Span = std::span<const std::uint8_t>;

inline std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t Dword(const std::vector<std::uint8_t>& b, std::size_t at) {
    return Word(b, at) | (Word(b, at + 2) << 16);
}
inline bool Inside(Span part, Span whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// The group directory and the images agree, and the resource bits are as
// large as the directory says.
inline std::string ResourceBreaks(const shubiao::CursorResource& r, Span file) {
    const std::size_t n = r.images.size();
    if (n < 1 || n > 0xFFFF) return "image count";
    if (r.directory.size() != 6 + 14 * n) return "directory size";
    if (Word(r.directory, 0) != 0 || Word(r.directory, 2) != (r.cursor ? 2u : 1u) || Word(r.directory, 4) != n) {
        return "directory header";
    }
    for (std::size_t i = 0; i < n; ++i) {
        const shubiao::ResourceImage& image = r.images[i];
        const std::size_t entry = 6 + 14 * i;
        if (Dword(r.directory, entry + 8) != image.image.size() + (r.cursor ? 4 : 0)) return "bytes in resource";
        if (Word(r.directory, entry + 12) != i + 1) return "resource id";
        if (Word(r.directory, entry + 6) != image.bitCount || image.bitCount == 0) return "bit count";
        if (image.width < 1 || image.width > 256 || image.height < 1 || image.height > 256) return "image size";
        if (r.cursor && (image.hotX >= image.width || image.hotY >= image.height)) return "hot spot";
        if (!Inside(image.image, file)) return "image outside the file";
    }
    // Building bits copies one image; the first and the last are enough to
    // cover the layout without copying a directory's worth of overlapping images.
    for (const std::size_t id : {std::size_t{1}, n}) {
        if (r.ResourceBits(static_cast<int>(id)).size() != Dword(r.directory, 6 + 14 * (id - 1) + 8)) {
            return "resource bits";
        }
    }
    if (!r.ResourceBits(0).empty() || !r.ResourceBits(static_cast<int>(n + 1)).empty()) return "bits of no image";
    return "";
}

}  // namespace images

// Each reader accepts exactly what the cursor check passes, of its own kind,
// and what it gives lies inside the file and agrees with itself.
inline std::string CursorImagesBreak(std::span<const std::uint8_t> bytes) {
    using images::Inside;
    const shubiao::CursorCheck check = shubiao::CheckCursorBytes(bytes);
    const auto first = shubiao::FirstFrame(bytes);
    const auto resource = shubiao::ToCursorResource(bytes);
    const auto animation = shubiao::ReadCursorAnimation(bytes);
    if (first.has_value() != check.ok()) return "first frame against the check";
    if (resource.has_value() != (check.ok() && check.kind == shubiao::CursorFileKind::Static)) return "resource against the check";
    if (animation.has_value() != (check.ok() && check.kind == shubiao::CursorFileKind::Animated)) {
        return "animation against the check";
    }
    if (!check.ok()) return "";
    if (!Inside(*first, bytes)) return "first frame outside the file";
    const auto preview = shubiao::ToCursorResource(*first);
    if (!preview) return "first frame gives no resource";
    if (std::string broken = images::ResourceBreaks(*preview, *first); !broken.empty()) return broken;
    if (resource) {
        if (std::string broken = images::ResourceBreaks(*resource, bytes); !broken.empty()) return broken;
    }
    if (animation) {
        const std::size_t frames = animation->frames.size();
        const std::size_t steps = animation->frameOfStep.size();
        if (frames < 1 || frames > shubiao::kMaxAnimationFrames) return "frame count";
        if (steps < 1 || steps > shubiao::kMaxAnimationSteps) return "step count";
        if (animation->jiffiesOfStep.size() != steps) return "rates and steps differ";
        for (const std::uint32_t frame : animation->frameOfStep) {
            if (frame >= frames) return "step names no frame";
        }
        if (first->data() != animation->frames[animation->frameOfStep[0]].data()) return "first frame is not step 0's";
        for (const images::Span frame : animation->frames) {
            if (!Inside(frame, bytes)) return "frame outside the file";
            if (!shubiao::ToCursorResource(frame)) return "frame gives no resource";
        }
    }
    return "";
}

namespace zip {

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EndsWithNoCase(std::string_view s, std::string_view tail) {
    if (s.size() <= tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (Lower(s[s.size() - tail.size() + i]) != tail[i]) return false;
    }
    return true;
}

// One file handed out: a safe relative path of a kind the import reads, and
// exactly the bytes the directory declared.
inline std::string FileBreaks(const shubiao::zip::Entry& entry, std::span<const std::uint8_t> bytes) {
    const std::string& path = entry.path;
    if (path.empty() || path.front() == '/' || path.back() == '/') return "no relative file path: " + path;
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        const std::string_view part = std::string_view(path).substr(at, end - at);
        if (part.empty() || part == "." || part == "..") return "a bad component in " + path;
        if (part.back() == '.' || part.back() == ' ') return "a component Windows would shorten in " + path;
        at = end + 1;
    }
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\:<>\"|?*").find(c) != std::string_view::npos) {
            return "an unsafe character in " + path;
        }
    }
    const bool inf = EndsWithNoCase(path, ".inf");
    if (!inf && !EndsWithNoCase(path, ".cur") && !EndsWithNoCase(path, ".ani")) return "not a file the import reads: " + path;
    if (entry.size > (inf ? shubiao::inf::kMaxInfBytes : shubiao::kMaxCursorFileBytes)) return "over the size limit: " + path;
    if (bytes.size() != entry.size) return "not the declared size: " + path;
    if (crc32_z(0, bytes.data(), bytes.size()) != entry.crc) return "not the declared CRC: " + path;
    return "";
}

}  // namespace zip

// Reads an archive as the import does (names without the UTF-8 flag as
// Latin-1, except that a name with 0xFF is left to the reader's fallback).
inline std::string ZipReadBreaks(std::span<const std::uint8_t> archive) {
    shubiao::zip::SpanSource source(archive);
    const shubiao::CodePageDecoder latin1 = [](std::string_view bytes, std::string& utf8) {
        if (bytes.find('\xFF') != std::string_view::npos) return false;
        for (const char c : bytes) shubiao::AppendUtf8(static_cast<unsigned char>(c), utf8);
        return true;
    };
    std::string broken;
    std::set<std::string> paths;
    std::uint64_t total = 0;
    std::size_t files = 0;
    const shubiao::zip::ArchiveRead read = shubiao::zip::ReadArchive(
        source, latin1, [&](const shubiao::zip::Entry& entry, std::span<const std::uint8_t> bytes) {
            ++files;
            total += bytes.size();
            std::string key;
            for (const char c : entry.path) key.push_back(zip::Lower(c));
            if (broken.empty()) broken = zip::FileBreaks(entry, bytes);
            if (broken.empty() && !paths.insert(key).second) broken = "a path twice: " + entry.path;
        });
    if (!broken.empty()) return broken;
    if (read.error != shubiao::zip::ArchiveError::None && (files > 0 || !read.skipped.empty())) return "files or skips with an archive error";
    for (const shubiao::zip::Skipped& skipped : read.skipped) {
        if (skipped.problem == shubiao::zip::EntryProblem::None) return "skipped without a reason: " + skipped.name;
    }
    if (total > shubiao::zip::kMaxTotalBytes) return "more bytes than the archive limit";
    return "";
}

}  // namespace fuzz_invariants

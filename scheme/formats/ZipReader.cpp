// The ZIP reader of cursor packs.
//
// Choices made here, and why:
// - The central directory is the only authority on sizes, CRCs, methods and
//   flags; local headers are read for the length of their name and extra
//   field and nothing else (with data descriptors they hold zeros anyway).
// - The end record is searched backwards from the end over at most the
//   longest possible comment, and the first whose comment fits and whose
//   directory checks out is taken (some tools append bytes after the
//   archive): the directory must start with a central header and end
//   exactly where the end record begins. So an end record inside a comment,
//   which points at some other archive's directory, is passed over.
// - The directory's records must fill it exactly: after as many records as
//   the end record counts, the directory has ended. More records than
//   counted (a count that wrapped past 65,535 in an archive that should have
//   been Zip64) or fewer make the archive damaged; it is never read in part,
//   so no pointer of a pack goes missing without a word.
// - The directory is read front to back through a 64 KiB window, never
//   loaded whole: a directory may claim 10,000 names of 64 KiB each.
// - Names are decoded before they are split: in GBK the second byte of a
//   character may be 0x5C, which is not a backslash there. A name in the
//   Info-ZIP Unicode path field (0x7075) whose CRC matches the raw name is
//   taken instead of the decoded one, as Windows archivers write it beside
//   an OEM name.
// - What Windows would not create as written is refused rather than
//   repaired: "..", a colon (drive letters and alternate streams), a leading
//   separator, control characters and <>"|?*, components ending in a dot or
//   space (Windows drops those, so "..." and ".. " would alias), and device
//   names such as CON, NUL.cur or COM¹.ani: the rule of NameRules.h, which
//   scheme names and an install.inf's file names follow too.
// - The limits: a cursor file is refused over 4 MiB and an .inf over 1 MiB
//   in any case, so an entry declaring more is not worth inflating; with at
//   most 64 MiB declared in all, and at most one entry's data held at a time
//   by ReadArchive, the memory stays bounded whatever the archive says.
//   A ratio above 1000:1 is beyond what deflate gives for any file a pack
//   holds (deflate's own limit is about 1032:1, reached only by runs of one
//   byte). The compressed size may exceed the declared one by at most an
//   eighth plus 1 KiB (deflate with fixed codes expands random bytes by
//   9/8); beyond that the entry is corrupt, so that a lying entry cannot
//   make the reader consume a large part of the file for a few bytes out.
// - Inflating writes into a buffer one byte longer than the declared size:
//   when that byte is reached the entry is refused at once, so a bomb that
//   lies about its size costs no more than its declared size.
#include "scheme/formats/ZipReader.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <unordered_set>

#include "scheme/formats/CursorFileCheck.h"
#include "scheme/formats/InfReader.h"
#include "scheme/formats/NameRules.h"

namespace shubiao::zip {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalHeaderBytes = 30;
constexpr std::size_t kCentralHeaderBytes = 46;
constexpr std::size_t kEndBytes = 22;
constexpr std::size_t kZip64LocatorBytes = 20;
constexpr std::size_t kMaxCommentBytes = 0xFFFF;
constexpr std::size_t kWindowBytes = 64 * 1024;
constexpr std::size_t kShownNameBytes = 200;
constexpr std::uint16_t kFlagEncrypted = 1u << 0;
constexpr std::uint16_t kFlagUtf8 = 1u << 11;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflate = 8;
constexpr std::uint16_t kUnicodePathField = 0x7075;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) { return static_cast<std::uint32_t>(U16(p)) | (static_cast<std::uint32_t>(U16(p + 2)) << 16); }

std::uint32_t Crc(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(crc32_z(0, bytes.data(), bytes.size()));
}

// Sequential reads of [begin, end) through a window.
class Window {
public:
    Window(Source& source, std::uint64_t begin, std::uint64_t end)
        : source_(source), at_(begin), end_(end), buffer_(static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, end - begin))) {}

    // The next `n` bytes (n <= kWindowBytes), or nullptr when they run past
    // the end or cannot be read (then failed() says which).
    const std::uint8_t* Take(std::size_t n) {
        if (n > end_ - at_) return nullptr;
        if (at_ < start_ || at_ + n > start_ + filled_) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, end_ - at_));
            if (!source_.Read(at_, std::span(buffer_.data(), want))) {
                failed_ = true;
                return nullptr;
            }
            start_ = at_;
            filled_ = want;
        }
        const std::uint8_t* p = buffer_.data() + (at_ - start_);
        at_ += n;
        return p;
    }
    // Passes over `n` bytes without reading them.
    bool Skip(std::size_t n) {
        if (n > end_ - at_) return false;
        at_ += n;
        return true;
    }
    bool failed() const { return failed_; }
    bool AtEnd() const { return at_ == end_; }

private:
    Source& source_;
    std::uint64_t at_;
    std::uint64_t end_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
    bool failed_ = false;
};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
    return s.size() > tail.size() && EqualNoCase(s.substr(s.size() - tail.size()), tail);
}

enum class Kind { Other, Cursor, Inf };

// What the name of one directory record says.
struct Name {
    std::string decoded;
    std::vector<std::string_view> components;   // into `decoded`; no empty or "." ones
    bool leadingSeparator = false;
    bool folder = false;
    Kind kind = Kind::Other;
};

std::string DecodeName(std::span<const std::uint8_t> raw, std::uint16_t flags, std::span<const std::uint8_t> extra,
                       const CodePageDecoder& decoder) {
    const std::string_view bytes(reinterpret_cast<const char*>(raw.data()), raw.size());
    std::string out;
    // The Unicode path field: version 1, the CRC-32 of the raw name, UTF-8.
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::uint16_t id = U16(&extra[at]);
        const std::size_t length = U16(&extra[at + 2]);
        if (length > extra.size() - at - 4) break;
        const std::span<const std::uint8_t> data = extra.subspan(at + 4, length);
        if (id == kUnicodePathField && length >= 5 && data[0] == 1 && U32(&data[1]) == Crc(raw)) {
            AppendSanitizedUtf8(std::string_view(reinterpret_cast<const char*>(data.data() + 5), length - 5), out);
            return out;
        }
        at += 4 + length;
    }
    if ((flags & kFlagUtf8) == 0 && decoder && decoder(bytes, out)) return out;
    out.clear();
    AppendSanitizedUtf8(bytes, out);
    return out;
}

Name SplitName(std::string decoded) {
    Name name;
    name.decoded = std::move(decoded);
    const std::string_view s = name.decoded;
    name.leadingSeparator = !s.empty() && (s.front() == '/' || s.front() == '\\');
    name.folder = !s.empty() && (s.back() == '/' || s.back() == '\\');
    std::size_t at = 0;
    while (at <= s.size()) {
        const std::size_t end = std::min(s.find_first_of("/\\", at), s.size());
        const std::string_view part = s.substr(at, end - at);
        if (!part.empty() && part != ".") name.components.push_back(part);
        at = end + 1;
    }
    if (!name.folder && !name.components.empty()) {
        const std::string_view last = name.components.back();
        if (EndsWithNoCase(last, ".cur") || EndsWithNoCase(last, ".ani")) name.kind = Kind::Cursor;
        if (EndsWithNoCase(last, ".inf")) name.kind = Kind::Inf;
    }
    return name;
}

// Entries the import never reads: folders, files of other kinds, and what
// macOS's archiver adds beside every file.
bool IsPassedOver(const Name& name) {
    if (name.folder || name.components.empty() || name.kind == Kind::Other) return true;
    return EqualNoCase(name.components.front(), "__MACOSX") || name.components.back().starts_with("._");
}

// The name for a message: control characters (NUL included) as U+FFFD, and
// cut short with an ellipsis when long.
std::string ShownName(std::string_view decoded) {
    std::size_t cut = decoded.size();
    if (cut > kShownNameBytes) {
        cut = kShownNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(decoded[cut]) & 0xC0) == 0x80) --cut;
    }
    std::string shown;
    for (const char c : decoded.substr(0, cut)) {
        if (static_cast<unsigned char>(c) < 0x20) {
            AppendUtf8(kReplacementCharacter, shown);
        } else {
            shown.push_back(c);
        }
    }
    if (cut < decoded.size()) shown += "\xE2\x80\xA6";
    return shown;
}

// One directory record's fixed fields.
struct Record {
    std::uint16_t flags;
    std::uint16_t method;
    std::uint32_t crc;
    std::uint32_t compressed;
    std::uint32_t size;
    std::uint16_t disk;
    std::uint32_t offset;
};

EntryProblem ProblemOf(const Record& r, const Name& name, std::size_t rawNameBytes, bool rawNul) {
    if (rawNameBytes > kMaxNameBytes) return EntryProblem::NameTooLong;
    if (name.leadingSeparator || rawNul) return EntryProblem::UnsafeName;
    for (const std::string_view component : name.components) {
        if (!names::IsSafeComponent(component)) return EntryProblem::UnsafeName;
    }
    if ((r.flags & kFlagEncrypted) != 0) return EntryProblem::Encrypted;
    if (r.method != kMethodStored && r.method != kMethodDeflate) return EntryProblem::UnsupportedMethod;
    const std::uint64_t limit = name.kind == Kind::Inf ? inf::kMaxInfBytes : kMaxCursorFileBytes;
    if (r.size > limit) return EntryProblem::TooLarge;
    if (r.size > kMaxRatio * r.compressed) return EntryProblem::RatioTooHigh;
    if (r.method == kMethodStored && r.compressed != r.size) return EntryProblem::Corrupt;
    if (r.compressed > std::uint64_t{r.size} + r.size / 8 + 1024) return EntryProblem::Corrupt;
    return EntryProblem::None;
}

std::string PathOf(const Name& name) {
    std::string path;
    for (const std::string_view component : name.components) {
        if (!path.empty()) path += '/';
        path += component;
    }
    return path;
}

std::string LowerKey(std::string path) {
    for (char& c : path) c = AsciiLower(c);
    return path;
}

struct End {
    ArchiveError error = ArchiveError::None;
    std::uint64_t at = 0;
    std::uint64_t directoryOffset = 0;
    std::uint64_t directoryBytes = 0;
    std::size_t entries = 0;
};

// What the end record at `at` (in `tail`, which ends the archive) says, and
// whether the directory it points at is one: its first record is a central
// header and it ends exactly where the end record begins.
End ReadEnd(Source& source, std::span<const std::uint8_t> tail, std::size_t found, std::uint64_t at) {
    End end;
    const std::uint8_t* e = &tail[found];
    end.at = at;
    const std::uint16_t disk = U16(e + 4);
    const std::uint16_t directoryDisk = U16(e + 6);
    const std::uint16_t onDisk = U16(e + 8);
    const std::uint16_t total = U16(e + 10);
    end.directoryBytes = U32(e + 12);
    end.directoryOffset = U32(e + 16);
    end.entries = total;
    if (found >= kZip64LocatorBytes && U32(&tail[found - kZip64LocatorBytes]) == kZip64LocatorSignature) return {ArchiveError::Zip64};
    if (total == 0xFFFF || onDisk == 0xFFFF || end.directoryBytes == 0xFFFFFFFF || end.directoryOffset == 0xFFFFFFFF) {
        return {ArchiveError::Zip64};
    }
    if (disk != 0 || directoryDisk != 0 || onDisk != total) return {ArchiveError::MultiDisk};
    if (total > kMaxEntries) return {ArchiveError::TooManyEntries};
    if (end.directoryOffset + end.directoryBytes > end.at) return {ArchiveError::Truncated};
    if (end.directoryOffset + end.directoryBytes != end.at) return {ArchiveError::Damaged};
    if (end.directoryBytes < std::uint64_t{total} * kCentralHeaderBytes) return {ArchiveError::Damaged};
    if (end.directoryBytes > 0) {
        std::array<std::uint8_t, 4> first{};
        if (!source.Read(end.directoryOffset, first)) return {ArchiveError::ReadFailed};
        if (U32(first.data()) != kCentralSignature) return {ArchiveError::Damaged};
    }
    return end;
}

// The end record whose directory checks out, the nearest the end first; an
// end record inside a comment (another archive's, say) is passed over. When
// none checks out, the error is that of the one a reader trusting the end
// record would take: the one whose comment reaches exactly the end of the
// file, or else the last whose comment fits.
End FindEnd(Source& source) {
    const std::uint64_t size = source.Size();
    const auto tailBytes = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndBytes + kMaxCommentBytes));
    std::vector<std::uint8_t> tail(tailBytes);
    if (!source.Read(size - tailBytes, tail)) return {ArchiveError::ReadFailed};
    std::size_t trusted = tailBytes;
    bool trustedReachesEnd = false;
    End trustedEnd;
    for (std::size_t i = tailBytes >= kEndBytes ? tailBytes - kEndBytes + 1 : 0; i-- > 0;) {
        if (U32(&tail[i]) != kEndSignature) continue;
        const std::size_t commentEnd = i + kEndBytes + U16(&tail[i + 20]);
        if (commentEnd > tailBytes) continue;
        const End end = ReadEnd(source, tail, i, size - tailBytes + i);
        if (end.error == ArchiveError::None || end.error == ArchiveError::ReadFailed) return end;
        if (!trustedReachesEnd && (trusted == tailBytes || commentEnd == tailBytes)) {
            trusted = i;
            trustedReachesEnd = commentEnd == tailBytes;
            trustedEnd = end;
        }
    }
    if (trusted != tailBytes) return trustedEnd;
    // A download cut short loses its end but keeps its first local header.
    std::array<std::uint8_t, 4> head{};
    if (size >= head.size() && source.Read(0, head) && U32(head.data()) == kLocalSignature) return {ArchiveError::Truncated};
    return {ArchiveError::NotZip};
}

}  // namespace

bool SpanSource::Read(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    if (offset > bytes_.size() || buffer.size() > bytes_.size() - offset) return false;
    if (!buffer.empty()) std::memcpy(buffer.data(), bytes_.data() + offset, buffer.size());
    return true;
}

Directory ReadDirectory(Source& source, const CodePageDecoder& decoder) {
    const End end = FindEnd(source);
    if (end.error != ArchiveError::None) return {end.error, {}, {}};

    Directory directory;
    std::unordered_set<std::string> paths;
    std::uint64_t total = 0;
    Window window(source, end.directoryOffset, end.directoryOffset + end.directoryBytes);
    const auto refuse = [](ArchiveError error) { return Directory{error, {}, {}}; };
    for (std::size_t i = 0; i < end.entries; ++i) {
        const std::uint8_t* h = window.Take(kCentralHeaderBytes);
        if (h == nullptr) return refuse(window.failed() ? ArchiveError::ReadFailed : ArchiveError::Damaged);
        if (U32(h) != kCentralSignature) return refuse(ArchiveError::Damaged);
        const Record r{U16(h + 8), U16(h + 10), U32(h + 16), U32(h + 20), U32(h + 24), U16(h + 34), U32(h + 42)};
        const std::size_t nameBytes = U16(h + 28);
        const std::size_t extraBytes = U16(h + 30);
        const std::size_t commentBytes = U16(h + 32);
        if (r.compressed == 0xFFFFFFFF || r.size == 0xFFFFFFFF || r.offset == 0xFFFFFFFF || r.disk == 0xFFFF) {
            return refuse(ArchiveError::Zip64);
        }
        if (r.disk != 0) return refuse(ArchiveError::MultiDisk);
        if (std::uint64_t{r.offset} + kLocalHeaderBytes + r.compressed > end.directoryOffset) return refuse(ArchiveError::Truncated);

        // Name and extra field are copied out before the window moves on.
        const std::uint8_t* n = window.Take(nameBytes);
        if (n == nullptr) return refuse(window.failed() ? ArchiveError::ReadFailed : ArchiveError::Damaged);
        const std::vector<std::uint8_t> raw(n, n + nameBytes);
        const std::uint8_t* x = window.Take(extraBytes);
        if (x == nullptr) return refuse(window.failed() ? ArchiveError::ReadFailed : ArchiveError::Damaged);
        const std::vector<std::uint8_t> extra(x, x + extraBytes);
        if (!window.Skip(commentBytes)) return refuse(ArchiveError::Damaged);

        const Name name = SplitName(DecodeName(raw, r.flags, extra, decoder));
        if (IsPassedOver(name)) continue;
        const bool rawNul = std::find(raw.begin(), raw.end(), 0) != raw.end();
        EntryProblem problem = ProblemOf(r, name, raw.size(), rawNul);
        std::string path;
        if (problem == EntryProblem::None) {
            path = PathOf(name);
            if (!paths.insert(LowerKey(path)).second) problem = EntryProblem::Duplicate;
        }
        if (problem != EntryProblem::None) {
            directory.skipped.push_back({ShownName(name.decoded), i, problem});
            continue;
        }
        total += r.size;
        directory.entries.push_back({std::move(path), i, r.method, r.crc, r.compressed, r.size, r.offset});
    }
    // Records beyond the count: the count wrapped, or the directory is not
    // what the end record says.
    if (!window.AtEnd()) return refuse(ArchiveError::Damaged);
    if (total > kMaxTotalBytes) return refuse(ArchiveError::TooLarge);
    return directory;
}

EntryProblem Extract(Source& source, const Entry& entry, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::array<std::uint8_t, kLocalHeaderBytes> local{};
    if (entry.localHeaderOffset > source.Size() || source.Size() - entry.localHeaderOffset < local.size()) return EntryProblem::Corrupt;
    if (!source.Read(entry.localHeaderOffset, local)) return EntryProblem::ReadFailed;
    if (U32(local.data()) != kLocalSignature) return EntryProblem::Corrupt;
    const std::uint64_t data = entry.localHeaderOffset + kLocalHeaderBytes + U16(&local[26]) + U16(&local[28]);
    if (data > source.Size() || source.Size() - data < entry.compressedSize) return EntryProblem::Corrupt;

    std::vector<std::uint8_t> out;
    if (entry.method == kMethodStored) {
        if (entry.compressedSize != entry.size) return EntryProblem::Corrupt;
        out.resize(static_cast<std::size_t>(entry.size));
        if (!source.Read(data, out)) return EntryProblem::ReadFailed;
    } else if (entry.method == kMethodDeflate) {
        // One byte more than declared: reaching it means the entry lied.
        out.resize(static_cast<std::size_t>(entry.size) + 1);
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return EntryProblem::Corrupt;
        std::vector<std::uint8_t> input(static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, entry.compressedSize)));
        std::uint64_t read = 0;
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        EntryProblem problem = EntryProblem::None;
        for (;;) {
            if (z.avail_in == 0 && read < entry.compressedSize) {
                const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(input.size(), entry.compressedSize - read));
                if (!source.Read(data + read, std::span(input.data(), chunk))) {
                    problem = EntryProblem::ReadFailed;
                    break;
                }
                read += chunk;
                z.next_in = input.data();
                z.avail_in = static_cast<uInt>(chunk);
            }
            const int status = inflate(&z, Z_NO_FLUSH);
            if (z.avail_out == 0) {
                problem = EntryProblem::Corrupt;   // more than declared
                break;
            }
            if (status == Z_STREAM_END) {
                if (z.total_out != entry.size) problem = EntryProblem::Corrupt;
                break;
            }
            // Z_BUF_ERROR with nothing left to give: the data ends mid-stream.
            if ((status != Z_OK && status != Z_BUF_ERROR) || (z.avail_in == 0 && read == entry.compressedSize)) {
                problem = EntryProblem::Corrupt;
                break;
            }
        }
        inflateEnd(&z);
        if (problem != EntryProblem::None) return problem;
        out.resize(static_cast<std::size_t>(entry.size));
    } else {
        return EntryProblem::UnsupportedMethod;
    }
    if (Crc(out) != entry.crc) return EntryProblem::BadCrc;
    bytes = std::move(out);
    return EntryProblem::None;
}

ArchiveRead ReadArchive(Source& source, const CodePageDecoder& decoder, const FileSink& onFile) {
    Directory directory = ReadDirectory(source, decoder);
    ArchiveRead read{directory.error, {}};
    std::vector<Skipped> failed;
    std::vector<std::uint8_t> bytes;
    for (const Entry& entry : directory.entries) {
        const EntryProblem problem = Extract(source, entry, bytes);
        if (problem != EntryProblem::None) {
            failed.push_back({entry.path, entry.index, problem});
        } else if (onFile) {
            onFile(entry, bytes);
        }
    }
    // Both lists are in directory order already.
    read.skipped.resize(directory.skipped.size() + failed.size());
    std::merge(std::make_move_iterator(directory.skipped.begin()), std::make_move_iterator(directory.skipped.end()),
               std::make_move_iterator(failed.begin()), std::make_move_iterator(failed.end()), read.skipped.begin(),
               [](const Skipped& a, const Skipped& b) { return a.index < b.index; });
    return read;
}

}  // namespace shubiao::zip

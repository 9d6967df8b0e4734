#pragma once
// Reads the cursor files out of a downloaded .zip pack. Portable: no Windows
// header; names come out as UTF-8.
//
// Only the central directory is believed: it is found through the
// end-of-central-directory record at the end of the archive (the last one
// whose directory starts with a central record and ends where the end
// record begins), its records must fill it exactly, and a local
// header is read for nothing but the lengths of its name and extra field, to
// find where the data starts. Only .cur, .ani and .inf entries are read;
// everything else (folders, other files, the __MACOSX/ and "._" files that
// macOS adds) is passed over without a word.
//
// An entry that cannot be read safely is skipped with a reason and the rest
// is read; an archive that cannot be read at all gives an ArchiveError and
// nothing else. Limits (see ZipReader.cpp for the reasoning):
//   entries in the directory              <= kMaxEntries (10,000)
//   .cur/.ani declared size               <= kMaxCursorFileBytes (4 MiB)
//   .inf declared size                    <= inf::kMaxInfBytes (1 MiB)
//   declared size / compressed size       <= kMaxRatio (1000)
//   declared size of every entry read     <= kMaxTotalBytes (64 MiB)
//   entry name                            <= kMaxNameBytes (1024 bytes)
// Time is linear in the directory's size plus the bytes extracted, and an
// entry that inflates to more than it declares is stopped at that point.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/formats/TextEncoding.h"

namespace shubiao::zip {

inline constexpr std::size_t kMaxEntries = 10000;
inline constexpr std::uint64_t kMaxRatio = 1000;
inline constexpr std::uint64_t kMaxTotalBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kMaxNameBytes = 1024;

// Random access to the archive's bytes, so that an archive on disk is read
// piece by piece rather than loaded whole.
class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills `buffer` with the bytes at `offset`; false when they cannot all be read.
    virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) = 0;
};

// An archive already in memory (tests, the fuzzer).
class SpanSource : public Source {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// Why nothing of an archive was read.
enum class ArchiveError {
    None,
    NotZip,          // no end-of-central-directory record, and no local header at the start
    Truncated,       // the end is missing, or the directory or an entry lies beyond it
    Damaged,         // the directory's records are not where, what or as many as the end record says
    MultiDisk,       // split over several files
    Zip64,           // ZIP64 records (archives over 4 GiB or 65,535 entries)
    TooManyEntries,  // more than kMaxEntries
    TooLarge,        // the entries to read declare more than kMaxTotalBytes together
    ReadFailed,      // the source could not be read
};

// Why one entry was skipped.
enum class EntryProblem {
    None,
    UnsafeName,         // "..", a drive or stream colon, a leading separator, NUL or another character Windows refuses
    NameTooLong,        // more than kMaxNameBytes
    Duplicate,          // the same path as an earlier entry (letter case ignored)
    Encrypted,          // general-purpose bit 0
    UnsupportedMethod,  // neither stored (0) nor deflate (8)
    TooLarge,           // declared size over the limit of its kind
    RatioTooHigh,       // declared size over kMaxRatio times the compressed size
    BadCrc,             // the data's CRC-32 is not the directory's
    Corrupt,            // no local header, sizes that disagree, data that does not inflate to the declared size
    ReadFailed,         // the source could not be read
};

// An entry to read.
struct Entry {
    std::string path;   // UTF-8, '/' between components; relative, none empty, ".", ".." or unsafe
    std::size_t index = 0;   // the record's position in the directory
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;   // declared uncompressed size
    std::uint64_t localHeaderOffset = 0;
};

struct Skipped {
    std::string name;   // the entry's name as decoded (cut short when very long), for messages
    std::size_t index = 0;   // the record's position in the directory
    EntryProblem problem = EntryProblem::None;
};

struct Directory {
    ArchiveError error = ArchiveError::None;
    std::vector<Entry> entries;    // in directory order; empty with an error
    std::vector<Skipped> skipped;  // refused by what the directory says; empty with an error
};

// Reads the central directory. Names without the UTF-8 flag go through
// `decoder` (the OEM code page on Windows); a name it cannot decode is read as
// UTF-8 with its ill-formed sequences replaced.
Directory ReadDirectory(Source& source, const CodePageDecoder& decoder);

// The data of one entry of `ReadDirectory`'s answer, checked against its
// declared size and CRC-32; `bytes` is empty unless the answer is None.
EntryProblem Extract(Source& source, const Entry& entry, std::vector<std::uint8_t>& bytes);

// Both together: `onFile` gets each entry that extracts cleanly, one at a
// time (so at most one entry's data is held); the entries skipped at either
// step are listed together in directory order.
struct ArchiveRead {
    ArchiveError error = ArchiveError::None;
    std::vector<Skipped> skipped;
};
using FileSink = std::function<void(const Entry& entry, std::span<const std::uint8_t> bytes)>;
ArchiveRead ReadArchive(Source& source, const CodePageDecoder& decoder, const FileSink& onFile);

}  // namespace shubiao::zip

#pragma once
// A small ZIP writer for tests: stored and deflate entries made with zlib,
// and knobs to make the archive lie about anything the reader must not
// believe (flags, method, CRC, sizes, raw name bytes, offsets, disk numbers,
// the directory's counts), plus a cheap deflate stream of a gigabyte of
// zeros. Shared by the portable tests, the fuzzer's seeds and the Windows
// tests.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cursor_bytes.h"

namespace zip_bytes {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint16_t kStored = 0;
inline constexpr std::uint16_t kDeflate = 8;
inline constexpr std::uint16_t kFlagEncrypted = 1u << 0;
inline constexpr std::uint16_t kFlagDescriptor = 1u << 3;
inline constexpr std::uint16_t kFlagUtf8 = 1u << 11;

inline Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Little-endian fields, as the cursor writer puts them.
using cursor_bytes::Put16;
using cursor_bytes::Put32;
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
inline void Append(Bytes& b, std::string_view more) { b.insert(b.end(), more.begin(), more.end()); }

inline std::uint32_t Crc(const Bytes& data) { return static_cast<std::uint32_t>(crc32_z(0, data.data(), data.size())); }

// Raw deflate (no zlib header), as ZIP stores it.
inline Bytes Deflate(const Bytes& data, int level = Z_BEST_COMPRESSION) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&z, Z_FINISH);
    deflateEnd(&z);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(z.total_out);
    return out;
}

// A raw deflate stream of `mebibytes` MiB of zeros, made in about a
// millisecond: one mebibyte is deflated once, ending at a byte boundary with
// its history dropped (a full flush), and that piece is repeated before a
// final empty block.
inline Bytes ZeroBomb(std::size_t mebibytes) {
    const Bytes zeros(1024 * 1024, 0);
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
    Bytes piece(deflateBound(&z, static_cast<uLong>(zeros.size())) + 64);
    z.next_in = const_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = piece.data();
    z.avail_out = static_cast<uInt>(piece.size());
    if (deflate(&z, Z_FULL_FLUSH) != Z_OK || z.avail_in != 0) throw std::runtime_error("deflate");
    piece.resize(z.total_out);
    Bytes tail(16);
    z.next_out = tail.data();
    z.avail_out = static_cast<uInt>(tail.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    tail.resize(tail.size() - z.avail_out);
    deflateEnd(&z);
    Bytes stream;
    stream.reserve(piece.size() * mebibytes + tail.size());
    for (std::size_t i = 0; i < mebibytes; ++i) Append(stream, piece);
    Append(stream, tail);
    return stream;
}

struct Entry {
    std::string name;               // raw bytes, as written in both headers
    Bytes data;                     // what the entry holds
    std::uint16_t method = kDeflate;
    std::uint16_t flags = 0;
    // Written instead of compressing `data` (with `method` as given), e.g. a
    // bomb stream or bytes of a method the reader does not know.
    std::optional<Bytes> payload;
    // Lies of the central directory; left empty, the truth.
    std::optional<std::uint32_t> crc;
    std::optional<std::uint32_t> compressedSize;
    std::optional<std::uint32_t> size;
    std::optional<std::uint32_t> localHeaderOffset;
    std::uint16_t diskStart = 0;
    Bytes extra;                    // the central record's extra field
    Bytes localExtra;               // the local header's
    std::optional<std::string> localName;  // a different name in the local header
    bool localSignature = true;     // false: the local header's signature is damaged
};

struct Archive {
    std::vector<Entry> entries;
    std::string comment;
    Bytes prefix;                   // before the first local header
    Bytes suffix;                   // after the end record (not counted in the comment length)
    std::uint16_t disk = 0;
    std::uint16_t directoryDisk = 0;
    std::optional<std::uint16_t> entriesOnDisk;
    std::optional<std::uint16_t> totalEntries;
    std::optional<std::uint32_t> directoryBytes;
    std::optional<std::uint32_t> directoryOffset;
    bool zip64Locator = false;      // a ZIP64 end locator before the end record
};

inline Entry Stored(std::string name, Bytes data) { return {std::move(name), std::move(data), kStored}; }
inline Entry Deflated(std::string name, Bytes data) { return {std::move(name), std::move(data), kDeflate}; }

// Some bytes that look like a small file and compress.
inline Bytes Content(std::string_view seed, std::size_t bytes = 600) {
    Bytes out;
    out.reserve(bytes);
    for (std::size_t i = 0; out.size() < bytes; ++i) out.push_back(static_cast<std::uint8_t>(seed[i % seed.size()] + (i / 97) % 7));
    return out;
}

inline Bytes Build(const Archive& archive) {
    Bytes zip = archive.prefix;
    Bytes directory;
    for (const Entry& e : archive.entries) {
        const Bytes payload = e.payload ? *e.payload : (e.method == kDeflate ? Deflate(e.data) : e.data);
        const std::uint32_t crc = e.crc.value_or(Crc(e.data));
        const std::uint32_t compressed = e.compressedSize.value_or(static_cast<std::uint32_t>(payload.size()));
        const std::uint32_t size = e.size.value_or(static_cast<std::uint32_t>(e.data.size()));
        const auto offset = static_cast<std::uint32_t>(zip.size());
        const std::string& localName = e.localName ? *e.localName : e.name;
        Put32(zip, e.localSignature ? 0x04034b50 : 0x04034b51);
        Put16(zip, 20);
        Put16(zip, e.flags);
        Put16(zip, e.method);
        Put16(zip, 0);
        Put16(zip, 0x5A21);
        const bool descriptor = (e.flags & kFlagDescriptor) != 0;
        Put32(zip, descriptor ? 0 : crc);
        Put32(zip, descriptor ? 0 : compressed);
        Put32(zip, descriptor ? 0 : size);
        Put16(zip, static_cast<std::uint32_t>(localName.size()));
        Put16(zip, static_cast<std::uint32_t>(e.localExtra.size()));
        Append(zip, localName);
        Append(zip, e.localExtra);
        Append(zip, payload);
        if (descriptor) {
            Put32(zip, 0x08074b50);
            Put32(zip, crc);
            Put32(zip, compressed);
            Put32(zip, size);
        }

        Put32(directory, 0x02014b50);
        Put16(directory, 0x0314);
        Put16(directory, 20);
        Put16(directory, e.flags);
        Put16(directory, e.method);
        Put16(directory, 0);
        Put16(directory, 0x5A21);
        Put32(directory, crc);
        Put32(directory, compressed);
        Put32(directory, size);
        Put16(directory, static_cast<std::uint32_t>(e.name.size()));
        Put16(directory, static_cast<std::uint32_t>(e.extra.size()));
        Put16(directory, 0);
        Put16(directory, e.diskStart);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, e.localHeaderOffset.value_or(offset));
        Append(directory, e.name);
        Append(directory, e.extra);
    }
    const auto directoryOffset = static_cast<std::uint32_t>(zip.size());
    Append(zip, directory);
    const auto count = static_cast<std::uint16_t>(archive.entries.size());
    if (archive.zip64Locator) {
        Put32(zip, 0x07064b50);
        Put32(zip, 0);
        Put32(zip, static_cast<std::uint32_t>(zip.size()));
        Put32(zip, 0);
        Put32(zip, 1);
    }
    Put32(zip, 0x06054b50);
    Put16(zip, archive.disk);
    Put16(zip, archive.directoryDisk);
    Put16(zip, archive.entriesOnDisk.value_or(count));
    Put16(zip, archive.totalEntries.value_or(count));
    Put32(zip, archive.directoryBytes.value_or(static_cast<std::uint32_t>(directory.size())));
    Put32(zip, archive.directoryOffset.value_or(directoryOffset));
    Put16(zip, static_cast<std::uint32_t>(archive.comment.size()));
    Append(zip, archive.comment);
    Append(zip, archive.suffix);
    return zip;
}

// An end-of-central-directory record on its own, with no comment: what a
// comment may end with to look like the end of another archive.
inline Bytes EndRecord(std::uint16_t entries, std::uint32_t directoryBytes, std::uint32_t directoryOffset) {
    Bytes end;
    Put32(end, 0x06054b50);
    Put32(end, 0);
    Put16(end, entries);
    Put16(end, entries);
    Put32(end, directoryBytes);
    Put32(end, directoryOffset);
    Put16(end, 0);
    return end;
}

// The offset at which Build puts the end record of `archive`.
inline std::uint32_t EndRecordOffset(const Archive& archive) {
    return static_cast<std::uint32_t>(Build(archive).size() - 22 - archive.comment.size() - archive.suffix.size());
}

// An Info-ZIP Unicode path field (0x7075) for an entry whose raw name is `raw`.
inline Bytes UnicodePathField(std::string_view raw, std::string_view utf8, std::optional<std::uint32_t> crc = std::nullopt) {
    Bytes field;
    Put16(field, 0x7075);
    Put16(field, static_cast<std::uint32_t>(5 + utf8.size()));
    field.push_back(1);
    Put32(field, crc.value_or(static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(raw.data()), raw.size()))));
    Append(field, utf8);
    return field;
}

// The archive cut after `keep` bytes, as an interrupted download leaves it.
inline Bytes Cut(Bytes zip, std::size_t keep) {
    zip.resize(keep);
    return zip;
}

}  // namespace zip_bytes

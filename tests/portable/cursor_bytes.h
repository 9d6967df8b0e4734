#pragma once
// Builds well-formed cursor files in memory (ICO, CUR, PNG images, RIFF
// "ACON" animations) so that a test can break exactly one thing in them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace cursor_bytes {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutBigEndian32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}
inline void PutId(Bytes& b, std::string_view id) { b.insert(b.end(), id.begin(), id.end()); }
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

inline std::uint32_t Get16(const Bytes& b, std::size_t at) { return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8)); }
inline std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline void Set16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
    Set16(b, at, v & 0xFFFF);
    Set16(b, at + 2, v >> 16);
}

// Offset of the first occurrence of `id` at or after `from`; the test fails
// loudly through an out-of-range index if it is missing.
inline std::size_t Find(const Bytes& b, std::string_view id, std::size_t from = 0) {
    for (std::size_t i = from; i + id.size() <= b.size(); ++i) {
        if (std::memcmp(b.data() + i, id.data(), id.size()) == 0) return i;
    }
    return b.size() + 1000000;
}

// ---- images ---------------------------------------------------------------

struct Dib {
    std::int32_t width = 32;
    std::int32_t rows = 32;            // image height; the header holds twice this
    std::uint16_t bits = 32;
    std::uint32_t headerBytes = 40;
    std::uint32_t coloursUsed = 0;     // palette entries written (0 = full palette for <= 8 bpp)
};

inline std::size_t RowBytes(std::int64_t width, std::int64_t bits) {
    return static_cast<std::size_t>((width * bits + 31) / 32 * 4);
}

// BITMAPINFOHEADER (padded to headerBytes), palette, XOR rows, AND rows.
inline Bytes MakeDib(const Dib& d) {
    Bytes b;
    Put32(b, d.headerBytes);
    Put32(b, static_cast<std::uint32_t>(d.width));
    Put32(b, static_cast<std::uint32_t>(d.rows * 2));
    Put16(b, 1);
    Put16(b, d.bits);
    Put32(b, 0);                                   // BI_RGB
    Put32(b, 0);                                   // image size (may be 0 for BI_RGB)
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, d.coloursUsed);
    Put32(b, 0);
    b.resize(d.headerBytes, 0);
    const std::uint32_t colours = d.coloursUsed != 0 ? d.coloursUsed : (d.bits <= 8 ? 1u << d.bits : 0u);
    for (std::uint32_t i = 0; i < colours; ++i) Put32(b, i * 0x010101u);
    for (std::int32_t y = 0; y < d.rows; ++y) {
        for (std::size_t x = 0; x < RowBytes(d.width, d.bits); ++x) b.push_back(static_cast<std::uint8_t>(x + y));
    }
    b.resize(b.size() + RowBytes(d.width, 1) * static_cast<std::size_t>(d.rows), 0);
    return b;
}

inline std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutPngChunk(Bytes& b, std::string_view type, const Bytes& data) {
    PutBigEndian32(b, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = b.size();
    PutId(b, type);
    Append(b, data);
    PutBigEndian32(b, Crc32(b.data() + start, b.size() - start));
}

constexpr std::uint8_t kPngGrey = 0;
constexpr std::uint8_t kPngRgb = 2;
constexpr std::uint8_t kPngGreyAlpha = 4;
constexpr std::uint8_t kPngRgba = 6;

// A decodable 8-bit-per-sample PNG (zlib stream of stored blocks) of a grey,
// RGB, grey + alpha or RGBA colour type.
inline Bytes MakePng(std::uint32_t width, std::uint32_t height, std::uint8_t colourType = kPngRgba) {
    const std::uint32_t samples = colourType == kPngGrey ? 1 : colourType == kPngRgb ? 3 : colourType == kPngGreyAlpha ? 2 : 4;
    Bytes b{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    PutBigEndian32(ihdr, width);
    PutBigEndian32(ihdr, height);
    for (std::uint8_t v : {std::uint8_t(8), colourType, std::uint8_t(0), std::uint8_t(0), std::uint8_t(0)}) ihdr.push_back(v);   // depth, colour type, deflate, filter, no interlace
    PutPngChunk(b, "IHDR", ihdr);
    Bytes raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t pixel[4] = {std::uint8_t(x), std::uint8_t(y), std::uint8_t(0x80), std::uint8_t(0xFF)};
            for (std::uint32_t k = 0; k < samples; ++k) raw.push_back(k + 1 == samples && samples % 2 == 0 ? 0xFF : pixel[k]);
        }
    }
    Bytes z{0x78, 0x01};
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n >= raw.size() ? 1 : 0);
        Put16(z, static_cast<std::uint32_t>(n));
        Put16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        if (raw.empty()) break;
    }
    std::uint32_t a = 1, s = 0;
    for (std::uint8_t v : raw) { a = (a + v) % 65521; s = (s + a) % 65521; }
    PutBigEndian32(z, (s << 16) | a);
    PutPngChunk(b, "IDAT", z);
    PutPngChunk(b, "IEND", {});
    return b;
}

// ---- ICO / CUR ------------------------------------------------------------

struct Image {
    Bytes data;
    std::uint32_t width = 32;    // directory values; 256 is written as 0
    std::uint32_t height = 32;
    std::uint16_t hotX = 0;      // ICO: planes / bit count
    std::uint16_t hotY = 0;
};

inline Image DibImage(const Dib& d, std::uint16_t hotX = 0, std::uint16_t hotY = 0) {
    return {MakeDib(d), static_cast<std::uint32_t>(d.width), static_cast<std::uint32_t>(d.rows), hotX, hotY};
}
inline Image PngImage(std::uint32_t w, std::uint32_t h) { return {MakePng(w, h), w, h, 0, 0}; }

constexpr std::uint16_t kIco = 1;
constexpr std::uint16_t kCur = 2;
constexpr std::size_t kDirectoryEntry = 6;   // offset of entry 0; entries are 16 bytes
constexpr std::size_t kFirstImage = 6 + 16;  // image offset of a one-image file

inline Bytes MakeIcon(std::uint16_t type, const std::vector<Image>& images) {
    Bytes b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const Image& img : images) {
        b.push_back(static_cast<std::uint8_t>(img.width & 0xFF));
        b.push_back(static_cast<std::uint8_t>(img.height & 0xFF));
        b.push_back(0);
        b.push_back(0);
        Put16(b, img.hotX);
        Put16(b, img.hotY);
        Put32(b, static_cast<std::uint32_t>(img.data.size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(img.data.size());
    }
    for (const Image& img : images) Append(b, img.data);
    return b;
}

inline Bytes MakeCursor(std::int32_t size = 32, std::uint16_t bits = 32) {
    return MakeIcon(kCur, {DibImage({size, size, bits}, static_cast<std::uint16_t>(size / 2), static_cast<std::uint16_t>(size / 2))});
}

// ---- RIFF "ACON" ----------------------------------------------------------

inline Bytes Chunk(std::string_view id, const Bytes& data, bool pad = true) {
    Bytes b;
    PutId(b, id);
    Put32(b, static_cast<std::uint32_t>(data.size()));
    Append(b, data);
    if (pad && data.size() % 2 != 0) b.push_back(0);
    return b;
}

inline Bytes List(std::string_view type, const std::vector<Bytes>& chunks) {
    Bytes data;
    PutId(data, type);
    for (const Bytes& c : chunks) Append(data, c);
    return Chunk("LIST", data);
}

constexpr std::uint32_t kFlagIcon = 1;
constexpr std::uint32_t kFlagSequence = 2;

// `displayRate` is the default jiffies per step, used when there is no "rate".
inline Bytes Anih(std::uint32_t frames, std::uint32_t steps, std::uint32_t flags = kFlagIcon | kFlagSequence,
                  std::uint32_t displayRate = 6) {
    Bytes d;
    for (std::uint32_t v : {36u, frames, steps, 0u, 0u, 0u, 0u, displayRate, flags}) Put32(d, v);
    return Chunk("anih", d);
}

inline Bytes Table(const std::vector<std::uint32_t>& values) {
    Bytes d;
    for (std::uint32_t v : values) Put32(d, v);
    return d;
}

inline Bytes Riff(const std::vector<Bytes>& chunks) {
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, 0);
    PutId(b, "ACON");
    for (const Bytes& c : chunks) Append(b, c);
    Set32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

inline Bytes FrameList(const std::vector<Bytes>& frames) {
    std::vector<Bytes> chunks;
    for (const Bytes& f : frames) chunks.push_back(Chunk("icon", f));
    return List("fram", chunks);
}

// `frames` cursor frames played forward then backward through "seq ", with "rate".
inline Bytes MakeAnimation(std::uint32_t frames = 3, std::int32_t size = 32) {
    std::vector<Bytes> icons;
    for (std::uint32_t i = 0; i < frames; ++i) icons.push_back(MakeCursor(size));
    std::vector<std::uint32_t> seq, rate;
    for (std::uint32_t i = 0; i < frames; ++i) seq.push_back(i);
    for (std::uint32_t i = frames; i-- > 0;) seq.push_back(i);
    for (std::size_t i = 0; i < seq.size(); ++i) rate.push_back(5);
    return Riff({List("INFO", {Chunk("INAM", {'S', 'h', 'u', 'B', 'i', 'a', 'o', 0})}),
                 Anih(frames, static_cast<std::uint32_t>(seq.size())), Chunk("rate", Table(rate)),
                 Chunk("seq ", Table(seq)), FrameList(icons)});
}

}  // namespace cursor_bytes

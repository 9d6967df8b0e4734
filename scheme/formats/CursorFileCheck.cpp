// Content check for static (ICO/CUR) and animated (RIFF "ACON") cursor files.
//
// Everything is decided from the bytes; every count, size and offset is
// checked against the data before it is used, all arithmetic that could
// overflow is done in 64 bits, and nothing is allocated in proportion to a
// count the file claims.
//
// Choices made here, and why:
// - Images: 1..256 pixels wide and high (the largest size Windows draws as a
//   cursor; a directory entry of 0 means 256). Bit depths 1, 4, 8, 16, 24, 32.
//   Uncompressed DIBs with a 40, 108 or 124 byte header, or PNG. The old
//   12-byte core header and compressed or bit-field DIBs are refused: no
//   cursor tool writes them and they are the loader's least tested paths.
// - A DIB holds the XOR image and the AND mask, so its header height is twice
//   the directory height; both masks are required, also at 32 bpp.
// - Animations: at most 1024 frames and 4096 steps. Real cursors use a few
//   dozen; the limits leave ample room and keep the loader's per-step work
//   (which stalls it for seconds at huge step counts) small.
// - "anih" must come before "rate", "seq " and LIST "fram" (the loader sizes
//   its tables from it); LIST "INFO" and unknown chunks may come anywhere.
// - The RIFF size may count the whole file (size == file length) as many
//   cursor packs do; a size that runs past the file in any other way is
//   refused. Bytes after the RIFF data are ignored.
// - An odd-sized chunk must be followed by its pad byte, except when it is
//   the last chunk of the RIFF data or of its LIST, where writers often omit
//   it and the loader stops reading anyway.
// - Without "seq " the steps play the frames in order, so steps may not
//   exceed frames. Display rates are not bounded (0 only means "fast").
// - The sizes a file holds are taken from each image as it is checked: a
//   DIB's width and half its height, a PNG's IHDR. A frame usually holds the
//   sizes the first one does, so only a frame that differs keeps its sizes
//   until the end; the list stays as short as the distinct sizes.
#include "scheme/formats/CursorFileCheck.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <vector>

#include "scheme/formats/CursorFileParts.h"

namespace shubiao {
namespace cursor_parts {

std::uint16_t U16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace cursor_parts

namespace {

using namespace cursor_parts;
using F = CursorFault;

constexpr std::size_t kAnihBytes = 36;
constexpr std::size_t kAnihDisplayRate = 28;
constexpr std::size_t kAnihFlags = 32;
constexpr std::uint32_t kAnihFlagIcon = 1;
constexpr std::uint32_t kAnihFlagSequence = 2;

std::uint32_t U32BigEndian(Bytes b, std::size_t at) {
    return (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
           (static_cast<std::uint32_t>(b[at + 2]) << 8) | static_cast<std::uint32_t>(b[at + 3]);
}

bool IdIs(Bytes b, std::size_t at, const char (&id)[5]) {
    return b.size() >= at + 4 && std::memcmp(b.data() + at, id, 4) == 0;
}

bool StartsWith(Bytes b, Bytes prefix) {
    return b.size() >= prefix.size() && std::memcmp(b.data(), prefix.data(), prefix.size()) == 0;
}

// True when `b` is shorter than `magic` but equal to its beginning.
bool IsCutPrefix(Bytes b, Bytes magic) {
    return b.size() < magic.size() && std::memcmp(b.data(), magic.data(), b.size()) == 0;
}

struct ImageFormat {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
};

CursorFault CheckDimensions(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0) return F::ZeroDimension;
    if (width > kMaxImageDimension || height > kMaxImageDimension) return F::DimensionTooLarge;
    return F::None;
}

// Samples per pixel of a PNG colour type with a valid depth; 0 for an invalid pair.
std::uint16_t PngChannels(std::uint8_t depth, std::uint8_t type) {
    switch (type) {
        case 0: return (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16) ? 1 : 0;   // grey
        case 3: return (depth == 1 || depth == 2 || depth == 4 || depth == 8) ? 1 : 0;                  // palette index
        case 2: return (depth == 8 || depth == 16) ? 3 : 0;                                              // RGB
        case 4: return (depth == 8 || depth == 16) ? 2 : 0;                                              // grey, alpha
        case 6: return (depth == 8 || depth == 16) ? 4 : 0;                                              // RGBA
        default: return 0;
    }
}

CursorFault CheckPng(Bytes img, ImageFormat& format) {
    static constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!StartsWith(img, kSignature)) return F::BadPng;
    constexpr std::size_t kIhdrEnd = 8 + 8 + 13 + 4;   // signature, length + type, data, CRC
    if (img.size() < kIhdrEnd) return F::ImageTooShort;
    if (U32BigEndian(img, 8) != 13 || !IdIs(img, 12, "IHDR")) return F::BadPng;
    const std::uint32_t width = U32BigEndian(img, 16);
    const std::uint32_t height = U32BigEndian(img, 20);
    format.width = width;   // reported when the size is refused
    format.height = height;
    if (const F fault = CheckDimensions(width, height); fault != F::None) return fault;
    const std::uint16_t channels = PngChannels(img[24], img[25]);
    if (channels == 0) return F::BadPng;
    if (img[26] != 0 || img[27] != 0 || img[28] > 1) return F::BadPng;
    format = {width, height, 1, static_cast<std::uint16_t>(channels * img[24])};
    return F::None;
}

std::uint64_t RowBytes(std::uint64_t width, std::uint64_t bits) {
    return (width * bits + 31) / 32 * 4;
}

CursorFault CheckDib(Bytes img, ImageFormat& format) {
    if (img.size() < 4) return F::ImageTooShort;
    const std::uint32_t headerBytes = U32(img, 0);
    if (headerBytes != 40 && headerBytes != 108 && headerBytes != 124) return F::BadBitmapHeader;
    if (img.size() < headerBytes) return F::ImageTooShort;
    const auto width = static_cast<std::int32_t>(U32(img, 4));
    const auto height = static_cast<std::int32_t>(U32(img, 8));
    const std::uint16_t planes = U16(img, 12);
    const std::uint16_t bits = U16(img, 14);
    const std::uint32_t compression = U32(img, 16);
    const std::uint32_t coloursUsed = U32(img, 32);
    // Reported when the size is refused; a negative dimension reads as 0.
    format.width = width > 0 ? static_cast<std::uint32_t>(width) : 0;
    format.height = height > 0 ? static_cast<std::uint32_t>(height) / 2 : 0;
    if (width == 0 || height == 0) return F::ZeroDimension;
    if (width < 0 || height < 0) return F::BadBitmapHeader;
    if (height % 2 != 0) return F::SizeMismatch;
    const std::uint64_t rows = static_cast<std::uint64_t>(height) / 2;
    if (const F fault = CheckDimensions(static_cast<std::uint64_t>(width), rows); fault != F::None) return fault;
    if (planes != 1) return F::BadBitmapHeader;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return F::BadBitDepth;
    if (compression != 0) return F::UnsupportedCompression;
    const std::uint64_t maxColours = bits <= 8 ? (1u << bits) : 256u;
    if (coloursUsed > maxColours) return F::BadColorCount;
    const std::uint64_t colours = (bits <= 8 && coloursUsed == 0) ? maxColours : coloursUsed;
    const std::uint64_t needed = headerBytes + colours * 4 +
                                 (RowBytes(static_cast<std::uint64_t>(width), bits) + RowBytes(static_cast<std::uint64_t>(width), 1)) * rows;
    if (needed > img.size()) return F::ImageTooShort;
    format = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(rows), planes, bits};
    return F::None;
}

// Collects the sizes of the images as the check reads them.
class SizeReader {
public:
    void StartFrame() { frameStart_ = held_.size(); }
    void Add(std::uint32_t width, std::uint32_t height) {
        const PixelSize size{width, height};
        if (held_.size() == frameStart_ || held_.back() != size) held_.push_back(size);
    }
    // Ends a frame (or the ICO/CUR itself, frame 0).
    void EndFrame() {
        const auto start = held_.begin() + static_cast<std::ptrdiff_t>(frameStart_);
        std::sort(start, held_.end());
        held_.erase(std::unique(start, held_.end()), held_.end());
        if (frame_ == 0) {
            firstEnd_ = held_.size();
        } else if (std::equal(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(firstEnd_), start, held_.end())) {
            held_.resize(frameStart_);   // the same sizes as the first frame
        } else {
            framesDiffer_ = true;
        }
        ++frame_;
    }
    // The image the check stopped at for its size.
    void Refused(SizeConflict conflict) {
        conflict.frame = frame_;
        conflict_ = conflict;
    }
    // What a check that ended with `check.fault` read.
    void TakeInto(CursorCheck& check) {
        if (!check.ok()) {
            check.sizes.conflict = conflict_;
            return;
        }
        if (framesDiffer_) {
            std::sort(held_.begin(), held_.end());
            held_.erase(std::unique(held_.begin(), held_.end()), held_.end());
        }
        check.sizes.held = std::move(held_);
        check.sizes.framesDiffer = framesDiffer_;
    }

private:
    std::vector<PixelSize> held_;
    std::size_t frameStart_ = 0;
    std::size_t firstEnd_ = 0;
    std::uint32_t frame_ = 0;
    bool framesDiffer_ = false;
    std::optional<SizeConflict> conflict_;
};

// A whole ICO/CUR image: the file itself, or one "icon" chunk of an animation.
CursorFault CheckIconImages(Bytes b, SizeReader* sizes);

bool PrintableId(Bytes b, std::size_t at) {
    if (at + 4 > b.size()) return false;
    for (std::size_t i = at; i < at + 4; ++i) {
        if (b[i] < 0x20 || b[i] > 0x7E) return false;
    }
    return true;
}

}  // namespace

namespace cursor_parts {

bool LooksLikeIcon(Bytes b) {
    return b.size() >= 4 && b[0] == 0 && b[1] == 0 && (b[2] == 1 || b[2] == 2) && b[3] == 0;
}

CursorFault ReadIconImage(Bytes b, std::size_t index, IconImage& image, SizeConflict* conflict) {
    if (b.size() < kIconHeaderBytes) return F::Truncated;
    const bool cursor = b[2] == 2;
    const std::uint16_t count = U16(b, 4);
    if (index >= count) return F::NoImages;
    const std::uint64_t directoryEnd = kIconHeaderBytes + std::uint64_t{count} * kIconEntryBytes;
    if (directoryEnd > b.size()) return F::Truncated;
    const std::size_t entry = kIconHeaderBytes + index * kIconEntryBytes;
    const std::uint32_t dirWidth = b[entry] == 0 ? 256 : b[entry];
    const std::uint32_t dirHeight = b[entry + 1] == 0 ? 256 : b[entry + 1];
    const std::uint16_t hotX = U16(b, entry + 4);
    const std::uint16_t hotY = U16(b, entry + 6);
    const std::uint32_t bytes = U32(b, entry + 8);
    const std::uint32_t offset = U32(b, entry + 12);
    if (offset < directoryEnd || offset >= b.size()) return F::ImageOutsideFile;
    if (std::uint64_t{offset} + bytes > b.size()) return F::Truncated;
    const Bytes img = b.subspan(offset, bytes);
    ImageFormat format;
    const bool png = !img.empty() && img[0] == 0x89;
    const F fault = png ? CheckPng(img, format) : CheckDib(img, format);
    const bool sizeRefused = fault == F::ZeroDimension || fault == F::DimensionTooLarge ||
                             (fault == F::None && (format.width != dirWidth || format.height != dirHeight));
    if (sizeRefused && conflict != nullptr) {
        conflict->image = static_cast<std::uint32_t>(index);
        conflict->claimed = {dirWidth, dirHeight};
        conflict->found = {format.width, format.height};
    }
    if (fault != F::None) return fault;
    if (sizeRefused) return F::SizeMismatch;
    if (cursor && (hotX >= format.width || hotY >= format.height)) return F::HotspotOutside;
    image = {img, format.width, format.height, format.planes, format.bitCount, hotX, hotY};
    return F::None;
}

CursorFault CheckIcon(Bytes b) {
    return CheckIconImages(b, nullptr);
}

bool ChunkIs(const Chunk& c, const char (&id)[5]) {
    return std::memcmp(c.id.data(), id, 4) == 0;
}

CursorFault ChunkWalker::Next(Chunk& chunk) {
    // A writer that leaves out the pad byte puts the next chunk one byte early.
    if (afterPad_ && !HeaderFits(pos_) && HeaderFits(pos_ - 1)) return F::MissingPadByte;
    const std::size_t left = bytes_.size() - pos_;
    if (left < 8) return F::Truncated;
    if (!PrintableId(bytes_, pos_)) return F::BadChunkId;
    const std::uint32_t size = U32(bytes_, pos_ + 4);
    if (size > left - 8) return F::Truncated;
    chunk = {bytes_.subspan(pos_, 4), bytes_.subspan(pos_ + 8, size)};
    pos_ += 8 + std::size_t{size};
    afterPad_ = size % 2 != 0 && pos_ < bytes_.size();
    if (afterPad_) ++pos_;   // at the very end of the container a missing pad is tolerated
    return F::None;
}

bool ChunkWalker::HeaderFits(std::size_t at) const {
    return at + 8 <= bytes_.size() && PrintableId(bytes_, at) && U32(bytes_, at + 4) <= bytes_.size() - at - 8;
}

}  // namespace cursor_parts

namespace {

CursorFault CheckIconImages(Bytes b, SizeReader* sizes) {
    if (b.size() < kIconHeaderBytes) return F::Truncated;
    const std::uint16_t count = U16(b, 4);
    if (count == 0) return F::NoImages;
    const std::uint64_t directoryEnd = kIconHeaderBytes + std::uint64_t{count} * kIconEntryBytes;
    if (directoryEnd > b.size()) return F::Truncated;
    if (sizes != nullptr) sizes->StartFrame();
    for (std::size_t i = 0; i < count; ++i) {
        IconImage image;
        SizeConflict conflict;   // its claimed size is filled in only when the image is refused for its size
        if (const F fault = ReadIconImage(b, i, image, &conflict); fault != F::None) {
            if (sizes != nullptr && conflict.claimed.width != 0) sizes->Refused(conflict);
            return fault;
        }
        if (sizes != nullptr) sizes->Add(image.width, image.height);
    }
    if (sizes != nullptr) sizes->EndFrame();
    return F::None;
}

CursorFault ReadHeader(Bytes data, AnimationParts& a) {
    if (a.haveHeader) return F::DuplicateChunk;
    if (data.size() != kAnihBytes || U32(data, 0) != kAnihBytes) return F::BadHeaderSize;
    a.haveHeader = true;
    a.frames = U32(data, 4);
    a.steps = U32(data, 8);
    a.defaultRate = U32(data, kAnihDisplayRate);
    a.flags = U32(data, kAnihFlags);
    if ((a.flags & kAnihFlagIcon) == 0) return F::UnsupportedFrames;
    if (a.frames == 0) return F::ZeroFrames;
    if (a.frames > kMaxAnimationFrames) return F::TooManyFrames;
    if (a.steps == 0) return F::ZeroSteps;
    if (a.steps > kMaxAnimationSteps) return F::TooManySteps;
    return F::None;
}

CursorFault ReadFrames(Bytes list, AnimationParts& a, SizeReader& sizes) {
    if (!a.haveHeader) return F::MisplacedHeader;
    if (a.haveFrames) return F::DuplicateChunk;
    a.haveFrames = true;
    a.frameList = list;
    std::uint32_t count = 0;
    ChunkWalker walker(list, 4);
    while (!walker.AtEnd()) {
        Chunk c;
        if (const F fault = walker.Next(c); fault != F::None) return fault;
        if (!ChunkIs(c, "icon")) return F::UnexpectedFrameChunk;
        if (++count > a.frames) return F::FrameCountMismatch;
        if (!LooksLikeIcon(c.data)) return F::FrameNotIcon;
        if (const F fault = CheckIconImages(c.data, &sizes); fault != F::None) return fault;
    }
    if (count == 0) return F::EmptyFrameList;
    if (count != a.frames) return F::FrameCountMismatch;
    return F::None;
}

CursorFault ReadStepTable(Bytes data, const AnimationParts& a, bool& seen, Bytes& table) {
    if (!a.haveHeader) return F::MisplacedHeader;
    if (seen) return F::DuplicateChunk;
    seen = true;
    table = data;
    return F::None;
}

CursorFault ReadChunk(const Chunk& c, AnimationParts& a, SizeReader& sizes) {
    if (ChunkIs(c, "anih")) return ReadHeader(c.data, a);
    if (ChunkIs(c, "rate")) return ReadStepTable(c.data, a, a.haveRate, a.rate);
    if (ChunkIs(c, "seq ")) return ReadStepTable(c.data, a, a.haveSequence, a.sequence);
    if (!ChunkIs(c, "LIST")) return F::None;
    if (c.data.size() < 4) return F::Truncated;
    if (IdIs(c.data, 0, "fram")) return ReadFrames(c.data, a, sizes);
    return F::None;   // LIST "INFO" and other lists are not read
}

CursorFault CheckSteps(const AnimationParts& a) {
    const std::uint64_t tableBytes = std::uint64_t{a.steps} * 4;
    if ((a.flags & kAnihFlagSequence) != 0 && !a.haveSequence) return F::MissingSequence;
    if (a.haveSequence) {
        if (a.sequence.size() != tableBytes) return F::SequenceSizeMismatch;
        for (std::size_t i = 0; i < a.steps; ++i) {
            if (U32(a.sequence, i * 4) >= a.frames) return F::SequenceOutOfRange;
        }
    } else if (a.steps > a.frames) {
        return F::StepsExceedFrames;
    }
    if (a.haveRate && a.rate.size() != tableBytes) return F::RateSizeMismatch;
    return F::None;
}

CursorFault CheckAnimation(Bytes b, AnimationParts& a, SizeReader& sizes) {
    const std::uint32_t riffSize = U32(b, 4);
    if (riffSize < 4) return F::RiffSizeMismatch;
    std::size_t end = 0;
    if (std::uint64_t{riffSize} + 8 <= b.size()) {
        end = riffSize + std::size_t{8};
    } else if (riffSize == b.size()) {
        end = b.size();   // size counts the whole file
    } else {
        return F::RiffSizeMismatch;
    }
    ChunkWalker walker(b.first(end), 12);
    while (!walker.AtEnd()) {
        Chunk c;
        if (const F fault = walker.Next(c); fault != F::None) return fault;
        if (const F fault = ReadChunk(c, a, sizes); fault != F::None) return fault;
    }
    if (!a.haveHeader) return F::MissingHeader;
    if (!a.haveFrames) return F::MissingFrameList;
    return CheckSteps(a);
}

}  // namespace

CursorCheck cursor_parts::CheckCursorBytes(Bytes bytes, AnimationParts& parts) {
    static constexpr std::array<std::uint8_t, 4> kRiff{'R', 'I', 'F', 'F'};
    static constexpr std::array<std::uint8_t, 4> kIcon{0, 0, 1, 0};
    static constexpr std::array<std::uint8_t, 4> kCursor{0, 0, 2, 0};
    if (bytes.empty()) return {F::Empty, CursorFileKind::Unknown};
    if (bytes.size() > kMaxCursorFileBytes) return {F::TooLarge, CursorFileKind::Unknown};
    SizeReader sizes;
    CursorCheck check;
    if (LooksLikeIcon(bytes)) {
        check = {CheckIconImages(bytes, &sizes), CursorFileKind::Static};
    } else if (StartsWith(bytes, kRiff)) {
        if (bytes.size() < 12) return {F::Truncated, CursorFileKind::Unknown};
        if (!IdIs(bytes, 8, "ACON")) return {F::UnknownFormat, CursorFileKind::Unknown};
        check = {CheckAnimation(bytes, parts, sizes), CursorFileKind::Animated};
    }
    if (check.kind != CursorFileKind::Unknown) {
        sizes.TakeInto(check);
        return check;
    }
    if (IsCutPrefix(bytes, kRiff) || IsCutPrefix(bytes, kIcon) || IsCutPrefix(bytes, kCursor)) {
        return {F::Truncated, CursorFileKind::Unknown};
    }
    return {F::UnknownFormat, CursorFileKind::Unknown};
}

CursorCheck CheckCursorBytes(std::span<const std::uint8_t> bytes) {
    AnimationParts unused;
    return cursor_parts::CheckCursorBytes(bytes, unused);
}

CursorCheck CheckCursorFileAt(const std::filesystem::path::value_type* path) {
    // The C runtime's stat and stdio rather than std::filesystem and
    // iostreams: they keep the program free of the stream and locale machinery.
#ifdef _WIN32
    struct _stat64 info {};
    if (_wstat64(path, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        return {F::Unreadable, CursorFileKind::Unknown};
    }
#else
    struct stat info {};
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return {F::Unreadable, CursorFileKind::Unknown};
#endif
    if (info.st_size < 0) return {F::Unreadable, CursorFileKind::Unknown};
    const std::uintmax_t size = static_cast<std::uintmax_t>(info.st_size);
    if (size == 0) return {F::Empty, CursorFileKind::Unknown};
    if (size > kMaxCursorFileBytes) return {F::TooLarge, CursorFileKind::Unknown};
#ifdef _WIN32
    std::FILE* file = _wfopen(path, L"rb");
#else
    std::FILE* file = std::fopen(path, "rb");
#endif
    if (file == nullptr) return {F::Unreadable, CursorFileKind::Unknown};
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    const bool failed = std::ferror(file) != 0;
    // The file grew after its size was taken: it is being written, not a cursor to load now.
    const bool grew = got == buffer.size() && std::fgetc(file) != EOF;
    std::fclose(file);
    if (failed || grew) return {F::Unreadable, CursorFileKind::Unknown};
    buffer.resize(got);
    return CheckCursorBytes(buffer);
}

std::wstring_view DescribeCursorFault(CursorFault fault) {
    switch (fault) {
        case F::None: return L"光标文件完好。";
        case F::Empty: return L"文件是空的，不是光标文件。";
        case F::TooLarge: return L"文件太大（超过 4 MB），不是正常的光标文件。";
        case F::Unreadable: return L"无法读取这个文件。";
        case F::UnknownFormat: return L"文件不是光标文件（.cur 或 .ani）。";
        case F::Truncated: return L"文件不是有效的光标文件：数据不完整，文件被截断了。";
        case F::NoImages: return L"文件不是有效的光标文件：里面没有任何图像。";
        case F::ImageOutsideFile: return L"文件不是有效的光标文件：图像数据的位置不在文件之内。";
        case F::ImageTooShort: return L"文件不是有效的光标文件：图像数据不完整。";
        case F::ZeroDimension: return L"文件不是有效的光标文件：图像的宽度或高度为零。";
        case F::DimensionTooLarge: return L"文件不是有效的光标文件：图像超过 256×256 像素。";
        case F::SizeMismatch: return L"文件不是有效的光标文件：图像尺寸与目录记载的不一致。";
        case F::BadBitmapHeader: return L"文件不是有效的光标文件：图像头信息有误。";
        case F::BadBitDepth: return L"文件不是有效的光标文件：图像的颜色位数不受支持。";
        case F::UnsupportedCompression: return L"文件不是有效的光标文件：图像的压缩方式不受支持。";
        case F::BadColorCount: return L"文件不是有效的光标文件：调色板颜色数超出范围。";
        case F::BadPng: return L"文件不是有效的光标文件：PNG 图像已损坏。";
        case F::HotspotOutside: return L"文件不是有效的光标文件：光标热点在图像之外。";
        case F::RiffSizeMismatch: return L"文件不是有效的光标文件：动画文件记载的长度与实际不符。";
        case F::BadChunkId: return L"文件不是有效的光标文件：动画数据块的名称无效。";
        case F::MissingPadByte: return L"文件不是有效的光标文件：动画数据块缺少对齐字节。";
        case F::DuplicateChunk: return L"文件不是有效的光标文件：动画数据块重复出现。";
        case F::MissingHeader: return L"文件不是有效的光标文件：缺少动画头信息。";
        case F::BadHeaderSize: return L"文件不是有效的光标文件：动画头信息的长度有误。";
        case F::MisplacedHeader: return L"文件不是有效的光标文件：动画头信息出现在动画数据之后。";
        case F::UnsupportedFrames: return L"文件不是有效的光标文件：动画帧的格式不受支持。";
        case F::ZeroFrames: return L"文件不是有效的光标文件：动画帧数为零。";
        case F::TooManyFrames: return L"文件不是有效的光标文件：动画帧数过多。";
        case F::ZeroSteps: return L"文件不是有效的光标文件：动画步数为零。";
        case F::TooManySteps: return L"文件不是有效的光标文件：动画步数过多。";
        case F::StepsExceedFrames: return L"文件不是有效的光标文件：动画步数多于帧数。";
        case F::MissingFrameList: return L"文件不是有效的光标文件：缺少动画帧。";
        case F::EmptyFrameList: return L"文件不是有效的光标文件：动画帧列表是空的。";
        case F::UnexpectedFrameChunk: return L"文件不是有效的光标文件：动画帧列表中混有其他数据。";
        case F::FrameCountMismatch: return L"文件不是有效的光标文件：动画帧的个数与头信息不符。";
        case F::FrameNotIcon: return L"文件不是有效的光标文件：有一帧不是光标图像。";
        case F::MissingSequence: return L"文件不是有效的光标文件：缺少动画播放顺序。";
        case F::SequenceSizeMismatch: return L"文件不是有效的光标文件：动画播放顺序的长度与步数不符。";
        case F::SequenceOutOfRange: return L"文件不是有效的光标文件：动画播放顺序指向不存在的帧。";
        case F::RateSizeMismatch: return L"文件不是有效的光标文件：动画速度表的长度与步数不符。";
    }
    return L"文件不是有效的光标文件。";
}

}  // namespace shubiao

// Resource-format data and animation tables from checked cursor files.
//
// Nothing here parses on its own: the cursor-file check reads the ICO/CUR
// directory and the RIFF chunks (CursorFileParts.h), and this file only lays
// out what the check found. Allocations are bounded by the file: a directory
// of n images takes 6 + 14 n bytes for the 6 + 16 n the file spends on it, an
// animation's tables hold at most kMaxAnimationFrames frames and
// kMaxAnimationSteps steps, and resource bits are built for one image at a time.
//
// The resource layouts follow Microsoft's documentation of the structures
// that the resource compiler writes and LookupIconIdFromDirectoryEx /
// CreateIconFromResourceEx read (all little-endian, packed, no padding):
//
//   group directory (RT_GROUP_ICON / RT_GROUP_CURSOR):
//     NEWHEADER   WORD Reserved (0), WORD ResType (RES_ICON 1, RES_CURSOR 2),
//                 WORD ResCount
//     RESDIR x ResCount, 14 bytes each:
//                 ICONRESDIR { BYTE Width, BYTE Height, BYTE ColorCount, BYTE reserved }
//                 or CURSORDIR { WORD Width, WORD Height },
//                 then WORD Planes, WORD BitCount, DWORD BytesInRes, WORD IconCursorId
//   image (RT_ICON): the DIB or PNG as the ICO holds it
//   image (RT_CURSOR): LOCALHEADER { WORD xHotSpot, WORD yHotSpot }, then the DIB or PNG
#include "scheme/formats/CursorImages.h"

#include "scheme/formats/CursorFileCheck.h"
#include "scheme/formats/CursorFileParts.h"

namespace shubiao {
namespace {

using namespace cursor_parts;

constexpr std::size_t kNewHeaderBytes = 6;
constexpr std::size_t kResDirBytes = 14;
constexpr std::size_t kLocalHeaderBytes = 4;
constexpr std::uint16_t kResIcon = 1;
constexpr std::uint16_t kResCursor = 2;
constexpr std::size_t kFrameListTypeBytes = 4;   // "fram" in front of the "icon" chunks

void Put8(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put8(out, v & 0xFF);
    Put8(out, (v >> 8) & 0xFF);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::size_t BytesInRes(bool cursor, const ResourceImage& image) {
    return (cursor ? kLocalHeaderBytes : 0) + image.image.size();
}

// One RESDIR for `image`, which is resource `id`.
void PutResDir(std::vector<std::uint8_t>& out, bool cursor, const IconImage& image, std::size_t bytesInRes, std::size_t id) {
    if (cursor) {
        // CURSORDIR: WORD width and height. The height is that of the image's
        // DIB header, which counts the XOR image and the AND mask (twice the
        // image height): the resource compiler writes it so from a CUR file
        // and LookupIconIdFromDirectoryEx reads cursor entries that way. A PNG
        // image is entered the same way, so that all entries compare alike.
        Put16(out, image.width);
        Put16(out, image.height * 2);
    } else {
        // ICONRESDIR: BYTE width and height, 0 meaning 256; ColorCount 0 lets
        // the lookup deduce the colours from Planes and BitCount.
        Put8(out, image.width >= 256 ? 0 : image.width);
        Put8(out, image.height >= 256 ? 0 : image.height);
        Put8(out, 0);
        Put8(out, 0);
    }
    // Planes and BitCount come from the image itself: in a CUR file's
    // directory these two fields hold the hot spot.
    Put16(out, image.planes);
    Put16(out, image.bitCount);
    Put32(out, static_cast<std::uint32_t>(bytesInRes));
    Put16(out, static_cast<std::uint32_t>(id));
}

// The ICO/CUR of frame `index` (0-based) of an animation the check passed.
std::optional<Bytes> FrameAt(const AnimationParts& parts, std::uint32_t index) {
    ChunkWalker walker(parts.frameList, kFrameListTypeBytes);
    for (std::uint32_t i = 0; !walker.AtEnd(); ++i) {
        Chunk c;
        if (walker.Next(c) != CursorFault::None) return std::nullopt;
        if (i == index) return c.data;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> CursorResource::ResourceBits(int id) const {
    if (id < 1 || static_cast<std::size_t>(id) > images.size()) return {};
    const ResourceImage& image = images[static_cast<std::size_t>(id) - 1];
    // A fresh vector's buffer comes from operator new, so it is DWORD-aligned
    // as CreateIconFromResourceEx requires.
    std::vector<std::uint8_t> bits;
    bits.reserve(BytesInRes(cursor, image));
    if (cursor) {
        Put16(bits, image.hotX);   // LOCALHEADER
        Put16(bits, image.hotY);
    }
    bits.insert(bits.end(), image.image.begin(), image.image.end());
    return bits;
}

std::optional<CursorResource> ToCursorResource(std::span<const std::uint8_t> iconFile) {
    if (iconFile.size() > kMaxCursorFileBytes || !LooksLikeIcon(iconFile)) return std::nullopt;
    if (CheckIcon(iconFile) != CursorFault::None) return std::nullopt;
    CursorResource resource;
    resource.cursor = iconFile[2] == kResCursor;
    const std::uint16_t count = U16(iconFile, 4);   // at least 1, and count x 16 bytes fit in the file
    resource.directory.reserve(kNewHeaderBytes + std::size_t{count} * kResDirBytes);
    resource.images.reserve(count);
    Put16(resource.directory, 0);
    Put16(resource.directory, resource.cursor ? kResCursor : kResIcon);
    Put16(resource.directory, count);
    for (std::size_t i = 0; i < count; ++i) {
        IconImage image;
        if (ReadIconImage(iconFile, i, image) != CursorFault::None) return std::nullopt;
        ResourceImage& out = resource.images.emplace_back();
        out.width = image.width;
        out.height = image.height;
        out.bitCount = image.bitCount;
        out.hotX = resource.cursor ? image.hotX : 0;
        out.hotY = resource.cursor ? image.hotY : 0;
        out.image = image.bytes;
        PutResDir(resource.directory, resource.cursor, image, BytesInRes(resource.cursor, out), i + 1);
    }
    return resource;
}

std::optional<CursorAnimation> ReadCursorAnimation(std::span<const std::uint8_t> aniFile) {
    AnimationParts parts;
    const CursorCheck check = cursor_parts::CheckCursorBytes(aniFile, parts);
    if (!check.ok() || check.kind != CursorFileKind::Animated) return std::nullopt;

    // The check bounded both counts and found exactly parts.frames "icon"
    // chunks and, when present, step tables of parts.steps DWORDs.
    CursorAnimation animation;
    animation.frames.reserve(parts.frames);
    ChunkWalker walker(parts.frameList, kFrameListTypeBytes);
    while (!walker.AtEnd() && animation.frames.size() < parts.frames) {
        Chunk c;
        if (walker.Next(c) != CursorFault::None) return std::nullopt;
        animation.frames.push_back(c.data);
    }
    if (animation.frames.size() != parts.frames) return std::nullopt;

    animation.frameOfStep.reserve(parts.steps);
    animation.jiffiesOfStep.reserve(parts.steps);
    for (std::size_t step = 0; step < parts.steps; ++step) {
        // Without "seq " step i shows frame i; without "rate" every step
        // lasts the "anih" display rate.
        animation.frameOfStep.push_back(parts.haveSequence ? U32(parts.sequence, step * 4) : static_cast<std::uint32_t>(step));
        animation.jiffiesOfStep.push_back(parts.haveRate ? U32(parts.rate, step * 4) : parts.defaultRate);
    }
    return animation;
}

std::optional<std::span<const std::uint8_t>> FirstFrame(std::span<const std::uint8_t> cursorFile) {
    AnimationParts parts;
    const CursorCheck check = cursor_parts::CheckCursorBytes(cursorFile, parts);
    if (!check.ok()) return std::nullopt;
    if (check.kind == CursorFileKind::Static) return cursorFile;
    if (check.kind != CursorFileKind::Animated) return std::nullopt;
    return FrameAt(parts, parts.haveSequence ? U32(parts.sequence, 0) : 0);
}

}  // namespace shubiao

#pragma once
// The parts of the cursor-file check that the image reader (CursorImages.cpp)
// reuses, so that both read ICO/CUR directories and RIFF chunks the same way.
// Only code in scheme/ includes this; everything else uses CursorFileCheck.h
// and CursorImages.h.
#include <cstddef>
#include <cstdint>
#include <span>

#include "scheme/formats/CursorFileCheck.h"

namespace shubiao::cursor_parts {

using Bytes = std::span<const std::uint8_t>;

// Little-endian reads; the caller has checked that the bytes exist.
std::uint16_t U16(Bytes b, std::size_t at);
std::uint32_t U32(Bytes b, std::size_t at);

// ---- ICO / CUR ----------------------------------------------------------------

inline constexpr std::size_t kIconHeaderBytes = 6;    // reserved, type, count
inline constexpr std::size_t kIconEntryBytes = 16;    // one directory entry of the file

// Reserved word 0 and type 1 (ICO) or 2 (CUR).
bool LooksLikeIcon(Bytes b);

// One image of an ICO/CUR as the checker read it.
struct IconImage {
    Bytes bytes;                  // the entry's bytes: a DIB (header, palette, XOR rows, AND rows) or a PNG
    std::uint32_t width = 0;      // pixels, from the image
    std::uint32_t height = 0;     // pixels, from the image (half the DIB header's height)
    std::uint16_t planes = 0;     // from the DIB header; 1 for a PNG
    std::uint16_t bitCount = 0;   // bits per pixel, from the DIB header or the PNG's IHDR
    std::uint16_t hotX = 0;       // the directory entry's hot spot (a CUR's planes/bit-count fields)
    std::uint16_t hotY = 0;
};

// Checks entry `index` of an ICO/CUR and the image it points to; fills
// `image` when the result is CursorFault::None. When the image is refused for
// its size and `conflict` is given, fills its image, claimed and found sizes.
// Safe on any bytes.
CursorFault ReadIconImage(Bytes file, std::size_t index, IconImage& image, SizeConflict* conflict = nullptr);

// The whole ICO/CUR: header, directory and every image.
CursorFault CheckIcon(Bytes b);

// ---- RIFF chunks ----------------------------------------------------------------

struct Chunk {
    Bytes id;
    Bytes data;
};

bool ChunkIs(const Chunk& c, const char (&id)[5]);

// Walks the chunks of one container (the RIFF data or one LIST's data).
class ChunkWalker {
public:
    ChunkWalker(Bytes container, std::size_t start) : bytes_(container), pos_(start) {}
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    CursorFault Next(Chunk& chunk);

private:
    bool HeaderFits(std::size_t at) const;

    Bytes bytes_;
    std::size_t pos_;
    bool afterPad_ = false;
};

// ---- RIFF "ACON" ----------------------------------------------------------------

// What the checker found in an animation. Spans point into the file.
struct AnimationParts {
    bool haveHeader = false;
    std::uint32_t frames = 0;        // "anih" frame count
    std::uint32_t steps = 0;         // "anih" step count
    std::uint32_t flags = 0;
    std::uint32_t defaultRate = 0;   // "anih" display rate, jiffies per step
    bool haveFrames = false;
    bool haveRate = false;
    bool haveSequence = false;
    Bytes rate;                      // "rate" data: steps x DWORD
    Bytes sequence;                  // "seq " data: steps x DWORD
    Bytes frameList;                 // LIST "fram" data, its type first, then the "icon" chunks
};

// The whole check of CheckCursorBytes; for an animation that passes, `parts`
// describes it.
CursorCheck CheckCursorBytes(Bytes bytes, AnimationParts& parts);

}  // namespace shubiao::cursor_parts

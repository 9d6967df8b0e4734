// Writers for the Windows icon family: .ico / .cur (icon directory + DIB
// images) and RIFF "ACON" animated cursors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Raster.h"

namespace makeassets {

using Bytes = std::vector<std::uint8_t>;

// One image of an icon directory, already encoded as a DIB.
struct DirImage {
    int width = 0;
    int height = 0;
    int bitCount = 32;
    int hotX = 0;  // cursors only
    int hotY = 0;
    Bytes dib;
};

// 32-bit BGRA bottom-up DIB with height doubled and a 1-bit AND mask.
DirImage dib32(const Canvas& canvas);
// 8-bit palettised DIB (256-entry palette) with an AND mask; pixels whose
// alpha is below one half become transparent.
DirImage dib8(const Canvas& canvas);

Bytes iconFile(const std::vector<DirImage>& images);
Bytes cursorFile(const std::vector<DirImage>& images);

struct AnimatedCursor {
    std::vector<Bytes> frames;   // complete .cur files, shown in order
    std::uint32_t jiffies = 10;  // display rate of every frame, 1/60 s
};

Bytes aniFile(const AnimatedCursor& cursor);

void writeFile(const std::string& path, const Bytes& bytes);

}  // namespace makeassets

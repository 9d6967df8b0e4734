#pragma once
// Reads what the program shows of a checked cursor file without handing the
// file back to Windows by its path:
// - ToCursorResource turns one ICO/CUR into the resource-format data that
//   LookupIconIdFromDirectoryEx and CreateIconFromResourceEx take, so the
//   bytes Windows sees are exactly the bytes that were checked;
// - ReadCursorAnimation lists an animation's frames, and the frame and
//   display time of each step.
// Every function checks its input with the cursor-file check first and
// returns nullopt for anything the check refuses.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace shubiao {

struct ResourceImage {
    std::uint32_t width = 0;               // pixels
    std::uint32_t height = 0;              // pixels (not the doubled DIB height)
    std::uint16_t bitCount = 0;            // bits per pixel
    std::uint16_t hotX = 0;                // cursor hot spot; 0 for an icon
    std::uint16_t hotY = 0;
    std::span<const std::uint8_t> image;   // the DIB or PNG, inside the bytes given to ToCursorResource
};

struct CursorResource {
    bool cursor = false;                   // CUR (hot spots, RT_CURSOR) or ICO (RT_ICON)
    std::vector<std::uint8_t> directory;   // NEWHEADER + RESDIR entries; entry i has id i + 1
    std::vector<ResourceImage> images;     // image i is the resource with id i + 1

    // The RT_CURSOR / RT_ICON resource with this id, as CreateIconFromResourceEx
    // takes it: for a cursor the hot spot then the image, for an icon the image
    // alone. Empty for an id outside the group (LookupIconIdFromDirectoryEx
    // returns 0 when it fails). Built on request: the images of a file may
    // overlap, so copying all of them up front could take far more memory
    // than the file.
    std::vector<std::uint8_t> ResourceBits(int id) const;
};

// From the bytes of a whole ICO/CUR, or of one frame of an animation. The
// images' spans point into `iconFile`. nullopt for anything else.
std::optional<CursorResource> ToCursorResource(std::span<const std::uint8_t> iconFile);

struct CursorAnimation {
    std::vector<std::span<const std::uint8_t>> frames;   // each an ICO/CUR, inside the animation's bytes
    std::vector<std::uint32_t> frameOfStep;              // one per step; each < frames.size()
    std::vector<std::uint32_t> jiffiesOfStep;            // one per step, 1/60 s; 0 means "as fast as possible"
};

// From the bytes of a RIFF "ACON" animation; nullopt for anything else.
std::optional<CursorAnimation> ReadCursorAnimation(std::span<const std::uint8_t> aniFile);

// The image to preview: the file itself for an ICO/CUR, the frame of the
// first step for an animation; a span inside `cursorFile`.
std::optional<std::span<const std::uint8_t>> FirstFrame(std::span<const std::uint8_t> cursorFile);

}  // namespace shubiao

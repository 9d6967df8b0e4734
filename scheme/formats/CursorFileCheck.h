#pragma once
// Content check for cursor files before they reach the Windows cursor loader.
//
// The loader trusts what it is given, and malformed files crash or stall the
// calling process. Every place that hands a user-picked, imported or registry
// file to the loader asks CheckCursorFile first and refuses the file unless
// the result is ok(). The decision is made by content alone, never by the
// file name: a static cursor under an ".ani" name passes, and so does the
// reverse.
//
// Limits (see CursorFileCheck.cpp for the reasoning):
//   file size            <= kMaxCursorFileBytes (4 MiB)
//   image width/height   1 .. 256
//   animation frames     1 .. kMaxAnimationFrames (1024)
//   animation steps      1 .. kMaxAnimationSteps (4096)
//
// Besides its verdict the check reports the sizes the file holds, read from
// the same bytes in the same pass (see CursorSizes).
#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace shubiao {

enum class CursorFault {
    None,
    // Whole file
    Empty,                  // zero bytes
    TooLarge,               // more than kMaxCursorFileBytes
    Unreadable,             // cannot be opened or read
    UnknownFormat,          // neither ICO/CUR nor RIFF "ACON"
    Truncated,              // ends inside a header, directory or chunk
    // ICO/CUR directory and images (also every animation frame)
    NoImages,               // directory holds no entries
    ImageOutsideFile,       // entry offset past the end of the data or inside the directory
    ImageTooShort,          // header, palette or pixel rows need more bytes than the entry states
    ZeroDimension,          // width or height 0
    DimensionTooLarge,      // width or height above 256
    SizeMismatch,           // image size disagrees with its directory entry (height not 2x for XOR+AND)
    BadBitmapHeader,        // header size, planes, negative or odd height
    BadBitDepth,            // not 1, 4, 8, 16, 24 or 32 bits per pixel
    UnsupportedCompression, // compressed DIB (only uncompressed or PNG)
    BadColorCount,          // palette larger than the bit depth allows
    BadPng,                 // PNG signature or IHDR damaged
    HotspotOutside,         // cursor hot spot outside the image
    // RIFF "ACON" animated cursors
    RiffSizeMismatch,       // RIFF size runs past the end of the file or is too small
    BadChunkId,             // chunk id is not four printable characters
    MissingPadByte,         // odd-sized chunk not followed by its pad byte
    DuplicateChunk,         // "anih", "rate", "seq " or frame list given twice
    MissingHeader,          // no "anih"
    BadHeaderSize,          // "anih" chunk or its cbSize not 36
    MisplacedHeader,        // "rate", "seq " or frame list before "anih"
    UnsupportedFrames,      // raw (non-icon) frames
    ZeroFrames,             // anih frame count 0
    TooManyFrames,          // anih frame count above kMaxAnimationFrames
    ZeroSteps,              // anih step count 0
    TooManySteps,           // anih step count above kMaxAnimationSteps
    StepsExceedFrames,      // no "seq " and more steps than frames
    MissingFrameList,       // no LIST "fram"
    EmptyFrameList,         // LIST "fram" without any "icon" chunk
    UnexpectedFrameChunk,   // LIST "fram" holds a chunk other than "icon"
    FrameCountMismatch,     // number of "icon" chunks differs from anih frame count
    FrameNotIcon,           // an "icon" chunk is not an ICO/CUR image
    MissingSequence,        // anih announces a sequence but "seq " is absent
    SequenceSizeMismatch,   // "seq " is not steps x 4 bytes
    SequenceOutOfRange,     // a "seq " entry names a frame that does not exist
    RateSizeMismatch,       // "rate" is not steps x 4 bytes
};

enum class CursorFileKind { Unknown, Static, Animated };   // Static = ICO/CUR, Animated = RIFF "ACON"

// Width and height in pixels; ordered by width, then height.
struct PixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend constexpr auto operator<=>(const PixelSize&, const PixelSize&) = default;
};

// An image the check refused for its size: a zero or over-256 width or
// height, or a directory entry that claims another size than its image has.
struct SizeConflict {
    std::uint32_t frame = 0;   // the animation frame it is in; 0 in an ICO/CUR
    std::uint32_t image = 0;   // its directory entry in the ICO/CUR or the frame
    PixelSize claimed;         // the directory entry's (a 0 there stands for 256)
    PixelSize found;           // the image's own: a DIB's width and half its height, or a PNG's IHDR
    friend bool operator==(const SizeConflict&, const SizeConflict&) = default;
};

// The sizes a cursor file holds, from the images the check read: every image
// of an ICO/CUR, and every image of every frame of an animation.
struct CursorSizes {
    // Every distinct size, ascending; empty unless the check passed. For an
    // animation whose frames differ it is every size any frame holds.
    std::vector<PixelSize> held;
    // An animation whose frames do not all hold the same sizes: Windows
    // draws some of its frames from another size than others.
    bool framesDiffer = false;
    // Set when the check refused the file for an image's size.
    std::optional<SizeConflict> conflict;
    friend bool operator==(const CursorSizes&, const CursorSizes&) = default;
};

struct CursorCheck {
    CursorFault fault = CursorFault::None;
    CursorFileKind kind = CursorFileKind::Unknown;
    CursorSizes sizes;
    bool ok() const { return fault == CursorFault::None; }
};

inline constexpr std::uintmax_t kMaxCursorFileBytes = 4u * 1024u * 1024u;
inline constexpr std::uint32_t kMaxImageDimension = 256;
inline constexpr std::uint32_t kMaxAnimationFrames = 1024;
inline constexpr std::uint32_t kMaxAnimationSteps = 4096;

CursorCheck CheckCursorBytes(std::span<const std::uint8_t> bytes);
// The size is checked before reading; never reads more than the limit.
CursorCheck CheckCursorFileAt(const std::filesystem::path::value_type* path);
inline CursorCheck CheckCursorFile(const std::filesystem::path& path) { return CheckCursorFileAt(path.c_str()); }
// One short plain-Chinese sentence per fault.
std::wstring_view DescribeCursorFault(CursorFault fault);

}  // namespace shubiao

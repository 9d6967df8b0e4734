// 补齐尺寸: see FillSizes.h.
//
// The filter: stb_image_resize's Catmull-Rom (STBIR_FILTER_CATMULLROM), a
// cubic that passes through the source pixels, so a 32-pixel pointer's
// one-pixel outlines stay crisp at 48 and 64 where the softer Mitchell
// filter would blur them. Colours are filtered in linear light
// (STBIR_COLORSPACE_SRGB: stb converts sRGB to linear, filters and converts
// back), so an outline's anti-aliased edge keeps its weight instead of
// darkening; alpha is linear and stb weights the colours by it, so the
// transparent pixels around a pointer do not bleed into its edge. Edges are
// clamped (STBIR_EDGE_CLAMP): a pointer touching its border is not faded
// against an imagined background.
//
// Bounds: the input has passed the cursor check (at most 4 MiB, 1024 frames,
// images of at most 256 x 256), one image per frame is decoded, at most five
// are made per frame, and the copy stops as soon as it passes 4 MiB.
#include "scheme/formats/FillSizes.h"

#include <algorithm>
#include <cstring>

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

#include "scheme/formats/CursorFileParts.h"

namespace shubiao {
namespace {

using namespace cursor_parts;
using Out = std::vector<std::uint8_t>;

constexpr std::uint32_t kPngFromSize = 64;   // added images this large or larger are PNG

void Put16(Out& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Out& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void Set32(Out& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::size_t RowBytes(std::uint32_t width, std::uint32_t bits) {
    return (std::size_t{width} * bits + 31) / 32 * 4;
}

bool Bit(const std::uint8_t* row, std::uint32_t x) {
    return ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0;
}

std::optional<CursorPixels> DecodePng(const IconImage& image) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(image.bytes.data(), static_cast<int>(image.bytes.size()), &w, &h, &channels, 4);
    if (pixels == nullptr) return std::nullopt;
    std::optional<CursorPixels> result;
    if (static_cast<std::uint32_t>(w) == image.width && static_cast<std::uint32_t>(h) == image.height) {
        result = CursorPixels{image.width, image.height, image.hotX, image.hotY,
                              std::vector<std::uint8_t>(pixels, pixels + std::size_t{image.width} * image.height * 4)};
    }
    stbi_image_free(pixels);
    return result;
}

// A DIB the check accepted: its header, palette and both masks are there.
CursorPixels DecodeDib(const IconImage& image) {
    const Bytes b = image.bytes;
    const std::uint32_t headerBytes = U32(b, 0);
    const std::uint32_t bits = image.bitCount;
    const std::uint32_t used = U32(b, 32);
    const std::uint32_t colours = bits <= 8 ? (used != 0 ? used : 1u << bits) : used;
    const std::uint32_t w = image.width, h = image.height;
    const std::uint8_t* palette = b.data() + headerBytes;
    const std::uint8_t* xorRows = palette + std::size_t{colours} * 4;
    const std::uint8_t* andRows = xorRows + RowBytes(w, bits) * h;
    CursorPixels out{w, h, image.hotX, image.hotY, std::vector<std::uint8_t>(std::size_t{w} * h * 4)};
    bool ownAlpha = false;
    if (bits == 32) {
        for (std::size_t i = 0; i < std::size_t{w} * h && !ownAlpha; ++i) {
            ownAlpha = xorRows[i * 4 + 3] != 0;
        }
    }
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint32_t stored = h - 1 - y;   // DIB rows are bottom up
        const std::uint8_t* row = xorRows + RowBytes(w, bits) * stored;
        const std::uint8_t* mask = andRows + RowBytes(w, 1) * stored;
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t bgra[4] = {0, 0, 0, 0};
            if (bits <= 8) {
                const std::uint32_t perByte = 8 / bits;
                const std::uint32_t shift = 8 - bits * (x % perByte + 1);
                const std::uint32_t index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
                if (index < colours) std::memcpy(bgra, palette + std::size_t{index} * 4, 3);
            } else if (bits == 16) {   // X1R5G5B5
                const std::uint32_t v = U16(b, static_cast<std::size_t>(row - b.data()) + std::size_t{x} * 2);
                bgra[0] = static_cast<std::uint8_t>((v & 31) * 255 / 31);
                bgra[1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 255 / 31);
                bgra[2] = static_cast<std::uint8_t>(((v >> 10) & 31) * 255 / 31);
            } else {
                std::memcpy(bgra, row + std::size_t{x} * (bits / 8), bits / 8);
            }
            std::uint8_t* px = out.rgba.data() + (std::size_t{y} * w + x) * 4;
            if (ownAlpha) {
                px[0] = bgra[2], px[1] = bgra[1], px[2] = bgra[0], px[3] = bgra[3];
            } else if (!Bit(mask, x)) {
                px[0] = bgra[2], px[1] = bgra[1], px[2] = bgra[0], px[3] = 255;
            } else if (bgra[0] != 0 || bgra[1] != 0 || bgra[2] != 0) {
                px[3] = 255;   // inverts the screen there: opaque black
            }   // else transparent, all zero
        }
    }
    return out;
}

std::optional<CursorPixels> Decode(const IconImage& image) {
    if (!image.bytes.empty() && image.bytes[0] == 0x89) return DecodePng(image);
    return DecodeDib(image);
}

// A 32-bpp DIB: header, BGRA rows bottom up, then the AND mask (set where
// the pixel is fully transparent).
Out EncodeDib(const CursorPixels& p) {
    const std::size_t maskRow = RowBytes(p.width, 1);
    Out b;
    b.reserve(40 + std::size_t{p.width} * p.height * 4 + maskRow * p.height);
    Put32(b, 40);
    Put32(b, p.width);
    Put32(b, p.height * 2);
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>((std::size_t{p.width} * 4 + maskRow) * p.height));
    for (int i = 0; i < 4; ++i) Put32(b, 0);
    for (std::uint32_t y = p.height; y-- > 0;) {
        for (std::uint32_t x = 0; x < p.width; ++x) {
            const std::uint8_t* px = p.rgba.data() + (std::size_t{y} * p.width + x) * 4;
            for (const int c : {2, 1, 0, 3}) b.push_back(px[c]);
        }
    }
    for (std::uint32_t y = p.height; y-- > 0;) {
        const std::size_t start = b.size();
        b.resize(start + maskRow, 0);
        for (std::uint32_t x = 0; x < p.width; ++x) {
            if (p.rgba[(std::size_t{y} * p.width + x) * 4 + 3] == 0) b[start + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return b;
}

void AppendWritten(void* context, void* data, int size) {
    auto* out = static_cast<Out*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

Out EncodePng(const CursorPixels& p) {
    Out b;
    if (stbi_write_png_to_func(AppendWritten, &b, static_cast<int>(p.width), static_cast<int>(p.height), 4,
                               p.rgba.data(), static_cast<int>(p.width * 4)) == 0) {
        b.clear();
    }
    return b;
}

std::uint32_t Scaled(std::uint32_t v, std::uint32_t to, std::uint32_t from) {
    return static_cast<std::uint32_t>((std::uint64_t{v} * to * 2 + from) / (std::uint64_t{from} * 2));
}

// The source resampled so that its longer side is `size`.
std::optional<CursorPixels> Resample(const CursorPixels& src, std::uint32_t size) {
    const std::uint32_t longer = std::max(src.width, src.height);
    CursorPixels out;
    out.width = std::max<std::uint32_t>(1, Scaled(src.width, size, longer));
    out.height = std::max<std::uint32_t>(1, Scaled(src.height, size, longer));
    out.hotX = static_cast<std::uint16_t>(std::min(out.width - 1, Scaled(src.hotX, out.width, src.width)));
    out.hotY = static_cast<std::uint16_t>(std::min(out.height - 1, Scaled(src.hotY, out.height, src.height)));
    out.rgba.resize(std::size_t{out.width} * out.height * 4);
    if (stbir_resize_uint8_generic(src.rgba.data(), static_cast<int>(src.width), static_cast<int>(src.height), 0,
                                   out.rgba.data(), static_cast<int>(out.width), static_cast<int>(out.height), 0,
                                   4, 3, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_CATMULLROM, STBIR_COLORSPACE_SRGB,
                                   nullptr) == 0) {
        return std::nullopt;
    }
    return out;
}

struct Step {
    FillRefusal refusal = FillRefusal::None;
    Out bytes;
};

// One ICO/CUR (the file or an animation frame) that the check accepted,
// filled; `budget` is what the whole copy may still grow by.
Step FillIcon(Bytes icon, std::size_t budget) {
    const std::uint16_t count = U16(icon, 4);
    const bool cursor = icon[2] == 2;
    std::vector<IconImage> images(count);
    std::size_t largest = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (ReadIconImage(icon, i, images[i]) != CursorFault::None) return {FillRefusal::NotWritten, {}};
        const auto area = [](const IconImage& m) { return std::uint64_t{m.width} * m.height; };
        if (area(images[i]) > area(images[largest]) ||
            (area(images[i]) == area(images[largest]) && images[i].bitCount > images[largest].bitCount)) {
            largest = i;
        }
    }
    std::vector<std::uint32_t> missing;
    for (const std::uint32_t size : kFilledSizes) {
        const bool held = std::any_of(images.begin(), images.end(),
                                      [&](const IconImage& m) { return std::max(m.width, m.height) == size; });
        if (!held) missing.push_back(size);
    }
    if (missing.empty()) {
        if (icon.size() > budget) return {FillRefusal::TooLarge, {}};
        return {FillRefusal::None, Out(icon.begin(), icon.end())};
    }
    if (count + missing.size() > 0xFFFF) return {FillRefusal::TooLarge, {}};
    const IconImage& source = images[largest];
    if (source.width < 2 || source.height < 2) return {FillRefusal::TooSmall, {}};
    const std::optional<CursorPixels> pixels = Decode(source);
    if (!pixels) return {FillRefusal::PngUndecodable, {}};

    const std::size_t total = count + missing.size();
    Out out;
    Put16(out, 0);
    Put16(out, icon[2]);
    Put16(out, static_cast<std::uint32_t>(total));
    out.resize(kIconHeaderBytes + total * kIconEntryBytes, 0);
    const auto addImage = [&](std::size_t index, const std::uint8_t* entry, Bytes data) {
        if (out.size() + data.size() > budget) return false;
        const std::size_t at = kIconHeaderBytes + index * kIconEntryBytes;
        std::memcpy(out.data() + at, entry, kIconEntryBytes);
        Set32(out, at + 8, static_cast<std::uint32_t>(data.size()));
        Set32(out, at + 12, static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), data.begin(), data.end());
        return true;
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (!addImage(i, icon.data() + kIconHeaderBytes + i * kIconEntryBytes, images[i].bytes)) {
            return {FillRefusal::TooLarge, {}};
        }
    }
    for (std::size_t k = 0; k < missing.size(); ++k) {
        const std::optional<CursorPixels> made = Resample(*pixels, missing[k]);
        if (!made) return {FillRefusal::NotWritten, {}};
        const Out data = missing[k] >= kPngFromSize ? EncodePng(*made) : EncodeDib(*made);
        if (data.empty()) return {FillRefusal::NotWritten, {}};
        std::uint8_t entry[kIconEntryBytes] = {};
        entry[0] = static_cast<std::uint8_t>(made->width & 0xFF);   // 256 is written as 0
        entry[1] = static_cast<std::uint8_t>(made->height & 0xFF);
        const std::uint16_t second = cursor ? made->hotX : 1;    // an icon's planes and bit count
        const std::uint16_t third = cursor ? made->hotY : 32;
        entry[4] = static_cast<std::uint8_t>(second), entry[5] = static_cast<std::uint8_t>(second >> 8);
        entry[6] = static_cast<std::uint8_t>(third), entry[7] = static_cast<std::uint8_t>(third >> 8);
        if (!addImage(count + k, entry, data)) return {FillRefusal::TooLarge, {}};
    }
    return {FillRefusal::None, std::move(out)};
}

void PutChunk(Out& out, Bytes id, Bytes data) {
    out.insert(out.end(), id.begin(), id.end());
    Put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) out.push_back(0);
}

// An animation the check accepted: every chunk copied in its order, each
// "icon" of the frame list filled.
Step FillAnimation(Bytes b) {
    const std::uint32_t riffSize = U32(b, 4);
    const std::size_t end = std::uint64_t{riffSize} + 8 <= b.size() ? riffSize + std::size_t{8} : b.size();
    Out out(b.begin(), b.begin() + 12);
    ChunkWalker walker(b.first(end), 12);
    while (!walker.AtEnd()) {
        Chunk c;
        if (walker.Next(c) != CursorFault::None) return {FillRefusal::NotWritten, {}};
        if (!ChunkIs(c, "LIST") || std::memcmp(c.data.data(), "fram", 4) != 0) {
            PutChunk(out, c.id, c.data);
            if (out.size() > kMaxCursorFileBytes) return {FillRefusal::TooLarge, {}};
            continue;
        }
        Out list(c.data.begin(), c.data.begin() + 4);
        ChunkWalker frames(c.data, 4);
        while (!frames.AtEnd()) {
            Chunk icon;
            if (frames.Next(icon) != CursorFault::None) return {FillRefusal::NotWritten, {}};
            const std::size_t used = out.size() + list.size() + 16;
            if (used > kMaxCursorFileBytes) return {FillRefusal::TooLarge, {}};
            Step frame = FillIcon(icon.data, kMaxCursorFileBytes - used);
            if (frame.refusal != FillRefusal::None) return frame;
            PutChunk(list, icon.id, frame.bytes);
        }
        PutChunk(out, c.id, list);
    }
    Set32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
    return {FillRefusal::None, std::move(out)};
}

}  // namespace

std::optional<CursorPixels> DecodeCursorImage(std::span<const std::uint8_t> iconFile, std::size_t index) {
    if (!LooksLikeIcon(iconFile)) return std::nullopt;
    IconImage image;
    if (ReadIconImage(iconFile, index, image) != CursorFault::None) return std::nullopt;
    return Decode(image);
}

FilledCursor FillSizes(std::span<const std::uint8_t> bytes) {
    const CursorCheck check = CheckCursorBytes(bytes);
    if (!check.ok()) return {FillRefusal::Unusable, check.fault, {}};
    Step step = check.kind == CursorFileKind::Animated ? FillAnimation(bytes) : FillIcon(bytes, kMaxCursorFileBytes);
    if (step.refusal != FillRefusal::None) return {step.refusal, CursorFault::None, {}};
    const CursorCheck result = CheckCursorBytes(step.bytes);
    if (result.fault == CursorFault::TooLarge) return {FillRefusal::TooLarge, CursorFault::None, {}};
    if (!result.ok()) return {FillRefusal::NotWritten, result.fault, {}};
    return {FillRefusal::None, CursorFault::None, std::move(step.bytes)};
}

std::wstring DescribeFillRefusal(const FilledCursor& filled) {
    switch (filled.refusal) {
        case FillRefusal::None: return L"已补齐 32、48、64、96、128 像素。";
        case FillRefusal::Unusable: return L"无法补齐尺寸：" + std::wstring(DescribeCursorFault(filled.fault));
        case FillRefusal::TooSmall: return L"无法补齐尺寸：文件里最大的图像不足 2×2 像素，无法放大。已使用原文件。";
        case FillRefusal::PngUndecodable: return L"无法补齐尺寸：文件里的 PNG 图像无法解码。已使用原文件。";
        case FillRefusal::TooLarge: return L"无法补齐尺寸：补齐后的文件会超过 4 MB。已使用原文件。";
        case FillRefusal::NotWritten:
            return filled.fault == CursorFault::None
                       ? L"无法补齐尺寸：生成补齐后的文件时出错。已使用原文件。"
                       : L"无法补齐尺寸：补齐后的文件未通过检查（" + std::wstring(DescribeCursorFault(filled.fault)) + L"）。已使用原文件。";
    }
    return L"无法补齐尺寸。已使用原文件。";
}

}  // namespace shubiao

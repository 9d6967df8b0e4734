#include "support/CursorFilesSupport.h"

#include "support/TestSupport.h"

namespace shubiao::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

Bytes MakeStaticCursor(int hotX, int hotY, std::uint32_t colour) {
    constexpr int kSize = 32;
    constexpr std::uint32_t kHeaderBytes = 40;
    constexpr std::uint32_t kPixelBytes = kSize * kSize * 4;
    constexpr std::uint32_t kMaskBytes = kSize * 4;  // 1 bit per pixel, rows padded to 4 bytes
    Bytes b;
    // Directory: reserved, type 2 (cursor), one entry.
    Put16(b, 0);
    Put16(b, 2);
    Put16(b, 1);
    // Entry: width, height, colour count, reserved, hot spot, bytes, offset.
    b.push_back(kSize);
    b.push_back(kSize);
    b.push_back(0);
    b.push_back(0);
    Put16(b, static_cast<std::uint32_t>(hotX));
    Put16(b, static_cast<std::uint32_t>(hotY));
    Put32(b, kHeaderBytes + kPixelBytes + kMaskBytes);
    Put32(b, 6 + 16);
    // BITMAPINFOHEADER: the height counts the colour rows and the mask rows.
    Put32(b, kHeaderBytes);
    Put32(b, kSize);
    Put32(b, kSize * 2);
    Put16(b, 1);
    Put16(b, 32);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    // Colour rows, bottom-up, BGRA: a square from 8 to 23, the rest clear.
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool inside = x >= 8 && x < 24 && y >= 8 && y < 24;
            Put32(b, inside ? (0xFF000000u | (colour & 0x00FFFFFFu)) : 0u);
        }
    }
    // AND mask: transparent outside the square.
    for (int y = 0; y < kSize; ++y) {
        const bool row = y >= 8 && y < 24;
        b.push_back(0xFF);
        b.push_back(row ? 0x00 : 0xFF);
        b.push_back(row ? 0x00 : 0xFF);
        b.push_back(0xFF);
    }
    return b;
}

void WriteStaticCursor(const std::wstring& path, int hotX, int hotY, std::uint32_t colour) {
    WriteBytes(path, MakeStaticCursor(hotX, hotY, colour));
}

POINT CursorHotSpot(HCURSOR cursor) {
    ICONINFO info{};
    if (cursor == nullptr || !GetIconInfo(cursor, &info)) return {-1, -1};
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

}  // namespace shubiao::test

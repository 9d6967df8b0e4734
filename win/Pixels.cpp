#include "win/Pixels.h"

namespace shubiao {

UniqueBitmap MakeTopDownDib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* ignored = nullptr;
    return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits != nullptr ? bits : &ignored, nullptr, 0));
}

std::vector<std::uint32_t> ReadPixels(HDC source, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<std::uint32_t> pixels;
    if (source == nullptr || width <= 0 || height <= 0) return pixels;
    void* bits = nullptr;
    const UniqueBitmap copy = MakeTopDownDib(width, height, &bits);
    const UniqueMemDC memory(CreateCompatibleDC(source));
    if (!copy || !memory || bits == nullptr) return pixels;
    {
        const SelectGuard select(memory.get(), copy.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, source, area.left, area.top, SRCCOPY)) return pixels;
    }
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    pixels.assign(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (std::uint32_t& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}

}  // namespace shubiao

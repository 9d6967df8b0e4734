#include "bench/Screen.h"

#include <algorithm>
#include <cstring>

#include "editor/PictureBox.h"
#include "editor/ShuBiaoKong.h"
#include "win/Raii.h"

namespace shubiao::bench {
namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t name[64]{};
    GetClassNameW(hwnd, name, 64);
    if (std::wcscmp(name, search->className) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct BoxSearch {
    std::array<RECT, 15> boxes{};
    std::array<bool, 15> seen{};
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    wchar_t name[64]{};
    GetClassNameW(hwnd, name, 64);
    if (std::wcscmp(name, PictureBox::kClassName) != 0) return TRUE;
    const int n = GetDlgCtrlID(hwnd) - ShuBiaoKong::kPictureIdBase;
    if (n < 1 || n > 15) return TRUE;
    GetWindowRect(hwnd, &search->boxes[static_cast<size_t>(n - 1)]);
    search->seen[static_cast<size_t>(n - 1)] = true;
    return TRUE;
}

}  // namespace

HWND FindVisibleWindow(DWORD pid, const wchar_t* className) {
    WindowSearch search{pid, className};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool FindPreviewBoxes(HWND main, std::array<RECT, 15>& boxes) {
    BoxSearch search;
    EnumChildWindows(main, MatchBox, reinterpret_cast<LPARAM>(&search));
    boxes = search.boxes;
    return std::all_of(search.seen.begin(), search.seen.end(), [](bool b) { return b; });
}

std::vector<std::uint32_t> CaptureScreen(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {};
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return {};
    UniqueMemDC memory(CreateCompatibleDC(screen));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<std::uint32_t> pixels;
    if (memory && bitmap && bits != nullptr) {
        SelectGuard select(memory.get(), bitmap.get());
        if (BitBlt(memory.get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const std::uint32_t*>(bits);
            pixels.assign(p, p + static_cast<size_t>(width) * static_cast<size_t>(height));
            for (std::uint32_t& px : pixels) px &= 0x00FFFFFF;
        }
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<std::uint32_t> Crop(const std::vector<std::uint32_t>& capture, const RECT& area, const RECT& box) {
    const int areaWidth = area.right - area.left;
    std::vector<std::uint32_t> out;
    if (capture.empty()) return out;
    for (int y = box.top; y < box.bottom; ++y) {
        const size_t row = static_cast<size_t>(y - area.top) * static_cast<size_t>(areaWidth);
        out.insert(out.end(), capture.begin() + static_cast<std::ptrdiff_t>(row + (box.left - area.left)),
                   capture.begin() + static_cast<std::ptrdiff_t>(row + (box.right - area.left)));
    }
    return out;
}

bool HasDrawing(const std::vector<std::uint32_t>& pixels) {
    return !pixels.empty() && std::any_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return p != pixels[0]; });
}

}  // namespace shubiao::bench

#include "bench/Screen.h"

#include <algorithm>
#include <cstring>

#include "editor/PictureBox.h"
#include "editor/ShuBiaoKong.h"
#include "win/Pixels.h"
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
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return {};
    std::vector<std::uint32_t> pixels = ReadPixels(screen, area);
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

#pragma once
// Looking at another process's windows from outside: finding its top-level
// window and the preview boxes in it, and reading pixels off the screen.
#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

namespace shubiao::bench {

// The visible top-level window of process `pid` with class `className`;
// nullptr when there is none (yet).
HWND FindVisibleWindow(DWORD pid, const wchar_t* className);

// Screen rectangles of the fifteen preview boxes under `main` (child windows
// of the picture-box class with ids 201..215). False when any is missing.
bool FindPreviewBoxes(HWND main, std::array<RECT, 15>& boxes);

// Pixels (0x00RRGGBB, top-down rows) of a screen rectangle as the screen
// shows it now; empty when it cannot be read.
std::vector<std::uint32_t> CaptureScreen(const RECT& area);

// The pixels of `box` out of a capture of `area` (box lies inside area).
std::vector<std::uint32_t> Crop(const std::vector<std::uint32_t>& capture, const RECT& area, const RECT& box);

// True when not every pixel is the same colour.
bool HasDrawing(const std::vector<std::uint32_t>& pixels);

}  // namespace shubiao::bench

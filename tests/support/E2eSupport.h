#pragma once
// Driving another process's windows from outside, as a user would: finding
// its top-level windows and controls, typing into its common dialogs and
// pressing their buttons, and capturing the screen to check and keep what it
// shows.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace shubiao::test {

// True when this process runs under Wine.
bool RunningUnderWine();

// Checks `done` about every `step` ms (handling this thread's messages in
// between) until it holds or `milliseconds` have passed; its last answer.
// Gentle enough to ask another process about its windows at each check.
bool Poll(const std::function<bool()>& done, DWORD milliseconds, DWORD step = 20);
// Like Poll, but `done` must hold at every check for `holdMilliseconds` on
// end: for input that Wine may deliver twice, late the second time.
bool PollSteady(const std::function<bool()>& done, DWORD holdMilliseconds, DWORD milliseconds, DWORD step = 20);

std::wstring ClassOf(HWND window);
// The text of a window or control, of any process.
std::wstring TextOf(HWND window);

// Visible top-level windows of process `processId` with this class (and this
// title, unless `title` is null), in Z order.
std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr);

// One line per top-level window of the process: class, title, visibility.
std::wstring DescribeProcessWindows(DWORD processId);

// Every descendant of `parent`, depth first.
std::vector<HWND> Descendants(HWND parent);
// The first descendant with control id `id`; nullptr when there is none.
HWND DescendantById(HWND parent, int id);

// The file-name edit of a common file dialog (the edit inside combo cmb13,
// or edit edt1); nullptr when the dialog has neither.
HWND FileNameEdit(HWND dialog);
// Puts `text` into the file-name edit of `dialog` and presses its OK button.
// False when the dialog has no file-name edit.
bool TypeFileNameAndConfirm(HWND dialog, const std::wstring& text);
// One line per descendant: id, class and text, for failure messages.
std::wstring DescribeChildren(HWND dialog);

// Posts a click (button down, then up, at the centre) to a window.
void PostClick(HWND window);

// A top-level window of the test that counts the Enter key-downs and the
// mouse moves it receives (e.g. a stand-in for another program's dialog, or
// a place to park the mouse).
class CountingWindow {
public:
    // `activate` false: shown without taking the foreground from the program
    // in front (GetCursorInfo reports the pointer of the foreground window).
    CountingWindow(const wchar_t* title, RECT at, bool activate);
    ~CountingWindow();
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND hwnd() const { return window_; }
    int enters() const { return counts_.enters; }
    int moves() const { return counts_.moves; }

private:
    struct Counts {
        int enters = 0;
        int moves = 0;
    };
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    Counts counts_;
};

// A copy of the whole screen as 32-bit pixels, top row first.
class ScreenCapture {
public:
    ScreenCapture();  // captures the screen now
    // Captures only `area` (screen coordinates) now: a few boxes' pixels
    // without reading the whole screen from the display each time.
    explicit ScreenCapture(const RECT& area);

    int width() const { return width_; }
    int height() const { return height_; }
    bool ok() const { return !pixels_.empty(); }
    bool operator==(const ScreenCapture& other) const { return pixels_ == other.pixels_; }
    // Equal but for pixels inside any of `ignore` (screen coordinates).
    bool SameExcept(const ScreenCapture& other, const std::vector<RECT>& ignore) const;
    // 0x00RRGGBB; 0 outside the capture.
    std::uint32_t Pixel(int x, int y) const;
    // The pixels of a rectangle in screen coordinates, row by row.
    std::vector<std::uint32_t> Region(const RECT& rect) const;
    // Writes the capture, or the part inside `crop` (screen coordinates), as
    // a PNG file through WIC. False when it cannot be written.
    bool SavePng(const std::wstring& path, const RECT* crop = nullptr) const;

private:
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// A capture of the screen once it has stopped changing for `holdMilliseconds`
// (windows painted), or the last one after `milliseconds`. Changes inside
// `moving` (animations) do not count. The screen is read every 100 ms: each
// read copies all of it from the display.
ScreenCapture StillScreen(DWORD holdMilliseconds, DWORD milliseconds, const std::vector<RECT>& moving = {});

// Pixels that are not white.
int NonWhitePixels(const std::vector<std::uint32_t>& pixels);
// Pixels that differ between two equally sized regions.
int DifferentPixels(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);

}  // namespace shubiao::test

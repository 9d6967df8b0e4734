// winwait TITLE [SECONDS] [--close]
// Waits until a visible top-level window with exactly TITLE exists, then
// prints its screen rectangle as "x y width height". With --close it posts
// WM_CLOSE to the window instead. Exit code 0 when found, 1 on time-out.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: winwait TITLE [SECONDS] [--close]\n");
        return 2;
    }
    const std::wstring title = argv[1];
    const double seconds = argc > 2 ? std::wcstod(argv[2], nullptr) : 30.0;
    const bool close = argc > 3 && std::wcscmp(argv[3], L"--close") == 0;

    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        HWND window = FindWindowW(nullptr, title.c_str());
        if (window != nullptr && IsWindowVisible(window)) {
            if (close) {
                PostMessageW(window, WM_CLOSE, 0, 0);
                return 0;
            }
            RECT r{};
            GetWindowRect(window, &r);
            std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
            return 0;
        }
        if (GetTickCount64() > deadline) return 1;
        Sleep(50);
    }
}

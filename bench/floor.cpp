// The floor of the start-up benchmark: a program of ours that registers a
// class, shows one window the size of ShuBiao's main window and runs a
// message loop. Its background is a colour nothing else on the desktop
// uses, so that the benchmark can see from outside when it is drawn.
#include <windows.h>

namespace {

constexpr COLORREF kFloorColour = RGB(0x21, 0x7A, 0x3C);

LRESULT CALLBACK FloorProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FloorProcedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kFloorColour);  // the class owns it until the process ends
    wc.lpszClassName = L"ShuBiaoBenchFloor";
    if (RegisterClassExW(&wc) == 0) return 1;

    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, 386, 315};  // ShuBiao's client area at 96 DPI
    AdjustWindowRectEx(&r, style, FALSE, 0);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"ShuBiao floor", style,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                instance, nullptr);
    if (hwnd == nullptr) return 1;
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

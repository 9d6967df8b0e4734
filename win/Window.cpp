#include "win/Window.h"

#include <system_error>

namespace shubiao {

Window::~Window() {
    if (hwnd_ != nullptr) {
        // Detach first so that messages sent during destruction find no object.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

void Window::RegisterWindowClass(const wchar_t* className, HCURSOR cursor, HBRUSH background, UINT style) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, className, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    if (RegisterClassExW(&wc) == 0) throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
}

void Window::CreateFor(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                       int width, int height, HWND parent, HMENU menuOrId) {
    HWND created = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                   GetModuleHandleW(nullptr), this);
    if (created == nullptr) throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
    hwnd_ = created;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        self->hwnd_ = nullptr;
        self->OnFinalDestroy();
        return result;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ReportError(GetAncestor(hwnd, GA_ROOT), DescribeCurrentException());
        return 0;
    }
}

}  // namespace shubiao

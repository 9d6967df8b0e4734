#include "editor/Window.h"

#include <new>
#include <system_error>

namespace shubiao {
namespace {

ErrorReporter& Reporter() {
    static ErrorReporter reporter;
    return reporter;
}

std::wstring FromUtf8(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Reporter() = std::move(reporter); }

void ReportError(HWND owner, const std::wstring& message) {
    if (Reporter()) {
        Reporter()(owner, message);
        return;
    }
    MessageBoxW(owner, message.c_str(), L"温馨提示", MB_OK | MB_ICONERROR);
}

std::wstring DescribeCurrentException() {
    try {
        throw;
    } catch (const UserError& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return L"内存不足，操作未能完成。";
    } catch (const std::system_error& e) {
        return L"操作未能完成：" + FromUtf8(e.what());
    } catch (const std::exception& e) {
        return L"操作未能完成：" + FromUtf8(e.what());
    } catch (...) {
        return L"操作未能完成：发生了未知错误。";
    }
}

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

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return text;
}

}  // namespace shubiao

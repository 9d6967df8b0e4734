#include "support/RestoreSupport.h"

namespace shubiao::test {
namespace {

constexpr const wchar_t* kSpyProperty = L"ShuBiaoTestMessageSpy";
constexpr const wchar_t* kKeyTargetClass = L"ShuBiaoTestKeyTarget";

}  // namespace

MessageSpy::MessageSpy(HWND window, UINT message, Callback onMessage)
    : window_(window), message_(message), onMessage_(std::move(onMessage)) {
    SetPropW(window_, kSpyProperty, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageSpy::Procedure)));
}

MessageSpy::~MessageSpy() {
    if (!IsWindow(window_)) return;
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropW(window_, kSpyProperty);
}

LRESULT CALLBACK MessageSpy::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<MessageSpy*>(GetPropW(hwnd, kSpyProperty));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == self->message_ && self->onMessage_) self->onMessage_(wParam, lParam);
    return CallWindowProcW(self->original_, hwnd, message, wParam, lParam);
}

KeyTarget::KeyTarget(const std::wstring& title) {
    RegisterWindowClass(kKeyTargetClass, LoadCursorW(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
    CreateFor(0, kKeyTargetClass, title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 500, 60, 240, 120,
              nullptr, nullptr);
}

void KeyTarget::DeliverPostedKeys() {
    MSG msg{};
    while (PeekMessageW(&msg, hwnd(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) DispatchMessageW(&msg);
}

LRESULT KeyTarget::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        enterDowns.push_back(lParam);
        return 0;
    }
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST) ++otherKeyMessages;
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace shubiao::test

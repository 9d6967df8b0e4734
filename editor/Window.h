#pragma once
// Small base for our windows: the object pointer is stored on WM_NCCREATE and
// every message goes to the object's HandleMessage. An exception that leaves
// a handler is caught here and shown to the user.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace shubiao {

// An error with a message meant for the user, in Chinese.
class UserError : public std::runtime_error {
public:
    explicit UserError(std::wstring message) : std::runtime_error("user error"), message_(std::move(message)) {}
    const std::wstring& message() const { return message_; }

private:
    std::wstring message_;
};

// Shows a failure that escaped an event handler. The default shows a message
// box titled "温馨提示"; tests install their own.
using ErrorReporter = std::function<void(HWND owner, const std::wstring& message)>;
void SetErrorReporter(ErrorReporter reporter);
void ReportError(HWND owner, const std::wstring& message);
// The user-facing text for any exception in flight (call inside a catch).
std::wstring DescribeCurrentException();

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    // Registers a window class whose procedure dispatches to Window objects.
    static void RegisterWindowClass(const wchar_t* className, HCURSOR cursor, HBRUSH background, UINT style = 0);
    // Creates the window for this object; throws on failure.
    void CreateFor(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y, int width,
                   int height, HWND parent, HMENU menuOrId);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after WM_NCDESTROY; the handle is gone by then.
    virtual void OnFinalDestroy() {}

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Text of a window (GetWindowTextW).
std::wstring WindowText(HWND hwnd);

}  // namespace shubiao

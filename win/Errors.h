#pragma once
// Errors meant for the user: the exception that carries a Chinese message, how
// a failure that escapes an event handler reaches the user, and the one place
// that turns a Windows error code into Chinese.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace shubiao {

// Title of every prompt and message box of the program.
inline constexpr const wchar_t* kMessageTitle = L"温馨提示";

// An error with a message meant for the user, in Chinese.
class UserError : public std::runtime_error {
public:
    explicit UserError(std::wstring message) : std::runtime_error("user error"), message_(std::move(message)) {}
    const std::wstring& message() const { return message_; }

private:
    std::wstring message_;
};

// Shows a failure that escaped an event handler. The default shows a message
// box titled kMessageTitle; tests install their own.
using ErrorReporter = std::function<void(HWND owner, const std::wstring& message)>;
void SetErrorReporter(ErrorReporter reporter);
void ReportError(HWND owner, const std::wstring& message);
// The user-facing text for any exception in flight (call inside a catch).
std::wstring DescribeCurrentException();

// A short plain-Chinese phrase for a Windows error code or an HRESULT (one
// that wraps a Windows error is read as that error): "路径不存在",
// "没有访问权限，或文件为只读", ...; unknown codes give "Windows 错误代码 N".
std::wstring ErrorText(std::uint32_t code);

}  // namespace shubiao

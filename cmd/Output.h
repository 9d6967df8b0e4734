#pragma once
// ShuBiaoCmd's output: text to a console is written as UTF-16 with
// WriteConsoleW, so that Chinese shows whatever the console's code page;
// text to a file or a pipe (a redirect, a deployment tool reading the
// output) is written as UTF-8 bytes without a byte-order mark, each line
// ending in CR LF.
#include <windows.h>

#include <string>
#include <string_view>

namespace shubiao::cli {

// `text` (a name from the user's data: a scheme, a pack, a file) with every
// character that could move the cursor, end a line or start an escape
// sequence written out: "\n", "\r", "\t", other C0 and C1 controls, DEL, the
// line and paragraph separators and the bidirectional controls as "\xHH" or
// "\uHHHH". So no name can start a line of its own or colour the console.
std::wstring Visible(std::wstring_view text);

class Output {
public:
    // `handle` is not owned; nullptr or INVALID_HANDLE_VALUE writes nowhere.
    explicit Output(HANDLE handle);

    // True when the handle is a console (GetFileType says a character
    // device and GetConsoleMode answers).
    bool IsConsole() const { return console_; }

    // Writes `text` as it is; "\n" ends a line. False when the handle
    // refused; a closed pipe is not worth failing the command for, so callers
    // may ignore it.
    bool Write(std::wstring_view text);
    // `text` and a line end.
    bool Line(std::wstring_view text) { return Write(std::wstring(text) + L"\n"); }

    // The bytes Write sends to a file or a pipe for `text`.
    static std::string Encode(std::wstring_view text);

private:
    HANDLE handle_;
    bool console_ = false;
};

}  // namespace shubiao::cli

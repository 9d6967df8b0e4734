#pragma once
// Small text helpers of the Windows layer.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace shubiao {

// UTF-8 to UTF-16; nullopt when the bytes are not valid UTF-8.
std::optional<std::wstring> FromUtf8(std::string_view utf8);
// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD).
std::string ToUtf8(std::wstring_view text);

// Ordinal comparison without regard to case, as the file system and the
// registry compare names.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);

// Text of a window (GetWindowTextW).
std::wstring WindowText(HWND hwnd);

}  // namespace shubiao

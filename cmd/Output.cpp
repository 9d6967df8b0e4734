#include "cmd/Output.h"

#include "win/Text.h"

namespace shubiao::cli {

Output::Output(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && GetFileType(handle_) == FILE_TYPE_CHAR && GetConsoleMode(handle_, &mode) != FALSE;
}

std::string Output::Encode(std::wstring_view text) {
    std::wstring lines;
    lines.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
        lines += text[i];
    }
    return ToUtf8(lines);
}

bool Output::Write(std::wstring_view text) {
    if (handle_ == nullptr || text.empty()) return handle_ != nullptr;
    if (console_) {
        // WriteConsoleW takes at most a few tens of KiB at once on older systems.
        constexpr size_t kChunk = 8192;
        for (size_t at = 0; at < text.size(); at += kChunk) {
            const size_t count = text.size() - at < kChunk ? text.size() - at : kChunk;
            DWORD written = 0;
            if (!WriteConsoleW(handle_, text.data() + at, static_cast<DWORD>(count), &written, nullptr)) return false;
        }
        return true;
    }
    const std::string bytes = Encode(text);
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0) {
            return false;
        }
        at += written;
    }
    return true;
}

}  // namespace shubiao::cli

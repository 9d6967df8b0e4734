#include "cmd/Output.h"

#include <cwchar>

#include "win/Text.h"

namespace shubiao::cli {

Output::Output(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && GetFileType(handle_) == FILE_TYPE_CHAR && GetConsoleMode(handle_, &mode) != FALSE;
}

std::wstring Visible(std::wstring_view text) {
    std::wstring shown;
    shown.reserve(text.size());
    for (const wchar_t c : text) {
        const unsigned code = static_cast<unsigned>(c);
        const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
        const bool layout = code == 0x2028 || code == 0x2029 || (code >= 0x200E && code <= 0x200F) ||
                            (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
        if (!control && !layout) {
            shown += c;
            continue;
        }
        switch (c) {
        case L'\n':
            shown += L"\\n";
            continue;
        case L'\r':
            shown += L"\\r";
            continue;
        case L'\t':
            shown += L"\\t";
            continue;
        default:
            break;
        }
        wchar_t escape[8];
        swprintf(escape, 8, code < 0x100 ? L"\\x%02X" : L"\\u%04X", code);
        shown += escape;
    }
    return shown;
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

#pragma once
// What GetFileAttributesExW says about a file: enough to tell, without
// reading it, that a file is not the one read before (changed, replaced,
// deleted or created since).
#include <windows.h>

#include <string>

namespace shubiao {

struct FileStamp {
    bool present = false;
    DWORD attributes = 0;
    ULONGLONG bytes = 0;
    ULONGLONG created = 0;
    ULONGLONG written = 0;
    bool operator==(const FileStamp&) const = default;

    // All zero when the file cannot be looked at.
    static FileStamp Of(const std::wstring& file) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (file.empty() || !GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return {};
        auto join = [](DWORD high, DWORD low) { return (static_cast<ULONGLONG>(high) << 32) | low; };
        return FileStamp{true, data.dwFileAttributes, join(data.nFileSizeHigh, data.nFileSizeLow),
                         join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime),
                         join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
    }
};

}  // namespace shubiao

#include "editor/CursorLoader.h"

#include "scheme/Folders.h"
#include "win/Errors.h"

namespace shubiao {

std::wstring CursorLoad::Describe() const {
    if (ok()) return {};
    if (fault != CursorFault::None) return std::wstring(DescribeCursorFault(fault));
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return L"找不到该光标文件。";
    case ERROR_INVALID_DATA:
        return L"系统无法把该文件加载为光标。";
    default:
        return L"无法读取该光标文件（" + ErrorText(error) + L"）。";
    }
}

CursorLoad LoadCursorChecked(const std::wstring& path, int width, int height) {
    CursorLoad load;
    const std::wstring file = ExpandEnvironment(path);
    if (file.empty()) {
        load.error = ERROR_FILE_NOT_FOUND;
        return load;
    }
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        load.error = GetLastError();
        return load;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        load.error = ERROR_FILE_NOT_FOUND;
        return load;
    }
    const CursorCheck check = CheckCursorFileAt(file.c_str());
    if (!check.ok()) {
        load.fault = check.fault;
        return load;
    }
    HCURSOR cursor = nullptr;
    if (width == 0 && height == 0) {
        cursor = LoadCursorFromFileW(file.c_str());
    } else {
        cursor = static_cast<HCURSOR>(LoadImageW(nullptr, file.c_str(), IMAGE_CURSOR, width, height, LR_LOADFROMFILE));
    }
    if (cursor == nullptr) {
        load.error = GetLastError();
        if (load.error == ERROR_SUCCESS) load.error = ERROR_INVALID_DATA;
        return load;
    }
    load.cursor.reset(cursor);
    return load;
}

}  // namespace shubiao

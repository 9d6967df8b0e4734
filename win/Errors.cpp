#include "win/Errors.h"

#include <wincodec.h>

#include <new>
#include <system_error>

#include "win/Text.h"

namespace shubiao {
namespace {

ErrorReporter& Reporter() {
    static ErrorReporter reporter;
    return reporter;
}

std::wstring Widened(const char* text) { return FromUtf8(text).value_or(std::wstring()); }

}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Reporter() = std::move(reporter); }

void ReportError(HWND owner, const std::wstring& message) {
    if (Reporter()) {
        Reporter()(owner, message);
        return;
    }
    MessageBoxW(owner, message.c_str(), kMessageTitle, MB_OK | MB_ICONERROR);
}

std::wstring DescribeCurrentException() {
    try {
        throw;
    } catch (const UserError& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return L"内存不足，操作未能完成。";
    } catch (const std::exception& e) {
        return L"操作未能完成：" + Widened(e.what());
    } catch (...) {
        return L"操作未能完成：发生了未知错误。";
    }
}

std::wstring ErrorText(std::uint32_t code) {
    // An HRESULT that wraps a Windows error is read as that error.
    if ((code & 0xFFFF0000u) == 0x80070000u) code &= 0xFFFFu;
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return L"文件不存在";
    case ERROR_PATH_NOT_FOUND:
        return L"路径不存在";
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return L"已有同名的文件";
    case ERROR_ACCESS_DENIED:
        return L"没有访问权限，或文件为只读";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return L"文件正被其他程序使用";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return L"磁盘空间不足";
    case ERROR_WRITE_PROTECT:
        return L"磁盘处于写保护状态";
    case ERROR_NOT_READY:
        return L"驱动器未就绪";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return L"路径名称无效";
    case ERROR_FILENAME_EXCED_RANGE:
        return L"路径太长";
    case ERROR_INVALID_DRIVE:
        return L"驱动器不存在";
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
        return L"网络路径不可用";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return L"内存不足";
    case static_cast<std::uint32_t>(WINCODEC_ERR_COMPONENTNOTFOUND):
    case static_cast<std::uint32_t>(WINCODEC_ERR_UNKNOWNIMAGEFORMAT):
        return L"不是可识别的图片格式";
    default:
        break;
    }
    wchar_t text[48];
    if ((code & 0x80000000u) != 0) {
        wsprintfW(text, L"错误代码 0x%08X", code);
    } else {
        wsprintfW(text, L"Windows 错误代码 %u", code);
    }
    return text;
}

}  // namespace shubiao

// Apply: making the chosen files the user's pointers.
//
// Every changed role's file is copied into the Windows cursor folder under
// the role's ".ani" name, the live pointer is replaced (roles with a system
// cursor id) and the role's registry value is pointed at the copy. A role
// whose file cannot be copied or is not a usable cursor is skipped whole, so
// that the settings never name a missing, half-written or unusable file; the
// user is told which roles were skipped and why.
#include <string>
#include <utility>
#include <vector>

#include "editor/CursorLoader.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kApplyPrompt = L"是否应用当前鼠标指针";

std::wstring Code(DWORD error) { return L"（" + ErrorText(error) + L"）"; }

std::wstring FolderNotWritable(const std::wstring& folder, DWORD error) {
    if (error == ERROR_ALREADY_EXISTS) {
        return L"无法建立 Windows 光标文件夹“" + folder + L"”：该位置上已有同名的文件。";
    }
    return L"无法写入 Windows 光标文件夹“" + folder + L"”" + Code(error) + L"，请以管理员身份运行本程序后再试。";
}

std::wstring SourceMissing() { return L"所选的光标文件已不存在，可能已被移动、改名或删除。"; }

std::wstring SourceUnreadable(DWORD error) { return L"无法读取所选的光标文件" + Code(error) + L"。"; }

std::wstring NotACursor(const CursorLoad& load) { return L"所选文件不是可用的光标文件：" + load.Describe(); }

std::wstring RegistryNotWritten(LSTATUS status) {
    return L"无法把该指针记入注册表" + Code(static_cast<DWORD>(status)) + L"。";
}

// A file that is deleted when the guard goes, unless it was kept.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};

// Why `file` cannot be read, or empty when it can.
std::wstring CheckReadable(const std::wstring& file) {
    if (file.empty()) return SourceMissing();
    const UniqueFile handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle) return {};
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
        return SourceMissing();
    }
    return SourceUnreadable(error);
}

// Puts the role's file at `destination` as a usable cursor, or says why not.
// The copy is made beside the destination and loaded there first; only a
// copy that loads as a cursor replaces the destination, so a failed or
// partial copy never takes the place of the file that was there. `loaded`
// receives the cursor loaded from the placed bytes, at the pointer size.
//
// The rename is not asked to write through: copy and destination share a
// folder, so the move is a rename within one volume, which the flag does
// not make any more atomic; it would only wait for the disk, and neither the
// copied data nor the registry value written next are flushed either.
std::wstring PlaceRoleFile(const CursorRole& role, const std::wstring& source, const std::wstring& folder,
                           const std::wstring& destination, UniqueCursor& loaded) {
    const std::wstring file = ExpandEnvironment(source);
    if (std::wstring unreadable = CheckReadable(file); !unreadable.empty()) return unreadable;

    if (SameFile(file, destination)) {  // e.g. the applied folder was imported
        CursorLoad check = LoadCursorChecked(destination);
        if (!check.ok()) return NotACursor(check);
        loaded = std::move(check.cursor);
        return {};
    }

    TemporaryFile copy(folder + L"~" + role.FileName() + L".tmp");
    if (const DWORD error = CopyFileReplacing(file, copy.path()); error != ERROR_SUCCESS) {
        return FolderNotWritable(folder, error);
    }
    CursorLoad check = LoadCursorChecked(copy.path());
    if (!check.ok()) return NotACursor(check);
    if (!MoveFileExW(copy.path().c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return FolderNotWritable(folder, GetLastError());
    }
    copy.Keep();
    loaded = std::move(check.cursor);  // the same bytes now lie at `destination`
    return {};
}

// Applies one role; the reason it was skipped, or empty when it was applied.
// `handedOver` receives the cursor the system took over.
std::wstring ApplyRole(Desktop& desktop, const CursorRole& role, const std::wstring& source,
                       const std::wstring& folder, HCURSOR& handedOver) {
    const std::wstring destination = folder + role.FileName();
    UniqueCursor loaded;
    if (std::wstring reason = PlaceRoleFile(role, source, folder, destination, loaded); !reason.empty()) {
        return reason;
    }

    if (role.HasSystemCursor()) {
        HCURSOR cursor = loaded.release();
        if (desktop.SetSystemCursor(cursor, role.systemCursorId)) {
            handedOver = cursor;
        } else {
            DestroyCursor(cursor);  // still ours; the setting below takes effect at the next sign-in
        }
    }

    if (const LSTATUS status = registry::RegWrite(role.ValuePath(), destination); status != ERROR_SUCCESS) {
        return RegistryNotWritten(status);
    }
    return {};
}

// The skipped roles, grouped by reason in the order they were met.
class SkipReport {
public:
    void Add(std::wstring_view caption, const std::wstring& reason) {
        for (auto& [text, captions] : groups_) {
            if (text == reason) {
                captions.emplace_back(caption);
                return;
            }
        }
        groups_.push_back({reason, {std::wstring(caption)}});
    }
    void CountApplied() { ++applied_; }
    bool empty() const { return groups_.empty(); }

    std::wstring Text() const {
        std::wstring text = L"以下鼠标指针未能应用，原来的设置保持不变：\n";
        for (const auto& [reason, captions] : groups_) {
            text += L"\n";
            for (size_t i = 0; i < captions.size(); ++i) {
                if (i > 0) text += L"、";
                text += L"“" + captions[i] + L"”";
            }
            text += L"：" + reason + L"\n";
        }
        if (applied_ > 0) text += L"\n其余选定的鼠标指针已经应用。";
        return text;
    }

private:
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> groups_;
    int applied_ = 0;
};

}  // namespace

void ShuBiaoKong::YingYong_SB_Click() {
    if (desktop_.MessageBox(hwnd(), kApplyPrompt, kMessageTitle, MB_OKCANCEL) != IDOK) return;
    YingYongFangAn();
}

// Never fails to its caller. RoleChanged is kept: applying again repeats the
// work for the same roles.
void ShuBiaoKong::YingYongFangAn() {
    const std::wstring folder = SystemSchemeFolder();
    const DWORD folderError = EnsureFolderPath(folder);
    SkipReport skipped;
    for (const CursorRole& role : kRoles) {
        if (!scheme_.RoleChanged(role.number)) continue;
        std::wstring reason;
        try {
            reason = folderError != ERROR_SUCCESS
                         ? FolderNotWritable(folder, folderError)
                         : ApplyRole(desktop_, role, scheme_.RoleCursorFile(role.number), folder, applyCursor_);
        } catch (...) {
            reason = DescribeCurrentException();
        }
        if (reason.empty()) {
            skipped.CountApplied();
        } else {
            skipped.Add(role.caption, reason);
        }
    }
    if (skipped.empty()) return;
    desktop_.MessageBox(hwnd(), skipped.Text(), kMessageTitle, MB_OK | MB_ICONWARNING);
}

}  // namespace shubiao

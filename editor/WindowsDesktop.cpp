// The Desktop the program uses: the real Windows prompts, dialogs and calls.
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <vector>

#include "editor/Desktop.h"
#include "win/Raii.h"

namespace shubiao {

std::wstring CommonDialogFilter(const std::wstring& filter) {
    std::wstring list = filter;
    for (wchar_t& c : list) {
        if (c == L'|') c = L'\0';
    }
    if (list.empty() || list.back() != L'\0') list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

namespace {

class WindowsDesktop final : public Desktop {
public:
    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) override {
        // Qualified: <windows.h> renames this method to MessageBoxW, so an
        // unqualified call would call the method itself.
        return ::MessageBoxW(owner, text.c_str(), title.c_str(), style);
    }

    bool ShowOpen(HWND owner, const std::wstring& filter, std::wstring& fileName) override {
        return ShowFileDialog(owner, filter, fileName, false);
    }

    bool ShowSave(HWND owner, const std::wstring& filter, std::wstring& fileName) override {
        return ShowFileDialog(owner, filter, fileName, true);
    }

    std::optional<std::wstring> BrowseForFolder(HWND owner) override {
        ComPtr<IFileOpenDialog> dialog;
        if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                    dialog.put_void()))) {
            return BrowseForFolderClassic(owner);
        }
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled
        ComPtr<IShellItem> item;
        if (FAILED(dialog->GetResult(item.put()))) return std::nullopt;
        CoTaskMem<wchar_t*> path;
        if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put())) || path.get() == nullptr) {
            return std::wstring();
        }
        return std::wstring(path.get());
    }

    bool SetSystemCursor(HCURSOR cursor, DWORD id) override { return ::SetSystemCursor(cursor, id) != FALSE; }

    // SPI_SETCURSORS "reloads the system cursors" from the registry; with
    // SPIF_SENDCHANGE the other programs are told (WM_SETTINGCHANGE).
    bool ReloadSystemCursors() override {
        return SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, SPIF_SENDCHANGE) != FALSE;
    }

    ULONGLONG Milliseconds() override { return GetTickCount64(); }

    bool StartProgram(const std::wstring& commandLine, int showCommand) override {
        std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
        line.push_back(L'\0');
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            return false;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

private:
    // The shell's older folder browser, for when the item dialog cannot be
    // created: only file-system folders can be confirmed.
    static std::optional<std::wstring> BrowseForFolderClassic(HWND owner) {
        BROWSEINFOW info{};
        info.hwndOwner = owner;
        info.lpszTitle = L"";
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        CoTaskMem<PIDLIST_ABSOLUTE> item;
        *item.put() = SHBrowseForFolderW(&info);
        if (item.get() == nullptr) return std::nullopt;  // cancelled
        std::vector<wchar_t> path(32768, L'\0');
        if (!SHGetPathFromIDListEx(item.get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
            return std::wstring();
        }
        return std::wstring(path.data());
    }

    static bool ShowFileDialog(HWND owner, const std::wstring& filter, std::wstring& fileName, bool save) {
        const std::wstring filterList = CommonDialogFilter(filter);
        // Room for long paths; the dialog starts from the current name.
        std::vector<wchar_t> buffer(32768, L'\0');
        fileName.copy(buffer.data(), std::min(fileName.size(), buffer.size() - 1));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = filterList.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = static_cast<DWORD>(buffer.size());
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        auto show = [&] { return save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn); };
        BOOL ok = show();
        if (!ok && CommDlgExtendedError() == FNERR_INVALIDFILENAME && buffer[0] != L'\0') {
            // The dialog refuses to start from that name (it would never
            // open again for it): start from no name instead.
            std::fill(buffer.begin(), buffer.end(), L'\0');
            ok = show();
        }
        if (!ok) return false;
        fileName.assign(buffer.data());
        return true;
    }
};

}  // namespace

std::unique_ptr<Desktop> MakeWindowsDesktop() { return std::make_unique<WindowsDesktop>(); }

}  // namespace shubiao

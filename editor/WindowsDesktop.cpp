// The Desktop the program uses: the real Windows prompts, dialogs and calls.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <cderr.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <vector>

#include "editor/Desktop.h"
#include "editor/PackChooser.h"
#include "editor/SchemeDialogs.h"
#include "editor/SizeFilling.h"
#include "win/Dll.h"
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

// The folder picker's own button for a downloaded .zip: the folder picker
// neither lists nor returns files, so the button closes it and the caller
// opens a file dialog for archives instead. Events of the item dialog
// (IFileDialogControlEvents, through IFileDialog::Advise) reach it.
class ZipButtonEvents : public IFileDialogEvents, public IFileDialogControlEvents {
public:
    static constexpr DWORD kButtonId = 1001;

    explicit ZipButtonEvents(IFileDialog* dialog) : dialog_(dialog) {}
    bool Clicked() const { return clicked_; }

    // IUnknown: the object lives on the stack for as long as the dialog is
    // shown; the counts only keep COM's rules.
    IFACEMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IFileDialogEvents) {
            *object = static_cast<IFileDialogEvents*>(this);
        } else if (iid == IID_IFileDialogControlEvents) {
            *object = static_cast<IFileDialogControlEvents*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    IFACEMETHODIMP_(ULONG) Release() override { return --references_; }

    // IFileDialogEvents: the defaults.
    IFACEMETHODIMP OnFileOk(IFileDialog*) override { return S_OK; }
    IFACEMETHODIMP OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
    IFACEMETHODIMP OnFolderChange(IFileDialog*) override { return S_OK; }
    IFACEMETHODIMP OnSelectionChange(IFileDialog*) override { return S_OK; }
    IFACEMETHODIMP OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
        return E_NOTIMPL;
    }
    IFACEMETHODIMP OnTypeChange(IFileDialog*) override { return S_OK; }
    IFACEMETHODIMP OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override { return E_NOTIMPL; }

    // IFileDialogControlEvents.
    IFACEMETHODIMP OnItemSelected(IFileDialogCustomize*, DWORD, DWORD) override { return S_OK; }
    IFACEMETHODIMP OnButtonClicked(IFileDialogCustomize*, DWORD id) override {
        if (id != kButtonId) return S_OK;
        clicked_ = true;
        // Show() then returns this result, as when the user cancels.
        dialog_->Close(HRESULT_FROM_WIN32(ERROR_CANCELLED));
        return S_OK;
    }
    IFACEMETHODIMP OnCheckButtonToggled(IFileDialogCustomize*, DWORD, BOOL) override { return S_OK; }
    IFACEMETHODIMP OnControlActivating(IFileDialogCustomize*, DWORD) override { return S_OK; }

private:
    IFileDialog* dialog_;
    ULONG references_ = 1;
    bool clicked_ = false;
};

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

    std::optional<size_t> ChoosePack(HWND owner, const std::vector<PackChoice>& choices) override {
        return PackChooser(choices).Show(owner);
    }

    UINT TrackMenu(HWND owner, HMENU menu, POINT screen) override {
        return static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                                  screen.y, owner, nullptr));
    }

    std::optional<std::wstring> AskSchemeName(HWND owner, const std::wstring& name) override {
        return ShowSchemeNameDialog(owner, name);
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
        ZipButtonEvents events(dialog.get());
        DWORD cookie = 0;
        ComPtr<IFileDialogCustomize> customize;
        if (SUCCEEDED(dialog->QueryInterface(IID_IFileDialogCustomize, customize.put_void())) &&
            SUCCEEDED(customize->AddPushButton(ZipButtonEvents::kButtonId, kZipButtonText))) {
            if (FAILED(dialog->Advise(&events, &cookie))) cookie = 0;
        }
        const HRESULT shown = dialog->Show(owner);
        if (cookie != 0) dialog->Unadvise(cookie);
        if (events.Clicked()) {
            std::wstring zip;
            if (!ShowFileDialog(owner, kZipFilter, zip, false)) return std::nullopt;
            return zip;
        }
        if (FAILED(shown)) return std::nullopt;  // cancelled
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

    std::unique_ptr<FillProgress> ShowFillProgress(HWND owner, int total) override {
        return ShowFillProgressWindow(owner, total);
    }

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
    static constexpr const wchar_t* kZipButtonText = L"选择 ZIP 压缩包…";
    static constexpr const wchar_t* kZipFilter = L"ZIP 压缩包(*.zip)|*.zip|";

    static std::optional<std::wstring> BrowseForFolderClassic(HWND owner) {
        BROWSEINFOW info{};
        info.hwndOwner = owner;
        info.lpszTitle = L"";
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        auto* browse = SystemFunction<decltype(SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
        auto* pathOf = SystemFunction<decltype(SHGetPathFromIDListEx)>(L"shell32.dll", "SHGetPathFromIDListEx");
        if (browse == nullptr || pathOf == nullptr) return std::nullopt;
        CoTaskMem<PIDLIST_ABSOLUTE> item;
        *item.put() = browse(&info);
        if (item.get() == nullptr) return std::nullopt;  // cancelled
        std::vector<wchar_t> path(32768, L'\0');
        if (!pathOf(item.get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
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
        auto* open = SystemFunction<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
        auto* saveAs = SystemFunction<decltype(GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
        auto* lastError = SystemFunction<decltype(CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
        if (open == nullptr || saveAs == nullptr || lastError == nullptr) return false;
        auto show = [&] { return save ? saveAs(&ofn) : open(&ofn); };
        BOOL ok = show();
        if (!ok && lastError() == FNERR_INVALIDFILENAME && buffer[0] != L'\0') {
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

#pragma once
// Shared test helpers: scratch registry key and folders, a Desktop that
// answers prompts from a script and records calls, a host window and a fixture
// with a constructed editor. Nothing here touches the real user's pointers.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/Desktop.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorSettings.h"

namespace shubiao::test {

// A fresh key under HKCU\Software\ShuBiaoTests, deleted with everything under
// it when the object goes. While it lives, "HKEY_CURRENT_USER\Control
// Panel\Cursors" is redirected to its subkey "Cursors".
class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    // Subkey path under HKCU of the redirected Cursors key.
    const std::wstring& CursorsSubkey() const { return cursors_; }
    // Subkey path under HKCU of the whole scratch key.
    const std::wstring& RootSubkey() const { return root_; }

    void SetString(const std::wstring& name, const std::wstring& data, DWORD type = REG_SZ);
    void SetDword(const std::wstring& name, DWORD data);
    void Delete(const std::wstring& name);
    bool Exists(const std::wstring& name) const;
    // Data and type of a value of the Cursors key; nullopt when missing.
    std::optional<std::wstring> GetString(const std::wstring& name, DWORD* type = nullptr) const;
    std::vector<std::wstring> ValueNames() const;

private:
    std::wstring root_;
    std::wstring cursors_;
    std::unique_ptr<registry::ScopedRedirect> redirect_;
};

// A fresh folder under %TEMP%, removed with its content when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& tag = L"t");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }  // no trailing backslash
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Sets %windir% for the life of the object (the Windows folder the editor
// copies into), restoring the old value afterwards.
class ScopedWindir {
public:
    explicit ScopedWindir(const std::wstring& value);
    ~ScopedWindir();
    ScopedWindir(const ScopedWindir&) = delete;
    ScopedWindir& operator=(const ScopedWindir&) = delete;

private:
    std::optional<std::wstring> old_;
};

// File helpers.
std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::wstring& path);     // a file, not a folder
bool FolderExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);
// The installed fallback cursor of a role, beside the test executable.
std::wstring DataStorageFile(const std::wstring& valueName);

// A Desktop that answers from queues filled by the test and records calls.
// With an empty queue: message boxes answer IDCANCEL, dialogs are cancelled.
class FakeDesktop : public Desktop {
public:
    struct Box {
        std::wstring text;
        std::wstring title;
        UINT style;
    };
    struct SystemCursorCall {
        DWORD id;
        int width;   // size of the cursor handed over
        int height;
    };

    std::deque<int> boxAnswers;
    std::deque<std::optional<std::wstring>> openAnswers;    // nullopt = cancel
    std::deque<std::optional<std::wstring>> saveAnswers;    // nullopt = cancel
    std::deque<std::optional<std::wstring>> folderAnswers;  // nullopt = cancel
    bool startProgramSucceeds = true;
    bool setSystemCursorSucceeds = true;
    // Called when the editor starts a program, before the call is recorded,
    // so a test can look at the state of things at that moment.
    std::function<void(const std::wstring& commandLine, int showCommand)> onStartProgram;

    std::vector<Box> boxes;
    std::vector<std::wstring> openFilters;
    std::vector<std::wstring> openStartNames;  // FileName each open dialog started from
    std::vector<std::wstring> saveFilters;
    std::vector<std::wstring> saveStartNames;
    int folderDialogs = 0;
    std::vector<SystemCursorCall> systemCursors;
    std::vector<std::pair<std::wstring, int>> startedPrograms;

    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) override;
    bool ShowOpen(HWND owner, const std::wstring& filter, std::wstring& fileName) override;
    bool ShowSave(HWND owner, const std::wstring& filter, std::wstring& fileName) override;
    std::optional<std::wstring> BrowseForFolder(HWND owner) override;
    bool SetSystemCursor(HCURSOR cursor, DWORD id) override;
    bool StartProgram(const std::wstring& commandLine, int showCommand) override;
};

// Runs the message loop for about `milliseconds`.
void PumpMessages(DWORD milliseconds);
// Runs the message loop until `done` is true or `milliseconds` passed.
// Between looks it waits at most `step` ms for a message.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds, DWORD step = 1);

// GDI and USER objects of this process. Under Wine, where GetGuiResources
// is not implemented, `gdi` is counted from the process's GDI handle table and
// `user` stays 0.
struct GuiCounts {
    DWORD gdi;
    DWORD user;
};
GuiCounts CountGuiObjects();

// A visible top-level window to host an editor, 96 DPI sized.
class HostWindow : public Window {
public:
    HostWindow();
};

// A constructed editor in a host window, with the registry, the Windows
// folder and the prompts redirected. Errors that escape a handler are
// collected in `errors` instead of shown.
class EditorFixture {
public:
    EditorFixture();
    ~EditorFixture();

    FakeDesktop desktop;
    ScratchRegistry registry;
    ScratchFolder windows{L"win"};
    ScopedWindir windir{windows.Path()};
    std::vector<std::wstring> errors;
    HostWindow host;
    ShuBiaoKong editor{desktop};

    // %windir%\Cursors\Cursors\ as the editor computes it.
    std::wstring SchemeFolder() const;
};

}  // namespace shubiao::test

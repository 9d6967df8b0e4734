#pragma once
// What the in-process benchmarks run inside: a scratch registry key standing
// in for the user's Cursors key, a scratch folder standing in for %windir%, a
// scratch store standing in for the user's (where Apply copies to),
// a Desktop that answers for the user and never replaces a live pointer, and
// a host window for the editor.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/Desktop.h"
#include "support/Scratch.h"

namespace shubiao {
class ShuBiaoKong;
}

namespace shubiao::bench {

// The tests' scratch registry key, scratch folder and scratch store: while
// the object lives the Cursors key is redirected to the key's subkey
// "Cursors", %windir% names the folder and the user's store is a scratch
// one (test::ScopedStore). All go with the object.
class Sandbox {
public:
    Sandbox() = default;
    bool ok() const { return registry_.ok() && folder_.ok() && store_.ok(); }
    const std::wstring& Windows() const { return folder_.Path(); }
    // Writes a scheme of the redirected user's list (REG_EXPAND_SZ).
    bool AddScheme(const std::wstring& name, const std::wstring& data) { return registry_.SetScheme(false, name, data); }
    // Writes a REG_SZ value of the redirected Cursors key.
    bool SetValue(const std::wstring& name, const std::wstring& data) { return registry_.SetString(name, data); }
    // A value of the redirected Cursors key; empty when missing.
    std::wstring Value(const std::wstring& name) const { return registry_.GetString(name).value_or(std::wstring()); }

private:
    test::ScratchRegistry registry_;
    test::ScratchFolder folder_{L"bench"};
    test::ScopedWindir windir_{folder_.Path()};
    test::ScopedStore store_{L"benchstore"};
};

// Answers every message box with IDOK and every open dialog with the next
// queued file; hands no cursor to the system but destroys it, as the system
// would own it; starts nothing.
class BenchDesktop : public Desktop {
public:
    std::deque<std::wstring> openAnswers;
    std::vector<std::wstring> warnings;  // texts of boxes other than the confirmation
    int confirmations = 0;
    std::function<void()> onConfirm;  // called when a confirmation is answered
    int systemCursors = 0;

    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) override;
    bool ShowOpen(HWND owner, const std::wstring& filter, std::wstring& fileName) override;
    bool ShowSave(HWND owner, const std::wstring& filter, std::wstring& fileName) override;
    std::optional<size_t> ChoosePack(HWND, const std::vector<PackChoice>&) override { return 0; }
    std::optional<std::wstring> BrowseForFolder(HWND owner) override;
    std::optional<std::wstring> AskSchemeName(HWND, const std::wstring&) override { return std::nullopt; }
    UINT TrackMenu(HWND, HMENU, POINT) override { return 0; }
    bool SetSystemCursor(HCURSOR cursor, DWORD id) override;
    bool ReloadSystemCursors() override { return true; }
    bool StartProgram(const std::wstring& commandLine, int showCommand) override;
    std::unique_ptr<FillProgress> ShowFillProgress(HWND, int) override { return nullptr; }
    // The clock runs on, plus whatever the benchmark adds to play time fast.
    ULONGLONG Milliseconds() override { return GetTickCount64() + ahead; }
    ULONGLONG ahead = 0;
};

// A visible top-level window sized for the editor.
class BenchHost {
public:
    BenchHost();
    ~BenchHost();
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// Dispatches every message waiting in this thread's queue.
void DrainMessages();

// Makes `editor` in `host` at the control's place and loads the pointers in
// force once; false, with the reason added to `problems`, when it cannot.
bool CreateEditor(ShuBiaoKong& editor, const BenchHost& host, std::vector<std::wstring>& problems);

}  // namespace shubiao::bench

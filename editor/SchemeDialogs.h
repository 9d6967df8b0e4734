#pragma once
// The scheme library's two dialogs, built in code: 另存为方案 (a name) and
// 方案库 (the lists). Both are modal; tests drive them with real messages
// through ScopedDialogProbe.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace shubiao {

class Desktop;
class SchemeHolder;
namespace library {
struct SchemeEntry;
}

// The name dialog: an edit box holding `name` to start with, 确定 and 取消.
// The text as typed, nullopt when cancelled.
std::optional<std::wstring> ShowSchemeNameDialog(HWND owner, const std::wstring& name);

// Control ids of the dialogs, for tests and screen readers.
enum SchemeDialogId : int {
    kNameEditId = 110,
    kLibraryListId = 120,
    kLibraryUseId = 121,
    kLibraryDeleteId = 122,
    kLibraryNoteId = 123,  // the line that says values were left out
};
inline constexpr const wchar_t* kNameDialogTitle = L"另存为方案";
inline constexpr const wchar_t* kLibraryDialogTitle = L"方案库";

// 方案库, owned by editor.Owner(): lists both of Windows' lists; 使用 hands
// the chosen scheme to `use` once the dialog is gone, 删除 asks through
// `desktop` first.
void ShowSchemeLibrary(SchemeHolder& editor, Desktop& desktop,
                       const std::function<void(const library::SchemeEntry&)>& use);

// For tests: while it lives, `probe` is called with each of these dialogs
// once it is shown, from inside its modal loop, so that the test can drive
// it with messages and end it.
class ScopedDialogProbe {
public:
    explicit ScopedDialogProbe(std::function<void(HWND dialog)> probe);
    ~ScopedDialogProbe();
    ScopedDialogProbe(const ScopedDialogProbe&) = delete;
    ScopedDialogProbe& operator=(const ScopedDialogProbe&) = delete;
};

}  // namespace shubiao

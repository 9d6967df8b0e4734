#pragma once
// The scheme library from the grid's side (Library.cpp): 使用, 另存为方案,
// 方案库, Windows' default for one role, showing a role's file, and what the
// grid holds of the library or of a pack. It reaches the editor only through
// SchemeHolder and asks the user through Desktop.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "editor/Desktop.h"
#include "editor/EditorParts.h"
#include "editor/SizeFilling.h"
#include "scheme/SchemeLibrary.h"

namespace shubiao {

class LibraryActions {
public:
    LibraryActions(SchemeHolder& editor, Desktop& desktop) : editor_(editor), desktop_(desktop) {}
    LibraryActions(const LibraryActions&) = delete;
    LibraryActions& operator=(const LibraryActions&) = delete;

    // 使用: `entry`'s files become the pending choices, whole or not at all;
    // roles whose file is missing or unusable keep what they had and are
    // named to the user. Empty slots are Windows' default. False when
    // nothing was taken.
    bool ShiYongFangAn(const library::SchemeEntry& entry);
    // 方案库: the library dialog.
    void FangAnKu_Click();
    // 另存为方案: asks for a name, then LingCunFangAn.
    void LingCunFangAn_Click();
    // Saves the grid's pointers as the user's scheme `typed` (trimmed and
    // checked; an existing user scheme of that name replaced after a
    // confirmation). The user is told why when it is not saved; true when saved.
    bool LingCunFangAn(const std::wstring& typed);
    // 使用默认值: role `role` takes Windows' default, pending until Apply.
    void ShiYongMoRen(int role);
    // 打开文件位置: Explorer with the file of `role` selected; false when the
    // role has no file to show.
    bool DaKaiWeiZhi(int role);
    // The file 打开文件位置 would show for `role`; empty when none.
    std::wstring FileToShow(int role) const;

    // The library scheme the grid holds exactly (chosen with 使用, every role
    // taken, or just saved, and nothing changed since); nullopt for none.
    struct LibraryMatch {
        std::wstring name;
        library::Source source = library::Source::User;
    };
    std::optional<LibraryMatch> SchemeShown() const;
    // The name the save dialog starts with: the pack's scheme name when the
    // grid came whole from one pack and nothing changed since, else empty.
    std::wstring NameToSaveAs() const;
    // After an import: `pack` is the name of the one pack the grid now holds
    // whole (empty: none).
    void NoteImport(const std::wstring& pack);
    // After Apply: records the scheme in force when the grid held exactly a
    // library scheme and every role was applied.
    void RecordSchemeInForce(const WriterLock& lock, bool allApplied);
    // How to keep a pack's pointers, said once after a whole import.
    static std::wstring SaveHint();

    // 补齐尺寸: whether Apply and 另存为方案 fill in the sizes, and turning
    // that on or off (remembered; the status line says what it means).
    bool FillSizesOn() const { return filling_.On(); }
    void ToggleFillSizes();
    // The remembered choice and the fill that Apply and 另存为方案 run while
    // it is on, with progress and 取消 (SizeFilling.h).
    SizeFilling& Filling() { return filling_; }

private:
    // The window the prompts belong to.
    HWND hwnd() const { return editor_.Owner(); }
    void RememberScheme(const std::wstring& name, library::Source source);

    SchemeHolder& editor_;
    Desktop& desktop_;
    SizeFilling filling_{desktop_};
    // The library scheme taken or saved, and what the grid held then.
    struct HeldScheme {
        LibraryMatch scheme;
        Holding held;
    };
    std::optional<HeldScheme> libraryScheme_;
    // The pack imported whole, and what the grid held then.
    std::optional<std::pair<std::wstring, Holding>> wholePack_;
    bool askAgain_ = false;  // the last save was refused for its name: the name dialog comes again
};

}  // namespace shubiao

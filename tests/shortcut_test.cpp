// Ctrl+Z asks for 撤销上次更改 whichever control of the main window has the
// focus, through the program's own message loop; not while a modal dialog of
// ours is up, not again for a held key, not for Z alone or with AltGr.
#include <gtest/gtest.h>

#include <string>

#include "app/MainWindow.h"
#include "app/Skin.h"
#include "editor/SchemeDialogs.h"
#include "support/TestSupport.h"
#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;

enum class Focus { Window, Button, Box, OpenFolder, LibraryDialog };

struct ShortcutCase {
    const char* name;
    Focus focus;
    bool ctrl;
    bool alt;
    bool repeat;  // the key held: Windows marks the repeats as down before
    bool asked;
};
void PrintTo(const ShortcutCase& c, std::ostream* os) { *os << c.name; }

class UndoShortcut : public testing::TestWithParam<ShortcutCase> {
protected:
    UndoShortcut() {
        GetKeyboardState(keysBefore_);
        SetErrorReporter([](HWND, const std::wstring& message) { ADD_FAILURE() << ToUtf8(message); });
    }
    void TearDown() override {
        SetKeyboardState(keysBefore_);
        SetErrorReporter(nullptr);
        SkinH_Detach();
        MSG msg{};
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    // The program's loop (app/main.cpp) until nothing is left to do.
    void Pump(MainWindow& main) {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (main.PreTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // Z pressed and let go on the focused window, with the keys of `c` held.
    void PressZ(MainWindow& main, const ShortcutCase& c) {
        BYTE state[256]{};
        GetKeyboardState(state);
        state[VK_CONTROL] = c.ctrl ? 0x80 : 0;
        state[VK_MENU] = c.alt ? 0x80 : 0;
        SetKeyboardState(state);
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW('Z', MAPVK_VK_TO_VSC)) << 16;
        HWND focus = GetFocus();
        ASSERT_NE(focus, nullptr);
        PostMessageW(focus, WM_KEYDOWN, 'Z', 1 | scan | (c.repeat ? LPARAM{1} << 30 : 0));
        PostMessageW(focus, WM_KEYUP, 'Z', 1 | scan | (LPARAM{3} << 30));
        Pump(main);
    }

    // The answers to an undo asked for: its question, or that there is nothing to undo.
    int UndoAsks() const {
        int asks = 0;
        for (const auto& box : desktop.boxes) {
            if (box.text.find(L"撤销") != std::wstring::npos) ++asks;
        }
        return asks;
    }

    FakeDesktop desktop;
    ScratchRegistry registry;
    ScratchFolder windows{L"win"};
    ScopedWindir windir{windows.Path()};
    ScopedStore store;
    ScratchFolder files{L"shortcut"};

private:
    BYTE keysBefore_[256]{};
};

TEST_P(UndoShortcut, AsksFromAnyControlOfTheWindowOnly) {
    const ShortcutCase& c = GetParam();
    MainWindow main(desktop);
    main.Create(SW_SHOW);
    SetForegroundWindow(main.hwnd());
    Pump(main);
    ShuBiaoKong& editor = main.Editor();
    HWND target = main.hwnd();
    if (c.focus == Focus::Button) target = editor.Child(ShuBiaoKong::kYingYongId);
    if (c.focus == Focus::Box) target = editor.Picture(2).hwnd();
    if (c.focus == Focus::OpenFolder) {
        editor.Status().Show(L"已导出到 " + files.Path(), files.Path());
        target = editor.Status().OpenButton();
    }
    if (c.focus != Focus::LibraryDialog) {
        SetFocus(target);
        ASSERT_EQ(GetFocus(), target);
        PressZ(main, c);
    } else {
        bool driven = false;
        ScopedDialogProbe probe([&](HWND dialog) {
            driven = true;
            EXPECT_FALSE(IsWindowEnabled(main.hwnd())) << "the dialog is modal";
            EXPECT_EQ(GetAncestor(GetFocus(), GA_ROOT), dialog);
            PressZ(main, c);
            SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        editor.Library().FangAnKu_Click();
        ASSERT_TRUE(driven);
    }
    EXPECT_EQ(UndoAsks(), c.asked ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, UndoShortcut,
    testing::Values(ShortcutCase{"TheWindowItself", Focus::Window, true, false, false, true},
                    ShortcutCase{"AButton", Focus::Button, true, false, false, true},
                    ShortcutCase{"AGridBox", Focus::Box, true, false, false, true},
                    ShortcutCase{"TheStatusLinesButton", Focus::OpenFolder, true, false, false, true},
                    ShortcutCase{"TheLibraryDialogUp", Focus::LibraryDialog, true, false, false, false},
                    ShortcutCase{"HeldDown", Focus::Button, true, false, true, false},
                    ShortcutCase{"ZAlone", Focus::Button, false, false, false, false},
                    ShortcutCase{"WithAltGr", Focus::Button, true, true, false, false}),
    [](const testing::TestParamInfo<ShortcutCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

// The grid's context menu, reached as the user reaches it (a right-click on
// a box or between boxes, Shift+F10, the menu key), and what its items do.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/SchemeDialogs.h"
#include "scheme/CursorRole.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

constexpr int kRole = 2;  // Arrow, the grid's box 2

enum class Via { RightClickBox, RightClickBetween, ShiftF10, MenuKey };

struct ReachCase {
    const char* name;
    Via via;
    bool forRole;  // the items that need a role are enabled
};

void PrintTo(const ReachCase& c, std::ostream* os) { *os << c.name; }

class ContextMenuTest : public EditorTest {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }

    // The menu brought up as the user brings it up.
    void Open(Via via) {
        HWND box = editor.Picture(kRole).hwnd();
        switch (via) {
        case Via::RightClickBox:
            SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
            break;
        case Via::RightClickBetween: {
            // Just left of box 2: between boxes 1 and 2.
            RECT r{};
            GetWindowRect(box, &r);
            POINT at{r.left - 2, (r.top + r.bottom) / 2};
            ScreenToClient(editor.Picture16().hwnd(), &at);
            ASSERT_EQ(editor.RoleAt({r.left - 2, (r.top + r.bottom) / 2}), 0);
            SendMessageW(editor.Picture16().hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            break;
        }
        case Via::ShiftF10: {
            SetFocus(box);
            BYTE keys[256] = {};
            GetKeyboardState(keys);
            const BYTE shift = keys[VK_SHIFT];
            keys[VK_SHIFT] = 0x80;
            SetKeyboardState(keys);
            SendMessageW(box, WM_SYSKEYDOWN, VK_F10, 1);
            keys[VK_SHIFT] = shift;
            SetKeyboardState(keys);
            break;
        }
        case Via::MenuKey:
            SetFocus(box);
            SendMessageW(box, WM_KEYDOWN, VK_APPS, 1);
            SendMessageW(box, WM_KEYUP, VK_APPS, 1 | (LPARAM{3} << 30));
            break;
        }
        PumpUntil([&] { return !desktop.menus.empty(); }, 500);
    }
    // Greyed state of the item `id` in the last menu.
    bool Greyed(UINT id) const {
        for (const FakeDesktop::MenuItem& item : desktop.menus.back()) {
            if (item.id == id) return item.greyed;
        }
        ADD_FAILURE() << "no item " << id;
        return false;
    }
    std::wstring Cursor(const std::wstring& name) {
        const std::wstring path = files / name;
        WriteStaticCursor(path, 3, 3);
        return path;
    }

    ScratchFolder files{L"menu"};
};

class ReachMenuTest : public ContextMenuTest, public testing::WithParamInterface<ReachCase> {};

TEST_P(ReachMenuTest, ShowsTheItemsAndGreysThoseThatNeedARoleBetweenBoxes) {
    Choose(kRole, Cursor(L"a.cur"));
    Open(GetParam().via);

    ASSERT_EQ(desktop.menus.size(), 1u);
    std::vector<std::wstring> texts;
    for (const FakeDesktop::MenuItem& item : desktop.menus[0]) texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"选择文件(&F)…", L"使用默认值(&D)", L"打开文件位置(&O)",
                                                 L"方案库(&L)…", L"另存为方案(&S)…", L"补齐尺寸(&I)", L"实际大小(&A)",
                                                 L"撤销上次更改(&Z)\tCtrl+Z"}));
    EXPECT_EQ(Greyed(ContextMenu::kMenuChooseFile), !GetParam().forRole);
    EXPECT_EQ(Greyed(ContextMenu::kMenuWindowsDefault), !GetParam().forRole);
    EXPECT_EQ(Greyed(ContextMenu::kMenuShowFile), !GetParam().forRole);
    EXPECT_FALSE(Greyed(ContextMenu::kMenuLibrary));
    EXPECT_FALSE(Greyed(ContextMenu::kMenuSaveAs));
    EXPECT_TRUE(Greyed(ContextMenu::kMenuUndo));  // nothing changed yet
    // Shown where the user is looking: over the box, or the grid.
    RECT r{};
    GetWindowRect(GetParam().forRole ? editor.Picture(kRole).hwnd() : editor.Picture16().hwnd(), &r);
    EXPECT_TRUE(PtInRect(&r, desktop.menuPoints[0]));
}

INSTANTIATE_TEST_SUITE_P(Menu, ReachMenuTest,
                         testing::Values(ReachCase{"RightClickOnABox", Via::RightClickBox, true},
                                         ReachCase{"RightClickBetweenBoxes", Via::RightClickBetween, false},
                                         ReachCase{"ShiftF10", Via::ShiftF10, true},
                                         ReachCase{"MenuKey", Via::MenuKey, true}),
                         [](const testing::TestParamInfo<ReachCase>& info) { return std::string(info.param.name); });

TEST_F(ContextMenuTest, ShowFileIsGreyedWhenTheRoleHasNoFile) {
    registry.SetString(L"Arrow", files / L"gone.cur");
    editor.ChuShiShuBiao();
    Open(Via::RightClickBox);
    EXPECT_TRUE(Greyed(ContextMenu::kMenuShowFile));
    EXPECT_FALSE(Greyed(ContextMenu::kMenuWindowsDefault));
    for (const FakeDesktop::MenuItem& item : desktop.menus[0]) {
        if (item.id == ContextMenu::kMenuFillSizes) {
            EXPECT_FALSE(item.checked) << "补齐尺寸 is off until turned on";
        }
    }
}

struct ItemCase {
    const char* name;
    UINT item;
    Via via;
    std::function<void(ContextMenuTest&, FakeDesktop&, ShuBiaoKong&, const std::wstring& file)> check;
};

void PrintTo(const ItemCase& c, std::ostream* os) { *os << c.name; }

class MenuItemTest : public ContextMenuTest, public testing::WithParamInterface<ItemCase> {};

TEST_P(MenuItemTest, DoesWhatItSays) {
    const std::wstring file = Cursor(L"a.cur");
    Choose(kRole, file);
    desktop.menuAnswers.push_back(GetParam().item);
    Open(GetParam().via);
    GetParam().check(*this, desktop, editor, file);
}

INSTANTIATE_TEST_SUITE_P(
    Menu, MenuItemTest,
    testing::Values(
        ItemCase{"ChooseFile", ContextMenu::kMenuChooseFile, Via::MenuKey,
                 [](ContextMenuTest&, FakeDesktop& d, ShuBiaoKong&, const std::wstring&) {
                     EXPECT_EQ(d.openFilters.size(), 2u) << "the box's own open dialog, once more";
                 }},
        ItemCase{"WindowsDefaultFromTheMouse", ContextMenu::kMenuWindowsDefault, Via::RightClickBox,
                 [](ContextMenuTest&, FakeDesktop&, ShuBiaoKong& e, const std::wstring&) {
                     EXPECT_TRUE(e.Scheme().WindowsDefault(kRole));
                     EXPECT_TRUE(e.Scheme().Pending(kRole));
                     EXPECT_EQ(e.Scheme().RoleCursorFile(kRole), DataStorageFile(L"Arrow"));
                 }},
        ItemCase{"WindowsDefaultFromTheKeyboard", ContextMenu::kMenuWindowsDefault, Via::ShiftF10,
                 [](ContextMenuTest&, FakeDesktop&, ShuBiaoKong& e, const std::wstring&) {
                     EXPECT_TRUE(e.Scheme().WindowsDefault(kRole));
                 }},
        ItemCase{"ShowFileFromTheMouse", ContextMenu::kMenuShowFile, Via::RightClickBox,
                 [](ContextMenuTest&, FakeDesktop& d, ShuBiaoKong&, const std::wstring& file) {
                     ASSERT_EQ(d.startedPrograms.size(), 1u);
                     EXPECT_EQ(d.startedPrograms[0].first, L"explorer.exe /select,\"" + file + L"\"");
                 }},
        ItemCase{"ShowFileFromTheKeyboard", ContextMenu::kMenuShowFile, Via::MenuKey,
                 [](ContextMenuTest&, FakeDesktop& d, ShuBiaoKong&, const std::wstring& file) {
                     ASSERT_EQ(d.startedPrograms.size(), 1u);
                     EXPECT_EQ(d.startedPrograms[0].first, L"explorer.exe /select,\"" + file + L"\"");
                 }},
        ItemCase{"SaveAs", ContextMenu::kMenuSaveAs, Via::RightClickBetween,
                 [](ContextMenuTest&, FakeDesktop& d, ShuBiaoKong&, const std::wstring&) {
                     EXPECT_EQ(d.nameStarts.size(), 1u);
                 }},
        ItemCase{"FillSizesTurnsOnAndIsRemembered", ContextMenu::kMenuFillSizes, Via::RightClickBetween,
                 [](ContextMenuTest&, FakeDesktop& d, ShuBiaoKong& e, const std::wstring& file) {
                     EXPECT_TRUE(SizeFilling(d).On()) << "kept for the next start";
                     EXPECT_NE(e.Status().Text().find(L"32、48、64、96、128 像素"), std::wstring::npos);
                     EXPECT_NE(e.Status().Text().find(L"从不更改"), std::wstring::npos);
                     EXPECT_EQ(e.Scheme().RoleCursorFile(kRole), file);
                 }},
        ItemCase{"ARoleItemBetweenBoxesDoesNothing", ContextMenu::kMenuWindowsDefault, Via::RightClickBetween,
                 [](ContextMenuTest&, FakeDesktop&, ShuBiaoKong& e, const std::wstring& file) {
                     EXPECT_EQ(e.Scheme().RoleCursorFile(kRole), file);
                     EXPECT_FALSE(e.Scheme().WindowsDefault(kRole));
                 }}),
    [](const testing::TestParamInfo<ItemCase>& info) { return std::string(info.param.name); });

TEST_F(ContextMenuTest, TheLibraryItemOpensTheLibrary) {
    std::wstring title;
    ScopedDialogProbe probe([&](HWND dialog) {
        title = WindowText(dialog);
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    desktop.menuAnswers.push_back(ContextMenu::kMenuLibrary);
    Open(Via::RightClickBox);
    EXPECT_EQ(title, kLibraryDialogTitle);
}

// 撤销上次更改 after an Apply, from the menu or Ctrl+Z: asked first, naming
// when; done only when confirmed, and the grid then shows what is in force.
struct UndoCase {
    const char* name;
    bool fromMenu;  // else Ctrl+Z on the focused box
    int answer;     // to the question
};
void PrintTo(const UndoCase& c, std::ostream* os) { *os << c.name; }

class UndoInTheWindow : public ContextMenuTest, public testing::WithParamInterface<UndoCase> {};

TEST_P(UndoInTheWindow, AsksThenBringsBackThePointersOfBefore) {
    Choose(kRole, Cursor(L"a.cur"));
    desktop.boxAnswers.push_back(IDOK);
    ClickButton(ShuBiaoKong::kYingYongId);
    ASSERT_TRUE(registry.Exists(L"Arrow"));
    desktop.boxes.clear();
    desktop.boxAnswers.push_back(GetParam().answer);
    if (GetParam().fromMenu) {
        desktop.menuAnswers.push_back(ContextMenu::kMenuUndo);
        Open(Via::RightClickBetween);
        EXPECT_FALSE(Greyed(ContextMenu::kMenuUndo));
    } else {
        SetFocus(editor.Picture(kRole).hwnd());
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE control = keys[VK_CONTROL];
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        SendMessageW(editor.Picture(kRole).hwnd(), WM_KEYDOWN, 'Z', 1);
        keys[VK_CONTROL] = control;
        SetKeyboardState(keys);
    }
    ASSERT_FALSE(desktop.boxes.empty());
    EXPECT_NE(desktop.boxes[0].text.find(L"是否撤销上次更改"), std::wstring::npos);
    const bool undone = GetParam().answer == IDOK;
    EXPECT_EQ(registry.Exists(L"Arrow"), !undone);
    EXPECT_EQ(desktop.boxes.size(), undone ? 2u : 1u);  // then what was done
    // The grid shows what is in force: the installed fallback, no choice pending.
    if (undone) {
        EXPECT_EQ(editor.Scheme().RoleCursorFile(kRole), DataStorageFile(L"Arrow"));
    }
    EXPECT_FALSE(editor.Scheme().Pending(kRole));
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoInTheWindow,
                         testing::Values(UndoCase{"FromTheMenu", true, IDOK}, UndoCase{"CtrlZ", false, IDOK},
                                         UndoCase{"Declined", true, IDCANCEL}),
                         [](const testing::TestParamInfo<UndoCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

// The grid's context menu: what the user does with one role (choose a file,
// Windows' default, show the file in Explorer) and with the whole scheme
// (the library, saving it), and undoing the last change to the pointers. Right-click, Shift+F10 and the menu key all
// arrive as WM_CONTEXTMENU; the access keys are shown as Chinese Windows
// menus show them, a letter in brackets after the text.
#include "editor/ContextMenu.h"
#include "editor/LibraryActions.h"
#include "editor/PictureBox.h"
#include "scheme/History.h"
#include "win/Raii.h"

namespace shubiao {

void ContextMenu::YouJianCaiDan(HWND clicked, POINT screen) {
    // The role under the mouse, or from the keyboard the focused box's, whose
    // middle the menu then starts from (the grid's when no box has the focus).
    int role = 0;
    if (screen.x == -1 && screen.y == -1) {
        role = grid_.RoleOfBox(clicked);
        RECT r{};
        GetWindowRect(role != 0 ? clicked : grid_.Picture16().hwnd(), &r);
        screen = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    } else {
        role = grid_.RoleAt(screen);
    }
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    const UINT needsRole = role != 0 ? MF_ENABLED : MF_GRAYED;
    const UINT hasFile = role != 0 && !library_.FileToShow(role).empty() ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu.get(), MF_STRING | needsRole, kMenuChooseFile, L"选择文件(&F)…");
    AppendMenuW(menu.get(), MF_STRING | needsRole, kMenuWindowsDefault, L"使用默认值(&D)");
    AppendMenuW(menu.get(), MF_STRING | hasFile, kMenuShowFile, L"打开文件位置(&O)");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, kMenuLibrary, L"方案库(&L)…");
    AppendMenuW(menu.get(), MF_STRING, kMenuSaveAs, L"另存为方案(&S)…");
    AppendMenuW(menu.get(), MF_STRING | (library_.FillSizesOn() ? MF_CHECKED : MF_UNCHECKED), kMenuFillSizes,
                L"补齐尺寸(&I)");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | (grid_.ActualSize() ? MF_CHECKED : MF_UNCHECKED), kMenuActualSize,
                L"实际大小(&A)");
    const UINT canUndo = PeekUndo().possible ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu.get(), MF_STRING | canUndo, kMenuUndo, L"撤销上次更改(&Z)\tCtrl+Z");
    const UINT chosen = desktop_.TrackMenu(grid_.Owner(), menu.get(), screen);
    // A greyed item cannot be chosen; a role's item without a role does nothing.
    switch (chosen) {
    case kMenuChooseFile:
        if (role != 0) grid_.Picture_Click(role);
        break;
    case kMenuWindowsDefault:
        if (role != 0) library_.ShiYongMoRen(role);
        break;
    case kMenuShowFile:
        if (role != 0) library_.DaKaiWeiZhi(role);
        break;
    case kMenuLibrary:
        library_.FangAnKu_Click();
        break;
    case kMenuSaveAs:
        library_.LingCunFangAn_Click();
        break;
    case kMenuFillSizes:
        library_.ToggleFillSizes();
        break;
    case kMenuActualSize:
        grid_.SetActualSize(!grid_.ActualSize());
        break;
    case kMenuUndo:
        grid_.CheXiaoGengGai();
        break;
    default:
        break;
    }
}

}  // namespace shubiao

#pragma once
// The grid's context menu (YouJianCaiDan, ContextMenu.cpp): what the user
// does with one role and with the whole scheme. It reaches the grid through
// BoxGridView and hands the scheme items to the library.
#include <windows.h>

#include "editor/Desktop.h"
#include "editor/EditorParts.h"

namespace shubiao {

class LibraryActions;

class ContextMenu {
public:
    // Item ids.
    enum MenuId : UINT {
        kMenuChooseFile = 401,  // 选择文件(&F)…
        kMenuWindowsDefault,    // 使用默认值(&D)
        kMenuShowFile,          // 打开文件位置(&O)
        kMenuLibrary,           // 方案库(&L)…
        kMenuSaveAs,            // 另存为方案(&S)…
        kMenuActualSize = 420,  // 实际大小(&A), checked while on
        kMenuUndo,              // 撤销上次更改(&Z)
        kMenuFillSizes,         // 补齐尺寸(&I), checked while on (remembered)
    };

    ContextMenu(BoxGridView& grid, LibraryActions& library, Desktop& desktop)
        : grid_(grid), library_(library), desktop_(desktop) {}
    ContextMenu(const ContextMenu&) = delete;
    ContextMenu& operator=(const ContextMenu&) = delete;

    // For WM_CONTEXTMENU from `clicked` (a box or the container between the
    // boxes) at `screen`, or from the keyboard (`screen` -1, -1) at the
    // focused box. The items that need a role are greyed between boxes, and
    // 撤销上次更改 when there is no change to undo.
    void YouJianCaiDan(HWND clicked, POINT screen);

private:
    BoxGridView& grid_;
    LibraryActions& library_;
    Desktop& desktop_;
};

}  // namespace shubiao

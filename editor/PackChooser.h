#pragma once
// The chooser among several packs of an import (PackChooser.cpp), which
// Desktop::ChoosePack shows.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <vector>

#include "editor/Desktop.h"
#include "editor/PreviewCache.h"
#include "editor/SchemeStrip.h"
#include "win/Raii.h"

namespace shubiao {

// The chooser of packs: a dialog made from a template in memory, with a
// list of the packs (name, place and the strip of their pointers the 方案库
// draws), OK and Cancel. It opens sized to its rows and columns at the
// window's DPI, within the screen, and can be resized. Keyboard: the arrows
// move in the list, Enter takes the selected pack, Escape cancels; a
// double-click takes the pack clicked. It follows a change of DPI, and
// gives the focus back to the control that had it.
class PackChooser {
public:
    static constexpr const wchar_t* kTitle = L"选择要导入的方案";

    explicit PackChooser(const std::vector<Desktop::PackChoice>& choices) : choices_(choices) {}

    std::optional<size_t> Show(HWND owner);

private:
    static constexpr int kListId = 100;
    static constexpr int kPromptId = 101;
    enum Column { kNameColumn, kPlaceColumn, kPointerColumn };

    void Fill(HWND dialog);
    void ApplyDpi();
    void FitToContent(const RECT* at);
    void Layout();
    int Px(int pixels96) const { return MulDiv(pixels96, static_cast<int>(dpi_), 96); }
    int IconSize() const { return GetSystemMetricsForDpi(SM_CXSMICON, dpi_); }
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    // The pack of row `item`, or of the selected row.
    void Take(HWND dialog, int item = -1);
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    const std::vector<Desktop::PackChoice>& choices_;
    std::optional<size_t> chosen_;
    HWND dialog_ = nullptr;
    UINT dpi_ = 96;
    PreviewCache previews_;
    std::vector<SchemeStrip> strips_;
    HIMAGELIST rowImages_ = nullptr;  // only sets the rows' height
    UniqueFont font_;
};

}  // namespace shubiao

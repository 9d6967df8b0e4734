#pragma once
// The chooser among several packs of an import (PackChooser.cpp), which
// Desktop::ChoosePack shows.
#include <windows.h>

#include <optional>
#include <vector>

#include "editor/Desktop.h"

namespace shubiao {

// The chooser of packs: a dialog made from a template in memory, with a
// list of the packs (name and place), OK and Cancel. Keyboard: the arrows
// move in the list, Enter takes the selected pack, Escape cancels.
class PackChooser {
public:
    static constexpr const wchar_t* kTitle = L"选择要导入的方案";

    explicit PackChooser(const std::vector<Desktop::PackChoice>& choices) : choices_(choices) {}

    std::optional<size_t> Show(HWND owner);

private:
    static constexpr int kListId = 100;

    void Fill(HWND dialog);
    void Take(HWND dialog);
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    const std::vector<Desktop::PackChoice>& choices_;
    std::optional<size_t> chosen_;
};

}  // namespace shubiao

// The pack chooser at 100, 150 and 200 %: sized to its content (every
// column's text whole, every row and every strip of pointers in sight), the
// list following the frame when it is resized, Enter and a double-click
// choosing, Escape cancelling, and the focus back where it was afterwards.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "editor/DialogTemplate.h"
#include "editor/PackChooser.h"
#include "editor/SchemeDialogs.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

enum class Answer { Enter, DoubleClick, Escape };

struct ChooserCase {
    const char* name;
    UINT dpi;
    Answer answer;
    int row;                       // the row selected (Enter) or double-clicked
    std::optional<size_t> chosen;  // what Show returns
};
void PrintTo(const ChooserCase& c, std::ostream* os) { *os << c.name; }

SIZE WindowSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}
SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}
// How far OK's bottom right corner lies from the dialog's.
POINT OkFromCorner(HWND dialog) {
    RECT ok{};
    GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&ok), 2);
    const SIZE client = ClientSize(dialog);
    return {client.cx - ok.right, client.cy - ok.bottom};
}
int FontHeight(HWND control) {
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return metrics.tmHeight;
}

class PackChooserTest : public testing::TestWithParam<ChooserCase> {
protected:
    PackChooserTest() {
        // Six packs in subfolders of their names, each with a few pointers
        // for its strip; at 200 % they take most of the tests' 1024-pixel screen.
        const wchar_t* const names[] = {L"黑色", L"白色大号", L"Qogir", L"海蓝", L"macOS", L"像素"};
        for (int i = 0; i < 6; ++i) {
            Desktop::PackChoice choice{names[i], names[i], {}};
            for (const int role : {2, 3, 15}) {
                const std::wstring file = files / (std::to_wstring(i) + L"-" + std::to_wstring(role) + L".cur");
                WriteStaticCursor(file, 3, 3, 0x00102030u * static_cast<std::uint32_t>(i + 1));
                choice.files[static_cast<size_t>(role - 1)] = file;
            }
            choices.push_back(std::move(choice));
        }
        focused = CreateWindowExW(0, L"BUTTON", L"导入方案", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 90, 28,
                                  host.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    }

    HostWindow host;
    ScratchFolder files{L"chooser"};
    std::vector<Desktop::PackChoice> choices;
    HWND focused = nullptr;
};

// What fits is checked in the list's own pixels at the dialog's DPI.
void ExpectFitsItsContent(HWND dialog, const std::vector<Desktop::PackChoice>& choices, UINT dpi) {
    HWND list = GetDlgItem(dialog, 100);
    const SIZE client = ClientSize(list);
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
    int columnsWidth = 0;
    for (int column = 0; column < 3; ++column) columnsWidth += ListView_GetColumnWidth(list, column);
    EXPECT_LE(columnsWidth, client.cx) << "no column cut off at the right";
    for (int row = 0; row < static_cast<int>(choices.size()); ++row) {
        const std::wstring& name = choices[static_cast<size_t>(row)].name;
        const std::wstring& place = choices[static_cast<size_t>(row)].place;
        RECT label{};
        ListView_GetSubItemRect(list, row, 0, LVIR_LABEL, &label);
        EXPECT_GE(label.right - label.left, ListView_GetStringWidth(list, name.c_str()) + MulDiv(12, dpi, 96))
            << "row " << row << "'s name whole";
        RECT placeCell{};
        ListView_GetSubItemRect(list, row, 1, LVIR_BOUNDS, &placeCell);
        EXPECT_GE(placeCell.right - placeCell.left, ListView_GetStringWidth(list, place.c_str()) + MulDiv(12, dpi, 96))
            << "row " << row << "'s place whole";
        RECT strip{};
        ListView_GetSubItemRect(list, row, 2, LVIR_BOUNDS, &strip);
        EXPECT_GE(strip.right - strip.left, SchemeStrip::Width(size, dpi)) << "row " << row << "'s strip whole";
        EXPECT_GE(strip.bottom - strip.top, size) << "row " << row << " as tall as a preview";
        EXPECT_LE(strip.right, client.cx);
        EXPECT_LE(strip.bottom, client.cy) << "row " << row << " in sight";
    }
}

TEST_P(PackChooserTest, FitsResizesAndAnswersAtEachScale) {
    const ChooserCase& c = GetParam();
    SetForegroundWindow(host.hwnd());
    SetFocus(focused);
    ASSERT_EQ(GetFocus(), focused);
    bool driven = false;
    ScopedDialogProbe probe([&](HWND dialog) {
        driven = true;
        HWND list = GetDlgItem(dialog, 100);
        const int fontAt96 = FontHeight(list);
        if (c.dpi != GetDpiForWindow(dialog)) {
            RECT suggested{};
            GetWindowRect(dialog, &suggested);
            SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
        }
        EXPECT_GE(FontHeight(list), MulDiv(fontAt96, static_cast<int>(c.dpi), 96) - 1) << "the text at the DPI's size";
        ExpectFitsItsContent(dialog, choices, c.dpi);

        // Resized, narrower and taller (the screen has no room for wider at
        // 200 %): the list takes what the frame gains or loses, the buttons
        // keep to the corner.
        const SIZE listBefore = WindowSize(list);
        const POINT cornerBefore = OkFromCorner(dialog);
        const SIZE frame = WindowSize(dialog);
        const int narrower = MulDiv(60, static_cast<int>(c.dpi), 96);
        const int taller = MulDiv(40, static_cast<int>(c.dpi), 96);
        SetWindowPos(dialog, nullptr, 0, 0, frame.cx - narrower, frame.cy + taller, SWP_NOZORDER | SWP_NOMOVE);
        const SIZE listAfter = WindowSize(list);
        EXPECT_EQ(listAfter.cx - listBefore.cx, -narrower);
        EXPECT_EQ(listAfter.cy - listBefore.cy, taller);
        const POINT cornerAfter = OkFromCorner(dialog);
        EXPECT_EQ(cornerAfter.x, cornerBefore.x);
        EXPECT_EQ(cornerAfter.y, cornerBefore.y);

        // The answer, as the keyboard or the mouse gives it.
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        if (c.answer == Answer::Enter) {
            ListView_SetItemState(list, c.row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
        } else if (c.answer == Answer::Escape) {
            ListView_SetItemState(list, c.row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 1);
        } else {
            RECT cell{};
            ListView_GetSubItemRect(list, c.row, 1, LVIR_BOUNDS, &cell);
            PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
                         MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
        }
    });
    const std::optional<size_t> chosen = PackChooser(choices).Show(host.hwnd());
    ASSERT_TRUE(driven);
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(GetFocus(), focused) << "the focus back where it was";
}

INSTANTIATE_TEST_SUITE_P(Editor, PackChooserTest,
                         testing::Values(ChooserCase{"At100Enter", 96, Answer::Enter, 2, 2},
                                         ChooserCase{"At100DoubleClick", 96, Answer::DoubleClick, 1, 1},
                                         ChooserCase{"At150Enter", 144, Answer::Enter, 5, 5},
                                         ChooserCase{"At150Escape", 144, Answer::Escape, 2, std::nullopt},
                                         ChooserCase{"At200DoubleClick", 192, Answer::DoubleClick, 4, 4},
                                         ChooserCase{"At200Escape", 192, Answer::Escape, 3, std::nullopt}),
                         [](const testing::TestParamInfo<ChooserCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

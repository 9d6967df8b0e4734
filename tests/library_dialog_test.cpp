// The 方案库 dialog, opened as the menu opens it and driven with the
// messages the user's mouse and keys send.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/SchemeDialogs.h"
#include "scheme/CursorRole.h"
#include "scheme/SchemeLibrary.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

constexpr int kArrow = 2;
constexpr std::uint32_t kColour = 0x00336699;  // the test cursors' square

struct ListRow {
    std::wstring name;
    std::wstring source;
    bool operator==(const ListRow&) const = default;
};

void PrintTo(const ListRow& row, std::ostream* os) { *os << testing::PrintToString(row.name + L"|" + row.source); }

HWND List(HWND dialog) { return GetDlgItem(dialog, kLibraryListId); }

std::vector<ListRow> Rows(HWND dialog) {
    std::vector<ListRow> rows;
    HWND list = List(dialog);
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        wchar_t name[256] = {};
        wchar_t source[16] = {};
        ListView_GetItemText(list, i, 0, name, 255);
        ListView_GetItemText(list, i, 1, source, 15);
        rows.push_back({name, source});
    }
    return rows;
}

int Selected(HWND dialog) { return ListView_GetNextItem(List(dialog), -1, LVNI_SELECTED); }

void Select(HWND dialog, int row) {
    ListView_SetItemState(List(dialog), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class LibraryDialogTest : public EditorTest {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }

    // Opens the library; `drive` gets the dialog once it is shown, and must end it.
    void Open(std::function<void(HWND)> drive) {
        bool driven = false;
        ScopedDialogProbe probe([&](HWND dialog) {
            driven = true;
            drive(dialog);
        });
        editor.Library().FangAnKu_Click();
        EXPECT_TRUE(driven);
    }
    std::wstring Cursor(const std::wstring& name, int hot = 3) {
        const std::wstring path = files / name;
        WriteStaticCursor(path, hot, hot);
        return path;
    }

    ScratchFolder files{L"libdlg"};
};

TEST_F(LibraryDialogTest, ListsBothListsAndSelectsTheSchemeInForce) {
    ASSERT_TRUE(registry.SetScheme(false, L"green", Cursor(L"g.cur")));
    ASSERT_TRUE(registry.SetScheme(true, L"Windows Default", L""));
    ASSERT_TRUE(registry.SetScheme(false, L"Blue", Cursor(L"a.cur")));
    ASSERT_TRUE(registry.SetScheme(true, L"Green", L""));
    registry.SetString(L"", L"GREEN");
    registry.SetDword(L"Scheme Source", 1);

    Open([](HWND dialog) {
        EXPECT_EQ(Rows(dialog), (std::vector<ListRow>{{L"Green", L"系统"}, {L"Windows Default", L"系统"},
                                                       {L"Blue", L"用户"}, {L"green", L"用户"}}));
        EXPECT_EQ(Selected(dialog), 3) << "the user's green, by Scheme Source";
        EXPECT_EQ(GetFocus(), List(dialog));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kLibraryDeleteId)));
        Select(dialog, 0);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kLibraryDeleteId))) << "system schemes are not deleted";
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(editor.Scheme().Pending(kArrow)) << "closing takes nothing";
}

// The scheme in force is marked 正在使用 in a column of its own, by its name
// and its list. Rows: the system's Other, the system's 海浪, the user's 海浪.
struct InForceCase {
    const char* name;
    const wchar_t* inForce;  // "(Default)"
    DWORD source;            // "Scheme Source"
    int marked;              // the row marked; -1: none
};
class InForceMark : public LibraryDialogTest, public testing::WithParamInterface<InForceCase> {};

TEST_P(InForceMark, MarksTheSchemeInForceInItsOwnColumn) {
    for (const auto& [system, name] : {std::pair{true, L"海浪"}, std::pair{true, L"Other"}, std::pair{false, L"海浪"}}) {
        ASSERT_TRUE(registry.SetScheme(system, name, Cursor(L"a.cur")));
    }
    registry.SetString(L"", GetParam().inForce);
    registry.SetDword(L"Scheme Source", GetParam().source);
    Open([](HWND dialog) {
        for (int i = 0; i < 3; ++i) {
            wchar_t state[32] = {};
            ListView_GetItemText(List(dialog), i, 3, state, 31);
            EXPECT_EQ(std::wstring(state), i == GetParam().marked ? L"正在使用" : L"") << "row " << i;
        }
        Click(dialog, IDCANCEL);
    });
}

INSTANTIATE_TEST_SUITE_P(Library, InForceMark,
                         testing::Values(InForceCase{"SystemScheme", L"海浪", 2, 1}, InForceCase{"UsersOfTheSameName", L"海浪", 1, 2},
                                         InForceCase{"OtherLetterCase", L"other", 2, 0}, InForceCase{"WindowsDefault", L"", 0, -1}),
                         [](const testing::TestParamInfo<InForceCase>& info) { return std::string(info.param.name); });

enum class UseBy { Button, Enter, DoubleClick };

struct UseCase {
    const char* name;
    UseBy by;
};

class UseTest : public LibraryDialogTest, public testing::WithParamInterface<UseCase> {};

TEST_P(UseTest, TakesTheSelectedSchemeAsPendingChoices) {
    const std::wstring second = Cursor(L"2.cur", 9);
    ASSERT_TRUE(registry.SetScheme(false, L"Two", second));
    ASSERT_TRUE(registry.SetScheme(false, L"One", Cursor(L"1.cur")));
    Open([](HWND dialog) {
        Select(dialog, 1);
        HWND list = List(dialog);
        switch (GetParam().by) {
        case UseBy::Button:
            Click(dialog, IDOK);
            break;
        case UseBy::Enter:
            PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageW(list, WM_KEYUP, VK_RETURN, 1 | (LPARAM{3} << 30));
            break;
        case UseBy::DoubleClick: {
            RECT r{};
            ListView_GetItemRect(list, 1, &r, LVIR_LABEL);
            const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(list, WM_LBUTTONUP, 0, at);
            PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageW(list, WM_LBUTTONUP, 0, at);
            break;
        }
        }
        // Nothing ends the dialog if the use went astray.
        SetTimer(dialog, 1, 2000, [](HWND d, UINT, UINT_PTR, DWORD) { EndDialog(d, IDCANCEL); });
    });
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kArrow), second);
    EXPECT_TRUE(editor.Scheme().Pending(kArrow));
    EXPECT_TRUE(editor.Scheme().WindowsDefault(5)) << "an empty slot is Windows' default";
}

INSTANTIATE_TEST_SUITE_P(Library, UseTest,
                         testing::Values(UseCase{"UseButton", UseBy::Button}, UseCase{"Enter", UseBy::Enter},
                                         UseCase{"DoubleClick", UseBy::DoubleClick}),
                         [](const testing::TestParamInfo<UseCase>& info) { return std::string(info.param.name); });

struct DeleteCase {
    const char* name;
    int answer;
    bool deleted;
};

class DeleteRowTest : public LibraryDialogTest, public testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteRowTest, RemovesTheEntryOnlyAfterConfirmingAndNeverAFile) {
    const std::wstring file = Cursor(L"a.cur");
    ASSERT_TRUE(registry.SetScheme(false, L"Beta", file));
    ASSERT_TRUE(registry.SetScheme(false, L"Alpha", file));
    desktop.boxAnswers.push_back(GetParam().answer);
    std::vector<ListRow> after;
    Open([&](HWND dialog) {
        Select(dialog, 0);
        Click(dialog, kLibraryDeleteId);
        after = Rows(dialog);
        Click(dialog, IDCANCEL);
    });
    ASSERT_FALSE(desktop.boxes.empty());
    EXPECT_NE(desktop.boxes[0].text.find(L"“Alpha”"), std::wstring::npos);
    const std::vector<ListRow> kept{{L"Beta", L"用户"}};
    const std::vector<ListRow> both{{L"Alpha", L"用户"}, {L"Beta", L"用户"}};
    EXPECT_EQ(after, GetParam().deleted ? kept : both);
    EXPECT_EQ(ScratchRegistry::Snapshot(registry.UserSchemesSubkey()).size(), GetParam().deleted ? 1u : 2u);
    EXPECT_TRUE(FileExists(file));
}

INSTANTIATE_TEST_SUITE_P(Library, DeleteRowTest,
                         testing::Values(DeleteCase{"Confirmed", IDOK, true}, DeleteCase{"Cancelled", IDCANCEL, false}),
                         [](const testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

TEST_F(LibraryDialogTest, KeepsItsSizeIn96DpiUnits) {
    SIZE opened{};
    UINT dpi = 96;
    Open([&](HWND dialog) {
        dpi = GetDpiForWindow(dialog);
        SetWindowPos(dialog, nullptr, 0, 0, MulDiv(640, static_cast<int>(dpi), 96),
                     MulDiv(420, static_cast<int>(dpi), 96), SWP_NOMOVE | SWP_NOZORDER);
        Click(dialog, IDCANCEL);
    });
    std::wstring width;
    std::wstring height;
    registry::KeyReader settings(L"HKEY_CURRENT_USER\\Software\\ShuBiao");
    ASSERT_EQ(settings.Read(L"LibraryWidth", width), ERROR_SUCCESS);
    ASSERT_EQ(settings.Read(L"LibraryHeight", height), ERROR_SUCCESS);
    EXPECT_EQ(width, L"640");
    EXPECT_EQ(height, L"420");
    EXPECT_FALSE(ScratchRegistry::Snapshot(registry.SettingsSubkey()).empty()) << "under the redirected key";
    Open([&](HWND dialog) {
        RECT r{};
        GetWindowRect(dialog, &r);
        opened = {r.right - r.left, r.bottom - r.top};
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(opened.cx, MulDiv(640, static_cast<int>(dpi), 96));
    EXPECT_EQ(opened.cy, MulDiv(420, static_cast<int>(dpi), 96));
}

// A move to a screen of twice the DPI: the dialog takes the size Windows
// suggests, and what it keeps is still in 96-DPI units.
TEST_F(LibraryDialogTest, FollowsADpiChange) {
    ASSERT_TRUE(registry.SetScheme(false, L"One", L""));
    SIZE after{};
    int rowHeight[2] = {};
    Open([&](HWND dialog) {
        const UINT dpi = GetDpiForWindow(dialog);
        RECT r{};
        ListView_GetItemRect(List(dialog), 0, &r, LVIR_BOUNDS);
        rowHeight[0] = r.bottom - r.top;
        RECT suggested{0, 0, MulDiv(400, static_cast<int>(2 * dpi), 96), MulDiv(300, static_cast<int>(2 * dpi), 96)};
        SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(dialog, &r);
        after = {r.right - r.left, r.bottom - r.top};
        ListView_GetItemRect(List(dialog), 0, &r, LVIR_BOUNDS);
        rowHeight[1] = r.bottom - r.top;
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(after.cx, MulDiv(400, 2 * static_cast<int>(GetDpiForWindow(host.hwnd())), 96));
    EXPECT_GT(rowHeight[1], rowHeight[0] * 3 / 2) << "rows grow with the previews";
    std::wstring width;
    ASSERT_EQ(registry::KeyReader(L"HKEY_CURRENT_USER\\Software\\ShuBiao").Read(L"LibraryWidth", width), ERROR_SUCCESS);
    EXPECT_EQ(width, L"400");
}

TEST_F(LibraryDialogTest, KeyboardArrowsAndTypeAhead) {
    for (const wchar_t* name : {L"Gamma", L"Alpha", L"Beta"}) ASSERT_TRUE(registry.SetScheme(false, name, L""));
    Open([](HWND dialog) {
        HWND list = List(dialog);
        EXPECT_EQ(Selected(dialog), 0);
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
        EXPECT_EQ(Selected(dialog), 1);
        SendMessageW(list, WM_CHAR, L'g', 1);
        EXPECT_EQ(Selected(dialog), 2) << "type-ahead finds Gamma";
        // One tab stop: Tab from the list goes to the buttons, not to another part of it.
        EXPECT_EQ(GetNextDlgTabItem(dialog, list, FALSE), GetDlgItem(dialog, IDOK));
        Click(dialog, IDCANCEL);
    });
}

// Each row's strip: the first frame of a usable file, a mark for a missing
// one, an empty square for Windows' default, in Windows' order (Arrow, Help,
// AppStarting, ...).
TEST_F(LibraryDialogTest, DrawsEachRowsPreviewsAndMarksTheUnusable) {
    ASSERT_TRUE(registry.SetScheme(false, L"图", Cursor(L"a.cur") + L"," + files / L"gone.cur" + L","));
    std::vector<std::uint32_t> centres;
    Open([&](HWND dialog) {
        HWND list = List(dialog);
        UpdateWindow(list);
        RECT cell{};
        ListView_GetSubItemRect(list, 0, 2, LVIR_BOUNDS, &cell);
        const UINT dpi = GetDpiForWindow(dialog);
        const int size = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
        const int top = cell.top + (cell.bottom - cell.top - size) / 2;
        HDC dc = GetDC(list);
        for (int slot = 0; slot < 3; ++slot) {
            const int x = cell.left + MulDiv(4, static_cast<int>(dpi), 96) + slot * (size + MulDiv(2, static_cast<int>(dpi), 96));
            const COLORREF c = GetPixel(dc, x + size / 2, top + size / 2);
            centres.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
        ReleaseDC(list, dc);
        Click(dialog, IDCANCEL);
    });
    ASSERT_EQ(centres.size(), 3u);
    EXPECT_EQ(centres[0], kColour) << "Arrow's first frame";
    EXPECT_NE(centres[1], kColour) << "Help: marked";
    EXPECT_NE(centres[1], 0x00FFFFFFu) << "Help: marked";
    EXPECT_EQ(centres[2], 0x00FFFFFFu) << "AppStarting: Windows' default";
}

// The strange values of the lists leave the dialog working, write nothing
// and give rows only to text values.
TEST_F(LibraryDialogTest, StrangeValuesLeaveItWorking) {
    const DWORD one = 1;
    ScratchRegistry::SetRaw(registry.UserSchemesSubkey(), L"数", REG_DWORD, &one, sizeof(one));
    ASSERT_TRUE(registry.SetScheme(false, L"逗号", std::wstring(100000, L',')));
    ASSERT_TRUE(registry.SetScheme(false, L"长", L"C:\\" + std::wstring(40000, L'a')));
    ASSERT_TRUE(registry.SetScheme(false, L"夹", files.Path()));
    ASSERT_TRUE(registry.SetScheme(false, L"设备", L"\\\\.\\COM1"));
    ASSERT_TRUE(registry.SetScheme(false, L"变量", L"%SHUBIAO_UNSET%\\a.cur"));
    ASSERT_TRUE(registry.SetScheme(true, L"网", L"\\\\server\\share\\a.cur"));
    const auto lists = std::vector{ScratchRegistry::Snapshot(registry.CursorsSubkey()),
                                   ScratchRegistry::Snapshot(registry.SystemSchemesSubkey())};
    size_t rows = 0;
    Open([&](HWND dialog) {
        HWND list = List(dialog);
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        rows = Rows(dialog).size();
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(rows, 6u) << "the DWORD is no scheme";
    EXPECT_EQ(lists, (std::vector{ScratchRegistry::Snapshot(registry.CursorsSubkey()),
                                  ScratchRegistry::Snapshot(registry.SystemSchemesSubkey())}));
}

TEST_F(LibraryDialogTest, TheNameDialogGivesWhatWasTypedOrNothing) {
    std::optional<std::wstring> typed;
    std::wstring started;
    {
        ScopedDialogProbe probe([&](HWND dialog) {
            started = WindowText(GetDlgItem(dialog, kNameEditId));
            SetWindowTextW(GetDlgItem(dialog, kNameEditId), L" 新方案 ");
            Click(dialog, IDOK);
        });
        typed = ShowSchemeNameDialog(host.hwnd(), L"包名");
    }
    EXPECT_EQ(started, L"包名");
    EXPECT_EQ(typed, L" 新方案 ");
    {
        ScopedDialogProbe probe([&](HWND dialog) { Click(dialog, IDCANCEL); });
        typed = ShowSchemeNameDialog(host.hwnd(), L"包名");
    }
    EXPECT_EQ(typed, std::nullopt);
}

}  // namespace
}  // namespace shubiao

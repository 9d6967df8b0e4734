// Program start-up: the main window's load, its small icon with fallbacks,
// DPI changes, and the real executable with and without its background.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/MainWindow.h"
#include "app/Skin.h"
#include "app/WindowIcon.h"
#include "scheme/Folders.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using Step = MainWindow::LoadStep;

// Colour bits of an icon, to tell icons apart by their pictures.
std::vector<std::uint32_t> IconBits(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return {};
    UniqueBitmap colour(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(colour.get() ? colour.get() : mask.get(), sizeof(bm), &bm);
    BITMAPINFO header{};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB};
    std::vector<std::uint32_t> bits(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, colour.get() ? colour.get() : mask.get(), 0, static_cast<UINT>(bm.bmHeight), bits.data(), &header,
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return bits;
}

// The first icon of a file at the small-icon size of 96 DPI.
std::vector<std::uint32_t> FirstIconOf(const std::wstring& file) {
    HICON extracted = nullptr;
    if (PrivateExtractIconsW(file.c_str(), 0, 16, 16, &extracted, nullptr, 1, 0) != 1) return {};
    UniqueIcon icon(extracted);
    return IconBits(icon.get());
}

HICON SmallIcon(HWND window) {
    return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
}

// --- The small icon and its fallbacks ---

enum class IconFile { Present, Hidden, Missing, Folder, EmptyName };

class WindowIconFallback : public testing::TestWithParam<IconFile> {};

TEST_P(WindowIconFallback, UsesTheFileOrTheExecutablesFirstIcon) {
    ScratchFolder skin(L"skin");
    HostWindow window;
    const std::wstring installed = AppFolder() + L"\\Skin\\ico.ico";
    std::wstring iconFile = skin / L"ico.ico";
    switch (GetParam()) {
    case IconFile::Present:
        ASSERT_TRUE(CopyFileW(installed.c_str(), iconFile.c_str(), FALSE));
        break;
    case IconFile::Hidden:
        ASSERT_TRUE(CopyFileW(installed.c_str(), iconFile.c_str(), FALSE));
        ASSERT_TRUE(SetFileAttributesW(iconFile.c_str(), FILE_ATTRIBUTE_HIDDEN));
        break;
    case IconFile::Missing:
        break;
    case IconFile::Folder:
        ASSERT_TRUE(CreateDirectoryW(iconFile.c_str(), nullptr));
        break;
    case IconFile::EmptyName:
        iconFile.clear();
        break;
    }
    const bool usesFile = GetParam() == IconFile::Present || GetParam() == IconFile::Hidden;
    const std::wstring requested = iconFile;
    const ExecutableName program{AppFolder(), L"ShuBiao"};
    const UniqueIcon icon = SetWindowIconFromFile(window.hwnd(), iconFile, 0, 96, program);

    const std::wstring expectedFile = usesFile ? requested : AppFolder() + L"\\ShuBiao.exe";
    EXPECT_EQ(iconFile, expectedFile);
    ASSERT_TRUE(icon);
    EXPECT_EQ(SmallIcon(window.hwnd()), icon.get());
    EXPECT_EQ(IconBits(icon.get()), FirstIconOf(expectedFile));
    EXPECT_NE(FirstIconOf(installed), FirstIconOf(AppFolder() + L"\\ShuBiao.exe")) << "the two icons differ";
    SendMessageW(window.hwnd(), WM_SETICON, ICON_SMALL, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, WindowIconFallback,
                         testing::Values(IconFile::Present, IconFile::Hidden, IconFile::Missing, IconFile::Folder,
                                         IconFile::EmptyName));

TEST(WindowIcon, FallbackPathAddsASeparatorOnlyWhenMissing) {
    EXPECT_EQ(ExecutablePathOf({L"C:\\", L"ShuBiao"}), L"C:\\ShuBiao.exe");
    EXPECT_EQ(ExecutablePathOf({L"D:\\工具\\鼠标", L"ShuBiao"}), L"D:\\工具\\鼠标\\ShuBiao.exe");
    const ExecutableName own = OwnExecutable();
    EXPECT_EQ(ExecutablePathOf(own), ExecutablePath());
}

// --- Main window ---

class MainWindowTest : public testing::Test {
protected:
    MainWindowTest() {
        SetErrorReporter([this](HWND, const std::wstring& message) { errors.push_back(message); });
    }
    void TearDown() override {
        SkinH_Detach();
        SetErrorReporter(nullptr);
    }
    FakeDesktop desktop;
    ScratchRegistry registry;
    ScratchFolder windows{L"win"};
    ScopedWindir windir{windows.Path()};
    std::vector<std::wstring> errors;
};

TEST_F(MainWindowTest, LoadSkinsSetsTheIconAndLoadsOnceBeforeShowing) {
    MainWindow main(desktop);
    std::vector<std::pair<Step, bool>> steps;  // step, window visible then
    main.onLoadStep = [&](Step step) { steps.emplace_back(step, IsWindowVisible(main.hwnd()) != FALSE); };
    main.Create(SW_SHOWNOACTIVATE);

    const std::vector<std::pair<Step, bool>> expected{
        {Step::Skin, false}, {Step::Aero, false}, {Step::Icon, false}, {Step::ChuShiShuBiao, false}};
    EXPECT_EQ(steps, expected);
    EXPECT_TRUE(IsWindowVisible(main.hwnd()));
    EXPECT_NE(ActiveSkin(), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(main.Editor().Child(ShuBiaoKong::kChuShiId), GWL_STYLE) & BS_TYPEMASK,
              BS_OWNERDRAW);
    EXPECT_EQ(main.IconFile(), AppFolder() + L"\\Skin\\ico.ico");
    EXPECT_NE(SmallIcon(main.hwnd()), nullptr);
    EXPECT_FALSE(IsWindowVisible(main.Editor().XianShi().hwnd()));
    EXPECT_EQ(main.Editor().Scheme().RoleCursorFile(2), DataStorageFolder() + L"Arrow.ani");
    EXPECT_EQ(WindowText(main.hwnd()), MainWindow::kTitle);
}

TEST_F(MainWindowTest, FixedBorderClientSizeAndCentred) {
    MainWindow main(desktop);
    main.Create(SW_SHOWNOACTIVATE);
    RECT client{};
    GetClientRect(main.hwnd(), &client);
    EXPECT_EQ(client.right, 386);
    EXPECT_EQ(client.bottom, 315);
    EXPECT_EQ(GetWindowLongPtrW(main.hwnd(), GWL_STYLE) & WS_THICKFRAME, 0);
    RECT editor{};
    GetWindowRect(main.Editor().hwnd(), &editor);
    EXPECT_EQ(editor.right - editor.left, 388);
    EXPECT_EQ(editor.bottom - editor.top, 316);

    RECT frame{};
    GetWindowRect(main.hwnd(), &frame);
    MONITORINFO monitor{sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(main.hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    EXPECT_LE(std::abs((frame.left - area.left) - (area.right - frame.right)), 1);
    EXPECT_LE(std::abs((frame.top - area.top) - (area.bottom - frame.bottom)), 1);
}

TEST_F(MainWindowTest, DpiChangeMovesToTheSuggestedRectangleAndLaysOutAgain) {
    MainWindow main(desktop);
    main.Create(SW_SHOWNOACTIVATE);
    RECT suggested{50, 40, 50 + 600, 40 + 520};
    SendMessageW(main.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT frame{};
    GetWindowRect(main.hwnd(), &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested));
    ShuBiaoKong& editor = main.Editor();
    EXPECT_EQ(editor.Dpi(), 144u);
    RECT r{};
    GetWindowRect(editor.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 582);
    EXPECT_EQ(r.bottom - r.top, 474);
    GetClientRect(editor.Picture(1).hwnd(), &r);
    EXPECT_EQ(r.right, 54);
}

TEST_F(MainWindowTest, ClosingEndsTheMessageLoop) {
    MainWindow main(desktop);
    main.Create(SW_SHOWNOACTIVATE);
    SendMessageW(main.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(main.hwnd(), nullptr);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

// What is dropped onto the window, and where; or the path the program was
// started with.
struct Drop {
    const char* name;
    std::vector<std::wstring> files;  // below the scratch folder
    int onBox;                        // drop point: the centre of this box; 0: on the Refresh button
    bool commandLine;                 // given as the argument instead of dropped
    int role;                         // the role that takes the cursor file "cursors\\pointer.cur"; 0: none
    bool error;                       // the user is told it cannot be done
};
void PrintTo(const Drop& d, std::ostream* os) { *os << d.name; }

// A drop as Explorer makes it: DROPFILES with the point in the window's
// client coordinates and the wide file list.
HGLOBAL MakeDrop(const std::vector<std::wstring>& files, POINT at) {
    size_t chars = 1;
    for (const std::wstring& f : files) chars += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& f : files) {
        std::copy(f.begin(), f.end(), text);
        text += f.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

class Dropping : public MainWindowTest, public testing::WithParamInterface<Drop> {};

TEST_P(Dropping, ChoosesForTheBoxOrImports) {
    const Drop& d = GetParam();
    ScratchFolder folder(L"drop");
    CreateDirectoryW((folder / L"cursors").c_str(), nullptr);
    WriteStaticCursor(folder / L"cursors\\pointer.cur", 6, 6);
    const std::string inf = "[DefaultInstall]\r\nAddReg = R\r\n[R]\r\n"
                            "HKCU,\"Control Panel\\Cursors\",Hand,,\"pointer.cur\"\r\n";
    WriteBytes(folder / L"cursors\\install.inf", std::vector<std::uint8_t>(inf.begin(), inf.end()));
    std::vector<std::wstring> paths;
    for (const std::wstring& f : d.files) paths.push_back(f.empty() ? folder / L"cursors" : folder / f);

    MainWindow main(desktop);
    ShuBiaoKong& editor = main.Editor();
    if (d.commandLine) {
        main.Create(SW_SHOWNOACTIVATE, paths.front());
        PumpMessages(50);
    } else {
        main.Create(SW_SHOWNOACTIVATE);
        HWND target = d.onBox != 0 ? editor.Picture(d.onBox).hwnd() : editor.Child(ShuBiaoKong::kChuShiId);
        RECT r{};
        GetWindowRect(target, &r);
        POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ScreenToClient(main.hwnd(), &at);
        SendMessageW(main.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths, at)), 0);
    }

    for (int n = 1; n <= kRoleCount; ++n) {
        EXPECT_EQ(editor.Scheme().RoleChanged(n), n == d.role) << "role " << n;
    }
    if (d.role != 0) {
        EXPECT_EQ(editor.Scheme().RoleCursorFile(d.role), folder / L"cursors\\pointer.cur");
    }
    EXPECT_EQ(errors.size(), d.error ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, Dropping,
    testing::Values(Drop{"CursorOntoBox3", {L"cursors\\pointer.cur"}, 3, false, 3, false},
                    Drop{"CursorBesideTheBoxes", {L"cursors\\pointer.cur"}, 0, false, 0, true},
                    Drop{"Folder", {L""}, 0, false, 4, false},
                    Drop{"InfFile", {L"cursors\\install.inf"}, 0, false, 4, false},
                    Drop{"TwoFiles", {L"cursors\\pointer.cur", L"cursors\\install.inf"}, 3, false, 0, true},
                    Drop{"FolderOnTheCommandLine", {L""}, 0, true, 4, false}),
    [](const testing::TestParamInfo<Drop>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

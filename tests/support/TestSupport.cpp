#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <iterator>

#include "editor/Layout.h"
#include "scheme/Folders.h"
#include "scheme/Store.h"
#include "win/Raii.h"

namespace shubiao::test {

bool HasBox(int role) {
    return std::find(layout::kBoxRoles.begin(), layout::kBoxRoles.end(), role) != layout::kBoxRoles.end();
}


std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write a test file";
}

bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const bool slash = !folder.empty() && folder.back() == L'\\';
    const UniqueFind find(FindFirstFileW((folder + (slash ? L"*" : L"\\*")).c_str(), &found));
    if (!find) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> FolderTree(const std::wstring& folder) {
    std::vector<std::wstring> entries;
    const std::wstring base = !folder.empty() && folder.back() == L'\\' ? folder : folder + L"\\";
    for (const std::wstring& name : ListFolder(base)) {
        const std::wstring path = base + name;
        if (FolderExists(path)) {
            entries.push_back(path + L"\\");
            for (std::wstring& inner : FolderTree(path)) entries.push_back(std::move(inner));
            continue;
        }
        std::wstring bytes;
        for (const std::uint8_t b : ReadBytes(path)) bytes += static_cast<wchar_t>(b);
        entries.push_back(path + L"=" + bytes);
    }
    return entries;
}

std::wstring DataStorageFile(std::wstring_view valueName) {
    return DataStorageFolder() + std::wstring(valueName) + L".ani";
}

std::vector<FakeDesktop::Box> FakeDesktop::Warnings() const {
    std::vector<Box> warnings;
    for (const Box& box : boxes) {
        const UINT type = box.style & MB_TYPEMASK;
        if (type != MB_OKCANCEL && type != MB_YESNOCANCEL) warnings.push_back(box);
    }
    return warnings;
}

int FakeDesktop::MessageBox(HWND, const std::wstring& text, const std::wstring& title, UINT style) {
    boxes.push_back({text, title, style});
    if (boxAnswers.empty()) return IDCANCEL;
    const int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

bool FakeDesktop::ShowOpen(HWND, const std::wstring& filter, std::wstring& fileName) {
    openFilters.push_back(filter);
    openStartNames.push_back(fileName);
    if (openAnswers.empty()) return false;
    const std::optional<std::wstring> answer = openAnswers.front();
    openAnswers.pop_front();
    if (!answer) return false;
    fileName = *answer;
    return true;
}

bool FakeDesktop::ShowSave(HWND, const std::wstring& filter, std::wstring& fileName) {
    saveFilters.push_back(filter);
    saveStartNames.push_back(fileName);
    if (saveAnswers.empty()) return false;
    const std::optional<std::wstring> answer = saveAnswers.front();
    saveAnswers.pop_front();
    if (!answer) return false;
    fileName = *answer;
    return true;
}

std::optional<size_t> FakeDesktop::ChoosePack(HWND, const std::vector<PackChoice>& choices) {
    packChoosers.push_back(choices);
    if (packAnswers.empty()) return std::nullopt;
    const std::optional<size_t> answer = packAnswers.front();
    packAnswers.pop_front();
    return answer;
}

std::optional<std::wstring> FakeDesktop::BrowseForFolder(HWND) {
    ++folderDialogs;
    if (folderAnswers.empty()) return std::nullopt;
    const std::optional<std::wstring> answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::optional<std::wstring> FakeDesktop::AskSchemeName(HWND, const std::wstring& name) {
    nameStarts.push_back(name);
    if (nameAnswers.empty()) return std::nullopt;
    const std::optional<std::wstring> answer = nameAnswers.front();
    nameAnswers.pop_front();
    return answer;
}

UINT FakeDesktop::TrackMenu(HWND, HMENU menu, POINT screen) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 255;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR) != 0) continue;
        items.push_back({info.wID, text, (info.fState & MFS_GRAYED) != 0, (info.fState & MFS_CHECKED) != 0});
    }
    menus.push_back(std::move(items));
    menuPoints.push_back(screen);
    if (menuAnswers.empty()) return 0;
    const UINT answer = menuAnswers.front();
    menuAnswers.pop_front();
    return answer;
}

bool FakeDesktop::SetSystemCursor(HCURSOR cursor, DWORD id) {
    ICONINFO info{};
    int width = 0;
    int height = 0;
    if (GetIconInfo(cursor, &info)) {
        BITMAP bm{};
        if (info.hbmColor != nullptr && GetObjectW(info.hbmColor, sizeof(bm), &bm)) {
            width = bm.bmWidth;
            height = bm.bmHeight;
        } else if (info.hbmMask != nullptr && GetObjectW(info.hbmMask, sizeof(bm), &bm)) {
            width = bm.bmWidth;
            height = bm.bmHeight / 2;
        }
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    }
    systemCursors.push_back({id, width, height});
    if (!setSystemCursorSucceeds) return false;
    // The system would own the cursor now; this stand-in disposes of it.
    DestroyCursor(cursor);
    return true;
}

bool FakeDesktop::ReloadSystemCursors() {
    if (onReload) onReload();
    ++reloads;
    return reloadSucceeds;
}

bool FakeDesktop::StartProgram(const std::wstring& commandLine, int showCommand) {
    if (onStartProgram) onStartProgram(commandLine, showCommand);
    startedPrograms.emplace_back(commandLine, showCommand);
    return startProgramSucceeds;
}

namespace {

class FakeFillProgress final : public Desktop::FillProgress {
public:
    explicit FakeFillProgress(FakeDesktop& desktop) : desktop_(desktop) {}
    void Update(int done, int total) override { desktop_.fillProgress.emplace_back(done, total); }
    bool Cancelled() const override { return desktop_.cancelFill; }

private:
    FakeDesktop& desktop_;
};

}  // namespace

std::unique_ptr<Desktop::FillProgress> FakeDesktop::ShowFillProgress(HWND, int) {
    ++fillProgressShown;
    return std::make_unique<FakeFillProgress>(*this);
}

void PumpMessages(DWORD milliseconds) {
    // Nothing to look at between messages: each wait lasts until the next
    // message or the end, not a step (under Wine each wait is a round trip
    // to the server).
    PumpUntil([] { return false; }, milliseconds, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds, DWORD step) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(step, deadline - now)),
                                  QS_ALLINPUT);
    }
}

HostWindow::HostWindow() {
    RegisterWindowClass(L"ShuBiaoTestHost", LoadCursorW(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
    CreateFor(0, L"ShuBiaoTestHost", L"ShuBiao test host", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN,
              40, 40, 420, 380, nullptr, nullptr);
}

HostWindow& FreshHost() {
    static HostWindow host;
    if (IsIconic(host.hwnd())) ShowWindow(host.hwnd(), SW_RESTORE);
    SetWindowPos(host.hwnd(), HWND_TOP, 40, 40, 420, 380, SWP_SHOWWINDOW);
    SetForegroundWindow(host.hwnd());
    return host;
}

BoxImage::BoxImage(PictureBox& box) : width_(box.ImageWidth()), height_(box.ImageHeight()) {
    GdiFlush();
    pixels_.assign(box.Pixels(), box.Pixels() + static_cast<size_t>(width_ * height_));
    for (std::uint32_t& p : pixels_) p &= 0x00FFFFFFu;
}

int BoxImage::Drawn() const {
    return static_cast<int>(std::count_if(pixels_.begin(), pixels_.end(), [](std::uint32_t p) { return p != 0x00FFFFFFu; }));
}

EditorTest::EditorTest() {
    SetErrorReporter([this](HWND, const std::wstring& message) { errors_.push_back(message); });
    editor.Create(host.hwnd(), layout::kControl.left, layout::kControl.top, layout::kControl.width,
                  layout::kControl.height);
}

EditorTest::~EditorTest() { SetErrorReporter(nullptr); }

void EditorTest::TearDown() {
    for (const std::wstring& error : errors_) ADD_FAILURE() << "an error left a handler: " << testing::PrintToString(error);
}

void EditorTest::ClickBox(int role) {
    HWND box = editor.Picture(role).hwnd();
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void EditorTest::Choose(int role, std::optional<std::wstring> answer) {
    desktop.openAnswers.push_back(std::move(answer));
    ClickBox(role);
}

void EditorTest::ClickButton(ShuBiaoKong::ChildId id) {
    SendMessageW(editor.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(editor.Child(id)));
}

std::wstring EditorTest::SchemeFolder() const { return AppliedFolder(); }

}  // namespace shubiao::test

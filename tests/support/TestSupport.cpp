#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "editor/Layout.h"
#include "scheme/Folders.h"
#include "scheme/Raii.h"
#include "support/GdiHandleTable.h"

namespace shubiao::test {
namespace {

std::wstring UniqueSuffix() {
    static LONG counter = 0;
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L"-" +
           std::to_wstring(InterlockedIncrement(&counter));
}

UniqueHKey OpenCursors(const std::wstring& subkey, REGSAM access) {
    UniqueHKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, access, key.put());
    return key;
}

}  // namespace

ScratchRegistry::ScratchRegistry()
    : root_(L"Software\\ShuBiaoTests\\" + UniqueSuffix()), cursors_(root_ + L"\\Cursors") {
    UniqueHKey key;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, cursors_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    redirect_ = std::make_unique<registry::ScopedRedirect>(std::wstring(kCursorsKeyPath),
                                                           L"HKEY_CURRENT_USER\\" + cursors_);
}

ScratchRegistry::~ScratchRegistry() {
    redirect_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
}

void ScratchRegistry::SetString(const std::wstring& name, const std::wstring& data, DWORD type) {
    UniqueHKey key = OpenCursors(cursors_, KEY_SET_VALUE);
    ASSERT_TRUE(key);
    ASSERT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void ScratchRegistry::SetDword(const std::wstring& name, DWORD data) {
    UniqueHKey key = OpenCursors(cursors_, KEY_SET_VALUE);
    ASSERT_TRUE(key);
    ASSERT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)),
              ERROR_SUCCESS);
}

void ScratchRegistry::Delete(const std::wstring& name) {
    UniqueHKey key = OpenCursors(cursors_, KEY_SET_VALUE);
    if (key) RegDeleteValueW(key.get(), name.c_str());
}

bool ScratchRegistry::Exists(const std::wstring& name) const {
    UniqueHKey key = OpenCursors(cursors_, KEY_QUERY_VALUE);
    return key && RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<std::wstring> ScratchRegistry::GetString(const std::wstring& name, DWORD* type) const {
    UniqueHKey key = OpenCursors(cursors_, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    DWORD size = 0;
    DWORD kind = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &kind, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != nullptr) *type = kind;
    data.resize(bytes / sizeof(wchar_t));
    const size_t nul = data.find(L'\0');
    if (nul != std::wstring::npos) data.resize(nul);
    return data;
}

std::vector<std::wstring> ScratchRegistry::ValueNames() const {
    std::vector<std::wstring> names;
    UniqueHKey key = OpenCursors(cursors_, KEY_QUERY_VALUE);
    if (!key) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD length = static_cast<DWORD>(std::size(name));
        if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

ScratchFolder::ScratchFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(static_cast<DWORD>(std::size(temp)), temp);
    std::wstring base(temp, n);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    path_ = base + L"\\shubiao-" + tag + L"-" + UniqueSuffix();
    EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << "cannot create a scratch folder";
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

ScopedWindir::ScopedWindir(const std::wstring& value) : old_(EnvironmentVariable(L"windir")) {
    SetEnvironmentVariableW(L"windir", value.c_str());
}

ScopedWindir::~ScopedWindir() { SetEnvironmentVariableW(L"windir", old_ ? old_->c_str() : nullptr); }

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

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    UniqueFind find(FindFirstFileW((path + L"\\*").c_str(), &found));
    if (find) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find.get(), &found));
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

std::wstring DataStorageFile(const std::wstring& valueName) { return DataStorageFolder() + valueName + L".ani"; }

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

std::optional<std::wstring> FakeDesktop::BrowseForFolder(HWND) {
    ++folderDialogs;
    if (folderAnswers.empty()) return std::nullopt;
    const std::optional<std::wstring> answer = folderAnswers.front();
    folderAnswers.pop_front();
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

bool FakeDesktop::StartProgram(const std::wstring& commandLine, int showCommand) {
    if (onStartProgram) onStartProgram(commandLine, showCommand);
    startedPrograms.emplace_back(commandLine, showCommand);
    return startProgramSucceeds;
}

void PumpMessages(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
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
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, step, QS_ALLINPUT);
    }
}

GuiCounts CountGuiObjects() {
    GuiCounts counts{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                     GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    if (counts.gdi == 0) counts.gdi = CountGdiHandleTable();
    return counts;
}

HostWindow::HostWindow() {
    RegisterWindowClass(L"ShuBiaoTestHost", LoadCursorW(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
    CreateFor(0, L"ShuBiaoTestHost", L"ShuBiao test host", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN,
              40, 40, 420, 380, nullptr, nullptr);
}

EditorFixture::EditorFixture() {
    SetErrorReporter([this](HWND, const std::wstring& message) { errors.push_back(message); });
    editor.Create(host.hwnd(), layout::kControl.left, layout::kControl.top, layout::kControl.width,
                  layout::kControl.height);
}

EditorFixture::~EditorFixture() { SetErrorReporter(nullptr); }

std::wstring EditorFixture::SchemeFolder() const { return windows.Path() + L"\\Cursors\\Cursors\\"; }

}  // namespace shubiao::test

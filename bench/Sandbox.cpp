#include "bench/Sandbox.h"

#include <filesystem>
#include <system_error>

#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/Raii.h"

namespace shubiao::bench {
namespace {

constexpr const wchar_t* kBenchKey = L"Software\\ShuBiaoBench";

std::wstring UniqueSuffix() {
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
}

LRESULT CALLBACK HostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

Sandbox::Sandbox() : oldWindir_(EnvironmentVariable(L"windir")) {
    root_ = std::wstring(kBenchKey) + L"\\" + UniqueSuffix();
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\Cursors").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    redirect_ = std::make_unique<registry::ScopedRedirect>(std::wstring(kCursorsKeyPath),
                                                           L"HKEY_CURRENT_USER\\" + root_ + L"\\Cursors");
    wchar_t temp[MAX_PATH + 1]{};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    folder_ = std::wstring(temp, n) + L"shubiao-bench-" + UniqueSuffix();
    if (!CreateDirectoryW(folder_.c_str(), nullptr)) return;
    SetEnvironmentVariableW(L"windir", folder_.c_str());
    ok_ = true;
}

Sandbox::~Sandbox() {
    SetEnvironmentVariableW(L"windir", oldWindir_ ? oldWindir_->c_str() : nullptr);
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
    }
    redirect_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kBenchKey);  // only when no other run's key is left
}

bool Sandbox::SetValue(const std::wstring& name, const std::wstring& data) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (root_ + L"\\Cursors").c_str(), 0, KEY_SET_VALUE, key.put()) !=
        ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring Sandbox::Value(const std::wstring& name) const {
    std::wstring data;
    if (registry::RegRead(std::wstring(kCursorsKeyPath) + L"\\" + name, data) != ERROR_SUCCESS) return {};
    return data;
}

int BenchDesktop::MessageBox(HWND, const std::wstring& text, const std::wstring&, UINT style) {
    if ((style & MB_ICONMASK) == 0 && (style & MB_TYPEMASK) == MB_OKCANCEL) {
        ++confirmations;
    } else {
        warnings.push_back(text);
    }
    return IDOK;
}

bool BenchDesktop::ShowOpen(HWND, const std::wstring&, std::wstring& fileName) {
    if (openAnswers.empty()) return false;
    fileName = openAnswers.front();
    openAnswers.pop_front();
    return true;
}

bool BenchDesktop::ShowSave(HWND, const std::wstring&, std::wstring&) { return false; }

std::optional<std::wstring> BenchDesktop::BrowseForFolder(HWND) { return std::nullopt; }

bool BenchDesktop::SetSystemCursor(HCURSOR cursor, DWORD) {
    ++systemCursors;
    DestroyCursor(cursor);  // the system would own it now
    return true;
}

bool BenchDesktop::StartProgram(const std::wstring&, int) { return false; }

BenchHost::BenchHost() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = HostProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"ShuBiaoBenchHost";
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"ShuBiao benchmark", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE |
                            WS_CLIPCHILDREN, 40, 40, 420, 380, nullptr, nullptr, wc.hInstance, nullptr);
}

BenchHost::~BenchHost() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void DrainMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace shubiao::bench

#include "support/Scratch.h"

#include <iterator>

#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "support/GdiHandleTable.h"
#include "win/Raii.h"

namespace shubiao::test {
namespace {

std::wstring UniqueSuffix() {
    static LONG counter = 0;
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L"-" +
           std::to_wstring(InterlockedIncrement(&counter));
}

UniqueHKey OpenKey(const std::wstring& subkey, REGSAM access) {
    UniqueHKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, access, key.put());
    return key;
}

}  // namespace

ScratchRegistry::ScratchRegistry()
    : root_(L"Software\\ShuBiaoTests\\" + UniqueSuffix()), cursors_(root_ + L"\\Cursors") {
    UniqueHKey key;
    ok_ = RegCreateKeyExW(HKEY_CURRENT_USER, cursors_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                          nullptr) == ERROR_SUCCESS;
    redirect_ = std::make_unique<registry::ScopedRedirect>(std::wstring(kCursorsKeyPath),
                                                           L"HKEY_CURRENT_USER\\" + cursors_);
    UniqueHKey system;
    ok_ = ok_ && RegCreateKeyExW(HKEY_CURRENT_USER, SystemSchemesSubkey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, system.put(), nullptr) == ERROR_SUCCESS;
    systemSchemes_ = std::make_unique<registry::ScopedRedirect>(std::wstring(library::kSystemSchemesKey),
                                                                L"HKEY_CURRENT_USER\\" + SystemSchemesSubkey());
    settings_ = std::make_unique<registry::ScopedRedirect>(L"HKEY_CURRENT_USER\\Software\\ShuBiao",
                                                           L"HKEY_CURRENT_USER\\" + SettingsSubkey());
}

ScratchRegistry::~ScratchRegistry() {
    settings_.reset();
    systemSchemes_.reset();
    redirect_.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ShuBiaoTests");  // only when no other run's key is left
}

bool ScratchRegistry::SetString(const std::wstring& name, const std::wstring& data, DWORD type) {
    UniqueHKey key = OpenKey(cursors_, KEY_SET_VALUE);
    return key && RegSetValueExW(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool ScratchRegistry::SetDword(const std::wstring& name, DWORD data) {
    UniqueHKey key = OpenKey(cursors_, KEY_SET_VALUE);
    return key && RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                 sizeof(data)) == ERROR_SUCCESS;
}

void ScratchRegistry::Delete(const std::wstring& name) {
    UniqueHKey key = OpenKey(cursors_, KEY_SET_VALUE);
    if (key) RegDeleteValueW(key.get(), name.c_str());
}

bool ScratchRegistry::Exists(const std::wstring& name) const {
    UniqueHKey key = OpenKey(cursors_, KEY_QUERY_VALUE);
    return key && RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<std::wstring> ScratchRegistry::GetString(const std::wstring& name, DWORD* type) const {
    UniqueHKey key = OpenKey(cursors_, KEY_QUERY_VALUE);
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

bool ScratchRegistry::SetRaw(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data,
                             DWORD bytes) {
    UniqueHKey key;
    return RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS &&
           RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
}

bool ScratchRegistry::SetScheme(bool system, const std::wstring& name, const std::wstring& data, DWORD type) {
    return SetRaw(system ? SystemSchemesSubkey() : UserSchemesSubkey(), name, type, data.c_str(),
                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::vector<std::wstring> ScratchRegistry::Snapshot(const std::wstring& subkey) {
    std::vector<std::wstring> values;
    UniqueHKey key = OpenKey(subkey, KEY_QUERY_VALUE);
    if (!key) return values;
    std::vector<wchar_t> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegEnumValueW(key.get(), i, name.data(), &length, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(bytes);
        DWORD got = bytes;
        length = static_cast<DWORD>(name.size());
        RegEnumValueW(key.get(), i, name.data(), &length, nullptr, &type, data.data(), &got);
        std::wstring line(name.data(), length);
        line += L"|" + std::to_wstring(type) + L"|";
        for (DWORD b = 0; b < got; ++b) line += static_cast<wchar_t>(data[b]);
        values.push_back(std::move(line));
    }
    return values;
}

std::vector<std::wstring> ScratchRegistry::ValueNames() const {
    std::vector<std::wstring> names;
    UniqueHKey key = OpenKey(cursors_, KEY_QUERY_VALUE);
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
    ok_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

ScopedWindir::ScopedWindir(const std::wstring& value)
    : old_(EnvironmentVariable(L"windir")), oldRoot_(EnvironmentVariable(L"SystemRoot")) {
    SetEnvironmentVariableW(L"windir", value.c_str());
    SetEnvironmentVariableW(L"SystemRoot", value.c_str());
}

ScopedWindir::~ScopedWindir() {
    SetEnvironmentVariableW(L"windir", old_ ? old_->c_str() : nullptr);
    SetEnvironmentVariableW(L"SystemRoot", oldRoot_ ? oldRoot_->c_str() : nullptr);
}

ScopedStore::ScopedStore(const std::wstring& tag) : folder_(tag) { Use(); }

ScopedStore::~ScopedStore() { SetStoreFolders({}, {}); }

void ScopedStore::Use() const { SetStoreFolders(Roaming(), Local()); }

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

DWORD CountGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return reported != 0 ? reported : CountGdiHandleTable();
}

}  // namespace shubiao::test

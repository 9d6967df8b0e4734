#pragma once
// Scratch places that stand in for the user's own, shared by the tests and
// the benchmark: a registry key for "HKEY_CURRENT_USER\Control
// Panel\Cursors", a folder for %windir%, and the count of GDI objects. With
// them nothing a test or a benchmark does touches the real user's pointers.
// No GoogleTest here: failures show in ok() and in the results.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scheme/CursorSettings.h"

namespace shubiao::test {

// A fresh key under HKCU\Software\ShuBiaoTests, deleted with everything under
// it when the object goes. While it lives, "HKEY_CURRENT_USER\Control
// Panel\Cursors" (and with it the user's Schemes list beneath it) is
// redirected to its subkey "Cursors", the system's Schemes list under HKLM
// to its subkey "SystemSchemes" (made empty, as Wine has it), and the
// program's own settings "HKEY_CURRENT_USER\Software\ShuBiao" to "Settings".
class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    bool ok() const { return ok_; }
    // Subkey path under HKCU of the redirected Cursors key.
    const std::wstring& CursorsSubkey() const { return cursors_; }
    // Subkey path under HKCU of the whole scratch key.
    const std::wstring& RootSubkey() const { return root_; }
    // Subkey paths under HKCU of the redirected Schemes lists and settings.
    std::wstring UserSchemesSubkey() const { return cursors_ + L"\\Schemes"; }
    std::wstring SystemSchemesSubkey() const { return root_ + L"\\SystemSchemes"; }
    std::wstring SettingsSubkey() const { return root_ + L"\\Settings"; }

    // Any value under a subkey of HKCU (made when missing), as raw bytes.
    static bool SetRaw(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data,
                       DWORD bytes);
    // A scheme of the user's or the system's list, as text of `type`.
    bool SetScheme(bool system, const std::wstring& name, const std::wstring& data, DWORD type = REG_EXPAND_SZ);
    // Names, types and data of the values of a subkey of HKCU, for looking
    // at whether anything changed.
    static std::vector<std::wstring> Snapshot(const std::wstring& subkey);
    bool SetString(const std::wstring& name, const std::wstring& data, DWORD type = REG_SZ);
    bool SetDword(const std::wstring& name, DWORD data);
    void Delete(const std::wstring& name);
    bool Exists(const std::wstring& name) const;
    // Data and type of a value of the Cursors key; nullopt when missing.
    std::optional<std::wstring> GetString(const std::wstring& name, DWORD* type = nullptr) const;
    std::vector<std::wstring> ValueNames() const;

private:
    std::wstring root_;
    std::wstring cursors_;
    std::unique_ptr<registry::ScopedRedirect> redirect_;
    std::unique_ptr<registry::ScopedRedirect> systemSchemes_;
    std::unique_ptr<registry::ScopedRedirect> settings_;
    bool ok_ = false;
};

// A fresh folder under %TEMP%, removed with its content when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& tag = L"t");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return ok_; }
    const std::wstring& Path() const { return path_; }  // no trailing backslash
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
    bool ok_ = false;
};

// Sets %windir% and %SystemRoot% for the life of the object (the Windows
// folder the editor copies into, and the one saved schemes name), restoring
// the old values afterwards.
class ScopedWindir {
public:
    explicit ScopedWindir(const std::wstring& value);
    ~ScopedWindir();
    ScopedWindir(const ScopedWindir&) = delete;
    ScopedWindir& operator=(const ScopedWindir&) = delete;

private:
    std::optional<std::wstring> old_;
    std::optional<std::wstring> oldRoot_;
};

// A user's store of its own for the life of the object: the roaming and
// the local store are the folders "roaming" and "local" of a fresh scratch
// folder (neither made), as SetStoreFolders sets them; the profile's again
// afterwards. Two of them in turn play two users.
class ScopedStore {
public:
    explicit ScopedStore(const std::wstring& tag = L"store");
    ~ScopedStore();
    ScopedStore(const ScopedStore&) = delete;
    ScopedStore& operator=(const ScopedStore&) = delete;

    bool ok() const { return folder_.ok(); }
    std::wstring Roaming() const { return folder_ / L"roaming"; }
    std::wstring Local() const { return folder_ / L"local"; }
    // Makes this the store in use again (after another ScopedStore took over).
    void Use() const;

private:
    ScratchFolder folder_;
};

// Removes a folder and everything in it, read-only files included.
void RemoveTree(const std::wstring& path);

// Live GDI objects of this process. Under Wine, where GetGuiResources answers
// 0, they are counted from the process's GDI handle table.
DWORD CountGdiObjects();

}  // namespace shubiao::test

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
// Panel\Cursors" is redirected to its subkey "Cursors".
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

// Sets %windir% for the life of the object (the Windows folder the editor
// copies into), restoring the old value afterwards.
class ScopedWindir {
public:
    explicit ScopedWindir(const std::wstring& value);
    ~ScopedWindir();
    ScopedWindir(const ScopedWindir&) = delete;
    ScopedWindir& operator=(const ScopedWindir&) = delete;

private:
    std::optional<std::wstring> old_;
};

// Removes a folder and everything in it, read-only files included.
void RemoveTree(const std::wstring& path);

// Live GDI objects of this process. Under Wine, where GetGuiResources answers
// 0, they are counted from the process's GDI handle table.
DWORD CountGdiObjects();

}  // namespace shubiao::test

#pragma once
// Registry access by full value path, such as
// "HKEY_CURRENT_USER\Control Panel\Cursors\Arrow": read, write and delete one
// value. The root is spelled out in full or abbreviated (HKCU, HKLM, ...).
// Every call opens and closes its own key; no handle outlives a call.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/Raii.h"

namespace shubiao::registry {

// Reads a value. REG_SZ and REG_EXPAND_SZ come back as stored (not expanded),
// REG_DWORD as decimal text. A missing key or value is an error
// (ERROR_FILE_NOT_FOUND); other types give ERROR_UNSUPPORTED_TYPE.
LSTATUS RegRead(std::wstring_view valuePath, std::wstring& data);

// Reads values of one key (such as "HKEY_CURRENT_USER\\Control Panel\\Cursors"),
// opened once for all of them; each read as RegRead reads.
class KeyReader {
public:
    explicit KeyReader(std::wstring_view keyPath);
    LSTATUS Read(std::wstring_view valueName, std::wstring& data) const;
    // A DWORD value; a value of another type is refused (RRF_RT_REG_DWORD).
    LSTATUS ReadDword(std::wstring_view valueName, DWORD& value) const;

private:
    UniqueHKey key_;
    LSTATUS opened_;
};

// Creates or overwrites a value as a plain string (REG_SZ), whatever type it
// had; the key is created when missing.
LSTATUS RegWrite(std::wstring_view valuePath, std::wstring_view data);

// Writes values of one key as RegWrite writes them, the key created and
// opened once for all of them. Value names are taken whole: they may hold
// backslashes (a scheme's name in a Schemes list may).
class KeyWriter {
public:
    explicit KeyWriter(std::wstring_view keyPath);
    LSTATUS Write(std::wstring_view valueName, std::wstring_view data);
    // The same as REG_EXPAND_SZ: Windows expands %NAME% when it reads it.
    LSTATUS WriteExpandable(std::wstring_view valueName, std::wstring_view data);
    LSTATUS WriteDword(std::wstring_view valueName, DWORD data);
    // Removes a value; a missing value is an error (ERROR_FILE_NOT_FOUND).
    LSTATUS Delete(std::wstring_view valueName);

private:
    LSTATUS Open();
    LSTATUS Set(std::wstring_view valueName, DWORD type, const void* data, DWORD bytes);

    std::wstring keyPath_;
    UniqueHKey key_;
    LSTATUS opened_ = ERROR_INVALID_HANDLE;  // until the first write opens the key
    bool tried_ = false;
};

// Removes a value (never the key). A missing value is an error.
LSTATUS RegDelete(std::wstring_view valuePath);

// One value of a key as EnumerateValues lists it.
struct ValueData {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;  // as stored; empty when tooLarge
    bool tooLarge = false;           // more than the bound given: not read
};
struct ValueList {
    LSTATUS status = ERROR_SUCCESS;  // of opening the key; a missing key is ERROR_FILE_NOT_FOUND
    std::vector<ValueData> values;   // in the registry's order
    bool more = false;               // the key holds values past the first maxValues
};
// The first `maxValues` values of the key at `keyPath`, each value's data
// read only when it is at most `maxBytes` long. The key is opened once; a
// value that changes or goes while it is listed is listed as it was found
// or left out, never read past the bound.
ValueList EnumerateValues(std::wstring_view keyPath, std::size_t maxValues, std::size_t maxBytes);

// Sends every path under `from` (a key path such as
// "HKEY_CURRENT_USER\Control Panel\Cursors") to the key `to` instead, for as
// long as the object lives. Tests use it so that they never touch the real
// user's pointers or scheme lists. Several may live at once, for different
// keys; the one made last wins where they overlap. Not thread-safe.
class ScopedRedirect {
public:
    ScopedRedirect(std::wstring from, std::wstring to);
    ScopedRedirect(const ScopedRedirect&) = delete;
    ScopedRedirect& operator=(const ScopedRedirect&) = delete;
    ~ScopedRedirect();

private:
    unsigned id_;
};

// For tests: while the object lives, writing a value of this name (in any
// key, letter case ignored) fails with `error` and changes nothing.
class ScopedWriteFault {
public:
    ScopedWriteFault(std::wstring valueName, LSTATUS error);
    ScopedWriteFault(const ScopedWriteFault&) = delete;
    ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;
    ~ScopedWriteFault();
};

// Where a value path leads after any redirect: a predefined root, the subkey
// and the value name. False when the root is not known.
struct ValueLocation {
    HKEY root = nullptr;
    std::wstring subkey;
    std::wstring valueName;
};
bool ResolveValuePath(std::wstring_view valuePath, ValueLocation& location);

}  // namespace shubiao::registry

#pragma once
// A small registry reader for a host of the editor: any REG_SZ or REG_DWORD
// value under an open key.
#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>

namespace shubiao {

// Empty (monostate), a string (REG_SZ) or a 32-bit integer (REG_DWORD).
using RegistryVariant = std::variant<std::monostate, std::wstring, std::int32_t>;

// Reads `valueName` under `root`\`keyName`. Every failure gives Empty. The
// key is opened for reading only.
RegistryVariant QueryValue(HKEY root, const std::wstring& keyName, const std::wstring& valueName);

// Reads one value of an open key into `value`. Returns 0 on success, the
// Windows error of the data query, or -1 for a type other than REG_SZ and
// REG_DWORD (including a value that could not be queried at all); `value` is
// left as it was in the -1 case.
LONG ReadRegValue(HKEY key, const std::wstring& valueName, RegistryVariant& value);

}  // namespace shubiao

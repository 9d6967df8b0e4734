#pragma once
// Reads the install.inf of a downloaded cursor pack the way Windows' setup
// does when the user picks "安装" on it, and says which file each cursor role
// gets and under which scheme name. Portable: no Windows header; text is
// UTF-8.
//
// Only the AddReg sections that [DefaultInstall] names are read (every
// section when there is no [DefaultInstall]); in them, lines under
// HKCU\Control Panel\Cursors set one role each, and each line under
// HKCU\Control Panel\Cursors\Schemes is one scheme: a comma list in Windows'
// order (SchemeOrder.h). A role that a line of the first kind sets takes that
// file in every scheme. See InfReader.cpp for the syntax rules and limits.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/formats/TextEncoding.h"

namespace shubiao::inf {

// Bytes in the system's ANSI code page (GBK on Chinese Windows) to UTF-8.
using AnsiDecoder = CodePageDecoder;

struct RoleFile {
    std::string role;       // registry value name, spelt as in kSchemeOrder ("Arrow")
    std::string fileName;   // last path component, UTF-8: never empty, ".", "..", nor with \ / : * ? " < > | or control characters, nor a device name (NameRules.h)
};

struct Scheme {
    std::string name;              // may be empty
    std::vector<RoleFile> files;   // in Windows' order, at least one
};

enum class InfError {
    None,
    TooLarge,   // more than kMaxInfBytes: nothing read
    NotText,    // neither Unicode nor text the ANSI decoder accepts
};

struct InfResult {
    InfError error = InfError::None;
    std::vector<Scheme> schemes;   // one per Schemes line, in file order; empty when the pack sets no role
};

inline constexpr std::size_t kMaxInfBytes = 1024 * 1024;

InfResult ReadCursorInf(std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi);

}  // namespace shubiao::inf

#pragma once
// The install.inf written beside an exported scheme. Running Windows' setup
// on it (right-click → 安装, or
// rundll32 setupapi,InstallHinfSection DefaultInstall 132 <inf>) copies the
// files to %windir%\Cursors\<folder name> and lists the scheme, named after
// the folder, under HKCU\Control Panel\Cursors\Schemes. Portable: no Windows
// header.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace shubiao::inf {

// The bytes of install.inf: UTF-16LE with a byte-order mark, CRLF line ends.
// `folderName` (UTF-8) is the export folder's own name; `exportedRoles` are
// the registry value names of the roles written there, role R as "R.ani".
// Names that are not among Windows' roles (SchemeOrder.h) are left out, and
// so are repeats.
std::vector<std::uint8_t> WriteCursorInf(std::string_view folderName, std::span<const std::string_view> exportedRoles);

}  // namespace shubiao::inf

#pragma once
// Which fonts this system has.
#include <windows.h>

#include <string>

namespace shubiao {

// True when a font of this face (and character set) is installed.
bool FontInstalled(const std::wstring& face, BYTE charset);

}  // namespace shubiao

#pragma once
// What Windows draws the pointer at here: the pointer-size setting and the
// displays' DPI, read from the system. Read only: nothing here changes the
// setting (Windows applies a change to it only through Settings or at the
// next sign-in). The rule from these to pixels is scheme/formats/PointerSize.h.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "scheme/CursorSettings.h"

namespace shubiao {

// The pointer-size setting, HKCU\Control Panel\Cursors, DWORD value
// CursorBaseSize, read through the registry's redirect (tests set it on
// their scratch key); nullopt when it is absent or not a DWORD.
std::optional<std::uint32_t> ReadCursorBaseSize();
// The same, from the Cursors key already open in `cursors` (one registry
// round trip instead of an open, a read and a close).
std::optional<std::uint32_t> ReadCursorBaseSize(const registry::KeyReader& cursors);

// The pixels of the pointer Windows draws on a display of `dpi` with the
// setting as it is now.
std::uint32_t PointerPixelsHere(UINT dpi);

// The effective DPI of every display of the desktop, in the order Windows
// enumerates them; empty when none could be read.
std::vector<UINT> DisplayDpis();

}  // namespace shubiao

#pragma once
// Decodes a picture file (JPEG, PNG, BMP, ...) with the Windows Imaging
// Component into a 32-bit top-down DIB section.
#include <windows.h>

#include <string>

#include "win/Raii.h"

namespace shubiao {

// Throws UserError naming the file and the reason when it cannot be read.
UniqueBitmap LoadPictureFile(const std::wstring& path);

// A second DIB section with the same size and pixels as `picture` (one that
// LoadPictureFile made); empty when there is no memory for it.
UniqueBitmap CopyPicture(HBITMAP picture);

}  // namespace shubiao

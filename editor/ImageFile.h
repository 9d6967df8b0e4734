#pragma once
// Decodes a picture file (JPEG, PNG, BMP, ...) with the Windows Imaging
// Component into a 32-bit top-down DIB section, and scales such a picture.
#include <windows.h>

#include <string>

#include "win/Raii.h"

namespace shubiao {

// Throws UserError naming the file and the reason when it cannot be read.
UniqueBitmap LoadPictureFile(const std::wstring& path);

// A second DIB section with the pixels of `picture` (one that LoadPictureFile
// or ScalePicture made) from `from` to its bottom right corner: the same size
// and pixels for the default; empty when there is no memory for it or `from`
// lies outside the picture.
UniqueBitmap CopyPicture(HBITMAP picture, POINT from = {0, 0});

// A new DIB section of `width` x `height` pixels with `picture` (one that
// LoadPictureFile made) resampled to fit it, by the imaging component's
// smoothest interpolation. Throws UserError when it cannot be made.
UniqueBitmap ScalePicture(HBITMAP picture, UINT width, UINT height);

}  // namespace shubiao

// The main window's background picture.
#pragma once

#include <string>

namespace makeassets {

// Writes a light, calm 400x330 picture as a baseline JPEG (through
// ImageMagick's convert, which only does the JPEG encoding).
void writeBackground(const std::string& jpegPath);

}  // namespace makeassets

// The program icon and the small window icon: a pointer over a rounded
// colour palette.
#pragma once

#include <string>

namespace makeassets {

// Small window icon: 16 and 32 pixels, 32-bit.
void writeWindowIcon(const std::string& path);
// Program icon: 48 pixels, one 256-colour and one 32-bit image.
void writeProgramIcon(const std::string& path);

}  // namespace makeassets

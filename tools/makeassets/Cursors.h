// The fifteen pointer roles, drawn on a 32-unit grid and written as
// animated cursors (.ani) with 32, 48 and 64 pixel images per frame.
#pragma once

#include <string>

namespace makeassets {

void writeCursors(const std::string& folder);

}  // namespace makeassets

#pragma once
// What importing a pack makes of the working scheme, worked out whole before
// anything is taken, so that an import happens whole or not at all.
#include <string>
#include <utility>
#include <vector>

#include "scheme/PackFolder.h"
#include "scheme/WorkingScheme.h"

namespace shubiao {

struct ImportPlan {
    WorkingScheme result;                                         // the scheme after the import
    std::vector<std::pair<std::wstring, std::wstring>> skipped;  // role name, why not taken
    int taken = 0;                                                // roles the pack gave a file
    std::vector<std::pair<std::wstring, std::wstring>> copies;    // role name, the numbered copy taken for it
    std::vector<std::wstring> unseen;                             // roles taken that the grid has no box for
};

// Reads and checks the pack's files; `current` is the working scheme now.
ImportPlan PlanImport(const Pack& pack, const WorkingScheme& current);

}  // namespace shubiao

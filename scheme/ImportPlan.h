#pragma once
// Import without a window: what a path names (a folder or an .inf file) read
// as packs, and what importing one pack makes of a working scheme, worked
// out whole before anything is taken, so that an import happens whole or not
// at all. The editor and the console program both import through this.
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
    std::vector<int> takenRoles;                                  // the roles taken from a checked file, in the pack's order
};

// The packs of `path`: an existing .inf file is read as one (ScanInfFile),
// anything else as a folder (ScanForPacks).
PackScan ScanPath(const std::wstring& path);

// Reads and checks the pack's files; `current` is the working scheme now.
ImportPlan PlanImport(const Pack& pack, const WorkingScheme& current);

// Why nothing could be imported from `place` (a scan with no pack), for the
// user: what a pack is, and each .inf file that was not read.
std::wstring NothingFoundText(const std::wstring& place, const PackScan& scan);

}  // namespace shubiao

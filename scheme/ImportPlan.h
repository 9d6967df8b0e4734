#pragma once
// Import without a window: what a path names (a folder, an .inf file or a
// .zip) read as packs, and what importing one pack makes of a working scheme, worked
// out whole before anything is taken, so that an import happens whole or not
// at all. The editor and the console program both import through this.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scheme/PackFolder.h"
#include "scheme/formats/CursorFileCheck.h"
#include "scheme/WorkingScheme.h"
#include "scheme/ZipPack.h"

namespace shubiao {

struct ImportPlan {
    WorkingScheme result;                                         // the scheme after the import
    std::vector<std::pair<std::wstring, std::wstring>> skipped;  // role name, why not taken
    int taken = 0;                                                // roles the pack gave a file
    std::vector<std::pair<std::wstring, std::wstring>> copies;    // role name, the numbered copy taken for it
    std::vector<int> takenRoles;                                  // the roles taken from a checked file, in the pack's order
    std::vector<CursorSizes> takenSizes;                          // the sizes each of takenRoles' files holds
};

// Where an import reads from: a folder or an .inf as it lies, or a .zip
// unpacked into a private folder of its own.
struct ImportSource {
    std::wstring place;                        // as the user named it
    std::shared_ptr<const UnpackedZip> zip;    // null for a folder or an .inf
    std::vector<std::pair<std::wstring, std::wstring>> entriesSkipped;  // the zip's, with why
    // A path as the user sees it: "pack.zip\Arrow.ani" for one in the zip.
    std::wstring Shown(const std::wstring& path) const { return zip ? zip->ShownPath(path) : path; }
};

// The packs a path holds, and where they were read from.
struct OpenedPacks {
    PackScan scan;
    ImportSource source;
    std::wstring archiveName;  // a .zip: its file name ("pack.zip")
    std::wstring zipError;     // a .zip that could not be unpacked: why (nothing else is set)
};

// The packs of `path`: an existing .zip is unpacked (ZipPack.h) and its
// folder read, a pack at its top named after the archive; an existing .inf
// file is read as one (ScanInfFile); anything else as a folder (ScanForPacks).
OpenedPacks OpenPacks(const std::wstring& path);

// One file of a pack, read and checked: its bytes, or why its role cannot
// take it (for the user, after the role's name).
struct PackFileRead {
    std::vector<std::uint8_t> bytes;
    std::wstring refusal;  // empty when the file can be used
    CursorSizes sizes;     // the sizes it holds, as the check read them
};
PackFileRead ReadPackFile(const PackFile& file);

// Reads and checks the pack's files; `current` is the working scheme now.
ImportPlan PlanImport(const Pack& pack, const WorkingScheme& current);

// Why nothing could be imported from `place` (a scan with no pack), for the
// user: what a pack is, and each .inf file that was not read.
std::wstring NothingFoundText(const std::wstring& place, const PackScan& scan);

}  // namespace shubiao

#pragma once
// The import flow (Importing.cpp): a folder, an .inf file or a .zip read as
// packs, one chosen among several, planned whole and handed to the editor
// as its new scheme; the unpacked archives the scheme's files lie in are
// kept here. It reaches the editor only through SchemeHolder, asks the user
// through Desktop, and tells the library which pack the grid holds whole.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/Desktop.h"
#include "editor/EditorParts.h"
#include "scheme/ImportPlan.h"
#include "scheme/PackFolder.h"
#include "scheme/ZipPack.h"

namespace shubiao {

class LibraryActions;

class ImportFlow {
public:
    ImportFlow(SchemeHolder& editor, Desktop& desktop, LibraryActions& library)
        : editor_(editor), desktop_(desktop), library_(library) {}
    ImportFlow(const ImportFlow&) = delete;
    ImportFlow& operator=(const ImportFlow&) = delete;

    // Imports a folder, an .inf file or a .zip: the import button's folder,
    // a drop, the command line.
    void ImportPath(const std::wstring& path);
    // Lets go of the unpacked archives that no role's file lies in any more.
    void ReleaseUnusedArchives();
    // A role's file as the user sees it (a file of an unpacked archive as
    // "pack.zip\...").
    std::wstring ShownFile(const std::wstring& path) const;

private:
    // Where an import reads from (scheme/ImportPlan.h).
    using ImportSource = shubiao::ImportSource;
    void ImportScan(PackScan scan, const ImportSource& source);
    void ImportPack(const Pack& pack, const ImportSource& source);
    // True the first time it is asked (once per editor): the summary of a
    // whole import then ends with the library's save hint.
    bool TakeSaveHint() { return !std::exchange(saveHintGiven_, true); }
    HWND hwnd() const { return editor_.Owner(); }

    SchemeHolder& editor_;
    Desktop& desktop_;
    LibraryActions& library_;
    // The archives whose unpacked files roles of the scheme name; each
    // folder goes when the last is released.
    std::vector<std::shared_ptr<const UnpackedZip>> archives_;
    bool saveHintGiven_ = false;
};

}  // namespace shubiao

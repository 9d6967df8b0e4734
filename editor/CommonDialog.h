#pragma once
// The editor's one shared file dialog: the open dialog of the preview boxes
// and the save dialog of the export use the same object, so FileName keeps
// whatever the last confirmed dialog left in it.
#include <windows.h>

#include <string>

#include "editor/Desktop.h"

namespace shubiao {

class CommonDialog {
public:
    explicit CommonDialog(Desktop& desktop) : desktop_(desktop) {}

    std::wstring Filter;
    std::wstring FileName;

    // Show the modal dialog; true when the user confirmed a name (FileName
    // then holds it), false when cancelled (FileName unchanged).
    bool ShowOpen(HWND owner) { return desktop_.ShowOpen(owner, Filter, FileName); }
    bool ShowSave(HWND owner) { return desktop_.ShowSave(owner, Filter, FileName); }

private:
    Desktop& desktop_;
};

}  // namespace shubiao

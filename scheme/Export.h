#pragma once
// Export without a window: the applied role files copied out of the folder
// Apply copies to, byte for byte, into a folder of one file per role named
// after the role ("Arrow.ani", ...), with an install.inf in Windows' standard
// form with which Windows' own setup installs it (right-click, 安装) as a
// scheme named after the folder. The editor's export and the console
// program's export both work through this.
#include <windows.h>

#include <string>
#include <vector>

namespace shubiao {

struct ExportResult {
    DWORD folderError = ERROR_SUCCESS;  // the export folder could not be made: nothing was exported
    int exported = 0;                   // role files copied
    // One line per file that exists but could not be copied or written
    // ("Arrow.ani：<why>"), each beginning with a newline.
    std::wstring failures;
};

// Exports into `folder` (made when missing). A role without a file in the
// applied folder is left out without a word; with none at all, no
// install.inf is written.
ExportResult ExportApplied(const std::wstring& folder);

// How many role files the folder Apply copies to holds now.
int AppliedRoleFiles();

}  // namespace shubiao

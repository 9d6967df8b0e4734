#pragma once
// Finds the cursor packs in a folder the user chose: which file each role
// gets, and under what name. In this order:
//   1. an .inf in the folder that sets at least one role (each of its
//      Schemes lines is a pack of its own);
//   2. otherwise files named after the roles ("Arrow.ani", ...), the import
//      of exported schemes;
//   3. otherwise .cur/.ani files whose names say their purpose;
//   4. otherwise the packs that 1-3 find in the subfolders, up to three
//      levels down.
// Nothing outside the chosen folder is read: files are looked up in its own
// listing by their last name component, and links out of it (reparse points)
// are not followed. Every file found still has to pass the cursor check
// before it is used; that is for the caller.
#include <windows.h>

#include <string>
#include <vector>

namespace shubiao {

enum class PackKind {
    Inf,        // from an .inf
    RoleNamed,  // files named after the roles
    Named,      // files named by purpose
};

struct PackFile {
    int role = 0;          // role number
    std::wstring path;     // the file in the pack's folder
    bool present = true;   // false: the .inf names a file the folder does not have
    int alternate = 0;     // a numbered copy of the role's name ("忙 (2).ani") was taken: its number
};

struct Pack {
    PackKind kind = PackKind::Named;
    std::wstring name;      // the scheme's name: the .inf's, else the folder's own name
    std::wstring folder;    // the folder that holds the files
    std::wstring relative;  // that folder below the chosen one ("" for the chosen one itself)
    std::vector<PackFile> files;  // the roles the pack sets, in role order
    // The pointer files (.cur, .ani) of the pack's folder that it does not
    // use, each with why, in plain Chinese; other files are not listed.
    std::vector<std::pair<std::wstring, std::wstring>> unused;
};

// Why a pointer file of a pack was not used.
inline constexpr const wchar_t* kUnknownFileName = L"未识别的文件名";
inline constexpr const wchar_t* kRoleTaken = L"已有同一角色的文件";
inline constexpr const wchar_t* kNotInInf = L"安装文件（.inf）中没有用到";

struct PackScan {
    DWORD error = ERROR_SUCCESS;  // a folder could not be read: nothing may be imported
    std::wstring failedFolder;
    std::vector<Pack> packs;
    // .inf files that were not read (over the size limit, not text, unreadable),
    // each with the reason, for the message when nothing was found.
    std::vector<std::pair<std::wstring, std::wstring>> refused;
};

// The packs in `folder` (a folder path, no trailing backslash needed).
PackScan ScanForPacks(const std::wstring& folder);
// The packs of one .inf file, looked up in its own folder.
PackScan ScanInfFile(const std::wstring& infPath);

// The chosen folder in lower case followed by one backslash (none added when
// it already ends in one, as a drive root does): how role-named files are
// recorded.
std::wstring LowerCaseFolderPrefix(const std::wstring& folder);

}  // namespace shubiao

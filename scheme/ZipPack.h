#pragma once
// Unpacks a downloaded .zip cursor pack into a private temporary folder, so
// that the folder import (PackFolder.h) reads it as it reads any pack. Only
// the .cur, .ani and .inf entries are written, in their folders; the archive
// is read by the portable reader (ZipReader.h) through the file handle,
// never loaded whole.
//
// The folders live under %TEMP%\ShuBiao\, one per archive unpacked, named
// "<process id>-<process start time>-<n>" so that a later start can tell
// which were left by a process that ended without cleaning up.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace shubiao {

// The folder one archive was unpacked into. The folder and everything in it
// are deleted when the last owner lets go, so the importer keeps a
// shared_ptr while anything chosen names a file inside.
class UnpackedZip {
public:
    UnpackedZip(std::wstring folder, std::wstring archiveName);
    ~UnpackedZip();
    UnpackedZip(const UnpackedZip&) = delete;
    UnpackedZip& operator=(const UnpackedZip&) = delete;

    const std::wstring& Folder() const { return folder_; }            // no trailing backslash
    const std::wstring& ArchiveName() const { return archiveName_; }  // "pack.zip"
    // What the user is shown for a path inside the folder:
    // "pack.zip\sub\Arrow.ani", and "pack.zip" for the folder itself. Any
    // other path comes back as it is.
    std::wstring ShownPath(const std::wstring& path) const;

private:
    std::wstring folder_;
    std::wstring archiveName_;
};

struct ZipUnpack {
    std::wstring archiveName;                      // the archive's file name, "pack.zip"
    std::shared_ptr<const UnpackedZip> unpacked;   // null when nothing was unpacked
    // Why nothing was unpacked ("不是 ZIP 文件", "文件不完整", the Windows
    // error of a file that cannot be opened, ...); empty otherwise. The
    // caller names the archive in its message.
    std::wstring error;
    // Entries left out, as the user sees them ("pack.zip\sub\Arrow.ani"),
    // each with its reason ("文件名不安全", "校验失败", ...), in archive order.
    // Every one is a .cur, .ani or .inf entry that was refused (by the
    // reader, or when it was written out), so a pack read from the archive
    // may lack it; what is no pointer (__MACOSX/, "._" files, a readme, a
    // picture) is passed over by the reader and never listed.
    std::vector<std::pair<std::wstring, std::wstring>> skipped;
    size_t filesWritten = 0;
};

// Unpacks the archive at `zipPath`.
ZipUnpack UnpackZip(const std::wstring& zipPath);

// %TEMP%\ShuBiao, without a trailing backslash.
std::wstring UnpackRoot();

// Removes the folders under UnpackRoot() that a ShuBiao process which no
// longer runs left behind (after a crash, or ended from Task Manager).
// Both programs call it at start: the window once it is up, ShuBiaoCmd
// before its verb; the folders of either that still runs stay. Touches
// nothing but the folders named as UnpackZip names them, and never follows
// a link (junction or symbolic link) inside them.
void RemoveStaleUnpackFolders();

}  // namespace shubiao

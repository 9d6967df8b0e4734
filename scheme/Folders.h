#pragma once
// The two folders that hold cursor files. Both are built afresh at each use
// and end in a backslash.
#include <optional>
#include <string>
#include <string_view>

namespace shubiao {

// Folder of the running executable, without a trailing backslash except at
// the root of a drive ("C:\").
std::wstring AppFolder();
// Full path of the running executable.
std::wstring ExecutablePath();

// Installation data: app folder + "\Data storage\Cursors\", no test for a
// trailing backslash of the app folder.
std::wstring DataStorageFolderOf(std::wstring_view appFolder);
std::wstring DataStorageFolder();

// The folder earlier versions copied every user's role files to:
// %windir% + "\Cursors\Cursors\" ("\Cursors\Cursors\" when windir is not
// set). Apply now copies to the user's own store (scheme/Store.h); settings
// that name files here still work, and nothing here is written or deleted.
std::wstring SystemSchemeFolderOf(const std::optional<std::wstring>& windir);
std::wstring SystemSchemeFolder();

// Value of an environment variable; nullopt when it is not set.
std::optional<std::wstring> EnvironmentVariable(const wchar_t* name);
// Expands %VAR% references; the text unchanged when expansion fails.
std::wstring ExpandEnvironment(const std::wstring& text);

}  // namespace shubiao

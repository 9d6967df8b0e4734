#pragma once
// Where ShuBiao keeps what it writes for one user: the user's own store, in
// that user's profile, never in a folder every user of the machine shares.
//   roaming  <RoamingAppData>\ShuBiao\   the applied copies ("Applied\") and
//            the files of the user's own schemes ("Schemes\<name>\"). The
//            user's pointer settings roam with a roaming profile, so the
//            files they name roam with them.
//   local    <LocalAppData>\ShuBiao\     the history of the pointers in force
//            ("History\"), which is this machine's alone.
// The folders come from SHGetKnownFolderPath (FOLDERID_RoamingAppData,
// FOLDERID_LocalAppData); none is made here. Every path ends in a backslash;
// an empty path means Windows could not say where the folder is.
#include <windows.h>

#include <string>
#include <string_view>

namespace shubiao {

std::wstring RoamingStoreFolder();
std::wstring LocalStoreFolder();

// The copies Apply places, which the user's pointer values name.
std::wstring AppliedFolder();
// The files of the user's own scheme `name` (a name schemes::CheckSchemeName
// allows).
std::wstring UserSchemeFolder(std::wstring_view name);
// The recorded states of the pointers in force and their files.
std::wstring HistoryFolder();

// Tests play a user of their own: while set (non-empty), the two stores are
// these folders (with or without a trailing backslash) instead of the
// profile's. Empty strings go back to the profile's.
void SetStoreFolders(std::wstring roaming, std::wstring local);

// Tests play a Windows that gives no folder: while set (and no store folder
// is set above), the known folders are asked of `known`, a function of
// SHGetKnownFolderPath's kind, instead of shell32's. nullptr ends it.
using KnownFolderFunction = HRESULT(WINAPI*)(const GUID& id, DWORD flags, HANDLE token, PWSTR* path);
void SetKnownFolderFunction(KnownFolderFunction known);

}  // namespace shubiao

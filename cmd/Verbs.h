#pragma once
// The parts of ShuBiaoCmd's verbs that more than one verb uses, and the verbs
// of cmd/Transfer.cpp (apply, restore, undo, export).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cmd/CommandLine.h"
#include "cmd/Run.h"
#include "scheme/Actions.h"
#include "scheme/ImportPlan.h"
#include "scheme/PackFolder.h"
#include "scheme/WriterLock.h"

namespace shubiao::cli {

// Has Windows reload the pointers from the settings; a refusal is ignored.
void ReloadPointers();

// The live pointers of this session.
class LivePointers : public PointerSystem {
public:
    bool SetSystemCursor(HCURSOR cursor, DWORD id) override { return ::SetSystemCursor(cursor, id) != FALSE; }
    bool ReloadSystemCursors() override {
        ReloadPointers();
        return true;
    }
};

// With --fill-sizes: one line for each role whose original file was placed, and why.
void SayUnfilled(Context& context, const std::vector<std::pair<int, FillNote>>& unfilled);

// True when the process may write what `verb` writes; otherwise says so.
bool RequireAdministrator(Context& context, const wchar_t* verb);

// Runs `write` holding the writer lock of `scope` (the user's, unless
// given); exit code 4, and a line saying why, when another writer held it
// for the whole wait or it could not be had.
int WithWriterLock(Context& context, const std::function<int(const WriterLock& lock)>& write);
int WithWriterLock(Context& context, WriteScope scope, const std::function<int(const WriterLock& lock)>& write);

// The pack the command names (its operand: a folder, an .inf or a .zip, and
// --scheme among several) and where it was read from, which holds an
// unpacked archive's folder for as long as it lives; when there is none to
// take, the lines that say why, and nullopt.
struct ChosenPack {
    Pack pack;
    ImportSource source;
};
std::optional<ChosenPack> ChoosePack(const Command& command, Context& context);

// The listed scheme `name` of the list --system or --user names, or of
// either when the name is in one list only (the first of that name in each
// list). When there is none, or the name is in both lists and the command
// says neither, null and `code` (2 or 3) with the line that says why, ending
// in `tail`.
const library::SchemeEntry* FindListedScheme(const library::SchemeListing& listing, const std::wstring& name,
                                             SchemeSource source, Context& context, const wchar_t* tail, int& code);

// A pack's files read once and checked: the bytes of each usable one, and
// for the others the role's name and why not.
using CheckedFile = RoleBytes;
struct CheckedPack {
    std::vector<CheckedFile> files;
    std::vector<std::pair<std::wstring, std::wstring>> skipped;
};
CheckedPack CheckPackFiles(const Pack& pack);

int RunApply(const Command& command, Context& context);
int RunRestore(Context& context);
int RunUndo(Context& context);
int RunExport(const Command& command, Context& context);
// cmd/Check.cpp.
int RunCheck(const Command& command, Context& context);

}  // namespace shubiao::cli

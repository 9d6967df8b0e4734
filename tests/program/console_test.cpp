// ShuBiaoCmd as scripts and deployment tools use it: each verb, its exit
// code, what it wrote to the (scratch) registry and the (scratch) Windows
// folder, and its output through pipes. The command-line checks run the
// shipped ShuBiaoCmd.exe; what only a started program shows (the clean-up at
// its start, a second writer beside a first, a second user after the first)
// runs ShuBiaoCmdTest.exe, the same program built with the stand-ins of
// cmd/TestSeams.cpp; the other verbs run in this process as its wmain runs
// them (RunVerbHere), each Wine process start being dear.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cwchar>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "portable/cursor_bytes.h"
#include "portable/zip_bytes.h"
#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/formats/CursorFileCheck.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/WriterLock.h"
#include "win/Raii.h"
#include "support/ConsoleSupport.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

size_t Index(int role) { return static_cast<size_t>(role - 1); }

int LinesOf(const std::wstring& text) {
    int lines = 0;
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2)) ++lines;
    return lines;
}

// ---- the command line, through the shipped program -------------------------------

struct LineCase {
    const char* name;
    std::vector<std::wstring> args;
    DWORD code;
    std::wstring says;  // in stdout for 0, in stderr otherwise
};

void PrintTo(const LineCase& row, std::ostream* os) { *os << row.name; }

class ConsoleCommandLine : public testing::TestWithParam<LineCase> {};

TEST_P(ConsoleCommandLine, EndsWithItsCodeAndSaysSoInUtf8) {
    const LineCase& row = GetParam();
    const ConsoleRun run = RunConsole(L"ShuBiaoCmd.exe", row.args);
    ASSERT_EQ(run.code, row.code) << ToUtf8(run.err);
    if (row.code == 0) {
        EXPECT_NE(run.out.find(row.says), std::wstring::npos) << ToUtf8(run.out);
        EXPECT_TRUE(run.err.empty());
    } else {
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find(row.says), std::wstring::npos) << ToUtf8(run.err);
        EXPECT_EQ(LinesOf(run.err), 1) << "one line: " << ToUtf8(run.err);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConsoleCommandLine,
    testing::Values(LineCase{"Help", {L"--help"}, 0, L"退出代码"},
                    LineCase{"SlashQuestionMark", {L"/?"}, 0, L"ShuBiaoCmd install <方案包>"},
                    LineCase{"Nothing", {}, 3, L"没有给出命令"},
                    LineCase{"UnknownVerb", {L"instal", L"D:\\pack"}, 3, L"未知的命令“instal”"},
                    LineCase{"UnknownOption", {L"use", L"海浪", L"--force"}, 3, L"未知的选项“--force”"},
                    LineCase{"MissingArgument", {L"install"}, 3, L"缺少方案包的路径"},
                    LineCase{"ConflictingOptions", {L"apply", L"p", L"--scheme", L"A", L"--scheme", L"B"}, 3,
                             L"两个不同的值"}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

// ---- the verbs, through the test build -------------------------------------------

class Console : public testing::Test {
protected:
    Console() {
        env.Set(L"SHUBIAO_TEST_CURSORS_KEY", L"HKEY_CURRENT_USER\\" + registry.CursorsSubkey());
        env.Set(L"SHUBIAO_TEST_SYSTEM_KEY", L"HKEY_CURRENT_USER\\" + registry.SystemSchemesSubkey());
        env.Set(L"SHUBIAO_TEST_ADMIN", L"1");
        env.Set(L"SHUBIAO_TEST_SYSTEMROOT", windows.Path());
    }

    static ConsoleRun Cmd(const std::vector<std::wstring>& args) { return RunVerbHere(args); }
    static ConsoleRun CmdProcess(const std::vector<std::wstring>& args) {
        return RunConsole(L"ShuBiaoCmdTest.exe", args);
    }

    // A pack folder named `name` under `parent` with one file per role in
    // `roles`, named by purpose, each a cursor of `colour`; the roles in
    // `unusable` get bytes that are no cursor.
    std::wstring MakePack(const std::wstring& parent, const std::wstring& name, const std::vector<int>& roles,
                          const std::vector<int>& unusable = {}, std::uint32_t colour = 0x00336699) {
        const std::wstring folder = parent + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const int role : roles) {
            const std::wstring file = folder + L"\\" + kPurposeNames[Index(role)] + (role == 15 ? L".ani" : L".cur");
            bool bad = false;
            for (const int u : unusable) bad = bad || u == role;
            if (bad) {
                WriteBytes(file, {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
            } else {
                WriteStaticCursor(file, role, role, colour);
            }
        }
        return folder;
    }
    static std::vector<int> AllRoles(int count = kRoleCount) {
        std::vector<int> roles;
        for (int role = 1; role <= count; ++role) roles.push_back(role);
        return roles;
    }
    std::wstring InstalledFolder(const std::wstring& name) const { return windows / (L"Cursors\\" + name); }
    std::wstring AppliedFolder() const { return store.Roaming() + L"\\Applied"; }
    static const library::SchemeEntry* Listed(const library::SchemeListing& listing, const std::wstring& name) {
        for (const library::SchemeEntry& entry : listing.schemes) {
            if (entry.name == name) return &entry;
        }
        return nullptr;
    }

    ScratchRegistry registry;
    ScratchFolder windows{L"cwin"};
    ScopedWindir windir{windows.Path()};
    ScopedStore store;
    ScratchFolder packs{L"cpk"};
    ScopedEnvironment env;
};

// apply names each pointer file of the pack it did not use, and why; extras
// leave the exit code at 0, a role's file that cannot be used makes it 1;
// readmes and pictures are not named. Files: 'c' a cursor, 'i' the .inf, else no cursor.
struct UnusedCase {
    const char* name;
    std::vector<std::pair<std::wstring, char>> files;
    DWORD code;
    std::vector<std::wstring> unused;  // "file”：why
};
class ConsoleUnused : public Console, public testing::WithParamInterface<UnusedCase> {};

TEST_P(ConsoleUnused, NamesEveryPointerFileNotUsed) {
    const std::string inf = "[DefaultInstall]\nAddReg=R\n[R]\nHKCU,\"Control Panel\\Cursors\",\"Arrow\",,\"a.cur\"\n";
    for (const auto& [file, kind] : GetParam().files) {
        if (kind == 'c') WriteStaticCursor(packs / file, 3, 3);
        if (kind != 'c') WriteBytes(packs / file, std::vector<std::uint8_t>(inf.begin(), inf.end()));
    }
    const ConsoleRun run = Cmd({L"apply", packs.Path()});
    EXPECT_EQ(run.code, GetParam().code) << ToUtf8(run.out) << ToUtf8(run.err);
    std::vector<std::wstring> named;
    for (size_t at = run.out.find(L"没有用到“"); at != std::wstring::npos; at = run.out.find(L"没有用到“", at + 1)) {
        named.push_back(run.out.substr(at + 5, run.out.find(L"\r\n", at) - at - 5));
    }
    std::vector<std::wstring> expected = GetParam().unused;
    std::sort(named.begin(), named.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(named, expected) << ToUtf8(run.out);
}

INSTANTIATE_TEST_SUITE_P(
    Packs, ConsoleUnused,
    testing::Values(
        UnusedCase{"ChineseNamesAndAPirate", {{L"正常选择.cur", 'c'}, {L"备用选择.cur", 'c'}, {L"海盗.cur", 'c'}, {L"说明.txt", 't'}}, 0,
                   {L"海盗.cur”：未识别的文件名"}},
        UnusedCase{"GrabAndZoom", {{L"Normal Select.cur", 'c'}, {L"Grab.cur", 'c'}, {L"Zoom In.cur", 'c'}, {L"preview.png", 't'}}, 0,
                   {L"Grab.cur”：未识别的文件名", L"Zoom In.cur”：未识别的文件名"}},
        UnusedCase{"NumberedCopyBesideThePlainName", {{L"Busy.cur", 'c'}, {L"Busy 2.cur", 'c'}}, 0,
                   {L"Busy 2.cur”：已有同一角色的文件"}},
        UnusedCase{"AssignedFileUnusable", {{L"Normal Select.cur", 'x'}, {L"Busy.cur", 'c'}, {L"pirate.cur", 'c'}}, 1,
                   {L"pirate.cur”：未识别的文件名"}},
        UnusedCase{"InfLeavesOneOut", {{L"install.inf", 'i'}, {L"a.cur", 'c'}, {L"spare.cur", 'c'}}, 0,
                   {L"spare.cur”：安装文件（.inf）中没有用到"}}),
    [](const testing::TestParamInfo<UnusedCase>& info) { return info.param.name; });

// install: exit code, the HKLM entry (17 slots, the roles installed) and the copies.
struct InstallCase {
    const char* name;
    int roles;                  // the pack's roles: 1..roles
    std::vector<int> unusable;  // of those, files that are no cursor
    bool packExists;            // false: the path names nothing
    bool notAPack;              // the folder holds no cursor at all
    bool administrator;
    std::vector<std::wstring> extra;
    DWORD code;
    std::wstring installedAs;   // the list's name; empty: nothing installed
};

void PrintTo(const InstallCase& row, std::ostream* os) { *os << row.name; }

class ConsoleInstall : public Console, public testing::WithParamInterface<InstallCase> {};

TEST_P(ConsoleInstall, CopiesTheCheckedFilesAndListsTheSchemeWithSeventeenSlots) {
    const InstallCase& row = GetParam();
    std::wstring pack = packs / L"海浪";
    if (row.notAPack) {
        CreateDirectoryW(pack.c_str(), nullptr);
        WriteBytes(pack + L"\\readme.txt", {'h', 'i'});
    } else if (row.packExists) {
        pack = MakePack(packs.Path(), L"海浪", AllRoles(row.roles), row.unusable);
    }
    env.Set(L"SHUBIAO_TEST_ADMIN", row.administrator ? L"1" : L"0");
    std::vector<std::wstring> args{L"install", pack};
    args.insert(args.end(), row.extra.begin(), row.extra.end());

    const ConsoleRun run = Cmd(args);
    EXPECT_EQ(run.code, row.code) << ToUtf8(run.out) << ToUtf8(run.err);
    const library::SchemeListing listing = library::ReadSchemeLists();
    if (row.installedAs.empty()) {
        EXPECT_TRUE(listing.schemes.empty()) << "listed " << ToUtf8(listing.schemes.front().name);
        EXPECT_FALSE(FolderExists(windows / L"Cursors")) << "wrote under the Windows folder";
        EXPECT_FALSE(run.err.empty());
        return;
    }
    const library::SchemeEntry* entry = Listed(listing, row.installedAs);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->source, library::Source::System);
    for (int role = 1; role <= kRoleCount; ++role) {
        SCOPED_TRACE(ToUtf8(Role(role).valueName));
        bool bad = role > row.roles;
        for (const int u : row.unusable) bad = bad || u == role;
        if (bad) {
            EXPECT_EQ(entry->SlotOf(role).state, schemes::SlotState::WindowsDefault);
            EXPECT_FALSE(FileExists(InstalledFolder(row.installedAs) + L"\\" + Role(role).FileName()));
            continue;
        }
        const std::wstring copy = InstalledFolder(row.installedAs) + L"\\" + Role(role).FileName();
        EXPECT_EQ(entry->FileOf(role), copy);
        EXPECT_EQ(ReadBytes(copy), MakeStaticCursor(role, role));
    }
    for (const int u : row.unusable) {
        EXPECT_NE(run.out.find(L"跳过“" + Role(u).Name() + L"”"), std::wstring::npos) << "names the skipped role";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Packs, ConsoleInstall,
    testing::Values(InstallCase{"WholePack", 17, {}, true, false, true, {}, 0, L"海浪"},
                    InstallCase{"SomeFilesUnusable", 17, {4, 15}, true, false, true, {}, 1, L"海浪"},
                    InstallCase{"FifteenRoles", 15, {}, true, false, true, {}, 0, L"海浪"},
                    InstallCase{"OtherName", 17, {}, true, false, true, {L"--name", L"学校 A"}, 0, L"学校 A"},
                    InstallCase{"NotAPack", 0, {}, true, true, true, {}, 2, L""},
                    InstallCase{"PathMissing", 0, {}, false, false, true, {}, 2, L""},
                    InstallCase{"EveryFileUnusable", 2, {1, 2}, true, false, true, {}, 2, L""},
                    InstallCase{"NameNotAllowed", 17, {}, true, false, true, {L"--name", L"a:b"}, 3, L""},
                    InstallCase{"NameWithAVariable", 17, {}, true, false, true, {L"--name", L"..%HOMEPATH%"}, 3, L""},
                    InstallCase{"NotAdministrator", 17, {}, true, false, false, {}, 4, L""}),
    [](const testing::TestParamInfo<InstallCase>& info) { return info.param.name; });

// apply: exit code and the user's values naming the copies in the user's store.
struct ApplyCase {
    const char* name;
    int roles;
    std::vector<int> unusable;
    bool administrator;
    DWORD code;
    int applied;
    bool storeBlocked = false;  // a file lies where the store's Applied folder goes
};

void PrintTo(const ApplyCase& row, std::ostream* os) { *os << row.name; }

class ConsoleApply : public Console, public testing::WithParamInterface<ApplyCase> {};

TEST_P(ConsoleApply, AppliesTheUsableRolesAsTheWindowDoes) {
    const ApplyCase& row = GetParam();
    const std::wstring pack = MakePack(packs.Path(), L"Ocean", AllRoles(row.roles), row.unusable);
    env.Set(L"SHUBIAO_TEST_ADMIN", row.administrator ? L"1" : L"0");
    if (row.storeBlocked) {
        EnsureFolderPath(AppliedFolder());
        WriteBytes(AppliedFolder(), {'x'});
    }
    const ConsoleRun run = Cmd({L"apply", pack});
    EXPECT_EQ(run.code, row.code) << ToUtf8(run.out) << ToUtf8(run.err);
    if (row.storeBlocked) {
        EXPECT_NE(run.out.find(L"无法建立 ShuBiao 的用户文件夹"), std::wstring::npos) << ToUtf8(run.out);
        EXPECT_EQ((run.out + run.err).find(L"管理员"), std::wstring::npos) << ToUtf8(run.out + run.err);
    }
    int applied = 0;
    for (int role = 1; role <= kRoleCount; ++role) {
        const auto value = registry.GetString(std::wstring(Role(role).valueName));
        if (!value) continue;
        ++applied;
        EXPECT_EQ(*value, AppliedFolder() + L"\\" + Role(role).FileName());
        EXPECT_EQ(ReadBytes(*value), MakeStaticCursor(role, role));
    }
    EXPECT_EQ(applied, row.applied);
}

INSTANTIATE_TEST_SUITE_P(Packs, ConsoleApply,
                         testing::Values(ApplyCase{"FifteenRoles", 15, {}, true, 0, 15},
                                         ApplyCase{"SomeFilesUnusable", 15, {2, 7}, true, 1, 13},
                                         ApplyCase{"EveryFileUnusable", 1, {1}, true, 2, 0},
                                         ApplyCase{"StandardUser", 15, {}, false, 0, 15},
                                         ApplyCase{"AFileWhereTheStoreGoes", 15, {}, false, 4, 0, true}),
                         [](const testing::TestParamInfo<ApplyCase>& info) { return info.param.name; });

// --fill-sizes: the copies placed hold the five sizes, a file that cannot be
// filled is placed as it is and named, and the pack's files stay as they were.
struct FillCase {
    const char* name;
    std::vector<std::wstring> args;  // the verb and its options; the pack or the name is added
    bool installFirst;               // use: the pack is installed (without filling) first
    bool filled;                     // the copies hold the five sizes
    bool inStore;                    // the copies lie in the user's store, not the installed folder
};

void PrintTo(const FillCase& row, std::ostream* os) { *os << row.name; }

class ConsoleFillSizes : public Console, public testing::WithParamInterface<FillCase> {};

TEST_P(ConsoleFillSizes, PlacesFilledCopiesAndNamesTheFilesLeftAsTheyWere) {
    const FillCase& row = GetParam();
    // Arrow and Wait hold only 32 pixels; Crosshair's one image is 1 x 1, nothing to enlarge.
    const std::wstring pack = packs / L"海浪";
    CreateDirectoryW(pack.c_str(), nullptr);
    const std::vector<std::pair<int, std::vector<std::uint8_t>>> files{
        {2, MakeStaticCursor(2, 2)}, {3, cursor_bytes::MakeCursor(1)}, {15, MakeStaticCursor(15, 15)}};
    for (const auto& [role, bytes] : files) {
        WriteBytes(pack + L"\\" + kPurposeNames[Index(role)] + (role == 15 ? L".ani" : L".cur"), bytes);
    }
    if (row.installFirst) {
        ASSERT_EQ(Cmd({L"install", pack}).code, 0u);
    }
    std::vector<std::wstring> args = row.args;
    args.push_back(row.installFirst ? L"海浪" : pack);

    const ConsoleRun run = Cmd(args);

    EXPECT_EQ(run.code, 0u) << ToUtf8(run.out) << ToUtf8(run.err);
    const std::wstring folder = row.inStore ? AppliedFolder() : InstalledFolder(L"海浪");
    const std::vector<PixelSize> five{{32, 32}, {48, 48}, {64, 64}, {96, 96}, {128, 128}};
    for (const auto& [role, bytes] : files) {
        SCOPED_TRACE(ToUtf8(Role(role).valueName));
        const std::wstring copy = folder + L"\\" + Role(role).FileName();
        const std::vector<std::uint8_t> placed = ReadBytes(copy);
        const CursorCheck check = CheckCursorBytes(placed);
        ASSERT_TRUE(check.ok());
        if (role == 3 || !row.filled) {
            EXPECT_EQ(placed, bytes);
        } else {
            EXPECT_EQ(check.sizes.held, five);
        }
        if (row.inStore) {
            EXPECT_EQ(registry.GetString(std::wstring(Role(role).valueName)), copy);
        }
        // The pack's own files, and an installed scheme's, are only read.
        EXPECT_EQ(ReadBytes(pack + L"\\" + kPurposeNames[Index(role)] + (role == 15 ? L".ani" : L".cur")), bytes);
        if (row.installFirst) {
            EXPECT_EQ(ReadBytes(InstalledFolder(L"海浪") + L"\\" + Role(role).FileName()), bytes);
        }
    }
    const bool named = run.out.find(L"“" + Role(3).Name() + L"”：无法补齐尺寸") != std::wstring::npos;
    EXPECT_EQ(named, row.filled) << ToUtf8(run.out);
}

INSTANTIATE_TEST_SUITE_P(
    Verbs, ConsoleFillSizes,
    testing::Values(FillCase{"Apply", {L"apply", L"--fill-sizes"}, false, true, true},
                    FillCase{"ApplyWithoutTheOption", {L"apply"}, false, false, true},
                    FillCase{"Install", {L"install", L"--fill-sizes"}, false, true, false},
                    FillCase{"UseOfAnInstalledScheme", {L"use", L"--fill-sizes"}, true, true, true}),
    [](const testing::TestParamInfo<FillCase>& info) { return info.param.name; });

TEST_F(Console, InstallThenUseFromASecondFreshUserKey) {
    const std::wstring pack = MakePack(packs.Path(), L"海浪", AllRoles());
    ASSERT_EQ(CmdProcess({L"install", pack}).code, 0u);

    // Another user signs in: a fresh key of their own, no administrator rights.
    const std::wstring second = registry.RootSubkey() + L"\\Second\\Cursors";
    env.Set(L"SHUBIAO_TEST_CURSORS_KEY", L"HKEY_CURRENT_USER\\" + second);
    env.Set(L"SHUBIAO_TEST_ADMIN", L"0");
    const ConsoleRun use = CmdProcess({L"use", L"海浪"});
    ASSERT_EQ(use.code, 0u) << ToUtf8(use.err);
    const registry::ScopedRedirect asSecond(std::wstring(kCursorsKeyPath), L"HKEY_CURRENT_USER\\" + second);
    for (const CursorRole& role : kRoles) {
        std::wstring data;
        ASSERT_EQ(registry::RegRead(role.ValuePath(), data), ERROR_SUCCESS) << ToUtf8(role.valueName);
        EXPECT_EQ(data, InstalledFolder(L"海浪") + L"\\" + role.FileName());
    }
    const library::InForce inForce = library::ReadInForce();
    EXPECT_EQ(inForce.name, L"海浪");
    EXPECT_EQ(inForce.source, 2u);
    EXPECT_FALSE(FolderExists(AppliedFolder())) << "use copied files";
    EXPECT_FALSE(FolderExists(windows / L"Cursors\\Cursors")) << "use wrote under %windir%";
    EXPECT_TRUE(registry.ValueNames().empty()) << "the first user's settings changed";

    const ConsoleRun list = CmdProcess({L"list"});
    EXPECT_EQ(list.code, 0u);
    EXPECT_NE(list.out.find(L"海浪\t系统\t15 个指针，另有 位置选择、个人选择\t正在使用\r\n"), std::wstring::npos)
        << ToUtf8(list.out);
}

// use of a scheme of the user's own list whose files are all there, partly
// missing or all missing. The list's order: Arrow first, Wait fourth.
struct UseCase {
    const char* name;
    bool arrowThere;
    bool waitThere;
    std::wstring typed;  // the name as the script gives it; the list has "My 方案"
    DWORD code;
};

void PrintTo(const UseCase& row, std::ostream* os) { *os << row.name; }

class ConsoleUse : public Console, public testing::WithParamInterface<UseCase> {};

TEST_P(ConsoleUse, NamesTheSchemesFilesAndNeverAMissingOne) {
    const UseCase& row = GetParam();
    const std::wstring arrow = packs / L"arrow.cur";
    const std::wstring wait = packs / L"wait.cur";
    if (row.arrowThere) WriteStaticCursor(arrow, 2, 2);
    if (row.waitThere) WriteStaticCursor(wait, 15, 15);
    ASSERT_TRUE(registry.SetScheme(false, L"My 方案", arrow + L",,," + wait));
    registry.SetString(L"Arrow", L"C:\\old\\arrow.cur");
    registry.SetString(L"Help", L"C:\\old\\help.cur");

    const ConsoleRun run = Cmd({L"use", row.typed});
    EXPECT_EQ(run.code, row.code) << ToUtf8(run.out) << ToUtf8(run.err);
    const bool anything = row.arrowThere || row.waitThere;
    EXPECT_EQ(registry.GetString(L"Arrow"), row.arrowThere ? arrow : L"C:\\old\\arrow.cur");
    EXPECT_EQ(registry.GetString(L"Wait"), row.waitThere ? std::optional<std::wstring>(wait) : std::nullopt);
    // A slot of Windows' default: the value says so (empty), as Windows writes it.
    EXPECT_EQ(registry.GetString(L"Help"), anything ? L"" : L"C:\\old\\help.cur");
    const library::InForce inForce = library::ReadInForce();
    EXPECT_EQ(inForce.name, anything ? L"My 方案" : L"");
    EXPECT_EQ(inForce.source, anything ? 1u : 0u);
    if (row.arrowThere != row.waitThere) {
        const std::wstring skipped = row.arrowThere ? Role(15).Name() : Role(2).Name();
        EXPECT_NE(run.out.find(L"跳过“" + skipped + L"”"), std::wstring::npos) << ToUtf8(run.out);
    }
}

INSTANTIATE_TEST_SUITE_P(Schemes, ConsoleUse,
                         testing::Values(UseCase{"AllFilesThere", true, true, L"My 方案", 0},
                                         UseCase{"NameInOtherLetterCase", true, true, L"mY 方案", 0},
                                         UseCase{"OneFileMissing", false, true, L"My 方案", 1},
                                         UseCase{"OtherFileMissing", true, false, L"My 方案", 1},
                                         UseCase{"NoFileThere", false, false, L"My 方案", 2}),
                         [](const testing::TestParamInfo<UseCase>& info) { return info.param.name; });

// use of a name both lists hold: --system or --user picks one; without
// either nothing changes and both are named. use and list count alike.
struct SameNameCase {
    const char* name;
    std::vector<std::wstring> flags;
    DWORD code;
    DWORD source;          // Scheme Source afterwards; 0: nothing changed
    const wchar_t* count;  // in use's line and in list's
};
class ConsoleSameName : public Console, public testing::WithParamInterface<SameNameCase> {};

TEST_P(ConsoleSameName, NeedsTheListWhenBothHoldIt) {
    const SameNameCase& row = GetParam();
    WriteStaticCursor(packs / L"a.cur", 2, 2);
    std::wstring seventeen = packs / L"a.cur";
    for (int slot = 1; slot < kRoleCount; ++slot) seventeen += L"," + packs / L"a.cur";
    ASSERT_TRUE(registry.SetScheme(true, L"海浪", seventeen));
    ASSERT_TRUE(registry.SetScheme(false, L"海浪", packs / L"a.cur"));  // Arrow only
    std::vector<std::wstring> args{L"use", L"海浪"};
    args.insert(args.end(), row.flags.begin(), row.flags.end());
    const ConsoleRun run = Cmd(args);
    EXPECT_EQ(run.code, row.code) << ToUtf8(run.out) << ToUtf8(run.err);
    EXPECT_EQ(library::ReadInForce().source, row.source);
    if (row.count == nullptr) {
        EXPECT_NE(run.err.find(L"系统的方案“海浪”和用户的方案“海浪”"), std::wstring::npos) << ToUtf8(run.err);
        return;
    }
    EXPECT_NE(run.out.find(std::wstring(L"（") + row.count + L"）"), std::wstring::npos) << ToUtf8(run.out);
    const std::wstring listed = std::wstring(L"海浪\t") + (row.source == 2 ? L"系统" : L"用户") + L"\t" + row.count;
    EXPECT_NE(Cmd({L"list"}).out.find(listed + L"\t正在使用"), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(Schemes, ConsoleSameName,
                         testing::Values(SameNameCase{"WithoutAFlag", {}, 3, 0, nullptr},
                                         SameNameCase{"TheSystems", {L"--system"}, 0, 2, L"15 个指针，另有 位置选择、个人选择"},
                                         SameNameCase{"TheUsers", {L"--user"}, 0, 1, L"1 个指针"}),
                         [](const testing::TestParamInfo<SameNameCase>& info) { return info.param.name; });

// A name from the user's data never starts a line or colours the console:
// a user scheme named with a line break and an escape sequence, listed and
// used (its file is missing, so use names it in its refusal).
struct NameOutputCase {
    const char* name;
    bool use;  // use the scheme; otherwise list
    DWORD code;
};

void PrintTo(const NameOutputCase& row, std::ostream* os) { *os << row.name; }

class ConsoleNames : public Console, public testing::WithParamInterface<NameOutputCase> {};

TEST_P(ConsoleNames, ArePrintedWithTheirControlCharactersVisible) {
    const std::wstring forged = L"假\n正在使用：\x1B[31m系统";
    ASSERT_TRUE(registry.SetScheme(false, forged, packs / L"gone.cur"));

    const ConsoleRun run = GetParam().use ? Cmd({L"use", forged}) : Cmd({L"list"});

    EXPECT_EQ(run.code, GetParam().code) << ToUtf8(run.out) << ToUtf8(run.err);
    const std::wstring all = run.out + run.err;
    EXPECT_NE(all.find(L"假\\n正在使用：\\x1B[31m系统"), std::wstring::npos) << ToUtf8(all);
    EXPECT_EQ(all.find(L'\x1B'), std::wstring::npos) << "an escape sequence reached the console";
    EXPECT_EQ(all.find(L"假\n"), std::wstring::npos) << "the name started a line";
}

INSTANTIATE_TEST_SUITE_P(Verbs, ConsoleNames,
                         testing::Values(NameOutputCase{"List", false, 0}, NameOutputCase{"Use", true, 2}),
                         [](const testing::TestParamInfo<NameOutputCase>& info) { return info.param.name; });

// A .zip is read as the window reads it: unpacked, its pack named after the archive.
TEST_F(Console, InstallFromAZipPack) {
    const std::vector<std::uint8_t> arrow = MakeStaticCursor(2, 2);
    const std::vector<std::uint8_t> busy = MakeStaticCursor(15, 15);
    WriteBytes(packs / L"海浪.zip", zip_bytes::Build({{zip_bytes::Deflated("Normal Select.cur", arrow),
                                                       zip_bytes::Stored("Busy.ani", busy)}}));
    const ConsoleRun run = Cmd({L"install", packs / L"海浪.zip"});
    ASSERT_EQ(run.code, 0u) << ToUtf8(run.out) << ToUtf8(run.err);
    const library::SchemeListing listing = library::ReadSchemeLists();
    const library::SchemeEntry* entry = Listed(listing, L"海浪");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(ReadBytes(entry->FileOf(2)), arrow);
    EXPECT_EQ(ReadBytes(entry->FileOf(15)), busy);
    EXPECT_EQ(entry->SlotOf(1).state, schemes::SlotState::WindowsDefault);
}

// A .zip some of whose entries were refused was not read whole: the entry is
// named with why, and install or apply ends with 1 though it took every role
// of the pack. Entries that are no pointer do not count.
struct ZipEntriesCase {
    const char* name;
    const wchar_t* verb;
    std::vector<zip_bytes::Entry> entries;  // beside Normal Select.cur, unless only these
    bool only;
    DWORD code;
    std::wstring says;  // after "压缩包中的“海浪.zip\"; empty: nothing was refused
};
void PrintTo(const ZipEntriesCase& row, std::ostream* os) { *os << row.name; }

zip_bytes::Entry Lie(zip_bytes::Entry e, std::uint16_t flags, std::uint32_t crcXor) {
    e.flags = flags;
    e.crc = zip_bytes::Crc(e.data) ^ crcXor;
    return e;
}
const zip_bytes::Bytes kSome = zip_bytes::Text("0123456789abcdef");

class ConsoleZipEntries : public Console, public testing::WithParamInterface<ZipEntriesCase> {};

TEST_P(ConsoleZipEntries, RefusedEntriesMakeThePackPartlyRead) {
    zip_bytes::Archive archive{GetParam().entries};
    if (!GetParam().only) archive.entries.push_back(zip_bytes::Deflated("Normal Select.cur", MakeStaticCursor(2, 2)));
    WriteBytes(packs / L"海浪.zip", zip_bytes::Build(archive));
    const ConsoleRun run = Cmd({GetParam().verb, packs / L"海浪.zip"});
    EXPECT_EQ(run.code, GetParam().code) << ToUtf8(run.out) << ToUtf8(run.err);
    const size_t line = run.out.find(L"压缩包中的“海浪.zip\\" + GetParam().says);
    EXPECT_EQ(line == std::wstring::npos, GetParam().says.empty()) << ToUtf8(run.out);
    const bool taken = Listed(library::ReadSchemeLists(), L"海浪") != nullptr || registry.GetString(L"Arrow");
    EXPECT_EQ(taken, !GetParam().only) << "the good entry is taken all the same";
}

INSTANTIATE_TEST_SUITE_P(
    Zips, ConsoleZipEntries,
    testing::Values(
        ZipEntriesCase{"Whole", L"install", {}, false, 0, L""},
        ZipEntriesCase{"NoPointers", L"apply",
                       {zip_bytes::Stored("__MACOSX/._Busy.ani", kSome), zip_bytes::Stored("._Busy.ani", kSome),
                        zip_bytes::Deflated("readme.txt", kSome), zip_bytes::Stored("preview.png", kSome)},
                       false, 0, L""},
        ZipEntriesCase{"BadCrc", L"install", {Lie(zip_bytes::Stored("Busy.ani", kSome), 0, 1)}, false, 1,
                       L"Busy.ani”没有读取：校验失败"},
        ZipEntriesCase{"Encrypted", L"apply", {Lie(zip_bytes::Stored("Move.cur", kSome), 1, 0)}, false, 1,
                       L"Move.cur”没有读取：已加密"},
        ZipEntriesCase{"DeviceName", L"apply", {zip_bytes::Stored("CON.cur", kSome)}, false, 1,
                       L"CON.cur”没有读取：文件名不安全"},
        ZipEntriesCase{"OnlyRefused", L"install", {Lie(zip_bytes::Stored("Busy.ani", kSome), 0, 1)}, true, 2,
                       L"Busy.ani”没有读取：校验失败"}),
    [](const testing::TestParamInfo<ZipEntriesCase>& info) { return info.param.name; });

// ShuBiaoCmd removes the folders that ended runs left under %TEMP%\ShuBiao;
// a running process's (this test's) and a stranger's file of such a name stay.
struct StaleCase {
    const char* name;
    bool running;
    bool file;
    bool removed;
};
void PrintTo(const StaleCase& row, std::ostream* os) { *os << row.name; }

class ConsoleStaleFolders : public Console, public testing::WithParamInterface<StaleCase> {};

TEST_P(ConsoleStaleFolders, RemovesOnlyTheFoldersOfEndedRuns) {
    ScratchFolder temp{L"ctmp"};
    env.Set(L"TMP", temp.Path());
    env.Set(L"TEMP", temp.Path());
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    // "<pid>-<creation time>-<n>"; a run that ended left pid 4294967291 free
    // (no process has it: Windows' are multiples of four).
    wchar_t name[64];
    swprintf(name, std::size(name), L"ShuBiao\\%lu-%08lx%08lx-0", GetParam().running ? GetCurrentProcessId() : 4294967291ul,
             created.dwHighDateTime, created.dwLowDateTime);
    const std::wstring path = temp / name;
    ASSERT_TRUE(CreateDirectoryW((temp / L"ShuBiao").c_str(), nullptr));
    if (!GetParam().file) {
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    WriteBytes(GetParam().file ? path : path + L"\\Arrow.cur", {'k', 'e', 'e', 'p'});

    EXPECT_EQ(CmdProcess({L"list"}).code, 0u);
    EXPECT_EQ(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES, GetParam().removed);
}

INSTANTIATE_TEST_SUITE_P(Runs, ConsoleStaleFolders,
                         testing::Values(StaleCase{"EndedRun", false, false, true},
                                         StaleCase{"RunningProcess", true, false, false},
                                         StaleCase{"StrangersFile", false, true, false}),
                         [](const testing::TestParamInfo<StaleCase>& info) { return info.param.name; });

// check: every role's sizes against what the (test) display needs, 96 DPI
// under Wine, with the pointer-size setting of the row.
struct CheckCase {
    const char* name;
    std::int32_t imageSize;          // of each of the pack's files; 0: the pack holds no pointer
    std::optional<DWORD> baseSize;   // CursorBaseSize
    bool byListedName;               // installed first, then checked by its name in the list
    DWORD code;
    std::wstring says;
};

void PrintTo(const CheckCase& row, std::ostream* os) { *os << row.name; }

class ConsoleCheck : public Console, public testing::WithParamInterface<CheckCase> {};

TEST_P(ConsoleCheck, EndsWithZeroOnlyWhenEveryRoleHoldsTheSizeNeeded) {
    const CheckCase& row = GetParam();
    const std::wstring pack = packs / L"海浪";
    CreateDirectoryW(pack.c_str(), nullptr);
    if (row.imageSize == 0) {
        WriteBytes(pack + L"\\readme.txt", {'h', 'i'});
    } else {
        for (const int role : {2, 15}) {
            WriteBytes(pack + L"\\" + kPurposeNames[Index(role)] + L".cur", cursor_bytes::MakeCursor(row.imageSize));
        }
    }
    if (row.baseSize) registry.SetDword(L"CursorBaseSize", *row.baseSize);
    std::vector<std::wstring> args{L"check", pack};
    if (row.byListedName) {
        if (row.imageSize != 0) {
            ASSERT_EQ(Cmd({L"install", pack}).code, 0u);
        }
        args = {L"check", L"--scheme", L"海浪"};
    }
    const std::vector<std::wstring> before = registry.ValueNames();
    const ConsoleRun run = Cmd(args);
    EXPECT_EQ(run.code, row.code) << ToUtf8(run.out) << ToUtf8(run.err);
    EXPECT_NE((run.code == 2 ? run.err : run.out).find(row.says), std::wstring::npos) << ToUtf8(run.out) << ToUtf8(run.err);
    EXPECT_EQ(registry.ValueNames(), before) << "check changes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Packs, ConsoleCheck,
    testing::Values(CheckCase{"HoldsTheSizeNeeded", 32, std::nullopt, false, 0, L"含 32 像素\t齐全"},
                    CheckCase{"LacksTheSizeOfTheSetting", 32, 48, false, 1, L"缺少 48 像素，会被放大，可能模糊"},
                    CheckCase{"OnlyLargerImages", 64, std::nullopt, false, 1, L"缺少 32 像素，会被缩小"},
                    CheckCase{"ListedSchemeHoldsIt", 32, std::nullopt, true, 0, L"齐全"},
                    CheckCase{"ListedSchemeLacksIt", 32, 64, true, 1, L"缺少 64 像素"},
                    CheckCase{"NothingToCheck", 0, std::nullopt, false, 2, L"海浪"},
                    CheckCase{"NameNotListed", 0, std::nullopt, true, 2, L"没有名为“海浪”的方案"}),
    [](const testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

TEST_F(Console, UseOfANameNotListedChangesNothing) {
    registry.SetString(L"Arrow", L"C:\\mine\\arrow.cur");
    const ConsoleRun run = Cmd({L"use", L"没有这个方案"});
    EXPECT_EQ(run.code, 2u);
    EXPECT_NE(run.err.find(L"没有名为“没有这个方案”的方案"), std::wstring::npos);
    EXPECT_EQ(registry.ValueNames(), std::vector<std::wstring>{L"Arrow"});
}

TEST_F(Console, SeveralPacksNeedSchemeToPickOne) {
    const std::wstring both = packs / L"两个";
    CreateDirectoryW(both.c_str(), nullptr);
    MakePack(both, L"Ocean", AllRoles(3));
    MakePack(both, L"Forest", AllRoles(5));
    const ConsoleRun refused = Cmd({L"install", both});
    EXPECT_EQ(refused.code, 2u);
    EXPECT_NE(refused.err.find(L"Ocean"), std::wstring::npos);
    EXPECT_NE(refused.err.find(L"Forest"), std::wstring::npos);
    EXPECT_TRUE(library::ReadSchemeLists().schemes.empty());

    const ConsoleRun picked = Cmd({L"install", both, L"--scheme", L"forest"});
    EXPECT_EQ(picked.code, 0u) << ToUtf8(picked.err);
    const library::SchemeListing listing = library::ReadSchemeLists();
    ASSERT_EQ(listing.schemes.size(), 1u);
    EXPECT_EQ(listing.schemes[0].name, L"Forest");
}

// An earlier export whose files are no cursors: nothing usable, 2.
TEST_F(Console, ApplyOfAnExportWithoutUsableFilesDoesNothing) {
    const std::wstring exported = packs / L"导出";
    CreateDirectoryW(exported.c_str(), nullptr);
    WriteBytes(exported + L"\\Arrow.ani", {'n', 'o'});
    WriteBytes(exported + L"\\Wait.ani", {'n', 'o'});
    const ConsoleRun run = Cmd({L"apply", exported});
    EXPECT_EQ(run.code, 2u) << ToUtf8(run.out) << ToUtf8(run.err);
    EXPECT_TRUE(registry.ValueNames().empty());
    EXPECT_FALSE(FolderExists(AppliedFolder()));
}

TEST_F(Console, ExportThenRestoreAfterApply) {
    EXPECT_EQ(Cmd({L"export", packs / L"nothing"}).code, 2u) << "nothing applied yet";
    EXPECT_FALSE(FolderExists(packs / L"nothing"));

    ASSERT_EQ(Cmd({L"apply", MakePack(packs.Path(), L"Ocean", AllRoles(15))}).code, 0u);
    const ConsoleRun exported = Cmd({L"export", packs / L"导出"});
    EXPECT_EQ(exported.code, 0u) << ToUtf8(exported.err);
    EXPECT_TRUE(FileExists(packs / L"导出\\install.inf"));
    EXPECT_EQ(ReadBytes(packs / L"导出\\Wait.ani"), MakeStaticCursor(15, 15));

    const ConsoleRun restored = Cmd({L"restore"});
    EXPECT_EQ(restored.code, 0u);
    EXPECT_TRUE(registry.ValueNames().empty());
    EXPECT_FALSE(FolderExists(AppliedFolder()));
}

// The walk a new user takes: apply one pack, restore, install another for
// the machine, use it, export. The export holds the pointers in force, the
// second pack's files byte for byte, not the first pack's.
TEST_F(Console, ExportAfterUseHoldsTheSchemeInForce) {
    constexpr std::uint32_t kBlack = 0x00101010;
    constexpr std::uint32_t kQogir = 0x00C0FFEE;
    ASSERT_EQ(Cmd({L"apply", MakePack(packs.Path(), L"Black", AllRoles(), {}, kBlack)}).code, 0u);
    ASSERT_EQ(Cmd({L"restore"}).code, 0u);
    const std::wstring qogir = MakePack(packs.Path(), L"Qogir", AllRoles(), {}, kQogir);
    ASSERT_EQ(Cmd({L"install", qogir, L"--name", L"Qogir Cursors"}).code, 0u);
    env.Set(L"SHUBIAO_TEST_ADMIN", L"0");
    ASSERT_EQ(Cmd({L"use", L"Qogir Cursors"}).code, 0u);

    const ConsoleRun exported = Cmd({L"export", packs / L"out"});
    EXPECT_EQ(exported.code, 0u) << ToUtf8(exported.out) << ToUtf8(exported.err);
    EXPECT_NE(exported.out.find(L"已把 17 个鼠标指针导出到"), std::wstring::npos) << ToUtf8(exported.out);
    for (int role = 1; role <= kRoleCount; ++role) {
        EXPECT_EQ(ReadBytes(packs / (L"out\\" + Role(role).FileName())), MakeStaticCursor(role, role, kQogir))
            << ToUtf8(Role(role).valueName);
    }
}

// One writer at a time: a second ShuBiaoCmd of the same user started while
// the first is inside its write waits, and gives up with 4 when the first
// does not finish in time.
TEST_F(Console, ASecondWriterWaitsForTheFirstAndGivesUpWithFour) {
    const std::wstring pack = MakePack(packs.Path(), L"海浪", AllRoles());
    env.Set(L"SHUBIAO_TEST_HOLD_MS", L"2000");
    ConsoleProcess first(L"ShuBiaoCmdTest.exe", {L"apply", pack});
    ASSERT_TRUE(first.started());
    env.Set(L"SHUBIAO_TEST_HOLD_MS", std::nullopt);
    // Until the first is inside its write: the user's lock file is there and held.
    const std::wstring lockFile = store.Roaming() + L"\\" + kWriterLockFile;
    const auto lockHeld = [&] {
        const UniqueFile lock(CreateFileW(lockFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        return !lock && GetLastError() == ERROR_SHARING_VIOLATION;
    };
    const ULONGLONG start = GetTickCount64();
    while (!lockHeld()) {
        ASSERT_LT(GetTickCount64() - start, 10000u) << "the first writer never took the lock";
        Sleep(10);
    }

    env.Set(L"SHUBIAO_TEST_LOCK_WAIT_MS", L"500");
    const ConsoleRun second = CmdProcess({L"restore"});
    EXPECT_EQ(second.code, 4u);
    EXPECT_NE(second.err.find(L"另一个 ShuBiao 正在更改鼠标指针"), std::wstring::npos) << ToUtf8(second.err);

    env.Set(L"SHUBIAO_TEST_LOCK_WAIT_MS", L"10000");
    const ConsoleRun third = CmdProcess({L"export", packs / L"导出"});  // waits for the first, then finds its pointers
    EXPECT_EQ(third.code, 0u) << ToUtf8(third.err);
    EXPECT_EQ(first.Finish().code, 0u);
}

// undo: back one change at a time, from what ShuBiaoCmd and the history say.
struct UndoCase {
    const char* name;
    std::vector<std::vector<std::wstring>> before;  // the commands run first ("A", "B": the two packs)
    DWORD code;
    wchar_t arrow;  // whose Arrow is in force afterwards: 'A', 'B', or 0 for none
};
void PrintTo(const UndoCase& row, std::ostream* os) { *os << row.name; }

class ConsoleUndo : public Console, public testing::WithParamInterface<UndoCase> {};

TEST_P(ConsoleUndo, GoesBackOneChange) {
    const std::wstring a = MakePack(packs.Path(), L"A", {2, 15});
    const std::wstring b = MakePack(packs.Path(), L"B", {2, 15});
    WriteStaticCursor(b + L"\\" + kPurposeNames[Index(2)] + L".cur", 9, 9, 0x00990000);
    for (std::vector<std::wstring> command : GetParam().before) {
        for (std::wstring& word : command) word = word == L"A" ? a : word == L"B" ? b : word;
        ASSERT_EQ(Cmd(command).code, 0u) << ToUtf8(command[0]);
    }
    const ConsoleRun run = Cmd({L"undo"});
    ASSERT_EQ(run.code, GetParam().code) << ToUtf8(run.out) << ToUtf8(run.err);
    EXPECT_NE((run.code == 0 ? run.out : run.err).find(run.code == 0 ? L"已撤销上次更改" : L"没有可以撤销的更改"),
              std::wstring::npos);
    const std::optional<std::wstring> arrow = registry.GetString(L"Arrow");
    ASSERT_EQ(arrow.has_value(), GetParam().arrow != 0);
    if (arrow) {
        const std::wstring pack = GetParam().arrow == L'A' ? a : b;
        EXPECT_EQ(ReadBytes(*arrow), ReadBytes(pack + L"\\" + kPurposeNames[Index(2)] + L".cur"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ConsoleUndo,
    testing::Values(UndoCase{"NothingRecorded", {}, 2, 0},
                    UndoCase{"AfterOneApply", {{L"apply", L"A"}}, 0, 0},
                    UndoCase{"AfterTwoApplies", {{L"apply", L"A"}, {L"apply", L"B"}}, 0, L'A'},
                    UndoCase{"Twice", {{L"apply", L"A"}, {L"apply", L"B"}, {L"undo"}}, 0, 0},
                    UndoCase{"AfterRestore", {{L"apply", L"A"}, {L"restore"}}, 0, L'A'}),
    [](const testing::TestParamInfo<UndoCase>& info) { return std::string(info.param.name); });


// A run of apply that ended in the middle changes nothing in force and leaves
// nothing behind. Killed a moment into 补齐尺寸 (which then fills for
// seconds): the values and the whole store are as they were. Ended while it
// placed a copy: it leaves what a row plants, its staged copy or the file it
// had set aside; the next apply takes those away, a file set aside going back
// to its empty place, and leaves the user's own files alone.
struct EndedRunCase {
    const char* name;
    bool killWhileFilling;
    std::vector<std::wstring> leftovers;  // planted in the applied folder
    bool waitSetAside;                    // Wait.ani moved to ~Wait.ani.old
};
void PrintTo(const EndedRunCase& row, std::ostream* os) { *os << row.name; }

class ConsoleEndedRun : public Console, public testing::WithParamInterface<EndedRunCase> {};

TEST_P(ConsoleEndedRun, ChangesNothingInForceAndLeavesNothingBehind) {
    const EndedRunCase& row = GetParam();
    const std::vector<int> roles{2, 3, 15};
    ASSERT_EQ(Cmd({L"apply", MakePack(packs.Path(), L"A", roles)}).code, 0u);
    const std::wstring applied = AppliedFolder() + L"\\";
    WriteBytes(applied + L"~笔记.tmp", {'m', 'i', 'n', 'e'});
    WriteBytes(applied + L"Arrow.ani.tmp", {'m', 'i', 'n', 'e'});
    const std::vector<std::wstring> values = ScratchRegistry::Snapshot(registry.CursorsSubkey());
    std::vector<std::vector<std::uint8_t>> named;
    for (const int role : roles) named.push_back(ReadBytes(applied + Role(role).FileName()));
    for (const std::wstring& name : row.leftovers) WriteBytes(applied + name, {'h', 'a', 'l', 'f'});
    if (row.waitSetAside) {
        ASSERT_TRUE(MoveFileW((applied + L"Wait.ani").c_str(), (applied + L"~Wait.ani.old").c_str()));
    }

    if (row.killWhileFilling) {
        const std::wstring slow = packs / L"慢";
        ASSERT_TRUE(CreateDirectoryW(slow.c_str(), nullptr));
        for (int role = 1; role <= kRoleCount; ++role) {  // each file of its own length
            WriteBytes(slow + L"\\" + kPurposeNames[Index(role)] + L".ani", cursor_bytes::MakeAnimation(24u + role));
        }
        const auto stores = [&] {
            std::vector<std::wstring> tree = FolderTree(store.Roaming()), local = FolderTree(store.Local());
            tree.insert(tree.end(), local.begin(), local.end());
            return tree;
        };
        const std::vector<std::wstring> before = stores();
        ConsoleProcess run(L"ShuBiaoCmdTest.exe", {L"apply", slow, L"--fill-sizes"});
        const bool filling = run.WaitForOutput(L"正在补齐尺寸");
        if (filling) Sleep(150);
        run.Kill(99);
        const ConsoleRun killed = run.Finish();
        ASSERT_TRUE(filling && killed.code == 99u) << "not killed while filling: " << ToUtf8(killed.out);
        EXPECT_EQ(ScratchRegistry::Snapshot(registry.CursorsSubkey()), values);
        EXPECT_TRUE(stores() == before) << "the killed run changed the store";
    }

    ASSERT_EQ(Cmd({L"apply", MakePack(packs.Path(), L"B", {4})}).code, 0u);  // the next apply, of Hand
    for (size_t i = 0; i < roles.size(); ++i) {
        EXPECT_EQ(registry.GetString(std::wstring(Role(roles[i]).valueName)), applied + Role(roles[i]).FileName());
        EXPECT_EQ(ReadBytes(applied + Role(roles[i]).FileName()), named[i]) << ToUtf8(Role(roles[i]).valueName);
    }
    EXPECT_EQ(ListFolder(applied), (std::vector<std::wstring>{L"Arrow.ani", L"Arrow.ani.tmp", L"Crosshair.ani",
                                                              L"Hand.ani", L"Wait.ani", L"~笔记.tmp"}));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ConsoleEndedRun,
    testing::Values(EndedRunCase{"KilledWhileFilling", true, {}, false},
                    EndedRunCase{"StagedCopiesLeftBehind", false, {L"~Wait.ani.tmp", L"~Hand.ani.tmp"}, false},
                    EndedRunCase{"SetAsideWithItsPlaceEmpty", false, {}, true},
                    EndedRunCase{"SetAsideBesideItsPlace", false, {L"~Arrow.ani.old"}, false}),
    [](const testing::TestParamInfo<EndedRunCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

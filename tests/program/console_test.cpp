// ShuBiaoCmd started as scripts and deployment tools start it: each verb,
// its exit code, what it wrote to the (scratch) registry and the (scratch)
// Windows folder, and its output through pipes. The command-line checks run
// the shipped ShuBiaoCmd.exe; everything that writes runs ShuBiaoCmdTest.exe,
// the same program built with the stand-ins of cmd/TestSeams.cpp.
#include <gtest/gtest.h>

#include <array>
#include <cwchar>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "portable/zip_bytes.h"
#include "scheme/CursorRole.h"
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

// Windows' English names of the seventeen pointers, as a pack names its files.
constexpr std::array<const wchar_t*, kRoleCount> kPurposeNames{
    L"Working in Background", L"Normal Select", L"Precision Select", L"Link Select", L"Help Select",
    L"Text Select",           L"Unavailable",   L"Handwriting",      L"Move",        L"Diagonal Resize 2",
    L"Vertical Resize",       L"Diagonal Resize 1", L"Horizontal Resize", L"Alternate Select", L"Busy",
    L"Location Select",       L"Person Select"};

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
        env.Set(L"SHUBIAO_TEST_ROAMING_STORE", store.Roaming());
        env.Set(L"SHUBIAO_TEST_LOCAL_STORE", store.Local());
    }

    static ConsoleRun Cmd(const std::vector<std::wstring>& args) { return RunConsole(L"ShuBiaoCmdTest.exe", args); }

    // A pack folder named `name` under `parent` with one file per role in
    // `roles`, named by purpose; the roles in `unusable` get bytes that are no cursor.
    std::wstring MakePack(const std::wstring& parent, const std::wstring& name, const std::vector<int>& roles,
                          const std::vector<int>& unusable = {}) {
        const std::wstring folder = parent + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const int role : roles) {
            const std::wstring file = folder + L"\\" + kPurposeNames[Index(role)] + (role == 15 ? L".ani" : L".cur");
            bool bad = false;
            for (const int u : unusable) bad = bad || u == role;
            if (bad) {
                WriteBytes(file, {'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'});
            } else {
                WriteStaticCursor(file, role, role);
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
    std::wstring AppliedFolder() const { return windows / L"Cursors\\Cursors"; }
    static const library::SchemeEntry* Listed(const library::SchemeListing& listing, const std::wstring& name) {
        for (const library::SchemeEntry& entry : listing.schemes) {
            if (entry.name == name) return &entry;
        }
        return nullptr;
    }

    ScratchRegistry registry;
    ScratchFolder windows{L"cwin"};
    ScopedWindir windir{windows.Path()};
    ScratchFolder packs{L"cpk"};
    ScopedStore store{L"cst"};
    ScopedEnvironment env;
};

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

// apply: exit code and the user's values naming the copies in %windir%\Cursors\Cursors.
struct ApplyCase {
    const char* name;
    int roles;
    std::vector<int> unusable;
    bool administrator;
    DWORD code;
    int applied;
};

void PrintTo(const ApplyCase& row, std::ostream* os) { *os << row.name; }

class ConsoleApply : public Console, public testing::WithParamInterface<ApplyCase> {};

TEST_P(ConsoleApply, AppliesTheUsableRolesAsTheWindowDoes) {
    const ApplyCase& row = GetParam();
    const std::wstring pack = MakePack(packs.Path(), L"Ocean", AllRoles(row.roles), row.unusable);
    env.Set(L"SHUBIAO_TEST_ADMIN", row.administrator ? L"1" : L"0");
    const ConsoleRun run = Cmd({L"apply", pack});
    EXPECT_EQ(run.code, row.code) << ToUtf8(run.out) << ToUtf8(run.err);
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
                                         ApplyCase{"NotAdministrator", 15, {}, false, 4, 0}),
                         [](const testing::TestParamInfo<ApplyCase>& info) { return info.param.name; });

TEST_F(Console, InstallThenUseFromASecondFreshUserKey) {
    const std::wstring pack = MakePack(packs.Path(), L"海浪", AllRoles());
    ASSERT_EQ(Cmd({L"install", pack}).code, 0u);

    // Another user signs in: a fresh key of their own, no administrator rights.
    const std::wstring second = registry.RootSubkey() + L"\\Second\\Cursors";
    env.Set(L"SHUBIAO_TEST_CURSORS_KEY", L"HKEY_CURRENT_USER\\" + second);
    env.Set(L"SHUBIAO_TEST_ADMIN", L"0");
    const ConsoleRun use = Cmd({L"use", L"海浪"});
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
    EXPECT_FALSE(FolderExists(AppliedFolder())) << "use wrote under %windir%";
    EXPECT_TRUE(registry.ValueNames().empty()) << "the first user's settings changed";

    const ConsoleRun list = Cmd({L"list"});
    EXPECT_EQ(list.code, 0u);
    EXPECT_NE(list.out.find(L"海浪\t系统\t17 个指针\t正在使用\r\n"), std::wstring::npos) << ToUtf8(list.out);
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

    EXPECT_EQ(Cmd({L"list"}).code, 0u);
    EXPECT_EQ(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES, GetParam().removed);
}

INSTANTIATE_TEST_SUITE_P(Runs, ConsoleStaleFolders,
                         testing::Values(StaleCase{"EndedRun", false, false, true},
                                         StaleCase{"RunningProcess", true, false, false},
                                         StaleCase{"StrangersFile", false, true, false}),
                         [](const testing::TestParamInfo<StaleCase>& info) { return info.param.name; });

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

// One writer at a time: a second ShuBiaoCmd started while the first is inside
// its write waits, and gives up with 4 when the first does not finish in time.
TEST_F(Console, ASecondWriterWaitsForTheFirstAndGivesUpWithFour) {
    const std::wstring pack = MakePack(packs.Path(), L"海浪", AllRoles());
    env.Set(L"SHUBIAO_TEST_HOLD_MS", L"2000");
    ConsoleProcess first(L"ShuBiaoCmdTest.exe", {L"install", pack});
    ASSERT_TRUE(first.started());
    env.Set(L"SHUBIAO_TEST_HOLD_MS", std::nullopt);
    // Until the first is inside its write: the lock exists and is held.
    const auto lockHeld = [] {
        const UniqueHandle lock(OpenMutexW(SYNCHRONIZE, FALSE, WriterLockName()));
        if (!lock) return false;
        const DWORD wait = WaitForSingleObject(lock.get(), 0);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(lock.get());
        return wait == WAIT_TIMEOUT;
    };
    const ULONGLONG start = GetTickCount64();
    while (!lockHeld()) {
        ASSERT_LT(GetTickCount64() - start, 10000u) << "the first writer never took the lock";
        Sleep(10);
    }

    env.Set(L"SHUBIAO_TEST_LOCK_WAIT_MS", L"500");
    const ConsoleRun second = Cmd({L"restore"});
    EXPECT_EQ(second.code, 4u);
    EXPECT_NE(second.err.find(L"另一个 ShuBiao 正在更改鼠标指针"), std::wstring::npos) << ToUtf8(second.err);

    env.Set(L"SHUBIAO_TEST_LOCK_WAIT_MS", L"10000");
    const ConsoleRun third = Cmd({L"use", L"海浪"});  // waits for the first, then finds its scheme
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

}  // namespace
}  // namespace shubiao

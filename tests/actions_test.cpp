// The writing actions against faults: what each must leave behind when the
// lock is not held, a file or folder is in the way, the registry refuses,
// or a slot of the written entry reads back as another path. Nothing is
// half-written, and no list or setting names a missing file.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scheme/Actions.h"
#include "scheme/Apply.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Export.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/Restore.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using library::Source;
using Bytes = std::vector<std::uint8_t>;

constexpr int kArrow = 2;
constexpr int kWait = 15;

// A lock that is not held: made while the fixture's own lock holds the
// user's lock file, it gives up at once.
class LockHeldElsewhere {
public:
    const WriterLock& Lock() const { return lock_; }

private:
    WriterLock lock_{0};
};

class ActionsTest : public testing::Test {
protected:
    // Everything an action could write to: the Cursors key, both lists, the
    // Windows folder's tree and the store's.
    std::vector<std::vector<std::wstring>> Everything() const {
        return {ScratchRegistry::Snapshot(registry.CursorsSubkey()),
                ScratchRegistry::Snapshot(registry.UserSchemesSubkey()),
                ScratchRegistry::Snapshot(registry.SystemSchemesSubkey()), Tree(windows.Path() + L"\\"),
                Tree(store.Roaming() + L"\\")};
    }
    static std::vector<std::wstring> Tree(const std::wstring& folder) {
        std::vector<std::wstring> names;
        for (const std::wstring& name : ListFolder(folder)) {
            names.push_back(folder + name);
            if (FolderExists(folder + name)) {
                for (const std::wstring& inner : Tree(folder + name + L"\\")) names.push_back(inner);
            }
        }
        return names;
    }
    static std::vector<RoleBytes> Files(int hot) {
        return {{kArrow, MakeStaticCursor(hot, hot)}, {kWait, MakeStaticCursor(hot + 1, hot + 1)}};
    }
    // The lock a save in the list of `source` needs.
    const WriterLock& LockFor(Source source) const { return source == Source::System ? machine : held; }
    // Every entry of both lists names only files that are there and usable.
    static void ExpectListsNameUsableFiles() {
        for (const library::SchemeEntry& entry : library::ReadSchemeLists().schemes) {
            for (const std::wstring& problem : library::CheckSchemeFiles(entry)) {
                EXPECT_EQ(problem, L"") << testing::PrintToString(entry.name);
            }
        }
    }

    ScratchRegistry registry;
    ScratchFolder windows{L"act"};
    ScopedWindir windir{windows.Path()};
    ScopedStore store;
    ScratchFolder files{L"actf"};
    WriterLock held{0};
    WriterLock machine{0, false, WriteScope::Machine};
};

// ---- saving a scheme against faults -----------------------------------------

struct SaveFault {
    const char* name;
    Source source;
    bool earlier;  // an entry of that name was saved before
    // Sets up the fault; may give the slot expansion to use.
    std::function<void(ActionsTest& test, const std::wstring& folder, SlotExpansion& expand)> fault;
    WriteProblem::Kind expected;
};

void PrintTo(const SaveFault& row, std::ostream* os) { *os << row.name; }

class SaveAgainstFaults : public ActionsTest, public testing::WithParamInterface<SaveFault> {};

TEST_P(SaveAgainstFaults, WritesWholeOrLeavesTheListAsItWas) {
    const SaveFault& row = GetParam();
    const std::wstring name = L"方案";
    const std::wstring folder = library::SchemeFolder(name, row.source);
    const std::wstring list = row.source == Source::System ? registry.SystemSchemesSubkey() : registry.UserSchemesSubkey();
    if (row.earlier) {
        ASSERT_TRUE(SaveScheme(LockFor(row.source), row.source, name, {{kArrow, MakeStaticCursor(1, 1)}}, Placing::AllOrNothing)
                        .problem.ok());
    }
    const std::vector<std::wstring> before = ScratchRegistry::Snapshot(list);
    SlotExpansion expand;
    std::unique_ptr<registry::ScopedWriteFault> refusal;
    if (row.fault) row.fault(*this, folder, expand);
    if (row.expected == WriteProblem::Kind::RegistryNotWritten) {
        refusal = std::make_unique<registry::ScopedWriteFault>(name, ERROR_ACCESS_DENIED);
    }

    const std::vector<RoleBytes> files = Files(6);
    const SchemeSaved saved = SaveScheme(LockFor(row.source), row.source, name, files, Placing::AllOrNothing, expand);
    refusal.reset();
    SetFailWritesUnder({});

    EXPECT_EQ(saved.problem.kind, row.expected);
    if (row.expected == WriteProblem::Kind::None) {
        EXPECT_EQ(saved.Placed(), 2);
        for (const RoleBytes& file : files) EXPECT_EQ(ReadBytes(folder + Role(file.role).FileName()), file.bytes);
        EXPECT_NE(ScratchRegistry::Snapshot(list), before);
    } else {
        EXPECT_EQ(ScratchRegistry::Snapshot(list), before) << "the list changed";
    }
    for (const std::wstring& file : ListFolder(folder)) EXPECT_FALSE(file.starts_with(L"~")) << "left: " << file;
    ExpectListsNameUsableFiles();
}

INSTANTIATE_TEST_SUITE_P(
    Actions, SaveAgainstFaults,
    testing::Values(
        SaveFault{"Whole", Source::User, false, nullptr, WriteProblem::Kind::None},
        SaveFault{"WholeInTheMachinesList", Source::System, true, nullptr, WriteProblem::Kind::None},
        SaveFault{"AFileWhereTheFolderGoes", Source::User, false,
                  [](ActionsTest&, const std::wstring& folder, SlotExpansion&) {
                      const std::wstring file = folder.substr(0, folder.size() - 1);
                      CreateDirectoryW(file.substr(0, file.rfind(L'\\')).c_str(), nullptr);  // ...\Schemes
                      WriteBytes(file, {'x'});
                  },
                  WriteProblem::Kind::FolderNotMade},
        SaveFault{"TheStoreRefusesWrites", Source::User, true,
                  [](ActionsTest&, const std::wstring& folder, SlotExpansion&) { SetFailWritesUnder(folder); },
                  WriteProblem::Kind::NotWritten},
        SaveFault{"AFolderWhereAFileGoes", Source::User, true,
                  [](ActionsTest&, const std::wstring& folder, SlotExpansion&) {
                      CreateDirectoryW((folder + L"Wait.ani").c_str(), nullptr);
                  },
                  WriteProblem::Kind::FolderInTheWay},
        SaveFault{"TheRegistryRefuses", Source::User, false, nullptr, WriteProblem::Kind::RegistryNotWritten},
        SaveFault{"TheRegistryRefusesTheMachinesList", Source::System, true, nullptr,
                  WriteProblem::Kind::RegistryNotWritten},
        // A slot that each user's Windows expands to another place (a
        // variable in the path): the entry is not written.
        SaveFault{"ASlotReadsBackAsAnotherPath", Source::User, false,
                  [](ActionsTest&, const std::wstring&, SlotExpansion& expand) {
                      expand = [](const std::wstring& slot) {
                          const std::wstring expanded = ExpandEnvironment(slot);
                          return slot.ends_with(L"Wait.ani") ? expanded + L"x" : expanded;
                      };
                  },
                  WriteProblem::Kind::EntryNamesOther},
        SaveFault{"ASlotReadsBackAsAnotherPathOverAnEarlierEntry", Source::System, true,
                  [](ActionsTest&, const std::wstring&, SlotExpansion& expand) {
                      expand = [](const std::wstring& slot) {
                          return slot.empty() ? slot : L"C:\\elsewhere\\" + slot.substr(slot.rfind(L'\\') + 1);
                      };
                  },
                  WriteProblem::Kind::EntryNamesOther}),
    [](const testing::TestParamInfo<SaveFault>& info) { return std::string(info.param.name); });

// ---- every action without the lock ----------------------------------------------

struct UnlockedCase {
    const char* name;
    // Runs the action with a lock that is not held; true when it says it refused.
    std::function<bool(const WriterLock& lock, const std::wstring& scratch)> action;
};

void PrintTo(const UnlockedCase& row, std::ostream* os) { *os << row.name; }

class ActionsWithoutTheLock : public ActionsTest, public testing::WithParamInterface<UnlockedCase> {};

TEST_P(ActionsWithoutTheLock, RefuseAndChangeNothing) {
    // Something of each kind to change: an applied role, a user scheme in
    // force, a file in the applied folder.
    const std::wstring applied = AppliedFolder();
    ASSERT_EQ(EnsureFolderPath(applied), static_cast<DWORD>(ERROR_SUCCESS));
    WriteStaticCursor(applied + L"Arrow.ani", 2, 2);
    registry.SetString(L"Arrow", applied + L"Arrow.ani");
    ASSERT_TRUE(registry.SetScheme(false, L"旧", applied + L"Arrow.ani"));
    ASSERT_EQ(library::SetInForce(L"旧", 1), ERROR_SUCCESS);
    const auto before = Everything();
    const LockHeldElsewhere other;
    ASSERT_FALSE(other.Lock().held());

    EXPECT_TRUE(GetParam().action(other.Lock(), files.Path()));

    EXPECT_EQ(Everything(), before);
}

class NoPointers : public PointerSystem {
public:
    bool SetSystemCursor(HCURSOR, DWORD) override { return false; }
    bool ReloadSystemCursors() override { return false; }
};

INSTANTIATE_TEST_SUITE_P(
    Actions, ActionsWithoutTheLock,
    testing::Values(
        UnlockedCase{"SaveAUserScheme",
                     [](const WriterLock& lock, const std::wstring&) {
                         return SaveScheme(lock, Source::User, L"新", {{kArrow, MakeStaticCursor(3, 3)}},
                                           Placing::AllOrNothing)
                                    .problem.kind == WriteProblem::Kind::NotLocked;
                     }},
        UnlockedCase{"InstallASystemScheme",
                     [](const WriterLock& lock, const std::wstring&) {
                         return SaveScheme(lock, Source::System, L"新", {{kArrow, MakeStaticCursor(3, 3)}},
                                           Placing::EachOnItsOwn)
                                    .problem.kind == WriteProblem::Kind::NotLocked;
                     }},
        UnlockedCase{"UseAScheme",
                     [](const WriterLock& lock, const std::wstring&) {
                         for (const library::SchemeEntry& entry : library::ReadSchemeLists().schemes) {
                             if (entry.name == L"旧") return UseScheme(lock, entry).kind == SchemeUsed::Kind::NotLocked;
                         }
                         return false;
                     }},
        UnlockedCase{"DeleteAUserScheme",
                     [](const WriterLock& lock, const std::wstring&) {
                         return DeleteScheme(lock, L"旧") == ERROR_NOT_LOCKED;
                     }},
        UnlockedCase{"RecordTheSchemeInForce",
                     [](const WriterLock& lock, const std::wstring&) {
                         return RecordInForce(lock, L"别的", Source::User) == ERROR_NOT_LOCKED;
                     }},
        UnlockedCase{"Apply",
                     [](const WriterLock& lock, const std::wstring& scratch) {
                         WorkingScheme scheme;
                         WriteStaticCursor(scratch + L"\\new.cur", 5, 5);
                         scheme.RoleCursorFile(kWait) = scratch + L"\\new.cur";
                         scheme.SetRoleChanged(kWait, true);
                         scheme.SetWindowsDefault(kArrow, true);
                         scheme.SetRoleChanged(kArrow, true);
                         NoPointers pointers;
                         HCURSOR handedOver = nullptr;
                         const SkipReport report = ApplyChangedRoles(lock, pointers, scheme, handedOver, nullptr, {});
                         return report.applied() == 0 && !report.empty();
                     }},
        UnlockedCase{"Restore",
                     [](const WriterLock& lock, const std::wstring&) {
                         return !ClearRoleSettings(lock) && !RemoveAppliedFiles(lock);
                     }},
        UnlockedCase{"Export",
                     [](const WriterLock& lock, const std::wstring& scratch) {
                         return ExportInForce(lock, scratch + L"\\export").folderError == ERROR_NOT_LOCKED &&
                                !FolderExists(scratch + L"\\export");
                     }}),
    [](const testing::TestParamInfo<UnlockedCase>& info) { return std::string(info.param.name); });


// ---- export of the pointers in force ---------------------------------------------

// Where Arrow's value in force points; Wait's is empty (Windows' default).
enum class Named { Store, MachineSchemeUnexpanded, PackSetupInstalled, Nothing, GoneFile, NoCursor };

struct ExportCase {
    const char* name;
    Named named;
    bool exported;  // Arrow.ani is exported, byte for byte
    int failures;
};

void PrintTo(const ExportCase& row, std::ostream* os) { *os << row.name; }

class ExportOfWhatIsInForce : public ActionsTest, public testing::WithParamInterface<ExportCase> {};

TEST_P(ExportOfWhatIsInForce, TakesEachRolesFileFromItsValueWhereverItLies) {
    const ExportCase& row = GetParam();
    const std::wstring machine = windows / L"Cursors\\海浪\\";
    std::wstring file;
    std::wstring value;
    switch (row.named) {
    case Named::Store: value = file = AppliedFolder() + L"Arrow.ani"; break;
    case Named::MachineSchemeUnexpanded:
        file = machine + L"Arrow.ani";
        value = L"%SystemRoot%\\Cursors\\海浪\\Arrow.ani";
        break;
    case Named::PackSetupInstalled: value = file = machine + L"normal-select.cur"; break;
    case Named::GoneFile: value = files / L"gone.cur"; break;
    case Named::NoCursor: value = file = files / L"text.cur"; break;
    case Named::Nothing: break;
    }
    const Bytes bytes = row.named == Named::NoCursor ? Bytes{'n', 'o'} : MakeStaticCursor(4, 4, 0x00010203);
    if (!file.empty()) {
        EnsureFolderPath(file);
        WriteBytes(file, bytes);
    }
    if (!value.empty()) registry.SetString(L"Arrow", value, value.starts_with(L"%") ? REG_EXPAND_SZ : REG_SZ);
    registry.SetString(L"Wait", L"");
    const std::wstring target = files / L"导出";

    const ExportResult result = ExportInForce(held, target);

    EXPECT_EQ(result.folderError, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(result.exported, row.exported ? 1 : 0);
    EXPECT_EQ(result.failures.size(), static_cast<size_t>(row.failures));
    if (row.exported) {
        EXPECT_EQ(ListFolder(target), (std::vector<std::wstring>{L"Arrow.ani", L"install.inf"}));
        EXPECT_EQ(ReadBytes(target + L"\\Arrow.ani"), bytes);
    } else {
        EXPECT_TRUE(ListFolder(target).empty()) << "an export of nothing holds no install.inf";
    }
    EXPECT_EQ(RolesInForce(), value.empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Export, ExportOfWhatIsInForce,
                         testing::Values(ExportCase{"InTheStore", Named::Store, true, 0},
                                         ExportCase{"InAMachineSchemesFolderUnexpanded",
                                                    Named::MachineSchemeUnexpanded, true, 0},
                                         ExportCase{"InAPackWindowsSetupInstalled", Named::PackSetupInstalled, true, 0},
                                         ExportCase{"WindowsDefault", Named::Nothing, false, 0},
                                         ExportCase{"NamedFileGone", Named::GoneFile, false, 1},
                                         ExportCase{"NamedFileNoCursor", Named::NoCursor, false, 1}),
                         [](const testing::TestParamInfo<ExportCase>& info) { return std::string(info.param.name); });

// ---- Apply's outcome per role, as data ----------------------------------------

struct ApplyCase {
    const char* name;
    // Makes the role's source (returned) and any fault, given the Windows
    // folder and a scratch folder of the test's.
    std::function<std::wstring(const std::wstring& windows, const std::wstring& scratch,
                               std::unique_ptr<registry::ScopedWriteFault>& fault)>
        setUp;
    RoleOutcome::Kind kind;
    RoleOutcome::Problem problem;
    DWORD error;                      // the Windows error the outcome carries
    CursorProblem::Kind cursor;       // how the cursor problem classifies
};

void PrintTo(const ApplyCase& row, std::ostream* os) { *os << row.name; }

class ApplyOutcomes : public ActionsTest, public testing::WithParamInterface<ApplyCase> {};

TEST_P(ApplyOutcomes, SayWhatBecameOfTheRoleAsData) {
    const ApplyCase& row = GetParam();
    WorkingScheme scheme;
    std::unique_ptr<registry::ScopedWriteFault> fault;
    scheme.RoleCursorFile(kWait) = row.setUp(windows.Path(), files.Path(), fault);
    scheme.SetRoleChanged(kWait, true);
    NoPointers pointers;
    HCURSOR handedOver = nullptr;
    std::vector<RoleOutcome> told;
    const SkipReport report = ApplyChangedRoles(held, pointers, scheme, handedOver, nullptr,
                                                [&](int, const RoleOutcome& outcome) { told.push_back(outcome); });
    SetFailWritesUnder({});

    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, row.kind);
    EXPECT_EQ(told[0].problem, row.problem);
    EXPECT_EQ(told[0].error, row.error);
    EXPECT_EQ(told[0].cursor.Classify(), row.cursor);
    EXPECT_EQ(report.applied(), row.kind == RoleOutcome::Kind::Applied ? 1 : 0);
    EXPECT_EQ(DescribeOutcome(told[0]).empty(), row.problem == RoleOutcome::Problem::None);
    // A role left unchanged names no file of this Apply, and nothing is left half-written.
    if (row.kind != RoleOutcome::Kind::Applied) {
        EXPECT_FALSE(registry.Exists(L"Wait"));
    }
    for (const std::wstring& file : ListFolder(AppliedFolder())) EXPECT_FALSE(file.starts_with(L"~")) << "left: " << file;
}

using Problem = RoleOutcome::Problem;
INSTANTIATE_TEST_SUITE_P(
    Apply, ApplyOutcomes,
    testing::Values(
        ApplyCase{"Applied",
                  [](const std::wstring&, const std::wstring& scratch, auto&) {
                      WriteStaticCursor(scratch + L"\\good.cur", 3, 3);
                      return scratch + L"\\good.cur";
                  },
                  RoleOutcome::Kind::Applied, Problem::None, ERROR_SUCCESS, CursorProblem::Kind::None},
        ApplyCase{"SourceGone",
                  [](const std::wstring&, const std::wstring& scratch, auto&) { return scratch + L"\\gone.cur"; },
                  RoleOutcome::Kind::Unchanged, Problem::SourceMissing, ERROR_SUCCESS, CursorProblem::Kind::None},
        ApplyCase{"NotACursor",
                  [](const std::wstring&, const std::wstring& scratch, auto&) {
                      WriteBytes(scratch + L"\\text.cur", {'h', 'e', 'l', 'l', 'o'});
                      return scratch + L"\\text.cur";
                  },
                  RoleOutcome::Kind::Unchanged, Problem::NotACursor, ERROR_SUCCESS, CursorProblem::Kind::BadContent},
        ApplyCase{"FileWhereTheStoresFolderGoes",
                  [](const std::wstring&, const std::wstring& scratch, auto&) {
                      const std::wstring applied = AppliedFolder();
                      WriteBytes(applied.substr(0, applied.size() - 1), {'x'});
                      WriteStaticCursor(scratch + L"\\good.cur", 3, 3);
                      return scratch + L"\\good.cur";
                  },
                  RoleOutcome::Kind::Unchanged, Problem::FolderNotWritable, ERROR_ALREADY_EXISTS,
                  CursorProblem::Kind::None},
        ApplyCase{"TheStoreRefusesWrites",
                  [](const std::wstring&, const std::wstring& scratch, auto&) {
                      SetFailWritesUnder(AppliedFolder(), ERROR_DISK_FULL);
                      WriteStaticCursor(scratch + L"\\good.cur", 3, 3);
                      return scratch + L"\\good.cur";
                  },
                  RoleOutcome::Kind::Unchanged, Problem::FolderNotWritable, ERROR_DISK_FULL,
                  CursorProblem::Kind::None},
        ApplyCase{"RegistryRefuses",
                  [](const std::wstring&, const std::wstring& scratch, auto& fault) {
                      fault = std::make_unique<registry::ScopedWriteFault>(L"Wait", ERROR_ACCESS_DENIED);
                      WriteStaticCursor(scratch + L"\\good.cur", 3, 3);
                      return scratch + L"\\good.cur";
                  },
                  RoleOutcome::Kind::Unchanged, Problem::RegistryNotWritten, ERROR_ACCESS_DENIED,
                  CursorProblem::Kind::None}),
    [](const testing::TestParamInfo<ApplyCase>& info) { return std::string(info.param.name); });

// ---- Staging several copies at once ----------------------------------------------

// Where one request of a batch goes and what it holds.
struct StageEntry {
    enum class Place { Folder, RefusedFolder, MissingFolder } place;
    bool cursor;    // the bytes are a cursor (else plain text)
    bool check;     // checkCursor
    bool keepHeld;  // keepHeld
    WriteProblem::Kind expected;
};
struct StageCase {
    const char* name;
    std::vector<StageEntry> entries;
};
void PrintTo(const StageCase& row, std::ostream* os) { *os << row.name; }

class StagingTogether : public testing::TestWithParam<StageCase> {
protected:
    ScratchFolder files{L"stage"};
};

// Each request comes out as StageBytes would make it alone, in the order
// asked, whatever befalls the others: a copy beside its destination holding
// exactly the bytes, held against writers when asked, and gone with the
// result; a refusal named for its own request only.
TEST_P(StagingTogether, GivesEachRequestItsOwnOutcome) {
    const StageCase& row = GetParam();
    CreateDirectoryW((files / L"ok").c_str(), nullptr);
    CreateDirectoryW((files / L"refused").c_str(), nullptr);
    std::vector<Bytes> bytes;
    std::vector<StageRequest> requests;
    bytes.reserve(row.entries.size());
    for (size_t i = 0; i < row.entries.size(); ++i) {
        const StageEntry& entry = row.entries[i];
        const wchar_t* folder = entry.place == StageEntry::Place::Folder          ? L"ok"
                                : entry.place == StageEntry::Place::RefusedFolder ? L"refused"
                                                                                  : L"missing";
        bytes.push_back(entry.cursor ? MakeStaticCursor(static_cast<int>(i), 1) : Bytes{'t', 'e', 'x', 't'});
        requests.push_back({files / (std::wstring(folder) + L"\\Role" + std::to_wstring(i) + L".cur"), &bytes.back(), entry.check,
                            entry.keepHeld});
    }
    SetFailWritesUnder(files / L"refused", ERROR_WRITE_FAULT);
    int ranWhileFlushing = 0;
    std::vector<std::wstring> copies;
    {
        std::vector<StagedFile> staged = StageAll(requests, [&] { ++ranWhileFlushing; });
        SetFailWritesUnder({});
        EXPECT_EQ(ranWhileFlushing, 1);
        ASSERT_EQ(staged.size(), row.entries.size());
        for (size_t i = 0; i < staged.size(); ++i) {
            const StageEntry& entry = row.entries[i];
            const std::wstring& copy = staged[i].file.path();
            EXPECT_EQ(staged[i].problem.kind, entry.expected) << "request " << i;
            EXPECT_TRUE(copy.ends_with(L"\\~Role" + std::to_wstring(i) + L".cur.tmp")) << ToUtf8(copy);
            if (entry.expected == WriteProblem::Kind::None) {
                EXPECT_EQ(ReadBytes(copy), bytes[i]) << "request " << i;
                const UniqueFile writer(CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, 0, nullptr));
                EXPECT_EQ(static_cast<bool>(writer), !entry.keepHeld) << "request " << i;
            } else {
                EXPECT_EQ(staged[i].problem.path, requests[i].destination);
                EXPECT_FALSE(staged[i].held) << "request " << i;
            }
            copies.push_back(copy);
        }
    }
    for (const std::wstring& copy : copies) EXPECT_FALSE(FileExists(copy)) << "left: " << ToUtf8(copy);
}

using Place = StageEntry::Place;
using Staged = WriteProblem::Kind;
INSTANTIATE_TEST_SUITE_P(
    Batch, StagingTogether,
    testing::Values(
        StageCase{"One", {{Place::Folder, true, true, false, Staged::None}}},
        StageCase{"SeveralHeldAndNot",
                  {{Place::Folder, true, false, true, Staged::None},
                   {Place::Folder, true, false, false, Staged::None},
                   {Place::Folder, true, true, true, Staged::None},
                   {Place::Folder, true, false, false, Staged::None},
                   {Place::Folder, true, false, true, Staged::None}}},
        StageCase{"ARefusedWriteAmongOthers",
                  {{Place::Folder, true, true, true, Staged::None},
                   {Place::RefusedFolder, true, true, true, Staged::NotWritten},
                   {Place::Folder, true, true, false, Staged::None}}},
        StageCase{"AMissingFolderAmongOthers",
                  {{Place::MissingFolder, true, true, false, Staged::NotWritten},
                   {Place::Folder, true, true, true, Staged::None}}},
        StageCase{"NotACursorOnlyWhereChecked",
                  {{Place::Folder, false, true, true, Staged::NotACursor},
                   {Place::Folder, false, false, false, Staged::None},
                   {Place::Folder, true, true, true, Staged::None}}}),
    [](const testing::TestParamInfo<StageCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

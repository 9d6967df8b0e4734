// The way back: the states recorded before each change, undo walking back
// through them byte-exact, the history's bound and its files, and undo
// refusing whole when what it would bring back is gone or damaged.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "scheme/Actions.h"
#include "scheme/Apply.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/History.h"
#include "scheme/Restore.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Raii.h"

namespace shubiao {
namespace {

using namespace test;

constexpr int kArrow = 2;
constexpr int kHand = 4;
constexpr int kWait = 15;

class QuietPointers : public PointerSystem {
public:
    bool SetSystemCursor(HCURSOR, DWORD) override { return false; }
    bool ReloadSystemCursors() override { return false; }
};

// One role as it stands: its value (type and text, nullopt when absent) and
// the bytes of the file it names.
struct RoleNow {
    std::optional<std::wstring> text;
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};
using Pointers = std::vector<RoleNow>;

class HistoryTest : public testing::Test {
public:
    void SetUp() override {
        // What the user had: Arrow through an environment reference, Hand
        // at Windows' default, Wait absent.
        WriteStaticCursor(windows / L"mine.cur", 1, 1, 0x00112233);
        registry.SetString(L"Arrow", L"%windir%\\mine.cur", REG_EXPAND_SZ);
        registry.SetString(L"Hand", L"");
        ASSERT_EQ(library::SetInForce(L"我的方案", 1), ERROR_SUCCESS);
        for (int i = 0; i < 3; ++i) {
            WriteStaticCursor(files / (L"arrow" + std::to_wstring(i) + L".cur"), 2 + i, 2, 0x00400000 * (i + 1));
            WriteStaticCursor(files / (L"wait" + std::to_wstring(i) + L".cur"), 3 + i, 3, 0x00004000 * (i + 1));
        }
    }

    // Apply of Arrow and Wait from pack `n` (0..2).
    void Apply(int n) {
        WorkingScheme scheme;
        scheme.RoleCursorFile(kArrow) = files / (L"arrow" + std::to_wstring(n) + L".cur");
        scheme.RoleCursorFile(kWait) = files / (L"wait" + std::to_wstring(n) + L".cur");
        scheme.SetRoleChanged(kArrow, true);
        scheme.SetRoleChanged(kWait, true);
        HCURSOR handedOver = nullptr;
        ASSERT_EQ(ApplyChangedRoles(held, pointers, scheme, handedOver, nullptr, {}).applied(), 2);
    }
    void Restore() {
        ASSERT_TRUE(ClearRoleSettings(held));
        ASSERT_TRUE(RemoveAppliedFiles(held));
    }
    // 使用 of a user scheme naming pack 2's files.
    void Use() {
        registry.SetScheme(false, L"用户方案", files / L"arrow2.cur" + L",,," + files / L"wait2.cur");
        for (const library::SchemeEntry& entry : library::ReadSchemeLists().schemes) {
            if (entry.name == L"用户方案") {
                ASSERT_EQ(UseScheme(held, entry).kind, SchemeUsed::Kind::Used);
            }
        }
    }

    Pointers Now() const {
        Pointers now;
        for (const CursorRole& role : kRoles) {
            RoleNow one;
            one.text = registry.GetString(std::wstring(role.valueName), &one.type);
            if (one.text && !one.text->empty()) one.bytes = ReadBytes(ExpandEnvironment(*one.text));
            now.push_back(one);
        }
        // The scheme in force after the roles: its name and where it is listed.
        const library::InForce scheme = library::ReadInForce();
        now.push_back({scheme.name, REG_SZ, {}});
        now.push_back({std::to_wstring(scheme.source), REG_DWORD, {}});
        return now;
    }
    // `now` is `then` again: every role present or absent as then, naming
    // the same bytes; and a value whose file still holds those bytes is the
    // very text, of the very type, it was.
    static void ExpectSame(const Pointers& now, const Pointers& then, const char* step) {
        for (const CursorRole& role : kRoles) {
            const RoleNow& a = now[RoleIndex(role.number)];
            const RoleNow& b = then[RoleIndex(role.number)];
            SCOPED_TRACE(std::string(step) + ", role " + std::to_string(role.number));
            ASSERT_EQ(a.text.has_value(), b.text.has_value());
            EXPECT_EQ(a.bytes, b.bytes);
            if (b.text && (b.text->empty() || ReadBytes(ExpandEnvironment(*b.text)) == b.bytes)) {
                EXPECT_EQ(*a.text, *b.text);
                EXPECT_EQ(a.type, b.type);
            }
        }
        const size_t roles = kRoleCount;
        ASSERT_EQ(now.size(), roles + 2);
        EXPECT_EQ(now[roles].text, then[roles].text) << step << ": the scheme's name";
        EXPECT_EQ(now[roles + 1].text, then[roles + 1].text) << step << ": the scheme's list";
    }

    std::wstring History() const { return HistoryFolder(); }
    history::IndexRead Index() const { return history::ReadIndex(ReadBytes(History() + L"index")); }
    // Everything undo could change: the settings, the Windows folder, the store.
    std::vector<std::wstring> Everything() const {
        std::vector<std::wstring> all = ScratchRegistry::Snapshot(registry.CursorsSubkey());
        for (const std::wstring& folder : {windows.Path() + L"\\Cursors\\Cursors\\", AppliedFolder(), History()}) {
            for (const std::wstring& name : ListFolder(folder)) {
                const std::vector<std::uint8_t> bytes = ReadBytes(folder + name);
                all.push_back(folder + name + L" " + std::to_wstring(bytes.size()) + L" " +
                              std::wstring(bytes.begin(), bytes.end()));
            }
        }
        return all;
    }

    ScratchRegistry registry;
    ScratchFolder windows{L"hw"};
    ScopedWindir windir{windows.Path()};
    ScopedStore store{L"hs"};
    ScratchFolder files{L"hf"};
    WriterLock held{0};  // the user's lock, a file in the scratch store
    QuietPointers pointers;
};

// ---- two changes, then undo, undo ------------------------------------------

struct Walk {
    const char* name;
    std::function<void(HistoryTest&)> first;
    std::function<void(HistoryTest&)> second;
};
void PrintTo(const Walk& row, std::ostream* os) { *os << row.name; }

class UndoWalksBack : public HistoryTest, public testing::WithParamInterface<Walk> {};

TEST_P(UndoWalksBack, ToEachStateByteExact) {
    const Pointers before = Now();
    GetParam().first(*this);
    const Pointers middle = Now();
    GetParam().second(*this);

    EXPECT_EQ(UndoLastChange(held, pointers).kind, UndoOutcome::Kind::Undone);
    ExpectSame(Now(), middle, "first undo");
    EXPECT_EQ(UndoLastChange(held, pointers).kind, UndoOutcome::Kind::Undone);
    ExpectSame(Now(), before, "second undo");
    EXPECT_EQ(UndoLastChange(held, pointers).kind, UndoOutcome::Kind::NothingToUndo);
    ExpectSame(Now(), before, "nothing left");
}

INSTANTIATE_TEST_SUITE_P(
    Changes, UndoWalksBack,
    testing::Values(Walk{"ApplyThenApply", [](HistoryTest& t) { t.Apply(0); },
                         [](HistoryTest& t) { t.Apply(1); }},
                    Walk{"ApplyThenRestore", [](HistoryTest& t) { t.Apply(0); },
                         [](HistoryTest& t) { t.Restore(); }},
                    Walk{"UseThenApply", [](HistoryTest& t) { t.Use(); },
                         [](HistoryTest& t) { t.Apply(1); }},
                    Walk{"RestoreThenUse", [](HistoryTest& t) { t.Restore(); },
                         [](HistoryTest& t) { t.Use(); }}),
    [](const testing::TestParamInfo<Walk>& info) { return std::string(info.param.name); });

// Ten states are kept and the eleventh drops the oldest; the folder holds
// each file once, and none that no state names.
TEST_F(HistoryTest, KeepsTenStatesAndEachFileOnce) {
    for (int i = 0; i < 12; ++i) Apply(i % 2);
    const history::IndexRead index = Index();
    ASSERT_TRUE(index.ok());
    ASSERT_EQ(index.states.size(), history::kMaxStates);
    std::set<std::string> named;
    for (const history::RecordedState& state : index.states) {
        // The state the user had first (their own Arrow) was dropped.
        EXPECT_EQ(state.roles[RoleIndex(kArrow)].text.find(u"mine.cur"), std::u16string::npos);
        for (const history::RecordedValue& value : state.roles) {
            if (!value.content.empty()) named.insert(value.content);
        }
    }
    EXPECT_EQ(named.size(), 4u);  // packs 0 and 1, Arrow and Wait
    std::set<std::string> kept;
    for (const std::wstring& name : ListFolder(History())) {
        if (name != L"index") kept.insert(std::string(name.begin(), name.end()));
    }
    EXPECT_EQ(kept, named);
}

// Changed behind ShuBiao's back: undo goes back to what the user had then.
TEST_F(HistoryTest, RecordsWhatWasChangedBehindItsBackFirst) {
    Apply(0);
    WriteStaticCursor(files / L"settings.cur", 7, 7, 0x00777777);
    registry.SetString(L"Arrow", files / L"settings.cur");
    const Pointers changed = Now();
    Apply(1);
    ASSERT_EQ(UndoLastChange(held, pointers).kind, UndoOutcome::Kind::Undone);
    ExpectSame(Now(), changed, "undo");
}

// ---- changed behind its back, keeping the size --------------------------------

// Stands for a write in a later tick of the file system's clock: the history
// tells a file it knows apart by its size and last-write time, and two
// writes within one tick (a few milliseconds) share the time.
void MoveLastWriteOn(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    FILETIME written{};
    ASSERT_TRUE(GetFileTime(file.get(), nullptr, nullptr, &written));
    ULARGE_INTEGER time{{written.dwLowDateTime, written.dwHighDateTime}};
    time.QuadPart += 10'000'000;  // one second
    written = {time.LowPart, time.HighPart};
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written));
}

struct SameSizeChange {
    const char* name;
    std::function<void(HistoryTest&, const std::wstring& file)> change;
};
void PrintTo(const SameSizeChange& row, std::ostream* os) { *os << row.name; }

class RecordNotices : public HistoryTest, public testing::WithParamInterface<SameSizeChange> {};

// Another program changes the copy Apply placed, to a cursor of the same
// size: the next change records it, so undo comes back to it.
TEST_P(RecordNotices, ACopyChangedKeepingItsSize) {
    Apply(0);
    const std::wstring copy = AppliedFolder() + Role(kArrow).FileName();
    const std::size_t size = ReadBytes(copy).size();
    GetParam().change(*this, copy);
    ASSERT_EQ(ReadBytes(copy).size(), size);
    const Pointers changed = Now();
    Apply(1);
    ASSERT_EQ(UndoLastChange(held, pointers).kind, UndoOutcome::Kind::Undone);
    ExpectSame(Now(), changed, "undo");
}

INSTANTIATE_TEST_SUITE_P(
    Changes, RecordNotices,
    testing::Values(SameSizeChange{"RewrittenInPlace",
                                   [](HistoryTest&, const std::wstring& file) {
                                       WriteStaticCursor(file, 5, 5, 0x00ABCDEF);
                                       MoveLastWriteOn(file);
                                   }},
                    SameSizeChange{"ReplacedByAnother",
                                   [](HistoryTest& t, const std::wstring& file) {
                                       const std::wstring other = t.files / L"other.cur";
                                       WriteStaticCursor(other, 6, 6, 0x00FEDCBA);
                                       MoveLastWriteOn(other);
                                       ASSERT_TRUE(MoveFileExW(other.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
                                   }}),
    [](const testing::TestParamInfo<SameSizeChange>& info) { return std::string(info.param.name); });

// ---- undo refuses whole ----------------------------------------------------

struct Fault {
    const char* name;
    // Damages the history of one Apply over the user's own pointers.
    std::function<void(const std::wstring& history, const history::RecordedState& first)> damage;
    UndoOutcome::Kind kind;
    std::vector<int> lost;  // the roles undo names
};
void PrintTo(const Fault& row, std::ostream* os) { *os << row.name; }

class UndoRefuses : public HistoryTest, public testing::WithParamInterface<Fault> {};

TEST_P(UndoRefuses, NamingWhatItCannotBringBackAndChangingNothing) {
    WriteStaticCursor(windows / L"hand.cur", 4, 4);
    registry.SetString(L"Hand", windows / L"hand.cur");
    Apply(0);
    const history::IndexRead index = Index();
    ASSERT_TRUE(index.ok());
    ASSERT_EQ(index.states.size(), 1u);
    GetParam().damage(History(), index.states[0]);
    const std::vector<std::wstring> before = Everything();

    const UndoOutcome outcome = UndoLastChange(held, pointers);
    EXPECT_EQ(outcome.kind, GetParam().kind);
    std::vector<int> lost;
    for (const auto& [role, why] : outcome.lost) {
        lost.push_back(role);
        EXPECT_FALSE(why.empty());
    }
    EXPECT_EQ(lost, GetParam().lost);
    EXPECT_EQ(Everything(), before);
    if (outcome.kind == UndoOutcome::Kind::History) {
        EXPECT_FALSE(DescribeHistoryProblem(outcome.history).empty());
    }
}

std::wstring KeptFile(const std::wstring& history, const history::RecordedState& state, int role) {
    const std::string& content = state.roles[RoleIndex(role)].content;
    return history + std::wstring(content.begin(), content.end());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UndoRefuses,
    testing::Values(
        Fault{"KeptFileGone",
              [](const std::wstring& h, const auto& s) { DeleteFileW(KeptFile(h, s, kArrow).c_str()); },
              UndoOutcome::Kind::FilesLost, {kArrow}},
        Fault{"KeptFilesChanged",
              [](const std::wstring& h, const auto& s) {
                  WriteStaticCursor(KeptFile(h, s, kArrow), 9, 9);
                  WriteBytes(KeptFile(h, s, kHand), {'n', 'o'});
              },
              UndoOutcome::Kind::FilesLost, {kArrow, kHand}},
        Fault{"IndexCutShort",
              [](const std::wstring& h, const auto&) {
                  std::vector<std::uint8_t> index = ReadBytes(h + L"index");
                  index.resize(index.size() - 30);
                  WriteBytes(h + L"index", index);
              },
              UndoOutcome::Kind::History, {}},
        Fault{"IndexReplaced", [](const std::wstring& h, const auto&) { WriteBytes(h + L"index", {'M', 'Z'}); },
              UndoOutcome::Kind::History, {}},
        Fault{"NothingRecorded", [](const std::wstring& h, const auto&) { RemoveTree(h.substr(0, h.size() - 1)); },
              UndoOutcome::Kind::NothingToUndo, {}}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

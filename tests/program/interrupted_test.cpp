// ShuBiaoCmd ended at a step of its work, as a kill or a power cut would end
// it (the test build stops itself there: SHUBIAO_TEST_STOP_AT): every value
// still names a whole, usable file, the history reads as a whole whose older
// states are the ones it had, and the next run goes through.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/Store.h"
#include "scheme/formats/HistoryIndex.h"
#include "support/ConsoleSupport.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;

enum class Verb { Apply, Use, Undo };

struct StopCase {
    const char* name;
    Verb verb;
    const char* step;  // as the actions mark it
    int count;         // at which end of that step
};

void PrintTo(const StopCase& row, std::ostream* os) { *os << row.name; }

class StoppedRun : public testing::TestWithParam<StopCase> {
protected:
    StoppedRun() {
        env.Set(L"SHUBIAO_TEST_CURSORS_KEY", L"HKEY_CURRENT_USER\\" + registry.CursorsSubkey());
        env.Set(L"SHUBIAO_TEST_SYSTEM_KEY", L"HKEY_CURRENT_USER\\" + registry.SystemSchemesSubkey());
        env.Set(L"SHUBIAO_TEST_ADMIN", L"1");
        env.Set(L"SHUBIAO_TEST_SYSTEMROOT", windows.Path());
    }

    // A pack of every role, its files named as Windows names the pointers,
    // the hot spots' rows `row` so that two packs differ in every file.
    std::wstring Pack(const std::wstring& name, int row) {
        const std::wstring folder = packs / name;
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const CursorRole& role : kRoles) {
            WriteStaticCursor(folder + L"\\" + kPurposeNames[static_cast<size_t>(role.number - 1)] + L".cur",
                              role.number, row);
        }
        return folder;
    }
    std::vector<std::uint8_t> Index() const { return ReadBytes(HistoryFolder() + L"index"); }

    ScratchRegistry registry;
    ScratchFolder windows{L"swin"};
    ScopedWindir windir{windows.Path()};
    ScopedStore store;
    ScratchFolder packs{L"spk"};
    ScopedEnvironment env;
};

TEST_P(StoppedRun, LeavesEveryValueNamingAWholeFileAndTheHistoryWhole) {
    const StopCase& row = GetParam();
    const std::wstring first = Pack(L"甲", 1);
    const std::wstring second = Pack(L"乙", 20);
    const ConsoleRun setUp = RunVerbHere({L"apply", first});
    ASSERT_EQ(setUp.code, 0u) << ToUtf8(setUp.out) << ToUtf8(setUp.err);
    std::vector<std::wstring> args;
    switch (row.verb) {
    case Verb::Apply:
        args = {L"apply", second};
        break;
    case Verb::Use:
        ASSERT_EQ(RunVerbHere({L"install", second, L"--name", L"乙"}).code, 0u);
        args = {L"use", L"乙"};
        break;
    case Verb::Undo:
        ASSERT_EQ(RunVerbHere({L"apply", second}).code, 0u);
        args = {L"undo"};
        break;
    }
    const history::IndexRead before = history::ReadIndex(Index());
    ASSERT_TRUE(before.ok());

    {
        ScopedEnvironment stop;
        stop.Set(L"SHUBIAO_TEST_STOP_AT", FromUtf8(row.step).value_or(L""));
        stop.Set(L"SHUBIAO_TEST_STOP_AT_COUNT", std::to_wstring(row.count));
        const ConsoleRun run = RunConsole(L"ShuBiaoCmdTest.exe", args);
        ASSERT_EQ(run.code, 99u) << "never reached the step; " << ToUtf8(run.out) << ToUtf8(run.err);
    }

    for (const CursorRole& role : kRoles) {
        const auto value = registry.GetString(std::wstring(role.valueName));
        if (!value || value->empty()) continue;
        const CursorBytes named = ReadCursorBytes(ExpandEnvironment(*value));
        EXPECT_EQ(named.error, static_cast<DWORD>(ERROR_SUCCESS)) << ToUtf8(role.valueName) << " names " << ToUtf8(*value);
        EXPECT_TRUE(named.check.ok()) << ToUtf8(role.valueName) << " names " << ToUtf8(*value);
    }
    const history::IndexRead after = history::ReadIndex(Index());
    ASSERT_TRUE(after.ok()) << "the history's index is damaged";
    for (size_t i = 0; i < after.states.size(); ++i) {
        for (const history::RecordedValue& value : after.states[i].roles) {
            if (value.content.empty()) continue;
            const std::wstring kept = HistoryFolder() + std::wstring(value.content.begin(), value.content.end());
            EXPECT_TRUE(ReadCursorBytes(kept).check.ok()) << "state " << i << " names a file not kept whole";
        }
        // Every state but the newest is one the history had.
        if (i + 1 == after.states.size()) continue;
        bool had = false;
        for (const history::RecordedState& old : before.states) {
            had = had || (old.SameAs(after.states[i]) && old.time == after.states[i].time);
        }
        EXPECT_TRUE(had) << "state " << i << " is new or changed";
    }

    const ConsoleRun again = RunVerbHere(args);
    EXPECT_EQ(again.code, 0u) << ToUtf8(again.out) << ToUtf8(again.err);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StoppedRun,
    testing::Values(StopCase{"ApplyAfterTheHistorysIndex", Verb::Apply, "write the history's index", 1},
                    StopCase{"ApplyWithEveryCopyStaged", Verb::Apply,
                             "write, flush and read back the copies beside the destinations", 1},
                    StopCase{"ApplyAmongTheCopiesMovedIn", Verb::Apply, "put the copy in place", 6},
                    StopCase{"UseAmongTheSettings", Verb::Use, "write the setting", 8},
                    StopCase{"UndoAmongTheSettings", Verb::Undo, "write the setting", 8}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

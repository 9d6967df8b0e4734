// One writer of the pointers at a time: the lock itself, and the editor's
// Apply and Restore while another writer holds it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <vector>
#include <thread>

#include "editor/SchemeDialogs.h"
#include "scheme/CursorRole.h"
#include "scheme/Store.h"
#include "scheme/WriterLock.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Another writer: a thread that takes the lock of `scope`, holds it for
// `holdMs` and then releases it. With `abandon` it holds the Machine lock's
// fallback mutex by its name and ends without releasing it.
class OtherWriter {
public:
    OtherWriter(WriteScope scope, DWORD holdMs, bool abandon = false) {
        thread_ = std::thread([=, this] {
            if (abandon) {
                HANDLE mutex = CreateMutexW(nullptr, FALSE, WriterLockName());
                WaitForSingleObject(mutex, INFINITE);
                holding_ = true;
                Sleep(holdMs);
                CloseHandle(mutex);
                return;
            }
            const WriterLock lock(5000, false, scope);
            holding_ = true;
            Sleep(holdMs);
        });
        while (!holding_) Sleep(1);
    }
    ~OtherWriter() { thread_.join(); }

private:
    std::atomic<bool> holding_{false};
    std::thread thread_;
};

struct LockCase {
    const char* name;
    WriteScope scope;
    bool other;         // another writer holds the lock when the wait starts
    DWORD otherHoldMs;  // for how long
    bool abandon;       // and ends without releasing it
    DWORD waitMs;
    WriterLock::State expected;
};

class WriterLockWait : public testing::TestWithParam<LockCase> {
protected:
    ScopedStore store;
};

TEST_P(WriterLockWait, TakesTheLockOrGivesUpAfterTheWait) {
    const LockCase& row = GetParam();
    const WriteScope otherScope = row.scope == WriteScope::User ? WriteScope::Machine : WriteScope::User;
    std::unique_ptr<OtherWriter> other;
    if (row.other) other = std::make_unique<OtherWriter>(row.scope, row.otherHoldMs, row.abandon);
    const ULONGLONG start = GetTickCount64();
    {
        const WriterLock lock(row.waitMs, false, row.scope);
        EXPECT_EQ(lock.state(), row.expected);
        if (row.expected == WriterLock::State::TimedOut) {
            EXPECT_GE(GetTickCount64() - start + 20, row.waitMs) << "gave up before the wait was over";
        }
        // The proof covers its own scope only.
        EXPECT_EQ(lock.Covers(row.scope), lock.held());
        EXPECT_FALSE(lock.Covers(otherScope));
        // The other scope's lock is another lock: it is free meanwhile.
        const WriterLock beside(0, false, otherScope);
        EXPECT_TRUE(beside.held());
    }
    // Released with the object: another one gets it at once.
    other.reset();
    const WriterLock again(0, false, row.scope);
    EXPECT_TRUE(again.held());
}

INSTANTIATE_TEST_SUITE_P(
    Lock, WriterLockWait,
    testing::Values(
        LockCase{"UserFree", WriteScope::User, false, 0, false, 0, WriterLock::State::Held},
        LockCase{"UserHeldPastTheWait", WriteScope::User, true, 500, false, 250, WriterLock::State::TimedOut},
        LockCase{"UserReleasedWithinTheWait", WriteScope::User, true, 150, false, 5000, WriterLock::State::Held},
        LockCase{"MachineFree", WriteScope::Machine, false, 0, false, 0, WriterLock::State::Held},
        LockCase{"MachineHeldPastTheWait", WriteScope::Machine, true, 500, false, 250, WriterLock::State::TimedOut},
        LockCase{"MachineReleasedWithinTheWait", WriteScope::Machine, true, 150, false, 5000,
                 WriterLock::State::Held},
        LockCase{"MachineAbandonedByItsHolder", WriteScope::Machine, true, 150, true, 5000,
                 WriterLock::State::Held}),
    [](const testing::TestParamInfo<LockCase>& info) { return info.param.name; });

// Where the User lock lives and what it needs: a file in the store the
// test plays in, which follows the store; a store that cannot hold it is a
// failure at once, not a wait.
struct UserLockCase {
    const char* name;
    bool fileWhereTheStoreGoes;
    WriterLock::State expected;
};

class UserLockFile : public testing::TestWithParam<UserLockCase> {};

TEST_P(UserLockFile, LiesInTheStoreItPlaysIn) {
    const UserLockCase& row = GetParam();
    ScratchFolder place{L"lk"};
    const std::wstring roaming = place / L"roaming";
    if (row.fileWhereTheStoreGoes) WriteBytes(roaming, {'x'});
    SetStoreFolders(roaming, place / L"local");
    const ULONGLONG start = GetTickCount64();
    {
        const WriterLock lock(2000, false);
        EXPECT_EQ(lock.state(), row.expected);
        EXPECT_EQ(lock.where(), roaming + L"\\" + kWriterLockFile);
        EXPECT_EQ(FileExists(lock.where()), row.expected == WriterLock::State::Held);
        if (row.expected == WriterLock::State::Failed) {
            EXPECT_NE(lock.error(), static_cast<DWORD>(ERROR_SUCCESS));
        }
    }
    EXPECT_LT(GetTickCount64() - start, 1000u) << "waited for a lock no one holds";
    SetStoreFolders({}, {});
}

INSTANTIATE_TEST_SUITE_P(Lock, UserLockFile,
                         testing::Values(UserLockCase{"StoreMadeForIt", false, WriterLock::State::Held},
                                         UserLockCase{"AFileWhereTheStoreGoes", true, WriterLock::State::Failed}),
                         [](const testing::TestParamInfo<UserLockCase>& info) { return info.param.name; });

// Under Wine kernel32 has no private namespaces (CreateBoundaryDescriptorW is
// a stub that returns NULL): the Machine lock falls back to the named mutex,
// which another holder of that name then blocks. Where the namespace is
// made, that name blocks nothing.
TEST(MachineLock, FallsBackToTheGlobalMutexWithoutAPrivateNamespace) {
    const WriterLock lock(0, false, WriteScope::Machine);
    ASSERT_TRUE(lock.held());
    if (UnderWine()) {
        EXPECT_FALSE(lock.privateNamespace());
    }
    EXPECT_EQ(lock.where() == WriterLockName(), !lock.privateNamespace()) << testing::PrintToString(lock.where());
    DWORD waited = WAIT_FAILED;
    std::thread([&] {
        const UniqueHandle mutex(CreateMutexW(nullptr, FALSE, WriterLockName()));
        waited = WaitForSingleObject(mutex.get(), 0);
        if (waited == WAIT_OBJECT_0) ReleaseMutex(mutex.get());
    }).join();
    EXPECT_EQ(waited, lock.privateNamespace() ? static_cast<DWORD>(WAIT_OBJECT_0) : static_cast<DWORD>(WAIT_TIMEOUT));
}

// The editor while another ShuBiao holds the lock: Apply and Restore
// wait without freezing, then say so and change nothing.
class EditorWaitsForWriter : public EditorTest {
protected:
    void SetUp() override {
        editor.ChuShiShuBiao();
        editor.SetWriterLockWait(400);
    }
    ScratchFolder files{L"lock"};
};

TEST_F(EditorWaitsForWriter, ApplyAnswersMessagesWhileWaitingThenChangesNothing) {
    const std::wstring arrow = files / L"arrow.cur";
    WriteStaticCursor(arrow, 1, 1);
    Choose(2, arrow);
    OtherWriter other(WriteScope::User, 650);

    // Another thread sends the host a message in the middle of the wait: the
    // window answers it while the editor still waits.
    std::atomic<bool> waiting{false};
    std::atomic<bool> answered{false};
    const HWND window = host.hwnd();
    std::thread sender([&] {
        Sleep(150);
        waiting = editor.WaitingForWriterLock();
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) != 0;
    });
    const ULONGLONG start = GetTickCount64();
    desktop.boxAnswers.push_back(IDOK);
    editor.YingYong_SB_Click();
    const ULONGLONG waited = GetTickCount64() - start;
    sender.join();
    EXPECT_TRUE(waiting) << "was not waiting for the lock";
    EXPECT_TRUE(answered) << "the window did not answer while waiting";
    EXPECT_GE(waited, 350u);

    ASSERT_EQ(desktop.Warnings().size(), 1u);
    EXPECT_NE(desktop.Warnings()[0].text.find(L"另一个 ShuBiao 正在更改鼠标指针"), std::wstring::npos);
    EXPECT_FALSE(registry.Exists(L"Arrow")) << "the setting was written";
    EXPECT_FALSE(FileExists(SchemeFolder() + L"Arrow.ani")) << "the file was copied";
    EXPECT_TRUE(editor.Scheme().Pending(2)) << "the choice is still pending";
}

TEST_F(EditorWaitsForWriter, ApplyGoesOnWhenTheOtherWriterFinishesWithinTheWait) {
    const std::wstring arrow = files / L"arrow.cur";
    WriteStaticCursor(arrow, 1, 1);
    Choose(2, arrow);
    editor.SetWriterLockWait(5000);
    OtherWriter other(WriteScope::User, 200);
    desktop.boxAnswers.push_back(IDOK);
    editor.YingYong_SB_Click();
    EXPECT_TRUE(desktop.Warnings().empty());
    EXPECT_EQ(registry.GetString(L"Arrow"), SchemeFolder() + L"Arrow.ani");
}

TEST_F(EditorWaitsForWriter, RestoreChangesNothingWhileAnotherWriterHoldsTheLock) {
    registry.SetString(L"Arrow", L"C:\\x\\Arrow.ani");
    OtherWriter other(WriteScope::User, 650);
    desktop.boxAnswers.push_back(IDOK);
    editor.HuanYuan_ShuBiaoZhiZhen();
    ASSERT_EQ(desktop.Warnings().size(), 1u);
    EXPECT_NE(desktop.Warnings()[0].text.find(L"另一个 ShuBiao"), std::wstring::npos);
    EXPECT_EQ(registry.GetString(L"Arrow"), L"C:\\x\\Arrow.ani") << "the setting was deleted";
    EXPECT_TRUE(desktop.startedPrograms.empty()) << "Mouse Properties was opened";
}

// 另存为方案, 导出方案 and the library's 删除 wait for the lock as Apply
// does; given up, they change nothing.
enum class EditorWrite { SaveAsScheme, ExportScheme, DeleteScheme };
struct EditorWriteCase {
    const char* name;
    EditorWrite write;
};

void PrintTo(const EditorWriteCase& row, std::ostream* os) { *os << row.name; }

class EditorWritesWaitForWriter : public EditorWaitsForWriter, public testing::WithParamInterface<EditorWriteCase> {
protected:
    std::vector<std::vector<std::wstring>> Everything() const {
        return {ScratchRegistry::Snapshot(registry.CursorsSubkey()),
                ScratchRegistry::Snapshot(registry.UserSchemesSubkey()), ListFolder(windows.Path()),
                ListFolder(files.Path())};
    }
};

TEST_P(EditorWritesWaitForWriter, ChangeNothingWhileAnotherWriterHoldsTheLock) {
    const std::wstring arrow = files / L"arrow.cur";
    WriteStaticCursor(arrow, 1, 1);
    Choose(2, arrow);
    ASSERT_TRUE(registry.SetScheme(false, L"甲", arrow));
    const auto before = Everything();
    editor.SetWriterLockWait(200);
    // Taken just before the write starts, so that a slow start (the 方案库
    // opening) cannot outlast it.
    std::optional<OtherWriter> other;
    const auto otherWriterHolds = [&other] { other.emplace(WriteScope::User, 400); };

    switch (GetParam().write) {
    case EditorWrite::SaveAsScheme:
        desktop.nameAnswers.push_back(L"等");
        otherWriterHolds();
        editor.Library().LingCunFangAn_Click();
        break;
    case EditorWrite::ExportScheme:
        desktop.saveAnswers.push_back(files / L"导出");
        otherWriterHolds();
        ClickButton(ShuBiaoKong::kDaoChuId);
        break;
    case EditorWrite::DeleteScheme: {
        desktop.boxAnswers.push_back(IDOK);
        ScopedDialogProbe probe([&](HWND dialog) {
            HWND list = GetDlgItem(dialog, kLibraryListId);
            ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            otherWriterHolds();
            SendMessageW(GetDlgItem(dialog, kLibraryDeleteId), BM_CLICK, 0, 0);
            SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        editor.Library().FangAnKu_Click();
        break;
    }
    }

    ASSERT_EQ(desktop.Warnings().size(), 1u);
    EXPECT_NE(desktop.Warnings()[0].text.find(L"另一个 ShuBiao 正在更改鼠标指针"), std::wstring::npos);
    EXPECT_EQ(Everything(), before);
}

INSTANTIATE_TEST_SUITE_P(Lock, EditorWritesWaitForWriter,
                         testing::Values(EditorWriteCase{"SaveAsScheme", EditorWrite::SaveAsScheme},
                                         EditorWriteCase{"ExportScheme", EditorWrite::ExportScheme},
                                         EditorWriteCase{"DeleteScheme", EditorWrite::DeleteScheme}),
                         [](const testing::TestParamInfo<EditorWriteCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

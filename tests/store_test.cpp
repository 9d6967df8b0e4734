// The user's own store: the window writes nothing under %windir% (settings
// that name files an earlier version put there keep working), two users on
// one machine never touch each other's pointers, and where Windows gives no
// store Apply says so and writes nothing.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/Store.h"
#include "support/ConsoleSupport.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;

constexpr int kArrow = 2;
constexpr int kWait = 15;

class StoreTest : public EditorTest {
public:
    // For the rows of the tables below.
    using EditorTest::ClickButton;
    using EditorTest::Choose;
    using EditorTest::desktop;
    using EditorTest::editor;
    using EditorTest::registry;

    std::wstring Cursor(const std::wstring& name, int hot, std::uint32_t colour) {
        const std::wstring path = files / name;
        WriteStaticCursor(path, hot, hot, colour);
        return path;
    }
    void Apply() {
        desktop.boxAnswers.push_back(IDOK);
        editor.YingYong_SB_Click();
    }
    void Restore() {
        desktop.boxAnswers.push_back(IDOK);
        editor.HuanYuan_ShuBiaoZhiZhen();
    }

    ScratchFolder files{L"store"};
};

// ---- nothing under %windir% ---------------------------------------------------

struct WindirCase {
    const char* name;
    // Does what the row names; then checks that it did it.
    std::function<void(StoreTest& test)> act;
    std::function<void(StoreTest& test, const std::wstring& legacy)> check;
};

void PrintTo(const WindirCase& row, std::ostream* os) { *os << row.name; }

class WindowWritesNothingUnderWindir : public StoreTest, public testing::WithParamInterface<WindirCase> {};

// Arrow is named where an earlier version copied it, for every user, in
// %windir%\Cursors\Cursors: it shows in the grid, and neither Apply,
// 还原, 另存为方案 nor 导出方案 writes, moves or deletes anything there.
TEST_P(WindowWritesNothingUnderWindir, AndTheOldSharedFolderKeepsWorking) {
    const std::wstring legacy = windows / L"Cursors\\Cursors\\Arrow.ani";
    ASSERT_EQ(EnsureFolderPath(legacy), static_cast<DWORD>(ERROR_SUCCESS));
    WriteStaticCursor(legacy, 9, 9, 0x00445566);
    ASSERT_TRUE(registry.SetString(L"Arrow", legacy));
    editor.ChuShiShuBiao();
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kArrow), legacy) << "the grid shows the file in force";
    const std::vector<std::wstring> before = FolderTree(windows.Path());

    GetParam().act(*this);

    EXPECT_EQ(FolderTree(windows.Path()), before);
    GetParam().check(*this, legacy);
}

INSTANTIATE_TEST_SUITE_P(
    Store, WindowWritesNothingUnderWindir,
    testing::Values(
        WindirCase{"Apply",
                   [](StoreTest& t) {
                       t.Choose(kWait, t.Cursor(L"wait.cur", 3, 0x00AA0000));
                       t.Apply();
                   },
                   [](StoreTest& t, const std::wstring& legacy) {
                       EXPECT_EQ(t.registry.GetString(L"Wait"), AppliedFolder() + L"Wait.ani");
                       EXPECT_EQ(ReadBytes(AppliedFolder() + L"Wait.ani"), MakeStaticCursor(3, 3, 0x00AA0000));
                       EXPECT_EQ(t.registry.GetString(L"Arrow"), legacy) << "a role not changed keeps its file";
                   }},
        WindirCase{"Restore", [](StoreTest& t) { t.Restore(); },
                   [](StoreTest& t, const std::wstring&) {
                       EXPECT_FALSE(t.registry.Exists(L"Arrow")) << "the setting was not deleted";
                   }},
        WindirCase{"SaveAsScheme",
                   [](StoreTest& t) {
                       t.desktop.nameAnswers.push_back(L"我的");
                       t.editor.Library().LingCunFangAn_Click();
                   },
                   [](StoreTest&, const std::wstring& legacy) {
                       EXPECT_EQ(ReadBytes(UserSchemeFolder(L"我的") + L"Arrow.ani"), ReadBytes(legacy));
                   }},
        WindirCase{"Export",
                   [](StoreTest& t) {
                       t.desktop.saveAnswers.push_back(t.files / L"导出");
                       t.ClickButton(ShuBiaoKong::kDaoChuId);
                   },
                   [](StoreTest& t, const std::wstring& legacy) {
                       EXPECT_EQ(ReadBytes(t.files / L"导出\\Arrow.ani"), ReadBytes(legacy));
                   }}),
    [](const testing::TestParamInfo<WindirCase>& info) { return std::string(info.param.name); });

// ---- two users ------------------------------------------------------------------

// A and B, each with a key of their own for the Cursors key and a store of
// their own, apply different pointers in turn; then B restores. A's values
// still name A's files, byte for byte, throughout.
TEST_F(StoreTest, TwoUsersApplyAndRestoreWithoutTouchingEachOther) {
    const std::vector<std::uint8_t> aArrow = MakeStaticCursor(1, 1, 0x000000AA);
    const std::vector<std::uint8_t> aWait = MakeStaticCursor(2, 2, 0x0000AA00);
    editor.ChuShiShuBiao();
    Choose(kArrow, Cursor(L"a-arrow.cur", 1, 0x000000AA));
    Choose(kWait, Cursor(L"a-wait.cur", 2, 0x0000AA00));
    Apply();
    ASSERT_TRUE(desktop.Warnings().empty());
    const std::vector<std::wstring> aValues = ScratchRegistry::Snapshot(registry.CursorsSubkey());
    const std::wstring aStore = store.Roaming();
    auto expectAUntouched = [&] {
        EXPECT_EQ(ScratchRegistry::Snapshot(registry.CursorsSubkey()), aValues);
        EXPECT_EQ(registry.GetString(L"Arrow"), aStore + L"\\Applied\\Arrow.ani");
        EXPECT_EQ(ReadBytes(aStore + L"\\Applied\\Arrow.ani"), aArrow);
        EXPECT_EQ(ReadBytes(aStore + L"\\Applied\\Wait.ani"), aWait);
    };

    // B signs in.
    const std::wstring bKey = registry.RootSubkey() + L"\\B\\Cursors";
    auto asB = std::make_unique<registry::ScopedRedirect>(std::wstring(kCursorsKeyPath), L"HKEY_CURRENT_USER\\" + bKey);
    const ScopedStore bStore(L"storeb");
    editor.ChuShiShuBiao();
    Choose(kArrow, Cursor(L"b-arrow.cur", 5, 0x00CC0000));
    Apply();
    ASSERT_TRUE(desktop.Warnings().empty());
    EXPECT_EQ(ReadBytes(bStore.Roaming() + L"\\Applied\\Arrow.ani"), MakeStaticCursor(5, 5, 0x00CC0000));
    std::wstring bArrow;
    ASSERT_EQ(registry::RegRead(Role(kArrow).ValuePath(), bArrow), ERROR_SUCCESS);
    EXPECT_EQ(bArrow, bStore.Roaming() + L"\\Applied\\Arrow.ani");
    expectAUntouched();

    Restore();
    EXPECT_EQ(registry::RegRead(Role(kArrow).ValuePath(), bArrow), ERROR_FILE_NOT_FOUND) << "B's setting stays";
    EXPECT_FALSE(FolderExists(bStore.Roaming() + L"\\Applied")) << "B's copies stay";
    expectAUntouched();
    asB.reset();
    store.Use();
}


// ---- no store -------------------------------------------------------------------

// Windows gives no application data folder: SHGetKnownFolderPath fails, or
// answers with an empty path.
HRESULT WINAPI KnownFolderFails(const GUID&, DWORD, HANDLE, PWSTR* path) {
    *path = nullptr;
    return E_FAIL;
}
HRESULT WINAPI KnownFolderEmpty(const GUID&, DWORD, HANDLE, PWSTR* path) {
    *path = static_cast<PWSTR>(CoTaskMemAlloc(sizeof(wchar_t)));
    if (*path != nullptr) **path = L'\0';
    return *path != nullptr ? S_OK : E_OUTOFMEMORY;
}

struct NoStoreCase {
    const char* name;
    KnownFolderFunction known;
    bool console;  // ShuBiaoCmd apply (in this process), else the window's Apply
    bool fillSizes;
};
void PrintTo(const NoStoreCase& row, std::ostream* os) { *os << row.name; }

class ApplyWithoutAStore : public StoreTest, public testing::WithParamInterface<NoStoreCase> {};

// Apply of either program, with 补齐尺寸 or without, when Windows cannot say
// where the user's store is: it says so, and the values and every folder
// stay as they were.
TEST_P(ApplyWithoutAStore, SaysSoAndChangesNothing) {
    const NoStoreCase& row = GetParam();
    ASSERT_TRUE(registry.SetString(L"Arrow", Cursor(L"in-force.cur", 4, 0x00112233)));
    ASSERT_TRUE(CreateDirectoryW((files / L"pack").c_str(), nullptr));
    WriteStaticCursor(files / L"pack\\Busy.cur", 3, 3, 0x00AA0000);
    editor.ChuShiShuBiao();
    editor.Library().Filling().SetOn(row.fillSizes);
    const std::vector<std::wstring> values = ScratchRegistry::Snapshot(registry.CursorsSubkey());
    const std::vector<std::wstring> before = FolderTree(files.Path()), windowsBefore = FolderTree(windows.Path());

    SetStoreFolders({}, {});  // the profile's, as Windows gives it
    SetKnownFolderFunction(row.known);
    EXPECT_EQ(RoamingStoreFolder() + LocalStoreFolder(), L"");
    std::wstring said;
    if (row.console) {
        std::vector<std::wstring> args{L"apply", files / L"pack"};
        if (row.fillSizes) args.push_back(L"--fill-sizes");
        const ConsoleRun run = RunVerbHere(args);
        EXPECT_EQ(run.code, 4u) << ToUtf8(run.out);
        said = run.err;
    } else {
        Choose(kWait, files / L"pack\\Busy.cur");
        Apply();
        for (const FakeDesktop::Box& box : desktop.Warnings()) said += box.text;
    }
    SetKnownFolderFunction(nullptr);
    store.Use();

    EXPECT_NE(said.find(L"Windows 没有给出当前用户的应用程序数据文件夹"), std::wstring::npos) << ToUtf8(said);
    EXPECT_EQ(ScratchRegistry::Snapshot(registry.CursorsSubkey()), values);
    EXPECT_TRUE(FolderTree(files.Path()) == before && FolderTree(windows.Path()) == windowsBefore);
    EXPECT_FALSE(FolderExists(store.Roaming()) || FolderExists(store.Local()));
}

INSTANTIATE_TEST_SUITE_P(Store, ApplyWithoutAStore,
                         testing::Values(NoStoreCase{"WindowKnownFolderFails", KnownFolderFails, false, false},
                                         NoStoreCase{"WindowKnownFolderEmpty", KnownFolderEmpty, false, false},
                                         NoStoreCase{"WindowFillingSizes", KnownFolderEmpty, false, true},
                                         NoStoreCase{"ConsoleKnownFolderFails", KnownFolderFails, true, false},
                                         NoStoreCase{"ConsoleKnownFolderEmpty", KnownFolderEmpty, true, false},
                                         NoStoreCase{"ConsoleFillingSizes", KnownFolderFails, true, true}),
                         [](const testing::TestParamInfo<NoStoreCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

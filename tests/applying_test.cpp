// Apply: copying the chosen files into the user's store, replacing
// the live pointers and recording the settings, and what happens to roles
// whose file cannot be used.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;

class ApplyTest : public EditorTest {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }

    // A cursor file of our own, chosen for `role`.
    std::wstring ChooseCursor(int role, int hot = 1) {
        const std::wstring path = files / (std::wstring(Role(role).valueName) + L" 选.cur");
        WriteStaticCursor(path, hot, hot);
        Choose(role, path);
        return path;
    }
    void Apply(int answer = IDOK) {
        desktop.boxAnswers.push_back(answer);
        editor.YingYong_SB_Click();
    }
    std::wstring Destination(int role) const { return SchemeFolder() + Role(role).FileName(); }
    std::vector<DWORD> LiveIds() const {
        std::vector<DWORD> ids;
        for (const auto& call : desktop.systemCursors) ids.push_back(call.id);
        return ids;
    }
    std::vector<std::wstring> FolderFiles() const { return ListFolder(SchemeFolder()); }
    void ExpectApplied(int role, const std::wstring& source) {
        SCOPED_TRACE(std::wstring(Role(role).valueName));
        EXPECT_EQ(ReadBytes(Destination(role)), ReadBytes(source));
        DWORD type = 0;
        EXPECT_EQ(registry.GetString(std::wstring(Role(role).valueName), &type), Destination(role));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    }

    ScratchFolder files{L"apply"};
};

TEST_F(ApplyTest, ChangedRolesAreAppliedInRoleOrderAndOnlyThoseWithAnIdGoLive) {
    // Chosen in reverse order; Help (5) and NWPen (8) have no system cursor id.
    const std::wstring wait = ChooseCursor(15);
    const std::wstring pen = ChooseCursor(8);
    const std::wstring help = ChooseCursor(5);
    const std::wstring arrow = ChooseCursor(2);
    const std::wstring starting = ChooseCursor(1);
    Apply();

    ASSERT_EQ(desktop.boxes.size(), 1u) << "a run with nothing skipped is silent";
    EXPECT_EQ(desktop.boxes[0].text, L"是否应用当前鼠标指针");
    EXPECT_EQ(desktop.boxes[0].title, L"温馨提示");
    EXPECT_EQ(desktop.boxes[0].style, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(LiveIds(), (std::vector<DWORD>{32650, 32512, 32514}));
    for (const auto& call : desktop.systemCursors) EXPECT_EQ(call.width, 32);
    ExpectApplied(1, starting);
    ExpectApplied(2, arrow);
    ExpectApplied(5, help);
    ExpectApplied(8, pen);
    ExpectApplied(15, wait);
    // A ".cur" lands under the role's ".ani" name; nothing else is left there.
    EXPECT_EQ(FolderFiles(),
              (std::vector<std::wstring>{L"AppStarting.ani", L"Arrow.ani", L"Help.ani", L"NWPen.ani", L"Wait.ani"}));
    EXPECT_EQ(registry.ValueNames().size(), 5u);
    for (int n = 1; n <= kRoleCount; ++n) {
        EXPECT_EQ(editor.Scheme().RoleChanged(n), n == 1 || n == 2 || n == 5 || n == 8 || n == 15);
    }
}

// Roles without a live pointer id take their new file when Windows reloads
// every pointer from the settings; the prompt names the roles that would
// change without a box in the grid.
struct ReloadCase {
    const char* name;
    std::vector<int> roles;
    int reloads;
    bool namesUnseen;
};
void PrintTo(const ReloadCase& c, std::ostream* os) { *os << c.name; }

class ApplyReloadTest : public ApplyTest, public testing::WithParamInterface<ReloadCase> {};

TEST_P(ApplyReloadTest, AsksWindowsToReloadOnlyWhenNeeded) {
    for (const int role : GetParam().roles) {
        const std::wstring path = files / (std::wstring(Role(role).valueName) + L".cur");
        WriteStaticCursor(path, 2, 2);
        editor.ChooseFile(role, path);
    }
    Apply();
    ASSERT_FALSE(desktop.boxes.empty());
    const std::wstring& prompt = desktop.boxes.front().text;
    EXPECT_EQ(prompt.rfind(L"是否应用当前鼠标指针", 0), 0u);
    EXPECT_EQ(prompt.find(L"在窗口中没有对应的方框") != std::wstring::npos, GetParam().namesUnseen) << ToUtf8(prompt);
    EXPECT_EQ(desktop.reloads, GetParam().reloads);
    for (const int role : GetParam().roles) EXPECT_TRUE(FileExists(Destination(role))) << role;
}

INSTANTIATE_TEST_SUITE_P(Apply, ApplyReloadTest,
                         testing::Values(ReloadCase{"LivePointersOnly", {2, 15}, 0, false},
                                         ReloadCase{"HelpHasNoLiveId", {2, 5}, 1, false},
                                         ReloadCase{"PinAloneIsNamed", {16}, 1, true},
                                         ReloadCase{"PersonBesideArrow", {2, 17}, 1, true}),
                         [](const testing::TestParamInfo<ReloadCase>& info) { return std::string(info.param.name); });

// The prompt keeps its first line, then names every role Apply returns to
// Windows' default (使用默认值), then the other roles without a box it changes.
struct PromptCase {
    const char* name;
    std::vector<int> defaults;
    std::vector<int> files;  // a file of ours chosen
    std::wstring after;      // the prompt after its first line
};
class ApplyPromptTest : public ApplyTest, public testing::WithParamInterface<PromptCase> {};

TEST_P(ApplyPromptTest, NamesTheRolesResetToWindowsDefault) {
    for (const int role : GetParam().defaults) editor.Library().ShiYongMoRen(role);
    for (const int role : GetParam().files) {
        WriteStaticCursor(files / (std::to_wstring(role) + L".cur"), 2, 2);
        editor.ChooseFile(role, files / (std::to_wstring(role) + L".cur"));
    }
    Apply(IDCANCEL);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, L"是否应用当前鼠标指针" + GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Apply, ApplyPromptTest,
    testing::Values(PromptCase{"FilesOnly", {}, {2, 15}, L""},
                    PromptCase{"PinAndPersonReset", {16, 17}, {2}, L"\n\n位置选择、个人选择 将恢复为 Windows 默认指针。"},
                    PromptCase{"ArrowResetPinChosen", {2}, {16},
                               L"\n\n正常选择 将恢复为 Windows 默认指针。\n\n其中“位置选择”在窗口中没有对应的方框，按“应用”时与其他指针一并应用。"}),
    [](const testing::TestParamInfo<PromptCase>& info) { return std::string(info.param.name); });

// Cancel, Escape and closing the box all answer IDCANCEL; an empty answer
// queue answers IDCANCEL too.
class NotConfirmedTest : public ApplyTest, public ::testing::WithParamInterface<std::optional<int>> {};

TEST_P(NotConfirmedTest, ChangesNothingAndCreatesNoFolder) {
    ChooseCursor(2);
    ChooseCursor(5);
    if (GetParam()) desktop.boxAnswers.push_back(*GetParam());
    editor.YingYong_SB_Click();

    EXPECT_EQ(desktop.boxes.size(), 1u);
    EXPECT_FALSE(FolderExists(SchemeFolder()));
    EXPECT_TRUE(desktop.systemCursors.empty());
    EXPECT_TRUE(registry.ValueNames().empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, NotConfirmedTest,
                         ::testing::Values(std::optional<int>(IDCANCEL), std::optional<int>(IDNO),
                                           std::optional<int>()));

TEST_F(ApplyTest, OkWithNothingChangedOnlyMakesTheFolder) {
    Apply();
    EXPECT_TRUE(FolderExists(SchemeFolder()));
    EXPECT_TRUE(FolderFiles().empty());
    EXPECT_TRUE(desktop.systemCursors.empty());
    EXPECT_TRUE(registry.ValueNames().empty());
    EXPECT_EQ(desktop.boxes.size(), 1u);
}

TEST_F(ApplyTest, ApplyingTwiceRepeatsTheWork) {
    const std::wstring arrow = ChooseCursor(2, 1);
    const std::wstring help = ChooseCursor(5, 1);
    Apply();
    ExpectApplied(2, arrow);
    WriteStaticCursor(arrow, 7, 7, 0x00112233);  // changed on disk since
    registry.Delete(L"Help");
    Apply();

    EXPECT_EQ(LiveIds(), (std::vector<DWORD>{32512, 32512}));
    ExpectApplied(2, arrow);
    ExpectApplied(5, help);
    EXPECT_TRUE(desktop.Warnings().empty());
}

TEST_F(ApplyTest, AFileThatAlreadyIsTheDestinationCountsAsCopied) {
    const std::wstring arrow = ChooseCursor(2);
    Apply();
    const auto bytes = ReadBytes(Destination(2));
    // The applied folder's own file, spelt another way.
    Choose(2, store.Roaming() + L"\\.\\Applied\\Arrow.ani");
    Apply();

    EXPECT_TRUE(desktop.Warnings().empty());
    EXPECT_EQ(LiveIds(), (std::vector<DWORD>{32512, 32512}));
    EXPECT_EQ(ReadBytes(Destination(2)), bytes);
    EXPECT_EQ(registry.GetString(L"Arrow"), Destination(2));
}

TEST_F(ApplyTest, EnvironmentReferencesInTheChosenPathAreExpanded) {
    WriteStaticCursor(files / L"env.cur", 2, 2);
    SetEnvironmentVariableW(L"SHUBIAO_APPLY_TEST", files.Path().c_str());
    Choose(4, L"%SHUBIAO_APPLY_TEST%\\env.cur");
    Apply();
    SetEnvironmentVariableW(L"SHUBIAO_APPLY_TEST", nullptr);

    EXPECT_TRUE(desktop.Warnings().empty());
    EXPECT_EQ(LiveIds(), (std::vector<DWORD>{32649}));
    ExpectApplied(4, files / L"env.cur");
}

TEST_F(ApplyTest, ARefusedLiveReplacementStillRecordsTheSettingAndLeaksNothing) {
    const std::wstring arrow = ChooseCursor(2);
    Apply();  // first run loads whatever the loader caches once
    desktop.setSystemCursorSucceeds = false;
    const DWORD before = CountGdiObjects();
    for (int i = 0; i < 3; ++i) Apply();
    EXPECT_EQ(CountGdiObjects(), before) << "the refused cursors are destroyed";
    ExpectApplied(2, arrow);
    EXPECT_TRUE(desktop.Warnings().empty());
}

TEST_F(ApplyTest, AFolderThatCannotBeMadeSkipsEveryRoleAndSaysSo) {
    const std::wstring inTheWay = SchemeFolder().substr(0, SchemeFolder().size() - 1);
    ASSERT_EQ(EnsureFolderPath(inTheWay), static_cast<DWORD>(ERROR_SUCCESS));
    WriteBytes(inTheWay, {'x'});  // a file where the store's folder should be
    ChooseCursor(2);
    ChooseCursor(8);
    Apply();

    EXPECT_TRUE(desktop.systemCursors.empty());
    EXPECT_TRUE(registry.ValueNames().empty());
    EXPECT_EQ(ReadBytes(inTheWay), (std::vector<std::uint8_t>{'x'}));
    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].title, L"温馨提示");
    EXPECT_EQ(warnings[0].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_NE(warnings[0].text.find(L"正常选择"), std::wstring::npos) << warnings[0].text;
    EXPECT_NE(warnings[0].text.find(L"“手写”"), std::wstring::npos) << warnings[0].text;
    EXPECT_NE(warnings[0].text.find(SchemeFolder()), std::wstring::npos) << warnings[0].text;
    EXPECT_NE(warnings[0].text.find(L"ShuBiao 的用户文件夹"), std::wstring::npos) << warnings[0].text;
    EXPECT_EQ(warnings[0].text.find(L"管理员"), std::wstring::npos) << warnings[0].text;
}

TEST_F(ApplyTest, ADestinationThatCannotBeReplacedSkipsTheRole) {
    // A folder in the way of Arrow.ani: the checked copy cannot take its place.
    ASSERT_EQ(EnsureFolderPath(Destination(2) + L"\\"), static_cast<DWORD>(ERROR_SUCCESS));
    ChooseCursor(2);
    const std::wstring help = ChooseCursor(5);
    Apply();

    EXPECT_TRUE(desktop.systemCursors.empty());
    EXPECT_FALSE(registry.Exists(L"Arrow"));
    ExpectApplied(5, help);
    EXPECT_TRUE(FolderExists(Destination(2)));
    EXPECT_EQ(FolderFiles(), (std::vector<std::wstring>{L"Arrow.ani", L"Help.ani"})) << "the folder in the way, and no copy left behind";
    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].text.find(L"“正常选择”："), std::wstring::npos) << warnings[0].text;
    EXPECT_EQ(warnings[0].text.find(L"帮助选择"), std::wstring::npos) << warnings[0].text;
}

// A chosen file that cannot be used, with or without an earlier Apply of the
// same role: the role is skipped whole and what was there stays; the other
// role still applies; one warning names the role and the reason.
struct BadSource {
    const char* name;
    std::function<void(const std::wstring& path)> make;  // leaves `path` unusable
    const wchar_t* reason;                               // a phrase of the warning
};

void PrintTo(const BadSource& source, std::ostream* out) { *out << source.name; }

class BadSourceTest : public ApplyTest, public ::testing::WithParamInterface<std::tuple<BadSource, bool>> {};

TEST_P(BadSourceTest, SkipsTheRoleAndReportsIt) {
    const auto& [bad, earlier] = GetParam();
    const std::wstring arrow = ChooseCursor(2, 3);
    std::vector<std::uint8_t> earlierBytes;
    if (earlier) {
        Apply();
        earlierBytes = ReadBytes(Destination(2));
        desktop.systemCursors.clear();
        desktop.boxes.clear();
    }
    bad.make(arrow);
    const std::wstring wait = ChooseCursor(15);
    Apply();

    EXPECT_EQ(LiveIds(), (std::vector<DWORD>{32514}));
    ExpectApplied(15, wait);
    if (earlier) {
        EXPECT_EQ(ReadBytes(Destination(2)), earlierBytes);
        EXPECT_EQ(registry.GetString(L"Arrow"), Destination(2));
        EXPECT_EQ(FolderFiles(), (std::vector<std::wstring>{L"Arrow.ani", L"Wait.ani"}));
    } else {
        EXPECT_FALSE(registry.Exists(L"Arrow"));
        EXPECT_EQ(FolderFiles(), (std::vector<std::wstring>{L"Wait.ani"}));
    }
    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].title, L"温馨提示");
    EXPECT_EQ(warnings[0].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_NE(warnings[0].text.find(L"“正常选择”"), std::wstring::npos) << warnings[0].text;
    EXPECT_NE(warnings[0].text.find(bad.reason), std::wstring::npos) << warnings[0].text;
    EXPECT_EQ(warnings[0].text.find(L"“忙”"), std::wstring::npos) << warnings[0].text;
}

const BadSource kBadSources[] = {
    {"Deleted", [](const std::wstring& p) { DeleteFileW(p.c_str()); }, L"已不存在"},
    {"Text", [](const std::wstring& p) { WriteBytes(p, {'h', 'e', 'l', 'l', 'o'}); }, L"不是可用的光标文件"},
    {"Empty", [](const std::wstring& p) { WriteBytes(p, {}); }, L"不是可用的光标文件"},
    {"CutShort",
     [](const std::wstring& p) {
         auto bytes = MakeStaticCursor(1, 1);
         bytes.resize(bytes.size() / 2);
         WriteBytes(p, bytes);
     },
     L"不是可用的光标文件"},
};

INSTANTIATE_TEST_SUITE_P(Sources, BadSourceTest, ::testing::Combine(::testing::ValuesIn(kBadSources), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "AfterEarlierApply" : "FirstApply");
                         });

// The setting cannot be written (here through the registry's test seam):
// the role is left wholly as it was, the file that an earlier Apply placed
// included, its live pointer is not replaced, and the warning says so; the
// other role still applies.
class RegistryRefusesTest : public ApplyTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RegistryRefusesTest, LeavesTheRoleWhollyUnchanged) {
    const bool earlier = GetParam();
    const std::wstring first = ChooseCursor(2, 3);
    std::vector<std::uint8_t> before;
    if (earlier) {
        Apply();
        before = ReadBytes(Destination(2));
        desktop.systemCursors.clear();
    }
    WriteStaticCursor(first, 9, 9, 0x00AA0000);  // another pointer in the chosen file
    const std::wstring wait = ChooseCursor(15);
    {
        registry::ScopedWriteFault refuse(L"Arrow", ERROR_ACCESS_DENIED);
        Apply();
    }

    EXPECT_EQ(LiveIds(), (std::vector<DWORD>{32514})) << "only Wait went live";
    ExpectApplied(15, wait);
    if (earlier) {
        EXPECT_EQ(ReadBytes(Destination(2)), before) << "the file placed before is back";
        EXPECT_EQ(registry.GetString(L"Arrow"), Destination(2));
    } else {
        EXPECT_FALSE(FileExists(Destination(2))) << "no file that no setting names";
        EXPECT_FALSE(registry.Exists(L"Arrow"));
    }
    EXPECT_EQ(FolderFiles(), earlier ? (std::vector<std::wstring>{L"Arrow.ani", L"Wait.ani"})
                                     : (std::vector<std::wstring>{L"Wait.ani"}));
    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].text.find(L"原来的设置保持不变"), std::wstring::npos) << warnings[0].text;
    EXPECT_NE(warnings[0].text.find(L"“正常选择”：无法把该指针记入注册表"), std::wstring::npos) << warnings[0].text;
    EXPECT_EQ(warnings[0].text.find(L"“忙”"), std::wstring::npos) << warnings[0].text;
}

INSTANTIATE_TEST_SUITE_P(Settings, RegistryRefusesTest, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "AfterEarlierApply" : "FirstApply"); });

}  // namespace
}  // namespace shubiao

// The scheme library from the grid: 使用 a scheme, 另存为方案, Windows'
// default for one role, and Windows' record of the scheme in force across
// Apply and Restore.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using library::Source;

constexpr int kArrow = 2;
constexpr int kHand = 4;
constexpr int kHelp = 5;
constexpr int kWait = 15;

class LibraryEditorTest : public EditorTest {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }

    // A cursor file of our own; `hot` tells the files apart.
    std::wstring Cursor(const std::wstring& name, int hot) {
        const std::wstring path = files / name;
        WriteStaticCursor(path, hot, hot);
        return path;
    }
    static library::SchemeEntry Entry(const std::wstring& name) {
        for (const library::SchemeEntry& entry : library::ReadSchemeLists().schemes) {
            if (entry.name == name) return entry;
        }
        ADD_FAILURE() << "no scheme " << testing::PrintToString(name);
        return {};
    }
    // Where 另存为方案 puts a scheme's files: the user's store.
    static std::wstring SavedFolder(const std::wstring& name) { return UserSchemeFolder(name); }
    void Apply() {
        desktop.boxAnswers.push_back(IDOK);
        editor.YingYong_SB_Click();
    }
    void Save(const std::wstring& name) {
        desktop.nameAnswers.push_back(name);
        editor.Library().LingCunFangAn_Click();
    }
    // A scheme `name` of a list whose Arrow and Wait are files of ours and
    // whose other slots are empty.
    void Listed(bool system, const std::wstring& name, const std::wstring& arrow, const std::wstring& wait) {
        ASSERT_TRUE(registry.SetScheme(system, name, arrow + L",,," + wait));
    }
    std::vector<std::wstring> UserList() const { return ScratchRegistry::Snapshot(registry.UserSchemesSubkey()); }

    ScratchFolder files{L"libed"};
};

// ---- 使用 -------------------------------------------------------------------

TEST_F(LibraryEditorTest, UseTakesTheFilesAndWindowsDefaultsAndKeepsUnusableRoles) {
    const std::wstring arrow = Cursor(L"a.cur", 2);
    const std::wstring chosenHelp = Cursor(L"help.cur", 5);
    Choose(kHelp, chosenHelp);
    const std::wstring waitBefore = editor.Scheme().RoleCursorFile(kWait);
    // Arrow a file, Help refused by its text, Wait missing, the rest empty.
    ASSERT_TRUE(registry.SetScheme(false, L"混合", arrow + L",\\\\server\\x.cur,," + files / L"gone.cur"));

    ASSERT_TRUE(editor.Library().ShiYongFangAn(Entry(L"混合")));

    EXPECT_EQ(editor.Scheme().RoleCursorFile(kArrow), arrow);
    EXPECT_TRUE(editor.Scheme().Pending(kArrow));
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kHelp), chosenHelp) << "refused: keeps what it had";
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kWait), waitBefore) << "missing: keeps what it had";
    EXPECT_TRUE(editor.Scheme().WindowsDefault(kHand));
    EXPECT_TRUE(editor.Scheme().Pending(kHand));
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kHand), DataStorageFile(L"Hand"));
    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].text.find(L"“帮助选择”"), std::wstring::npos) << warnings[0].text;
    EXPECT_NE(warnings[0].text.find(L"“忙”"), std::wstring::npos) << warnings[0].text;
    EXPECT_FALSE(editor.Library().SchemeShown().has_value()) << "not every role was taken";
}

TEST_F(LibraryEditorTest, UseOfASchemeWithNothingUsableChangesNothing) {
    // Every slot refused by its text, so that no slot is Windows' default.
    std::wstring refused = L"%SHUBIAO_UNSET%\\b.cur";
    for (int i = 1; i < 17; ++i) refused += L",\\\\server\\a.cur";
    ASSERT_TRUE(registry.SetScheme(false, L"坏", refused));
    ASSERT_TRUE(registry.SetScheme(false, L"大", std::wstring(20000, L',')));
    const WorkingScheme before = editor.Scheme();
    for (const wchar_t* name : {L"坏", L"大"}) {
        EXPECT_FALSE(editor.Library().ShiYongFangAn(Entry(name))) << name;
        for (const CursorRole& role : kRoles) {
            EXPECT_EQ(editor.Scheme().RoleCursorFile(role.number), before.RoleCursorFile(role.number));
            EXPECT_FALSE(editor.Scheme().Pending(role.number));
        }
    }
    EXPECT_EQ(desktop.Warnings().size(), 2u);
}

// A pack as Windows' setup installs it: its files under
// %SystemRoot%\Cursors\<pack>, a REG_EXPAND_SZ entry of fifteen paths.
TEST_F(LibraryEditorTest, UseThenApplyPutsAnInstalledPacksFilesInForceByteExact) {
    const std::wstring folder = windows / L"Cursors\\Pack\\";
    CreateDirectoryW((windows / L"Cursors").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteStaticCursor(folder + L"pointer.cur", 7, 7);
    WriteStaticCursor(folder + L"busy.cur", 9, 9);
    std::wstring data = L"%SystemRoot%\\Cursors\\Pack\\pointer.cur,,,%SystemRoot%\\Cursors\\Pack\\busy.cur";
    for (int i = 4; i < 15; ++i) data += L",";
    ASSERT_TRUE(registry.SetScheme(true, L"Pack", data));

    ASSERT_TRUE(editor.Library().ShiYongFangAn(Entry(L"Pack")));
    Apply();

    EXPECT_EQ(ReadBytes(SchemeFolder() + L"Arrow.ani"), ReadBytes(folder + L"pointer.cur"));
    EXPECT_EQ(ReadBytes(SchemeFolder() + L"Wait.ani"), ReadBytes(folder + L"busy.cur"));
    EXPECT_EQ(registry.GetString(L"Arrow"), SchemeFolder() + L"Arrow.ani");
    EXPECT_EQ(registry.GetString(L""), L"Pack");
    EXPECT_EQ(library::ReadInForce().source, 2u);
}

// ---- Windows' default for a role --------------------------------------------

TEST_F(LibraryEditorTest, WindowsDefaultDeletesTheValueAndTheCopyAtApply) {
    Choose(kArrow, Cursor(L"a.cur", 4));
    Choose(kWait, Cursor(L"w.cur", 6));
    Apply();
    ASSERT_TRUE(registry.Exists(L"Arrow"));
    ASSERT_TRUE(FileExists(SchemeFolder() + L"Arrow.ani"));
    editor.ChuShiShuBiao();
    const int reloads = desktop.reloads;

    editor.Library().ShiYongMoRen(kArrow);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kArrow), DataStorageFile(L"Arrow")) << "shown as after a restore";
    EXPECT_TRUE(editor.Scheme().Pending(kArrow));
    EXPECT_TRUE(registry.Exists(L"Arrow")) << "nothing changes before Apply";
    Apply();

    EXPECT_FALSE(registry.Exists(L"Arrow"));
    EXPECT_FALSE(FileExists(SchemeFolder() + L"Arrow.ani"));
    EXPECT_TRUE(registry.Exists(L"Wait"));
    EXPECT_TRUE(FileExists(SchemeFolder() + L"Wait.ani"));
    EXPECT_EQ(desktop.reloads, reloads + 1);
    EXPECT_FALSE(editor.Scheme().Pending(kArrow));
    EXPECT_TRUE(desktop.Warnings().empty());
}

// ---- 另存为方案 ---------------------------------------------------------------

TEST_F(LibraryEditorTest, SaveCopiesCheckedFilesAndWritesSeventeenSlots) {
    // Wait applied earlier, Arrow pending, Hand a file that is no cursor,
    // everything else at Windows' default.
    const std::wstring wait = Cursor(L"w.cur", 6);
    Choose(kWait, wait);
    Apply();
    editor.ChuShiShuBiao();
    const std::wstring arrow = Cursor(L"a.cur", 4);
    Choose(kArrow, arrow);
    WriteBytes(files / L"text.cur", {'n', 'o'});
    Choose(kHand, files / L"text.cur");

    Save(L" 我的方案 ");

    ASSERT_EQ(desktop.nameStarts.size(), 1u);
    EXPECT_EQ(desktop.nameStarts[0], L"");
    const std::wstring folder = SavedFolder(L"我的方案");
    EXPECT_EQ(ListFolder(folder), (std::vector<std::wstring>{L"Arrow.ani", L"Wait.ani"}));
    EXPECT_EQ(ReadBytes(folder + L"Arrow.ani"), ReadBytes(arrow));
    EXPECT_EQ(ReadBytes(folder + L"Wait.ani"), ReadBytes(wait));
    const library::SchemeEntry entry = Entry(L"我的方案");
    for (const CursorRole& role : kRoles) {
        const bool saved = role.number == kArrow || role.number == kWait;
        EXPECT_EQ(entry.FileOf(role.number), saved ? folder + role.FileName() : L"") << role.number;
    }
    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u) << "the role whose file is no cursor is named";
    EXPECT_NE(warnings[0].text.find(L"“链接选择”"), std::wstring::npos) << warnings[0].text;
}

struct NameCase {
    const char* name;
    const wchar_t* typed;
    const wchar_t* says;  // a piece of the warning
};

class SaveNameTest : public LibraryEditorTest, public testing::WithParamInterface<NameCase> {};

TEST_P(SaveNameTest, ARefusedNameWritesNothingAndAsksAgainWithIt) {
    ASSERT_TRUE(registry.SetScheme(true, L"Windows 默认", L""));
    Choose(kArrow, Cursor(L"a.cur", 4));
    desktop.nameAnswers.push_back(GetParam().typed);
    desktop.nameAnswers.push_back(std::nullopt);

    editor.Library().LingCunFangAn_Click();

    ASSERT_EQ(desktop.nameStarts.size(), 2u);
    EXPECT_EQ(desktop.nameStarts[1], GetParam().typed);
    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].text.find(GetParam().says), std::wstring::npos) << warnings[0].text;
    EXPECT_TRUE(UserList().empty());
    EXPECT_FALSE(FolderExists(store.Roaming() + L"\\Schemes")) << "no folder made";
}

INSTANTIATE_TEST_SUITE_P(
    Library, SaveNameTest,
    testing::Values(NameCase{"Blank", L" 　 ", L"请输入"}, NameCase{"Comma", L"蓝,绿", L"逗号"},
                    NameCase{"Slash", L"蓝/绿", L"逗号"}, NameCase{"TrailingDot", L"蓝.", L"句点"},
                    NameCase{"Device", L"com1", L"设备名"}, NameCase{"ApplyFolder", L"cursors", L"Cursors"},
                    NameCase{"SystemScheme", L"WINDOWS 默认", L"系统方案"},
                    NameCase{"SixtyFiveCharacters", L"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十"
                                                    L"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五",
                             L"64"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

struct ReplaceCase {
    const char* name;
    int answer;
    bool replaced;
};

class SaveReplaceTest : public LibraryEditorTest, public testing::WithParamInterface<ReplaceCase> {};

TEST_P(SaveReplaceTest, AnExistingUserSchemeIsReplacedOnlyAfterConfirming) {
    const std::wstring first = Cursor(L"1.cur", 3);
    const std::wstring second = Cursor(L"2.cur", 9);
    Choose(kArrow, first);
    Save(L"蓝");
    const auto before = UserList();
    Choose(kArrow, second);
    desktop.boxAnswers.push_back(GetParam().answer);

    Save(L"蓝");

    const auto prompts = desktop.boxes;
    ASSERT_FALSE(prompts.empty());
    EXPECT_NE(prompts.back().text.find(L"是否替换"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(SavedFolder(L"蓝") + L"Arrow.ani"), ReadBytes(GetParam().replaced ? second : first));
    EXPECT_EQ(desktop.nameStarts.size(), 2u) << "a refused replacement does not ask for another name";
    EXPECT_EQ(UserList(), before) << "same entry either way: the files changed";
}

INSTANTIATE_TEST_SUITE_P(Library, SaveReplaceTest,
                         testing::Values(ReplaceCase{"Confirmed", IDOK, true},
                                         ReplaceCase{"Cancelled", IDCANCEL, false}),
                         [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

// The grid shows the scheme's own files (used from the library) while it is
// saved over with one role changed.
TEST_F(LibraryEditorTest, SavingOverTheSchemeTheGridShows) {
    const std::wstring arrow = Cursor(L"a.cur", 4);
    Choose(kArrow, arrow);
    Choose(kWait, Cursor(L"w.cur", 6));
    Save(L"自己");
    ASSERT_TRUE(editor.Library().ShiYongFangAn(Entry(L"自己")));
    const std::wstring folder = SavedFolder(L"自己");
    ASSERT_EQ(editor.Scheme().RoleCursorFile(kArrow), folder + L"Arrow.ani");
    const std::wstring wait = Cursor(L"w2.cur", 11);
    Choose(kWait, wait);
    desktop.boxAnswers.push_back(IDOK);

    Save(L"自己");

    EXPECT_EQ(ListFolder(folder), (std::vector<std::wstring>{L"Arrow.ani", L"Wait.ani"}));
    EXPECT_EQ(ReadBytes(folder + L"Arrow.ani"), ReadBytes(arrow));
    EXPECT_EQ(ReadBytes(folder + L"Wait.ani"), ReadBytes(wait));
    EXPECT_TRUE(desktop.Warnings().empty());
}

// A destination that cannot be replaced (a folder in its place): the save
// stops, the entry still names the files it named, each of them whole, and
// no staged copy is left.
TEST_F(LibraryEditorTest, AFailedSaveLeavesTheEntryNamingWholeFiles) {
    Choose(kArrow, Cursor(L"a.cur", 4));
    Save(L"稳");
    const auto before = UserList();
    CreateDirectoryW((SavedFolder(L"稳") + L"Wait.ani").c_str(), nullptr);
    Choose(kArrow, Cursor(L"a2.cur", 8));
    Choose(kWait, Cursor(L"w.cur", 6));
    desktop.boxAnswers.push_back(IDOK);

    Save(L"稳");

    EXPECT_EQ(UserList(), before);
    EXPECT_EQ(ListFolder(SavedFolder(L"稳")), (std::vector<std::wstring>{L"Arrow.ani", L"Wait.ani"}));
    const library::SchemeEntry entry = Entry(L"稳");
    for (const std::wstring& problem : library::CheckSchemeFiles(entry)) EXPECT_EQ(problem, L"");
    ASSERT_EQ(desktop.Warnings().size(), 1u);
    EXPECT_NE(desktop.Warnings()[0].text.find(L"没有保存"), std::wstring::npos);
}

TEST_F(LibraryEditorTest, TheNameStartsAsThePacksWhenTheGridCameWholeFromIt) {
    // A pack of two files named by purpose; the grid takes both.
    const std::wstring pack = files / L"蓝色海洋";
    CreateDirectoryW(pack.c_str(), nullptr);
    WriteStaticCursor(pack + L"\\Normal Select.cur", 3, 3);
    WriteStaticCursor(pack + L"\\Busy.ani", 5, 5);
    editor.ImportPath(pack);
    desktop.nameAnswers.push_back(std::nullopt);
    editor.Library().LingCunFangAn_Click();
    Choose(kHelp, Cursor(L"h.cur", 2));  // no longer whole from the pack
    desktop.nameAnswers.push_back(std::nullopt);
    editor.Library().LingCunFangAn_Click();

    EXPECT_EQ(desktop.nameStarts, (std::vector<std::wstring>{L"蓝色海洋", L""}));
}

TEST_F(LibraryEditorTest, TheFirstWholePackImportSaysOnceHowToKeepIt) {
    const std::wstring pack = files / L"Ocean";
    CreateDirectoryW(pack.c_str(), nullptr);
    WriteStaticCursor(pack + L"\\Normal Select.cur", 3, 3);
    editor.ImportPath(pack);
    editor.ImportPath(pack);
    const auto boxes = desktop.Warnings();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"另存为方案"), std::wstring::npos) << boxes[0].text;
}

// ---- the scheme in force across Apply and Restore ---------------------------

class InForceTest;

struct InForceCase {
    const char* name;
    // What the grid does before Apply; `t` is the fixture.
    std::function<void(InForceTest& t)> act;
    const wchar_t* name_after;  // "(Default)" after Apply
    DWORD source_after;
};

class InForceTest : public LibraryEditorTest, public testing::WithParamInterface<InForceCase> {
public:
    using LibraryEditorTest::Cursor;
    using LibraryEditorTest::Entry;
    using LibraryEditorTest::Listed;
    using LibraryEditorTest::Save;
    FakeDesktop& Desktop() { return desktop; }
    ShuBiaoKong& Editor() { return editor; }
    ScratchFolder& Files() { return files; }
};

TEST_P(InForceTest, ApplyNamesTheSchemeOnlyWhenItPutsExactlyThatSchemeInForce) {
    registry.SetString(L"", L"以前");
    registry.SetDword(L"Scheme Source", 1);
    GetParam().act(*this);
    Apply();
    EXPECT_EQ(registry.GetString(L""), GetParam().name_after);
    EXPECT_EQ(library::ReadInForce().source, GetParam().source_after);
}

INSTANTIATE_TEST_SUITE_P(
    Library, InForceTest,
    testing::Values(
        InForceCase{"UsedUserScheme",
                    [](InForceTest& t) {
                        t.Listed(false, L"用户的", t.Cursor(L"a.cur", 3), t.Cursor(L"w.cur", 5));
                        t.Editor().Library().ShiYongFangAn(t.Entry(L"用户的"));
                    },
                    L"用户的", 1},
        InForceCase{"UsedSystemScheme",
                    [](InForceTest& t) {
                        t.Listed(true, L"系统的", t.Cursor(L"a.cur", 3), t.Cursor(L"w.cur", 5));
                        t.Editor().Library().ShiYongFangAn(t.Entry(L"系统的"));
                    },
                    L"系统的", 2},
        InForceCase{"UsedThenChanged",
                    [](InForceTest& t) {
                        t.Listed(false, L"用户的", t.Cursor(L"a.cur", 3), t.Cursor(L"w.cur", 5));
                        t.Editor().Library().ShiYongFangAn(t.Entry(L"用户的"));
                        t.Editor().ChooseFile(kHand, t.Cursor(L"h.cur", 7));
                    },
                    L"以前", 1},
        InForceCase{"UsedThenWindowsDefaultForARole",
                    [](InForceTest& t) {
                        t.Listed(false, L"用户的", t.Cursor(L"a.cur", 3), t.Cursor(L"w.cur", 5));
                        t.Editor().Library().ShiYongFangAn(t.Entry(L"用户的"));
                        t.Editor().Library().ShiYongMoRen(kArrow);
                    },
                    L"以前", 1},
        InForceCase{"UsedWithAMissingFile",
                    [](InForceTest& t) {
                        t.Listed(false, L"缺的", t.Cursor(L"a.cur", 3), t.Files() / L"gone.cur");
                        t.Editor().Library().ShiYongFangAn(t.Entry(L"缺的"));
                    },
                    L"以前", 1},
        InForceCase{"JustSaved",
                    [](InForceTest& t) {
                        t.Editor().ChooseFile(kArrow, t.Cursor(L"a.cur", 3));
                        t.Save(L"刚存的");
                    },
                    L"刚存的", 1},
        InForceCase{"PlainChoice", [](InForceTest& t) { t.Editor().ChooseFile(kArrow, t.Cursor(L"a.cur", 3)); },
                    L"以前", 1}),
    [](const testing::TestParamInfo<InForceCase>& info) { return std::string(info.param.name); });

TEST_F(LibraryEditorTest, ARoleThatFailsToApplyLeavesTheRecordAsItWas) {
    registry.SetString(L"", L"以前");
    registry.SetDword(L"Scheme Source", 2);
    Listed(false, L"用户的", Cursor(L"a.cur", 3), Cursor(L"w.cur", 5));
    ASSERT_TRUE(editor.Library().ShiYongFangAn(Entry(L"用户的")));
    {
        registry::ScopedWriteFault fault(L"Wait", ERROR_ACCESS_DENIED);
        Apply();
    }
    EXPECT_EQ(registry.GetString(L""), L"以前");
    EXPECT_EQ(library::ReadInForce().source, 2u);
    EXPECT_EQ(desktop.Warnings().size(), 1u);
}

struct RestoreCase {
    const char* name;
    const wchar_t* before;
    DWORD sourceBefore;
    const wchar_t* after;
    DWORD sourceAfter;
};

class RestoreInForceTest : public LibraryEditorTest, public testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreInForceTest, ANamedSchemeIsNoLongerInForceAfterRestore) {
    registry.SetString(L"", GetParam().before);
    registry.SetDword(L"Scheme Source", GetParam().sourceBefore);
    desktop.boxAnswers.push_back(IDOK);
    editor.HuanYuan_ShuBiaoZhiZhen();
    EXPECT_EQ(registry.GetString(L""), GetParam().after);
    EXPECT_EQ(library::ReadInForce().source, GetParam().sourceAfter);
}

INSTANTIATE_TEST_SUITE_P(Library, RestoreInForceTest,
                         testing::Values(RestoreCase{"UserScheme", L"蓝", 1, L"", 0},
                                         RestoreCase{"SystemScheme", L"Windows 默认", 2, L"", 0},
                                         RestoreCase{"NoneNamed", L"", 2, L"", 2}),
                         [](const testing::TestParamInfo<RestoreCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

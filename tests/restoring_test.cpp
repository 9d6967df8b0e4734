// The restore: confirmation, the fifteen values, the Mouse Properties dialog,
// re-initialisation and the copied files, in that order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>
#include <string>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/SchemeLibrary.h"
#include "support/RestoreSupport.h"

namespace shubiao {
namespace {

using namespace test;

const std::wstring kCommand = L"cmd.exe  /c main.cpl @0,1";

std::wstring Name(const CursorRole& role) { return std::wstring(role.valueName); }

class Restoring : public EditorTest {
protected:

    // As after an Apply of every role: a copy of each role's file in the
    // scheme folder and the role's value naming it.
    void ApplyAllRoles() {
        ASSERT_EQ(EnsureFolderPath(SchemeFolder()), static_cast<DWORD>(ERROR_SUCCESS));
        for (const CursorRole& role : kRoles) {
            const std::wstring copy = SchemeFolder() + role.FileName();
            ASSERT_EQ(CopyFileReplacing(DataStorageFile(Name(role)), copy), static_cast<DWORD>(ERROR_SUCCESS));
            registry.SetString(Name(role), copy);
        }
    }

    std::vector<std::wstring> RoleValuesLeft() const {
        std::vector<std::wstring> left;
        for (const CursorRole& role : kRoles) {
            if (registry.Exists(Name(role))) left.push_back(Name(role));
        }
        return left;
    }

    std::vector<std::wstring> CopiesLeft() const {
        std::vector<std::wstring> left;
        for (const CursorRole& role : kRoles) {
            if (FileExists(SchemeFolder() + role.FileName())) left.push_back(role.FileName());
        }
        return left;
    }

    std::array<std::wstring, kRoleCount> Files() const {
        std::array<std::wstring, kRoleCount> files;
        for (int n = 1; n <= kRoleCount; ++n) files[static_cast<size_t>(n - 1)] = editor.Scheme().RoleCursorFile(n);
        return files;
    }

    void ExpectFallbacksShown() {
        for (const CursorRole& role : kRoles) {
            EXPECT_EQ(editor.Scheme().RoleCursorFile(role.number), DataStorageFile(Name(role))) << Name(role);
            EXPECT_FALSE(editor.Scheme().RoleChanged(role.number)) << Name(role);
        }
    }

    void ClickRestore() { ClickButton(ShuBiaoKong::kHuanYuanId); }
};

TEST_F(Restoring, ConfirmedRestoreRunsItsStepsInOrder) {
    ApplyAllRoles();
    registry.SetString(L"", L"Windows 默认");
    registry.SetDword(L"Scheme Source", 2);
    editor.ChuShiShuBiao();
    Choose(5, DataStorageFile(L"Arrow"));
    ASSERT_TRUE(editor.Scheme().RoleChanged(5));
    const auto before = Files();
    ASSERT_EQ(before[1], SchemeFolder() + L"Arrow.ani");

    std::vector<std::wstring> steps;
    desktop.onReload = [&] {
        steps.push_back(L"reload");
        EXPECT_TRUE(RoleValuesLeft().empty()) << "the pointers are reloaded from the cleared settings";
    };
    desktop.onStartProgram = [&](const std::wstring&, int) {
        steps.push_back(L"start");
        EXPECT_TRUE(RoleValuesLeft().empty()) << "all values are deleted before the dialog starts";
        EXPECT_FALSE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id)) << "Timer1 goes on after the start";
        EXPECT_EQ(Files(), before) << "the editor is re-initialised after the start";
        EXPECT_EQ(CopiesLeft().size(), static_cast<size_t>(kRoleCount));
    };
    // ShuaXinYuLan covers the grid first thing of a re-initialisation.
    struct Reinit : Profiler {
        std::function<void()> seen;
        void Step(const char* name) override {
            if (std::string_view(name) == "show the cover (XianShi)") seen();
        }
    } reinit;
    reinit.seen = [&] {
        steps.push_back(L"reinit");
        EXPECT_EQ(desktop.startedPrograms.size(), 1u);
        EXPECT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id)) << "Timer1 goes on before the re-initialisation";
        EXPECT_EQ(CopiesLeft().size(), static_cast<size_t>(kRoleCount)) << "files go after the re-initialisation";
    };
    editor.SetProfiler(&reinit);
    desktop.boxAnswers.push_back(IDOK);

    ClickRestore();

    editor.SetProfiler(nullptr);
    EXPECT_EQ(steps, (std::vector<std::wstring>{L"reload", L"start", L"reinit"}));
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, L"是否还原鼠标指针");
    EXPECT_EQ(desktop.boxes[0].title, L"温馨提示");
    EXPECT_EQ(desktop.boxes[0].style, 1u);  // OK and Cancel, no icon
    ASSERT_EQ(desktop.startedPrograms.size(), 1u);
    EXPECT_EQ(desktop.startedPrograms[0].first, kCommand);
    EXPECT_EQ(desktop.startedPrograms[0].second, 2);  // minimised
    ExpectFallbacksShown();
    EXPECT_FALSE(FolderExists(SchemeFolder()));
    EXPECT_TRUE(FolderExists(store.Roaming()));
    // The scheme "(Default)" named is no longer in force.
    EXPECT_EQ(registry.GetString(L""), L"");
    EXPECT_EQ(library::ReadInForce().source, 0u);
    EXPECT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
    EXPECT_FALSE(editor.TimerEnabled(ShuBiaoKong::kTimer2Id));
    EXPECT_TRUE(desktop.systemCursors.empty());
}

// Cancel, Escape and closing the box all answer something other than OK.
class RestoreDeclined : public Restoring, public ::testing::WithParamInterface<int> {};

TEST_P(RestoreDeclined, ChangesNothing) {
    ApplyAllRoles();
    editor.ChuShiShuBiao();
    Choose(2, DataStorageFile(L"Wait"));
    const auto before = Files();
    desktop.boxAnswers.push_back(GetParam());

    editor.HuanYuan_ShuBiaoZhiZhen();

    EXPECT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(RoleValuesLeft().size(), static_cast<size_t>(kRoleCount));
    EXPECT_EQ(registry.GetString(L"Arrow"), SchemeFolder() + L"Arrow.ani");
    EXPECT_EQ(CopiesLeft().size(), static_cast<size_t>(kRoleCount));
    EXPECT_TRUE(desktop.startedPrograms.empty());
    EXPECT_FALSE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
    EXPECT_FALSE(editor.TimerEnabled(ShuBiaoKong::kTimer2Id));
    EXPECT_EQ(Files(), before);
    EXPECT_TRUE(editor.Scheme().RoleChanged(2));
}

INSTANTIATE_TEST_SUITE_P(Answers, RestoreDeclined, ::testing::Values(IDCANCEL, IDABORT, IDNO, 0));

TEST_F(Restoring, SecondRestoreInARowFindsNothingAndStillStartsTheDialog) {
    ApplyAllRoles();
    editor.ChuShiShuBiao();
    desktop.boxAnswers = {IDOK, IDOK};

    editor.HuanYuan_ShuBiaoZhiZhen();
    ASSERT_FALSE(FolderExists(SchemeFolder()));
    editor.HuanYuan_ShuBiaoZhiZhen();

    EXPECT_EQ(desktop.boxes.size(), 2u);
    ASSERT_EQ(desktop.startedPrograms.size(), 2u);
    EXPECT_EQ(desktop.startedPrograms[1], std::make_pair(kCommand, 2));
    EXPECT_TRUE(RoleValuesLeft().empty());
    ExpectFallbacksShown();
    EXPECT_FALSE(FolderExists(SchemeFolder()));
    EXPECT_TRUE(FolderExists(store.Roaming()));
    EXPECT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
}

// Neither a refused reload (as under Wine) nor a program that does not start
// is the user's concern: the restore goes on and says nothing.
TEST_F(Restoring, FailingReloadAndStartStillEnableTimer1AndReinitialise) {
    ApplyAllRoles();
    desktop.reloadSucceeds = false;
    desktop.startProgramSucceeds = false;
    desktop.boxAnswers.push_back(IDOK);

    editor.HuanYuan_ShuBiaoZhiZhen();

    EXPECT_EQ(desktop.reloads, 1);
    EXPECT_EQ(desktop.startedPrograms.size(), 1u);
    EXPECT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
    ExpectFallbacksShown();
    EXPECT_FALSE(FolderExists(SchemeFolder()));
    EXPECT_EQ(desktop.boxes.size(), 1u) << "only the confirmation";
}

// What is in the scheme folder before the restore, and what is left after.
struct FolderCase {
    const char* name;
    std::function<void(const std::wstring& folder)> arrange;  // folder ends in '\'
    bool folderStays;
    std::vector<std::wstring> survivors;  // relative to the folder
    std::vector<std::wstring> gone;
};

void PutFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    WriteBytes(path, {0x52, 0x49, 0x46, 0x46});
    SetFileAttributesW(path.c_str(), attributes);
}

const FolderCase kFolderCases[] = {
    {"OnlyFiles",
     [](const std::wstring& d) {
         PutFile(d + L"Arrow.ani");
         PutFile(d + L"说明.txt");
         PutFile(d + L"no extension");
         PutFile(d + L"hidden.ani", FILE_ATTRIBUTE_HIDDEN);
     },
     false, {}, {L"Arrow.ani", L"说明.txt", L"no extension", L"hidden.ani"}},
    {"Empty", [](const std::wstring&) {}, false, {}, {}},
    {"Subfolder",
     [](const std::wstring& d) {
         PutFile(d + L"Arrow.ani");
         CreateDirectoryW((d + L"旧方案").c_str(), nullptr);
         PutFile(d + L"旧方案\\Wait.ani");
         CreateDirectoryW((d + L"空").c_str(), nullptr);
     },
     true, {L"旧方案\\Wait.ani", L"空"}, {L"Arrow.ani"}},
    {"ReadOnlyFile",
     [](const std::wstring& d) {
         PutFile(d + L"Arrow.ani", FILE_ATTRIBUTE_READONLY);
         PutFile(d + L"Wait.ani");
     },
     true, {L"Arrow.ani"}, {L"Wait.ani"}},
};

class RestoreFolder : public Restoring, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(RestoreFolder, DeletesTheFilesAndRemovesTheFolderOnlyWhenEmpty) {
    const FolderCase& c = GetParam();
    ASSERT_EQ(EnsureFolderPath(SchemeFolder()), static_cast<DWORD>(ERROR_SUCCESS));
    c.arrange(SchemeFolder());
    desktop.boxAnswers.push_back(IDOK);

    editor.HuanYuan_ShuBiaoZhiZhen();

    EXPECT_EQ(FolderExists(SchemeFolder()), c.folderStays);
    EXPECT_TRUE(FolderExists(store.Roaming()));
    for (const std::wstring& name : c.survivors) {
        const DWORD a = GetFileAttributesW((SchemeFolder() + name).c_str());
        EXPECT_NE(a, INVALID_FILE_ATTRIBUTES) << "lost " << testing::PrintToString(name);
    }
    for (const std::wstring& name : c.gone) {
        EXPECT_FALSE(FileExists(SchemeFolder() + name)) << "kept " << testing::PrintToString(name);
    }
    EXPECT_EQ(desktop.boxes.size(), 1u) << "no message after the confirmation";
    EXPECT_EQ(desktop.startedPrograms.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Contents, RestoreFolder, ::testing::ValuesIn(kFolderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Restoring, MissingFolderAndMissingValuesAreSkippedSilently) {
    desktop.boxAnswers.push_back(IDOK);
    editor.HuanYuan_ShuBiaoZhiZhen();
    EXPECT_FALSE(FolderExists(SchemeFolder()));
    EXPECT_EQ(desktop.startedPrograms.size(), 1u);
    EXPECT_TRUE(editor.TimerEnabled(ShuBiaoKong::kTimer1Id));
    ExpectFallbacksShown();
}

TEST_F(Restoring, OnlyTheRoleValuesAreDeleted) {
    // Some role values, one spelled in another case; the rest are missing.
    registry.SetString(L"Arrow", L"C:\\x\\Arrow.ani");
    registry.SetString(L"wait", L"C:\\x\\Wait.ani");
    registry.SetString(L"Hand", L"%SystemRoot%\\Cursors\\hand.cur", REG_EXPAND_SZ);
    // The two roles the grid has no box for go with the others.
    registry.SetString(L"Pin", L"C:\\Windows\\Cursors\\aero_pin.cur");
    registry.SetString(L"Person", L"");
    // Neighbours that must stay, with their data.
    const std::vector<std::pair<std::wstring, std::wstring>> others = {
        {L"Arrow.bak", L"C:\\x\\Arrow.ani"},
        {L"ArrowX", L"x"},
        {L"Arrow ", L"trailing blank"},
    };
    for (const auto& [name, data] : others) registry.SetString(name, data);
    registry.SetString(L"", L"Windows 默认");
    registry.SetDword(L"Scheme Source", 2);
    desktop.boxAnswers.push_back(IDOK);

    editor.HuanYuan_ShuBiaoZhiZhen();

    EXPECT_TRUE(RoleValuesLeft().empty());
    for (const auto& [name, data] : others) {
        EXPECT_EQ(registry.GetString(name), data) << testing::PrintToString(name);
    }
    // Windows' record of the scheme in force stays, saying Windows' default.
    EXPECT_EQ(registry.GetString(L""), L"");
    EXPECT_TRUE(registry.Exists(L"Scheme Source"));
    EXPECT_EQ(registry.ValueNames().size(), others.size() + 2);
}

// A value that survives the deletions (here: written again while the dialog
// starts) keeps the file it names, so the setting never names a missing file.
TEST_F(Restoring, AFileASurvivingSettingNamesIsKept) {
    ApplyAllRoles();
    const std::wstring arrow = SchemeFolder() + L"Arrow.ani";
    desktop.onStartProgram = [&](const std::wstring&, int) { registry.SetString(L"Arrow", arrow); };
    desktop.boxAnswers.push_back(IDOK);

    ClickRestore();

    EXPECT_EQ(CopiesLeft(), std::vector<std::wstring>{L"Arrow.ani"});
    EXPECT_TRUE(FolderExists(SchemeFolder())) << "the folder stays with the file";
    EXPECT_EQ(registry.GetString(L"Arrow"), arrow);
}

}  // namespace
}  // namespace shubiao

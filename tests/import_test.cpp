// Importing the cursor packs people download: a folder with an install.inf,
// files named by purpose, packs in subfolders, several packs to choose from,
// and whatever in them cannot be used.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

constexpr int kArrow = 2;
constexpr int kHand = 4;
constexpr int kWait = 15;
constexpr int kSizeNWSE = 12;
constexpr int kPin = 16;
constexpr int kPerson = 17;

// A file of a pack folder: a cursor of ours (hot spot `hot`), text that is
// no cursor, or the given text (an .inf, UTF-8).
struct PackEntry {
    const wchar_t* path;  // below the chosen folder
    int hot = 0;          // > 0: a cursor with this hot spot
    const char* text = nullptr;
};
PackEntry CursorAt(const wchar_t* path, int hot) { return {path, hot, nullptr}; }
PackEntry TextAt(const wchar_t* path, const char* text) { return {path, 0, text}; }

constexpr const char* kInf = R"(; a pack as they come
[Version]
signature="$CHICAGO$"

[DefaultInstall]
CopyFiles = Scheme.Cur
AddReg    = Scheme.Reg

[Scheme.Reg]
HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",,"%10%\%CUR_DIR%\%pointer%,,,%10%\%CUR_DIR%\%busy%,,,,,,,,,,,%10%\%link%"

[Strings]
CUR_DIR     = "Cursors\Qogir"
SCHEME_NAME = "Qogir"
pointer     = "normal-select.cur"
busy        = "Busy.ani"
link        = "..\link.cur"
)";

constexpr const char* kSecondInf = R"([DefaultInstall]
AddReg = R
[R]
HKCU,"Control Panel\Cursors\Schemes","Dark",,"Arrow.cur"
)";

struct PackCase {
    const char* name;
    std::vector<PackEntry> entries;
    std::vector<std::pair<int, int>> taken;  // role, hot spot of the file it gets
    std::optional<size_t> choice;            // the chooser's answer, when one is shown
    size_t choices;                          // how many packs the chooser lists (0: no chooser)
    const wchar_t* message;                  // a phrase of the one box shown, nullptr: none
    const wchar_t* picked = L"";             // the folder picked, below the scratch folder
    std::optional<DWORD> baseSize = std::nullopt;  // the pointer-size setting (CursorBaseSize)
};
void PrintTo(const PackCase& c, std::ostream* os) { *os << c.name; }

class PackImport : public EditorTest, public testing::WithParamInterface<PackCase> {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }
    ScratchFolder chosen{L"pack"};
};

TEST_P(PackImport, TakesWhatThePackSetsAndKeepsTheRest) {
    const PackCase& c = GetParam();
    for (const PackEntry& entry : c.entries) {
        const std::wstring path = chosen / entry.path;
        ASSERT_EQ(EnsureFolderPath(path), static_cast<DWORD>(ERROR_SUCCESS));
        if (entry.hot > 0) {
            WriteStaticCursor(path, entry.hot, entry.hot);
        } else {
            const std::string text = entry.text != nullptr ? entry.text : "not a cursor";
            WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
        }
    }
    // What the roles hold before: one role chosen, the rest from the settings.
    Choose(kHand, DataStorageFile(L"Help"));
    std::vector<std::wstring> before;
    std::vector<bool> changedBefore;
    for (int n = 1; n <= kRoleCount; ++n) {
        before.push_back(editor.Scheme().RoleCursorFile(n));
        changedBefore.push_back(editor.Scheme().RoleChanged(n));
    }
    desktop.boxAnswers.push_back(IDNO);  // a pack that sets Hand replaces the pending choice
    if (c.baseSize) registry.SetDword(L"CursorBaseSize", *c.baseSize);
    if (c.choice) desktop.packAnswers.push_back(*c.choice);
    const std::wstring picked = *c.picked == L'\0' ? chosen.Path() : chosen / c.picked;
    desktop.folderAnswers.push_back(picked);
    ClickButton(ShuBiaoKong::kDaoRuId);

    for (int n = 1; n <= kRoleCount; ++n) {
        int hot = 0;
        for (const auto& [role, spot] : c.taken) hot = role == n ? spot : hot;
        SCOPED_TRACE(testing::Message() << "role " << n);
        if (hot == 0) {
            EXPECT_EQ(editor.Scheme().RoleCursorFile(n), before[static_cast<size_t>(n - 1)]);
            EXPECT_EQ(editor.Scheme().RoleChanged(n), changedBefore[static_cast<size_t>(n - 1)]);
            continue;
        }
        const std::wstring& file = editor.Scheme().RoleCursorFile(n);
        EXPECT_EQ(file.rfind(picked + L"\\", 0), 0u) << testing::PrintToString(file);
        EXPECT_EQ(ReadBytes(file), MakeStaticCursor(hot, hot));
        EXPECT_TRUE(editor.Scheme().RoleChanged(n));
    }
    EXPECT_EQ(desktop.packChoosers.size(), c.choices == 0 ? 0u : 1u);
    if (!desktop.packChoosers.empty()) {
        EXPECT_EQ(desktop.packChoosers[0].size(), c.choices);
    }
    const auto boxes = desktop.Warnings();
    if (c.message == nullptr) {
        EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? std::wstring() : boxes[0].text);
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].title, L"温馨提示");
        EXPECT_NE(boxes[0].text.find(c.message), std::wstring::npos) << testing::PrintToString(boxes[0].text);
    }
}

const PackCase kPacks[] = {
    {"InfSetsItsRoles",
     {TextAt(L"install.inf", kInf), CursorAt(L"normal-select.cur", 3), CursorAt(L"Busy.ani", 4)},
     {{kArrow, 3}, {kWait, 4}}, std::nullopt, 0, L"“链接选择”：包中没有文件“link.cur”"},
    {"InfNeverReadsOutsideTheFolder",
     {TextAt(L"pack\\install.inf", kInf), CursorAt(L"pack\\normal-select.cur", 3), CursorAt(L"pack\\Busy.ani", 4),
      CursorAt(L"link.cur", 9)},
     {{kArrow, 3}, {kWait, 4}}, std::nullopt, 0, L"包中没有文件“link.cur”", L"pack"},
    {"InfFileThatIsNoCursorKeepsItsRole",
     {TextAt(L"install.inf", kInf), CursorAt(L"normal-select.cur", 3), TextAt(L"busy.ani", "RIFF....ACON"),
      CursorAt(L"link.cur", 7)},
     {{kArrow, 3}, {kHand, 7}}, std::nullopt, 0, L"“忙”：“busy.ani”文件不是有效的光标文件"},
    {"FilesNamedByPurpose",
     {CursorAt(L"Adwaita - Normal Select.cur", 3), CursorAt(L"Adwaita - Busy.ani", 4),
      CursorAt(L"Adwaita - Link Select.cur", 5), TextAt(L"Adwaita - readme.txt", "hi")},
     {{kArrow, 3}, {kWait, 4}, {kHand, 5}}, std::nullopt, 0, L"另存为方案"},
    {"OnePackInASubfolder",
     {CursorAt(L"Qogir\\cursors\\pointer.cur", 3), CursorAt(L"Qogir\\cursors\\busy.ani", 4)},
     {{kArrow, 3}, {kWait, 4}}, std::nullopt, 0, L"另存为方案"},
    {"TwoPacksTheUserTakesTheSecond",
     {TextAt(L"light\\install.inf", kInf), CursorAt(L"light\\normal-select.cur", 3),
      TextAt(L"dark\\x\\install.inf", kSecondInf), CursorAt(L"dark\\x\\arrow.cur", 8)},
     {{kArrow, 8}}, 1, 2, L"另存为方案"},
    {"TwoSchemesOfOneInfCancelled",
     {TextAt(L"two.inf", R"([DefaultInstall]
AddReg = R
[R]
HKCU,"Control Panel\Cursors\Schemes","A",,"one.cur"
HKCU,"Control Panel\Cursors\Schemes","B",,"two.cur"
)"),
      CursorAt(L"one.cur", 3), CursorAt(L"two.cur", 4)},
     {}, std::nullopt, 2, nullptr},
    {"WindowsChineseNamesBehindAPrefixWithPinAndPerson",
     {CursorAt(L"花萝-正常选择.ani", 3), CursorAt(L"花萝-忙.ani", 4), CursorAt(L"花萝-沿对角线调整大小 1.ani", 5),
      CursorAt(L"花萝-位置选择.cur", 6), CursorAt(L"花萝-个人选择.cur", 7)},
     {{kArrow, 3}, {kWait, 4}, {kSizeNWSE, 5}, {kPin, 6}, {kPerson, 7}}, std::nullopt, 0, L"另存为方案"},
    {"NumberedCopyOnlyWhereThePlainNameIsMissing",
     {CursorAt(L"正常选择2.ani", 3), CursorAt(L"正常选择3.ani", 9), CursorAt(L"忙.ani", 4), CursorAt(L"忙 (2).ani", 8)},
     {{kArrow, 3}, {kWait, 4}}, std::nullopt, 0, L"“正常选择”：正常选择2.ani"},
    {"InfListOfSeventeenSetsPinAndPerson",
     {TextAt(L"install.inf", R"([DefaultInstall]
AddReg = R
[R]
HKCU,"Control Panel\Cursors\Schemes","S",,"a.cur,,,,,,,,,,,,,,,pin.cur,person.cur"
)"),
      CursorAt(L"a.cur", 3), CursorAt(L"pin.cur", 6), CursorAt(L"person.cur", 7)},
     {{kArrow, 3}, {kPin, 6}, {kPerson, 7}}, std::nullopt, 0, L"另存为方案"},
    // Every test cursor holds 32 pixels only; the setting asks for 48 at 96 DPI.
    {"PackLacksTheSizeThisScreenNeeds",
     {CursorAt(L"Normal Select.cur", 3), CursorAt(L"Busy.ani", 4)},
     {{kArrow, 3}, {kWait, 4}}, std::nullopt, 0, L"有 2 个指针缺少本屏幕所需的 48 像素，会被放大，可能模糊", L"", 48},
    {"NothingUsable", {TextAt(L"readme.txt", "hi"), TextAt(L"picture.png", "png")}, {}, std::nullopt, 0,
     L"没有找到可以导入的鼠标指针"},
    {"EveryFileOfThePackIsBad",
     {TextAt(L"install.inf", kInf), TextAt(L"normal-select.cur", "x"), TextAt(L"Busy.ani", "y")}, {}, std::nullopt, 0,
     L"“Qogir”中没有可以导入的鼠标指针"},
};

INSTANTIATE_TEST_SUITE_P(Import, PackImport, testing::ValuesIn(kPacks),
                         [](const testing::TestParamInfo<PackCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

// The previews' cache: a Refresh draws what the files hold now, reads an
// unchanged file no more, and holds only the files the roles name.
#include <gtest/gtest.h>

#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

constexpr std::uint32_t kRed = 0x00CC2222;
constexpr std::uint32_t kBlue = 0x002222CC;

// Dates a file back to 2020, as a file the user has not touched for long.
void MakeOld(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    SYSTEMTIME when{2020, 1, 3, 1, 12, 0, 0, 0};
    FILETIME old{};
    ASSERT_TRUE(SystemTimeToFileTime(&when, &old));
    ASSERT_TRUE(SetFileTime(file.get(), &old, nullptr, &old));
}

class PreviewCaching : public EditorTest {
protected:
    ScratchFolder cursors{L"cache"};
    const std::wstring arrow = cursors / L"arrow.cur";

    void LoadWithArrow(const std::vector<std::uint8_t>& bytes) {
        WriteBytes(arrow, bytes);
        MakeOld(arrow);
        registry.SetString(L"Arrow", arrow);
        editor.ChuShiShuBiao();
    }
};

TEST_F(PreviewCaching, AnUnchangedFileIsNotReadAgain) {
    LoadWithArrow(MakeStaticCursor(1, 1, kRed));
    ASSERT_EQ(Box(2).Middle(), kRed);
    // Held open with no sharing: reading it again would fail and blank the box.
    const UniqueFile held(CreateFileW(arrow.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    editor.ChuShi_SB_Click();
    EXPECT_EQ(Box(2).Middle(), kRed);
    EXPECT_EQ(editor.PreviewCacheSize(), static_cast<size_t>(layout::kBoxCount));
}

// How the file changes between two Refreshes, and the colour box 2 shows after.
struct Change {
    const char* name;
    std::vector<std::uint8_t> first;
    void (*change)(const std::wstring& file, const std::wstring& folder);
    std::uint32_t after;
};

const std::vector<std::uint8_t> kText{'n', 'o', 't', ' ', 'a', ' ', 'c', 'u', 'r', 's', 'o', 'r'};

const Change kChanges[] = {
    {"RewrittenInPlace", MakeStaticCursor(1, 1, kRed),
     [](const std::wstring& file, const std::wstring&) { WriteStaticCursor(file, 1, 1, kBlue); }, kBlue},
    {"ReplacedByARename", MakeStaticCursor(1, 1, kRed),
     [](const std::wstring& file, const std::wstring& folder) {
         const std::wstring other = folder + L"\\other.cur";
         WriteStaticCursor(other, 1, 1, kBlue);
         ASSERT_TRUE(MoveFileExW(other.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
     },
     kBlue},
    {"Deleted", MakeStaticCursor(1, 1, kRed),
     [](const std::wstring& file, const std::wstring&) { ASSERT_TRUE(DeleteFileW(file.c_str())); }, 0xFFFFFF},
    {"BrokenThenMended", kText,
     [](const std::wstring& file, const std::wstring&) { WriteStaticCursor(file, 1, 1, kBlue); }, kBlue},
    {"BrokenByAWrite", MakeStaticCursor(1, 1, kRed),
     [](const std::wstring& file, const std::wstring&) { WriteBytes(file, kText); }, 0xFFFFFF},
};

class PreviewChange : public PreviewCaching, public testing::WithParamInterface<Change> {};

TEST_P(PreviewChange, IsShownAfterRefresh) {
    const Change& c = GetParam();
    LoadWithArrow(c.first);
    const std::uint32_t before = Box(2).Middle();
    EXPECT_EQ(before, c.first == kText ? 0xFFFFFFu : kRed);
    editor.ChuShi_SB_Click();
    EXPECT_EQ(Box(2).Middle(), before) << "an unchanged file looks the same";

    c.change(arrow, cursors.Path());
    editor.ChuShi_SB_Click();
    EXPECT_EQ(Box(2).Middle(), c.after);
}

INSTANTIATE_TEST_SUITE_P(Files, PreviewChange, testing::ValuesIn(kChanges),
                         [](const testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

TEST_F(PreviewCaching, AChosenFileGoesThroughTheCacheToo) {
    LoadWithArrow(MakeStaticCursor(1, 1, kRed));
    const std::wstring chosen = cursors / L"chosen.cur";
    WriteStaticCursor(chosen, 2, 2, kBlue);
    Choose(2, chosen);
    EXPECT_EQ(Box(2).Middle(), kBlue);
    desktop.boxAnswers.push_back(IDNO);  // asked first: the choice is dropped
    editor.ChuShi_SB_Click();
    EXPECT_EQ(Box(2).Middle(), kRed) << "Refresh discards the choice";
}

// Every Refresh names new files for two roles and rewrites a third: the cache
// keeps only what the fifteen roles name, and no GDI object is left behind.
TEST_F(PreviewCaching, ManyRefreshesWithChangingFilesHoldNoMore) {
    LoadWithArrow(MakeStaticCursor(1, 1, kRed));
    PumpMessages(20);
    const DWORD before = CountGdiObjects();
    for (int i = 0; i < 12; ++i) {
        const std::wstring name = cursors / (L"c" + std::to_wstring(i % 7) + L".cur");
        WriteStaticCursor(name, i % 30, 1, i % 2 == 0 ? kRed : kBlue);
        registry.SetString(L"Hand", name);
        registry.SetString(L"Wait", i % 3 == 0 ? cursors / L"missing.cur" : name);
        WriteStaticCursor(arrow, 1, i % 30, i % 2 == 0 ? kBlue : kRed);
        editor.ChuShi_SB_Click();
        ASSERT_EQ(Box(4).Middle(), i % 2 == 0 ? kRed : kBlue) << i;
        ASSERT_LE(editor.PreviewCacheSize(), static_cast<size_t>(layout::kBoxCount)) << i;
    }
    // Back to the files of the start: the same cursors are held as then.
    registry.Delete(L"Hand");
    registry.Delete(L"Wait");
    WriteStaticCursor(arrow, 1, 1, kBlue);
    MakeOld(arrow);  // a time apart from the loop's last write, whatever the clock's tick
    editor.ChuShi_SB_Click();
    PumpMessages(20);
    EXPECT_EQ(Box(2).Middle(), kBlue);
    EXPECT_EQ(editor.PreviewCacheSize(), static_cast<size_t>(layout::kBoxCount));
    EXPECT_EQ(CountGdiObjects(), before);
}

}  // namespace
}  // namespace shubiao

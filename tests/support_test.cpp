// The test helpers other tests rely on, and the shared file operations.
#include <gtest/gtest.h>

#include "scheme/FileOps.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

TEST(GdiCount, SeesGdiObjectsComeAndGo) {
    const DWORD before = CountGdiObjects();
    ASSERT_GT(before, 0u);
    std::vector<UniqueBrush> brushes;
    for (int i = 0; i < 25; ++i) brushes.emplace_back(CreateSolidBrush(RGB(i, 1, 2)));
    EXPECT_EQ(CountGdiObjects(), before + 25);
    brushes.clear();
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(GdiCount, SeesALeakedCursor) {
    const DWORD before = CountGdiObjects();
    HCURSOR cursor = LoadCursorFromFileW(DataStorageFile(L"Arrow").c_str());
    ASSERT_NE(cursor, nullptr);
    EXPECT_GT(CountGdiObjects(), before);
    DestroyCursor(cursor);
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(FileOps, EnsureFolderPathCreatesEveryMissingLevel) {
    ScratchFolder scratch;
    const std::wstring deep = scratch / L"一\\二\\three\\";
    EXPECT_EQ(EnsureFolderPath(deep), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(FolderExists(scratch / L"一\\二\\three"));
    EXPECT_EQ(EnsureFolderPath(deep), static_cast<DWORD>(ERROR_SUCCESS));  // already there
    // Only up to the last backslash: a trailing name is not a folder.
    EXPECT_EQ(EnsureFolderPath(scratch / L"four\\file.ani"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(FolderExists(scratch / L"four"));
    EXPECT_FALSE(FolderExists(scratch / L"four\\file.ani"));
}

TEST(FileOps, EnsureFolderPathFailsWhenAFileIsInTheWay) {
    ScratchFolder scratch;
    WriteBytes(scratch / L"Arrow.cur", {1, 2, 3});
    EXPECT_NE(EnsureFolderPath(scratch / L"Arrow.cur\\"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(EnsureFolderPath(scratch / L"Arrow.cur\\deeper\\"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(FileExists(scratch / L"Arrow.cur"));
}

TEST(FileOps, CopyReplacesAndCopyOntoItselfKeepsTheBytes) {
    ScratchFolder scratch;
    WriteBytes(scratch / L"a.ani", {1, 2, 3});
    WriteBytes(scratch / L"b.ani", {9});
    EXPECT_EQ(CopyFileReplacing(scratch / L"a.ani", scratch / L"b.ani"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(scratch / L"b.ani"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(SameFile(scratch / L"a.ani", scratch / L".\\a.ani"));
    EXPECT_FALSE(SameFile(scratch / L"a.ani", scratch / L"b.ani"));
    EXPECT_EQ(CopyFileReplacing(scratch / L"a.ani", scratch / L".\\a.ani"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(scratch / L"a.ani"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_NE(CopyFileReplacing(scratch / L"missing.ani", scratch / L"c.ani"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(FileExists(scratch / L"c.ani"));
}

}  // namespace
}  // namespace shubiao

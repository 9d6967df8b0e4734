// What Windows gets of a cursor file: previews made from the checked bytes,
// and pointers loaded while the file cannot change.
#include <gtest/gtest.h>

#include <functional>

#include "editor/CursorLoader.h"
#include "scheme/formats/CursorImages.h"
#include "win/Text.h"
#include "portable/cursor_bytes.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using namespace cursor_bytes;

struct PreviewCase {
    const char* name;
    std::function<Bytes()> make;
    int size;      // asked for
    POINT hotSpot; // of the preview made
};

class PreviewFromTheCheckedBytes : public testing::TestWithParam<PreviewCase> {};

// Windows picks the image of the asked size from the directory built of the
// file and makes the cursor of those bytes, hot spot included. The previews
// take each frame this way: the first step's frame of the checked bytes,
// made by IconFromImage.
TEST_P(PreviewFromTheCheckedBytes, HasTheImageOfTheSizeAndItsHotSpot) {
    const Bytes bytes = GetParam().make();
    ASSERT_TRUE(CheckCursorBytes(bytes).ok());
    const auto frame = FirstFrame(bytes);
    ASSERT_TRUE(frame.has_value());
    DWORD error = ERROR_SUCCESS;
    const UniqueIcon preview = IconFromImage(*frame, GetParam().size, error);
    ASSERT_TRUE(preview) << error;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(preview.get(), &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, GetParam().size);
    EXPECT_EQ(static_cast<LONG>(info.xHotspot), GetParam().hotSpot.x);
    EXPECT_EQ(static_cast<LONG>(info.yHotspot), GetParam().hotSpot.y);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

Bytes ThreeSizes() {
    return MakeIcon(kCur, {DibImage({16, 16, 32}, 1, 2), DibImage({32, 32, 32}, 3, 4), DibImage({48, 48, 8}, 5, 6)});
}

INSTANTIATE_TEST_SUITE_P(
    Loader, PreviewFromTheCheckedBytes,
    testing::Values(PreviewCase{"CursorAsked16", ThreeSizes, 16, {1, 2}},
                    PreviewCase{"CursorAsked32", ThreeSizes, 32, {3, 4}},
                    PreviewCase{"CursorAsked48", ThreeSizes, 48, {5, 6}},
                    PreviewCase{"PngCursorBesideADib",
                                [] { return MakeIcon(kCur, {DibImage({16, 16, 4}, 1, 1), {MakePng(32, 32), 32, 32, 30, 2}}); },
                                32, {30, 2}},
                    PreviewCase{"IconGetsItsCentre",
                                [] { return MakeIcon(kIco, {DibImage({16, 16, 8}), DibImage({32, 32, 24})}); }, 32, {16, 16}},
                    PreviewCase{"AnimationShowsTheFirstStepsFrame",
                                [] {
                                    return Riff({Anih(2, 2, kFlagIcon | kFlagSequence), Chunk("seq ", Table({1, 0})),
                                                 FrameList({MakeCursor(32), MakeIcon(kCur, {DibImage({32, 32, 32}, 7, 9)})})});
                                },
                                32, {7, 9}}),
    [](const testing::TestParamInfo<PreviewCase>& info) { return std::string(info.param.name); });

// Someone tries to change the file between its check and the loader's read:
// refused, and the pointer shown is the one that was checked.
struct Writer {
    const char* name;
    std::function<bool(const std::wstring& file, const std::wstring& folder)> tries;  // true when it got through
};

class HeldWhileLoading : public EditorTest, public testing::WithParamInterface<Writer> {};

TEST_P(HeldWhileLoading, RefusesTheWriterAndShowsTheCheckedPointer) {
    ScratchFolder files(L"held");
    const std::wstring file = files / L"指针.cur";
    WriteStaticCursor(file, 5, 6);
    editor.ChuShiShuBiao();
    Choose(3, file);
    std::optional<bool> gotThrough;
    {
        ScopedLoaderProbe probe([&](const std::wstring& loading) {
            EXPECT_EQ(loading, file);
            gotThrough = GetParam().tries(file, files.Path());
        });
        editor.Picture16_MouseMove();
        editor.Picture_MouseMove(3);
    }
    ASSERT_TRUE(gotThrough.has_value()) << "the loader was not reached";
    EXPECT_FALSE(*gotThrough);
    const auto shown = reinterpret_cast<HCURSOR>(GetClassLongPtrW(editor.Picture(3).hwnd(), GCLP_HCURSOR));
    EXPECT_EQ(CursorHotSpot(shown).x, 5);
    EXPECT_EQ(ReadBytes(file), MakeStaticCursor(5, 6));
}

INSTANTIATE_TEST_SUITE_P(
    Loader, HeldWhileLoading,
    testing::Values(Writer{"Write",
                           [](const std::wstring& file, const std::wstring&) {
                               const UniqueFile w(CreateFileW(file.c_str(), GENERIC_WRITE,
                                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                              nullptr, OPEN_EXISTING, 0, nullptr));
                               if (!w) return false;
                               const Bytes other = MakeStaticCursor(9, 9);
                               DWORD written = 0;
                               return WriteFile(w.get(), other.data(), static_cast<DWORD>(other.size()), &written,
                                                nullptr) != FALSE;
                           }},
                    Writer{"Rename",
                           [](const std::wstring& file, const std::wstring& folder) {
                               return MoveFileExW(file.c_str(), (folder + L"\\moved.cur").c_str(), 0) != FALSE;
                           }},
                    Writer{"Delete", [](const std::wstring& file, const std::wstring&) {
                               return DeleteFileW(file.c_str()) != FALSE;
                           }}),
    [](const testing::TestParamInfo<Writer>& info) { return std::string(info.param.name); });

// Every place that reads a cursor file tells a failed read the same way.
struct ProblemCase {
    const char* name;
    CursorFault fault;
    DWORD error;
    CursorProblem::Kind kind;
    std::wstring says;  // a part of the text the user reads
};

class CursorProblemText : public testing::TestWithParam<ProblemCase> {};

TEST_P(CursorProblemText, ClassifiesAndSaysWhy) {
    const CursorProblem problem{GetParam().fault, GetParam().error};
    EXPECT_EQ(problem.Classify(), GetParam().kind);
    const std::wstring text = problem.Describe();
    EXPECT_NE(text.find(GetParam().says), std::wstring::npos) << ToUtf8(text);
    EXPECT_EQ(text.find(L'%'), std::wstring::npos) << ToUtf8(text);
}

INSTANTIATE_TEST_SUITE_P(
    Loader, CursorProblemText,
    testing::Values(
        ProblemCase{"NoFile", CursorFault::None, ERROR_FILE_NOT_FOUND, CursorProblem::Kind::Missing, L"找不到该光标文件"},
        ProblemCase{"NoFolder", CursorFault::None, ERROR_PATH_NOT_FOUND, CursorProblem::Kind::Missing, L"找不到该光标文件"},
        ProblemCase{"BadName", CursorFault::None, ERROR_INVALID_NAME, CursorProblem::Kind::Missing, L"找不到该光标文件"},
        ProblemCase{"LockedNamesWindowsReason", CursorFault::None, ERROR_SHARING_VIOLATION,
                    CursorProblem::Kind::Unreadable, L"无法读取该光标文件（"},
        ProblemCase{"CheckerVerdictWinsOverTheLoader", CursorFault::TooLarge, ERROR_INVALID_DATA,
                    CursorProblem::Kind::BadContent, std::wstring(DescribeCursorFault(CursorFault::TooLarge))},
        ProblemCase{"UnknownFormat", CursorFault::UnknownFormat, ERROR_SUCCESS, CursorProblem::Kind::BadContent,
                    std::wstring(DescribeCursorFault(CursorFault::UnknownFormat))},
        ProblemCase{"RefusedByWindows", CursorFault::None, ERROR_INVALID_DATA, CursorProblem::Kind::NotLoadable,
                    L"系统无法把该文件加载为光标"},
        ProblemCase{"NothingWrong", CursorFault::None, ERROR_SUCCESS, CursorProblem::Kind::None, L""}),
    [](const testing::TestParamInfo<ProblemCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao

#include "scheme/formats/CursorFileCheck.h"

#include <gtest/gtest.h>

#include "corpus.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cursor_bytes.h"
#include "malformed_cursors.h"
#include "tests/fuzz/invariants.h"

namespace {

using namespace cursor_bytes;
using shubiao::CheckCursorBytes;
using shubiao::CursorFault;
using shubiao::CursorFileKind;
namespace fs = std::filesystem;

using namespace malformed_cursors;

std::string CaseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

class Malformed : public testing::TestWithParam<Case> {};

TEST_P(Malformed, IsRefusedWithItsFault) {
    const Bytes bytes = GetParam().make();
    const shubiao::CursorCheck check = CheckCursorBytes(bytes);
    EXPECT_EQ(check.fault, GetParam().fault);
    EXPECT_FALSE(check.ok());
    EXPECT_FALSE(shubiao::DescribeCursorFault(check.fault).empty());
}

INSTANTIATE_TEST_SUITE_P(CursorFileCheck, Malformed, testing::ValuesIn(kMalformed), CaseName);

struct GoodCase {
    const char* name;
    std::function<Bytes()> make;
    CursorFileKind kind;
};

std::string GoodName(const testing::TestParamInfo<GoodCase>& info) { return info.param.name; }

Bytes MixedIcon() {
    return MakeIcon(kIco, {DibImage({16, 16, 1}), DibImage({16, 16, 4}), DibImage({32, 32, 8}), DibImage({24, 24, 16}),
                           DibImage({48, 48, 24}), DibImage({40, 40, 32, 124}), DibImage({32, 32, 8, 40, 16}),
                           DibImage({256, 256, 1}), PngImage(256, 256)});
}

const GoodCase kWellFormed[] = {
    {"Cursor32", [] { return MakeCursor(); }, CursorFileKind::Static},
    {"CursorOnePixel", [] { return MakeIcon(kCur, {DibImage({1, 1, 1})}); }, CursorFileKind::Static},
    {"IconOfEveryDepthAndPng", MixedIcon, CursorFileKind::Static},
    {"CursorWithPngImage", [] { return MakeIcon(kCur, {{MakePng(48, 48), 48, 48, 47, 47}}); }, CursorFileKind::Static},
    {"CursorWithV5Header", [] { return MakeIcon(kCur, {DibImage({32, 32, 32, 124}, 31, 31)}); }, CursorFileKind::Static},
    {"Animation", [] { return MakeAnimation(); }, CursorFileKind::Animated},
    {"AnimationWithoutSequenceOrRate", [] { return Riff({Anih(2, 2, kFlagIcon), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFileKind::Animated},
    {"FewerStepsThanFramesWithoutSequence", [] { return Riff({Anih(2, 1, kFlagIcon), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFileKind::Animated},
    {"SequenceWithoutFlag", [] { return Riff({Anih(2, 2, kFlagIcon), Chunk("seq ", Table({1, 0})), FrameList({MakeCursor(), MakeCursor()})}); }, CursorFileKind::Animated},
    {"RiffSizeCountsWholeFile", [] { Bytes b = MakeAnimation(); Set32(b, 4, static_cast<std::uint32_t>(b.size())); return b; }, CursorFileKind::Animated},
    {"InfoListAndUnknownChunksFirst", [] { return Riff({List("INFO", {Chunk("INAM", {'a', 'b', 'c'}), Chunk("IART", {'x', 0})}), Chunk("junk", {1, 2, 3}), Anih(1, 1, kFlagIcon), FrameList({MakeCursor()})}); }, CursorFileKind::Animated},
    {"FramesOfMixedSizes", [] { return Riff({Anih(3, 3, kFlagIcon), FrameList({MakeCursor(32), MakeCursor(48, 8), MakeIcon(kIco, {DibImage({16, 16, 4}), PngImage(64, 64)})})}); }, CursorFileKind::Animated},
    {"LastChunkOddWithoutPad", [] { return Riff({Anih(1, 1, kFlagIcon), FrameList({MakeCursor()}), Chunk("junk", {1, 2, 3}, false)}); }, CursorFileKind::Animated},
    {"LastIconOddWithoutPad", [] { Bytes icon = MakeCursor(); icon.push_back(0); Bytes data{'f', 'r', 'a', 'm'}; Append(data, Chunk("icon", icon, false)); return Riff({Anih(1, 1, kFlagIcon), Chunk("LIST", data, false)}); }, CursorFileKind::Animated},
    {"OddIconWithPad", [] { Bytes icon = MakeCursor(); icon.push_back(0); return Riff({Anih(2, 2, kFlagIcon), FrameList({icon, MakeCursor()})}); }, CursorFileKind::Animated},
    {"BytesAfterRiffData", [] { Bytes b = MakeAnimation(); b.resize(b.size() + 7, 0xEE); return b; }, CursorFileKind::Animated},
    {"LimitsExactly", [] {
         std::vector<Bytes> frames(shubiao::kMaxAnimationFrames, MakeIcon(kCur, {DibImage({1, 1, 1})}));
         std::vector<std::uint32_t> seq(shubiao::kMaxAnimationSteps, shubiao::kMaxAnimationFrames - 1);
         return Riff({Anih(shubiao::kMaxAnimationFrames, shubiao::kMaxAnimationSteps), Chunk("seq ", Table(seq)), FrameList(frames)}); },
     CursorFileKind::Animated},
};

class WellFormed : public testing::TestWithParam<GoodCase> {};

TEST_P(WellFormed, Passes) {
    const shubiao::CursorCheck check = CheckCursorBytes(GetParam().make());
    EXPECT_EQ(check.fault, CursorFault::None);
    EXPECT_TRUE(check.ok());
    EXPECT_EQ(check.kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(CursorFileCheck, WellFormed, testing::ValuesIn(kWellFormed), GoodName);

// ---- the sizes a file holds ---------------------------------------------------

using shubiao::CursorSizes;
using shubiao::SizeConflict;

struct SizesCase {
    const char* name;
    std::function<Bytes()> make;
    CursorFault fault;
    CursorSizes sizes;
};

// An image whose directory entry claims `claimed` x `claimed` pixels.
Image Claiming(Image image, std::uint32_t claimed) { image.width = image.height = claimed; return image; }

Bytes Frames(const std::vector<Bytes>& frames) {
    const auto n = static_cast<std::uint32_t>(frames.size());
    return Riff({Anih(n, n, kFlagIcon), FrameList(frames)});
}

const Bytes kTwoSizes = MakeIcon(kCur, {DibImage({48, 48, 32}), DibImage({32, 32, 8}), DibImage({32, 32, 32})});

const SizesCase kSizes[] = {
    {"SingleSize", [] { return MakeCursor(); }, CursorFault::None, {{{32, 32}}}},
    {"SizesOnceEachAscending", [] { return kTwoSizes; }, CursorFault::None, {{{32, 32}, {48, 48}}}},
    {"PngEntries", [] { return MakeIcon(kIco, {PngImage(256, 256), DibImage({32, 32, 32})}); }, CursorFault::None, {{{32, 32}, {256, 256}}}},
    {"FramesOfMixedSizes", [] { return Frames({MakeCursor(32), MakeIcon(kIco, {DibImage({16, 16, 4}), PngImage(64, 64)}), MakeCursor(32)}); },
     CursorFault::None, {{{16, 16}, {32, 32}, {64, 64}}, true}},
    {"LastFrameLacksASize", [] { return Frames({kTwoSizes, MakeCursor(32)}); }, CursorFault::None, {{{32, 32}, {48, 48}}, true}},
    {"DirectoryClaimsLarger", [] { return MakeIcon(kCur, {Claiming(DibImage({32, 32, 32}), 48)}); },
     CursorFault::SizeMismatch, {{}, false, SizeConflict{0, 0, {48, 48}, {32, 32}}}},
    {"FrameDirectoryClaimsSmallerPng", [] { return Frames({MakeCursor(), MakeIcon(kIco, {DibImage({16, 16, 4}), Claiming(PngImage(128, 128), 64)})}); },
     CursorFault::SizeMismatch, {{}, false, SizeConflict{1, 1, {64, 64}, {128, 128}}}},
    {"ZeroWide", [] { return MakeIcon(kCur, {Image{MakeDib({0, 32, 32}), 0, 32, 0, 0}}); },
     CursorFault::ZeroDimension, {{}, false, SizeConflict{0, 0, {256, 32}, {0, 32}}}},
    {"PngAbove256", [] { return MakeIcon(kIco, {PngImage(512, 512)}); },
     CursorFault::DimensionTooLarge, {{}, false, SizeConflict{0, 0, {256, 256}, {512, 512}}}},
    {"RefusedAfterItsFrames", [] { return Riff({Anih(2, 3, kFlagIcon), FrameList({MakeCursor(32), MakeCursor(48)})}); },
     CursorFault::StepsExceedFrames, {}},
};

class SizesHeld : public testing::TestWithParam<SizesCase> {};

TEST_P(SizesHeld, AreReadWithTheCheck) {
    const shubiao::CursorCheck check = CheckCursorBytes(GetParam().make());
    EXPECT_EQ(check.fault, GetParam().fault);
    EXPECT_TRUE(check.sizes == GetParam().sizes);
}

INSTANTIATE_TEST_SUITE_P(CursorFileCheck, SizesHeld, testing::ValuesIn(kSizes),
                         [](const testing::TestParamInfo<SizesCase>& info) { return std::string(info.param.name); });


std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(CursorFileCheck, InstalledFallbackCursorsPass) {
    const fs::path folder = corpus::SourcePath("assets/Data storage/Cursors");
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no fallback cursors yet at " << folder.string();
    int count = 0;
    for (const fs::path& file : FilesIn(folder)) {
        if (file.extension() != ".ani" && file.extension() != ".cur") continue;
        ++count;
        EXPECT_TRUE(shubiao::CheckCursorFile(file).ok()) << file.string();
    }
    EXPECT_EQ(count, 17) << "one for each of Windows' pointer roles";
}

// The inputs the fuzzer kept are checked without a crash, to a fault that has
// a description, pass only as one of the two kinds, and keep the promises on
// the sizes they hold.
TEST(CursorFileCheck, FuzzCorpusIsCheckedWithoutACrash) {
    const auto inputs = corpus::Inputs("cursor_file_check");
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) {
        const shubiao::CursorCheck check = CheckCursorBytes(bytes);
        EXPECT_FALSE(shubiao::DescribeCursorFault(check.fault).empty()) << name;
        EXPECT_TRUE(!check.ok() || check.kind != CursorFileKind::Unknown) << name;
        EXPECT_EQ(fuzz_invariants::CursorSizesBreak(check), "") << name;
    }
}

TEST(CursorFileCheck, EveryFaultHasItsOwnDescription) {
    std::vector<std::wstring_view> seen;
    for (int f = static_cast<int>(CursorFault::None); f <= static_cast<int>(CursorFault::RateSizeMismatch); ++f) {
        const std::wstring_view text = shubiao::DescribeCursorFault(static_cast<CursorFault>(f));
        EXPECT_FALSE(text.empty()) << f;
        EXPECT_EQ(std::find(seen.begin(), seen.end(), text), seen.end()) << "fault " << f << " shares its text";
        seen.push_back(text);
    }
}

// ---- files on disk ----------------------------------------------------------

class CursorFileOnDisk : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("shubiao_cursor_check_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path Write(const char* name, const Bytes& bytes) {
        const fs::path path = folder_ / fs::u8path(name);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    fs::path folder_;
};

TEST_F(CursorFileOnDisk, KindFollowsContentNotName) {
    const shubiao::CursorCheck staticAsAni = shubiao::CheckCursorFile(Write("static.ani", MakeCursor()));
    EXPECT_TRUE(staticAsAni.ok());
    EXPECT_EQ(staticAsAni.kind, CursorFileKind::Static);
    const shubiao::CursorCheck animatedAsCur = shubiao::CheckCursorFile(Write("animated.cur", MakeAnimation()));
    EXPECT_TRUE(animatedAsCur.ok());
    EXPECT_EQ(animatedAsCur.kind, CursorFileKind::Animated);
}

TEST_F(CursorFileOnDisk, ChineseFileNameIsRead) {
    EXPECT_TRUE(shubiao::CheckCursorFile(Write("忙碌光标.ani", MakeAnimation())).ok());
}

TEST_F(CursorFileOnDisk, BrokenFileOnDiskReportsItsFault) {
    Bytes b = MakeCursor();
    Set32(b, kBiWidth, 0);
    EXPECT_EQ(shubiao::CheckCursorFile(Write("zero.cur", b)).fault, CursorFault::ZeroDimension);
}

TEST_F(CursorFileOnDisk, MissingFileAndFolderAreUnreadable) {
    EXPECT_EQ(shubiao::CheckCursorFile(folder_ / "missing.ani").fault, CursorFault::Unreadable);
    EXPECT_EQ(shubiao::CheckCursorFile(folder_).fault, CursorFault::Unreadable);
}

TEST_F(CursorFileOnDisk, EmptyFileIsEmpty) {
    EXPECT_EQ(shubiao::CheckCursorFile(Write("empty.ani", {})).fault, CursorFault::Empty);
}

TEST_F(CursorFileOnDisk, OversizedFileIsRefusedBySize) {
    const fs::path path = Write("huge.ani", MakeAnimation());
    fs::resize_file(path, (std::uintmax_t{1} << 32) + 100);   // sparse; a 32-bit size would look small
    EXPECT_EQ(shubiao::CheckCursorFile(path).fault, CursorFault::TooLarge);
}

TEST_F(CursorFileOnDisk, FileOfExactlyTheLimitIsRead) {
    Bytes b = MakeAnimation();
    b.resize(shubiao::kMaxCursorFileBytes, 0);   // trailing bytes after the RIFF data
    EXPECT_TRUE(shubiao::CheckCursorFile(Write("limit.ani", b)).ok());
}

}  // namespace

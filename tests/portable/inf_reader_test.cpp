#include "scheme/InfReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "inf_cases.h"
#include "scheme/TextEncoding.h"
#include "tests/fuzz/invariants.h"

namespace {

namespace fs = std::filesystem;
using inf_cases::Bytes;

std::string CaseName(const testing::TestParamInfo<inf_cases::Case>& info) { return info.param.name; }

class InfFile : public testing::TestWithParam<inf_cases::Case> {};

TEST_P(InfFile, ReadsAsWindowsSetupWouldInTime) {
    const Bytes bytes = GetParam().make();
    const auto start = std::chrono::steady_clock::now();
    const shubiao::inf::InfResult result = shubiao::inf::ReadCursorInf(bytes, inf_cases::FakeGbk);
    const double millis = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(inf_cases::Describe(result), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::InfResultBreaks(result), "");
    RecordProperty("milliseconds", std::to_string(millis));
    EXPECT_LT(millis, 200.0) << bytes.size() << " bytes";
}

INSTANTIATE_TEST_SUITE_P(InfReader, InfFile, testing::ValuesIn(inf_cases::Cases()), CaseName);

// Under Wine the Linux source path is reached through drive Z:.
fs::path SourcePath(const char* relative) {
#ifdef _WIN32
    return fs::path(std::string("Z:") + SHUBIAO_SOURCE_DIR) / fs::u8path(relative);
#else
    return fs::path(SHUBIAO_SOURCE_DIR) / fs::u8path(relative);
#endif
}

// Inputs the fuzzer once found troublesome keep every promise.
TEST(InfReader, FuzzRegressionsKeepThePromises) {
    const fs::path folder = SourcePath("tests/fuzz/regressions/inf_reader");
    ASSERT_TRUE(fs::is_directory(folder)) << folder.string();
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto latin1 = [](std::string_view raw, std::string& utf8) {
            for (const char c : raw) shubiao::AppendUtf8(static_cast<unsigned char>(c), utf8);
            return true;
        };
        EXPECT_EQ(fuzz_invariants::InfResultBreaks(shubiao::inf::ReadCursorInf(bytes, latin1)), "") << entry.path().string();
    }
}

}  // namespace

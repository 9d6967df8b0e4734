#include "scheme/formats/InfReader.h"

#include <gtest/gtest.h>

#include "corpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "inf_cases.h"
#include "scheme/formats/TextEncoding.h"
#include "tests/fuzz/invariants.h"

namespace {

namespace fs = std::filesystem;
using inf_cases::Bytes;

std::string CaseName(const testing::TestParamInfo<inf_cases::Case>& info) { return info.param.name; }

class InfFile : public testing::TestWithParam<inf_cases::Case> {};

// The pathological rows (a line of 100,000 commas, 10,000 sections, ...)
// are read here for what they give; how fast is for scripts/bench.
TEST_P(InfFile, ReadsAsWindowsSetupWould) {
    const Bytes bytes = GetParam().make();
    const shubiao::inf::InfResult result = shubiao::inf::ReadCursorInf(bytes, inf_cases::FakeGbk);
    EXPECT_EQ(inf_cases::Describe(result), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::InfResultBreaks(result), "");
}

INSTANTIATE_TEST_SUITE_P(InfReader, InfFile, testing::ValuesIn(inf_cases::Cases()), CaseName);


// The inputs the fuzzer kept keep every promise.
TEST(InfReader, FuzzCorpusKeepsThePromises) {
    const auto inputs = corpus::Inputs("inf_reader");
    ASSERT_GT(inputs.size(), 10u);
    const auto latin1 = [](std::string_view raw, std::string& utf8) {
        for (const char c : raw) shubiao::AppendUtf8(static_cast<unsigned char>(c), utf8);
        return true;
    };
    for (const auto& [name, bytes] : inputs) {
        EXPECT_EQ(fuzz_invariants::InfResultBreaks(shubiao::inf::ReadCursorInf(bytes, latin1)), "") << name;
    }
}

}  // namespace

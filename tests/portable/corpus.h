#pragma once
// The committed fuzz corpus of a target (tests/fuzz/corpus/NAME/): the
// replay tests run every input the fuzzer kept through the same promises the
// fuzz target checks.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace corpus {

// A file of the source tree. Under Wine the Linux source path is reached
// through drive Z:.
inline std::filesystem::path SourcePath(const char* relative) {
#ifdef _WIN32
    return std::filesystem::path(std::string("Z:") + SHUBIAO_SOURCE_DIR) / std::filesystem::u8path(relative);
#else
    return std::filesystem::path(SHUBIAO_SOURCE_DIR) / std::filesystem::u8path(relative);
#endif
}

// Name and bytes of every input kept for `target`.
inline std::vector<std::pair<std::string, std::vector<std::uint8_t>>> Inputs(const std::string& target) {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputs;
    const std::filesystem::path folder = SourcePath(("tests/fuzz/corpus/" + target).c_str());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
        std::ifstream in(entry.path(), std::ios::binary);
        inputs.emplace_back(entry.path().filename().string(),
                            std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    }
    return inputs;
}

}  // namespace corpus

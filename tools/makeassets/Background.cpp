#include "Background.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace makeassets {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 330;

// Soft white-to-light-blue diagonal gradient, a few faint waves and a
// faint dot grid.
void pixel(int x, int y, double rgbOut[3]) {
    const double t = std::clamp((0.35 * x + 0.65 * y) / (0.35 * kWidth + 0.65 * kHeight), 0.0, 1.0);
    const double from[3] = {250, 252, 255};
    const double to[3] = {214, 230, 247};
    double wave = 0;
    for (int k = 0; k < 3; ++k) {
        const double crest = 210 + 38 * k + 14 * std::sin((x + 60.0 * k) / 58.0);
        wave += std::exp(-std::pow((y - crest) / 5.0, 2)) * 7.0;
    }
    const bool dot = (x % 12 == 6) && (y % 12 == 6);
    for (int i = 0; i < 3; ++i) rgbOut[i] = from[i] + (to[i] - from[i]) * t + wave - (dot ? 6 : 0);
}

}  // namespace

void writeBackground(const std::string& jpegPath) {
    const std::filesystem::path ppm = std::filesystem::temp_directory_path() / "shubiao-general.ppm";
    {
        std::ofstream f(ppm, std::ios::binary | std::ios::trunc);
        f << "P6\n" << kWidth << ' ' << kHeight << "\n255\n";
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                double c[3];
                pixel(x, y, c);
                for (double v : c) f.put(static_cast<char>(std::lround(std::clamp(v, 0.0, 255.0))));
            }
        if (!f) throw std::runtime_error("cannot write " + ppm.string());
    }
    std::filesystem::create_directories(std::filesystem::path(jpegPath).parent_path());
    const std::string cmd = "convert '" + ppm.string() + "' -strip -interlace none -quality 92 'jpeg:" + jpegPath + "'";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("convert failed: " + cmd);
    std::filesystem::remove(ppm);
    std::printf("%8ju  %s\n", static_cast<std::uintmax_t>(std::filesystem::file_size(jpegPath)), jpegPath.c_str());
}

}  // namespace makeassets

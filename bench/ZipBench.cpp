#include "bench/ZipBench.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "bench/Stats.h"
#include "portable/zip_bytes.h"
#include "scheme/ZipPack.h"
#include "support/Scratch.h"

namespace shubiao::bench {
namespace {

constexpr int kEntries = 10000;
constexpr int kDepth = 90;

// kEntries small cursor files, side by side in one folder: with `deep` the
// last of a chain of kDepth one-letter folders ("d/d/.../c00042.cur"),
// otherwise the archive's top. Both unpack the same files into a folder of
// the same size, so what differs is the folders above them.
std::vector<std::uint8_t> Archive(bool deep) {
    zip_bytes::Archive archive;
    archive.entries.reserve(kEntries);
    std::string folders;
    for (int level = 0; deep && level < kDepth; ++level) folders += "d/";
    for (int i = 0; i < kEntries; ++i) {
        std::string name = folders;
        char file[16];
        std::snprintf(file, sizeof(file), "c%05d.cur", i);
        name += file;
        archive.entries.push_back(zip_bytes::Stored(std::move(name), zip_bytes::Content(file, 64)));
    }
    return zip_bytes::Build(archive);
}

bool Write(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.good();
}

// Milliseconds of one UnpackZip, the folder's removal not counted; negative
// when not every entry was written.
double Unpack(const std::wstring& zip, std::wstring& error) {
    const Stopwatch clock;
    ZipUnpack unpack = UnpackZip(zip);
    const double ms = clock.Ms();
    if (!unpack.error.empty() || unpack.filesWritten != kEntries) {
        error = zip + L": " + std::to_wstring(unpack.filesWritten) + L" files written" +
                (unpack.error.empty() ? std::wstring() : L", " + unpack.error) +
                (unpack.skipped.empty() ? std::wstring() : L", first skipped " + unpack.skipped.front().first + L" (" +
                                                                unpack.skipped.front().second + L")");
        return -1;
    }
    return ms;
}

}  // namespace

DeepZipResult MeasureDeepZip(int runs) {
    DeepZipResult result;
    result.entries = kEntries;
    result.depth = kDepth;
    const test::ScratchFolder folder(L"benchzip");
    if (!folder.ok()) {
        result.error = L"no scratch folder";
        return result;
    }
    const std::vector<std::uint8_t> deep = Archive(true);
    const std::vector<std::uint8_t> flat = Archive(false);
    result.deepBytes = static_cast<double>(deep.size());
    result.flatBytes = static_cast<double>(flat.size());
    const std::wstring deepZip = folder / L"deep.zip";
    const std::wstring flatZip = folder / L"flat.zip";
    if (!Write(deepZip, deep) || !Write(flatZip, flat)) {
        result.error = L"cannot write the archives";
        return result;
    }
    for (int run = 0; run < runs; ++run) {
        const double flatMs = Unpack(flatZip, result.error);
        const double deepMs = flatMs < 0 ? -1 : Unpack(deepZip, result.error);
        if (flatMs < 0 || deepMs < 0) return result;
        result.flatMs.push_back(flatMs);
        result.deepMs.push_back(deepMs);
    }
    return result;
}

}  // namespace shubiao::bench

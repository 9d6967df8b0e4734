// Checks the files installed beside ShuBiao.exe: the fifteen pointer files,
// the background picture and the icons. The small RIFF/ICO readers below are
// deliberately independent of the program's own cursor-file checker.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

fs::path ExeFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return fs::path(std::wstring(buffer, n)).parent_path();
}

fs::path CursorFolder() { return ExeFolder() / L"Data storage" / L"Cursors"; }
fs::path SkinFolder() { return ExeFolder() / L"Skin"; }

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Little-endian reads that report running past the end instead of reading it.
struct Reader {
    const Bytes& b;
    bool ok = true;
    std::uint32_t U16(std::size_t at) {
        if (at + 2 > b.size()) {
            ok = false;
            return 0;
        }
        return b[at] | b[at + 1] << 8;
    }
    std::uint32_t U32(std::size_t at) { return U16(at) | U16(at + 2) << 16; }
    std::string Tag(std::size_t at) {
        if (at + 4 > b.size()) {
            ok = false;
            return {};
        }
        return std::string(b.begin() + at, b.begin() + at + 4);
    }
};

struct IconImage {
    int width = 0, height = 0, bitCount = 0, hotX = 0, hotY = 0;
    std::size_t dibOffset = 0;
};

// An .ico or .cur file: each directory entry must point at a DIB that fits in
// the file and matches the entry's size.
std::optional<std::vector<IconImage>> ParseIconDir(const Bytes& b, int expectedType) {
    Reader r{b};
    if (r.U16(0) != 0 || r.U16(2) != static_cast<std::uint32_t>(expectedType)) return std::nullopt;
    std::vector<IconImage> images;
    for (std::uint32_t i = 0, n = r.U16(4); i < n; ++i) {
        const std::size_t e = 6 + 16 * i;
        if (e + 16 > b.size()) return std::nullopt;
        IconImage im;
        im.width = b[e] ? b[e] : 256;
        im.height = b[e + 1] ? b[e + 1] : 256;
        im.hotX = static_cast<int>(r.U16(e + 4));
        im.hotY = static_cast<int>(r.U16(e + 6));
        const std::uint32_t size = r.U32(e + 8);
        im.dibOffset = r.U32(e + 12);
        if (im.dibOffset + size > b.size() || size < 40) return std::nullopt;
        if (r.U32(im.dibOffset) != 40 || static_cast<int>(r.U32(im.dibOffset + 4)) != im.width ||
            static_cast<int>(r.U32(im.dibOffset + 8)) != 2 * im.height)
            return std::nullopt;
        im.bitCount = static_cast<int>(r.U16(im.dibOffset + 14));
        const std::size_t colours = im.bitCount <= 8 ? (r.U32(im.dibOffset + 32) ? r.U32(im.dibOffset + 32) : 1u << im.bitCount) : 0;
        const std::size_t xorStride = (im.width * im.bitCount + 31) / 32 * 4;
        const std::size_t andStride = (im.width + 31) / 32 * 4;
        if (40 + 4 * colours + (xorStride + andStride) * im.height > size) return std::nullopt;
        images.push_back(im);
    }
    if (!r.ok || images.empty()) return std::nullopt;
    return images;
}

struct Ani {
    std::uint32_t headerSize = 0, frameCount = 0, stepCount = 0, jiffies = 0, flags = 0;
    std::optional<std::uint32_t> rateEntries, seqEntries;
    std::vector<std::uint32_t> seq;
    std::vector<Bytes> frames;
};

// A RIFF "ACON" file with an anih header and a LIST "fram" of icon chunks.
std::optional<Ani> ParseAni(const Bytes& b) {
    Reader r{b};
    if (r.Tag(0) != "RIFF" || r.U32(4) != b.size() - 8 || r.Tag(8) != "ACON") return std::nullopt;
    Ani ani;
    bool haveHeader = false, haveFrames = false;
    for (std::size_t at = 12; at < b.size();) {
        const std::string tag = r.Tag(at);
        const std::size_t size = r.U32(at + 4), body = at + 8;
        if (!r.ok || body + size > b.size()) return std::nullopt;
        if (tag == "anih" && size >= 36) {
            ani.headerSize = r.U32(body);
            ani.frameCount = r.U32(body + 4);
            ani.stepCount = r.U32(body + 8);
            ani.jiffies = r.U32(body + 28);
            ani.flags = r.U32(body + 32);
            haveHeader = true;
        } else if (tag == "rate") {
            ani.rateEntries = static_cast<std::uint32_t>(size / 4);
        } else if (tag == "seq ") {
            ani.seqEntries = static_cast<std::uint32_t>(size / 4);
            for (std::size_t i = 0; i < size / 4; ++i) ani.seq.push_back(r.U32(body + 4 * i));
        } else if (tag == "LIST" && r.Tag(body) == "fram") {
            haveFrames = true;
            for (std::size_t f = body + 4; f < body + size;) {
                const std::size_t fsize = r.U32(f + 4);
                if (!r.ok || f + 8 + fsize > body + size) return std::nullopt;
                if (r.Tag(f) == "icon") ani.frames.emplace_back(b.begin() + f + 8, b.begin() + f + 8 + fsize);
                f += 8 + fsize + (fsize & 1);
            }
        }
        at = body + size + (size & 1);
    }
    if (!haveHeader || !haveFrames) return std::nullopt;
    return ani;
}

struct CursorDeleter {
    void operator()(HCURSOR c) const { DestroyCursor(c); }
};
using CursorHandle = std::unique_ptr<std::remove_pointer_t<HCURSOR>, CursorDeleter>;
struct IconDeleter {
    void operator()(HICON i) const { DestroyIcon(i); }
};
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
struct GdiDeleter {
    void operator()(HGDIOBJ o) const { DeleteObject(o); }
};
using BitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiDeleter>;

// Where the user expects the hot spot of the 32x32 image.
enum class Hot { TopLeftTip, TopTip, Centre };

struct Role {
    const wchar_t* name;
    Hot hot;
    std::uint32_t minFrames;
};

std::ostream& operator<<(std::ostream& os, const Role& r) { return os << fs::path(r.name).string(); }

const Role kRoles[] = {
    {L"AppStarting", Hot::TopLeftTip, 8}, {L"Arrow", Hot::TopLeftTip, 1},  {L"Crosshair", Hot::Centre, 1},
    {L"Hand", Hot::TopTip, 1},            {L"Help", Hot::TopLeftTip, 1},   {L"IBeam", Hot::Centre, 1},
    {L"No", Hot::Centre, 1},              {L"NWPen", Hot::TopLeftTip, 1},  {L"SizeAll", Hot::Centre, 1},
    {L"SizeNESW", Hot::Centre, 1},        {L"SizeNS", Hot::Centre, 1},     {L"SizeNWSE", Hot::Centre, 1},
    {L"SizeWE", Hot::Centre, 1},          {L"UpArrow", Hot::TopTip, 1},    {L"Wait", Hot::Centre, 8},
};

class CursorFileTest : public ::testing::TestWithParam<Role> {
protected:
    fs::path Path() const { return CursorFolder() / (std::wstring(GetParam().name) + L".ani"); }
};

TEST_P(CursorFileTest, IsAnimatedCursorWithConsistentHeader) {
    const Bytes bytes = ReadAll(Path());
    ASSERT_FALSE(bytes.empty()) << Path();
    const std::optional<Ani> ani = ParseAni(bytes);
    ASSERT_TRUE(ani) << "not a well-formed RIFF ACON file";
    EXPECT_EQ(ani->headerSize, 36u);
    EXPECT_EQ(ani->frameCount, ani->frames.size());
    EXPECT_GE(ani->frames.size(), GetParam().minFrames);
    EXPECT_EQ(ani->stepCount, ani->seqEntries.value_or(ani->frameCount));
    if (ani->rateEntries) {
        EXPECT_EQ(*ani->rateEntries, ani->stepCount);
    }
    for (std::uint32_t index : ani->seq) EXPECT_LT(index, ani->frameCount);
    EXPECT_TRUE(ani->flags & 1) << "AF_ICON must be set: frames are icon resources";
    EXPECT_EQ((ani->flags & 2) != 0, ani->seqEntries.has_value()) << "AF_SEQUENCE goes with a seq chunk";
    EXPECT_GT(ani->jiffies, 0u);
}

TEST_P(CursorFileTest, EveryFrameIsCursorWithHotSpotsWhereExpected) {
    const std::optional<Ani> ani = ParseAni(ReadAll(Path()));
    ASSERT_TRUE(ani);
    for (std::size_t f = 0; f < ani->frames.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const auto images = ParseIconDir(ani->frames[f], 2);
        ASSERT_TRUE(images) << "frame is not a well-formed .cur file";
        bool has32 = false;
        for (const IconImage& im : *images) {
            EXPECT_LT(im.hotX, im.width);
            EXPECT_LT(im.hotY, im.height);
            if (im.width != 32 || im.height != 32) continue;
            has32 = true;
            EXPECT_EQ(im.bitCount, 32);
            switch (GetParam().hot) {
                case Hot::TopLeftTip: EXPECT_LE(im.hotX, 2); EXPECT_LE(im.hotY, 2); break;
                case Hot::TopTip: EXPECT_LE(im.hotY, 3); EXPECT_GE(im.hotX, 6); break;
                case Hot::Centre: EXPECT_NEAR(im.hotX, 15.5, 1.5); EXPECT_NEAR(im.hotY, 15.5, 1.5); break;
            }
        }
        EXPECT_TRUE(has32) << "no 32x32 image";
    }
}

TEST_P(CursorFileTest, LoadsAsCursorWithHotSpotInsideImage) {
    const CursorHandle cursor(LoadCursorFromFileW(Path().c_str()));
    ASSERT_TRUE(cursor) << "LoadCursorFromFileW failed, error " << GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor.get(), &info));
    const BitmapHandle mask(info.hbmMask), colour(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(colour ? colour.get() : mask.get(), sizeof bm, &bm));
    const LONG height = colour ? bm.bmHeight : bm.bmHeight / 2;
    EXPECT_LT(static_cast<LONG>(info.xHotspot), bm.bmWidth);
    EXPECT_LT(static_cast<LONG>(info.yHotspot), height);

    // The loader picked one of the file's images: it must keep that image's hot spot.
    const std::optional<Ani> ani = ParseAni(ReadAll(Path()));
    ASSERT_TRUE(ani);
    const auto images = ParseIconDir(ani->frames.at(0), 2);
    ASSERT_TRUE(images);
    for (const IconImage& im : *images) {
        if (im.width != bm.bmWidth) continue;
        EXPECT_EQ(static_cast<int>(info.xHotspot), im.hotX);
        EXPECT_EQ(static_cast<int>(info.yHotspot), im.hotY);
    }
}

INSTANTIATE_TEST_SUITE_P(Roles, CursorFileTest, ::testing::ValuesIn(kRoles),
                         [](const auto& info) { return fs::path(info.param.name).string(); });

TEST(CursorFileParsing, RejectsTruncatedAndMislabelledFiles) {
    const Bytes good = ReadAll(CursorFolder() / L"Arrow.ani");
    ASSERT_TRUE(ParseAni(good));
    EXPECT_FALSE(ParseAni(Bytes(good.begin(), good.end() - 100))) << "RIFF size no longer matches";
    Bytes wrongForm = good;
    wrongForm[8] = 'X';
    EXPECT_FALSE(ParseAni(wrongForm));
    const Bytes frame = ParseAni(good)->frames.at(0);
    EXPECT_FALSE(ParseIconDir(frame, 1)) << "a cursor frame is not an icon";
    EXPECT_FALSE(ParseIconDir(Bytes(frame.begin(), frame.begin() + 200), 2));
}

struct ComApartment {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComApartment() {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
};

TEST(Background, DecodesLargeEnoughAndLightWhereCaptionsSit) {
    const ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.hr));
    ComPtr<IWICImagingFactory> factory;
    ASSERT_EQ(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<IWICBitmapDecoder> decoder;
    const fs::path path = SkinFolder() / L"General.jpg";
    ASSERT_EQ(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                 &decoder),
              S_OK)
        << path;
    ComPtr<IWICBitmapFrameDecode> frame;
    ASSERT_EQ(decoder->GetFrame(0, &frame), S_OK);
    UINT width = 0, height = 0;
    ASSERT_EQ(frame->GetSize(&width, &height), S_OK);
    EXPECT_GE(width, 386u);
    EXPECT_GE(height, 315u);

    ComPtr<IWICFormatConverter> converter;
    ASSERT_EQ(factory->CreateFormatConverter(&converter), S_OK);
    ASSERT_EQ(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                    WICBitmapPaletteTypeCustom),
              S_OK);
    const UINT w = std::min(width, 386u), h = std::min(height, 315u), stride = (w * 3 + 3) / 4 * 4;
    Bytes pixels(static_cast<std::size_t>(stride) * h);
    const WICRect rect{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
    ASSERT_EQ(converter->CopyPixels(&rect, stride, static_cast<UINT>(pixels.size()), pixels.data()), S_OK);
    int darkest = 255;
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            const std::uint8_t* p = &pixels[y * stride + x * 3];
            darkest = std::min(darkest, (p[0] * 11 + p[1] * 59 + p[2] * 30) / 100);
        }
    EXPECT_GE(darkest, 170) << "black captions must stay readable on the background";
}

TEST(WindowIcon, HasSmallImagesAndLoads) {
    const fs::path path = SkinFolder() / L"ico.ico";
    const auto images = ParseIconDir(ReadAll(path), 1);
    ASSERT_TRUE(images) << path;
    std::vector<int> sizes;
    for (const IconImage& im : *images) {
        EXPECT_EQ(im.bitCount, 32);
        sizes.push_back(im.width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
    const IconHandle icon(static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
    EXPECT_TRUE(icon) << "LoadImageW failed, error " << GetLastError();
}

TEST(ProgramIcon, HasOne256ColourAndOne32BitImageAt48) {
    const fs::path path = fs::path(std::string("Z:") + SHUBIAO_SOURCE_DIR + "/app/res/ShuBiao.ico");
    const auto images = ParseIconDir(ReadAll(path), 1);
    ASSERT_TRUE(images) << path;
    ASSERT_EQ(images->size(), 2u);
    std::vector<int> bitCounts;
    for (const IconImage& im : *images) {
        EXPECT_EQ(im.width, 48);
        EXPECT_EQ(im.height, 48);
        bitCounts.push_back(im.bitCount);
    }
    std::sort(bitCounts.begin(), bitCounts.end());
    EXPECT_EQ(bitCounts, (std::vector<int>{8, 32}));
}

}  // namespace

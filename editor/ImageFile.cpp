#include "editor/ImageFile.h"

#include <wincodec.h>

#include <cstdlib>
#include <cstring>

#include "win/Errors.h"
#include "win/Pixels.h"

namespace shubiao {
namespace {

[[noreturn]] void Fail(const std::wstring& path, const std::wstring& reason) {
    throw UserError(L"无法读取图片文件“" + path + L"”：" + reason);
}

std::wstring ReasonFor(HRESULT hr) { return ErrorText(static_cast<std::uint32_t>(hr)) + L"。"; }

[[noreturn]] void FailScale(const std::wstring& reason) { throw UserError(L"无法按显示比例缩放背景图片：" + reason); }

// Larger pictures are refused rather than decoded or scaled.
constexpr UINT kMaxSide = 16384;

// WICBitmapInterpolationModeHighQualityCubic (Windows 10 and later), which
// MinGW-w64's wincodec.h does not name.
constexpr auto kHighQualityCubic = static_cast<WICBitmapInterpolationMode>(4);

// Balances a successful CoInitializeEx.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }

private:
    HRESULT hr_;
};

// The system's own decoder for a file that starts as one of the common
// formats does, made directly: asking the factory to find one reads the
// registration of every decoder installed. Empty when the file is of none of
// these formats, or the decoder cannot read it, so that the factory decides.
ComPtr<IWICBitmapDecoder> DecoderFor(IWICImagingFactory& factory, const std::wstring& path) {
    struct Signature {
        const char* bytes;
        size_t size;
        const CLSID& decoder;
    };
    static const Signature kSignatures[] = {
        {"\xFF\xD8\xFF", 3, CLSID_WICJpegDecoder},
        {"\x89PNG\r\n\x1A\n", 8, CLSID_WICPngDecoder},
        {"BM", 2, CLSID_WICBmpDecoder},
        {"GIF8", 4, CLSID_WICGifDecoder},
    };
    ComPtr<IWICStream> stream;
    if (FAILED(factory.CreateStream(stream.put())) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_READ))) {
        return {};
    }
    char start[8] = {};
    ULONG read = 0;
    if (FAILED(stream->Read(start, sizeof(start), &read))) return {};
    for (const Signature& signature : kSignatures) {
        if (read < signature.size || std::memcmp(start, signature.bytes, signature.size) != 0) continue;
        ComPtr<IWICBitmapDecoder> decoder;
        LARGE_INTEGER origin{};
        if (FAILED(stream->Seek(origin, STREAM_SEEK_SET, nullptr)) ||
            FAILED(CoCreateInstance(signature.decoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                    decoder.put_void())) ||
            FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand))) {
            return {};
        }
        return decoder;
    }
    return {};
}

}  // namespace

UniqueBitmap LoadPictureFile(const std::wstring& path) {
    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    if (FAILED(hr)) Fail(path, L"系统的图像组件不可用。");
    ComPtr<IWICBitmapDecoder> decoder = DecoderFor(*factory.get(), path);
    if (!decoder) {
        hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                decoder.put());
        if (FAILED(hr)) Fail(path, ReasonFor(hr));
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    hr = decoder->GetFrame(0, frame.put());
    if (FAILED(hr)) Fail(path, ReasonFor(hr));
    ComPtr<IWICFormatConverter> converter;
    hr = factory->CreateFormatConverter(converter.put());
    if (SUCCEEDED(hr)) {
        hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    }
    if (FAILED(hr)) Fail(path, ReasonFor(hr));
    UINT width = 0;
    UINT height = 0;
    hr = converter->GetSize(&width, &height);
    if (FAILED(hr) || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
        Fail(path, L"图片尺寸无效。");
    }

    void* bits = nullptr;
    UniqueBitmap bitmap = MakeTopDownDib(static_cast<int>(width), static_cast<int>(height), &bits);
    if (!bitmap) Fail(path, L"内存不足。");
    const UINT stride = width * 4;
    hr = converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits));
    if (FAILED(hr)) Fail(path, ReasonFor(hr));
    return bitmap;
}

UniqueBitmap CopyPicture(HBITMAP picture, POINT from) {
    DIBSECTION dib{};
    if (picture == nullptr || GetObjectW(picture, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr ||
        dib.dsBm.bmBitsPixel != 32) {
        return {};
    }
    const int width = dib.dsBm.bmWidth - from.x;
    const int height = std::abs(dib.dsBm.bmHeight) - from.y;
    if (from.x < 0 || from.y < 0 || width <= 0 || height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader = dib.dsBmih;
    // LoadPictureFile makes top-down pictures; GetObject may report the height
    // as positive whichever way the rows run.
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biSizeImage = 0;
    void* bits = nullptr;
    UniqueBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy) return {};
    GdiFlush();
    const auto stride = static_cast<size_t>(dib.dsBm.bmWidthBytes);
    const auto* source = static_cast<const BYTE*>(dib.dsBm.bmBits) + static_cast<size_t>(from.y) * stride +
                         static_cast<size_t>(from.x) * 4;
    for (int row = 0; row < height; ++row) {
        std::memcpy(static_cast<BYTE*>(bits) + static_cast<size_t>(row) * static_cast<size_t>(width) * 4,
                    source + static_cast<size_t>(row) * stride, static_cast<size_t>(width) * 4);
    }
    return copy;
}

UniqueBitmap ScalePicture(HBITMAP picture, UINT width, UINT height) {
    DIBSECTION dib{};
    if (picture == nullptr || GetObjectW(picture, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr ||
        dib.dsBm.bmBitsPixel != 32) {
        FailScale(L"图片不是 32 位位图。");
    }
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) FailScale(L"目标尺寸无效。");
    const auto sourceWidth = static_cast<UINT>(dib.dsBm.bmWidth);
    const auto sourceHeight = static_cast<UINT>(std::abs(dib.dsBm.bmHeight));
    const auto sourceStride = static_cast<UINT>(dib.dsBm.bmWidthBytes);

    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    if (FAILED(hr)) FailScale(L"系统的图像组件不可用。");
    // The scaler reads the decoded pixels through a bitmap of its own (a copy).
    GdiFlush();
    ComPtr<IWICBitmap> source;
    hr = factory->CreateBitmapFromMemory(sourceWidth, sourceHeight, GUID_WICPixelFormat32bppBGRA, sourceStride,
                                         sourceStride * sourceHeight, static_cast<BYTE*>(dib.dsBm.bmBits),
                                         source.put());
    if (FAILED(hr)) FailScale(ReasonFor(hr));
    // High-quality cubic where the system has it, Fant before Windows 10.
    ComPtr<IWICBitmapScaler> scaler;
    for (const WICBitmapInterpolationMode mode : {kHighQualityCubic, WICBitmapInterpolationModeFant}) {
        hr = factory->CreateBitmapScaler(scaler.put());
        if (FAILED(hr)) break;
        hr = scaler->Initialize(source.get(), width, height, mode);
        if (SUCCEEDED(hr)) break;
    }
    if (FAILED(hr)) FailScale(ReasonFor(hr));

    void* bits = nullptr;
    UniqueBitmap scaled = MakeTopDownDib(static_cast<int>(width), static_cast<int>(height), &bits);
    if (!scaled) FailScale(L"内存不足。");
    const UINT stride = width * 4;
    hr = scaler->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits));
    if (FAILED(hr)) FailScale(ReasonFor(hr));
    return scaled;
}

}  // namespace shubiao

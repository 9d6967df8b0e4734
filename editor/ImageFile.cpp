#include "editor/ImageFile.h"

#include <wincodec.h>

#include <cstdlib>
#include <cstring>

#include "win/Errors.h"

namespace shubiao {
namespace {

[[noreturn]] void Fail(const std::wstring& path, const std::wstring& reason) {
    throw UserError(L"无法读取图片文件“" + path + L"”：" + reason);
}

std::wstring ReasonFor(HRESULT hr) { return ErrorText(static_cast<std::uint32_t>(hr)) + L"。"; }

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

}  // namespace

UniqueBitmap LoadPictureFile(const std::wstring& path) {
    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    if (FAILED(hr)) Fail(path, L"系统的图像组件不可用。");

    ComPtr<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            decoder.put());
    if (FAILED(hr)) Fail(path, ReasonFor(hr));
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
    if (FAILED(hr) || width == 0 || height == 0 || width > 16384 || height > 16384) Fail(path, L"图片尺寸无效。");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) Fail(path, L"内存不足。");
    const UINT stride = width * 4;
    hr = converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits));
    if (FAILED(hr)) Fail(path, ReasonFor(hr));
    return bitmap;
}

UniqueBitmap CopyPicture(HBITMAP picture) {
    DIBSECTION dib{};
    if (picture == nullptr || GetObjectW(picture, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr) {
        return {};
    }
    BITMAPINFO info{};
    info.bmiHeader = dib.dsBmih;
    // LoadPictureFile makes top-down pictures; GetObject may report the height
    // as positive whichever way the rows run.
    info.bmiHeader.biHeight = -std::abs(dib.dsBmih.biHeight);
    void* bits = nullptr;
    UniqueBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy) return {};
    GdiFlush();
    std::memcpy(bits, dib.dsBm.bmBits, static_cast<size_t>(dib.dsBm.bmWidthBytes) * static_cast<size_t>(dib.dsBm.bmHeight));
    return copy;
}

}  // namespace shubiao

#include "editor/Layout.h"

#include <string>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"

namespace shubiao {

int layout::CaptionWidth(std::wstring_view text) {
    int width = 0;
    for (const wchar_t c : text) width += c < 0x2E80 ? 90 : 180;
    return width;
}

std::vector<int> layout::CaptionAdvances(std::wstring_view text, UINT dpi) {
    std::vector<int> advances;
    advances.reserve(text.size());
    int twips = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int before = Pixels(twips, dpi);
        twips += CaptionWidth(text.substr(i, 1));
        advances.push_back(Pixels(twips, dpi) - before);
    }
    return advances;
}

int ShuBiaoKong::Px(int twips) const { return layout::Pixels(twips, dpi_); }

void ShuBiaoKong::PaiLieKongJian() {
    using namespace layout;
    // Rows of boxes (0-based box indexes), the last row has three boxes.
    constexpr int kRowStarts[] = {0, 4, 8, 12};
    constexpr int kRowEnds[] = {4, 8, 12, 15};
    for (int row = 0; row < 4; ++row) {
        const int first = kRowStarts[row];
        const int end = kRowEnds[row];
        const LONG top = row == 0 ? kFirstRowTop : boxTwips_[static_cast<size_t>(kRowStarts[row - 1])].y + kRowPitch;
        for (int i = first; i < end; ++i) boxTwips_[static_cast<size_t>(i)].y = top;
        boxTwips_[static_cast<size_t>(first)].x = kFirstBoxLeft;
        for (int i = first + 1; i < end; ++i) {
            boxTwips_[static_cast<size_t>(i)].x = boxTwips_[static_cast<size_t>(i - 1)].x + kColumnPitch;
        }
        const bool lastRow = row == 3;
        for (int i = first; i < end; ++i) {
            const int own = lastRow ? i : first;
            captionTwips_[static_cast<size_t>(i)].y = boxTwips_[static_cast<size_t>(own)].y + kCaptionBelow;
        }
        for (int i = first; i < end; ++i) {
            captionTwips_[static_cast<size_t>(i)].x = boxTwips_[static_cast<size_t>(i)].x - kCaptionIndent;
        }
    }
    captionTwips_[14].x = boxTwips_[14].x + kLastCaptionShift;
}

RECT ShuBiaoKong::CaptionRect(int index) const {
    const POINT at = captionTwips_.at(static_cast<size_t>(index));
    const int width = layout::CaptionWidth(Role(index + 1).caption);
    return RECT{Px(at.x), Px(at.y), Px(at.x + width), Px(at.y + layout::kCaptionHeight)};
}

bool layout::FontInstalled(const std::wstring& face, BYTE charset) {
    LOGFONTW query{};
    query.lfCharSet = charset;
    lstrcpynW(query.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(
        dc, &query,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

const std::wstring& layout::FontFace() {
    static const std::wstring face = [] {
        // Chinese faces whose characters are a full em wide. Captions are
        // drawn with fixed advances, so the width of spaces and digits in
        // the face does not matter.
        for (const wchar_t* candidate : {L"SimSun", L"NSimSun", L"Microsoft YaHei", L"WenQuanYi Micro Hei"}) {
            if (FontInstalled(candidate, GB2312_CHARSET)) return std::wstring(candidate);
        }
        return std::wstring();  // let the font mapper pick a Chinese face
    }();
    return face;
}

void ShuBiaoKong::UpdateFont() {
    // A 9-point font: a Chinese character is 12 pixels wide at 96 DPI, which
    // is what the caption geometry assumes.
    font_.reset(CreateFontW(-MulDiv(9, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, layout::FontFace().c_str()));
}

void ShuBiaoKong::PlaceChildren() {
    using namespace layout;
    auto place = [this](HWND h, const TwipsRect& r) {
        MoveWindow(h, Px(r.left), Px(r.top), Px(r.width), Px(r.height), TRUE);
    };
    place(Button(kChuShiId), kChuShi);
    place(Button(kYingYongId), kYingYong);
    place(Button(kHuanYuanId), kHuanYuan);
    place(Button(kDaoChuId), kDaoChu);
    place(Button(kDaoRuId), kDaoRu);
    place(text1_, kText1);
    xianShi_.Move(Px(kXianShi.left), Px(kXianShi.top), Px(kXianShi.width), Px(kXianShi.height));
    Picture(16).Move(Px(kPicture16.left), Px(kPicture16.top), Px(kPicture16.width), Px(kPicture16.height));
    for (int n = 1; n <= kRoleCount; ++n) {
        const POINT at = boxTwips_[static_cast<size_t>(n - 1)];
        Picture(n).Move(Px(at.x), Px(at.y), Px(kBoxSize), Px(kBoxSize));
    }
    for (const ChildId id : {kChuShiId, kYingYongId, kHuanYuanId, kDaoChuId, kDaoRuId}) {
        SendMessageW(Button(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void ShuBiaoKong::SetDpi(UINT dpi) {
    if (dpi == 0 || dpi == dpi_) return;
    dpi_ = dpi;
    UpdateFont();
    PlaceChildren();
    // The previews were drawn for the old pointer size.
    JiaZaiFangAn();
}

}  // namespace shubiao

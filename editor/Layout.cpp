#include "editor/Layout.h"

#include <algorithm>
#include <string>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "win/Fonts.h"

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

// Row by row: the row's tops from the first box of the row above, each box's
// left from the one before it, the captions' tops from the row's first box and
// their lefts from their own boxes.
void ShuBiaoKong::PaiLieKongJian() {
    using namespace layout;
    for (int first = 1; first <= kBoxCount; first += kGridColumns) {
        const int last = std::min(first + kGridColumns - 1, kBoxCount);
        const LONG top = first == 1 ? kFirstRowTop : boxes_.At(first - kGridColumns).twips.y + kRowPitch;
        for (int box = first; box <= last; ++box) {
            BoxView& view = boxes_.At(box);
            view.twips.y = top;
            view.twips.x = box == first ? kFirstBoxLeft : boxes_.At(box - 1).twips.x + kColumnPitch;
            view.captionTwips.y = boxes_.At(first).twips.y + kCaptionBelow;
            const bool oneCharacter = Role(view.role).caption.size() == 1;
            view.captionTwips.x = view.twips.x + (oneCharacter ? kOneCharacterShift : -kCaptionIndent);
        }
    }
}

RECT ShuBiaoKong::CaptionRect(int role) const {
    const POINT at = boxes_.Of(role).captionTwips;
    const int width = layout::CaptionWidth(Role(role).caption);
    return RECT{Px(at.x), Px(at.y), Px(at.x + width), Px(at.y + layout::kCaptionHeight)};
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

// Every child at its place for the DPI (the buttons from their table, the
// rest from the placement table), moved together without a repaint each;
// then the whole control is invalidated once.
void ShuBiaoKong::PlaceChildren() {
    using namespace layout;
    auto place = [this](HWND h, const TwipsRect& r) {
        SetWindowPos(h, nullptr, Px(r.left), Px(r.top), Px(r.width), Px(r.height),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    };
    for (const ButtonEntry& entry : Buttons()) {
        place(Child(entry.id), entry.rect);
        SendMessageW(Child(entry.id), WM_SETFONT, reinterpret_cast<WPARAM>(backdrop_.Font()), TRUE);
    }
    for (const ChildPlacement& child : Placements()) place(Child(child.id), child.rect);
    // The confirming line at the foot, in the grid's font.
    status_.Place(PixelRect(kStatusText, dpi_), PixelRect(kStatusButton, dpi_), backdrop_.Font());
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}


void ShuBiaoKong::SetDpi(UINT dpi) {
    if (dpi == 0 || dpi == dpi_) return;
    dpi_ = dpi;
    backdrop_.MakeFont(dpi_);
    toolTips_.UpdateFont();
    PlaceChildren();
    // The previews were drawn for the old pointer size.
    JiaZaiFangAn();
    backdrop_.ScaleFor(dpi_, container_);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

}  // namespace shubiao

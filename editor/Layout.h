#pragma once
// Geometry of the editor's children, in twips (1440 to the inch; 15 twips are
// one pixel at 96 DPI), relative to the parent's client area.
#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace shubiao::layout {

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr TwipsRect kControl{0, 0, 5820, 4740};
// Places of the children that ShuBiaoKong::Placements() puts them at; read
// only there.
inline constexpr TwipsRect kXianShi{135, 90, 3885, 4200};
inline constexpr TwipsRect kPicture16{180, 135, 3795, 4095};
inline constexpr TwipsRect kText1{3960, 3960, 510, 240};
inline constexpr int kLianJieLeft = 180;
inline constexpr int kLianJieTop = 4410;
// The status line over the link line, and its 打开文件夹 button under the
// right-hand column of buttons.
inline constexpr TwipsRect kStatusText{135, 4335, 3885, 330};
inline constexpr TwipsRect kStatusButton{4230, 4320, 1365, 360};
inline constexpr int kBoxSize = 540;
inline constexpr int kCaptionHeight = 180;

// The grid's boxes in box order, each with the number of the role it shows:
// box i (from 0) is Picture(i + 1), with the control id kPictureIdBase + i + 1.
// Boxes and roles are two things: the model knows roles the grid has no box
// for, and nothing but this table says which box shows which role.
inline constexpr std::array<int, 15> kBoxRoles{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
inline constexpr int kBoxCount = static_cast<int>(kBoxRoles.size());

// Grid constants of the preview boxes and their captions. The boxes fill the
// rows in box order, kGridColumns to a row; the last row may be shorter.
inline constexpr int kGridColumns = 4;
inline constexpr int kFirstRowTop = 225;
inline constexpr int kRowPitch = 1000;
inline constexpr int kFirstBoxLeft = 300;
inline constexpr int kColumnPitch = 900;
inline constexpr int kCaptionBelow = 600;
inline constexpr int kCaptionIndent = 80;      // a caption starts this far left of its box
inline constexpr int kOneCharacterShift = 150;  // ... but a one-character caption this far right

// Width of a caption sized to its text: 180 twips for each Chinese character,
// 90 for each space, digit or other narrow character.
int CaptionWidth(std::wstring_view text);
// Pixel advance of each character of a caption at a DPI, so that the caption
// drawn in any font spans exactly its CaptionWidth.
std::vector<int> CaptionAdvances(std::wstring_view text, UINT dpi);

// Face name of the editor's font: the first installed Chinese face, whose
// characters are 12 pixels wide at 9 points and 96 DPI.
const std::wstring& FontFace();

// Twips to pixels at a DPI (96 DPI: twips / 15).
inline int Pixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }
// `r` in pixels at `dpi`, each edge rounded as Pixels rounds it.
inline RECT PixelRect(const TwipsRect& r, UINT dpi) {
    return RECT{Pixels(r.left, dpi), Pixels(r.top, dpi), Pixels(r.left, dpi) + Pixels(r.width, dpi),
                Pixels(r.top, dpi) + Pixels(r.height, dpi)};
}

}  // namespace shubiao::layout

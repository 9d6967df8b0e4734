#pragma once
// Geometry of the editor's children, in twips (1440 to the inch; 15 twips are
// one pixel at 96 DPI), relative to the parent's client area.
#include <windows.h>

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
inline constexpr TwipsRect kXianShi{135, 90, 3885, 4200};
inline constexpr TwipsRect kDaoRu{4230, 2700, 1365, 465};
inline constexpr TwipsRect kDaoChu{4230, 3420, 1365, 465};
inline constexpr TwipsRect kPicture16{180, 135, 3795, 4095};
inline constexpr TwipsRect kText1{3960, 3960, 510, 240};
inline constexpr TwipsRect kHuanYuan{4230, 2025, 1365, 465};
inline constexpr TwipsRect kYingYong{4230, 1350, 1365, 465};
inline constexpr TwipsRect kChuShi{4230, 630, 1365, 465};
inline constexpr int kLianJieLeft = 180;
inline constexpr int kLianJieTop = 4410;
inline constexpr int kBoxSize = 540;
inline constexpr int kCaptionHeight = 180;

// Grid constants of the preview boxes and their captions.
inline constexpr int kFirstRowTop = 225;
inline constexpr int kRowPitch = 1000;
inline constexpr int kFirstBoxLeft = 300;
inline constexpr int kColumnPitch = 900;
inline constexpr int kCaptionBelow = 600;
inline constexpr int kCaptionIndent = 80;
inline constexpr int kLastCaptionShift = 150;

// Width of a caption sized to its text: 180 twips for each Chinese character,
// 90 for each space, digit or other narrow character.
int CaptionWidth(std::wstring_view text);
// Pixel advance of each character of a caption at a DPI, so that the caption
// drawn in any font spans exactly its CaptionWidth.
std::vector<int> CaptionAdvances(std::wstring_view text, UINT dpi);

// Face name of the editor's font: the first installed Chinese face, whose
// characters are 12 pixels wide at 9 points and 96 DPI.
const std::wstring& FontFace();

// True when a font of this face (and character set) is installed.
bool FontInstalled(const std::wstring& face, BYTE charset);

// Twips to pixels at a DPI (96 DPI: twips / 15).
inline int Pixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

}  // namespace shubiao::layout

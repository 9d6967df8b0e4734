#pragma once
// Our window skin. A skin file ("Skin\aero.she") is UTF-8 text of
// "key = value" lines; SkinH_AttachEx reads one, SkinH_SetAero(1) gives the
// top-level windows of the calling thread and their push buttons its look:
// caption, border and title colours and rounded corners through DWM where the
// system offers them, and buttons drawn in the skin's colours.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace shubiao {

struct Skin {
    std::optional<COLORREF> captionColor;
    std::optional<COLORREF> captionText;
    std::optional<COLORREF> borderColor;
    std::optional<COLORREF> windowBackground;
    std::optional<COLORREF> buttonFace;
    std::optional<COLORREF> buttonHot;
    std::optional<COLORREF> buttonPressed;
    std::optional<COLORREF> buttonBorder;
    std::optional<COLORREF> buttonText;
    std::optional<bool> roundCorners;
    std::optional<std::wstring> fontName;
    std::optional<int> fontSize;  // points
};

struct SkinParse {
    std::optional<Skin> skin;  // nullopt when the text is broken
    int errorLine = 0;         // 1-based line of the first fault
    std::wstring error;        // what is wrong with it, in Chinese
};

// Parses the text of a skin file. One bad line makes the whole text broken:
// a half-read skin is not applied.
SkinParse ParseSkin(std::string_view utf8);

// Reads the skin file at `path` and makes it the skin in force. Returns 0 on
// success, otherwise a non-zero code and the skin in force is unchanged.
// `password` is reserved and must be empty.
int SkinH_AttachEx(const std::wstring& path, const std::wstring& password);

// With 1, applies the skin in force to every top-level window of the calling
// thread and to the push buttons inside them. Returns 0 when applied, non-zero
// when there is no skin in force or `enable` is not 1.
int SkinH_SetAero(int enable);

// The skin in force, if any (for tests and diagnostics).
const Skin* ActiveSkin();
// Forgets the skin in force; windows already skinned keep their look until
// they are destroyed.
void SkinH_Detach();

}  // namespace shubiao

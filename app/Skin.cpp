// Reading skin files.
#include "app/Skin.h"

#include <string>
#include <utility>

#include "win/Text.h"

namespace shubiao {
namespace {

constexpr std::string_view kBlank = " \t\r\f\v";

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlank);
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(kBlank);
    return s.substr(first, last - first + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "#RRGGBB"
std::optional<COLORREF> ParseColour(std::string_view v) {
    if (v.size() != 7 || v[0] != '#') return std::nullopt;
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = HexDigit(v[1 + 2 * i]);
        const int lo = HexDigit(v[2 + 2 * i]);
        if (hi < 0 || lo < 0) return std::nullopt;
        rgb[i] = hi * 16 + lo;
    }
    return RGB(rgb[0], rgb[1], rgb[2]);
}

std::optional<int> ParseSize(std::string_view v) {
    if (v.empty() || v.size() > 3) return std::nullopt;
    int n = 0;
    for (const char c : v) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 6 || n > 72) return std::nullopt;
    return n;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Stores one setting; returns the fault, or an empty string when it is good.
std::wstring Apply(Skin& skin, const std::string& key, std::string_view value) {
    const std::pair<const char*, std::optional<COLORREF> Skin::*> colours[] = {
        {"caption.color", &Skin::captionColor},   {"caption.text", &Skin::captionText},
        {"border.color", &Skin::borderColor},     {"window.background", &Skin::windowBackground},
        {"button.face", &Skin::buttonFace},       {"button.hot", &Skin::buttonHot},
        {"button.pressed", &Skin::buttonPressed}, {"button.border", &Skin::buttonBorder},
        {"button.text", &Skin::buttonText},
    };
    for (const auto& [name, member] : colours) {
        if (key != name) continue;
        const std::optional<COLORREF> colour = ParseColour(value);
        if (!colour) return L"颜色应写作 #RRGGBB。";
        skin.*member = colour;
        return {};
    }
    if (key == "window.corner") {
        const std::string v = Lower(value);
        if (v != "round" && v != "square") return L"window.corner 只能是 round 或 square。";
        skin.roundCorners = v == "round";
        return {};
    }
    if (key == "font.name") {
        const std::optional<std::wstring> name = FromUtf8(value);
        if (!name || name->empty() || name->size() >= LF_FACESIZE) return L"字体名称无效。";
        skin.fontName = *name;
        return {};
    }
    if (key == "font.size") {
        const std::optional<int> size = ParseSize(value);
        if (!size) return L"字号应为 6 到 72 之间的整数。";
        skin.fontSize = size;
        return {};
    }
    return L"未知的设置项。";
}

}  // namespace

SkinParse ParseSkin(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (!FromUtf8(text)) return {std::nullopt, 0, L"文件不是有效的 UTF-8 文本。"};
    Skin skin;
    int number = 0;
    for (bool more = true; more;) {
        ++number;
        const size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        more = end != std::string_view::npos;
        if (more) text.remove_prefix(end + 1);

        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return {std::nullopt, number, L"缺少“=”。"};
        const std::string key = Lower(Trim(line.substr(0, equals)));
        if (key.empty()) return {std::nullopt, number, L"缺少设置项名称。"};
        std::string_view value = Trim(line.substr(equals + 1));
        // A '#' after blank space starts a comment; a leading '#' is a colour.
        for (size_t i = 1; i < value.size(); ++i) {
            if (value[i] == '#' && kBlank.find(value[i - 1]) != std::string_view::npos) {
                value = Trim(value.substr(0, i));
                break;
            }
        }
        if (value.empty()) return {std::nullopt, number, L"缺少设置值。"};
        const std::wstring fault = Apply(skin, key, value);
        if (!fault.empty()) return {std::nullopt, number, fault};
    }
    return {skin, 0, {}};
}

}  // namespace shubiao

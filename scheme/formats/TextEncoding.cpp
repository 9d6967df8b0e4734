// UTF-8 / UTF-16 conversions, one pass each, no locale and no Windows API.
//
// Choices made here, and why:
// - The UTF-8 decoder follows the well-formed byte table of the Unicode
//   standard (no overlong forms, no surrogates, nothing above U+10FFFF); each
//   maximal ill-formed prefix becomes one U+FFFD, so bad input is never
//   copied through and never makes the output longer than three bytes per
//   input byte.
// - A lone UTF-16 surrogate becomes U+FFFD rather than failing the text:
//   the readers decide for themselves what a replaced character means.
#include "scheme/formats/TextEncoding.h"

namespace shubiao {
namespace {

// Decodes one code point at `at`; returns the number of bytes used (at least
// one) and sets `ok` to false for an ill-formed sequence.
std::size_t DecodeUtf8(std::string_view s, std::size_t at, char32_t& codePoint, bool& ok) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    ok = true;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;   // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;   // nothing above U+10FFFF
    } else {
        ok = false;
        codePoint = kReplacementCharacter;
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const std::size_t pos = at + i;
        const bool fits = pos < s.size() && byte(pos) >= (i == 1 ? low : 0x80) && byte(pos) <= (i == 1 ? high : 0xBF);
        if (!fits) {
            ok = false;
            codePoint = kReplacementCharacter;
            return i;
        }
        codePoint = (codePoint << 6) | (byte(pos) & 0x3Fu);
    }
    return length;
}

}  // namespace

void AppendUtf8(char32_t c, std::string& out) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacementCharacter;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool AppendSanitizedUtf8(std::string_view bytes, std::string& out) {
    bool clean = true;
    out.reserve(out.size() + bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        // Runs of ASCII are copied as they are.
        std::size_t end = at;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
        out.append(bytes.substr(at, end - at));
        at = end;
        if (at == bytes.size()) break;
        char32_t c = 0;
        bool ok = true;
        const std::size_t used = DecodeUtf8(bytes, at, c, ok);
        if (ok) {
            out.append(bytes.substr(at, used));
        } else {
            clean = false;
            AppendUtf8(kReplacementCharacter, out);
        }
        at += used;
    }
    return clean;
}

bool AppendUtf16BytesAsUtf8(std::span<const std::uint8_t> bytes, bool bigEndian, std::string& out) {
    bool clean = true;
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) -> char32_t {
        const std::uint8_t a = bytes[2 * i];
        const std::uint8_t b = bytes[2 * i + 1];
        return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
    };
    out.reserve(out.size() + units);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char32_t next = unit(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00), out);
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            clean = false;
            AppendUtf8(kReplacementCharacter, out);
        } else {
            AppendUtf8(u, out);
        }
    }
    return clean;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        char32_t c = 0;
        bool ok = true;
        at += DecodeUtf8(utf8, at, c, ok);
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

}  // namespace shubiao

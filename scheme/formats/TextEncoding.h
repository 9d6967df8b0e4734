#pragma once
// UTF-8 and UTF-16 conversions for the portable text readers and writers.
// Invalid input never stops a conversion: it becomes U+FFFD, and the
// functions that read untrusted bytes say whether that happened.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace shubiao {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Turns bytes in one of the system's code pages (the ANSI one for .inf text,
// the OEM one for ZIP entry names; GBK on Chinese Windows) into UTF-8;
// false when it cannot.
using CodePageDecoder = std::function<bool(std::string_view bytes, std::string& utf8)>;

void AppendUtf8(char32_t codePoint, std::string& out);

// Copies `bytes` to `out`, each ill-formed UTF-8 sequence (overlong, surrogate,
// above U+10FFFF, cut short) replaced by U+FFFD. True when none was found.
bool AppendSanitizedUtf8(std::string_view bytes, std::string& out);

// UTF-16 code units stored as bytes in the given order (an odd last byte is
// dropped) to UTF-8; a lone surrogate becomes U+FFFD. True when none was found.
bool AppendUtf16BytesAsUtf8(std::span<const std::uint8_t> bytes, bool bigEndian, std::string& out);

// UTF-8 to UTF-16, ill-formed sequences as U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

}  // namespace shubiao

#pragma once
// The values of Windows' two lists of named pointer schemes, and the rules
// for the name of a scheme the user saves. Portable: no Windows header; text
// is UTF-8 unless said otherwise. The rules are in SchemeList.cpp.
//
// The lists:
//   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cursors\Schemes
//                                   the schemes that come with Windows
//   HKCU\Control Panel\Cursors\Schemes
//                                   the user's own
// Each value's name is a scheme's name; its data (REG_SZ or REG_EXPAND_SZ)
// is a comma list of cursor file paths in Windows' order of the pointers
// (SchemeOrder.h): Arrow, Help, ..., Hand, Pin, Person. An empty entry is
// Windows' own cursor for that pointer. Older lists stop after Hand (15
// entries). Beside the lists, HKCU\Control Panel\Cursors holds "(Default)"
// (REG_SZ: the name of the scheme in force, empty for Windows' default) and
// "Scheme Source" (DWORD: 0 Windows' default, 1 a scheme of the user's list,
// 2 a scheme of the system's list).
//
// Microsoft documents none of this. The layout above is the one these public
// pages describe or use:
// - https://thebitguru.com/articles/programmatically-changing-windows-mouse-cursors/3
//   and .../2: both Schemes keys, the comma list in Windows' order of the
//   fifteen older pointers, "Scheme Source" 0/1/2.
// - https://pastebin.com/Wz1qEg04 (a PowerShell script that sets a scheme):
//   "(Default)", "Scheme Source" and the seventeen value names in list order,
//   Pin and Person last.
// - https://gist.github.com/Sucareto/eb7f3e8858fbc8aad809b47d992f470a (an
//   install.inf): a Schemes line of seventeen paths, Pin's and Person's last,
//   and "(Default)" set to the scheme's name.
// - https://www.powershellgallery.com/packages/PSWinUtil/1.2.18/Content/resources%5Cregistry%5CPointerScheme.ps1:
//   "(Default)" under HKCU\Control Panel\Cursors, REG_SZ, holds the name of
//   the scheme in force.
// And Microsoft's own pages for what Windows does with the text:
// - https://learn.microsoft.com/windows/win32/api/processenv/nf-processenv-expandenvironmentstringsw:
//   an unknown %name% is left as it is; names are looked up ignoring case.
// - https://learn.microsoft.com/windows/win32/fileio/naming-a-file: the
//   characters a name cannot hold, the reserved device names, no trailing
//   period or space.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "scheme/formats/SchemeOrder.h"

namespace shubiao::schemes {

inline constexpr std::size_t kSlotCount = kSchemeOrder.size();   // 17
// Registry data above this many bytes is not read at all.
inline constexpr std::size_t kMaxValueBytes = 32 * 1024;
// Longest path kept, in UTF-16 code units (the longest path Windows' Unicode
// file functions take).
inline constexpr std::size_t kMaxPathUnits = 32767;

// The registry type of a value, as far as the reader cares.
enum class ValueType {
    Text,             // REG_SZ
    ExpandableText,   // REG_EXPAND_SZ
    Other,            // anything else
};

// The value of an environment variable (UTF-8), or nullopt when it is not
// set. Windows looks names up without regard to case; so should this. An
// empty function knows no variable.
using VariableLookup = std::function<std::optional<std::string>(std::string_view name)>;

enum class ValueState {
    Read,         // the slots say what the data says
    Skipped,      // not a text type: not a scheme at all
    Unreadable,   // more than kMaxValueBytes: listed, but not read
};

enum class SlotState {
    WindowsDefault,   // empty or only spaces: Windows' own cursor
    Path,             // a cursor file
    Refused,          // text that names no file to open
};

enum class Refusal {
    None,
    UndefinedVariable,    // %NAME% with NAME not set (detail: NAME)
    TooLong,              // more than kMaxPathUnits after expansion
    LoneSurrogate,        // UTF-16 that no UTF-8 path can carry
    NetworkOrDevice,      // \\server\..., \\.\..., \\?\..., //..., \??\..., or a device name (CON.cur)
    NotAbsolute,          // not C:\... (relative, drive-relative, rooted, or nothing after expansion)
    ForbiddenCharacter,   // < > " | ? * or a control character, or ':' after the drive (detail: the character)
    Folder,               // ends in a separator, "." or ".."
};

struct Slot {
    SlotState state = SlotState::WindowsDefault;
    std::string path;                   // Path: absolute, variables expanded, spaces around it trimmed
    Refusal refusal = Refusal::None;    // Refused: why
    std::string detail;                 // see Refusal
};

struct SchemeValue {
    ValueState state = ValueState::Read;
    // Entries in the data (commas + 1; 0 for empty text), counted past the
    // last slot kept; 0 unless Read.
    std::size_t entries = 0;
    // Windows' order; entries the data lacks are Windows' default, entries
    // past kSlotCount are not read. All Windows' default unless Read.
    std::array<Slot, kSlotCount> slots{};
};

// One registry value's data as RegQueryValueEx gives it: for the text types
// UTF-16LE, with or without its terminating NUL; the text ends at the first
// NUL, and an odd last byte is dropped.
SchemeValue ReadSchemeValue(std::span<const std::uint8_t> data, ValueType type, const VariableLookup& lookup);

// The same for text already decoded (ending at its first NUL, if any) and of
// any length: no size limit is applied here.
SchemeValue ReadSchemeText(std::u16string_view text, const VariableLookup& lookup);

enum class WriteError {
    None,
    Comma,       // a path holds a comma, which would split it (slot says which)
    NotItself,   // a path would not read back as itself (slot, refusal say which and why)
    TooLarge,    // the text would be more than kMaxValueBytes with its NUL
};

struct WrittenValue {
    WriteError error = WriteError::None;
    std::size_t slot = 0;               // Comma, NotItself: the slot
    Refusal refusal = Refusal::None;    // NotItself: the reader's reason, None when it reads as another path or as Windows' default
    std::u16string text;                // None: the value's text, UTF-16 without a NUL
};

// The text of a Schemes value: all kSlotCount entries joined by commas, an
// empty path for Windows' default. Every path must read back as itself with
// the same lookup (ReadSchemeText), so the text written reads back as the
// slots given. Write it as REG_EXPAND_SZ or REG_SZ: the reader expands both.
WrittenValue WriteSchemeValue(std::span<const std::string, kSlotCount> paths, const VariableLookup& lookup);

// ---- the name of a scheme the user saves ------------------------------------

inline constexpr std::size_t kMaxSchemeNameCodePoints = 64;

enum class NameProblem {
    None,
    InvalidText,          // not well-formed UTF-8 (a lone surrogate pasted in)
    Empty,                // nothing but spaces
    TooLong,              // more than kMaxSchemeNameCodePoints code points
    ControlCharacter,     // U+0000-U+001F, U+007F-U+009F
    ForbiddenCharacter,   // \ / : * ? " < > | or a comma
    TrailingDot,          // ends in '.'
    ExpandedCharacter,    // '%', which Windows' expansion of the scheme's paths would read
    DeviceName,           // a name NameRules.h calls a device's: CON, COM0, LPT³, CONOUT$, also "CON.txt"
    ApplyFolder,          // "Cursors": the folder Apply copies to
    SystemScheme,         // the name of a scheme of the system's list
};

struct NameCheck {
    NameProblem problem = NameProblem::None;
    std::string name;   // None: the name to save, trimmed
};

// `typed` as the user typed it; `systemSchemes` the names in the system's
// list. The name is trimmed of U+0020 and of the ideographic space U+3000
// first, its length counted in code points, and "Cursors", device names and
// the system's names compared with ASCII case folded. The first rule broken,
// in NameProblem's order, is the one given.
NameCheck CheckSchemeName(std::string_view typed, std::span<const std::string> systemSchemes);

}  // namespace shubiao::schemes

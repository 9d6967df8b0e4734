// install.inf writer for exported schemes.
//
// The form is the one cursor packs have used since Windows 95:
//   [Version]          signature="$CHICAGO$"
//   [DefaultInstall]   CopyFiles = Scheme.Cur, AddReg = Scheme.Reg
//   [DestinationDirs]  Scheme.Cur = 10,"%CUR_DIR%"   (10: the Windows folder)
//   [Scheme.Reg]       one value under HKCU\Control Panel\Cursors\Schemes
//   [Scheme.Cur]       the files, copied from the .inf's own folder
//   [Strings]          CUR_DIR and SCHEME_NAME
//
// Choices made here, and why:
// - UTF-16LE with a byte-order mark: setup reads it whatever the system's
//   code page, so Chinese folder names survive.
// - The Schemes value lists the roles in Windows' order (SchemeOrder.h),
//   empty where a role was not exported: the first fifteen, as every
//   version of Windows reads them, and all seventeen when Pin or Person was
//   exported. Its flags are empty (REG_SZ), because setup has already
//   replaced %10% by the Windows folder.
// - The folder name appears only in [Strings], quoted, '"' doubled. A '%'
//   stays single: setup puts a [Strings] value in as it is written, so "%%"
//   there would name a folder "50%%" (checked with Wine's setupapi, which
//   then copies to C:\windows\Cursors\50%% and registers "50%%"). Control
//   characters (which no folder name holds) become '_' so that they cannot
//   end a line.
// - A comma in the folder name is written as it is: the Schemes value is a
//   comma list, so Windows itself would split that scheme's paths there.
#include "scheme/formats/InfWriter.h"

#include <array>
#include <string>

#include "scheme/formats/SchemeOrder.h"
#include "scheme/formats/TextEncoding.h"

namespace shubiao::inf {
namespace {

std::string QuotedValue(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            out += '_';
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace

std::vector<std::uint8_t> WriteCursorInf(std::string_view folderName, std::span<const std::string_view> exportedRoles) {
    std::array<bool, kSchemeRoleCount> exported{};
    std::size_t entries = kClassicRoleCount;
    for (const std::string_view role : exportedRoles) {
        const int pos = SchemePosition(role);
        if (pos < 0) continue;
        exported[static_cast<std::size_t>(pos)] = true;
        if (static_cast<std::size_t>(pos) >= kClassicRoleCount) entries = kSchemeRoleCount;
    }

    std::string list;
    std::string files;
    for (std::size_t pos = 0; pos < entries; ++pos) {
        if (pos > 0) list += ',';
        if (!exported[pos]) continue;
        const std::string file = std::string(kSchemeOrder[pos]) + ".ani";
        list += "%10%\\%CUR_DIR%\\" + file;
        files += file + "\r\n";
    }

    std::string text;
    text += "[Version]\r\n";
    text += "signature=\"$CHICAGO$\"\r\n";
    text += "\r\n[DefaultInstall]\r\n";
    text += "CopyFiles = Scheme.Cur\r\n";
    text += "AddReg    = Scheme.Reg\r\n";
    text += "\r\n[DestinationDirs]\r\n";
    text += "Scheme.Cur = 10,\"%CUR_DIR%\"\r\n";
    text += "\r\n[Scheme.Reg]\r\n";
    text += "HKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\"" + list + "\"\r\n";
    text += "\r\n[Scheme.Cur]\r\n";
    text += files;
    text += "\r\n[Strings]\r\n";
    text += "CUR_DIR     = " + QuotedValue("Cursors\\" + std::string(folderName)) + "\r\n";
    text += "SCHEME_NAME = " + QuotedValue(folderName) + "\r\n";

    const std::u16string wide = Utf8ToUtf16(text);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 + wide.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (const char16_t unit : wide) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

}  // namespace shubiao::inf

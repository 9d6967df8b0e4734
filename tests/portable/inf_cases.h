#pragma once
// Cursor-pack .inf files, each named after what it tries, with what the
// reader must make of it written as Describe() prints it. Shared by the
// reader's tests and by the fuzzer's seed writer.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/formats/InfReader.h"

namespace inf_cases {

using Bytes = std::vector<std::uint8_t>;

// "Name{Arrow=a.cur;Wait=b.ani} | Other{...}", or the error's name.
inline std::string Describe(const shubiao::inf::InfResult& result) {
    if (result.error == shubiao::inf::InfError::TooLarge) return "TooLarge";
    if (result.error == shubiao::inf::InfError::NotText) return "NotText";
    std::string out;
    for (const shubiao::inf::Scheme& scheme : result.schemes) {
        if (!out.empty()) out += " | ";
        out += scheme.name + "{";
        for (std::size_t i = 0; i < scheme.files.size(); ++i) {
            if (i > 0) out += ';';
            out += scheme.files[i].role + "=" + scheme.files[i].fileName;
        }
        out += "}";
    }
    return out;
}

// A double-byte code page in miniature, standing in for GBK: a byte 0x81..0xFE
// starts a character whose second byte is 0x40..0xFE, '\' (0x5C) included;
// the pair is U+4E00 + (first - 0x81) * 191 + (second - 0x40). 0x81 0x5C is 东.
inline bool FakeGbk(std::string_view bytes, std::string& utf8) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            utf8.push_back(static_cast<char>(b));
            continue;
        }
        if (b == 0x80 || b == 0xFF || i + 1 == bytes.size()) return false;
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (trail < 0x40 || trail == 0xFF) return false;
        const unsigned cp = 0x4E00 + (b - 0x81u) * 191u + (trail - 0x40u);
        utf8.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    return true;
}

inline Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

inline Bytes Utf8WithBom(std::string_view text) {
    const std::string withBom = "\xEF\xBB\xBF" + std::string(text);
    return Bytes(withBom.begin(), withBom.end());
}

inline Bytes Utf16(std::u16string_view text, bool bigEndian) {
    Bytes b = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (const char16_t u : text) {
        const auto hi = static_cast<std::uint8_t>(u >> 8);
        const auto lo = static_cast<std::uint8_t>(u & 0xFF);
        b.push_back(bigEndian ? hi : lo);
        b.push_back(bigEndian ? lo : hi);
    }
    return b;
}

inline std::string Repeat(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

struct Case {
    const char* name;
    std::function<Bytes()> make;
    std::string expected;   // Describe() of the result
};

// A pack as they are usually written: variables named after the pointers,
// the key names' case not matching their uses, "unavailiable" misspelt.
inline constexpr std::string_view kUsualPack = R"([Version]
signature="$CHICAGO$"

[DefaultInstall]
CopyFiles = Scheme.Cur, Scheme.Txt
AddReg    = Scheme.Reg

[DestinationDirs]
Scheme.Cur = 10,"%CUR_DIR%"

[Scheme.Reg]
HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",,"%10%\%CUR_DIR%\%pointer%,%10%\%CUR_DIR%\%help%,%10%\%CUR_DIR%\%work%,%10%\%CUR_DIR%\%busy%,%10%\%CUR_DIR%\%cross%,%10%\%CUR_DIR%\%Text%,%10%\%CUR_DIR%\%Hand%,%10%\%CUR_DIR%\%unavailiable%,%10%\%CUR_DIR%\%Vert%,%10%\%CUR_DIR%\%Horz%,%10%\%CUR_DIR%\%Dgn1%,%10%\%CUR_DIR%\%Dgn2%,%10%\%CUR_DIR%\%move%,%10%\%CUR_DIR%\%alternate%,%10%\%CUR_DIR%\%link%"

[Strings]
CUR_DIR       = "Cursors\Usual Pack"
SCHEME_NAME   = "Usual Pack"
POINTER       = "Normal Select.cur"
help          = "Help Select.cur"
Work          = "Working in Background.ani"
busy          = "Busy.ani"
cross         = "Precision Select.cur"
text          = "Text Select.cur"
hand          = "Handwriting.cur"
unavailiable  = "Unavailable.cur"
vert          = "Vertical Resize.cur"
horz          = "Horizontal Resize.cur"
dgn1          = "Diagonal Resize 1.cur"
dgn2          = "Diagonal Resize 2.cur"
move          = "Move.cur"
alternate     = "Alternate Select.cur"
link          = "Link Select.cur"
)";

inline const std::string kUsualPackResult =
    "Usual Pack{Arrow=Normal Select.cur;Help=Help Select.cur;AppStarting=Working in Background.ani;Wait=Busy.ani;"
    "Crosshair=Precision Select.cur;IBeam=Text Select.cur;NWPen=Handwriting.cur;No=Unavailable.cur;"
    "SizeNS=Vertical Resize.cur;SizeWE=Horizontal Resize.cur;SizeNWSE=Diagonal Resize 1.cur;"
    "SizeNESW=Diagonal Resize 2.cur;SizeAll=Move.cur;UpArrow=Alternate Select.cur;Hand=Link Select.cur}";

// Windows' 17 positions of a Schemes list, each file named after its position.
inline std::string NumberedList(std::size_t entries) {
    std::string list;
    for (std::size_t i = 1; i <= entries; ++i) {
        if (i > 1) list += ',';
        list += 'p';
        list += std::to_string(i);
        list += ".cur";
    }
    return list;
}

inline const std::vector<Case>& Cases() {
    static const std::vector<Case> cases{
        {"StringsCaseAndMisspeltNames", [] { return Text(kUsualPack); }, kUsualPackResult},
        {"ExplicitLinesBeatTheList", [] { return Text(R"([Scheme.Reg]
HKCU,"Control Panel\Cursors\Schemes","Mixed",,"list-arrow.cur,list-help.cur,,list-busy.ani"
HKEY_CURRENT_USER,"control panel\CURSORS",arrow,0x00020000,"%10%\Cursors\Mixed\own-arrow.cur"
hkcu,"Control Panel\Cursors",%role%,,"%10%\Cursors\Mixed\own-cross.cur"
HKLM,"Control Panel\Cursors",Help,,"not-this-root.cur"
HKCU,"Control Panel\Cursors\Other",Help,,"not-this-key.cur"
[Strings]
role = Crosshair
)"); },
         "Mixed{Arrow=own-arrow.cur;Help=list-help.cur;Wait=list-busy.ani;Crosshair=own-cross.cur}"},
        {"ExplicitLinesOnlyTakeSchemeName", [] { return Text(R"([DefaultInstall]
AddReg = Cursors.Reg
[Cursors.Reg]
HKCU,"Control Panel\Cursors",Wait,0x00020000,"%10%\%CUR_DIR%\spin.ani"
HKCU,"Control Panel\Cursors",Arrow,0x00020000,"%10%\%CUR_DIR%\first.cur"
HKCU,"Control Panel\Cursors",Arrow,0x00020000,"%10%\%CUR_DIR%\last.cur"
HKCU,"Control Panel\Cursors",Pin,,"%10%\%CUR_DIR%\pin.cur"
[Strings]
CUR_DIR = "Cursors\Spin"
SCHEME_NAME = "Spin Set"
)"); },
         "Spin Set{Arrow=last.cur;Wait=spin.ani;Pin=pin.cur}"},
        {"ExplicitPinAndPersonBeatTheirPositions", [] { return Text(R"([R]
HKCU,"Control Panel\Cursors\Schemes","S",,"a.cur,,,,,,,,,,,,,,,list-pin.cur,list-person.cur"
HKCU,"Control Panel\Cursors",person,,"%10%\Cursors\S\own-person.cur"
HKCU,"Control Panel\Cursors",PIN,,""
)"); },
         "S{Arrow=a.cur;Person=own-person.cur}"},
        {"ExplicitEmptyPathUnsetsItsRole", [] { return Text(R"([Scheme.Reg]
HKCU,"Control Panel\Cursors\Schemes","S",,"a.cur,h.cur"
HKCU,"Control Panel\Cursors",Help,,""
)"); },
         "S{Arrow=a.cur}"},
        {"SectionNotNamedByAddRegIsSkipped", [] { return Text(R"([defaultinstall]
addreg = Wanted.Reg
[Unwanted.Reg]
HKCU,"Control Panel\Cursors\Schemes","Unwanted",,"x.cur,y.cur"
HKCU,"Control Panel\Cursors",Wait,,"unwanted.ani"
[WANTED.REG]
HKCU,"Control Panel\Cursors\Schemes","Wanted",,"a.cur"
)"); },
         "Wanted{Arrow=a.cur}"},
        {"SeveralAddRegLinesAndLists", [] { return Text(R"([DefaultInstall]
AddReg = One.Reg, Two.Reg
AddReg = Three.Reg,One.Reg
[One.Reg]
HKCU,"Control Panel\Cursors\Schemes","S",,"a.cur"
[Two.Reg]
HKCU,"Control Panel\Cursors",Wait,,"w.ani"
[Three.Reg]
HKCU,"Control Panel\Cursors",Hand,,"h.cur"
)"); },
         "S{Arrow=a.cur;Wait=w.ani;Hand=h.cur}"},
        {"SixteenEntriesPinAfterHand", [] { return Text("[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"S\",,\"" + NumberedList(16) + "\"\n"); },
         "S{Arrow=p1.cur;Help=p2.cur;AppStarting=p3.cur;Wait=p4.cur;Crosshair=p5.cur;IBeam=p6.cur;NWPen=p7.cur;No=p8.cur;"
         "SizeNS=p9.cur;SizeWE=p10.cur;SizeNWSE=p11.cur;SizeNESW=p12.cur;SizeAll=p13.cur;UpArrow=p14.cur;Hand=p15.cur;Pin=p16.cur}"},
        {"TwentyTwoEntriesUnquoted", [] { return Text("[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"S\",," + NumberedList(22) + "\n"); },
         "S{Arrow=p1.cur;Help=p2.cur;AppStarting=p3.cur;Wait=p4.cur;Crosshair=p5.cur;IBeam=p6.cur;NWPen=p7.cur;No=p8.cur;"
         "SizeNS=p9.cur;SizeWE=p10.cur;SizeNWSE=p11.cur;SizeNESW=p12.cur;SizeAll=p13.cur;UpArrow=p14.cur;Hand=p15.cur;"
         "Pin=p16.cur;Person=p17.cur}"},
        {"Utf16LittleEndianWithBom", [] { return Utf16(u"[R]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"%N%\",,\"%10%\\Cursors\\正常.cur,,𠀀.cur\"\r\n[Strings]\r\nN=\"中文方案\"\r\n", false); },
         "中文方案{Arrow=正常.cur;AppStarting=𠀀.cur}"},
        {"Utf16BigEndianWithBom", [] { return Utf16(u"[R]\nHKCU,\"Control Panel\\Cursors\",Wait,,\"忙.ani\"\n", true); },
         "{Wait=忙.ani}"},
        {"Utf8WithBom", [] { return Utf8WithBom("[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"方案\",,\"%10%\\光标\\正常.cur\"\n"); },
         "方案{Arrow=正常.cur}"},
        {"Utf8WithoutBom", [] { return Text("[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"方案\",,\"光标\\帮助.cur,光标\\求助.cur\"\n"); },
         "方案{Arrow=帮助.cur;Help=求助.cur}"},
        {"AnsiWithBackslashAsTrailByte", [] { return Text("[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"\x81\x41\",,\"%10%\\\x81\x5C\\\x82\x5C.cur,\x81\x5C.cur\"\n"); },
         "丁{Arrow=仛.cur;Help=东.cur}"},
        {"AnsiTheDecoderRefuses", [] { return Text("[R]\nHKCU,\"Control Panel\\Cursors\",Arrow,,\"\xFF.cur\"\n"); }, "NotText"},
        {"CrLfLfAndLoneCr", [] { return Text("[R]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"S\",,\"a.cur\"\rHKCU,\"Control Panel\\Cursors\",Wait,,\"w.ani\"\n[Strings]\r\r\n"); },
         "S{Arrow=a.cur;Wait=w.ani}"},
        {"ContinuedLines", [] { return Text(R"([R]
HKCU,"Control Panel\Cursors\Schemes",\
    "S",,\
    a.cur,\ \
    "dir\"\ ; the quoted '\' is text, this comment is dropped
h.cur,   w.  \
ani
HKCU,"Control Panel\Cursors",Hand,,dir\link.cur
)"); },
         "S{Arrow=a.cur;Help=h.cur;AppStarting=w.ani;Hand=link.cur}"},
        {"ControlZEndsTheText", [] { return Text("[R]\nHKCU,\"Control Panel\\Cursors\",Arrow,,\"a.cur\"\n\x1A\nHKCU,\"Control Panel\\Cursors\",Wait,,\"w.ani\"\n"); },
         "{Arrow=a.cur}"},
        {"StringValuesGoInAsWritten", [] { return Text(R"([R]
HKCU,"Control Panel\Cursors\Schemes","%name%",,"%dir%\%file%"
[Strings]
name = "100%% %file% ""Pack"""
dir = %10%\Cursors
file = a%%b.cur
)"); },
         "100%% %file% \"Pack\"{Arrow=a%%b.cur}"},
        {"CommentsAndQuotes", [] { return Text(R"(; a comment before any section
[R] ; a comment after the header
HKCU , "Control Panel\Cursors\Schemes" , "Say ""Hi""; 100%%, ok" , , "a;b.cur,  spaced name.cur  " ; comment, not, fields
;HKCU,"Control Panel\Cursors",Wait,,"commented.ani"
HKCU,"Control Panel\Cursors",No,,"%%no%%.cur"
)"); },
         "Say \"Hi\"; 100%, ok{Arrow=a;b.cur;Help=spaced name.cur;No=%no%.cur}"},
        {"MissingStringsKeepsNames", [] { return Text(R"([DefaultInstall]
AddReg = Scheme.Reg
[Scheme.Reg]
HKCU,"Control Panel\Cursors\Schemes","%SCHEME_NAME%",,"%10%\Cursors\Pack\arrow.cur,%10%\%CUR_DIR%\%help%"
)"); },
         "%SCHEME_NAME%{Arrow=arrow.cur;Help=%help%}"},
        {"EmptyEntriesAndSchemeWithoutFiles", [] { return Text(R"([R]
HKCU,"Control Panel\Cursors\Schemes","Gaps",,",,c.cur, ,,f.cur,"
HKCU,"Control Panel\Cursors\Schemes","Nothing",,",,,"
HKCU,"Control Panel\Cursors\Schemes","NoList"
)"); },
         "Gaps{AppStarting=c.cur;IBeam=f.cur}"},
        {"PathTricks", [] { return Text(R"([R]
HKCU,"Control Panel\Cursors\Schemes","T",,"..\..\up.cur,%10%\dir\..,a/b/slash.cur,dir\trailing.cur\,dir\.,C:stream.cur,x..cur,/,wild*.cur"
)"); },
         "T{Arrow=up.cur;AppStarting=slash.cur;Wait=trailing.cur}"},
        {"SeveralSchemesShareExplicitLines", [] { return Text(R"([R]
HKCU,"Control Panel\Cursors\Schemes","Light",,"light.cur"
HKCU,"Control Panel\Cursors",Wait,,"shared.ani"
HKCU,"Control Panel\Cursors\Schemes","Dark",,"dark.cur,dark-help.cur"
)"); },
         "Light{Arrow=light.cur;Wait=shared.ani} | Dark{Arrow=dark.cur;Help=dark-help.cur;Wait=shared.ani}"},
        {"OverOneMebibyte", [] { return Text("[R]\n; " + Repeat("x", shubiao::inf::kMaxInfBytes)); }, "TooLarge"},
        {"HundredThousandCommas", [] { return Text("[DefaultInstall]\nAddReg = R" + Repeat(",R", 100000) +
                                                   "\n[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"S\",,a.cur" + Repeat(",b.cur", 100000) + "\n"); },
         "S{Arrow=a.cur;Help=b.cur;AppStarting=b.cur;Wait=b.cur;Crosshair=b.cur;IBeam=b.cur;NWPen=b.cur;No=b.cur;"
         "SizeNS=b.cur;SizeWE=b.cur;SizeNWSE=b.cur;SizeNESW=b.cur;SizeAll=b.cur;UpArrow=b.cur;Hand=b.cur;Pin=b.cur;Person=b.cur}"},
        {"TenThousandSections", [] {
             std::string text = "[DefaultInstall]\n";
             for (int i = 0; i < 10000; ++i) text += "AddReg = S" + std::to_string(i) + "\n";
             for (int i = 0; i < 10000; ++i) text += "[s" + std::to_string(i) + "]\nHKCU,\"Control Panel\\Cursors\",Arrow,,\"a" + std::to_string(i) + ".cur\"\n";
             return Text(text); },
         "{Arrow=a9999.cur}"},
        {"BackslashesAndBlanksBeforeText", [] { return Text("[R]\nHKCU,\"Control Panel\\Cursors\",Arrow," + Repeat("\\ ", 300000) + "0,a.cur\n"); },
         "{Arrow=a.cur}"},
        {"SubstitutionBombStaysBounded", [] {
             return Text("[R]\n" + Repeat("HKCU,\"Control Panel\\Cursors\",Wait,,%b%%b%%b%%b%%b%%b%\n", 15000) +
                         "[Strings]\nb = \"" + Repeat("\\", 4000) + "\"\n"); },
         ""},
    };
    return cases;
}

}  // namespace inf_cases

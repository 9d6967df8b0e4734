// Writes the starting corpus of one fuzz target into a folder: well-formed
// cursor files from the test builder, the .inf files of the reader's test
// table and an exported install.inf, lists of pack file names, Schemes
// values (a type byte, then the registry data), small ZIP archives,
// plain and lying, or indexes of the pointers' history.
// fuzz-sources: scheme/formats/InfWriter.cpp scheme/formats/TextEncoding.cpp scheme/formats/HistoryIndex.cpp
// fuzz-libs: -lz
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "cursor_bytes.h"
#include "inf_cases.h"
#include "scheme/formats/HistoryIndex.h"
#include "scheme/formats/InfWriter.h"
#include "scheme/formats/TextEncoding.h"
#include "zip_bytes.h"

using namespace cursor_bytes;

namespace {
void Write(const std::string& folder, const std::string& name, const Bytes& b) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

void WriteText(const std::string& folder, const std::string& name, std::string_view text) {
    Write(folder, name, Bytes(text.begin(), text.end()));
}

void CursorSeeds(const std::string& dir) {
    Write(dir, "cursor1.cur", MakeIcon(kCur, {DibImage({8, 8, 1}, 3, 4)}));
    Write(dir, "cursor4.cur", MakeIcon(kCur, {DibImage({16, 16, 4}, 1, 1)}));
    Write(dir, "cursor8.cur", MakeIcon(kCur, {DibImage({16, 16, 8, 40, 16})}));
    Write(dir, "cursor32.cur", MakeCursor(16));
    Write(dir, "cursor_png.cur", MakeIcon(kCur, {{MakePng(8, 8), 8, 8, 2, 2}}));
    Write(dir, "icon_mixed.ico", MakeIcon(kIco, {DibImage({8, 8, 24}), DibImage({4, 4, 16, 124}), PngImage(4, 4)}));
    Write(dir, "anim.ani", MakeAnimation(2, 8));
    Write(dir, "anim_plain.ani", Riff({Anih(2, 2, kFlagIcon), Chunk("rate", Table({3, 9})), FrameList({MakeCursor(8), MakeIcon(kIco, {DibImage({4, 4, 4})})})}));
    Write(dir, "anim_odd.ani", Riff({Chunk("junk", {1, 2, 3}), Anih(1, 1, kFlagIcon), FrameList({MakeCursor(4, 1)}), Chunk("tail", {7}, false)}));
    Write(dir, "cursor_sizes.cur", MakeIcon(kCur, {DibImage({4, 4, 8}, 3, 0), DibImage({8, 8, 24}, 1, 7), {MakePng(6, 6, kPngRgb), 6, 6, 5, 5}}));
    Write(dir, "icon_png_grey.ico", MakeIcon(kIco, {{MakePng(4, 4, kPngGrey), 4, 4, 0, 0}, {MakePng(3, 5, kPngGreyAlpha), 3, 5, 0, 0}}));
    Write(dir, "anim_repeat.ani", Riff({Anih(2, 5, kFlagIcon | kFlagSequence, 0), Chunk("seq ", Table({1, 1, 0, 1, 0})), Chunk("rate", Table({0, 3, 0, 60, 1})),
                                         FrameList({MakeCursor(4, 4), MakeIcon(kCur, {DibImage({2, 2, 1}, 1, 1), DibImage({4, 4, 32}, 0, 3)})})}));
}

void InfSeeds(const std::string& dir) {
    for (const inf_cases::Case& c : inf_cases::Cases()) {
        const Bytes bytes = c.make();
        if (bytes.size() <= 64 * 1024) Write(dir, std::string(c.name) + ".inf", bytes);
    }
    const std::vector<std::string_view> roles{"Arrow", "Help", "Wait", "Hand"};
    Write(dir, "exported.inf", shubiao::inf::WriteCursorInf("导出 方案", roles));
    const std::vector<std::string_view> withPin{"Arrow", "Pin", "Person"};
    Write(dir, "exported_pin.inf", shubiao::inf::WriteCursorInf("Pin Pack", withPin));
}

// A Schemes value as the fuzz target reads it: type byte 0 (REG_SZ), 1
// (REG_EXPAND_SZ) or 2 (another type), then the UTF-16LE data.
void WriteScheme(const std::string& folder, const std::string& name, std::uint8_t type, std::string_view utf8,
                 bool terminated = true) {
    Bytes bytes{type};
    for (const char16_t unit : shubiao::Utf8ToUtf16(utf8)) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (terminated) bytes.insert(bytes.end(), {0, 0});
    Write(folder, name, bytes);
}

void SchemeListSeeds(const std::string& dir) {
    const std::string aero =
        R"(%SystemRoot%\cursors\aero_arrow.cur,%SystemRoot%\cursors\aero_helpsel.cur,%SystemRoot%\cursors\aero_working.ani,)"
        R"(%SystemRoot%\cursors\aero_busy.ani,,,%SystemRoot%\cursors\aero_pen.cur,%SystemRoot%\cursors\aero_unavail.cur,)"
        R"(%SystemRoot%\cursors\aero_ns.cur,%SystemRoot%\cursors\aero_ew.cur,%SystemRoot%\cursors\aero_nwse.cur,)"
        R"(%SystemRoot%\cursors\aero_nesw.cur,%SystemRoot%\cursors\aero_move.cur,%SystemRoot%\cursors\aero_up.cur,)"
        R"(%SystemRoot%\cursors\aero_link.cur,%SystemRoot%\cursors\aero_pin.cur,%SystemRoot%\cursors\aero_person.cur)";
    WriteScheme(dir, "aero_expand.bin", 1, aero);
    WriteScheme(dir, "aero_text.bin", 0, aero);
    WriteScheme(dir, "other_type.bin", 2, aero);
    WriteScheme(dir, "fifteen.bin", 0, R"(C:\a.cur,,,,,,,,,,,,,,C:\Windows\Cursors\hand.cur)");
    WriteScheme(dir, "twenty.bin", 0, R"(,,,,,,,,,,,,,,,,C:\person.cur,C:\x.cur,,D:\y.cur)");
    WriteScheme(dir, "chinese.bin", 1, R"(%USERPROFILE%\光标\正常.ani, D:\方案\忙.ani ,  ,C:/x/y.cur)", false);
    WriteScheme(dir, "refused.bin", 1,
                R"(\\server\a.cur,\\?\C:\a.cur,\??\C:\a,a.cur,C:a,C:\a<b,C:\x\,C:\x\CON.cur,%NOSUCH%\a,%LONG%%LONG%,%UNC%\a,%REL%)");
    WriteScheme(dir, "percent.bin", 1, R"(C:\50%\a.cur,C:\%%\b.cur,C:\%EMPTY%c.cur,%BAD%,C:\%windir%.cur)");
    WriteScheme(dir, "nul_inside.bin", 0, std::string("C:\\a.cur\0,C:\\b.cur", 18));
    WriteScheme(dir, "full.bin", 0, std::string(16383, ','));
    WriteText(dir, "name_device.txt", "\x01" "CON.txt");
    WriteText(dir, "name_spaces.txt", "\x02\u3000 我的 方案. ");
}

void PackNameSeeds(const std::string& dir) {
    WriteText(dir, "windows_names.txt", "Normal Select.cur\nHelp Select.cur\nWorking in Background.ani\nBusy.ani\nLink Select.cur\nDiagonal Resize 1.cur");
    WriteText(dir, "prefixed.txt", "kc_pointer.cur\nkc_hand.cur\nkc_link.cur\nkc_busy.ani\nkc_dgn2.cur");
    WriteText(dir, "aero.txt", "aero_arrow.cur\naero_arrow_l.cur\naero_busy_xl.ani\naero_ns.cur\naero_up_l.cur");
    WriteText(dir, "captions.txt", "正常选择.cur\n不可用.cur\n忙.ani\n移\u3000动.cur");
    WriteText(dir, "suffix.txt", "Adwaita - arrow - 32.cur\nAdwaita - wait - 32.ani\nAdwaita - hand - 32.cur");
    WriteText(dir, "chinese.txt", "花萝-正常选择.cur\n花萝-沿对角线调整大小 1.cur\n花萝-位置选择.cur\n花萝-个人选择.ani");
    WriteText(dir, "japanese.txt", "通常の選択.cur\n上下に拡大_縮小.cur\n斜めに拡大縮小 2.cur\n移動.cur\n場所の選択.cur");
    WriteText(dir, "copies.txt", "Busy 2.ani\n忙 (3).ani\n正常选择2.cur\nHelp Select（4）.cur\n手写２.cur\nDiagonal Resize 1 (2).cur\nlink (2).cur\nhand.cur");
}

// Command lines, their arguments separated by NUL bytes.
void CommandLineSeeds(const std::string& dir) {
    auto line = [&](const std::string& name, std::initializer_list<std::string_view> args) {
        std::string bytes;
        bool first = true;
        for (const std::string_view arg : args) {
            if (!first) bytes += '\0';
            bytes += arg;
            first = false;
        }
        WriteText(dir, name, bytes);
    };
    line("install.txt", {"install", "D:\\packs\\海浪", "--scheme", "Ocean", "--name=海浪"});
    line("use.txt", {"use", "--", "-Dark-"});
    line("apply.txt", {"APPLY", "p", "--scheme=a", "--scheme", "b"});
    line("export.txt", {"export", "", "x"});
    line("help.txt", {"list", "/?"});
    line("restore.txt", {"restore", "--name"});
}

void ZipSeeds(const std::string& dir) {
    using namespace zip_bytes;
    const Bytes cursor = MakeCursor(8);
    const std::vector<std::string_view> roles{"Arrow"};
    const Bytes inf = shubiao::inf::WriteCursorInf("Zip", roles);
    const auto zip = [&](const char* name, Archive archive) { Write(dir, name, Build(archive)); };
    const auto with = [](Entry e, auto change) {
        change(e);
        return e;
    };
    zip("plain.zip", {{Stored("Arrow.cur", cursor), Deflated("install.inf", inf)}});
    zip("folders.zip", {{Stored("pack/", {}), Deflated("pack\\sub\\a.ani", cursor), Deflated("./pack//b.CUR", cursor)}});
    zip("utf8.zip", {{with(Deflated("鼠标/正常.cur", cursor), [](Entry& e) { e.flags = kFlagUtf8; })}});
    zip("codepage.zip", {{Deflated("\x81\x5C.cur", cursor), Deflated("\xC4\xE3\xBA\xC3\\x.ani", cursor)}});
    zip("unicode_field.zip", {{with(Deflated("\x81\x40.cur", cursor), [](Entry& e) { e.extra = UnicodePathField(e.name, "正常.cur"); })}});
    zip("mac.zip", {{Deflated("__MACOSX/._a.cur", cursor), Deflated("pack/._a.cur", cursor), Deflated("pack/a.cur", cursor), Stored("readme.txt", {1, 2})}});
    zip("descriptor.zip", {{with(Deflated("a.cur", cursor), [](Entry& e) { e.flags = kFlagDescriptor; })}});
    zip("comment.zip", {{Deflated("a.cur", cursor)}, "PK\x05\x06 comment", {}, {1, 2, 3}});
    zip("unsafe.zip", {{Stored("../a.cur", cursor), Stored("C:a.cur", cursor), Stored("\\a.cur", cursor), Stored("NUL.cur", cursor), Stored("a?.cur", cursor), Stored("a.cur", cursor), Stored("A.CUR", cursor)}});
    zip("problems.zip", {{with(Stored("enc.cur", cursor), [](Entry& e) { e.flags = kFlagEncrypted; }),
                           with(Stored("bz.cur", cursor), [](Entry& e) { e.method = 12; }),
                           with(Deflated("crc.cur", cursor), [](Entry& e) { e.crc = 1; }),
                           with(Deflated("more.cur", cursor), [](Entry& e) { e.size = 10; }),
                           with(Deflated("less.ani", cursor), [](Entry& e) { e.size = 1000; }),
                           with(Deflated("local.inf", inf), [](Entry& e) { e.localSignature = false; })}});
    zip("sizes.zip", {{with(Deflated("big.cur", {}), [](Entry& e) { e.size = 5 << 20; }), with(Deflated("ratio.ani", {}), [](Entry& e) { e.size = 4000; })}});
    zip("zip64.zip", {{Stored("a.cur", cursor)}, "", {}, {}, 0, 0, {}, {}, {}, {}, true});
    zip("disk.zip", {{Stored("a.cur", cursor)}, "", {}, {}, 1, 1});
    zip("empty.zip", {});
    // End records the reader must pass over, and counts that do not fill the directory.
    const Archive two{{Stored("Arrow.cur", cursor), Deflated("Help.cur", cursor)}};
    const std::uint32_t end = EndRecordOffset(two);
    const std::uint32_t directory = end - static_cast<std::uint32_t>(2 * 46 + 9 + 8);
    Archive fake = two;
    const Bytes other = Build({{Stored("other.cur", cursor)}});
    fake.comment.assign(other.begin(), other.end());
    zip("end_of_another_archive_in_comment.zip", fake);
    fake.comment = "x";
    const Bytes atData = EndRecord(0, end + 22 + 1, 0);
    fake.comment.append(atData.begin(), atData.end());
    zip("end_in_comment_pointing_at_data.zip", fake);
    fake.comment.clear();
    const Bytes atDirectory = EndRecord(1, end - directory, directory);
    fake.comment.append(atDirectory.begin(), atDirectory.end());
    zip("end_in_comment_pointing_at_directory.zip", fake);
    Archive counted = two;
    counted.totalEntries = counted.entriesOnDisk = 1;
    zip("count_one_short.zip", counted);
    counted.totalEntries = counted.entriesOnDisk = 3;
    zip("count_one_over.zip", counted);
    counted.totalEntries = counted.entriesOnDisk = 0;
    zip("count_wrapped_to_zero.zip", counted);
    Bytes bomb = Build({{with(Deflated("bomb.cur", {}), [](Entry& e) {
        e.payload = ZeroBomb(16);
        e.size = 4000000;
    })}});
    Write(dir, "bomb.zip", bomb);
}
void HistorySeeds(const std::string& dir) {
    using namespace shubiao::history;
    const auto write = [&](const std::string& name, const std::vector<RecordedState>& states) {
        const std::string text = WriteIndex(states);
        Write(dir, name, Bytes(text.begin(), text.end()));
    };
    write("empty.idx", {});
    std::vector<RecordedState> states(3);
    for (std::size_t i = 0; i < states.size(); ++i) {
        states[i].time = 133000000000000000ull + i;
        states[i].roles[1] = {ValueKind::ExpandSz, u"%SystemRoot%\\cursors\\aero_arrow.cur", std::string(64, 'a')};
        states[i].roles[4] = {ValueKind::Sz, u"", {}};
        states[i].roles[14] = {ValueKind::Sz, u"C:\\光标\\忙.ani", std::string(64, static_cast<char>('0' + i))};
        states[i].roles[16] = {ValueKind::Other, u"", {}};
    }
    write("three.idx", states);
    states.resize(kMaxStates, states[0]);
    write("full.idx", states);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds cursor_file_check|cursor_images|fill_sizes|inf_reader|pack_names|scheme_list|zip_reader|command_line|history_index FOLDER\n");
        return 2;
    }
    const std::string target = argv[1];
    const std::string dir = argv[2];
    if (target == "cursor_file_check" || target == "cursor_images" || target == "fill_sizes") {
        CursorSeeds(dir);
    } else if (target == "inf_reader") {
        InfSeeds(dir);
    } else if (target == "pack_names") {
        PackNameSeeds(dir);
    } else if (target == "scheme_list") {
        SchemeListSeeds(dir);
    } else if (target == "command_line") {
        CommandLineSeeds(dir);
    } else if (target == "zip_reader") {
        ZipSeeds(dir);
    } else if (target == "history_index") {
        HistorySeeds(dir);
    } else {
        std::fprintf(stderr, "make_seeds: no seeds for %s\n", target.c_str());
        return 2;
    }
    return 0;
}

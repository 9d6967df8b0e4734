#include "scheme/formats/ZipReader.h"

#include <gtest/gtest.h>

#include "corpus.h"

#include <functional>
#include <string>
#include <vector>

#include "inf_cases.h"
#include "tests/fuzz/invariants.h"
#include "zip_bytes.h"

namespace {

using namespace zip_bytes;
using shubiao::zip::ArchiveError;
using shubiao::zip::EntryProblem;

constexpr std::uint32_t kMiB = 1024 * 1024;

const char* ErrorName(ArchiveError error) {
    switch (error) {
        case ArchiveError::None: return "None";
        case ArchiveError::NotZip: return "NotZip";
        case ArchiveError::Truncated: return "Truncated";
        case ArchiveError::Damaged: return "Damaged";
        case ArchiveError::MultiDisk: return "MultiDisk";
        case ArchiveError::Zip64: return "Zip64";
        case ArchiveError::TooManyEntries: return "TooManyEntries";
        case ArchiveError::TooLarge: return "TooLarge";
        case ArchiveError::ReadFailed: return "ReadFailed";
    }
    return "?";
}

const char* ProblemName(EntryProblem problem) {
    switch (problem) {
        case EntryProblem::None: return "None";
        case EntryProblem::UnsafeName: return "UnsafeName";
        case EntryProblem::NameTooLong: return "NameTooLong";
        case EntryProblem::Duplicate: return "Duplicate";
        case EntryProblem::Encrypted: return "Encrypted";
        case EntryProblem::UnsupportedMethod: return "UnsupportedMethod";
        case EntryProblem::TooLarge: return "TooLarge";
        case EntryProblem::RatioTooHigh: return "RatioTooHigh";
        case EntryProblem::BadCrc: return "BadCrc";
        case EntryProblem::Corrupt: return "Corrupt";
        case EntryProblem::ReadFailed: return "ReadFailed";
    }
    return "?";
}

}  // namespace

namespace shubiao::zip {
void PrintTo(EntryProblem problem, std::ostream* os) { *os << ProblemName(problem); }
}  // namespace shubiao::zip

namespace {

// "word word word ..." up to `bytes`: a file whose first word says which it is.
Bytes Words(std::string_view word, std::size_t bytes = 600) {
    Bytes out;
    while (out.size() < bytes) {
        Append(out, word);
        out.push_back(' ');
    }
    out.resize(bytes);
    return out;
}

// Bytes that do not compress.
Bytes Noise(std::size_t bytes, std::uint32_t seed = 7) {
    Bytes out(bytes);
    for (std::uint8_t& b : out) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        b = static_cast<std::uint8_t>(seed);
    }
    return out;
}

// A file as "path=first word/size" ("~" for a first word that is not text).
std::string DescribeFile(const shubiao::zip::Entry& entry, std::span<const std::uint8_t> bytes) {
    std::string word;
    for (const std::uint8_t b : bytes) {
        if (b == ' ') break;
        if (b < 0x21 || b > 0x7E) {
            word = "~";
            break;
        }
        word.push_back(static_cast<char>(b));
    }
    return entry.path + "=" + word + "/" + std::to_string(bytes.size());
}

// "a.cur=a/600; b/c.inf=c/40 | x.cur:Corrupt", or the archive error's name.
std::string Read(const Bytes& zip, const shubiao::CodePageDecoder& decoder = inf_cases::FakeGbk) {
    shubiao::zip::SpanSource source(zip);
    std::string files;
    const shubiao::zip::ArchiveRead read =
        shubiao::zip::ReadArchive(source, decoder, [&](const shubiao::zip::Entry& entry, std::span<const std::uint8_t> bytes) {
            files += (files.empty() ? "" : "; ") + DescribeFile(entry, bytes);
        });
    if (read.error != ArchiveError::None) return ErrorName(read.error);
    std::string out = files;
    for (std::size_t i = 0; i < read.skipped.size(); ++i) {
        out += (i == 0 ? " | " : "; ") + read.skipped[i].name + ":" + ProblemName(read.skipped[i].problem);
    }
    return out;
}

struct Case {
    const char* name;
    std::function<Bytes()> make;
    std::string expected;   // Read()'s answer
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
std::string CaseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

Bytes Zip(std::vector<Entry> entries) { return Build({std::move(entries)}); }

// An archive of one good cursor and the entries given after it.
Bytes WithGood(std::vector<Entry> entries) {
    entries.insert(entries.begin(), Deflated("ok.cur", Words("ok")));
    return Zip(std::move(entries));
}

Entry With(Entry e, const std::function<void(Entry&)>& change) {
    change(e);
    return e;
}

Entry Declaring(std::string name, std::uint32_t size, Bytes payload) {
    Entry e = Deflated(std::move(name), {});
    e.size = size;
    e.payload = std::move(payload);
    return e;
}

// "f12.txt" (built by appending: GCC 12 warns wrongly about "f" + std::string).
std::string Numbered(std::string_view before, std::size_t number, std::string_view after) {
    std::string name(before);
    name += std::to_string(number);
    name += after;
    return name;
}

// Deflate data that cannot start: block type 3 does not exist.
Bytes NotDeflate(std::size_t bytes) { return Bytes(bytes, 0xFF); }

std::vector<Entry> FullSizeCursors(int count) {
    std::vector<Entry> entries;
    for (int i = 1; i <= count; ++i) entries.push_back(Declaring(Numbered("c", static_cast<std::size_t>(i), ".cur"), 4 * kMiB, NotDeflate(5000)));
    return entries;
}

std::string Repeat(const std::string& item, int count, const char* separator = "; ") {
    std::string out;
    for (int i = 1; i <= count; ++i) {
        std::string one = item;
        one.replace(one.find('#'), 1, std::to_string(i));
        out += (i == 1 ? "" : separator) + one;
    }
    return out;
}

// ---- entries that are skipped while the rest is read --------------------------

const std::string kOk = "ok.cur=ok/600 | ";

const Case kRefusedEntries[] = {
    {"ParentFolder", [] { return WithGood({Deflated("../evil.cur", Words("evil"))}); }, kOk + "../evil.cur:UnsafeName"},
    {"ParentFolderDeeper", [] { return WithGood({Deflated("pack/../../evil.cur", Words("evil"))}); }, kOk + "pack/../../evil.cur:UnsafeName"},
    {"ParentFolderBackslashes", [] { return WithGood({Deflated("pack\\..\\..\\evil.ani", Words("evil"))}); }, kOk + "pack\\..\\..\\evil.ani:UnsafeName"},
    {"DriveLetter", [] { return WithGood({Deflated("C:/Windows/Cursors/evil.cur", Words("evil"))}); }, kOk + "C:/Windows/Cursors/evil.cur:UnsafeName"},
    {"DriveRelative", [] { return WithGood({Deflated("C:evil.inf", Words("evil"))}); }, kOk + "C:evil.inf:UnsafeName"},
    {"LeadingSlash", [] { return WithGood({Deflated("/tmp/evil.cur", Words("evil"))}); }, kOk + "/tmp/evil.cur:UnsafeName"},
    {"LeadingBackslash", [] { return WithGood({Deflated("\\evil.cur", Words("evil"))}); }, kOk + "\\evil.cur:UnsafeName"},
    {"NetworkPath", [] { return WithGood({Deflated("\\\\host\\share\\evil.cur", Words("evil"))}); }, kOk + "\\\\host\\share\\evil.cur:UnsafeName"},
    {"NulInName", [] { return WithGood({Deflated(std::string("evil\0.cur", 9), Words("evil"))}); }, kOk + "evil\uFFFD.cur:UnsafeName"},
    {"AlternateStream", [] { return WithGood({Deflated("arrow.cur:hidden.cur", Words("evil"))}); }, kOk + "arrow.cur:hidden.cur:UnsafeName"},
    {"ControlCharacter", [] { return WithGood({Deflated("ar\trow.cur", Words("evil"))}); }, kOk + "ar\uFFFDrow.cur:UnsafeName"},
    {"WildcardCharacter", [] { return WithGood({Deflated("arrow?.cur", Words("evil"))}); }, kOk + "arrow?.cur:UnsafeName"},
    {"FolderEndingInDot", [] { return WithGood({Deflated("pack./arrow.cur", Words("evil"))}); }, kOk + "pack./arrow.cur:UnsafeName"},
    {"ParentFolderWithSpace", [] { return WithGood({Deflated(".. /evil.cur", Words("evil"))}); }, kOk + ".. /evil.cur:UnsafeName"},
    {"ThreeDots", [] { return WithGood({Deflated(".../evil.cur", Words("evil"))}); }, kOk + ".../evil.cur:UnsafeName"},
    {"DeviceNames",
     [] { return WithGood({Deflated("NUL.cur", Words("a")), Deflated("pack/com1.ani", Words("b")), Deflated("aux .inf", Words("c"))}); },
     kOk + "NUL.cur:UnsafeName; pack/com1.ani:UnsafeName; aux .inf:UnsafeName"},
    {"NameTooLong", [] { return WithGood({Deflated(std::string(1100, 'a') + ".cur", Words("long"))}); },
     kOk + std::string(200, 'a') + "\u2026:NameTooLong"},
    {"SamePathInOtherCase", [] { return WithGood({Deflated("OK.CUR", Words("again"))}); }, kOk + "OK.CUR:Duplicate"},
    {"SamePathWithOtherSeparator", [] { return WithGood({Deflated("pack/a.cur", Words("a")), Deflated("pack\\A.cur", Words("b"))}); },
     "ok.cur=ok/600; pack/a.cur=a/600 | pack\\A.cur:Duplicate"},
    {"Encrypted", [] { return WithGood({With(Deflated("arrow.cur", Words("x")), [](Entry& e) { e.flags = kFlagEncrypted; })}); },
     kOk + "arrow.cur:Encrypted"},
    {"OtherMethods",
     [] {
         return WithGood({With(Stored("a.cur", Words("a")), [](Entry& e) { e.method = 9; }),
                          With(Stored("b.cur", Words("b")), [](Entry& e) { e.method = 12; }),
                          With(Stored("c.cur", Words("c")), [](Entry& e) { e.method = 14; })});
     },
     kOk + "a.cur:UnsupportedMethod; b.cur:UnsupportedMethod; c.cur:UnsupportedMethod"},
    {"CursorOver4MiB", [] { return WithGood({Declaring("big.ani", 4 * kMiB + 1, Noise(5000))}); }, kOk + "big.ani:TooLarge"},
    {"InfOver1MiB", [] { return WithGood({Declaring("install.inf", kMiB + 1, Noise(2000))}); }, kOk + "install.inf:TooLarge"},
    {"GigabyteOfZeros", [] { return WithGood({Declaring("bomb.cur", 1024 * kMiB, ZeroBomb(1024))}); }, kOk + "bomb.cur:TooLarge"},
    {"FourMiBOfZeros", [] { return WithGood({With(Deflated("zeros.cur", Bytes(4 * kMiB, 0)), [](Entry& e) { e.payload = ZeroBomb(4); })}); },
     kOk + "zeros.cur:RatioTooHigh"},
    {"BytesFromNothing", [] { return WithGood({Declaring("empty.cur", 10, {})}); }, kOk + "empty.cur:RatioTooHigh"},
    {"BadCrcDeflated", [] { return WithGood({With(Deflated("arrow.cur", Words("x")), [](Entry& e) { e.crc = 0x12345678; })}); },
     kOk + "arrow.cur:BadCrc"},
    {"BadCrcStored", [] { return WithGood({With(Stored("arrow.cur", Words("x")), [](Entry& e) { e.crc = 0; })}); }, kOk + "arrow.cur:BadCrc"},
    {"InflatesToMoreThanDeclared", [] { return WithGood({With(Deflated("arrow.cur", Words("x")), [](Entry& e) { e.size = 599; })}); },
     kOk + "arrow.cur:Corrupt"},
    {"InflatesToLessThanDeclared", [] { return WithGood({With(Deflated("arrow.cur", Words("x")), [](Entry& e) { e.size = 601; })}); },
     kOk + "arrow.cur:Corrupt"},
    {"NotDeflateData", [] { return WithGood({With(Deflated("arrow.cur", Words("x")), [](Entry& e) { e.payload = NotDeflate(300); })}); },
     kOk + "arrow.cur:Corrupt"},
    {"StreamCutShort",
     [] {
         Bytes cut = Deflate(Noise(600));
         cut.resize(cut.size() - 10);
         return WithGood({With(Deflated("arrow.cur", Noise(600)), [&](Entry& e) { e.payload = cut; })});
     },
     kOk + "arrow.cur:Corrupt"},
    {"StoredSizesDisagree", [] { return WithGood({With(Stored("arrow.cur", Words("x")), [](Entry& e) { e.compressedSize = 500; })}); },
     kOk + "arrow.cur:Corrupt"},
    {"FarMoreCompressedThanDeclared",
     [] {
         Bytes padded = Deflate(Words("x"));
         Append(padded, Noise(3000));
         return WithGood({With(Deflated("arrow.cur", Words("x")), [&](Entry& e) { e.payload = padded; })});
     },
     kOk + "arrow.cur:Corrupt"},
    {"NoLocalHeader", [] { return WithGood({With(Deflated("arrow.cur", Words("x")), [](Entry& e) { e.localSignature = false; })}); },
     kOk + "arrow.cur:Corrupt"},
    {"LocalHeaderOffsetIntoData", [] { return WithGood({With(Deflated("arrow.cur", Words("x")), [](Entry& e) { e.localHeaderOffset = 40; })}); },
     kOk + "arrow.cur:Corrupt"},
    {"BombLyingAboutItsSize", [] { return WithGood({Declaring("bomb.cur", 4000000, ZeroBomb(1024))}); }, kOk + "bomb.cur:Corrupt"},
    // 64 MiB declared in all is still read; each entry fails on its own.
    {"SixteenFullSizeCursorsAreTried", [] { return Zip(FullSizeCursors(16)); }, " | " + Repeat("c#.cur:Corrupt", 16)},
    // What is refused or passed over does not count towards the 64 MiB.
    {"RefusedEntriesDoNotCount",
     [] {
         std::vector<Entry> entries = FullSizeCursors(16);
         entries.push_back(Declaring("huge.cur", 1024 * kMiB, ZeroBomb(1024)));
         entries.push_back(Declaring("huge.png", 1024 * kMiB, ZeroBomb(1024)));
         return Zip(entries);
     },
     " | " + Repeat("c#.cur:Corrupt", 16) + "; huge.cur:TooLarge"},
};

class RefusedEntry : public testing::TestWithParam<Case> {};

TEST_P(RefusedEntry, IsSkippedWithItsReasonAndTheRestRead) {
    const Bytes zip = GetParam().make();
    EXPECT_EQ(Read(zip), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::ZipReadBreaks(zip), "");
}

INSTANTIATE_TEST_SUITE_P(ZipReader, RefusedEntry, testing::ValuesIn(kRefusedEntries), CaseName);

// ---- archives of which nothing is read --------------------------------------

Bytes TwoCursors() { return Zip({Deflated("arrow.cur", Words("arrow")), Deflated("busy.ani", Words("busy"))}); }

Archive TwoCursorArchive() { return {{Deflated("arrow.cur", Words("arrow")), Deflated("busy.ani", Words("busy"))}}; }

Bytes Changed(const std::function<void(Archive&)>& change) {
    Archive archive = TwoCursorArchive();
    change(archive);
    return Build(archive);
}

std::uint32_t DirectoryOffsetOfTwoCursors() {
    const Bytes zip = TwoCursors();
    return static_cast<std::uint32_t>(zip[zip.size() - 6] | (zip[zip.size() - 5] << 8) | (zip[zip.size() - 4] << 16) |
                                      (zip[zip.size() - 3] << 24));
}

Bytes ManyEntries(std::size_t count, const std::string& extension) {
    Archive archive;
    for (std::size_t i = 0; i < count; ++i) archive.entries.push_back(Stored(Numbered("f", i, extension), {}));
    return Build(archive);
}

const Case kRefusedArchives[] = {
    {"EmptyFile", [] { return Bytes{}; }, "NotZip"},
    {"PlainText", [] { return Text("These are not the files you are looking for."); }, "NotZip"},
    {"CursorFile", [] { return Bytes{0, 0, 2, 0, 1, 0, 32, 32, 0, 0, 1, 1, 0, 0}; }, "NotZip"},
    {"HalfADownload", [] { const Bytes zip = TwoCursors(); return Cut(zip, zip.size() / 2); }, "Truncated"},
    {"EndRecordCutShort", [] { const Bytes zip = TwoCursors(); return Cut(zip, zip.size() - 5); }, "Truncated"},
    {"DirectoryPastTheEnd", [] { return Changed([](Archive& a) { a.directoryOffset = DirectoryOffsetOfTwoCursors() + 1000; }); }, "Truncated"},
    {"DirectoryOverlapsEndRecord", [] { return Changed([](Archive& a) { a.directoryBytes = 200; }); }, "Truncated"},
    {"EntryPastTheDirectory", [] { return Changed([](Archive& a) { a.entries[1].localHeaderOffset = 0x00FFFFFF; }); }, "Truncated"},
    {"EntryDataPastTheDirectory", [] { return Changed([](Archive& a) { a.entries[0].compressedSize = kMiB; }); }, "Truncated"},
    {"CountBeyondTheRecords",
     [] {
         Archive a{{Deflated(std::string(100, 'a') + ".cur", Words("a")), Deflated(std::string(100, 'b') + ".cur", Words("b"))}};
         a.totalEntries = a.entriesOnDisk = 3;
         return Build(a);
     },
     "Damaged"},
    {"CountFarBeyondTheDirectory", [] { return Changed([](Archive& a) { a.totalEntries = a.entriesOnDisk = 200; }); }, "Damaged"},
    {"DirectoryPointsAtData", [] { return Changed([](Archive& a) { a.directoryOffset = 0; }); }, "Damaged"},
    {"SecondDisk", [] { return Changed([](Archive& a) { a.disk = a.directoryDisk = 1; }); }, "MultiDisk"},
    {"EntriesOnOtherDisks", [] { return Changed([](Archive& a) { a.entriesOnDisk = 1; }); }, "MultiDisk"},
    {"EntryStartsOnOtherDisk", [] { return Changed([](Archive& a) { a.entries[1].diskStart = 1; }); }, "MultiDisk"},
    {"Zip64Locator", [] { return Changed([](Archive& a) { a.zip64Locator = true; }); }, "Zip64"},
    {"Zip64Counts", [] { return Changed([](Archive& a) { a.totalEntries = a.entriesOnDisk = 0xFFFF; }); }, "Zip64"},
    {"Zip64EntrySize", [] { return Changed([](Archive& a) { a.entries[0].size = 0xFFFFFFFF; }); }, "Zip64"},
    {"TenThousandAndOneEntries", [] { return ManyEntries(10001, ".txt"); }, "TooManyEntries"},
    {"SeventeenFullSizeCursors", [] { return Zip(FullSizeCursors(17)); }, "TooLarge"},
    {"SixtyFiveFullSizeInfs",
     [] {
         std::vector<Entry> entries;
         for (int i = 0; i < 65; ++i) entries.push_back(Declaring(Numbered("p", static_cast<std::size_t>(i), "/install.inf"), kMiB, NotDeflate(2000)));
         return Zip(entries);
     },
     "TooLarge"},
};

// ---- the end record and the directory it points at ----------------------------

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Two cursors whose comment ends with `tail`.
Bytes CommentEndingWith(const std::function<Bytes(const Archive&)>& tail) {
    Archive archive = TwoCursorArchive();
    archive.comment = "about this pack ";
    archive.comment += AsText(tail(archive));
    return Build(archive);
}

// `count` empty files and then two cursors, the count written in 16 bits.
Bytes CursorsAfter(std::size_t count) {
    Archive archive;
    for (std::size_t i = 0; i < count; ++i) archive.entries.push_back(Stored(Numbered("f", i, ".txt"), {}));
    archive.entries.push_back(Deflated("arrow.cur", Words("arrow")));
    archive.entries.push_back(Deflated("busy.ani", Words("busy")));
    return Build(archive);
}

const std::string kTwoCursorsRead = "arrow.cur=arrow/600; busy.ani=busy/600";

const Case kEndRecords[] = {
    {"AnotherArchiveInTheComment", [] { return CommentEndingWith([](const Archive&) { return Zip({Stored("other.cur", Words("other"))}); }); },
     kTwoCursorsRead},
    {"EmptyArchiveEndInTheComment", [] { return CommentEndingWith([](const Archive&) { return EndRecord(0, 0, 0); }); }, kTwoCursorsRead},
    {"EndInTheCommentPointingAtTheData",
     [] {
         return CommentEndingWith([](const Archive& a) {
             // Its directory would end where it begins, but starts with a local header.
             return EndRecord(0, EndRecordOffset(a) + 22 + static_cast<std::uint32_t>(a.comment.size()), 0);
         });
     },
     kTwoCursorsRead},
    {"EndInTheCommentPointingAtTheRealDirectory",
     [] {
         return CommentEndingWith([](const Archive& a) {
             const std::uint32_t end = EndRecordOffset(a);
             return EndRecord(1, end - DirectoryOffsetOfTwoCursors(), DirectoryOffsetOfTwoCursors());
         });
     },
     kTwoCursorsRead},
    {"CountOneShort", [] { return Changed([](Archive& a) { a.totalEntries = a.entriesOnDisk = 1; }); }, "Damaged"},
    {"CountZero", [] { return Changed([](Archive& a) { a.totalEntries = a.entriesOnDisk = 0; }); }, "Damaged"},
    {"CountWrappedTo0", [] { return CursorsAfter(65534); }, "Damaged"},
    {"CountWrappedPast65535", [] { return CursorsAfter(69998); }, "Damaged"},
    {"DirectoryStartsInsideARecord",
     [] {
         return Changed([](Archive& a) {
             a.directoryOffset = DirectoryOffsetOfTwoCursors() + 1;
             a.directoryBytes = EndRecordOffset(TwoCursorArchive()) - DirectoryOffsetOfTwoCursors() - 1;
         });
     },
     "Damaged"},
    {"DirectoryEndsBeforeTheEndRecord",
     [] { return Changed([](Archive& a) { a.directoryBytes = EndRecordOffset(TwoCursorArchive()) - DirectoryOffsetOfTwoCursors() - 1; }); },
     "Damaged"},
};

class EndRecordCheck : public testing::TestWithParam<Case> {};

TEST_P(EndRecordCheck, IsTakenOnlyWithADirectoryItFillsExactly) {
    const Bytes zip = GetParam().make();
    EXPECT_EQ(Read(zip), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::ZipReadBreaks(zip), "");
}

INSTANTIATE_TEST_SUITE_P(ZipReader, EndRecordCheck, testing::ValuesIn(kEndRecords), CaseName);

class RefusedArchive : public testing::TestWithParam<Case> {};

TEST_P(RefusedArchive, GivesItsErrorAndNothingElse) {
    const Bytes zip = GetParam().make();
    EXPECT_EQ(Read(zip), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::ZipReadBreaks(zip), "");
}

INSTANTIATE_TEST_SUITE_P(ZipReader, RefusedArchive, testing::ValuesIn(kRefusedArchives), CaseName);

// ---- archives as packs come ---------------------------------------------------

const Case kGoodArchives[] = {
    {"StoredAndDeflated",
     [] { return Zip({Stored("arrow.cur", Words("arrow")), Deflated("busy.ani", Words("busy")), Deflated("install.inf", Words("inf", 40))}); },
     "arrow.cur=arrow/600; busy.ani=busy/600; install.inf=inf/40"},
    {"DeflateMadeOfStoredBlocks", [] { return Zip({With(Deflated("arrow.cur", Words("arrow")), [](Entry& e) { e.payload = Deflate(e.data, 0); })}); },
     "arrow.cur=arrow/600"},
    {"Utf8Names",
     [] { return Zip({With(Deflated("鼠标/正常选择.cur", Words("arrow")), [](Entry& e) { e.flags = kFlagUtf8; })}); },
     "鼠标/正常选择.cur=arrow/600"},
    // C0 AF is an overlong "/": replaced, never a separator.
    {"Utf8NamesIllFormed", [] { return Zip({With(Deflated("pack\xC0\xAF" "arrow.cur", Words("arrow")), [](Entry& e) { e.flags = kFlagUtf8; })}); },
     "pack\uFFFD\uFFFDarrow.cur=arrow/600"},
    // 0x81 0x5C is one character of the code page: its 0x5C is no backslash.
    {"CodePageNames", [] { return Zip({Deflated("\x81\x5C.cur", Words("arrow"))}); }, "东.cur=arrow/600"},
    {"CodePageFolders", [] { return Zip({Deflated("\x81\x41\\\x81\x42.cur", Words("arrow"))}); }, "丁/丂.cur=arrow/600"},
    {"UndecodableNameReadAsUtf8", [] { return Zip({Deflated("\x80" "arrow.cur", Words("arrow"))}); }, "\uFFFDarrow.cur=arrow/600"},
    {"UnicodePathField",
     [] { return Zip({With(Deflated("\x81\x40.cur", Words("arrow")), [](Entry& e) { e.extra = UnicodePathField(e.name, "正常.cur"); })}); },
     "正常.cur=arrow/600"},
    {"UnicodePathFieldOfAnotherName",
     [] { return Zip({With(Deflated("\x81\x40.cur", Words("arrow")), [](Entry& e) { e.extra = UnicodePathField("old.cur", "正常.cur"); })}); },
     "一.cur=arrow/600"},
    {"MacJunk",
     [] {
         return Zip({Deflated("__MACOSX/._arrow.cur", Words("junk")), Deflated("__MACOSX/pack/arrow.cur", Words("junk")),
                     Deflated("pack/._arrow.cur", Words("junk")), Deflated("pack/arrow.cur", Words("arrow"))});
     },
     "pack/arrow.cur=arrow/600"},
    {"NestedFolders",
     [] {
         return Zip({Stored("pack/", {}), Stored("pack/sub/", {}), Deflated("pack/sub/deep/arrow.cur", Words("arrow")),
                     Deflated("pack/install.inf", Words("inf"))});
     },
     "pack/sub/deep/arrow.cur=arrow/600; pack/install.inf=inf/600"},
    {"BackslashSeparators", [] { return Zip({Stored("pack\\sub\\", {}), Deflated("pack\\sub\\arrow.cur", Words("arrow"))}); },
     "pack/sub/arrow.cur=arrow/600"},
    {"DotAndEmptyComponents", [] { return Zip({Deflated("./pack//arrow.cur", Words("arrow"))}); }, "pack/arrow.cur=arrow/600"},
    {"SameNameInTwoFolders", [] { return Zip({Deflated("a/arrow.cur", Words("a")), Deflated("b/arrow.cur", Words("b"))}); },
     "a/arrow.cur=a/600; b/arrow.cur=b/600"},
    {"OtherFilesPassedOver",
     [] {
         return Zip({Deflated("readme.txt", Words("txt")), Declaring("preview.png", 1024 * kMiB, ZeroBomb(1024)),
                     Deflated("arrow.cur.exe", Words("exe")), Deflated(".cur", Words("dot")), Deflated("../../evil.exe", Words("evil")),
                     Deflated("arrow.cur", Words("arrow"))});
     },
     "arrow.cur=arrow/600"},
    {"ExtensionsInAnyCase",
     [] { return Zip({Deflated("ARROW.CUR", Words("a")), Deflated("Busy.Ani", Words("b")), Deflated("Install.INF", Words("c"))}); },
     "ARROW.CUR=a/600; Busy.Ani=b/600; Install.INF=c/600"},
    {"DataDescriptors", [] { return Zip({With(Deflated("arrow.cur", Words("arrow")), [](Entry& e) { e.flags = kFlagDescriptor; })}); },
     "arrow.cur=arrow/600"},
    {"LocalHeaderSaysOtherwise",
     [] {
         return Zip({With(Deflated("arrow.cur", Words("arrow")), [](Entry& e) {
             e.localName = "../../other.cur";
             e.localExtra = Noise(40);
         })});
     },
     "arrow.cur=arrow/600"},
    {"CommentAndBytesAfter",
     [] {
         Archive a{{Deflated("arrow.cur", Words("arrow"))}};
         a.comment = "PK\x05\x06 thanks for downloading";
         a.suffix = Noise(100);
         return Build(a);
     },
     "arrow.cur=arrow/600"},
    {"LongestComment",
     [] {
         Archive a{{Deflated("arrow.cur", Words("arrow"))}};
         a.comment = std::string(0xFFFF, 'c');
         return Build(a);
     },
     "arrow.cur=arrow/600"},
    {"BytesBeforeTheFirstEntry",
     [] {
         Archive a{{Deflated("arrow.cur", Words("arrow"))}};
         a.prefix = Noise(4096);
         return Build(a);
     },
     "arrow.cur=arrow/600"},
    {"EmptyArchive", [] { return Zip({}); }, ""},
    {"EmptyFiles", [] { return Zip({Stored("empty.cur", {}), Deflated("empty.ani", {})}); }, "empty.cur=/0; empty.ani=/0"},
    {"LargestCursor", [] { return Zip({Stored("big.ani", Noise(4 * kMiB))}); }, "big.ani=~/4194304"},
    {"LargestInf", [] { return Zip({Deflated("install.inf", Noise(kMiB))}); }, "install.inf=~/1048576"},
    {"TenThousandEntries",
     [] {
         Archive a;
         for (int i = 0; i < 9999; ++i) a.entries.push_back(Stored(Numbered("f", static_cast<std::size_t>(i), ".txt"), {}));
         a.entries.push_back(Deflated("arrow.cur", Words("arrow")));
         return Build(a);
     },
     "arrow.cur=arrow/600"},
};

class GoodArchive : public testing::TestWithParam<Case> {};

TEST_P(GoodArchive, GivesEveryFileThePackNeeds) {
    const Bytes zip = GetParam().make();
    EXPECT_EQ(Read(zip), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::ZipReadBreaks(zip), "");
}

INSTANTIATE_TEST_SUITE_P(ZipReader, GoodArchive, testing::ValuesIn(kGoodArchives), CaseName);

// ---- what an archive costs ------------------------------------------------------

// Counts the bytes read, and fails every read that touches [failFrom, failTo).
class WatchedSource : public shubiao::zip::SpanSource {
public:
    explicit WatchedSource(std::span<const std::uint8_t> bytes, std::uint64_t failFrom = 0, std::uint64_t failTo = 0)
        : SpanSource(bytes), failFrom_(failFrom), failTo_(failTo) {}
    bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
        bytesRead += buffer.size();
        if (offset < failTo_ && offset + buffer.size() > failFrom_) return false;
        return SpanSource::Read(offset, buffer);
    }
    std::uint64_t bytesRead = 0;

private:
    std::uint64_t failFrom_;
    std::uint64_t failTo_;
};

struct BombCase {
    const char* name;
    std::function<Bytes()> make;
    EntryProblem problem;
    std::uint64_t mostBytesRead;
};
void PrintTo(const BombCase& c, std::ostream* os) { *os << c.name; }
std::string BombName(const testing::TestParamInfo<BombCase>& info) { return info.param.name; }

// A bomb is refused after reading the directory, or after inflating no more
// than the entry declares: a small part of a 1 MiB stream of a gigabyte. Its
// stream is far longer than a few declared bytes could need, which the
// directory shows.
const BombCase kBombs[] = {
    {"Honest", [] { return Zip({Declaring("bomb.cur", 1024 * kMiB, ZeroBomb(1024))}); }, EntryProblem::TooLarge, 70 * 1024},
    {"DeclaringLess", [] { return Zip({Declaring("bomb.cur", 4000000, ZeroBomb(1024))}); }, EntryProblem::Corrupt, 200 * 1024},
    {"DeclaringLittle", [] { return Zip({Declaring("bomb.cur", 100, ZeroBomb(1024))}); }, EntryProblem::Corrupt, 70 * 1024},
};

class Bomb : public testing::TestWithParam<BombCase> {};

TEST_P(Bomb, CostsLittle) {
    const Bytes zip = GetParam().make();
    ASSERT_GT(zip.size(), kMiB);
    WatchedSource source(zip);
    const shubiao::zip::ArchiveRead read = shubiao::zip::ReadArchive(source, nullptr, [](const auto&, auto) { ADD_FAILURE() << "a file out of a bomb"; });
    ASSERT_EQ(read.skipped.size(), 1u);
    EXPECT_EQ(read.skipped[0].problem, GetParam().problem);
    EXPECT_LE(source.bytesRead, GetParam().mostBytesRead);
}

INSTANTIATE_TEST_SUITE_P(ZipReader, Bomb, testing::ValuesIn(kBombs), BombName);

struct ReadFailure {
    const char* name;
    std::function<std::pair<std::uint64_t, std::uint64_t>(const Bytes&)> failing;   // [from, to) of the archive
    std::string expected;
};
void PrintTo(const ReadFailure& c, std::ostream* os) { *os << c.name; }
std::string FailureName(const testing::TestParamInfo<ReadFailure>& info) { return info.param.name; }

// Two cursors and then 80 KiB of another file, so that the end of the
// archive, which is read in one piece with the longest comment it may have,
// does not reach the cursors: arrow.cur's local header is at 0, its data at 39.
Bytes TwoCursorsAndFiller() {
    return Zip({Deflated("arrow.cur", Words("arrow")), Deflated("busy.ani", Words("busy")), Stored("filler.txt", Noise(80 * 1024))});
}

const ReadFailure kReadFailures[] = {
    {"EndRecord", [](const Bytes& zip) { return std::pair<std::uint64_t, std::uint64_t>(zip.size() - 22, zip.size()); }, "ReadFailed"},
    {"LocalHeader", [](const Bytes&) { return std::pair<std::uint64_t, std::uint64_t>(0, 1); }, "busy.ani=busy/600 | arrow.cur:ReadFailed"},
    {"Data", [](const Bytes&) { return std::pair<std::uint64_t, std::uint64_t>(40, 41); }, "busy.ani=busy/600 | arrow.cur:ReadFailed"},
};

class UnreadableSource : public testing::TestWithParam<ReadFailure> {};

TEST_P(UnreadableSource, SaysTheReadFailed) {
    const Bytes zip = TwoCursorsAndFiller();
    const auto [from, to] = GetParam().failing(zip);
    WatchedSource source(zip, from, to);
    std::string files;
    const shubiao::zip::ArchiveRead read = shubiao::zip::ReadArchive(
        source, nullptr, [&](const shubiao::zip::Entry& entry, std::span<const std::uint8_t> bytes) { files += DescribeFile(entry, bytes); });
    std::string out = read.error != ArchiveError::None ? ErrorName(read.error) : files;
    for (const shubiao::zip::Skipped& skipped : read.skipped) out += " | " + skipped.name + ":" + ProblemName(skipped.problem);
    EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ZipReader, UnreadableSource, testing::ValuesIn(kReadFailures), FailureName);

// The inputs the fuzzer kept keep every promise.
TEST(ZipReader, FuzzCorpusKeepsThePromises) {
    const auto inputs = corpus::Inputs("zip_reader");
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) EXPECT_EQ(fuzz_invariants::ZipReadBreaks(bytes), "") << name;
}

}  // namespace

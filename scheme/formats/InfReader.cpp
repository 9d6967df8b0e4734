// Cursor-pack .inf reader.
//
// The text is decoded first and only then split into lines and fields: '\'
// (0x5C) is a valid trail byte of a two-byte GBK character, and in UTF-8 no
// byte of a multi-byte character is ASCII, so once the text is UTF-8 every
// ASCII delimiter found is a real one.
//
// Choices made here, and why:
// - Encoding: a byte-order mark decides (UTF-16LE, UTF-16BE, UTF-8; broken
//   sequences after a mark become U+FFFD); without one, valid UTF-8 is read
//   as UTF-8 and anything else goes to the caller's ANSI decoder.
// - Lines end at CR LF, LF or a lone CR; the text ends at Ctrl-Z (0x1A), as
//   setup's own parser ends it. A '\' outside quotes that is followed on its
//   line only by more '\', blanks and perhaps a ';' comment joins the next
//   line to this one: the '\'s go, and so do the blanks around the join. A
//   '\' followed by anything else is text. This is the rule of Microsoft's
//   "General Syntax Rules for INF Files" ("\\" at a line end continues the
//   line; so does "\" ; comment"), with the blanks as setup treats them.
// - A field is trimmed of blanks outside quotes; quotes are removed and ""
//   inside them is one quote; a line that ends inside quotes closes them.
//   '=' before the first comma makes the text before it the line's key.
//   A section header ends at ']' and the rest of its line is ignored.
// - [Strings] values replace %name% (name without regard to case) in the
//   fields read; "%%" is '%'; an unknown name stays as it is (%10%). A value
//   goes in as it is written, "%%" and %name% included: setup does not
//   search it again (checked under Wine: a value "50%%" names a folder
//   "50%%").
// - A Schemes list is split at commas after substitution, and each entry is
//   trimmed of blanks ("a.cur, b.cur" is common in hand-written packs).
// - A file name is the last non-empty component of the path after
//   substitution, split at '\' and '/'. A name that is "." or "..", holds
//   "..", or holds a character Windows forbids in file names (control
//   characters, : * ? " < > |) gives no file: joined to the pack's folder it
//   could name something outside it, a stream or a pattern. Nor does a
//   device name (NUL.cur, COM¹.ani: NameRules.h), which names no file.
// - An explicit line whose path gives no file still counts as the role's
//   line: the pack sets that role to nothing, as Windows would. The last
//   explicit line for a role wins, as the last registry write would.
// - Work is linear: sections and strings are found through hash maps, each
//   section named by AddReg is read once however often it is named, and a
//   Schemes list is read only up to its seventeenth entry. Substitution can
//   multiply text, so one field may grow to kMaxFieldBytes (Windows' own
//   limit is 4096 characters) and the substituted text of the whole file to
//   kMaxSubstitutedBytes; past either, the field or line reads as absent.
#include "scheme/formats/InfReader.h"

#include <array>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "scheme/formats/NameRules.h"
#include "scheme/formats/SchemeOrder.h"
#include "scheme/formats/TextEncoding.h"

namespace shubiao::inf {
namespace {

constexpr std::size_t kMaxFieldBytes = 4096 * 4;
// UTF-16 grows by half in UTF-8; an ANSI decoder may not grow it more than this.
constexpr std::size_t kMaxTextBytes = 4 * kMaxInfBytes;
constexpr std::size_t kMaxSubstitutedBytes = 16 * 1024 * 1024;

std::string Lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

// ---- decoding ---------------------------------------------------------------

bool StartsWith(std::span<const std::uint8_t> b, std::initializer_list<std::uint8_t> prefix) {
    if (b.size() < prefix.size()) return false;
    std::size_t i = 0;
    for (const std::uint8_t p : prefix) {
        if (b[i++] != p) return false;
    }
    return true;
}

bool DecodeText(std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi, std::string& text) {
    if (StartsWith(bytes, {0xFF, 0xFE})) {
        AppendUtf16BytesAsUtf8(bytes.subspan(2), false, text);
        return true;
    }
    if (StartsWith(bytes, {0xFE, 0xFF})) {
        AppendUtf16BytesAsUtf8(bytes.subspan(2), true, text);
        return true;
    }
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        AppendSanitizedUtf8(raw.substr(3), text);
        return true;
    }
    if (AppendSanitizedUtf8(raw, text)) return true;
    text.clear();
    std::string decoded;
    if (!ansi || !ansi(raw, decoded)) return false;
    AppendSanitizedUtf8(decoded, text);   // the decoder is trusted for meaning, not for form
    return true;
}

// ---- lines and fields -------------------------------------------------------

struct Span {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

struct Line {
    bool hasKey = false;
    std::uint32_t firstField = 0;   // the key, when there is one, then the values
    std::uint32_t fieldCount = 0;
};

struct Section {
    std::vector<std::uint32_t> lines;
};

class Document {
public:
    explicit Document(std::string_view text) : text_(text) { Parse(); }

    static std::string_view Trimmed(std::string_view s) {
        while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
        while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
        return s;
    }

    const Section* Find(std::string_view name) const {
        const auto it = index_.find(Lowered(name));
        return it == index_.end() ? nullptr : &sections_[it->second];
    }
    const std::vector<Section>& Sections() const { return sections_; }
    const Line& LineAt(std::uint32_t i) const { return lines_[i]; }
    std::string_view Key(const Line& line) const { return line.hasKey ? Field(line.firstField) : std::string_view{}; }
    // Values of a line: its fields after the key.
    std::size_t ValueCount(const Line& line) const { return line.fieldCount - (line.hasKey ? 1 : 0); }
    std::string_view Value(const Line& line, std::size_t i) const {
        return Field(line.firstField + (line.hasKey ? 1 : 0) + static_cast<std::uint32_t>(i));
    }

private:
    std::string_view Field(std::uint32_t i) const {
        return std::string_view(pool_).substr(fields_[i].offset, fields_[i].length);
    }

    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
    bool AtLineEnd(std::size_t p) const { return p >= text_.size() || text_[p] == '\n' || text_[p] == '\r'; }

    // Past the line end at p (CR LF, LF or CR).
    std::size_t SkipLineEnd(std::size_t p) const {
        if (p < text_.size() && text_[p] == '\r') ++p;
        else if (p < text_.size() && text_[p] == '\n') return p + 1;
        if (p < text_.size() && text_[p] == '\n') ++p;
        return p;
    }

    std::size_t SkipToLineEnd(std::size_t p) const {
        while (!AtLineEnd(p)) ++p;
        return p;
    }

    std::size_t SkipBlanks(std::size_t p) const {
        while (p < text_.size() && IsBlank(text_[p])) ++p;
        return p;
    }

    // At a '\' outside quotes: if only '\', blanks and perhaps a comment
    // follow on the line, returns the start of the continued text on the next
    // line; otherwise nothing, and `textEnd` ends the '\'s and blanks, which
    // are then text (text follows them, so none is trailing).
    std::optional<std::size_t> Continuation(std::size_t p, std::size_t& textEnd) const {
        std::size_t q = p;
        while (q < text_.size() && (text_[q] == '\\' || IsBlank(text_[q]))) ++q;
        textEnd = q;
        if (q < text_.size() && text_[q] == ';') q = SkipToLineEnd(q);
        if (!AtLineEnd(q)) return std::nullopt;
        return SkipBlanks(SkipLineEnd(q));
    }

    void Parse() {
        std::size_t p = 0;
        std::optional<std::size_t> section;
        while (p < text_.size()) {
            p = SkipBlanks(p);
            if (AtLineEnd(p)) {
                p = SkipLineEnd(p);
            } else if (text_[p] == ';') {
                p = SkipLineEnd(SkipToLineEnd(p));
            } else if (text_[p] == '[') {
                std::size_t end = p + 1;
                while (!AtLineEnd(end) && text_[end] != ']') ++end;
                section = SectionIndex(Trimmed(text_.substr(p + 1, end - p - 1)));
                p = SkipLineEnd(SkipToLineEnd(end));
            } else {
                p = ParseEntry(p, section);
            }
        }
    }

    std::size_t SectionIndex(std::string_view name) {
        const auto [it, added] = index_.try_emplace(Lowered(name), sections_.size());
        if (added) sections_.emplace_back();
        return it->second;
    }

    // One logical line of fields starting at p; returns the start of the next line.
    std::size_t ParseEntry(std::size_t p, std::optional<std::size_t> section) {
        Line line;
        line.firstField = static_cast<std::uint32_t>(fields_.size());
        const std::size_t lineStart = pool_.size();
        std::size_t fieldStart = pool_.size();
        std::size_t keep = pool_.size();   // the field's text up to here survives trimming
        bool inQuotes = false;
        bool fieldHasText = false;
        const auto endField = [&] {
            pool_.resize(keep);
            fields_.push_back({static_cast<std::uint32_t>(fieldStart), static_cast<std::uint32_t>(keep - fieldStart)});
            fieldStart = keep = pool_.size();
            fieldHasText = false;
        };
        while (true) {
            if (AtLineEnd(p)) {
                endField();
                p = SkipLineEnd(p);
                break;
            }
            const char c = text_[p];
            if (inQuotes) {
                if (c == '"' && p + 1 < text_.size() && text_[p + 1] == '"') {
                    pool_.push_back('"');
                    p += 2;
                } else if (c == '"') {
                    inQuotes = false;
                    ++p;
                } else {
                    pool_.push_back(c);
                    ++p;
                }
                keep = pool_.size();
                continue;
            }
            if (c == '"') {
                inQuotes = true;
                fieldHasText = true;
                ++p;
            } else if (c == ',') {
                endField();
                p = SkipBlanks(p + 1);
            } else if (c == ';') {
                endField();
                p = SkipLineEnd(SkipToLineEnd(p));
                break;
            } else if (c == '=' && !line.hasKey && fields_.size() == line.firstField) {
                line.hasKey = true;
                endField();
                p = SkipBlanks(p + 1);
            } else if (c == '\\') {
                std::size_t textEnd = p;
                if (const std::optional<std::size_t> next = Continuation(p, textEnd)) {
                    pool_.resize(keep);   // blanks before the '\' go, as those starting the next line
                    p = *next;
                } else {
                    pool_.append(text_.substr(p, textEnd - p));
                    keep = pool_.size();
                    fieldHasText = true;
                    p = textEnd;
                }
            } else if (IsBlank(c)) {
                if (fieldHasText) pool_.push_back(c);   // kept only if text follows
                ++p;
            } else {
                pool_.push_back(c);
                keep = pool_.size();
                fieldHasText = true;
                ++p;
            }
        }
        line.fieldCount = static_cast<std::uint32_t>(fields_.size() - line.firstField);
        if (section) {
            sections_[*section].lines.push_back(static_cast<std::uint32_t>(lines_.size()));
            lines_.push_back(line);
        } else {
            fields_.resize(line.firstField);   // text before the first section belongs to none
            pool_.resize(lineStart);
        }
        return p;
    }

    std::string_view text_;
    std::string pool_;
    std::vector<Span> fields_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_;
};

// ---- strings ----------------------------------------------------------------

class Substituter {
public:
    explicit Substituter(const Document& doc) {
        const Section* strings = doc.Find("Strings");
        if (strings == nullptr) return;
        for (const std::uint32_t i : strings->lines) {
            const Line& line = doc.LineAt(i);
            if (!line.hasKey || doc.ValueCount(line) == 0) continue;
            values_.try_emplace(Lowered(doc.Key(line)), doc.Value(line, 0));   // the first definition wins
        }
    }

    // The field with its %name% replaced; nothing when it would pass `limit`
    // bytes or the file's substitution budget is spent.
    std::optional<std::string> Substitute(std::string_view in, std::size_t limit = kMaxFieldBytes) {
        std::string out;
        std::size_t at = 0;
        while (at < in.size()) {
            const std::size_t percent = in.find('%', at);
            if (!Append(out, in.substr(at, percent == std::string_view::npos ? std::string_view::npos : percent - at), limit)) return std::nullopt;
            if (percent == std::string_view::npos) break;
            const std::size_t close = in.find('%', percent + 1);
            if (close == std::string_view::npos) {
                if (!Append(out, in.substr(percent), limit)) return std::nullopt;
                break;
            }
            if (close == percent + 1) {
                if (!Append(out, "%", limit)) return std::nullopt;
            } else {
                const auto found = values_.find(Lowered(in.substr(percent + 1, close - percent - 1)));
                const bool ok = found == values_.end() ? Append(out, in.substr(percent, close - percent + 1), limit)
                                                       : Append(out, found->second, limit);
                if (!ok) return std::nullopt;
            }
            at = close + 1;
        }
        return out;
    }

    std::optional<std::string> Value(std::string_view name) const {
        const auto found = values_.find(Lowered(name));
        if (found == values_.end()) return std::nullopt;
        return std::string(found->second.substr(0, kMaxFieldBytes));
    }

private:
    bool Append(std::string& out, std::string_view piece, std::size_t limit) {
        if (piece.size() > limit - out.size() || piece.size() > budget_) return false;
        budget_ -= piece.size();
        out.append(piece);
        return true;
    }

    std::unordered_map<std::string, std::string_view> values_;
    std::size_t budget_ = kMaxSubstitutedBytes;
};

// ---- registry lines ---------------------------------------------------------

bool IsForbiddenInName(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
}

// The file name at the end of a path; empty when there is none to use.
std::string FileNameOf(std::string_view path) {
    std::size_t end = path.size();
    while (end > 0 && (path[end - 1] == '\\' || path[end - 1] == '/')) --end;
    std::size_t start = end;
    while (start > 0 && path[start - 1] != '\\' && path[start - 1] != '/') --start;
    const std::string_view name = path.substr(start, end - start);
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos || names::IsDeviceName(name)) return {};
    for (const char c : name) {
        if (IsForbiddenInName(c)) return {};
    }
    return std::string(name);
}

enum class KeyKind { Other, Cursors, Schemes };

using RoleFiles = std::array<std::optional<std::string>, kSchemeRoleCount>;

struct SchemeLine {
    std::string name;
    RoleFiles files;   // empty string: the entry is there but names no file
};

class CursorLines {
public:
    CursorLines(const Document& doc, Substituter& strings) : doc_(doc), strings_(strings) {}

    void Read(const Section& section) {
        for (const std::uint32_t i : section.lines) ReadLine(doc_.LineAt(i));
    }

    InfResult Result() {
        InfResult result;
        if (schemeLines_.empty() && HasExplicit()) {
            SchemeLine only;
            only.name = strings_.Value("SCHEME_NAME").value_or(std::string{});
            schemeLines_.push_back(std::move(only));
        }
        for (SchemeLine& line : schemeLines_) {
            Scheme scheme;
            scheme.name = std::move(line.name);
            for (std::size_t pos = 0; pos < kSchemeRoleCount; ++pos) {
                const std::optional<std::string>& file = explicit_[pos] ? explicit_[pos] : line.files[pos];
                if (file && !file->empty()) scheme.files.push_back({std::string(kSchemeOrder[pos]), *file});
            }
            if (!scheme.files.empty()) result.schemes.push_back(std::move(scheme));
        }
        return result;
    }

private:
    bool HasExplicit() const {
        for (const auto& file : explicit_) {
            if (file) return true;
        }
        return false;
    }

    KeyKind Kind(const Line& line) {
        if (doc_.ValueCount(line) < 3) return KeyKind::Other;
        const std::optional<std::string> root = strings_.Substitute(doc_.Value(line, 0), 32);
        if (!root || (!EqualsIgnoringAsciiCase(*root, "HKCU") && !EqualsIgnoringAsciiCase(*root, "HKEY_CURRENT_USER"))) {
            return KeyKind::Other;
        }
        const std::optional<std::string> key = strings_.Substitute(doc_.Value(line, 1), 64);
        if (!key) return KeyKind::Other;
        if (EqualsIgnoringAsciiCase(*key, "Control Panel\\Cursors")) return KeyKind::Cursors;
        if (EqualsIgnoringAsciiCase(*key, "Control Panel\\Cursors\\Schemes")) return KeyKind::Schemes;
        return KeyKind::Other;
    }

    void ReadLine(const Line& line) {
        switch (Kind(line)) {
            case KeyKind::Cursors: ReadRoleLine(line); break;
            case KeyKind::Schemes: ReadSchemeLine(line); break;
            case KeyKind::Other: break;
        }
    }

    // HKCU,"Control Panel\Cursors",<role>,<flags>,<path>
    void ReadRoleLine(const Line& line) {
        const std::optional<std::string> role = strings_.Substitute(doc_.Value(line, 2), 32);
        const int pos = role ? SchemePosition(*role) : -1;
        if (pos < 0) return;
        std::string file;
        if (doc_.ValueCount(line) > 4) {
            if (const std::optional<std::string> path = strings_.Substitute(doc_.Value(line, 4))) file = FileNameOf(*path);
        }
        explicit_[static_cast<std::size_t>(pos)] = std::move(file);
    }

    // HKCU,"Control Panel\Cursors\Schemes",<name>,<flags>,<list>[,<more entries>...]
    void ReadSchemeLine(const Line& line) {
        const std::optional<std::string> name = strings_.Substitute(doc_.Value(line, 2));
        if (!name) return;
        SchemeLine scheme;
        scheme.name = *name;
        std::size_t position = 0;
        for (std::size_t field = 4; field < doc_.ValueCount(line) && position < kSchemeOrder.size(); ++field) {
            const std::optional<std::string> list = strings_.Substitute(doc_.Value(line, field));
            if (!list) return;
            std::size_t at = 0;
            while (position < kSchemeOrder.size()) {
                const std::size_t comma = list->find(',', at);
                const std::string_view entry = std::string_view(*list).substr(at, comma == std::string::npos ? std::string::npos : comma - at);
                scheme.files[position] = FileNameOf(Document::Trimmed(entry));
                ++position;
                if (comma == std::string::npos) break;
                at = comma + 1;
            }
        }
        schemeLines_.push_back(std::move(scheme));
    }

    const Document& doc_;
    Substituter& strings_;
    RoleFiles explicit_;
    std::vector<SchemeLine> schemeLines_;
};

// The sections [DefaultInstall] names with AddReg, each once, in order; every
// section when there is no [DefaultInstall].
std::vector<const Section*> RegistrySections(const Document& doc) {
    std::vector<const Section*> out;
    const Section* install = doc.Find("DefaultInstall");
    if (install == nullptr) {
        for (const Section& section : doc.Sections()) out.push_back(&section);
        return out;
    }
    std::unordered_set<const Section*> seen;
    for (const std::uint32_t i : install->lines) {
        const Line& line = doc.LineAt(i);
        if (!EqualsIgnoringAsciiCase(doc.Key(line), "AddReg")) continue;
        for (std::size_t v = 0; v < doc.ValueCount(line); ++v) {
            const Section* named = doc.Find(doc.Value(line, v));
            if (named != nullptr && seen.insert(named).second) out.push_back(named);
        }
    }
    return out;
}

}  // namespace

InfResult ReadCursorInf(std::span<const std::uint8_t> bytes, const AnsiDecoder& ansi) {
    if (bytes.size() > kMaxInfBytes) return {InfError::TooLarge, {}};
    std::string text;
    if (!DecodeText(bytes, ansi, text)) return {InfError::NotText, {}};
    if (text.size() > kMaxTextBytes) return {InfError::TooLarge, {}};
    if (const std::size_t end = text.find('\x1A'); end != std::string::npos) text.resize(end);
    const Document doc(text);
    Substituter strings(doc);
    CursorLines lines(doc, strings);
    for (const Section* section : RegistrySections(doc)) lines.Read(*section);
    return lines.Result();
}

}  // namespace shubiao::inf

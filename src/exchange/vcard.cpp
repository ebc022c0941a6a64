// vCard reading and writing.
#include "exchange/vcard.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "exchange/read_in_halves.h"
#include "exchange/text_code.h"

namespace lumo {

namespace {

constexpr std::array<char, 256> lower_table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return t;
}();

char ascii_lower(char c) { return lower_table[static_cast<unsigned char>(c)]; }

bool equals_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

bool contains_nocase(std::string_view hay, std::string_view needle) {
    if (needle.empty()) return true;
    const char first = ascii_lower(needle.front());
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (ascii_lower(hay[i]) == first && equals_nocase(hay.substr(i + 1, needle.size() - 1), needle.substr(1)))
            return true;
    return false;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

enum class Property { begin, end, version, n, fn, tel, email, url, bday, adr, org, title, note, agent, other };

// A property name of up to eight letters, upper-cased, as one number: the
// names are told apart with one comparison each.
constexpr std::uint64_t packed_name(std::string_view name) {
    if (name.size() > 8) return 0;
    std::uint64_t key = 0;
    for (char c : name) key = key << 8 | static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
    return key;
}


// packed_name at run time: the name's bytes loaded at once and upper-cased
// together.
std::uint64_t packed_name_now(std::string_view name) {
    if constexpr (std::endian::native != std::endian::little) {
        return packed_name(name);
    } else {
        if (name.empty() || name.size() > 8) return 0;
        std::uint64_t word = 0;
        std::memcpy(&word, name.data(), name.size());
        constexpr std::uint64_t ones = 0x0101010101010101u;
        const std::uint64_t low7 = word & (ones * 0x7F);
        const std::uint64_t from_a = low7 + ones * (0x80 - 'a');
        const std::uint64_t past_z = low7 + ones * (0x80 - 'z' - 1);
        const std::uint64_t lower = from_a & ~past_z & ~word & (ones * 0x80);
        word ^= lower >> 2;  // 'a' - 'A' is 0x20
        // The first byte the highest, as packed_name puts them.
        return __builtin_bswap64(word) >> (8 * (8 - name.size()));
    }
}

Property property_of(std::string_view name) {
    switch (packed_name_now(name)) {
    case packed_name("BEGIN"): return Property::begin;
    case packed_name("END"): return Property::end;
    case packed_name("VERSION"): return Property::version;
    case packed_name("N"): return Property::n;
    case packed_name("FN"): return Property::fn;
    case packed_name("TEL"): return Property::tel;
    case packed_name("EMAIL"): return Property::email;
    case packed_name("URL"): return Property::url;
    case packed_name("BDAY"): return Property::bday;
    case packed_name("ADR"): return Property::adr;
    case packed_name("ORG"): return Property::org;
    case packed_name("TITLE"): return Property::title;
    case packed_name("NOTE"): return Property::note;
    case packed_name("AGENT"): return Property::agent;
    default: return Property::other;
    }
}

// Where the parts of a property line are: "group.NAME;PARAMETERS:value".
struct Head {
    std::string_view name;                        // without the group
    std::size_t semicolon = std::string_view::npos;  // the first, when before the colon
    std::size_t colon = std::string_view::npos;      // the first outside double quotes
    std::string_view parameters(std::string_view line) const {
        if (semicolon == std::string_view::npos || colon == std::string_view::npos) return {};
        return line.substr(semicolon + 1, colon - semicolon - 1);
    }
};

Head parse_head(std::string_view line) {
    Head h;
    std::size_t name_start = 0;
    std::size_t i = 0;
    for (; i < line.size() && line[i] != ';' && line[i] != ':'; ++i)
        if (line[i] == '.') name_start = i + 1;
    h.name = line.substr(name_start, i - name_start);
    if (!h.name.empty() && (h.name.front() == ' ' || h.name.back() == ' ' || h.name.back() == '\t')) h.name = trim(h.name);
    if (i < line.size() && line[i] == ':') {
        h.colon = i;
        return h;
    }
    h.semicolon = i < line.size() ? i : std::string_view::npos;
    // Parameter values may be quoted and hold colons.
    bool quoted = false;
    for (; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        else if (line[i] == ':' && !quoted) break;
    }
    h.colon = i < line.size() ? i : std::string_view::npos;
    return h;
}

enum class Charset { utf8, single_byte, other };

Charset charset_of(std::string_view name) {
    if (name.empty() || equals_nocase(name, "UTF-8") || equals_nocase(name, "UTF8")) return Charset::utf8;
    for (std::string_view latin : {"ISO-8859-1", "ISO-8859-15", "WINDOWS-1252", "CP1252", "LATIN1", "US-ASCII", "ASCII"})
        if (equals_nocase(name, latin)) return Charset::single_byte;
    return Charset::other;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = ascii_lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void decode_quoted_printable(std::string_view in, std::string& out) {
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && hex_value(in[i + 1]) >= 0 && hex_value(in[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(in[i + 1]) * 16 + hex_value(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
}

// What the parameters of a property say.
struct Parameters {
    bool quoted_printable = false;
    bool fax = false;
    bool uri = false;  // VALUE=uri: a phone number as "tel:..."
    Charset charset = Charset::utf8;
};

bool is_fax_type(std::string_view types) {
    std::size_t start = 0;
    while (start <= types.size()) {
        std::size_t end = types.find(',', start);
        if (end == std::string_view::npos) end = types.size();
        std::string_view type = trim(types.substr(start, end - start));
        if (!type.empty() && type.front() == '"') type.remove_prefix(1);
        if (!type.empty() && type.back() == '"') type.remove_suffix(1);
        if (equals_nocase(type, "fax")) return true;
        start = end + 1;
    }
    return false;
}

Parameters parse_parameters(std::string_view params) {
    Parameters p;
    if (params.empty()) return p;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= params.size(); ++i) {
        if (i < params.size() && params[i] == '"') quoted = !quoted;
        if (i < params.size() && (params[i] != ';' || quoted)) continue;
        const std::string_view param = trim(params.substr(start, i - start));
        start = i + 1;
        const std::size_t equals = param.find('=');
        if (equals == std::string_view::npos) {  // the bare parameters of 2.1
            if (equals_nocase(param, "QUOTED-PRINTABLE")) p.quoted_printable = true;
            else if (equals_nocase(param, "FAX")) p.fax = true;
            continue;
        }
        const std::string_view name = trim(param.substr(0, equals));
        std::string_view value = trim(param.substr(equals + 1));
        if (equals_nocase(name, "ENCODING")) {
            p.quoted_printable = equals_nocase(value, "QUOTED-PRINTABLE");
        } else if (equals_nocase(name, "CHARSET")) {
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
            p.charset = charset_of(value);
        } else if (equals_nocase(name, "TYPE")) {
            p.fax = p.fax || is_fax_type(value);
        } else if (equals_nocase(name, "VALUE")) {
            p.uri = equals_nocase(value, "uri");
        }
    }
    return p;
}

// Removes the backslash escapes of text values.
void unescape(std::string_view in, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::size_t slash = std::min(in.find('\\', i), in.size());
        out.append(in.data() + i, slash - i);
        i = slash;
        if (i + 1 >= in.size()) {
            if (i < in.size()) out += '\\';
            break;
        }
        const char next = in[++i];
        switch (next) {
        case 'n': case 'N': out += '\n'; break;
        case '\\': case ',': case ';': case ':': out += next; break;
        default:  // not an escape a writer should make: kept as it stands
            out += '\\';
            out += next;
            break;
        }
    }
}

// The parts of a structured value ("family;given;..."): split at its
// unescaped semicolons, the escapes removed. Views into the value, or into
// `storage` for parts that held escapes.
struct Components {
    static constexpr std::size_t most = 8;  // N has 5, ADR 7; ORG's further units join the last
    std::array<std::string_view, most> parts{};
    std::size_t count = 0;
    std::string_view operator[](std::size_t k) const { return k < count ? parts[k] : std::string_view{}; }
};

Components split_components(std::string_view value, TextList& storage) {
    Components c;
    storage.clear();
    storage.reserve(Components::most);
    const bool escapes = value.find('\\') != std::string_view::npos;
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        if (escapes && i < value.size() && value[i] == '\\') {
            ++i;
            continue;
        }
        const bool end = i >= value.size();
        if (!end && (value[i] != ';' || c.count + 1 == Components::most)) continue;
        const std::string_view part = value.substr(start, (end ? value.size() : i) - start);
        if (escapes) {
            std::string& unescaped = storage.add();
            unescape(part, unescaped);
            c.parts[c.count++] = unescaped;
        } else {
            c.parts[c.count++] = part;
        }
        if (end) return c;
        start = i + 1;
    }
}

void append_joined(std::string& out, std::string_view part, std::string_view between = ", ") {
    part = trim(part);
    if (part.empty()) return;
    if (!out.empty()) out += between;
    out += part;
}

class CardReader {
public:
    CardReader(std::string_view text, const ContactSink& sink) : text_(text), sink_(sink) {}

    ReadCounts run() {
        read_until(text_.size());
        return finish();
    }

    // Reads the lines that begin before `stop`; true when a line begins
    // there and it finds itself between two cards.
    bool read_until(std::size_t stop) {
        while (pos_ < text_.size() && pos_ < stop) {
            const std::string_view line = physical_line();
            anything_ = anything_ || !trim(line).empty();
            handle_line(line);
        }
        return pos_ == stop && !in_card_;  // an agent's card lies only inside a card
    }

    // What was read, the text's end reached.
    ReadCounts finish() {
        if (in_card_) ++counts_.unreadable;  // cut off
        if (anything_ && !seen_card_) counts_.unreadable = 1;  // no vCard at all
        return counts_;
    }
    // What was read behind `before`, which stopped between two cards where
    // this reader began: whether the file holds any card at all is a
    // question for both.
    ReadCounts finish_after(const CardReader& before) {
        anything_ = anything_ || before.anything_;
        seen_card_ = seen_card_ || before.seen_card_;
        return finish();
    }
    const ReadCounts& counts() const { return counts_; }

private:
    // The next line without its line end; moves behind it.
    std::string_view physical_line() {
        const std::size_t start = pos_;
        const void* lf = std::memchr(text_.data() + start, '\n', text_.size() - start);
        std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text_.data()) : text_.size();
        pos_ = lf ? end + 1 : end;
        if (end > start && text_[end - 1] == '\r') --end;
        return text_.substr(start, end - start);
    }

    bool folded_line_follows() const { return pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'); }

    // Whether the next line continues a 2.1 base64 value that its writer did
    // not indent: base64 text has no colon, every property line has one.
    bool base64_line_follows() const {
        if (pos_ >= text_.size() || text_[pos_] == '\r' || text_[pos_] == '\n') return false;
        const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
        return text_.substr(pos_, end - pos_).find(':') == std::string_view::npos;
    }

    // Collects the lines that continue `first`: folded ones, soft line
    // breaks of quoted-printable, unindented base64. With `keep` false they
    // are only passed over.
    std::string_view logical_line(std::string_view first, bool quoted_printable, bool base64, bool keep) {
        bool copied = false;
        char last = first.empty() ? '\0' : first.back();
        for (;;) {
            std::string_view next;
            bool unfold = false;
            // A soft line break comes first: the next line's leading blank
            // is text then.
            if ((quoted_printable && last == '=' && pos_ < text_.size()) || (base64 && base64_line_follows())) {
                next = physical_line();
            } else if (folded_line_follows()) {
                next = physical_line().substr(1);
                unfold = true;
            } else {
                break;
            }
            if (keep) {
                if (!copied) logical_.assign(first);
                copied = true;
                if (!unfold && quoted_printable && !logical_.empty() && logical_.back() == '=') logical_.pop_back();
                logical_ += next;
            }
            if (!next.empty()) last = next.back();
            else if (!unfold) last = '\0';
        }
        return copied ? std::string_view(logical_) : first;
    }

    bool wanted(Property p) const {
        if (p == Property::begin || p == Property::end) return true;
        return in_card_ && nested_ == 0 && p != Property::other && p != Property::version;
    }

    void handle_line(std::string_view first) {
        const Head first_head = parse_head(first);
        const Property property = property_of(first_head.name);
        // Only parameters can make a value quoted-printable or binary.
        const std::string_view params = first_head.parameters(first);
        const bool quoted_printable = !params.empty() && contains_nocase(params, "QUOTED-PRINTABLE");
        const bool base64 =
            !params.empty() && (contains_nocase(params, "BASE64") || contains_nocase(params, "ENCODING=B"));
        // Binary data is of no use in an entry: passed over like a photo.
        const bool keep = wanted(property) && !base64;
        const std::string_view line = logical_line(first, quoted_printable, base64, keep);
        if (!keep) {
            agent_pending_ = false;
            return;
        }
        const Head head = line.data() == first.data() ? first_head : parse_head(line);
        if (head.colon == std::string_view::npos) return;
        const std::string_view value = line.substr(head.colon + 1);
        switch (property) {
        case Property::begin: begin_card(trim(value)); break;
        case Property::end: end_card(trim(value)); break;
        default:
            take(property, parse_parameters(head.parameters(line)), value);
            agent_pending_ = property == Property::agent && trim(value).empty();
            break;
        }
    }

    void begin_card(std::string_view what) {
        if (!equals_nocase(what, "VCARD")) return;
        seen_card_ = true;
        if (in_card_ && (agent_pending_ || nested_ > 0)) {
            ++nested_;  // a 2.1 agent's card inside this one
            return;
        }
        if (in_card_) ++counts_.unreadable;  // the card before was cut off
        in_card_ = true;
        agent_pending_ = false;
        contact_.clear();
    }

    void end_card(std::string_view what) {
        if (!equals_nocase(what, "VCARD") || !in_card_) return;
        if (nested_ > 0) {
            --nested_;
            return;
        }
        in_card_ = false;
        agent_pending_ = false;
        if (contact_.empty()) {
            ++counts_.unreadable;
            return;
        }
        ++counts_.read;
        sink_(contact_);
    }

    // The value as Windows-1252 text, escapes still in.
    std::string_view decode(std::string_view value, const Parameters& p) {
        std::string_view bytes = value;
        if (p.quoted_printable) {
            printable_.clear();
            decode_quoted_printable(value, printable_);
            bytes = printable_;
        }
        // Plain ASCII is the same in every code this reader knows.
        if (is_ascii(bytes)) return bytes;
        decoded_.clear();
        Charset charset = p.charset;
        if (charset == Charset::other && is_valid_utf8(bytes)) charset = Charset::utf8;
        switch (charset) {
        case Charset::utf8:
            if (append_utf8_as_1252(bytes, decoded_) > 0) contact_.replaced = true;
            break;
        case Charset::single_byte: decoded_.assign(bytes); break;
        case Charset::other:
            // A code this reader does not know: its letters cannot be told.
            for (char c : bytes) {
                const bool foreign = static_cast<unsigned char>(c) >= 0x80;
                decoded_ += foreign ? '?' : c;
                contact_.replaced = contact_.replaced || foreign;
            }
            break;
        }
        return decoded_;
    }

    std::string_view text_value(std::string_view value, const Parameters& p) {
        const std::string_view text = decode(value, p);
        if (text.find('\\') == std::string_view::npos) return text;
        unescape(text, unescaped_);
        return unescaped_;
    }

    void take(Property property, const Parameters& p, std::string_view value) {
        switch (property) {
        case Property::n: take_name(value, p); break;
        case Property::fn: contact_.formatted_name.assign(text_value(value, p)); break;
        case Property::tel: take_phone(text_value(value, p), p); break;
        case Property::email: contact_.emails.add(text_value(value, p)); break;
        case Property::url: contact_.urls.add(text_value(value, p)); break;
        case Property::title: contact_.titles.add(text_value(value, p)); break;
        case Property::note: contact_.notes.add(text_value(value, p)); break;
        case Property::bday: take_birthday(text_value(value, p)); break;
        case Property::adr: take_address(value, p); break;
        case Property::org: take_organisation(value, p); break;
        default: break;
        }
    }

    void take_name(std::string_view value, const Parameters& p) {
        const Components parts = split_components(decode(value, p), parts_);
        contact_.family_name.assign(trim(parts[0]));
        contact_.given_names.clear();
        append_joined(contact_.given_names, parts[1], " ");
        append_joined(contact_.given_names, parts[2], " ");
    }

    void take_phone(std::string_view number, const Parameters& p) {
        number = trim(number);
        if (p.uri && number.size() > 4 && equals_nocase(number.substr(0, 4), "tel:")) number.remove_prefix(4);
        (p.fax ? contact_.faxes : contact_.phones).add(number);
    }

    void take_birthday(std::string_view text) {
        if (contact_.birthday.known() || !contact_.unreadable_birthday.empty()) return;
        if (!parse_date(text, contact_.birthday)) contact_.unreadable_birthday.assign(trim(text));
    }

    // post office box; extended address; street; locality; region; postal
    // code; country
    void take_address(std::string_view value, const Parameters& p) {
        const Components parts = split_components(decode(value, p), parts_);
        PostalAddress& a = contact_.addresses.add();
        append_joined(a.street, parts[2]);
        append_joined(a.street, parts[1]);
        append_joined(a.street, parts[0]);
        a.postal_code.assign(trim(parts[5]));
        append_joined(a.locality, parts[3]);
        append_joined(a.locality, parts[4]);
        a.country.assign(trim(parts[6]));
        if (a.empty()) contact_.addresses.remove_last();
    }

    void take_organisation(std::string_view value, const Parameters& p) {
        const Components parts = split_components(decode(value, p), parts_);
        std::string& org = contact_.organisations.add();
        for (std::size_t k = 0; k < parts.count; ++k) append_joined(org, parts[k]);
        if (org.empty()) contact_.organisations.remove_last();
    }

    std::string_view text_;
    const ContactSink& sink_;
    std::size_t pos_ = 0;
    ReadCounts counts_;
    Contact contact_;
    bool anything_ = false;  // a line that is not blank
    bool in_card_ = false;
    bool seen_card_ = false;
    bool agent_pending_ = false;
    int nested_ = 0;
    std::string logical_;
    std::string printable_;
    std::string decoded_;
    std::string unescaped_;
    TextList parts_;
};

// ---- Writing --------------------------------------------------------------------

constexpr std::size_t fold_octets = 75;

// The characters written with a backslash in front. A note keeps its
// semicolons as they are; a web address is no text, only a backslash needs
// its escape.
constexpr ByteForms text_forms = utf8_forms("\\,;\n", '\\', "\\,;n");
constexpr ByteForms note_forms = utf8_forms("\\,\n", '\\', "\\,n");
constexpr ByteForms url_forms = utf8_forms("\\", '\\', "\\");

}  // namespace

VcardWriter::VcardWriter(VcardVersion version) : v4_(version == VcardVersion::v4) {}

std::size_t VcardWriter::most_bytes(const Contact& c) {
    // A line's name, colon and separators take at most 25 bytes, its value
    // three a byte (UTF-8 or an escape), its folds three every 74 and its
    // end two: at most 32 a line and four a value byte.
    std::size_t values = c.formatted_name.size() + c.family_name.size() + c.given_names.size();
    std::size_t lines = 4;  // FN, N, BDAY and NOTE
    for (const TextList* list : {&c.phones, &c.faxes, &c.emails, &c.urls, &c.organisations, &c.titles}) {
        for (const std::string& v : *list) values += v.size();
        lines += list->size();
    }
    for (const std::string& note : c.notes) values += note.size() + 2;  // and the "\\n" in front
    for (const PostalAddress& a : c.addresses)
        values += a.street.size() + a.locality.size() + a.postal_code.size() + a.country.size();
    lines += c.addresses.size();
    return 64 + 32 * lines + 4 * values;  // 64: BEGIN, VERSION and END
}

void VcardWriter::append(const Contact& c, std::string& out) {
    // The card is written in place, in room for the most it can take.
    const std::size_t old = out.size();
    out.resize(old + most_bytes(c));
    w_ = out.data() + old;
    put(v4_ ? "BEGIN:VCARD\r\nVERSION:4.0\r\n" : "BEGIN:VCARD\r\nVERSION:3.0\r\n");
    property("FN", c.formatted_name);
    start("N");
    component(c.family_name, false);
    component(c.given_names, true);
    put(";;;");
    emit();
    for (const std::string& v : c.phones) property(v4_ ? "TEL;TYPE=voice" : "TEL;TYPE=VOICE", v);
    for (const std::string& v : c.faxes) property(v4_ ? "TEL;TYPE=fax" : "TEL;TYPE=FAX", v);
    for (const std::string& v : c.emails) property(v4_ ? "EMAIL" : "EMAIL;TYPE=INTERNET", v);
    for (const std::string& v : c.urls) {
        start("URL");
        escape(v, url_forms);
        emit();
    }
    if (c.birthday.known()) birthday(c.birthday);
    for (const PostalAddress& a : c.addresses) address(a);
    for (const std::string& v : c.organisations) property("ORG", v);
    for (const std::string& v : c.titles) property("TITLE", v);
    if (!c.notes.empty()) {
        start("NOTE");
        for (std::size_t i = 0; i < c.notes.size(); ++i) {
            if (i > 0) put("\\n");
            escape(c.notes[i], note_forms);
        }
        emit();
    }
    put("END:VCARD\r\n");
    out.resize(static_cast<std::size_t>(w_ - out.data()));
}

void VcardWriter::put(std::string_view text) {
    std::memcpy(w_, text.data(), text.size());
    w_ += text.size();
}

void VcardWriter::start(std::string_view name) {
    line_start_ = w_;
    put(name);
    *w_++ = ':';
}

void VcardWriter::escape(std::string_view value, const ByteForms& forms) { w_ = put_in_forms(value, forms, w_); }

void VcardWriter::property(std::string_view name, std::string_view value) {
    start(name);
    escape(value, text_forms);
    emit();
}

void VcardWriter::component(std::string_view value, bool semicolon_first) {
    if (semicolon_first) *w_++ = ';';
    escape(value, text_forms);
}

void VcardWriter::birthday(const Birthday& d) {
    char date[16];
    const std::size_t length = put_iso_date(d, v4_, date);
    start("BDAY");
    put(std::string_view(date, length));
    emit();
}

void VcardWriter::address(const PostalAddress& a) {
    start("ADR");
    put(";;");
    component(a.street, false);
    component(a.locality, true);
    *w_++ = ';';  // no region: it stays with the locality
    component(a.postal_code, true);
    component(a.country, true);
    emit();
}

void VcardWriter::emit() {
    if (static_cast<std::size_t>(w_ - line_start_) > fold_octets) fold();
    put("\r\n");
}

void VcardWriter::fold() {
    // Where the pieces end, never inside a UTF-8 sequence; then the pieces
    // move back to make room for the line breaks, the last first, so the
    // line is folded where it stands.
    cuts_.clear();
    char* at = line_start_;
    std::size_t room = fold_octets;
    while (static_cast<std::size_t>(w_ - at) > room) {
        char* cut = at + room;
        while (cut > at + 1 && (static_cast<unsigned char>(*cut) & 0xC0) == 0x80) --cut;
        cuts_.push_back(cut);
        at = cut;
        room = fold_octets - 1;
    }
    char* end = w_;
    w_ += 3 * cuts_.size();
    for (std::size_t k = cuts_.size(); k-- > 0;) {
        char* cut = cuts_[k];
        char* to = cut + 3 * (k + 1);
        std::memmove(to, cut, static_cast<std::size_t>(end - cut));
        std::memcpy(to - 3, "\r\n ", 3);
        end = cut;
    }
}

ReadCounts read_vcards(std::string_view bytes, const ContactSink& sink) {
    std::string storage;
    return CardReader(text_without_byte_order_mark(bytes, storage), sink).run();
}

ReadInHalves read_vcards_in_halves(std::string_view bytes, const ContactSink& first, const ContactSink& second) {
    std::string storage;
    const std::string_view text = text_without_byte_order_mark(bytes, storage);
    // The second half begins with a card of its own: a "BEGIN:VCARD" line
    // behind the middle.
    constexpr std::string_view begin = "\nBEGIN:VCARD";
    std::size_t split = text.size() / 2;
    for (;; ++split) {
        split = text.find(begin, split);
        if (split == std::string_view::npos) return {CardReader(text, first).run(), {}, false};
        const std::string_view after = text.substr(split + begin.size(), 2);
        if (after == "\r\n" || after.substr(0, 1) == "\n") break;
    }
    ++split;
    CardReader whole(text, first);
    CardReader rest(text.substr(split), second);
    return read_in_halves(whole, rest, split);
}

void append_vcard(const Contact& contact, VcardVersion version, std::string& out) {
    VcardWriter(version).append(contact, out);
}

}  // namespace lumo

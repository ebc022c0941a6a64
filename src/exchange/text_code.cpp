// Unicode <-> Windows-1252 with transliteration.
#include "exchange/text_code.h"

#include <array>
#include <bit>
#include <cstring>

namespace lumo {

namespace {

// Plain letters for U+0100 to U+017F; '#' marks the few that need more than
// one letter or that Windows-1252 holds itself.
constexpr std::string_view latin_extended_a =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi"  // U+0100
    "##JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo##RrRrRrSsSsSs##"    // U+0132
    "TtTtTtUuUuUuUuUuUuWwYy#ZzZz##s";                     // U+0162

// Cyrillic U+0400 to U+045F: the upper-case letters (U+0400 to U+042F); the
// lower-case ones are the same in lower case.
constexpr std::array<std::string_view, 48> cyrillic = {
    "E",  "Yo", "Dj", "G", "Ye", "Dz", "I", "Yi", "J", "Lj", "Nj",   "C", "K", "I",  "U",  "Dz",
    "A",  "B",  "V",  "G", "D",  "E",  "Zh", "Z", "I", "Y",  "K",    "L", "M", "N",  "O",  "P",
    "R",  "S",  "T",  "U", "F",  "Kh", "Ts", "Ch", "Sh", "Shch", "", "Y", "", "E", "Yu", "Ya"};

// Greek U+0386 to U+03CE (modern transliteration); "" where no letter is.
constexpr std::array<std::string_view, 73> greek = {
    "A", "",  "E", "I", "I",  "",  "O", "",  "Y", "O",                                  // U+0386
    "i", "A", "V", "G", "D",  "E", "Z", "I", "Th", "I", "K", "L", "M", "N", "X", "O",   // U+0390
    "P", "R", "",  "S", "T",  "Y", "F", "Ch", "Ps", "O", "I", "Y",                      // U+03A0
    "a", "e", "i", "i", "y",  "a", "v", "g", "d", "e", "z", "i", "th", "i", "k", "l",   // U+03AC
    "m", "n", "x", "o", "p",  "r", "s", "s", "t", "y", "f", "ch", "ps", "o", "i", "y",  // U+03BC
    "o", "y", "o"};                                                                     // U+03CC

// Windows-1252 letters with one accent: the letter, its base and the
// combining mark (U+03xx) that, following the base, makes it.
struct Composed {
    unsigned char letter;
    char base;
    std::uint16_t mark;
};
constexpr std::uint16_t grave = 0x300, acute = 0x301, circumflex = 0x302, tilde = 0x303, diaeresis = 0x308,
                        ring = 0x30A, caron = 0x30C, cedilla = 0x327;
constexpr Composed composed[] = {
    {0xC0, 'A', grave},      {0xC1, 'A', acute},      {0xC2, 'A', circumflex}, {0xC3, 'A', tilde},
    {0xC4, 'A', diaeresis},  {0xC5, 'A', ring},       {0xC7, 'C', cedilla},    {0xC8, 'E', grave},
    {0xC9, 'E', acute},      {0xCA, 'E', circumflex}, {0xCB, 'E', diaeresis},  {0xCC, 'I', grave},
    {0xCD, 'I', acute},      {0xCE, 'I', circumflex}, {0xCF, 'I', diaeresis},  {0xD1, 'N', tilde},
    {0xD2, 'O', grave},      {0xD3, 'O', acute},      {0xD4, 'O', circumflex}, {0xD5, 'O', tilde},
    {0xD6, 'O', diaeresis},  {0xD9, 'U', grave},      {0xDA, 'U', acute},      {0xDB, 'U', circumflex},
    {0xDC, 'U', diaeresis},  {0xDD, 'Y', acute},      {0xE0, 'a', grave},      {0xE1, 'a', acute},
    {0xE2, 'a', circumflex}, {0xE3, 'a', tilde},      {0xE4, 'a', diaeresis},  {0xE5, 'a', ring},
    {0xE7, 'c', cedilla},    {0xE8, 'e', grave},      {0xE9, 'e', acute},      {0xEA, 'e', circumflex},
    {0xEB, 'e', diaeresis},  {0xEC, 'i', grave},      {0xED, 'i', acute},      {0xEE, 'i', circumflex},
    {0xEF, 'i', diaeresis},  {0xF1, 'n', tilde},      {0xF2, 'o', grave},      {0xF3, 'o', acute},
    {0xF4, 'o', circumflex}, {0xF5, 'o', tilde},      {0xF6, 'o', diaeresis},  {0xF9, 'u', grave},
    {0xFA, 'u', acute},      {0xFB, 'u', circumflex}, {0xFC, 'u', diaeresis},  {0xFD, 'y', acute},
    {0xFF, 'y', diaeresis},  {0x8A, 'S', caron},      {0x9A, 's', caron},      {0x8E, 'Z', caron},
    {0x9E, 'z', caron},      {0x9F, 'Y', diaeresis},
};

// The Windows-1252 byte of a code point that it holds, or -1.
int byte_of(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (std::size_t i = 0; i < high_1252.size(); ++i)
        if (high_1252[i] == c) return static_cast<int>(0x80 + i);
    return -1;
}

// The Windows-1252 letter that `base` followed by the combining `mark` makes,
// or -1 when it has none.
int compose(unsigned char base, char32_t mark) {
    for (const Composed& k : composed)
        if (static_cast<unsigned char>(k.base) == base && k.mark == mark) return k.letter;
    return -1;
}

bool is_combining_mark(char32_t c) { return c >= 0x300 && c <= 0x36F; }

bool vanishes(char32_t c) { return (c >= 0x200B && c <= 0x200F) || c == 0x2060 || c == 0xFEFF; }

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + ('a' - 'A'));
    return out;
}

// The plain letters (or punctuation) for a code point Windows-1252 lacks;
// nothing when there are none.
bool transliterate(char32_t c, std::string& out) {
    if (c >= 0x100 && c <= 0x17F) {
        const char letter = latin_extended_a[c - 0x100];
        if (letter != '#') {
            out += letter;
        } else {
            out += c == 0x132 ? "IJ" : "ij";
        }
        return true;
    }
    if (c >= 0x400 && c <= 0x45F) {
        // U+0400 to U+040F and U+0450 to U+045F are the extra letters, upper
        // and lower case; U+0410 to U+044F the basic alphabet.
        const bool upper = c < 0x430;
        const std::size_t k = c < 0x410 ? c - 0x400 : c >= 0x450 ? c - 0x450 : 16 + (c - 0x410) % 32;
        out += upper ? std::string(cyrillic[k]) : lower(cyrillic[k]);
        return true;
    }
    if (c == 0x490 || c == 0x491) {
        out += c == 0x490 ? 'G' : 'g';
        return true;
    }
    if (c >= 0x386 && c <= 0x3CE) {
        const std::string_view letters = greek[c - 0x386];
        if (letters.empty()) return false;
        out += letters;
        return true;
    }
    switch (c) {
    case 0x218: out += 'S'; return true;
    case 0x219: out += 's'; return true;
    case 0x21A: out += 'T'; return true;
    case 0x21B: out += 't'; return true;
    case 0x1A0: out += 'O'; return true;
    case 0x1A1: out += 'o'; return true;
    case 0x1AF: out += 'U'; return true;
    case 0x1B0: out += 'u'; return true;
    case 0x2010: case 0x2011: case 0x2012: case 0x2015: case 0x2212: out += '-'; return true;
    case 0x201B: case 0x2032: out += '\''; return true;
    case 0x201F: case 0x2033: out += '"'; return true;
    case 0x2044: case 0x2215: out += '/'; return true;
    case 0x2028: case 0x2029: out += '\n'; return true;
    default: break;
    }
    if (c >= 0x2000 && c <= 0x200A) {  // the typographic spaces
        out += ' ';
        return true;
    }
    if (c >= 0xFF01 && c <= 0xFF5E) {  // full-width ASCII
        out += static_cast<char>(c - 0xFF01 + 0x21);
        return true;
    }
    return false;
}

// Decodes one UTF-8 sequence at `s[i]`; its length in `length`, 0 when the
// bytes there are not valid UTF-8.
char32_t decode_utf8(std::string_view s, std::size_t i, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const auto cont = [&](std::size_t k) { return i + k < s.size() && (byte(k) & 0xC0) == 0x80; };
    const unsigned char b0 = byte(0);
    length = 0;
    if (b0 < 0x80) {
        length = 1;
        return b0;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF && cont(1)) {
        length = 2;
        return (char32_t{b0} & 0x1F) << 6 | (byte(1) & 0x3F);
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && cont(1) && cont(2)) {
        const char32_t c = (char32_t{b0} & 0x0F) << 12 | char32_t(byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) return 0;
        length = 3;
        return c;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && cont(1) && cont(2) && cont(3)) {
        const char32_t c = (char32_t{b0} & 0x07) << 18 | char32_t(byte(1) & 0x3F) << 12 |
                           char32_t(byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
        if (c < 0x10000 || c > 0x10FFFF) return 0;
        length = 4;
        return c;
    }
    return 0;
}

// Appends one code point as Windows-1252; true when it had to be replaced.
bool append_code_point(char32_t c, std::string& out) {
    const int b = byte_of(c);
    if (b >= 0) {
        out += static_cast<char>(b);
        return false;
    }
    if (vanishes(c)) return false;
    if (is_combining_mark(c)) {
        // A decomposed accent: composed with the letter before it when
        // Windows-1252 has the pair, else the letter stays plain.
        const int with = out.empty() ? -1 : compose(static_cast<unsigned char>(out.back()), c);
        if (with >= 0) {
            out.back() = static_cast<char>(with);
            return false;
        }
        return true;
    }
    if (!transliterate(c, out)) out += '?';
    return true;
}

void append_utf8(char32_t c, std::string& out) {
    char bytes[4];
    out.append(bytes, put_utf8(c, bytes));
}

// The number of bytes below 0x80 from `from` on, eight at a time where it can.
std::size_t ascii_run(std::string_view s, std::size_t from) {
    std::size_t i = from;
    while (i + 8 <= s.size()) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (const std::uint64_t high = word & 0x8080808080808080u; high != 0) {
            if constexpr (std::endian::native == std::endian::little)
                return i + static_cast<std::size_t>(std::countr_zero(high)) / 8 - from;
            break;
        }
        i += 8;
    }
    // The last bytes as one word, overlapping those already seen.
    if (i < s.size() && i + 8 > s.size() && s.size() - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + s.size() - 8, 8);
        if (!(word & 0x8080808080808080u)) return s.size() - from;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i - from;
}

// The plain part of append_utf8_as_1252: ASCII and the letters of Latin-1,
// written straight into room made once (they never take more bytes than
// they came in). Returns where the first other sequence begins.
std::size_t append_latin1_part(std::string_view utf8, std::string& out) {
    const std::size_t old = out.size();
    out.resize(old + utf8.size());
    char* const begin = out.data() + old;
    char* to = begin;
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        std::uint64_t word;
        if (i + 8 <= n && (std::memcpy(&word, utf8.data() + i, 8), (word & 0x8080808080808080u) == 0)) {
            std::memcpy(to, &word, 8);
            to += 8;
            i += 8;
            continue;
        }
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        if (b0 < 0x80) {
            *to++ = static_cast<char>(b0);
            ++i;
            continue;
        }
        if ((b0 != 0xC2 && b0 != 0xC3) || i + 1 >= n) break;
        const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
        if ((b1 & 0xC0) != 0x80 || (b0 == 0xC2 && b1 < 0xA0)) break;
        *to++ = static_cast<char>((b0 & 0x03) << 6 | (b1 & 0x3F));
        i += 2;
    }
    out.resize(old + static_cast<std::size_t>(to - begin));
    return i;
}

}  // namespace

std::size_t append_utf8_as_1252(std::string_view utf8, std::string& out) {
    std::size_t replaced = 0;
    std::size_t i = append_latin1_part(utf8, out);
    while (i < utf8.size()) {
        const std::size_t run = ascii_run(utf8, i);
        if (run > 0) {
            out.append(utf8.data() + i, run);
            i += run;
            continue;
        }
        // The letters of Latin-1 (German, French, ...) take the short way.
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        if ((b0 == 0xC2 || b0 == 0xC3) && i + 1 < utf8.size()) {
            const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
            if ((b1 & 0xC0) == 0x80 && (b0 == 0xC3 || b1 >= 0xA0)) {
                out += static_cast<char>((b0 & 0x03) << 6 | (b1 & 0x3F));
                i += 2;
                continue;
            }
        }
        std::size_t length = 0;
        const char32_t c = decode_utf8(utf8, i, length);
        if (length == 0) {
            out += utf8[i];  // not UTF-8 here: the byte as Windows-1252
            ++i;
            continue;
        }
        if (append_code_point(c, out)) ++replaced;
        i += length;
    }
    return replaced;
}

void append_1252_as_utf8(std::string_view ansi, std::string& out) {
    static constexpr ByteForms plain = utf8_forms();
    append_in_forms(ansi, plain, out);
}

bool is_ascii(std::string_view bytes) { return ascii_run(bytes, 0) == bytes.size(); }

bool is_valid_utf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        i += ascii_run(bytes, i);
        if (i == bytes.size()) break;
        std::size_t length = 0;
        decode_utf8(bytes, i, length);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return big_endian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        append_utf8(c, out);
    }
    return out;
}

ByteOrderMark byte_order_mark(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return ByteOrderMark::utf8;
    if (bytes.starts_with("\xFF\xFE")) return ByteOrderMark::utf16_le;
    if (bytes.starts_with("\xFE\xFF")) return ByteOrderMark::utf16_be;
    return ByteOrderMark::none;
}

std::string_view text_without_byte_order_mark(std::string_view bytes, std::string& storage) {
    switch (byte_order_mark(bytes)) {
    case ByteOrderMark::utf8: return bytes.substr(3);
    case ByteOrderMark::utf16_le: storage = utf16_to_utf8(bytes.substr(2), false); return storage;
    case ByteOrderMark::utf16_be: storage = utf16_to_utf8(bytes.substr(2), true); return storage;
    case ByteOrderMark::none: break;
    }
    return bytes;
}

}  // namespace lumo

// Text between the Unicode of exchange files (UTF-8, UTF-16) and the
// Windows-1252 bytes the store holds. Characters that Windows-1252 cannot
// hold become their plain Latin letters where there are some (Polish,
// Czech, Hungarian, Romanian and other accented letters, Cyrillic and Greek
// transliterated, letters with combining accents composed or reduced to
// their base letter) and "?" otherwise; every such replacement is counted
// so the user can be told.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace lumo {

// Appends the Windows-1252 form of `utf8` to `out` and returns how many
// characters had to be replaced. A byte that is not part of a valid UTF-8
// sequence is taken as a Windows-1252 byte as it stands (so text that was
// never UTF-8 passes unharmed). Zero-width characters and a stray byte
// order mark vanish without counting.
std::size_t append_utf8_as_1252(std::string_view utf8, std::string& out);

// Appends the UTF-8 form of the Windows-1252 text `ansi` to `out`. The five
// byte values Windows-1252 leaves unassigned stand for the control
// characters of the same number, so nothing is lost.
void append_1252_as_utf8(std::string_view ansi, std::string& out);

// True when every byte is below 0x80: the same text in every code here.
bool is_ascii(std::string_view bytes);

// The code points of Windows-1252's bytes 0x80 to 0x9F. The five unassigned
// bytes keep the control character of their own number.
inline constexpr std::array<std::uint16_t, 32> high_1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Writes the UTF-8 form of `c` at `w` (four bytes at most); returns the end.
constexpr char* put_utf8(char32_t c, char* w) {
    if (c < 0x80) {
        *w++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *w++ = static_cast<char>(0xC0 | (c >> 6));
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *w++ = static_cast<char>(0xE0 | (c >> 12));
        *w++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *w++ = static_cast<char>(0xF0 | (c >> 18));
        *w++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *w++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *w++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return w;
}

// How a writer puts each Windows-1252 byte into its output: up to three
// bytes in memory order, and their count in the top byte.
using ByteForms = std::array<std::uint32_t, 256>;

// Every byte as UTF-8, except that each of `specials` is written as
// `prefix` followed by the byte at the same place in `replacements`, as the
// exchange formats quote their values ("\\n" for a line end in a vCard,
// a doubled quote in CSV).
constexpr ByteForms utf8_forms(std::string_view specials = "", char prefix = '\0',
                               std::string_view replacements = "") {
    ByteForms forms{};
    for (std::size_t b = 0; b < forms.size(); ++b) {
        char bytes[4] = {};
        const char32_t c = b >= 0x80 && b < 0xA0 ? char32_t{high_1252[b - 0x80]} : char32_t(b);
        std::size_t length = static_cast<std::size_t>(put_utf8(c, bytes) - bytes);
        if (const std::size_t k = specials.find(static_cast<char>(b)); k != std::string_view::npos) {
            bytes[0] = prefix;
            bytes[1] = replacements[k];
            length = 2;
        }
        forms[b] = static_cast<std::uint32_t>(length) << 24;
        for (std::size_t i = 0; i < length; ++i)
            forms[b] |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    }
    return forms;
}

// Writes the Windows-1252 text `ansi` at `w` in `forms`; returns the end.
// Needs room for three bytes a byte and one more: every byte stores a whole
// word, so there is no branch on what it holds, which plain runs broken
// by accented letters every few bytes would mispredict.
inline char* put_in_forms(std::string_view ansi, const ByteForms& forms, char* w) {
    static_assert(std::endian::native == std::endian::little, "a form's bytes stored from the low end");
    for (const char c : ansi) {
        const std::uint32_t form = forms[static_cast<unsigned char>(c)];
        std::memcpy(w, &form, sizeof form);
        w += form >> 24;
    }
    return w;
}

// The same appended to `out`.
inline void append_in_forms(std::string_view ansi, const ByteForms& forms, std::string& out) {
    const std::size_t old = out.size();
    out.resize(old + 3 * ansi.size() + 1);
    char* end = put_in_forms(ansi, forms, out.data() + old);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

// True when `bytes` is UTF-8 throughout (pure ASCII counts).
bool is_valid_utf8(std::string_view bytes);

// UTF-16 bytes (little- or big-endian, without the byte order mark) as
// UTF-8; an unpaired surrogate becomes U+FFFD, a last odd byte is dropped.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian);

// How an exchange file's bytes are encoded, told by their byte order mark.
enum class ByteOrderMark { none, utf8, utf16_le, utf16_be };
ByteOrderMark byte_order_mark(std::string_view bytes);

// The file's text as UTF-8 when it starts with a UTF-16 byte order mark,
// without a UTF-8 one, otherwise the bytes as they are. `storage` keeps a
// converted text alive; the result points into it or into `bytes`.
std::string_view text_without_byte_order_mark(std::string_view bytes, std::string& storage);

}  // namespace lumo

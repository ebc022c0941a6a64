// Text between the Unicode of exchange files (UTF-8, UTF-16) and the
// Windows-1252 bytes the store holds. Characters that Windows-1252 cannot
// hold become their plain Latin letters where there are some (Polish,
// Czech, Hungarian, Romanian and other accented letters, Cyrillic and Greek
// transliterated, letters with combining accents composed or reduced to
// their base letter) and "?" otherwise; every such replacement is counted
// so the user can be told.
#pragma once

#include <algorithm>
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

// Writes the UTF-8 form of the Windows-1252 byte `b` (0x80 or above) at
// `w`, two or three bytes; returns the end.
char* put_1252_as_utf8(unsigned char b, char* w);

// Up to four ASCII characters (no NUL among them), each spread over the
// eight bytes of a word (the rest 0x80, which is found anyway), for
// first_needing_care.
using SpreadSpecials = std::array<std::uint64_t, 4>;
constexpr SpreadSpecials spread_specials(std::string_view specials) {
    SpreadSpecials spread{};
    for (std::size_t k = 0; k < spread.size(); ++k)
        spread[k] = 0x0101010101010101u * (k < specials.size() ? static_cast<unsigned char>(specials[k]) : 0x80u);
    return spread;
}

// Of the eight bytes in `word` (in memory order), the index of the first
// that is not ASCII or is one of the specials; 8 when there is none.
inline std::size_t first_needing_care(std::uint64_t word, const SpreadSpecials& specials) {
    static_assert(std::endian::native == std::endian::little, "bytes counted from the low end");
    constexpr std::uint64_t ones = 0x0101010101010101u, high = ones * 0x80;
    std::uint64_t found = word & high;
    for (const std::uint64_t spread : specials) {  // a zero byte of word ^ spread: the lowest one marked is exact
        const std::uint64_t x = word ^ spread;
        found |= (x - ones) & ~x & high;
    }
    return found == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(found)) / 8;
}

// The `n` (at most 8) bytes of `s` at `at` in memory order, zero above them.
// Whole words are loaded as such (a word put together in memory and loaded
// at once would stall the load).
inline std::uint64_t bytes_at(std::string_view s, std::size_t at, std::size_t n) {
    std::uint64_t word = 0;
    if (s.size() >= 8) {
        const std::size_t from = std::min(at, s.size() - 8);  // a short tail: the last word, shifted down
        std::memcpy(&word, s.data() + from, 8);
        return word >> (8 * (at - from));
    }
    for (std::size_t k = 0; k < n; ++k) word |= std::uint64_t{static_cast<unsigned char>(s[at + k])} << (8 * k);
    return word;
}

// Writes the Windows-1252 text `ansi` at `w` as UTF-8 (three bytes a byte
// at most), each byte of the specials written by `escape(c, w)` instead
// (two bytes at most, the end returned), as the exchange formats quote
// their values; returns the end. The plain stretches between go eight
// bytes at a time.
template <class Escape>
char* put_utf8_escaping(std::string_view ansi, const SpreadSpecials& specials, char* w, Escape escape) {
    std::size_t i = 0;
    while (i < ansi.size()) {
        const std::size_t n = std::min<std::size_t>(8, ansi.size() - i);
        const std::size_t plain = std::min(first_needing_care(bytes_at(ansi, i, n), specials), n);
        std::memcpy(w, ansi.data() + i, plain);
        w += plain;
        i += plain;
        if (plain == n) continue;
        const auto c = static_cast<unsigned char>(ansi[i++]);
        w = c >= 0x80 ? put_1252_as_utf8(c, w) : escape(static_cast<char>(c), w);
    }
    return w;
}

// The same appended to `out`.
template <class Escape>
void append_utf8_escaping(std::string_view ansi, const SpreadSpecials& specials, std::string& out, Escape escape) {
    const std::size_t old = out.size();
    out.resize(old + 3 * ansi.size());
    char* end = put_utf8_escaping(ansi, specials, out.data() + old, escape);
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

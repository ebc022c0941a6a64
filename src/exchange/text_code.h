// Text between the Unicode of exchange files (UTF-8, UTF-16) and the
// Windows-1252 bytes the store holds. Characters that Windows-1252 cannot
// hold become their plain Latin letters where there are some (Polish,
// Czech, Hungarian, Romanian and other accented letters, Cyrillic and Greek
// transliterated, letters with combining accents composed or reduced to
// their base letter) and "?" otherwise; every such replacement is counted
// so the user can be told.
#pragma once

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

// Whether any of the eight bytes at `p` is not ASCII or is one of
// `specials`: the writers copy the plain stretches between eight at a time.
inline bool needs_care(const char* p, std::string_view specials) {
    constexpr std::uint64_t ones = 0x0101010101010101u, high = ones * 0x80;
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    std::uint64_t found = word & high;
    for (const char c : specials) {  // a zero byte of word ^ c; exact for "any"
        const std::uint64_t x = word ^ (ones * static_cast<unsigned char>(c));
        found |= (x - ones) & ~x & high;
    }
    return found != 0;
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

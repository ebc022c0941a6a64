// Deterministic, realistic address books for the benchmarks: Windows-1252
// text with CR LF line ends, 3 to 8 lines an entry, German letters, headings
// that are prefixes of others, some empty headings and duplicate entries.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumo::bench {

// A small fixed generator (xorshift32) so every platform and run produces
// the same books.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // 0 <= result < bound
    std::uint32_t below(std::uint32_t bound) { return next() % bound; }
    template <std::size_t N>
    std::string_view pick(const std::array<std::string_view, N>& items) {
        return items[below(static_cast<std::uint32_t>(N))];
    }

private:
    std::uint32_t state_;
};

inline constexpr std::array<std::string_view, 24> surnames = {
    "M\xfcller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Meier", "Meierhof",
    "Wagner", "Becker", "B\xe4" "cker", "Schulz", "Hoffmann", "Sch\xe4" "fer", "Koch", "Bauer",
    "Richter", "Klein", "Wolf", "Schr\xf6" "der", "Neumann", "\xd6zdemir", "Wei\xdf", "\xc4rmel"};
inline constexpr std::array<std::string_view, 16> first_names = {
    "Hans", "J\xfcrgen", "Anna", "Bj\xf6rn", "Claudia", "Dieter", "Eva", "Fritz",
    "G\xfcnther", "Heike", "Ingrid", "Karl", "Lena", "Maximilian", "Sabine", "\xdcte"};
inline constexpr std::array<std::string_view, 12> streets = {
    "Hauptstra\xdf" "e", "Bahnhofstra\xdf" "e", "Gartenweg", "Schulstra\xdf" "e", "Am M\xfchlbach",
    "Lindenallee", "Kirchplatz", "Bergstra\xdf" "e", "Waldweg", "Rosenstra\xdf" "e", "Marktplatz",
    "Am S\xe4gewerk"};
inline constexpr std::array<std::string_view, 10> cities = {
    "80331 M\xfcnchen", "10115 Berlin", "20095 Hamburg", "50667 K\xf6ln", "60311 Frankfurt",
    "70173 Stuttgart", "40213 D\xfcsseldorf", "04109 Leipzig", "90402 N\xfcrnberg", "28195 Bremen"};
inline constexpr std::array<std::string_view, 8> notes = {
    "Geburtstag im M\xe4rz", "\"https://example.org\"", "Firma: Gr\xfc" "n & S\xf6hne",
    "Tel. privat abends", "Gr\xfc\xdf" "e an die Familie", "Kunde seit 1998", "Vorsicht: Hund!",
    "Fax nur werktags"};

inline void append_number(std::string& out, std::uint32_t n) { out += std::to_string(n); }

// One entry: heading, then 2 to 7 more lines, then the terminator.
inline void append_entry(std::string& out, Random& random, std::uint32_t serial) {
    const std::uint32_t shape = random.below(1000);
    if (shape < 3) {
        out += "\r\n";  // an empty heading: the entry begins with its spare CR LF
    } else if (shape < 8) {
        out += " \r\n";  // a blank heading, as New makes it
    } else {
        out += random.pick(surnames);
        if (shape >= 60) {  // the rest keep the bare surname: a prefix of the others
            out += ", ";
            out += random.pick(first_names);
            if (shape >= 900) {
                out += ' ';
                append_number(out, serial % 97);
            }
        }
        out += "\r\n";
    }
    const std::uint32_t lines = 2 + random.below(6);
    for (std::uint32_t line = 0; line < lines; ++line) {
        switch (line) {
        case 0:
            out += random.pick(streets);
            out += ' ';
            append_number(out, 1 + random.below(180));
            break;
        case 1: out += random.pick(cities); break;
        case 2:
            out += "Tel. 0";
            append_number(out, 30 + random.below(9000));
            out += '/';
            append_number(out, 100000 + random.below(9000000));
            break;
        case 3:
            out += "mail";
            append_number(out, serial);
            out += "@example.de";
            break;
        default: out += random.pick(notes); break;
        }
        out += "\r\n";
    }
    out += "\r\n";
}

// An address book of `entries` entries; about one in fifty repeats an
// earlier entry byte for byte (the data check's duplicates).
inline std::string generate_address_book(std::int32_t entries, std::uint32_t seed = 20260101) {
    Random random(seed);
    std::string out;
    out.reserve(static_cast<std::size_t>(entries) * 96);
    std::size_t kept_start = 0;  // an earlier entry to repeat
    std::size_t kept_end = 0;
    for (std::int32_t i = 0; i < entries; ++i) {
        const std::size_t start = out.size();
        if (i > 0 && random.below(50) == 0) {
            const std::string copy = out.substr(kept_start, kept_end - kept_start);
            out += copy;
        } else {
            append_entry(out, random, static_cast<std::uint32_t>(i));
        }
        if (i == 0 || random.below(4) == 0) {
            kept_start = start;
            kept_end = out.size();
        }
    }
    return out;
}

}  // namespace lumo::bench

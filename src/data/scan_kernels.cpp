// The byte-scanning kernels behind reindex and the letter recoding (portable,
// SSE2 and AVX2), the key stream of the cipher, and the folding tables.
#include "data/store.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The AVX2 kernel is chosen at run time. Not on Windows: GCC there cannot
// align the 32-byte stack slots such code spills to (GCC bug 54412).
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(_WIN32)
#include <immintrin.h>
#define LUMO_AVX2_KERNEL 1
#endif

namespace lumo {
namespace {

bool is_terminator_at(const char* text, std::int32_t p) {
    return text[p] == '\r' && text[p + 1] == '\n' && text[p + 2] == '\r' && text[p + 3] == '\n';
}

// ---- Scanning kernels ------------------------------------------------------------
//
// Every kernel walks its range in blocks, compares each byte position with
// the four bytes of the terminator (four overlapping loads, so no carries
// between blocks), recodes the block from the bytes it loaded and hands the
// bit mask of candidates to take_hits, which keeps only the matches that
// start behind the previous one. What no whole block covers goes to the
// portable code.

// Which byte of a word loaded with memcpy holds bit `bit`.
constexpr std::size_t byte_offset(std::size_t bit) {
    return std::endian::native == std::endian::little ? bit / 8 : 7 - bit / 8;
}

// Every byte a recoding changes is 128 or above: eight bytes at a time,
// only the bytes with their top bit set are looked up.
void recode_portable(unsigned char* p, std::size_t length, const Recoding& recoding) {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c) table[c] = static_cast<std::uint8_t>(c);
    for (std::size_t k = recoding.count; k-- > 0;) table[recoding.from[k]] = recoding.to[k];
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        for (std::uint64_t high = word & 0x8080808080808080ull; high != 0; high &= high - 1) {
            unsigned char& c = p[i + byte_offset(static_cast<std::size_t>(std::countr_zero(high)))];
            c = table[c];
        }
    }
    for (; i < length; ++i) p[i] = table[p[i]];
}

std::size_t scan_portable(const char* text, std::int32_t length, std::int32_t begin, std::int32_t end,
                          std::int32_t& next, std::int32_t* ends) {
    std::size_t found = 0;
    const std::int32_t last = std::min(end, length - 3);  // a match must fit inside the text
    for (std::int32_t p = std::max(begin, next); p < last;) {
        const void* cr = std::memchr(text + p, '\r', static_cast<std::size_t>(last - p));
        if (cr == nullptr) break;
        p = static_cast<std::int32_t>(static_cast<const char*>(cr) - text);
        if (is_terminator_at(text, p)) {
            ends[found++] = p + 4;
            next = p + 4;
            p += 4;
        } else {
            ++p;
        }
    }
    return found;
}

// The part of a range no whole block covers.
std::size_t scan_rest(char* text, std::int32_t length, std::int32_t begin, std::int32_t end, std::int32_t& next,
                      const Recoding* recoding, std::int32_t* ends) {
    if (begin >= end) return 0;
    if (recoding != nullptr)
        recode_portable(reinterpret_cast<unsigned char*>(text + begin), static_cast<std::size_t>(end - begin), *recoding);
    return scan_portable(text, length, begin, end, next, ends);
}

// The matches among `candidates` (bit i: a terminator at block + i) that
// start behind the previous match.
std::size_t take_each_hit(std::uint64_t candidates, std::int32_t block, std::int32_t& next, std::int32_t* ends) {
    std::size_t found = 0;
    for (; candidates != 0; candidates &= candidates - 1) {
        const std::int32_t q = block + std::countr_zero(candidates);
        if (q < next) continue;  // overlaps the match before it
        ends[found++] = q + 4;
        next = q + 4;
    }
    return found;
}

// The same, shaped for blocks that mostly hold no match or one: the first
// is taken with arithmetic instead of branches (its slot is written either
// way and counted only for a match), so uneven entry lengths cost no
// mispredicted jumps; only a second candidate takes the loop.
inline std::size_t take_hits(std::uint64_t candidates, std::int32_t block, std::int32_t& next, std::int32_t* ends) {
    const std::int32_t q = block + std::countr_zero(candidates);
    const auto match = static_cast<std::int32_t>(candidates != 0) & static_cast<std::int32_t>(q >= next);
    ends[0] = q + 4;
    next += match * (q + 4 - next);
    const std::uint64_t rest = candidates & (candidates - 1);
    if (rest == 0) [[likely]]
        return static_cast<std::size_t>(match);
    return static_cast<std::size_t>(match) + take_each_hit(rest, block, next, ends + match);
}

#if defined(__SSE2__)
// Pairs beyond the recoding's count repeat its first pair, so the SSE2
// kernel can apply a fixed eight.
std::uint8_t pair_from(const Recoding& r, std::size_t k) { return r.from[k < r.count ? k : 0]; }
std::uint8_t pair_delta(const Recoding& r, std::size_t k) {
    const std::size_t i = k < r.count ? k : 0;
    return static_cast<std::uint8_t>(r.to[i] - r.from[i]);
}

// A recoding as sixteen-byte vectors: each byte gets the difference of the
// one pair it matches added (the values are distinct, so at most one).
struct Sse2Recoder {
    __m128i from[8];
    __m128i delta[8];
    explicit Sse2Recoder(const Recoding& r) {
        for (std::size_t k = 0; k < 8; ++k) {
            from[k] = _mm_set1_epi8(static_cast<char>(pair_from(r, k)));
            delta[k] = _mm_set1_epi8(static_cast<char>(pair_delta(r, k)));
        }
    }
    // Stores the recoded 16 bytes at p, skipping the work for plain ASCII.
    void apply_at(char* p) const {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (_mm_movemask_epi8(v) != 0) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), apply(v));
    }
    __m128i apply(__m128i v) const {
        const __m128i low = _mm_or_si128(_mm_or_si128(pair(v, 0), pair(v, 1)), _mm_or_si128(pair(v, 2), pair(v, 3)));
        const __m128i high = _mm_or_si128(_mm_or_si128(pair(v, 4), pair(v, 5)), _mm_or_si128(pair(v, 6), pair(v, 7)));
        return _mm_add_epi8(v, _mm_or_si128(low, high));
    }
    // The difference pair k adds to the bytes it matches.
    __m128i pair(__m128i v, std::size_t k) const { return _mm_and_si128(_mm_cmpeq_epi8(v, from[k]), delta[k]); }
};

__m128i load16(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Terminator candidates at the sixteen positions from p.
std::uint32_t terminator_mask16(const char* p) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i first = _mm_and_si128(_mm_cmpeq_epi8(load16(p), cr), _mm_cmpeq_epi8(load16(p + 1), lf));
    const __m128i second = _mm_and_si128(_mm_cmpeq_epi8(load16(p + 2), cr), _mm_cmpeq_epi8(load16(p + 3), lf));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(first, second)));
}

template <bool Recode>
std::size_t scan_sse2(char* text, std::int32_t length, std::int32_t begin, std::int32_t end, std::int32_t& next,
                      const Recoding* recoding, std::int32_t* ends) {
    const Sse2Recoder recoder(Recode ? *recoding : Recoding{});
    std::size_t found = 0;
    std::int32_t after = next;  // kept in a register through the loop
    std::int32_t p = begin;
    // Blocks of 64 whose loads (three bytes further) stay inside the text:
    // one take of the hits for four masks.
    for (; p + 64 <= end && p + 67 <= length; p += 64) {
        char* at = text + p;
        const std::uint64_t candidates =
            (terminator_mask16(at) | terminator_mask16(at + 16) << 16) |
            std::uint64_t{terminator_mask16(at + 32) | terminator_mask16(at + 48) << 16} << 32;
        if constexpr (Recode) {
            for (int k = 0; k < 64; k += 16) recoder.apply_at(at + k);
        }
        found += take_hits(candidates, p, after, ends + found);
    }
    next = after;
    return found + scan_rest(text, length, p, end, next, recoding, ends + found);
}

std::size_t add_bytes_sse2(std::uint8_t* text, const std::uint8_t* add, std::size_t length) {
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16) {
        auto* at = reinterpret_cast<__m128i*>(text + i);
        const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
        _mm_storeu_si128(at, _mm_add_epi8(_mm_loadu_si128(at), k));
    }
    return i;
}

void recode_sse2(char* text, std::size_t length, const Recoding& recoding) {
    const Sse2Recoder recoder(recoding);
    std::size_t i = 0;
    for (; i + 16 <= length; i += 16) recoder.apply_at(text + i);
    recode_portable(reinterpret_cast<unsigned char*>(text + i), length - i, recoding);
}
#endif

#if defined(LUMO_AVX2_KERNEL)
#define LUMO_AVX2 __attribute__((target("avx2,bmi")))

// The slot of byte b in a sixteen-entry table: its two nibbles XORed. The
// recodings of the address file's letter code fall into distinct slots;
// one whose values collide is left to the SSE2 kernel.
constexpr std::size_t recoding_slot(std::uint8_t b) { return (b ^ (b >> 4)) & 15u; }

bool fits_slots(const Recoding& r) {
    std::uint32_t used = 0;
    for (std::size_t k = 0; k < std::min<std::size_t>(r.count, 8); ++k) {
        const std::uint32_t bit = 1u << recoding_slot(r.from[k]);
        if (used & bit) return false;
        used |= bit;
    }
    return true;
}

// A recoding as two byte shuffles: each byte looks up the one value its slot
// holds and, when it is that value, the difference to add (slots without a
// pair add nothing).
struct Avx2Recoder {
    __m256i value;
    __m256i delta;
    LUMO_AVX2 explicit Avx2Recoder(const Recoding& r) {
        std::array<std::uint8_t, 32> values{}, deltas{};
        for (std::size_t k = 0; k < std::min<std::size_t>(r.count, 8); ++k) {
            const std::size_t slot = recoding_slot(r.from[k]);
            for (std::size_t lane = 0; lane < 32; lane += 16) {
                values[lane + slot] = r.from[k];
                deltas[lane + slot] = static_cast<std::uint8_t>(r.to[k] - r.from[k]);
            }
        }
        value = load(values.data());
        delta = load(deltas.data());
    }
    LUMO_AVX2 __m256i apply(__m256i v) const {
        const __m256i slot = _mm256_and_si256(_mm256_xor_si256(v, _mm256_srli_epi16(v, 4)), _mm256_set1_epi8(15));
        const __m256i is_pair = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(value, slot), v);
        return _mm256_add_epi8(v, _mm256_and_si256(is_pair, _mm256_shuffle_epi8(delta, slot)));
    }

private:
    LUMO_AVX2 static __m256i load(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
};

LUMO_AVX2 inline __m256i load32(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

LUMO_AVX2 inline std::uint64_t terminator_mask32(const char* p) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i first = _mm256_and_si256(_mm256_cmpeq_epi8(load32(p), cr), _mm256_cmpeq_epi8(load32(p + 1), lf));
    const __m256i second = _mm256_and_si256(_mm256_cmpeq_epi8(load32(p + 2), cr), _mm256_cmpeq_epi8(load32(p + 3), lf));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(first, second)));
}

template <bool Recode>
LUMO_AVX2 std::size_t scan_avx2(char* text, std::int32_t length, std::int32_t begin, std::int32_t end,
                                std::int32_t& next, const Recoding* recoding, std::int32_t* ends) {
    const Avx2Recoder recoder(Recode ? *recoding : Recoding{});
    std::size_t found = 0;
    std::int32_t after = next;
    std::int32_t p = begin;
    for (; p + 64 <= end && p + 67 <= length; p += 64) {
        char* at = text + p;
        const std::uint64_t candidates = terminator_mask32(at) | terminator_mask32(at + 32) << 32;
        if constexpr (Recode) {
            auto* to = reinterpret_cast<__m256i*>(at);
            _mm256_storeu_si256(to, recoder.apply(load32(at)));
            _mm256_storeu_si256(to + 1, recoder.apply(load32(at + 32)));
        }
        found += take_hits(candidates, p, after, ends + found);
    }
    next = after;
    return found + scan_rest(text, length, p, end, next, recoding, ends + found);
}

LUMO_AVX2 std::size_t add_bytes_avx2(std::uint8_t* text, const std::uint8_t* add, std::size_t length) {
    std::size_t i = 0;
    for (; i + 32 <= length; i += 32) {
        auto* at = reinterpret_cast<__m256i*>(text + i);
        const __m256i k = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(add + i));
        _mm256_storeu_si256(at, _mm256_add_epi8(_mm256_loadu_si256(at), k));
    }
    return i;
}

LUMO_AVX2 void recode_avx2(char* text, std::size_t length, const Recoding& recoding) {
    const Avx2Recoder recoder(recoding);
    std::size_t i = 0;
    for (; i + 32 <= length; i += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(text + i), recoder.apply(load32(text + i)));
    recode_portable(reinterpret_cast<unsigned char*>(text + i), length - i, recoding);
}
#endif

constexpr std::array<std::uint8_t, 256> make_fold_table(int mode) {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        int upper = c;
        if (c >= 'a' && c <= 'z') upper = c - 0x20;
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) upper = c - 0x20;
        if (c == 0x9A || c == 0x9C || c == 0x9E) upper = c - 0x10;
        if (c == 0xFF) upper = 0x9F;
        if (mode == 2) {
            if (c == 0xC4 || c == 0xE4) upper = 'A';
            if (c == 0xD6 || c == 0xF6) upper = 'O';
            if (c == 0xDC || c == 0xFC) upper = 'U';
        }
        table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(mode == 0 ? c : upper);
    }
    return table;
}

constexpr auto identity_table = make_fold_table(0);
constexpr auto upper_table = make_fold_table(1);
constexpr auto umlaut_table = make_fold_table(2);

}  // namespace

const std::array<std::uint8_t, 256>& fold_table(int mode) {
    if (mode == 1) return upper_table;
    if (mode == 2) return umlaut_table;
    return identity_table;
}

std::uint8_t fold_char(std::uint8_t c, int mode) { return fold_table(mode)[c]; }

bool scan_kernel_available(ScanKernel kernel) {
    switch (kernel) {
    case ScanKernel::portable: return true;
    case ScanKernel::sse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case ScanKernel::avx2:
#if defined(LUMO_AVX2_KERNEL)
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi");
#else
        return false;
#endif
    }
    return false;
}

ScanKernel fastest_scan_kernel() {
    if (scan_kernel_available(ScanKernel::avx2)) return ScanKernel::avx2;
    if (scan_kernel_available(ScanKernel::sse2)) return ScanKernel::sse2;
    return ScanKernel::portable;
}

namespace {

// The kernel asked for, or the best one below it that can run here and
// take `recoding`.
ScanKernel kernel_for(ScanKernel kernel, const Recoding* recoding) {
#if defined(LUMO_AVX2_KERNEL)
    if (kernel == ScanKernel::avx2 && recoding != nullptr && !fits_slots(*recoding)) kernel = ScanKernel::sse2;
#else
    (void)recoding;
#endif
    return scan_kernel_available(kernel) ? kernel : ScanKernel::portable;
}

}  // namespace

std::size_t scan_text(ScanKernel kernel, char* text, std::int32_t length, std::int32_t begin, std::int32_t end,
                      std::int32_t& next, const Recoding* recoding, std::int32_t* ends) {
    if (recoding != nullptr && recoding->count == 0) recoding = nullptr;
    begin = std::max(begin, 0);
    end = std::min(end, length);
    if (begin >= end) return 0;
    kernel = kernel_for(kernel, recoding);
    switch (kernel) {
#if defined(LUMO_AVX2_KERNEL)
    case ScanKernel::avx2:
        return recoding != nullptr ? scan_avx2<true>(text, length, begin, end, next, recoding, ends)
                                   : scan_avx2<false>(text, length, begin, end, next, recoding, ends);
#endif
#if defined(__SSE2__)
    case ScanKernel::sse2:
        return recoding != nullptr ? scan_sse2<true>(text, length, begin, end, next, recoding, ends)
                                   : scan_sse2<false>(text, length, begin, end, next, recoding, ends);
#endif
    default: return scan_rest(text, length, begin, end, next, recoding, ends);
    }
}

void recode(char* text, std::size_t length, const Recoding& recoding, ScanKernel kernel) {
    if (recoding.count == 0) return;
    kernel = kernel_for(kernel, &recoding);
    switch (kernel) {
#if defined(LUMO_AVX2_KERNEL)
    case ScanKernel::avx2: recode_avx2(text, length, recoding); return;
#endif
#if defined(__SSE2__)
    case ScanKernel::sse2: recode_sse2(text, length, recoding); return;
#endif
    default: recode_portable(reinterpret_cast<unsigned char*>(text), length, recoding); return;
    }
}

void add_repeating(char* text, std::size_t length, const std::uint8_t* pattern, std::size_t period,
                   ScanKernel kernel) {
    if (period == 0) return;
    std::size_t (*add_blocks)(std::uint8_t*, const std::uint8_t*, std::size_t) = nullptr;
    switch (kernel_for(kernel, nullptr)) {
#if defined(LUMO_AVX2_KERNEL)
    case ScanKernel::avx2: add_blocks = add_bytes_avx2; break;
#endif
#if defined(__SSE2__)
    case ScanKernel::sse2: add_blocks = add_bytes_sse2; break;
#endif
    default: break;
    }
    auto* p = reinterpret_cast<std::uint8_t*>(text);
    for (std::size_t i = 0; i < length; i += period) {
        const std::size_t n = std::min(period, length - i);
        std::size_t done = add_blocks ? add_blocks(p + i, pattern, n) : 0;
        for (; done < n; ++done) p[i + done] = static_cast<std::uint8_t>(p[i + done] + pattern[done]);
    }
}

}  // namespace lumo

// The record store: allocation with headroom, the terminator scan behind
// reindex, the line index and row caches, undo and the new-entry command.
#include "data/store.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "port/ids.h"

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

constexpr std::int64_t max_i32 = std::numeric_limits<std::int32_t>::max();

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

// The offsets of the lines of the entry starting at `start`: `start` itself
// and every offset behind a CR LF whose next byte is 32 or above, up to the
// entry's terminator or the text end.
std::vector<std::int32_t> scan_line_starts(const char* text, std::int32_t length, std::int32_t start) {
    std::vector<std::int32_t> starts;
    scan_line_starts(text, length, start, starts);
    return starts;
}

void scan_line_starts(const char* text, std::int32_t length, std::int32_t start, std::vector<std::int32_t>& starts) {
    starts.assign(1, start);
    std::int32_t p = start;
    while (p + 1 < length) {
        const void* cr = std::memchr(text + p, '\r', static_cast<std::size_t>(length - 1 - p));
        if (cr == nullptr) break;
        const auto q = static_cast<std::int32_t>(static_cast<const char*>(cr) - text);
        if (text[q + 1] != '\n') {
            p = q + 1;
            continue;
        }
        if (q + 3 < length && is_terminator_at(text, q)) break;
        if (q + 2 < length && static_cast<std::uint8_t>(text[q + 2]) >= 32) starts.push_back(q + 2);
        p = q + 2;
    }
}

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

Store::Store(Port& port, ViewState& view, FileState* file)
    : port_(port), view_(view), file_(file), data_view_rows_(100, Row{}), overview_rows_(100, Row{}) {
    std::memcpy(status_text_.data(), initial_status_text.data(), initial_status_text.size());
    title_[0] = ' ';
}

// ---- Allocation -------------------------------------------------------------

TextBuffer Store::allocate_text(std::int32_t capacity) { return TextBuffer::allocate(capacity, allocation_gate); }

bool Store::resize_text(std::int64_t capacity) {
    if (capacity > max_i32 || capacity < text_length_ + text_guard) return false;
    TextBuffer grown = allocate_text(static_cast<std::int32_t>(capacity));
    if (!grown) return false;
    if (text_length_ > 0) std::memcpy(grown.data(), text_.data(), static_cast<std::size_t>(text_length_));
    std::memset(grown.data() + text_length_, 0, static_cast<std::size_t>(grown.capacity() - text_length_));
    text_.swap(grown);
    return true;
}

bool Store::resize_index(std::int64_t slots) {
    if (slots > max_i32 || slots < entry_count_ + 2) return false;
    EntryIndex grown = EntryIndex::allocate(static_cast<std::int32_t>(slots), allocation_gate);
    if (!grown) return false;
    copy_index(grown);
    index_.swap(grown);
    return true;
}

void Store::copy_index(EntryIndex& to) const {
    const auto used = static_cast<std::size_t>(entry_count_) + 2;
    std::memcpy(to.data(), index_.data(), used * sizeof(std::int32_t));
    std::fill(to.data() + used, to.data() + to.capacity(), 0);
}

bool Store::reserve(std::int32_t extra_bytes, std::int32_t extra_entries) {
    if (released_) return false;
    const bool text_fits = std::int64_t{text_length_} + extra_bytes + text_guard <= text_.capacity();
    const bool index_fits = std::int64_t{entry_count_} + extra_entries + 2 <= index_.capacity();
    if (text_fits && index_fits) return true;
    if ((!text_fits && !resize_text(std::int64_t{text_length_} + extra_bytes + text_headroom)) ||
        (!index_fits && !resize_index(std::int64_t{entry_count_} + extra_entries + index_headroom))) {
        show_error(port_, text_not_enough_memory);
        return false;
    }
    return true;
}

bool Store::grow_text(std::int32_t length) {
    if (length < text_length_) length = text_length_;
    return reserve(length - text_length_, 0);
}

void Store::set_text_length(std::int32_t length) {
    text_length_ = std::clamp(length, 0, std::max(0, text_.capacity() - text_guard));
}

void Store::adopt_text(TextBuffer buffer, std::int32_t length) {
    const std::int32_t fit = std::max(0, buffer.capacity() - text_guard);
    length = std::clamp(length, 0, fit);
    std::memset(buffer.data() + length, 0, static_cast<std::size_t>(buffer.capacity() - length));
    text_.swap(buffer);
    text_length_ = length;
    released_ = false;
    current_entry_ = -1;
    if (!index_ || index_.capacity() < 2) {
        index_ = EntryIndex::allocate(index_headroom, {});
        if (!index_) throw std::bad_alloc();
        std::fill(index_.data(), index_.data() + index_.capacity(), 0);
        entry_count_ = 0;
    }
}

void Store::adopt_length(std::int32_t length) {
    set_text_length(length);
    std::memset(text_.data() + text_length_, 0, text_guard);
    current_entry_ = -1;
}

bool Store::reset_store() {
    released_ = false;
    text_length_ = 0;
    entry_count_ = 0;
    current_entry_ = -1;
    text_ = allocate_text(text_headroom);
    index_ = EntryIndex::allocate(index_headroom, allocation_gate);
    if (!text_ || !index_) {
        release_store();
        show_error(port_, text_not_enough_memory);
        return false;
    }
    std::memset(text_.data(), 0, static_cast<std::size_t>(text_.capacity()));
    std::fill(index_.data(), index_.data() + index_.capacity(), 0);
    return true;
}

void Store::release_store() {
    text_.reset();
    index_.reset();
    text_length_ = 0;
    entry_count_ = 0;
    current_entry_ = -1;
    line_index_.clear();
    line_count_ = 0;
    released_ = true;
}

void Store::ensure_room() {
    if (released_) return;
    if (entry_count_ < index_.capacity() - index_low_water && text_length_ < text_.capacity() - text_low_water)
        return;
    if (!resize_text(std::int64_t{text_length_} + text_headroom)) {
        show_error(port_, text_not_enough_memory);
        return;
    }
    if (!resize_index(std::int64_t{entry_count_} + index_headroom)) show_error(port_, text_not_enough_memory);
}

// ---- Reindex ------------------------------------------------------------------

std::int32_t Store::reindex() { return scan_entries(nullptr); }

std::int32_t Store::recode_and_reindex(const Recoding& recoding) { return scan_entries(&recoding); }

// The text in chunks small enough to stay in the cache between the kernel
// and the copy of their entry starts into the index.
std::int32_t Store::scan_entries(const Recoding* recoding) {
    if (released_) return 0;
    constexpr std::int32_t chunk = 8192;
    std::array<std::int32_t, chunk / 4 + 2> ends;
    const ScanKernel kernel = fastest_scan_kernel();
    std::int32_t count = 0;
    std::int32_t next = 0;
    for (std::int64_t begin = 0; begin < text_length_; begin += chunk) {
        const auto from = static_cast<std::int32_t>(begin);
        const auto to = static_cast<std::int32_t>(std::min<std::int64_t>(text_length_, begin + chunk));
        const std::size_t found = scan_text(kernel, text_.data(), text_length_, from, to, next, recoding, ends.data());
        append_entry_ends(count, ends.data(), found);
        count += static_cast<std::int32_t>(found);
    }
    index_.data()[0] = 0;
    return finish_reindex(count);
}

// Writes `found` entry starts behind the first `count`, growing the index
// by half again when it runs short, so a load of many entries costs one scan.
void Store::append_entry_ends(std::int32_t count, const std::int32_t* ends, std::size_t found) {
    const std::int64_t need = std::int64_t{count} + static_cast<std::int64_t>(found) + 2;
    if (need > index_.capacity()) {
        const std::int64_t wanted =
            std::max<std::int64_t>(need - 2 + index_headroom, std::int64_t{index_.capacity()} * 3 / 2);
        EntryIndex grown = EntryIndex::allocate(static_cast<std::int32_t>(std::min(wanted, max_i32)), {});
        if (!grown) throw std::bad_alloc();
        if (index_) std::memcpy(grown.data(), index_.data(), (static_cast<std::size_t>(count) + 1) * sizeof(std::int32_t));
        index_.swap(grown);
    }
    std::memcpy(index_.data() + count + 1, ends, found * sizeof(std::int32_t));
}

std::int32_t Store::reindex_appended(std::int32_t count) {
    if (released_ || std::int64_t{count} + 2 > index_.capacity()) return reindex();
    index_.data()[0] = 0;
    return finish_reindex(count);
}

std::int32_t Store::reindex_known(std::span<const std::int32_t> starts) {
    if (released_) return 0;
    const auto count = static_cast<std::int32_t>(starts.size()) - 1;
    if (count < 0 || std::int64_t{count} + 2 > index_.capacity()) return reindex();
    if (starts.data() != index_.data()) std::copy(starts.begin(), starts.end(), index_.data());
    return finish_reindex(count);
}

// The part of reindex after the entry starts are written: the last slot,
// the count, status text, title and the modified flag.
std::int32_t Store::finish_reindex(std::int32_t count) {
    index_.data()[count + 1] = text_length_;
    entry_count_ = count;
    if (!sort_running) {
        const auto status = format_entries_status(count);
        std::copy(status.begin(), status.end(), status_text_.begin());
        title_[0] = '*';
        if (port_.frame.main_window_exists()) {
            show_title();
            port_.frame.set_status_text(entries_status_text());
        }
    }
    modified = true;
    return count;
}

std::array<char, 16> format_entries_status(std::int32_t count) {
    std::array<char, 16> text{};
    std::memcpy(text.data(), initial_status_text.data(), text.size());
    bool leading = true;
    std::int32_t divisor = 10000000;
    for (std::size_t i = 0; i < 8; ++i, divisor /= 10) {
        const int digit = (count / divisor) % 10;
        leading = leading && digit == 0 && i < 7;
        text[i] = leading ? ' ' : static_cast<char>('0' + digit);
    }
    return text;
}

void Store::set_modified_marker(bool on) {
    title_[0] = on ? '*' : ' ';
    show_title();
}

void Store::show_title() {
    if (!port_.frame.main_window_exists()) return;
    const auto end = std::find(title_.begin(), title_.end(), '\0');
    port_.frame.set_window_title(std::string_view(title_.data(), static_cast<std::size_t>(end - title_.begin())));
}

// ---- Lines and rows -------------------------------------------------------------

std::int32_t Store::line_start(std::int32_t line) const {
    if (line < 0 || line >= line_count_) return -1;
    return line_index_[static_cast<std::size_t>(line)];
}

void Store::clear_text_block() {
    view_.text_block.marked = false;
    grey_copy_and_cut_when_unmarked();
}

void Store::grey_copy_and_cut_when_unmarked() {
    if (view_.text_block.marked || view_.entry_range.marked) return;
    port_.frame.enable_command(CMD_COPY, false);
    port_.frame.enable_command(CMD_CUT, false);
}

void Store::build_line_index(std::int32_t entry_start) {
    if (released_ || entry_start < 0 || entry_start > text_length_) {
        current_entry_ = -1;
        line_count_ = 0;
        line_index_.assign(static_cast<std::size_t>(index_headroom), -1);
        return;
    }
    std::vector<std::int32_t> starts = scan_line_starts(text_.data(), text_length_, entry_start);
    const std::size_t slots = starts.size() + static_cast<std::size_t>(index_headroom);
    if (allocation_gate && !allocation_gate(slots * sizeof(std::int32_t))) {
        // The previous lines stay; this entry cannot be shown.
        show_error(port_, text_not_enough_memory);
        return;
    }
    line_count_ = static_cast<std::int32_t>(starts.size());
    starts.resize(slots, -1);
    line_index_.swap(starts);
    current_entry_ = entry_start;
}

void Store::fill_row(Row& row, std::int32_t start) const {
    std::size_t n = 0;
    if (!released_ && start >= 0 && start <= text_length_) {
        const std::size_t limit = std::min<std::size_t>(row_bytes - 1, static_cast<std::size_t>(text_length_ - start));
        const auto* from = reinterpret_cast<const std::uint8_t*>(text_.data() + start);
        while (n < limit && from[n] >= 32) ++n;
        std::memcpy(row.data(), from, n);
    }
    std::memset(row.data() + n, 0, row_bytes - n);
}

void Store::show_entry(std::int32_t rows, std::int32_t entry_start, std::int32_t first_line) {
    if (entry_start != current_entry_ || released_) {
        clear_text_block();
        build_line_index(entry_start);
    }
    rows = std::clamp(rows, 0, max_row_count);
    if (data_view_rows_.size() < static_cast<std::size_t>(rows)) data_view_rows_.resize(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int64_t line = r == 0 ? 0 : std::int64_t{first_line} + r;
        const std::int32_t start = line < 0 || line >= line_count_ ? -1 : line_start(static_cast<std::int32_t>(line));
        fill_row(data_view_rows_[static_cast<std::size_t>(r)], start);
    }
}

void Store::fill_overview_rows(std::int32_t rows, std::int32_t first_entry) {
    rows = std::clamp(rows, 0, max_row_count);
    if (overview_rows_.size() < static_cast<std::size_t>(rows)) overview_rows_.resize(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int64_t entry = std::int64_t{first_entry} + r;
        const bool exists = !released_ && entry >= 0 && entry < entry_count_;
        fill_row(overview_rows_[static_cast<std::size_t>(r)],
                 exists ? index_.data()[static_cast<std::size_t>(entry)] : -1);
    }
}

// ---- Undo ---------------------------------------------------------------------

void Store::take_undo_snapshot() {
    if (released_) return;
    if (undo_.present) {
        port_.frame.enable_command(CMD_UNDO, false);
        undo_.present = false;
    }
    // The previous copy's blocks are reused while they fit with room to
    // spare, so typing does not allocate (and fault in) a fresh copy per key.
    const std::int64_t text_need = std::int64_t{text_length_} + text_headroom;
    const bool text_reusable = undo_.text && undo_.text.capacity() >= std::int64_t{text_length_} + text_low_water &&
                               undo_.text.capacity() <= 2 * text_need;
    if (!text_reusable) {
        undo_.text.reset();
        if (text_need > max_i32) return;
        undo_.text = allocate_text(static_cast<std::int32_t>(text_need));
        if (!undo_.text) return;
    }
    const std::int64_t index_need = std::int64_t{entry_count_} + index_headroom;
    const bool index_reusable = undo_.index && undo_.index.capacity() >= std::int64_t{entry_count_} + 2 + index_low_water &&
                                undo_.index.capacity() <= 2 * index_need;
    if (!index_reusable) {
        undo_.index.reset();
        if (index_need <= max_i32)
            undo_.index = EntryIndex::allocate(static_cast<std::int32_t>(index_need), allocation_gate);
        if (!undo_.index) {
            undo_.text.reset();
            return;
        }
    }
    std::memcpy(undo_.text.data(), text_.data(), static_cast<std::size_t>(text_length_));
    std::memset(undo_.text.data() + text_length_, 0, text_guard);
    copy_index(undo_.index);
    undo_.text_length = text_length_;
    undo_.view = view_;
    undo_.book = book_identity();
    undo_.present = true;
    port_.frame.enable_command(CMD_UNDO, true);
}

void Store::discard_undo_snapshot() {
    if (undo_.present) port_.frame.enable_command(CMD_UNDO, false);
    undo_ = UndoSnapshot{};
}

void Store::swap_undo_snapshot() {
    if (!undo_.present || released_) return;
    BookIdentity live_book = book_identity();
    text_.swap(undo_.text);
    std::swap(text_length_, undo_.text_length);
    index_.swap(undo_.index);
    std::swap(view_, undo_.view);
    const bool data_view_active =
        view_.active_view == ActiveView::data_view || view_.active_view == ActiveView::none_was_data_view;
    port_.frame.bring_to_top(data_view_active ? ViewId::data_view : ViewId::overview);
    reindex();
    // The text that came back is its own book's again, as it stood then.
    adopt_book_identity(undo_.book);
    undo_.book = std::move(live_book);
    current_entry_ = -1;
    port_.frame.repaint(ViewId::overview);
    port_.frame.repaint(ViewId::data_view);
}

BookIdentity Store::book_identity() const {
    BookIdentity book;
    if (file_ != nullptr) {
        book.file_name = file_->file_name;
        book.file_password = file_->file_password;
    }
    book.title = title_;
    book.modified = modified;
    return book;
}

void Store::adopt_book_identity(const BookIdentity& book) {
    if (file_ != nullptr) {
        file_->file_name = book.file_name;
        file_->file_password = book.file_password;
    }
    title_ = book.title;
    modified = book.modified;
    set_modified_marker(modified);
}

// ---- New entry ----------------------------------------------------------------

void Store::insert_empty_entry() {
    if (released_) return;
    take_undo_snapshot();
    const auto length = static_cast<std::int32_t>(empty_entry.size());
    if (!reserve(length, 1)) return;
    const std::int64_t selected = std::int64_t{view_.top_entry} + view_.cursor_row;
    const std::int32_t at = index_.data()[std::clamp<std::int64_t>(selected, 0, entry_count_)];

    view_.text_block.marked = false;
    view_.entry_range.marked = false;
    port_.frame.enable_command(CMD_COPY, false);
    port_.frame.enable_command(CMD_CUT, false);
    view_.selected_entry_start = at;
    view_.caret_line = 0;
    view_.caret_column = 0;
    view_.first_scrolled_line = 0;
    view_.overview_horizontal_offset = 0;
    view_.data_view_horizontal_offset = 0;

    char* text = text_.data();
    std::memmove(text + at + length, text + at, static_cast<std::size_t>(text_length_ - at));
    std::memcpy(text + at, empty_entry.data(), empty_entry.size());
    text_length_ += length;

    reindex();
    current_entry_ = -1;
    view_.active_view = ActiveView::data_view;
    port_.frame.enable_command(CMD_PASTE, true);
    port_.frame.bring_to_top(ViewId::data_view);
    port_.frame.repaint(ViewId::overview);
    port_.frame.repaint(ViewId::data_view);
}

// ---- Invariants -------------------------------------------------------------------

bool Store::check(std::string* why) const {
    auto fail = [why](const char* what) {
        if (why != nullptr) *why = what;
        return false;
    };
    if (released_) return text_ || index_ ? fail("released store holds blocks") : true;
    if (!text_ || !index_) return fail("live store without text or index");
    if (text_length_ < 0 || std::int64_t{text_length_} + text_guard > text_.capacity())
        return fail("text length outside capacity");
    if (entry_count_ < 0 || std::int64_t{entry_count_} + 2 > index_.capacity())
        return fail("entry count outside index capacity");
    const char* text = text_.data();
    const std::int32_t* slots = index_.data();
    if (slots[0] != 0) return fail("slot 0 is not 0");
    std::int32_t count = 0;
    for (std::int32_t p = 0; p + 3 < text_length_;) {
        if (is_terminator_at(text, p)) {
            ++count;
            if (count > entry_count_ || slots[count] != p + 4) return fail("entry index does not match terminators");
            p += 4;
        } else {
            ++p;
        }
    }
    if (count != entry_count_) return fail("entry count does not match terminators");
    if (slots[entry_count_ + 1] != text_length_) return fail("last slot is not the text length");

    if (current_entry_ != -1) {
        if (current_entry_ < 0 || current_entry_ > text_length_) return fail("current entry outside text");
        const std::vector<std::int32_t> starts = scan_line_starts(text, text_length_, current_entry_);
        if (line_count_ != static_cast<std::int32_t>(starts.size())) return fail("line count does not match lines");
        if (line_index_.size() != starts.size() + static_cast<std::size_t>(index_headroom))
            return fail("line index has the wrong size");
        if (!std::equal(starts.begin(), starts.end(), line_index_.begin())) return fail("line index does not match lines");
        if (std::any_of(line_index_.begin() + line_count_, line_index_.end(), [](std::int32_t s) { return s != -1; }))
            return fail("unused line slot is not -1");
    }
    auto terminated = [](const Row& row) { return row[row_bytes - 1] == '\0'; };
    if (!std::all_of(data_view_rows_.begin(), data_view_rows_.end(), terminated) ||
        !std::all_of(overview_rows_.begin(), overview_rows_.end(), terminated))
        return fail("row without terminating NUL");
    if (undo_.present && (!undo_.text || !undo_.index ||
                          std::int64_t{undo_.text_length} + text_guard > undo_.text.capacity()))
        return fail("undo snapshot incomplete");
    return true;
}

}  // namespace lumo

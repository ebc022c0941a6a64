// The order of the insertion sort with a moving finger, computed without
// moving bytes.
//
// Keys: every heading is folded once; its first sixteen folded bytes are
// packed big-endian into two words and the rest of it goes to one compact
// array, so that nearly every comparison is two integer comparisons and none
// touches the text again.
//
// First try: the finger's walk itself on a linked list, one comparison per
// step. A book that is sorted, or sorted but for a few entries, costs a few
// steps an entry. When the walks grow long (a book in random order) the
// attempt stops within a bounded number of steps and the second way runs.
//
// Second way: ranks. The distinct folded headings are numbered in
// lexicographic order (a prefix before its extensions), and every heading h
// also gets the number of the last heading that starts with h. With lo = own
// number and hi = that last number, the headings that start with h are
// exactly those numbered lo(h)..hi(h), so comparing an entry x with k becomes
// integer tests:
//   less    when lo(k) > hi(x)   (k is beyond x and every extension of x)
//   greater when hi(k) < lo(x)   (k and all its extensions are before x)
//   equal   otherwise            (one heading is a prefix of the other)
// "Not less" is then lo(k) <= hi(x) and "not greater" hi(k) >= lo(x), both
// monotone, so the finger's walk (to the first neighbour whose answer
// changes) is a search over a balanced tree keyed by position whose subtrees
// carry the least lo and the greatest hi. The distinct headings are found
// with a hash table first, so a book of many equal headings sorts only the
// few distinct ones.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>
#include <tuple>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "data/sort.h"
#include "data/two_halves.h"

namespace lumo {
namespace {

constexpr int packed_bytes = 16;

#if defined(__SSE2__) && defined(__x86_64__)
#define LUMO_PACK_SSE2 1
__m128i bytes_equal(__m128i v, int c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(c))); }

// The bytes from `low` to `high` (unsigned).
__m128i bytes_within(__m128i v, int low, int high) {
    const __m128i shifted = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(low)));
    return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(static_cast<char>(high - low))), shifted);
}

__m128i replace_bytes(__m128i v, int from, int to) {
    const __m128i hit = bytes_equal(v, from);
    return _mm_or_si128(_mm_andnot_si128(hit, v), _mm_and_si128(hit, _mm_set1_epi8(static_cast<char>(to))));
}

// The sort's folding of sixteen bytes, as its table does it: upper case as
// CharUpperA on code page 1252, then the umlauts as their plain vowels.
__m128i fold_sixteen(__m128i v) {
    const __m128i x20 = _mm_set1_epi8(0x20);
    const __m128i accented = _mm_andnot_si128(bytes_equal(v, 0xF7), bytes_within(v, 0xE0, 0xFE));
    __m128i minus = _mm_and_si128(_mm_or_si128(bytes_within(v, 'a', 'z'), accented), x20);
    const __m128i carons = _mm_or_si128(_mm_or_si128(bytes_equal(v, 0x9A), bytes_equal(v, 0x9C)), bytes_equal(v, 0x9E));
    minus = _mm_or_si128(minus, _mm_and_si128(carons, _mm_set1_epi8(0x10)));
    minus = _mm_or_si128(minus, _mm_and_si128(bytes_equal(v, 0xFF), _mm_set1_epi8(0x60)));
    const __m128i upper = _mm_sub_epi8(v, minus);
    return replace_bytes(replace_bytes(replace_bytes(upper, 0xC4, 'A'), 0xD6, 'O'), 0xDC, 'U');
}

// Folds and packs the first sixteen bytes at h (all readable) up to the
// first byte below 32; returns how many that were.
int pack_folded(const std::uint8_t* h, std::uint64_t* words) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h));
    const auto controls = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xE0))), _mm_setzero_si128())));
    const int length = controls != 0 ? std::countr_zero(controls) : packed_bytes;
    const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i kept = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(length)), lanes);
    const __m128i folded = _mm_and_si128(fold_sixteen(v), kept);
    words[0] = __builtin_bswap64(static_cast<std::uint64_t>(_mm_cvtsi128_si64(folded)));
    words[1] = __builtin_bswap64(static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(folded, folded))));
    return length;
}
#endif

// Room lent for the working arrays (the buffer the sorted text will go
// to): taken from the front; the block taken last can be given back.
class Scratch {
public:
    explicit Scratch(std::span<char> room)
        : start_(room.data()), top_(room.data()), end_(room.data() + room.size()) {}

    // Nothing when it does not fit.
    void* take(std::size_t bytes, std::size_t align) {
        if (top_ == nullptr) return nullptr;
        const auto misaligned = reinterpret_cast<std::uintptr_t>(top_) % align;
        char* at = top_ + (misaligned == 0 ? 0 : align - misaligned);
        if (at > end_ || bytes > static_cast<std::size_t>(end_ - at)) return nullptr;
        top_ = at + bytes;
        return at;
    }
    // False when the block did not come from here.
    bool give_back(void* block, std::size_t bytes) {
        char* at = static_cast<char*>(block);
        if (top_ == nullptr || at < start_ || at >= end_) return false;
        if (at + bytes == top_) top_ = at;
        return true;
    }

private:
    char* start_;
    char* top_;
    char* end_;
};

// A vector whose new elements are left unset, for the per-entry arrays a
// big book fills in two halves: each half's pages are then first touched,
// and handed out by the system, on its own thread. It lives in the lent
// room when there is one and it fits.
template <typename T>
struct LeftUnset {
    using value_type = T;
    Scratch* scratch = nullptr;

    LeftUnset() = default;
    explicit LeftUnset(Scratch* room) noexcept : scratch(room) {}
    template <typename U>
    LeftUnset(const LeftUnset<U>& other) noexcept : scratch(other.scratch) {}

    T* allocate(std::size_t n) {
        if (scratch != nullptr)
            if (void* block = scratch->take(n * sizeof(T), alignof(T))) return static_cast<T*>(block);
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* block, std::size_t n) noexcept {
        if (scratch == nullptr || !scratch->give_back(block, n * sizeof(T))) std::allocator<T>().deallocate(block, n);
    }
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const LeftUnset& a, const LeftUnset& b) { return a.scratch == b.scratch; }
};
template <typename T>
using Slots = std::vector<T, LeftUnset<T>>;

// The folded headings of all entries.
class HeadingKeys {
public:
    // A big book is folded in two halves at once; the second half's
    // remainders go behind the first's.
    HeadingKeys(const TextParts& text, std::span<const std::int32_t> starts, const FoldTable& fold, Scratch* room)
        : keys_(LeftUnset<Key>(room)) {
        const std::size_t count = starts.size() - 1;
        keys_.resize(count);
        std::vector<std::uint8_t> second_tails;
        in_two_halves(count, parallel_entries, [&](std::size_t begin, std::size_t end) {
            read_range(text, starts, fold, begin, end, begin == 0 ? tails_ : second_tails);
        });
        if (second_tails.empty()) return;
        const auto shift = static_cast<std::uint32_t>(tails_.size());
        for (std::size_t e = second_half_begin(count); e < count; ++e) keys_[e].tail += shift;
        tails_.insert(tails_.end(), second_tails.begin(), second_tails.end());
    }

    std::int32_t count() const { return static_cast<std::int32_t>(keys_.size()); }
    // Where the other per-entry arrays may live.
    Scratch* room() const { return keys_.get_allocator().scratch; }

    HeadingOrder compare(std::int32_t a, std::int32_t b) const {
        const int d = difference(key(a), key(b));
        return d < 0 ? HeadingOrder::less : d > 0 ? HeadingOrder::greater : HeadingOrder::equal;
    }
    // Lexicographic order of the folded headings, a prefix first.
    bool before(std::int32_t a, std::int32_t b) const {
        const int d = difference(key(a), key(b));
        return d != 0 ? d < 0 : key(a).length < key(b).length;
    }
    bool same(std::int32_t a, std::int32_t b) const {
        const Key& x = key(a);
        const Key& y = key(b);
        return x.length == y.length && x.word[0] == y.word[0] && x.word[1] == y.word[1] && difference(x, y) == 0;
    }
    void prefetch(std::int32_t e) const { __builtin_prefetch(&key(e)); }
    // The first folded byte, or the heading's first byte when it has none.
    std::uint8_t first(std::int32_t e) const {
        const Key& k = key(e);
        return k.length > 0 ? static_cast<std::uint8_t>(k.word[0] >> 56) : k.control;
    }
    // How many folded bytes the two headings share from their start.
    std::uint8_t shared(std::int32_t a, std::int32_t b) const {
        const Key& x = key(a);
        const Key& y = key(b);
        const int common = std::min(x.length, y.length);
        for (int w = 0; w < 2; ++w) {
            const std::uint64_t d = x.word[w] ^ y.word[w];
            if (d != 0) return static_cast<std::uint8_t>(std::min(common, w * 8 + std::countl_zero(d) / 8));
        }
        if (common <= packed_bytes) return static_cast<std::uint8_t>(common);
        const std::uint8_t* p = tails_.data() + x.tail;
        const auto n = static_cast<std::size_t>(common - packed_bytes);
        return static_cast<std::uint8_t>(packed_bytes + (std::mismatch(p, p + n, tails_.data() + y.tail).first - p));
    }
    bool is_prefix(std::int32_t a, std::int32_t of) const {
        return key(a).length <= key(of).length && difference(key(a), key(of)) == 0;
    }
    std::uint64_t hash(std::int32_t e) const {
        const Key& k = key(e);
        std::uint64_t h = k.word[0] * 0x9E3779B97F4A7C15ull;
        h ^= (k.word[1] + k.length) * 0xC2B2AE3D27D4EB4Full;
        for (const std::uint8_t c : tail(k)) h = (h ^ c) * 0x100000001B3ull;
        return h ^ (h >> 29);
    }

private:
    // The first sixteen folded bytes big-endian, zeros behind a shorter
    // heading; the rest in tails_.
    struct Key {
        std::uint64_t word[2];
        std::uint32_t tail;
        std::uint8_t length;
        std::uint8_t control;  // the first byte of an empty heading
    };

    const Key& key(std::int32_t e) const { return keys_[static_cast<std::size_t>(e)]; }

    // The keys of entries `begin` to `end`, their remainders into `tails`.
    void read_range(const TextParts& text, std::span<const std::int32_t> starts, const FoldTable& fold,
                    std::size_t begin, std::size_t end, std::vector<std::uint8_t>& tails) {
        tails.reserve((end - begin) * 4);
        const auto split = static_cast<std::int32_t>(text.before.size());
        std::array<char, heading_columns> straddling;
        for (std::size_t e = begin; e < end; ++e) {
            // A heading ends inside its entry, at its terminator at the latest.
            const std::int32_t start = starts[e];
            const std::int32_t stop = std::min(starts[e + 1], start + heading_columns);
            std::string_view heading;
            if (stop <= split) {
                heading = text.before.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(stop - start));
            } else if (start >= split) {
                heading = text.after.substr(static_cast<std::size_t>(start - split), static_cast<std::size_t>(stop - start));
            } else {
                const auto first = static_cast<std::size_t>(split - start);
                text.before.copy(straddling.data(), first, static_cast<std::size_t>(start));
                text.after.copy(straddling.data() + first, static_cast<std::size_t>(stop - split), 0);
                heading = {straddling.data(), static_cast<std::size_t>(stop - start)};
            }
            read(keys_[e], heading, fold, tails);
        }
    }

    void read(Key& k, std::string_view heading, const FoldTable& fold, std::vector<std::uint8_t>& tails) {
        k = Key{};
        const auto* h = reinterpret_cast<const std::uint8_t*>(heading.data());
        const auto n = static_cast<std::int32_t>(heading.size());
        std::int32_t c = 0;
#if defined(LUMO_PACK_SSE2)
        if (n >= packed_bytes && &fold == &sort_fold_table()) {
            c = pack_folded(h, k.word);
        } else
#endif
        {
            for (; c < n && c < packed_bytes && h[c] >= 32; ++c)
                k.word[c / 8] |= std::uint64_t{fold[h[c]]} << (56 - 8 * (c % 8));
        }
        k.tail = static_cast<std::uint32_t>(tails.size());
        if (c == packed_bytes)
            for (; c < n && h[c] >= 32; ++c) tails.push_back(fold[h[c]]);
        k.length = static_cast<std::uint8_t>(c);
        if (c == 0 && n > 0) k.control = h[0];
    }

    std::span<const std::uint8_t> tail(const Key& k) const {
        return {tails_.data() + k.tail, static_cast<std::size_t>(std::max(0, k.length - packed_bytes))};
    }

    // The order of the first differing folded byte within the shorter
    // heading: -1, 1, or 0 when one heading begins with the other.
    int difference(const Key& a, const Key& b) const {
        const int common = std::min(a.length, b.length);
        for (int w = 0; w < 2; ++w) {
            const std::uint64_t x = a.word[w] ^ b.word[w];
            if (x == 0) continue;
            if (w * 8 + std::countl_zero(x) / 8 >= common) return 0;
            return a.word[w] < b.word[w] ? -1 : 1;
        }
        if (common <= packed_bytes) return 0;
        const std::uint8_t* x = tails_.data() + a.tail;
        const std::uint8_t* y = tails_.data() + b.tail;
        const auto n = static_cast<std::size_t>(common - packed_bytes);
        const auto differs = std::mismatch(x, x + n, y);
        if (differs.first == x + n) return 0;
        return *differs.first < *differs.second ? -1 : 1;
    }

    Slots<Key> keys_;
    std::vector<std::uint8_t> tails_;  // the folded bytes past the sixteenth, heading by heading
};

// ---- First try: the walk on a linked list ---------------------------------------------

// The finger's walk step by step; gives up (nothing) once the steps so far
// exceed a few per entry placed plus one pass over the book: enough for a
// sorted book and for one whose few moved entries walk far (an entry that
// moves back by d positions costs its walk and the next entry's, 2d), while
// a book in random order, whose walks grow with the list, gives up early.
std::optional<std::vector<std::int32_t>> walk_in_list(const HeadingKeys& keys, bool patient = false) {
    const std::int32_t count = keys.count();
    // Links are written as entries are placed and read only for placed
    // ones, so the arrays are left unset: a book in random order, which
    // gives up after a few, never touches most of their pages.
    const LeftUnset<std::int32_t> room(keys.room());
    Slots<std::int32_t> next(static_cast<std::size_t>(count), room), prev(static_cast<std::size_t>(count), room);
    auto at = [](Slots<std::int32_t>& v, std::int32_t i) -> std::int32_t& { return v[static_cast<std::size_t>(i)]; };
    if (count > 0) next[0] = prev[0] = -1;
    std::int32_t head = 0;
    auto link_before = [&](std::int32_t p, std::int32_t x) {
        at(prev, x) = at(prev, p);
        at(next, x) = p;
        if (at(prev, p) >= 0) at(next, at(prev, p)) = x; else head = x;
        at(prev, p) = x;
    };
    auto link_after = [&](std::int32_t p, std::int32_t x) {
        at(next, x) = at(next, p);
        at(prev, x) = p;
        if (at(next, p) >= 0) at(prev, at(next, p)) = x;
        at(next, p) = x;
    };
    std::int64_t steps = 0;
    for (std::int32_t x = 1; x < count; ++x) {
        const std::int32_t f = x - 1;  // the finger: the entry placed last
        switch (keys.compare(x, f)) {
        case HeadingOrder::equal: link_before(f, x); break;
        case HeadingOrder::less: {
            // Back to the nearest entry that is not greater: in front of it
            // when equal, behind it when less; at the front when none.
            std::int32_t p = at(prev, f);
            HeadingOrder r = HeadingOrder::greater;
            for (; p >= 0 && (r = keys.compare(x, p)) == HeadingOrder::less; p = at(prev, p)) ++steps;
            if (p < 0)
                link_before(head, x);
            else if (r == HeadingOrder::equal)
                link_before(p, x);
            else
                link_after(p, x);
            break;
        }
        case HeadingOrder::greater: {
            // On to the nearest entry that is not less: in front of it (the
            // free place behind the last entry counts as equal).
            std::int32_t q = at(next, f);
            std::int32_t last = f;
            for (; q >= 0 && keys.compare(x, q) == HeadingOrder::greater; q = at(next, q)) {
                last = q;
                ++steps;
            }
            if (q < 0)
                link_after(last, x);
            else
                link_before(q, x);
            break;
        }
        }
        if (!patient && steps > 16 * std::int64_t{x} + count) return std::nullopt;
    }
    std::vector<std::int32_t> order;
    order.reserve(static_cast<std::size_t>(count));
    for (std::int32_t e = count > 0 ? head : -1; e >= 0; e = at(next, e)) order.push_back(e);
    return order;
}

// ---- Second way: ranks -------------------------------------------------------------------

struct Ranks {
    Slots<std::int32_t> lo, hi;
    // True when no heading equals or is a prefix of another: the comparison
    // is then a strict order and the result is simply the sorted order.
    bool strict = true;
};

// The distinct folded headings among entries, numbered in the order they
// come, in a table of their hashes that grows at half full.
class HeadingNumbers {
public:
    explicit HeadingNumbers(const HeadingKeys& keys) : keys_(keys), table_(64) {}

    // The number of e's heading; the next new one when it is the first.
    std::int32_t number(std::int32_t e, std::uint64_t hash) {
        const std::size_t s = slot_of(e, hash);
        if (table_[s].key >= 0) return table_[s].key;
        const auto key = static_cast<std::int32_t>(firsts_.size());
        table_[s] = {hash, key};
        firsts_.push_back(e);
        if (firsts_.size() * 2 > table_.size()) grow();
        return key;
    }
    // The first entry with each heading, by number.
    const std::vector<std::int32_t>& firsts() const { return firsts_; }
    std::vector<std::int32_t> take_firsts() { return std::move(firsts_); }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::int32_t key = -1;
    };

    std::size_t slot_of(std::int32_t e, std::uint64_t hash) const {
        const std::size_t mask = table_.size() - 1;
        std::size_t s = static_cast<std::size_t>(hash) & mask;
        while (table_[s].key >= 0 &&
               (table_[s].hash != hash || !keys_.same(firsts_[static_cast<std::size_t>(table_[s].key)], e)))
            s = (s + 1) & mask;
        return s;
    }

    void grow() {
        std::vector<Slot> old(table_.size() * 2);
        old.swap(table_);
        for (const Slot& moved : old)
            if (moved.key >= 0) table_[slot_of(firsts_[static_cast<std::size_t>(moved.key)], moved.hash)] = moved;
    }

    const HeadingKeys& keys_;
    std::vector<Slot> table_;
    std::vector<std::int32_t> firsts_;
};

// One entry for each distinct folded heading (the first that has it), and
// for every entry the number of its distinct heading. A big book is
// numbered in two halves at once; the second half's headings then take the
// first half's numbers, or new ones behind them.
std::vector<std::int32_t> distinct_headings(const HeadingKeys& keys, Slots<std::int32_t>& key_of) {
    const auto count = static_cast<std::size_t>(keys.count());
    key_of.resize(count);
    HeadingNumbers front(keys), back(keys);
    in_two_halves(count, parallel_entries, [&](std::size_t begin, std::size_t end) {
        HeadingNumbers& numbers = begin == 0 ? front : back;
        for (std::size_t e = begin; e < end; ++e) {
            const auto entry = static_cast<std::int32_t>(e);
            // A book of many equal headings has them next to each other often.
            key_of[e] = e > begin && keys.same(entry - 1, entry) ? key_of[e - 1] : numbers.number(entry, keys.hash(entry));
        }
    });
    if (back.firsts().empty()) return front.take_firsts();
    std::vector<std::int32_t> as_in_front;
    as_in_front.reserve(back.firsts().size());
    for (const std::int32_t e : back.firsts()) as_in_front.push_back(front.number(e, keys.hash(e)));
    for (std::size_t e = second_half_begin(count); e < count; ++e) key_of[e] = as_in_front[static_cast<std::size_t>(key_of[e])];
    return front.take_firsts();
}

// Numbers the headings; `sorted` receives the entries in lexicographic order
// when the order is strict.
Ranks rank_headings(const HeadingKeys& keys, std::vector<std::int32_t>& sorted) {
    const LeftUnset<std::int32_t> room(keys.room());
    Slots<std::int32_t> key_of(room);
    std::vector<std::int32_t> firsts = distinct_headings(keys, key_of);
    const auto distinct = static_cast<std::int32_t>(firsts.size());
    std::vector<std::int32_t> by_rank(firsts.size());
    std::iota(by_rank.begin(), by_rank.end(), 0);
    std::sort(by_rank.begin(), by_rank.end(), [&](std::int32_t a, std::int32_t b) {
        return keys.before(firsts[static_cast<std::size_t>(a)], firsts[static_cast<std::size_t>(b)]);
    });

    Ranks ranks{Slots<std::int32_t>(room), Slots<std::int32_t>(room)};
    ranks.strict = distinct == keys.count();
    std::vector<std::int32_t> key_lo(firsts.size()), key_hi(firsts.size());
    // The chain of headings that are prefixes of the current one, as ranks.
    std::vector<std::int32_t> open;
    for (std::int32_t r = 0; r < distinct; ++r) {
        const std::int32_t k = by_rank[static_cast<std::size_t>(r)];
        const std::int32_t e = firsts[static_cast<std::size_t>(k)];
        auto first_of_rank = [&](std::int32_t rank) { return firsts[static_cast<std::size_t>(by_rank[static_cast<std::size_t>(rank)])]; };
        while (!open.empty() && !keys.is_prefix(first_of_rank(open.back()), e)) {
            key_hi[static_cast<std::size_t>(by_rank[static_cast<std::size_t>(open.back())])] = r - 1;
            open.pop_back();
        }
        if (!open.empty()) ranks.strict = false;
        open.push_back(r);
        key_lo[static_cast<std::size_t>(k)] = r;
    }
    for (const std::int32_t r : open) key_hi[static_cast<std::size_t>(by_rank[static_cast<std::size_t>(r)])] = distinct - 1;

    if (ranks.strict) {
        sorted.resize(firsts.size());
        for (std::size_t r = 0; r < by_rank.size(); ++r) sorted[r] = firsts[static_cast<std::size_t>(by_rank[r])];
        return ranks;
    }
    ranks.lo.resize(key_of.size());
    ranks.hi.resize(key_of.size());
    in_two_halves(key_of.size(), parallel_entries, [&](std::size_t begin, std::size_t end) {
        for (std::size_t e = begin; e < end; ++e) {
            ranks.lo[e] = key_lo[static_cast<std::size_t>(key_of[e])];
            ranks.hi[e] = key_hi[static_cast<std::size_t>(key_of[e])];
        }
    });
    return ranks;
}

// Bits 0 to 3: which of the four values from `values` are at most / at
// least `bound`.
unsigned four_at_most(const std::int32_t* values, std::int32_t bound) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
    return ~static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(v, _mm_set1_epi32(bound))))) & 15u;
#else
    unsigned mask = 0;
    for (unsigned k = 0; k < 4; ++k) mask |= unsigned{values[k] <= bound} << k;
    return mask;
#endif
}

unsigned four_at_least(const std::int32_t* values, std::int32_t bound) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
    return ~static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(v, _mm_set1_epi32(bound))))) & 15u;
#else
    unsigned mask = 0;
    for (unsigned k = 0; k < 4; ++k) mask |= unsigned{values[k] >= bound} << k;
    return mask;
#endif
}

// Entries in one block of the BlockList below.
constexpr std::int32_t block_entries = 64;

// The last place before `end` (of a block) whose value is at most `bound`, or
// -1; looked at four at a time from `end` down, so a near one costs little.
std::int32_t last_at_most(const std::int32_t* values, std::int32_t end, std::int32_t bound) {
    for (std::int32_t four = (end - 1) & ~3; four >= 0; four -= 4) {
        unsigned hits = four_at_most(values + four, bound);
        if (four + 4 > end) hits &= (1u << (end - four)) - 1;
        if (hits != 0) return four + 31 - std::countl_zero(hits);
    }
    return -1;
}

// The first place after `begin` (of a block) whose value is at least
// `bound`, or block_entries; four at a time from `begin` up. Unused places
// never qualify.
std::int32_t first_at_least(const std::int32_t* values, std::int32_t begin, std::int32_t bound) {
    for (std::int32_t four = (begin + 1) & ~3; four < block_entries; four += 4) {
        unsigned hits = four_at_least(values + four, bound);
        if (four <= begin) hits &= ~((2u << (begin - four)) - 1);
        if (hits != 0) return four + std::countr_zero(hits);
    }
    return block_entries;
}

// The list being built as a chain of blocks of up to 64 entries, each
// block knowing the least lo and the greatest hi in it. A walk tests the
// finger's block at once and skips whole blocks that cannot hold its end,
// which keeps walks cheap while they stay within a few blocks, as they do
// when entries equal to every other (empty headings) or to a whole group (a
// surname alone) cut the list into short stretches. Gives up (nothing) when
// the blocks skipped grow past a few per entry; the treap below then does
// the same in logarithmic steps.
class BlockList {
public:
    explicit BlockList(const Ranks& ranks)
        : lo_(ranks.lo), hi_(ranks.hi), heads_(LeftUnset<Head>(ranks.lo.get_allocator())),
          blocks_(LeftUnset<Block>(ranks.lo.get_allocator())) {
        const std::size_t most = ranks.lo.size() / (capacity / 2) + 1;  // blocks but the last are half full or more
        heads_.reserve(most);
        blocks_.reserve(most);
    }

    std::optional<std::vector<std::int32_t>> place_all(bool patient = false) {
        const auto count = static_cast<std::int32_t>(lo_.size());
        std::int64_t hops = 0;
        if (count > 0) {
            new_block();
            insert({0, 0}, 0);
        }
        for (std::int32_t x = 1; x < count; ++x) {
            hops += place(x);
            if (!patient && hops > 16 * std::int64_t{x} + count) return std::nullopt;
        }
        std::vector<std::int32_t> out;
        out.reserve(lo_.size());
        for (std::int32_t b = heads_.empty() ? -1 : 0; b >= 0; b = head(b).next)
            out.insert(out.end(), blocks_[static_cast<std::size_t>(b)].entry.begin(),
                       blocks_[static_cast<std::size_t>(b)].entry.begin() + head(b).size);
        return out;
    }

private:
    static constexpr std::int32_t capacity = block_entries;
    static constexpr std::int32_t none_lo = std::numeric_limits<std::int32_t>::max();
    static constexpr std::int32_t none_hi = std::numeric_limits<std::int32_t>::min();
    // Kept apart from the entries, so that skipping blocks reads little.
    struct Head {
        std::int32_t prev = -1, next = -1;
        std::int32_t size = 0;
        std::int32_t min_lo = none_lo, max_hi = none_hi;
    };
    struct Block {
        std::array<std::int32_t, capacity> lo, hi, entry;
        Block() {
            lo.fill(none_lo);
            hi.fill(none_hi);
            entry.fill(-1);
        }
    };
    struct Place {
        std::int32_t block, index;  // in front of entry `index` of `block` (index may be its size)
    };

    Head& head(std::int32_t b) { return heads_[static_cast<std::size_t>(b)]; }
    Block& entries(std::int32_t b) { return blocks_[static_cast<std::size_t>(b)]; }
    std::int32_t lo(std::int32_t e) const { return lo_[static_cast<std::size_t>(e)]; }
    std::int32_t hi(std::int32_t e) const { return hi_[static_cast<std::size_t>(e)]; }

    // Places x as the finger's walk from the entry placed last does;
    // returns the blocks skipped.
    std::int32_t place(std::int32_t x) {
        const std::int32_t f = x - 1;
        const std::int32_t fb = finger_.block, fi = finger_.index;
        if (lo(f) > hi(x)) return walk_back(x, fb, fi);
        if (hi(f) < lo(x)) return walk_on(x, fb, fi);
        insert({fb, fi}, x);
        return 0;
    }

    // Back to the nearest entry that is not greater (lo <= hi(x)): in front
    // of it when equal, behind it when less; at the front when none.
    std::int32_t walk_back(std::int32_t x, std::int32_t b, std::int32_t i) {
        const std::int32_t bound = hi(x);
        std::int32_t hops = 0;
        std::int32_t p = last_at_most(entries(b).lo.data(), i, bound);
        while (p < 0 && head(b).prev >= 0) {
            b = head(b).prev;
            ++hops;
            if (head(b).min_lo <= bound) p = last_at_most(entries(b).lo.data(), head(b).size, bound);
        }
        if (p < 0) {
            insert({b, 0}, x);
            return hops;
        }
        const bool equal = entries(b).hi[static_cast<std::size_t>(p)] >= lo(x);
        insert({b, equal ? p : p + 1}, x);
        return hops;
    }

    // On to the nearest entry that is not less (hi >= lo(x)): in front of it
    // (the free place behind the last entry counts as equal).
    std::int32_t walk_on(std::int32_t x, std::int32_t b, std::int32_t i) {
        const std::int32_t bound = lo(x);
        std::int32_t hops = 0;
        std::int32_t q = first_at_least(entries(b).hi.data(), i, bound);
        while (q == capacity && head(b).next >= 0) {
            b = head(b).next;
            ++hops;
            if (head(b).max_hi >= bound) q = first_at_least(entries(b).hi.data(), -1, bound);
        }
        insert({b, q == capacity ? head(b).size : q}, x);
        return hops;
    }

    void new_block() {
        heads_.emplace_back();
        blocks_.emplace_back();
    }

    void insert(Place at, std::int32_t x) {
        if (head(at.block).size == capacity) at = split(at);
        Head& h = head(at.block);
        Block& k = entries(at.block);
        const auto i = static_cast<std::size_t>(at.index);
        const auto n = static_cast<std::size_t>(h.size);
        std::copy_backward(k.entry.begin() + i, k.entry.begin() + n, k.entry.begin() + n + 1);
        std::copy_backward(k.lo.begin() + i, k.lo.begin() + n, k.lo.begin() + n + 1);
        std::copy_backward(k.hi.begin() + i, k.hi.begin() + n, k.hi.begin() + n + 1);
        k.entry[i] = x;
        k.lo[i] = lo(x);
        k.hi[i] = hi(x);
        h.min_lo = std::min(h.min_lo, lo(x));
        h.max_hi = std::max(h.max_hi, hi(x));
        ++h.size;
        finger_ = at;
    }

    // Moves the back half of a full block into a new block behind it; the
    // place follows the entries it stood in front of.
    Place split(Place at) {
        const auto fresh = static_cast<std::int32_t>(heads_.size());
        new_block();
        constexpr std::int32_t half = capacity / 2;
        Head& front = head(at.block);
        Head& back = head(fresh);
        back.prev = at.block;
        back.next = front.next;
        if (front.next >= 0) head(front.next).prev = fresh;
        front.next = fresh;
        Block& from = entries(at.block);
        Block& to = entries(fresh);
        for (auto [source, target, empty] : {std::tuple{&from.entry, &to.entry, -1}, std::tuple{&from.lo, &to.lo, none_lo},
                                             std::tuple{&from.hi, &to.hi, none_hi}}) {
            std::copy(source->begin() + half, source->end(), target->begin());
            std::fill(source->begin() + half, source->end(), empty);
        }
        front.size = half;
        back.size = capacity - half;
        summarise(at.block);
        summarise(fresh);
        return at.index <= half ? at : Place{fresh, at.index - half};
    }

    void summarise(std::int32_t b) {
        const Block& k = entries(b);
        head(b).min_lo = *std::min_element(k.lo.begin(), k.lo.end());
        head(b).max_hi = *std::max_element(k.hi.begin(), k.hi.end());
    }

    const Slots<std::int32_t>& lo_;
    const Slots<std::int32_t>& hi_;
    Place finger_{0, 0};         // where the entry placed last stands
    Slots<Head> heads_;    // block 0 stays the first
    Slots<Block> blocks_;  // the entries of each block, in list order
};

// The list being built, as a treap keyed by position; nodes are entry
// numbers. Each subtree knows the least lo and the greatest hi within it.
class FingerList {
public:
    explicit FingerList(const Ranks& ranks)
        : lo_(ranks.lo), hi_(ranks.hi), nodes_(ranks.lo.size(), LeftUnset<Node>(ranks.lo.get_allocator())) {}

    // Places entry x as the finger's walk does, starting at the entry placed
    // before it; x becomes the finger.
    void place(std::int32_t x) {
        if (root_ < 0) {
            init(x);
            root_ = x;
        } else {
            walk_and_insert(x);
        }
        finger_ = x;
    }

    std::vector<std::int32_t> order() const {
        std::vector<std::int32_t> out;
        out.reserve(nodes_.size());
        for (std::int32_t n = root_ < 0 ? -1 : leftmost(root_); n >= 0; n = successor(n))
            out.push_back(n);
        return out;
    }

private:
    struct Node {
        std::int32_t left = -1, right = -1, parent = -1;
        std::int32_t min_lo = 0, max_hi = 0;
    };

    Node& at(std::int32_t n) { return nodes_[static_cast<std::size_t>(n)]; }
    const Node& at(std::int32_t n) const { return nodes_[static_cast<std::size_t>(n)]; }
    std::int32_t lo(std::int32_t n) const { return lo_[static_cast<std::size_t>(n)]; }
    std::int32_t hi(std::int32_t n) const { return hi_[static_cast<std::size_t>(n)]; }

    HeadingOrder compare(std::int32_t x, std::int32_t k) const {
        if (lo(k) > hi(x)) return HeadingOrder::less;
        if (hi(k) < lo(x)) return HeadingOrder::greater;
        return HeadingOrder::equal;
    }

    void walk_and_insert(std::int32_t x) {
        const std::int32_t f = finger_;
        switch (compare(x, f)) {
        case HeadingOrder::equal:
            insert_before(f, x);
            break;
        case HeadingOrder::less: {
            // Back to the nearest entry that is not greater than x; in front
            // of it when equal, behind it when less; at the front when none.
            const std::int32_t p = last_before(f, hi(x));
            if (p < 0)
                insert_before(leftmost(root_), x);
            else if (compare(x, p) == HeadingOrder::equal)
                insert_before(p, x);
            else
                insert_after(p, x);
            break;
        }
        case HeadingOrder::greater: {
            // On to the nearest entry that is not less than x (the free
            // position after the last entry counts as equal).
            const std::int32_t p = first_after(f, lo(x));
            if (p < 0)
                insert_after(rightmost(root_), x);
            else
                insert_before(p, x);
            break;
        }
        }
    }

    // The last node before n whose lo is <= bound, or -1.
    std::int32_t last_before(std::int32_t n, std::int32_t bound) const {
        const std::int32_t l = at(n).left;
        if (l >= 0 && at(l).min_lo <= bound) return last_within(l, bound);
        for (std::int32_t p = at(n).parent; p >= 0; n = p, p = at(p).parent) {
            if (at(p).right != n) continue;
            if (lo(p) <= bound) return p;
            const std::int32_t pl = at(p).left;
            if (pl >= 0 && at(pl).min_lo <= bound) return last_within(pl, bound);
        }
        return -1;
    }

    std::int32_t last_within(std::int32_t t, std::int32_t bound) const {
        for (;;) {
            const std::int32_t r = at(t).right;
            if (r >= 0 && at(r).min_lo <= bound)
                t = r;
            else if (lo(t) <= bound)
                return t;
            else
                t = at(t).left;
        }
    }

    // The first node after n whose hi is >= bound, or -1.
    std::int32_t first_after(std::int32_t n, std::int32_t bound) const {
        const std::int32_t r = at(n).right;
        if (r >= 0 && at(r).max_hi >= bound) return first_within(r, bound);
        for (std::int32_t p = at(n).parent; p >= 0; n = p, p = at(p).parent) {
            if (at(p).left != n) continue;
            if (hi(p) >= bound) return p;
            const std::int32_t pr = at(p).right;
            if (pr >= 0 && at(pr).max_hi >= bound) return first_within(pr, bound);
        }
        return -1;
    }

    std::int32_t first_within(std::int32_t t, std::int32_t bound) const {
        for (;;) {
            const std::int32_t l = at(t).left;
            if (l >= 0 && at(l).max_hi >= bound)
                t = l;
            else if (hi(t) >= bound)
                return t;
            else
                t = at(t).right;
        }
    }

    std::int32_t leftmost(std::int32_t n) const {
        while (at(n).left >= 0) n = at(n).left;
        return n;
    }
    std::int32_t rightmost(std::int32_t n) const {
        while (at(n).right >= 0) n = at(n).right;
        return n;
    }
    std::int32_t successor(std::int32_t n) const {
        if (at(n).right >= 0) return leftmost(at(n).right);
        std::int32_t p = at(n).parent;
        while (p >= 0 && at(p).right == n) {
            n = p;
            p = at(p).parent;
        }
        return p;
    }

    void insert_before(std::int32_t p, std::int32_t x) {
        if (at(p).left < 0)
            attach(x, p, true);
        else
            attach(x, rightmost(at(p).left), false);
    }
    void insert_after(std::int32_t p, std::int32_t x) {
        if (at(p).right < 0)
            attach(x, p, false);
        else
            attach(x, leftmost(at(p).right), true);
    }

    void init(std::int32_t x) {
        at(x) = Node{-1, -1, -1, lo(x), hi(x)};
    }

    // Hangs x as a leaf below p, widens the ranges of its ancestors and
    // restores the heap order of the priorities.
    void attach(std::int32_t x, std::int32_t p, bool as_left) {
        init(x);
        at(x).parent = p;
        (as_left ? at(p).left : at(p).right) = x;
        for (std::int32_t a = p; a >= 0; a = at(a).parent) {
            Node& n = at(a);
            if (n.min_lo <= lo(x) && n.max_hi >= hi(x)) break;
            n.min_lo = std::min(n.min_lo, lo(x));
            n.max_hi = std::max(n.max_hi, hi(x));
        }
        while (at(x).parent >= 0 && priority(x) > priority(at(x).parent)) rotate_up(x);
    }

    void rotate_up(std::int32_t x) {
        const std::int32_t p = at(x).parent;
        const std::int32_t g = at(p).parent;
        if (at(p).left == x) {
            at(p).left = at(x).right;
            if (at(x).right >= 0) at(at(x).right).parent = p;
            at(x).right = p;
        } else {
            at(p).right = at(x).left;
            if (at(x).left >= 0) at(at(x).left).parent = p;
            at(x).left = p;
        }
        at(p).parent = x;
        at(x).parent = g;
        if (g < 0)
            root_ = x;
        else
            (at(g).left == p ? at(g).left : at(g).right) = x;
        refresh(p);
        refresh(x);
    }

    void refresh(std::int32_t n) {
        Node& node = at(n);
        node.min_lo = lo(n);
        node.max_hi = hi(n);
        for (const std::int32_t c : {node.left, node.right}) {
            if (c < 0) continue;
            node.min_lo = std::min(node.min_lo, at(c).min_lo);
            node.max_hi = std::max(node.max_hi, at(c).max_hi);
        }
    }

    // A fixed pseudo-random priority per entry (a 32-bit integer hash), so
    // the tree's shape, and the run time, never depend on the input order.
    static std::uint32_t priority(std::int32_t n) {
        std::uint32_t v = static_cast<std::uint32_t>(n) + 0x9e3779b9u;
        v = (v ^ (v >> 16)) * 0x85ebca6bu;
        v = (v ^ (v >> 13)) * 0xc2b2ae35u;
        return v ^ (v >> 16);
    }

    const Slots<std::int32_t>& lo_;
    const Slots<std::int32_t>& hi_;
    Slots<Node> nodes_;
    std::int32_t root_ = -1;
    std::int32_t finger_ = -1;
};

}  // namespace

std::int32_t heading_length(const std::uint8_t* entry) {
    std::int32_t c = 0;
    while (c < heading_columns && entry[c] >= 32) ++c;
    return c;
}

HeadingOrder compare_headings(const std::uint8_t* a, const std::uint8_t* b, const FoldTable& fold) {
    for (std::int32_t c = 0; c < heading_columns; ++c) {
        if (a[c] < 32 || b[c] < 32) return HeadingOrder::equal;
        const std::uint8_t fa = fold[a[c]];
        const std::uint8_t fb = fold[b[c]];
        if (fa != fb) return fa < fb ? HeadingOrder::less : HeadingOrder::greater;
    }
    return HeadingOrder::equal;
}

namespace {

std::vector<std::int32_t> by_tree(const Ranks& ranks) {
    FingerList list(ranks);
    for (std::int32_t e = 0; e < static_cast<std::int32_t>(ranks.lo.size()); ++e) list.place(e);
    return list.order();
}

// The ways in turn, each while it stays cheap; `only` forces one.
std::vector<std::int32_t> order_of(const HeadingKeys& keys, std::optional<OrderWay> only = std::nullopt) {
    if (only == OrderWay::walk) return *walk_in_list(keys, true);
    if (!only) {
        if (std::optional<std::vector<std::int32_t>> walked = walk_in_list(keys)) return std::move(*walked);
    }
    std::vector<std::int32_t> sorted;
    const Ranks ranks = rank_headings(keys, sorted);
    if (ranks.strict && only != OrderWay::blocks && only != OrderWay::tree) return sorted;
    if (ranks.strict) {
        // Ranks of a strict order for the ways that need them: all apart.
        Ranks apart;
        apart.lo.resize(sorted.size());
        for (std::size_t r = 0; r < sorted.size(); ++r) apart.lo[static_cast<std::size_t>(sorted[r])] = static_cast<std::int32_t>(r);
        apart.hi = apart.lo;
        return only == OrderWay::blocks ? *BlockList(apart).place_all(true) : by_tree(apart);
    }
    if (only == OrderWay::blocks) return *BlockList(ranks).place_all(true);
    if (!only) {
        if (std::optional<std::vector<std::int32_t>> blocked = BlockList(ranks).place_all()) return std::move(*blocked);
    }
    return by_tree(ranks);
}

}  // namespace

std::vector<std::int32_t> sorted_entry_order_by(OrderWay way, const std::uint8_t* text,
                                                std::span<const std::int32_t> entry_starts) {
    if (entry_starts.size() < 2) return {};
    const auto length = static_cast<std::size_t>(entry_starts.back());
    const HeadingKeys keys(TextParts{{reinterpret_cast<const char*>(text), length}, {}}, entry_starts, sort_fold_table(),
                           nullptr);
    return order_of(keys, way);
}

std::vector<std::int32_t> sorted_entry_order(const TextParts& text, std::span<const std::int32_t> entry_starts,
                                             const FoldTable& fold, HeadingNeighbours* neighbours,
                                             std::span<char> room) {
    if (entry_starts.size() < 2) return {};
    Scratch scratch(room);
    const HeadingKeys keys(text, entry_starts, fold, &scratch);
    std::vector<std::int32_t> order = order_of(keys);
    if (neighbours != nullptr) {
        neighbours->shared.assign(order.size(), 0);
        neighbours->first.resize(order.size());
        in_two_halves(order.size(), parallel_entries, [&](std::size_t begin, std::size_t end) {
            for (std::size_t p = begin; p < end; ++p) {
                // In a book that was in random order these keys lie anywhere.
                if (p + 16 < end) keys.prefetch(order[p + 16]);
                neighbours->first[p] = keys.first(order[p]);
                if (p > 0) neighbours->shared[p] = keys.shared(order[p - 1], order[p]);
            }
        });
    }
    return order;
}

std::vector<std::int32_t> sorted_entry_order(const std::uint8_t* text, std::span<const std::int32_t> entry_starts,
                                             const FoldTable& fold) {
    const auto length = static_cast<std::size_t>(entry_starts.empty() ? 0 : entry_starts.back());
    return sorted_entry_order(TextParts{{reinterpret_cast<const char*>(text), length}, {}}, entry_starts, fold);
}

void gather_entries(const std::uint8_t* text, std::span<const std::int32_t> entry_starts,
                    std::span<const std::int32_t> order, std::int32_t tail_start,
                    std::int32_t text_length, std::uint8_t* out) {
    std::uint8_t* w = out;
    for (const std::int32_t e : order) {
        const std::int32_t begin = entry_starts[static_cast<std::size_t>(e)];
        const std::int32_t end = entry_starts[static_cast<std::size_t>(e) + 1];
        std::memcpy(w, text + begin, static_cast<std::size_t>(end - begin));
        w += end - begin;
    }
    if (text_length > tail_start)
        std::memcpy(w, text + tail_start, static_cast<std::size_t>(text_length - tail_start));
}

namespace {

// The steps of a gather in place, for measuring its room and for doing it.
// Entries are written one after the other from the first start. Before an
// entry is written, the bytes under its new place that have not been kept
// aside yet are: save(from, to). Every byte below `saved_to` that a later
// entry still needs is then aside, every byte from there on is still in
// the text, so the entry is taken from the two: take(begin, end, saved_to,
// at). An entry already at its place stays. Bytes aside are needed only
// from the start of the first entry (in text order) not yet placed: the
// room is the most that ever lies between that start and `saved_to`.
template <typename Save, typename Take>
std::int64_t gather_steps(std::span<const std::int32_t> starts, std::span<const std::int32_t> order, Save&& save,
                          Take&& take) {
    const std::size_t count = order.size();
    std::vector<bool> placed(count, false);
    std::size_t lowest = 0;  // the first entry, in text order, not yet placed
    std::int32_t at = starts.front();
    std::int32_t saved_to = at;
    std::int64_t room = 0;
    for (const std::int32_t e : order) {
        const std::int32_t begin = starts[static_cast<std::size_t>(e)];
        const std::int32_t end = starts[static_cast<std::size_t>(e) + 1];
        if (begin != at) {
            const std::int32_t from = std::max(saved_to, at);
            if (at + (end - begin) > from) {
                save(from, at + (end - begin));
                saved_to = at + (end - begin);
            }
            room = std::max<std::int64_t>(room, saved_to - starts[lowest]);
            take(begin, end, saved_to, at);
        }
        placed[static_cast<std::size_t>(e)] = true;
        at += end - begin;
        while (lowest < count && placed[lowest]) ++lowest;
    }
    return room;
}

// Bytes kept aside in a ring, each at its text offset modulo the room.
class Aside {
public:
    Aside(std::span<char> ring, std::int32_t origin) : ring_(ring), origin_(origin) {}
    void put(const char* from, std::int32_t offset, std::int32_t length) {
        pass(offset, length, [&](char* slot, std::size_t n) {
            std::memcpy(slot, from, n);
            from += n;
        });
    }
    void get(char* to, std::int32_t offset, std::int32_t length) {
        pass(offset, length, [&](char* slot, std::size_t n) {
            std::memcpy(to, slot, n);
            to += n;
        });
    }

private:
    template <typename Copy>
    void pass(std::int32_t offset, std::int32_t length, Copy&& copy) {
        const std::size_t size = ring_.size();
        std::size_t slot = static_cast<std::size_t>(offset - origin_) % size;
        for (auto left = static_cast<std::size_t>(length); left > 0;) {
            const std::size_t n = std::min(left, size - slot);
            copy(ring_.data() + slot, n);
            left -= n;
            slot = 0;
        }
    }

    std::span<char> ring_;
    std::int32_t origin_;
};

}  // namespace

std::int64_t room_to_gather_in_place(std::span<const std::int32_t> entry_starts, std::span<const std::int32_t> order) {
    if (order.empty()) return 0;
    return gather_steps(entry_starts, order, [](std::int32_t, std::int32_t) {},
                        [](std::int32_t, std::int32_t, std::int32_t, std::int32_t) {});
}

void gather_in_place(char* text, std::span<const std::int32_t> entry_starts, std::span<std::int32_t> order,
                     std::span<char> aside) {
    if (order.empty()) return;
    Aside kept(aside, entry_starts.front());
    // The order is read to the end before it is written over.
    gather_steps(
        entry_starts, order, [&](std::int32_t from, std::int32_t to) { kept.put(text + from, from, to - from); },
        [&](std::int32_t begin, std::int32_t end, std::int32_t saved_to, std::int32_t at) {
            const std::int32_t split = std::clamp(saved_to, begin, end);
            kept.get(text + at, begin, split - begin);
            std::memmove(text + at + (split - begin), text + split, static_cast<std::size_t>(end - split));
        });
    std::int32_t at = entry_starts.front();
    for (std::int32_t& e : order) {
        const std::int32_t length = entry_starts[static_cast<std::size_t>(e) + 1] - entry_starts[static_cast<std::size_t>(e)];
        e = at;
        at += length;
    }
}

DuplicateRemoval remove_duplicate_neighbours(std::uint8_t* text, std::int32_t text_length,
                                             std::span<const std::int32_t> entry_starts,
                                             std::int32_t* kept_starts) {
    if (entry_starts.empty()) return {text_length, 0};
    const std::size_t count = entry_starts.size() - 1;
    auto same_as_next = [&](std::size_t k) {
        const std::int32_t a = entry_starts[k], b = entry_starts[k + 1], c = entry_starts[k + 2];
        return b - a == c - b && std::memcmp(text + a, text + b, static_cast<std::size_t>(b - a)) == 0;
    };
    // Kept runs are moved down as whole blocks, so a file without duplicates
    // moves nothing. Slot `kept` is written only after every read of the
    // slots up to it, so kept_starts may be entry_starts itself.
    std::int32_t write = entry_starts[0];
    std::int32_t run_start = entry_starts[0];
    std::int32_t removed = 0;
    std::int32_t kept = 0;
    auto flush = [&](std::int32_t run_end) {
        if (write != run_start && run_end > run_start)
            std::memmove(text + write, text + run_start, static_cast<std::size_t>(run_end - run_start));
        write += run_end - run_start;
    };
    for (std::size_t k = 0; k < count; ++k) {
        if (k + 1 < count && same_as_next(k)) {
            flush(entry_starts[k]);
            run_start = entry_starts[k + 1];
            removed += entry_starts[k + 1] - entry_starts[k];
        } else {
            kept_starts[kept++] = entry_starts[k] - removed;
        }
    }
    kept_starts[kept] = entry_starts[count] - removed;
    flush(text_length);
    return {write, kept};
}

}  // namespace lumo

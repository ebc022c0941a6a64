// The order of the insertion sort with a moving finger, computed without
// moving bytes.
//
// Ranks: the distinct folded headings are numbered in lexicographic order
// (a prefix before its extensions), and every heading h also gets the number
// of the last heading that starts with h. With lo = own number and hi = that
// last number, the headings that start with h are exactly those numbered
// lo(h)..hi(h), so comparing an entry x with k becomes integer tests:
//   less    when lo(k) > hi(x)   (k is beyond x and every extension of x)
//   greater when hi(k) < lo(x)   (k and all its extensions are before x)
//   equal   otherwise            (one heading is a prefix of the other)
// "Not less" is then lo(k) <= hi(x) and "not greater" hi(k) >= lo(x), both
// monotone, so the finger's walk (to the first neighbour whose answer
// changes) is a search over a balanced tree keyed by position whose subtrees
// carry the least lo and the greatest hi.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

#include "data/sort.h"

namespace lumo {
namespace {

// Folded headings of all entries, with their first eight folded bytes packed
// big-endian so that most comparisons while ranking touch no text.
class Headings {
public:
    Headings(const std::uint8_t* text, std::span<const std::int32_t> starts, const FoldTable& fold)
        : text_(text), starts_(starts), fold_(fold) {
        const std::size_t count = starts.size() - 1;
        length_.resize(count);
        packed_.resize(count);
        for (std::size_t e = 0; e < count; ++e) {
            const std::uint8_t* h = text + starts[e];
            length_[e] = static_cast<std::uint8_t>(heading_length(h));
            std::uint64_t p = 0;
            for (int c = 0; c < 8; ++c)
                p = (p << 8) | (c < length_[e] ? fold[h[c]] : 0u);
            packed_[e] = p;
        }
    }

    std::int32_t count() const { return static_cast<std::int32_t>(length_.size()); }
    int length(std::int32_t e) const { return length_[static_cast<std::size_t>(e)]; }

    // Folded bytes the two headings share from their start.
    int common_prefix(std::int32_t a, std::int32_t b) const {
        const std::uint8_t* x = text_ + starts_[static_cast<std::size_t>(a)];
        const std::uint8_t* y = text_ + starts_[static_cast<std::size_t>(b)];
        const int n = std::min(length(a), length(b));
        int c = 0;
        while (c < n && fold_[x[c]] == fold_[y[c]]) ++c;
        return c;
    }

    // Lexicographic order of the folded headings, a prefix first.
    bool before(std::int32_t a, std::int32_t b) const {
        const std::uint64_t pa = packed_[static_cast<std::size_t>(a)];
        const std::uint64_t pb = packed_[static_cast<std::size_t>(b)];
        if (pa != pb) return pa < pb;
        const int c = common_prefix(a, b);
        if (c == length(a) || c == length(b)) return length(a) < length(b);
        const std::uint8_t* x = text_ + starts_[static_cast<std::size_t>(a)];
        const std::uint8_t* y = text_ + starts_[static_cast<std::size_t>(b)];
        return fold_[x[c]] < fold_[y[c]];
    }

    bool is_prefix(std::int32_t a, std::int32_t of) const {
        return length(a) <= length(of) && common_prefix(a, of) == length(a);
    }

private:
    const std::uint8_t* text_;
    std::span<const std::int32_t> starts_;
    const FoldTable& fold_;
    std::vector<std::uint8_t> length_;
    std::vector<std::uint64_t> packed_;
};

struct Ranks {
    std::vector<std::int32_t> lo, hi;
    // True when no heading equals or is a prefix of another: the comparison
    // is then a strict order and the result is simply the sorted order.
    bool strict = true;
};

// Numbers the headings; `sorted` receives the entries in lexicographic order.
Ranks rank_headings(const Headings& headings, std::vector<std::int32_t>& sorted) {
    const std::int32_t count = headings.count();
    sorted.resize(static_cast<std::size_t>(count));
    std::iota(sorted.begin(), sorted.end(), 0);
    std::sort(sorted.begin(), sorted.end(),
              [&](std::int32_t a, std::int32_t b) { return headings.before(a, b); });

    Ranks ranks;
    ranks.lo.resize(static_cast<std::size_t>(count));
    std::vector<std::int32_t> last_extension;  // by rank
    last_extension.reserve(static_cast<std::size_t>(count));
    // The chain of headings that are prefixes of the current one, as
    // (rank, an entry holding it).
    std::vector<std::pair<std::int32_t, std::int32_t>> open;
    std::int32_t rank = -1;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const std::int32_t e = sorted[i];
        const bool repeat = i > 0 && !headings.before(sorted[i - 1], e);
        if (!repeat) {
            ++rank;
            last_extension.push_back(rank);
            while (!open.empty() && !headings.is_prefix(open.back().second, e)) {
                last_extension[static_cast<std::size_t>(open.back().first)] = rank - 1;
                open.pop_back();
            }
            if (!open.empty()) ranks.strict = false;
            open.emplace_back(rank, e);
        } else {
            ranks.strict = false;
        }
        ranks.lo[static_cast<std::size_t>(e)] = rank;
    }
    for (const auto& [r, e] : open) last_extension[static_cast<std::size_t>(r)] = rank;

    ranks.hi.resize(static_cast<std::size_t>(count));
    for (std::size_t e = 0; e < ranks.lo.size(); ++e)
        ranks.hi[e] = last_extension[static_cast<std::size_t>(ranks.lo[e])];
    return ranks;
}

// The list being built, as a treap keyed by position; nodes are entry
// numbers. Each subtree knows the least lo and the greatest hi within it.
class FingerList {
public:
    explicit FingerList(const Ranks& ranks)
        : lo_(ranks.lo), hi_(ranks.hi), nodes_(ranks.lo.size()) {}

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

    const std::vector<std::int32_t>& lo_;
    const std::vector<std::int32_t>& hi_;
    std::vector<Node> nodes_;
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

std::vector<std::int32_t> sorted_entry_order(const std::uint8_t* text,
                                             std::span<const std::int32_t> entry_starts,
                                             const FoldTable& fold) {
    if (entry_starts.size() < 2) return {};
    std::vector<std::int32_t> sorted;
    Ranks ranks;
    {
        const Headings headings(text, entry_starts, fold);
        ranks = rank_headings(headings, sorted);
    }
    if (ranks.strict) return sorted;
    sorted = {};
    FingerList list(ranks);
    for (std::int32_t e = 0; e < static_cast<std::int32_t>(ranks.lo.size()); ++e) list.place(e);
    return list.order();
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

// The two halves of a big contacts file read at once by two readers of one
// kind: `whole` from the text's start, `rest` from `split`, where a contact
// begins. Each reader offers
//   bool read_until(std::size_t stop)  reads what begins before `stop`
//                                      (npos: to the end); true when it
//                                      stands at `stop` between contacts
//   ReadCounts finish()                the counts, the text's end reached
//   ReadCounts finish_after(before)    the same for the second reader, as
//                                      the part of one whole reading behind
//                                      what `before` read
//   const ReadCounts& counts()         the counts so far
// The guess that a contact begins at `split` costs nothing when wrong: the
// first reader then reads on alone, and nothing the second found is used.
#pragma once

#include <cstddef>
#include <string_view>

#include "data/two_halves.h"
#include "exchange/vcard.h"

namespace lumo {

template <typename Reader>
ReadInHalves read_in_halves(Reader& whole, Reader& rest, std::size_t split) {
    constexpr std::size_t to_end = std::string_view::npos;
    ReadInHalves read;
    bool met = false;
    const bool helped = at_once(
        [&] {
            met = whole.read_until(split);
            if (!met) whole.read_until(to_end);
        },
        [&] { rest.read_until(to_end); });
    // No helper thread: the first reader goes on where the second would have.
    if (!helped && met) whole.read_until(to_end);
    read.second_counts = helped && met;
    if (read.second_counts) {
        read.first = whole.counts();
        read.second = rest.finish_after(whole);
    } else {
        read.first = whole.finish();
    }
    return read;
}

}  // namespace lumo

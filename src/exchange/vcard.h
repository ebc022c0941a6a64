// vCard files (versions 2.1, 3.0 and 4.0) in and out.
//
// Reading takes the files phones, web mail and mail programs write: several
// cards a file, folded lines, QUOTED-PRINTABLE and CHARSET of 2.1, group
// prefixes ("item1.TEL"), backslash escapes, parameters in any case, UTF-8
// with or without byte order mark, UTF-16 with one, CR LF or LF. Properties
// other than N, FN, TEL, EMAIL, URL, BDAY, ADR, ORG, TITLE and NOTE are
// passed over without decoding (photos cost only the scan for their end).
//
// Writing produces version 4.0 or 3.0 in UTF-8 with CR LF, lines folded at
// 75 octets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/contact.h"
#include "exchange/text_code.h"

namespace lumo {

// What a reader found: contacts handed on, and cards (or rows) that could
// not be read and were skipped.
struct ReadCounts {
    std::int32_t read = 0;
    std::int32_t unreadable = 0;
};

// Receives each contact a reader found; the contact is reused for the next
// one, so keep what is needed before returning. It may be changed.
using ContactSink = std::function<void(Contact&)>;

// Reads every card of `bytes`. A card without END:VCARD, or one with
// nothing in it that makes an entry, counts as unreadable; so does a file
// with something in it but no card at all. Never reads past the bytes; the
// memory used is proportional to the largest card.
ReadCounts read_vcards(std::string_view bytes, const ContactSink& sink);

// A big file read on two threads at once: the contacts in front of a card
// (or row) near its middle go to the first sink, the rest to the second.
// What the second read counts only when the first reader, arriving there,
// stands between two contacts as the second began (`second_counts`);
// otherwise the first has read on to the end and whatever the second sink
// received is to be dropped. Either way, the first sink's contacts followed
// by those counted of the second are exactly what one reader finds.
struct ReadInHalves {
    ReadCounts first, second;
    bool second_counts = false;
};

// read_vcards on two threads, as above.
ReadInHalves read_vcards_in_halves(std::string_view bytes, const ContactSink& first, const ContactSink& second);

enum class VcardVersion { v3, v4 };

// Writes cards; it keeps its working memory from card to card.
class VcardWriter {
public:
    explicit VcardWriter(VcardVersion version);
    // Appends one card for `contact` to `out`.
    void append(const Contact& contact, std::string& out);

private:
    static std::size_t most_bytes(const Contact& contact);
    void put(std::string_view text);
    void start(std::string_view name);
    // Writes `value` in `forms`: UTF-8, with the escapes of the place it is in.
    void escape(std::string_view value, const ByteForms& forms);
    void property(std::string_view name, std::string_view value);
    void component(std::string_view value, bool semicolon_first);
    void birthday(const Birthday& date);
    void address(const PostalAddress& address);
    // Ends the line begun by `start`, folded at 75 octets, never inside a
    // UTF-8 sequence.
    void emit();
    void fold();

    bool v4_;
    char* w_ = nullptr;           // where the card goes on, in room made for it
    char* line_start_ = nullptr;  // where the line being written begins
    std::vector<char*> cuts_;     // where a long line is folded
};

// One card, for a caller that writes only a few.
void append_vcard(const Contact& contact, VcardVersion version, std::string& out);

}  // namespace lumo

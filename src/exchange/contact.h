// A contact as the exchange formats carry it, and the mapping between a
// contact and an entry of the address book.
//
// An entry is free text; the program's own conventions give it structure:
// - the heading line is the name ("Family Given"), cut at the first of the
//   `name separators`, with the first phone number behind it;
// - the lines that the `address line order` names (the unlabelled lines
//   right below the heading) are the postal address: street, then
//   "postal-code locality", then the country;
// - lines that begin with one of the labels the user types from the text
//   pre-definitions carry a phone ("PhoneNumber: "), fax ("FaxNumber: "),
//   e-mail ("eMail: "), web address ("http:// "), birthday ("Birthday: ")
//   or profession ("Profession: "); "Company: " carries the organisation;
// - every other line is a note, so no line of an entry is ever lost.
// An entry made from a contact reads back as the same contact, so export
// followed by import gives the identical entry.
//
// All texts are Windows-1252.
#pragma once

#include <array>
#include <span>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace lumo {

struct Settings;

// A list whose elements keep their memory when it is cleared, so reading
// thousands of contacts into one Contact allocates only at the start.
template <typename T>
class ReusableList {
public:
    void clear() { size_ = 0; }
    // A new, cleared last element.
    T& add() {
        if (size_ == items_.size()) grow();
        T& item = items_[size_++];
        item.clear();
        return item;
    }
    void add(std::string_view text)
        requires std::is_same_v<T, std::string>
    {
        add().assign(text);
    }
    void remove_last() { --size_; }
    // Exchanges the elements of the two lists, memory and all.
    void swap(ReusableList& other) noexcept {
        items_.swap(other.items_);
        std::swap(size_, other.size_);
    }
    // Makes room for `n` elements, so that adding that many moves none
    // (views into short strings stay valid).
    void reserve(std::size_t n) {
        if (items_.size() < n) items_.resize(n);
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return items_[i]; }
    const T& operator[](std::size_t i) const { return items_[i]; }
    const T* begin() const { return items_.data(); }
    const T* end() const { return items_.data() + size_; }

private:
    // Apart, so that add itself stays small enough to be inlined.
    void grow() { items_.emplace_back(); }

    std::vector<T> items_;
    std::size_t size_ = 0;
};

using TextList = ReusableList<std::string>;

struct PostalAddress {
    std::string street;       // with any further address parts behind ", "
    std::string postal_code;
    std::string locality;     // with the region behind ", "
    std::string country;
    bool empty() const;
    void clear();
};

// A date of birth; a year of 0 means the year is not known.
struct Birthday {
    int day = 0;
    int month = 0;
    int year = 0;
    bool known() const { return day != 0; }
    friend bool operator==(const Birthday&, const Birthday&) = default;
};

// Reads the date forms the formats use: "1970-03-14", "19700314",
// "--03-14", "--0314", "14.03.1970", "14.03.", "3/14/1970", also with a
// time behind "T". False when `text` is none of them or no valid date.
bool parse_date(std::string_view text, Birthday& date);
// Writes `date` as ISO 8601 into `out` ("1970-03-14", or "--03-14" without
// the year; without the dashes between the parts when `basic`); returns
// its length.
std::size_t put_iso_date(const Birthday& date, bool basic, char (&out)[16]);
// True when `text` is a date that says "none" ("0/0/00", "00.00.0000").
bool is_empty_date(std::string_view text);

struct Contact {
    std::string family_name;
    std::string given_names;
    std::string formatted_name;  // the display name, used when there is no family or given name
    TextList phones;
    TextList faxes;
    TextList emails;
    TextList urls;
    TextList organisations;
    TextList titles;
    TextList notes;  // texts that may hold line ends
    ReusableList<PostalAddress> addresses;  // the first is the postal address of the entry
    Birthday birthday;
    std::string unreadable_birthday;  // a birthday in no known form, kept as a note
    // Set by a reader when characters had to be replaced on the way in.
    bool replaced = false;

    void clear();
    // Nothing that would make an entry.
    bool empty() const;
};

// The mapping under the user's settings: `name separators`, `address line
// order` and the labels of the text pre-definitions.
class ContactMapping {
public:
    explicit ContactMapping(const Settings& settings);

    // Appends the entry for `contact` to `out`: heading, postal lines,
    // labelled lines (phones, faxes, e-mail, web, birthday, company,
    // profession), notes, then the entry terminator. Lines are cleaned and
    // broken as pasted text is. First moves note lines that begin with a
    // label into their place (as reading the entry would), so the entry
    // reads back as `contact`. False, with nothing appended, when nothing of
    // the contact would be left in the entry (a name of separators alone).
    bool append_entry(Contact& contact, std::string& out);

    // Reads an entry (its text from its start, up to and with or without its
    // terminator) into `contact`.
    void read_entry(std::string_view entry, Contact& contact);

    // What a labelled line carries.
    enum class Role : std::uint8_t { phone, fax, email, url, birthday, organisation, title, none };
    static constexpr std::size_t role_count = 7;

    // Appends the line an entry holds for a labelled value: the label and
    // the value (a web address in quotes, so the data view shows a link).
    void append_labelled_text(Role role, std::string_view value, std::string& out) const;
    // The same for a birthday ("14.03.1970", or "14.03." without the year).
    void append_birthday_text(const Birthday& date, std::string& out) const;

private:
    // What a line may begin with to carry a role (a label without its trailing blanks).
    struct Key {
        std::string text;
        Role role;
    };

    // The role of a line that begins with a label, and in `value` what
    // follows it; Role::none for any other line.
    Role role_of(std::string_view line, std::string_view& value);
    // Puts a labelled value into its place; false when it has none there
    // (an empty value, a second or unreadable birthday): the line is a note.
    bool take_labelled(Contact& contact, Role role, std::string_view value);
    void read_heading(std::string_view heading, Contact& contact) const;
    // The keys `line` may begin with: those with its first letter.
    std::span<const Key> keys_for(std::string_view line) const;
    // Whether `line` can begin with a label at all (one test on its first byte).
    bool may_be_labelled(std::string_view line) const { return !keys_for(line).empty(); }
    bool has_labelled_lines(const Contact& contact) const;
    // Appends `text` to the body without separators, each run of blanks as
    // one blank and none at the start of the name begun at `name_start`;
    // `blank_pending` carries a run of blanks that may still need its blank.
    void append_collapsed(std::string_view text, std::size_t name_start, bool& blank_pending);
    void normalise(Contact& contact);
    void demote_labelled_postal_parts(PostalAddress& address);
    void append_heading(const Contact& contact);
    void append_postal_lines(const Contact& contact, bool notes_follow_directly);
    void append_labelled_lines(const Contact& contact);
    void append_line(std::string_view text);
    void append_labelled(Role role, std::string_view value);
    std::string_view url_value(std::string_view key, std::string_view rest);

    std::array<char, 5> separators_{};
    std::array<bool, 256> is_separator_{};
    std::array<bool, 256> ends_name_run_{};  // a separator or a blank (a byte up to 32)
    char heading_separator_ = '\0';          // the first separator, in front of the heading's phone

    std::vector<int> postal_lines_;  // line numbers (0 is the heading) of street, locality, country
    std::array<std::string, role_count> labels_;  // written in front of a value, e.g. "PhoneNumber: "
    // Grouped by first letter (in lower case), each group in the order of
    // the roles: the first key a line begins with gives its role.
    std::vector<Key> keys_;
    std::array<std::size_t, 257> key_groups_{};  // the keys of first letter c: [key_groups_[c], key_groups_[c + 1])
    std::string address_label_;      // in front of a further postal address kept as a note
    // Scratch space kept from entry to entry.
    std::string body_;
    std::string cleaned_;
    std::string value_;
    std::string place_;
    TextList lines_;
    std::vector<std::string_view> entry_lines_;  // of the entry being read
};

}  // namespace lumo

// The mapping between contacts and entries.
#include "exchange/contact.h"

#include <algorithm>
#include <cstdio>

#include "data/line_limit.h"
#include "data/paste.h"
#include "data/store.h"
#include "settings/settings.h"

namespace lumo {

namespace {

using Role = ContactMapping::Role;

// The text pre-definition slot whose label carries a role, and its default.
struct RoleLabel {
    Role role;
    int slot;  // -1: a fixed label
    std::string_view default_text;
};
constexpr std::array<RoleLabel, ContactMapping::role_count> role_labels = {{
    {Role::phone, 0, "PhoneNumber: "},
    {Role::fax, 1, "FaxNumber: "},
    {Role::email, 2, "eMail: "},
    {Role::url, 3, "http:// "},
    {Role::birthday, 5, "Birthday: "},
    {Role::organisation, -1, "Company: "},
    {Role::title, 6, "Profession: "},
}};
constexpr int address_slot = 7;
constexpr std::string_view default_address_label = "Address: ";
constexpr std::string_view line_end = "\r\n";
constexpr std::string_view placeholder = " ";  // a line that looks empty holds one blank

bool is_blank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alnum(char c) { return is_digit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

bool all_blank(std::string_view s) { return trim(s).empty(); }

// The label without the blanks it ends with: what a typed line begins with.
std::string_view key_of(std::string_view label) {
    while (!label.empty() && label.back() == ' ') label.remove_suffix(1);
    return label;
}

bool starts_with_key(std::string_view line, std::string_view key) {
    if (key.empty() || line.size() < key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (ascii_lower(line[i]) != ascii_lower(key[i])) return false;
    // "Tel" must not take "Telegraph": a key ending in a letter or digit
    // needs a word boundary behind it.
    return !is_alnum(key.back()) || line.size() == key.size() || !is_alnum(line[key.size()]);
}

bool has_line_end(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; });
}

// One line of text: line ends become blanks, blanks and control characters
// at both ends go.
void make_single_line(std::string& s) {
    // Most values have nothing to change: no control byte, no blank at an end.
    if (s.empty() || (!is_blank(s.front()) && !is_blank(s.back()) && printable_run(s, 0) == s.size())) return;
    if (has_line_end(s)) std::replace_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const std::string_view t = trim(s);
    if (t.size() == s.size()) return;
    const auto front = static_cast<std::size_t>(t.data() - s.data());
    s.resize(front + t.size());
    s.erase(0, front);
}

// Every run of blanks and control characters becomes one blank; none at the ends.
void collapse_blanks(std::string& s) {
    std::size_t n = 0;
    bool blank_pending = false;
    for (const char c : s) {
        if (is_blank(c)) {
            blank_pending = true;
            continue;
        }
        if (blank_pending && n > 0) s[n++] = ' ';
        blank_pending = false;
        s[n++] = c;
    }
    s.resize(n);
}

// Drops empty values and makes the others single lines.
void tidy(TextList& list) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        make_single_line(list[i]);
        if (list[i].empty()) continue;
        if (kept != i) list[kept].swap(list[i]);
        ++kept;
    }
    while (list.size() > kept) list.remove_last();
}

void append_two_digits(std::string& out, int n) {
    out += static_cast<char>('0' + n / 10 % 10);
    out += static_cast<char>('0' + n % 10);
}

// Sets `line` to "postal-code locality", the place line of an entry.
void place_line(const PostalAddress& a, std::string& line) {
    line = a.postal_code;
    if (!line.empty() && !a.locality.empty()) line += ' ';
    line += a.locality;
}

// Appends "street, code locality, country" to `out`.
void append_one_line_address(const PostalAddress& a, std::string& out) {
    std::string place;
    place_line(a, place);
    bool first = true;
    for (std::string_view part : {std::string_view(a.street), std::string_view(place), std::string_view(a.country)}) {
        if (part.empty()) continue;
        if (!first) out += ", ";
        out += part;
        first = false;
    }
}

// True when `text` is lines of 1 to 253 characters of 32 and above, with
// CR LF between them: pasted, it would stay as it is.
bool plain_lines(std::string_view text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t length = printable_run(text, start);
        if (length == 0 || length >= static_cast<std::size_t>(max_line_length) - 1) return false;
        const std::size_t end = start + length;
        if (end == text.size()) return true;
        if (text[end] != '\r' || end + 1 >= text.size() || text[end + 1] != '\n') return false;
        start = end + 2;
    }
}

// Moves `lines` to `to` (the end of it), without the blank lines at their
// start and end; the strings are exchanged, not copied.
void move_without_blank_ends(TextList& lines, TextList& to) {
    std::size_t first = 0;
    std::size_t last = lines.size();
    while (first < last && all_blank(lines[first])) ++first;
    while (last > first && all_blank(lines[last - 1])) --last;
    if (first == 0 && to.empty()) {  // the usual case: the lists change places
        while (lines.size() > last) lines.remove_last();
        to.swap(lines);
        return;
    }
    for (std::size_t i = first; i < last; ++i) to.add().swap(lines[i]);
}

// Splits `text` at its line ends (CR LF, LF or CR) into `lines`.
void split_lines(std::string_view text, TextList& lines) {
    std::size_t start = 0;
    std::size_t i = 0;
    for (;;) {
        // Runs without control bytes are passed in one step.
        i += printable_run(text, i);
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') {
            ++i;
            continue;
        }
        lines.add(text.substr(start, i - start));
        if (i >= text.size()) return;
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = ++i;
    }
}

// Reads a number of up to `most` digits at `s`; advances `s`.
bool read_number(std::string_view& s, std::size_t least, std::size_t most, int& value) {
    std::size_t n = 0;
    value = 0;
    while (n < s.size() && n < most && is_digit(s[n])) value = value * 10 + (s[n++] - '0');
    if (n < least) return false;
    s.remove_prefix(n);
    return true;
}

bool take(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

bool valid_date(const Birthday& d) {
    return d.day >= 1 && d.day <= 31 && d.month >= 1 && d.month <= 12 && d.year >= 0 && d.year <= 9999;
}

}  // namespace

// ---- Contact ------------------------------------------------------------------

bool PostalAddress::empty() const {
    return street.empty() && postal_code.empty() && locality.empty() && country.empty();
}

void PostalAddress::clear() {
    street.clear();
    postal_code.clear();
    locality.clear();
    country.clear();
}

void Contact::clear() {
    family_name.clear();
    given_names.clear();
    formatted_name.clear();
    for (TextList* list : {&phones, &faxes, &emails, &urls, &organisations, &titles, &notes}) list->clear();
    addresses.clear();
    birthday = {};
    unreadable_birthday.clear();
    replaced = false;
}

bool Contact::empty() const {
    const auto blank_list = [](const TextList& list) {
        return std::all_of(list.begin(), list.end(), [](const std::string& s) { return all_blank(s); });
    };
    const bool no_address = std::all_of(addresses.begin(), addresses.end(), [](const PostalAddress& a) {
        return all_blank(a.street) && all_blank(a.postal_code) && all_blank(a.locality) && all_blank(a.country);
    });
    return all_blank(family_name) && all_blank(given_names) && all_blank(formatted_name) && blank_list(phones) &&
           blank_list(faxes) && blank_list(emails) && blank_list(urls) && blank_list(organisations) &&
           blank_list(titles) && blank_list(notes) && no_address && !birthday.known() &&
           all_blank(unreadable_birthday);
}

bool is_empty_date(std::string_view text) {
    text = trim(text);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c == '0' || !is_digit(c); }) &&
           std::any_of(text.begin(), text.end(), is_digit);
}

bool parse_date(std::string_view text, Birthday& date) {
    std::string_view s = trim(text);
    if (const std::size_t t = s.find('T'); t != std::string_view::npos) s = s.substr(0, t);
    Birthday d;
    std::string_view r = s;
    bool ok = false;
    if (r.starts_with("--")) {  // --03-14 or --0314: no year
        r.remove_prefix(2);
        ok = read_number(r, 2, 2, d.month) && (take(r, '-'), true) && read_number(r, 2, 2, d.day) && r.empty();
    } else if (r.size() == 8 && std::all_of(r.begin(), r.end(), is_digit)) {  // 19700314
        ok = read_number(r, 4, 4, d.year) && read_number(r, 2, 2, d.month) && read_number(r, 2, 2, d.day);
    } else if (r.size() >= 4 && r.find('-') == 4) {  // 1970-03-14
        ok = read_number(r, 4, 4, d.year) && take(r, '-') && read_number(r, 1, 2, d.month) && take(r, '-') &&
             read_number(r, 1, 2, d.day) && r.empty();
    } else if (r.find('.') != std::string_view::npos) {  // 14.03.1970, 14.03. or 14.03
        ok = read_number(r, 1, 2, d.day) && take(r, '.') && read_number(r, 1, 2, d.month) &&
             (!take(r, '.') || r.empty() || read_number(r, 4, 4, d.year)) && r.empty();
    } else if (r.find('/') != std::string_view::npos) {  // 3/14/1970
        ok = read_number(r, 1, 2, d.month) && take(r, '/') && read_number(r, 1, 2, d.day) && take(r, '/') &&
             read_number(r, 4, 4, d.year) && r.empty();
    }
    if (!ok || !valid_date(d)) return false;
    date = d;
    return true;
}

std::size_t put_iso_date(const Birthday& d, bool basic, char (&out)[16]) {
    const int n = d.year != 0 ? std::snprintf(out, sizeof out, basic ? "%04d%02d%02d" : "%04d-%02d-%02d", d.year, d.month, d.day)
                              : std::snprintf(out, sizeof out, basic ? "--%02d%02d" : "--%02d-%02d", d.month, d.day);
    return static_cast<std::size_t>(n);
}

// ---- The mapping ----------------------------------------------------------------

ContactMapping::ContactMapping(const Settings& settings) : separators_(settings.name_separators) {
    for (int c = 0; c < 256; ++c) ends_name_run_[static_cast<std::size_t>(c)] = is_blank(static_cast<char>(c));
    for (const char c : separators_) {
        if (c == '\0') continue;
        is_separator_[static_cast<unsigned char>(c)] = true;
        ends_name_run_[static_cast<unsigned char>(c)] = true;
        if (heading_separator_ == '\0') heading_separator_ = c;
    }
    for (char digit : settings.address_line_order) {
        if (digit < '2' || digit > '9' || postal_lines_.size() == 3) continue;
        const int line = digit - '1';
        if (std::find(postal_lines_.begin(), postal_lines_.end(), line) == postal_lines_.end())
            postal_lines_.push_back(line);
    }
    for (const RoleLabel& r : role_labels) {
        std::string& label = labels_[static_cast<std::size_t>(r.role)];
        const std::string_view configured =
            r.slot >= 0 ? text_of(settings.text_pre_definitions[static_cast<std::size_t>(r.slot)]) : r.default_text;
        label = std::string(key_of(configured).empty() ? r.default_text : configured);
        // The default label is understood too, so entries typed before the
        // labels were changed still read.
        const auto add_key = [&](std::string_view key) {
            const auto same = [&](const Key& k) { return k.role == r.role && k.text == key; };
            if (std::none_of(keys_.begin(), keys_.end(), same)) keys_.push_back({std::string(key), r.role});
        };
        add_key(key_of(label));
        add_key(key_of(r.default_text));
        if (r.role == Role::url) add_key("https://");
    }
    const auto group_of = [](const Key& k) { return static_cast<unsigned char>(ascii_lower(k.text.front())); };
    std::stable_sort(keys_.begin(), keys_.end(), [&](const Key& a, const Key& b) { return group_of(a) < group_of(b); });
    for (const Key& key : keys_) ++key_groups_[group_of(key) + 1u];
    for (std::size_t c = 1; c < key_groups_.size(); ++c) key_groups_[c] += key_groups_[c - 1];
    const std::string_view address = text_of(settings.text_pre_definitions[address_slot]);
    address_label_ = std::string(key_of(address).empty() ? default_address_label : address);
}

std::string_view ContactMapping::url_value(std::string_view key, std::string_view rest) {
    rest = trim(rest);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') return rest.substr(1, rest.size() - 2);
    // "http:// www.example.org" as typed with the pre-definition: the label
    // is the start of the address.
    if (!rest.empty() && key.ends_with("//") && rest.find("://") == std::string_view::npos) {
        value_.assign(key);
        value_ += rest;
        return value_;
    }
    return rest;
}

std::span<const ContactMapping::Key> ContactMapping::keys_for(std::string_view line) const {
    if (line.empty()) return {};
    const auto group = static_cast<unsigned char>(ascii_lower(line.front()));
    return std::span<const Key>(keys_).subspan(key_groups_[group], key_groups_[group + 1u] - key_groups_[group]);
}

ContactMapping::Role ContactMapping::role_of(std::string_view line, std::string_view& value) {
    for (const Key& key : keys_for(line)) {
        if (!starts_with_key(line, key.text)) continue;
        const std::string_view rest = line.substr(key.text.size());
        value = key.role == Role::url ? url_value(key.text, rest) : trim(rest);
        return key.role;
    }
    return Role::none;
}

bool ContactMapping::take_labelled(Contact& contact, Role role, std::string_view value) {
    if (value.empty()) return false;
    switch (role) {
    case Role::phone: contact.phones.add(value); return true;
    case Role::fax: contact.faxes.add(value); return true;
    case Role::email: contact.emails.add(value); return true;
    case Role::url: contact.urls.add(value); return true;
    case Role::organisation: contact.organisations.add(value); return true;
    case Role::title: contact.titles.add(value); return true;
    case Role::birthday: return !contact.birthday.known() && parse_date(value, contact.birthday);
    case Role::none: break;
    }
    return false;
}

void ContactMapping::read_heading(std::string_view heading, Contact& contact) const {
    const auto cut = std::find_if(heading.begin(), heading.end(),
                                  [&](char c) { return is_separator_[static_cast<unsigned char>(c)]; });
    const std::string_view name = trim(heading.substr(0, static_cast<std::size_t>(cut - heading.begin())));
    // A loop, not a library search: names are a few letters long.
    const auto blank = static_cast<std::size_t>(std::find(name.begin(), name.end(), ' ') - name.begin());
    contact.family_name.assign(name.substr(0, blank));
    if (blank < name.size()) contact.given_names.assign(trim(name.substr(blank + 1)));
    // The display name as the address field writes it with swapped names.
    contact.formatted_name = contact.given_names;
    if (!contact.formatted_name.empty()) contact.formatted_name += ' ';
    contact.formatted_name += contact.family_name;
    if (cut != heading.end()) {
        const std::string_view phone = trim(heading.substr(static_cast<std::size_t>(cut - heading.begin()) + 1));
        if (!phone.empty()) contact.phones.add(phone);
    }
}

namespace {

// Postal line `k` (street, place, country) into the address.
void read_postal_line(std::size_t k, std::string_view text, PostalAddress& address) {
    switch (k) {
    case 0: address.street.assign(text); break;
    case 1:
        if (!text.empty() && is_digit(text.front())) {
            const std::size_t space = text.find(' ');
            address.postal_code.assign(text.substr(0, space));
            if (space != std::string_view::npos) address.locality.assign(trim(text.substr(space)));
        } else {
            address.locality.assign(text);
        }
        break;
    default: address.country.assign(text); break;
    }
}

}  // namespace

void ContactMapping::read_entry(std::string_view entry, Contact& contact) {
    contact.clear();
    scan_line_texts(entry, entry_lines_);
    const std::size_t count = entry_lines_.size();
    read_heading(count > 0 ? entry_lines_[0] : std::string_view{}, contact);

    // The postal lines are among the unlabelled lines right below the heading.
    bool in_block = true;
    PostalAddress& address = contact.addresses.add();
    lines_.clear();
    for (std::size_t i = 1; i < count; ++i) {
        const std::string_view line = entry_lines_[i];
        std::string_view value;
        const Role role = role_of(line, value);
        in_block = in_block && role == Role::none;
        const auto postal = std::find(postal_lines_.begin(), postal_lines_.end(), static_cast<int>(i));
        if (in_block && postal != postal_lines_.end()) {
            read_postal_line(static_cast<std::size_t>(postal - postal_lines_.begin()), trim(line), address);
            continue;
        }
        if (role == Role::none || !take_labelled(contact, role, value)) lines_.add(line);
    }
    if (address.empty()) contact.addresses.remove_last();
    // Blank lines that only held places open are no notes.
    move_without_blank_ends(lines_, contact.notes);
}

void ContactMapping::demote_labelled_postal_parts(PostalAddress& a) {
    // A postal line that begins with a label would read as a labelled line
    // (and end the postal lines): it is taken as the entry would take it.
    std::string_view value;
    if (role_of(a.street, value) != Role::none) {
        lines_.add(a.street);
        a.street.clear();
    }
    // The place line is put together only when it may begin with a label.
    const std::string_view place_start = a.postal_code.empty() ? a.locality : a.postal_code;
    if (may_be_labelled(place_start) && (place_line(a, place_), role_of(place_, value) != Role::none)) {
        lines_.add(place_);
        a.postal_code.clear();
        a.locality.clear();
    }
    if (role_of(a.country, value) != Role::none) {
        lines_.add(a.country);
        a.country.clear();
    }
}

void ContactMapping::normalise(Contact& contact) {
    for (std::string* s : {&contact.family_name, &contact.given_names, &contact.formatted_name})
        make_single_line(*s);
    for (TextList* list : {&contact.phones, &contact.faxes, &contact.emails, &contact.urls,
                           &contact.organisations, &contact.titles})
        tidy(*list);
    // Addresses without text go; the first one left is the entry's.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < contact.addresses.size(); ++i) {
        PostalAddress& a = contact.addresses[i];
        for (std::string* s : {&a.street, &a.postal_code, &a.locality, &a.country}) make_single_line(*s);
        if (a.empty()) continue;
        if (kept != i) std::swap(contact.addresses[kept], a);
        ++kept;
    }
    while (contact.addresses.size() > kept) contact.addresses.remove_last();

    // The note lines, with what the entry has no other place for in front.
    lines_.clear();
    if (!contact.addresses.empty()) demote_labelled_postal_parts(contact.addresses[0]);
    if (!contact.addresses.empty() && postal_lines_.size() < 3 && !contact.addresses[0].country.empty()) {
        lines_.add(contact.addresses[0].country);
        contact.addresses[0].country.clear();
    }
    for (std::size_t i = 1; i < contact.addresses.size(); ++i) {
        std::string& line = lines_.add();
        line = address_label_;
        append_one_line_address(contact.addresses[i], line);
    }
    if (!all_blank(contact.unreadable_birthday)) {
        std::string& line = lines_.add();
        line = labels_[static_cast<std::size_t>(Role::birthday)];
        line += trim(contact.unreadable_birthday);
        make_single_line(line);
    }
    for (const std::string& note : contact.notes) split_lines(note, lines_);

    // A note line that begins with a label is what reading the entry would
    // make of it.
    std::size_t kept_lines = 0;
    std::string_view value;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Role role = role_of(lines_[i], value);
        if (role != Role::none && take_labelled(contact, role, value)) continue;
        if (kept_lines != i) lines_[kept_lines].swap(lines_[i]);
        ++kept_lines;
    }
    while (lines_.size() > kept_lines) lines_.remove_last();
    contact.notes.clear();
    move_without_blank_ends(lines_, contact.notes);
}

void ContactMapping::append_line(std::string_view text) {
    if (!body_.empty()) body_ += line_end;
    body_ += text;
}

void ContactMapping::append_labelled_text(Role role, std::string_view value, std::string& out) const {
    out += labels_[static_cast<std::size_t>(role)];
    if (role == Role::url) out += '"';
    out += value;
    if (role == Role::url) out += '"';
}

void ContactMapping::append_birthday_text(const Birthday& date, std::string& out) const {
    out += labels_[static_cast<std::size_t>(Role::birthday)];
    append_two_digits(out, date.day);
    out += '.';
    append_two_digits(out, date.month);
    out += '.';
    if (date.year != 0) {  // four digits, so that it reads back as a year
        append_two_digits(out, date.year / 100);
        append_two_digits(out, date.year % 100);
    }
}

void ContactMapping::append_labelled(Role role, std::string_view value) {
    body_ += line_end;
    append_labelled_text(role, value, body_);
}

void ContactMapping::append_collapsed(std::string_view text, std::size_t name_start, bool& blank_pending) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (ends_name_run_[static_cast<unsigned char>(c)]) {
            blank_pending = blank_pending || !is_separator_[static_cast<unsigned char>(c)];
            ++i;
            continue;
        }
        if (blank_pending && body_.size() > name_start) body_ += ' ';
        blank_pending = false;
        std::size_t end = i + 1;
        while (end < text.size() && !ends_name_run_[static_cast<unsigned char>(text[end])]) ++end;
        body_.append(text.data() + i, end - i);
        i = end;
    }
}

void ContactMapping::append_heading(const Contact& contact) {
    // The name, else the display name, the company or the e-mail address:
    // the first that keeps any text once separators (which would end the
    // name early) and runs of blanks (which would not read back the same)
    // are gone.
    const std::size_t start = body_.size();
    bool blank_pending = false;
    append_collapsed(contact.family_name, start, blank_pending);
    // The blank between family and given names, unless blanks are separators.
    blank_pending = blank_pending || !is_separator_[' '];
    append_collapsed(contact.given_names, start, blank_pending);
    const std::string_view sources[] = {std::string_view(contact.formatted_name),
                                        contact.organisations.empty() ? "" : std::string_view(contact.organisations[0]),
                                        contact.emails.empty() ? "" : std::string_view(contact.emails[0])};
    for (const std::string_view source : sources) {
        if (body_.size() > start) break;
        blank_pending = false;
        append_collapsed(source, start, blank_pending);
    }

    if (heading_separator_ != '\0' && !contact.phones.empty()) {
        body_ += heading_separator_;
        body_ += ' ';
        body_ += contact.phones[0];
    }
    if (body_.empty()) body_ += placeholder;
}

void ContactMapping::append_postal_lines(const Contact& contact, bool notes_follow_directly) {
    std::array<std::string_view, 3> parts{};
    if (!contact.addresses.empty()) {
        const PostalAddress& a = contact.addresses[0];
        parts[0] = a.street;
        place_line(a, place_);
        // Read back, the line splits at its first blank and loses the blanks around it.
        collapse_blanks(place_);
        parts[1] = place_;
        parts[2] = a.country;
    }
    // Write up to the last postal line that has a value; when notes follow
    // with no labelled line between, up to the last postal line at all, so
    // that no note takes a postal line's place.
    int last_line = 0;
    for (std::size_t k = 0; k < postal_lines_.size(); ++k)
        if (notes_follow_directly || !parts[k].empty()) last_line = std::max(last_line, postal_lines_[k]);
    for (int line = 1; line <= last_line; ++line) {
        const auto postal = std::find(postal_lines_.begin(), postal_lines_.end(), line);
        const std::string_view text =
            postal == postal_lines_.end() ? std::string_view{} : parts[static_cast<std::size_t>(postal - postal_lines_.begin())];
        append_line(text.empty() ? placeholder : text);
    }
}

void ContactMapping::append_labelled_lines(const Contact& contact) {
    for (std::size_t i = heading_separator_ != '\0' ? 1 : 0; i < contact.phones.size(); ++i)
        append_labelled(Role::phone, contact.phones[i]);
    for (const std::string& v : contact.faxes) append_labelled(Role::fax, v);
    for (const std::string& v : contact.emails) append_labelled(Role::email, v);
    for (const std::string& v : contact.urls) append_labelled(Role::url, v);
    if (contact.birthday.known()) {
        body_ += line_end;
        append_birthday_text(contact.birthday, body_);
    }
    for (const std::string& v : contact.organisations) append_labelled(Role::organisation, v);
    for (const std::string& v : contact.titles) append_labelled(Role::title, v);
}

bool ContactMapping::has_labelled_lines(const Contact& c) const {
    return c.phones.size() > (heading_separator_ != '\0' ? 1u : 0u) || !c.faxes.empty() || !c.emails.empty() ||
           !c.urls.empty() || c.birthday.known() || !c.organisations.empty() || !c.titles.empty();
}

bool ContactMapping::append_entry(Contact& contact, std::string& out) {
    normalise(contact);
    body_.clear();
    append_heading(contact);
    // The postal lines go between the heading and the labelled lines.
    append_postal_lines(contact, !has_labelled_lines(contact) && !contact.notes.empty());
    append_labelled_lines(contact);
    for (const std::string& note : contact.notes) {
        body_ += line_end;
        body_ += note;
    }
    if (body_ == placeholder) return false;  // a name of separators alone, say: nothing to keep
    if (plain_lines(body_)) {
        out += body_;  // nothing that cleaning or line breaking would change
    } else {
        // A NUL would end the text for the cleaning: it is a control character like the others.
        std::replace(body_.begin(), body_.end(), '\0', ' ');
        cleaned_.clear();
        append_clean_text(body_, cleaned_);
        append_breaking_long_lines(cleaned_, 0, 0, out);
    }
    out += entry_terminator;
    return true;
}

}  // namespace lumo

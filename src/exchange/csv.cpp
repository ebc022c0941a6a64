// CSV reading and writing.
#include "exchange/csv.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "exchange/read_in_halves.h"
#include "exchange/text_code.h"

namespace lumo {

namespace {

using Role = ContactMapping::Role;

// ---- Recognising the columns ------------------------------------------------------

enum class Column : std::uint8_t {
    none, first_name, middle_name, last_name, full_name, phone, phone_type, fax, email, url, birthday,
    birth_year, birth_month, company, job_title, notes,
    street, street_more, house_number, locality, region, postal_code, country, post_office_box,
};

struct ColumnName {
    std::string_view name;  // lower case, letters and digits only, German letters spelt out
    Column column;
    int rank = 0;           // phones: the order they take in the entry
};

// Whole header names (and the word in front of a number: "Phone 1 - Value").
constexpr ColumnName column_names[] = {
    {"firstname", Column::first_name}, {"givenname", Column::first_name}, {"vorname", Column::first_name},
    {"middlename", Column::middle_name}, {"additionalname", Column::middle_name},
    {"weiterevornamen", Column::middle_name}, {"zweitervorname", Column::middle_name},
    {"lastname", Column::last_name}, {"familyname", Column::last_name}, {"surname", Column::last_name},
    {"nachname", Column::last_name}, {"familienname", Column::last_name},
    {"name", Column::full_name}, {"displayname", Column::full_name}, {"fullname", Column::full_name},
    {"anzeigename", Column::full_name},
    {"homephone", Column::phone, 0}, {"telefonprivat", Column::phone, 0}, {"telprivat", Column::phone, 0},
    {"privattelefon", Column::phone, 0},
    {"mobilephone", Column::phone, 1}, {"mobile", Column::phone, 1}, {"mobilenumber", Column::phone, 1},
    {"mobiltelefon", Column::phone, 1}, {"mobil", Column::phone, 1}, {"handy", Column::phone, 1},
    {"mobiltelnr", Column::phone, 1}, {"cellphone", Column::phone, 1},
    {"businessphone", Column::phone, 2}, {"workphone", Column::phone, 2},
    {"telefongeschaeftlich", Column::phone, 2}, {"teldienstlich", Column::phone, 2},
    {"primaryphone", Column::phone, 3}, {"companymainphone", Column::phone, 3},
    {"otherphone", Column::phone, 4}, {"weiterestelefon", Column::phone, 4},
    {"phone", Column::phone, 5}, {"telephone", Column::phone, 5}, {"phonenumber", Column::phone, 5},
    {"telefon", Column::phone, 5}, {"tel", Column::phone, 5}, {"telefonnummer", Column::phone, 5},
    {"carphone", Column::phone, 6}, {"autotelefon", Column::phone, 6},
    {"pager", Column::phone, 7}, {"pagernumber", Column::phone, 7}, {"pagernummer", Column::phone, 7},
    {"businessfax", Column::fax}, {"homefax", Column::fax}, {"otherfax", Column::fax}, {"fax", Column::fax},
    {"faxnumber", Column::fax}, {"faxnummer", Column::fax}, {"telefax", Column::fax},
    {"faxgeschaeftlich", Column::fax}, {"faxprivat", Column::fax}, {"weiteresfax", Column::fax},
    {"email", Column::email}, {"emailaddress", Column::email}, {"emailadresse", Column::email},
    {"mail", Column::email}, {"primaryemail", Column::email}, {"secondaryemail", Column::email},
    {"primaereemailadresse", Column::email}, {"sekundaereemailadresse", Column::email},
    {"webpage", Column::url}, {"website", Column::url}, {"webseite", Column::url}, {"homepage", Column::url},
    {"url", Column::url}, {"web", Column::url}, {"personalwebpage", Column::url},
    {"businesswebpage", Column::url}, {"internet", Column::url},
    {"birthday", Column::birthday}, {"geburtstag", Column::birthday}, {"birthdate", Column::birthday},
    {"geburtsdatum", Column::birthday}, {"birthyear", Column::birth_year},
    {"geburtsjahr", Column::birth_year}, {"birthmonth", Column::birth_month},
    {"geburtsmonat", Column::birth_month},
    {"company", Column::company}, {"organization", Column::company}, {"organisation", Column::company},
    {"organizationname", Column::company}, {"firma", Column::company}, {"unternehmen", Column::company},
    {"jobtitle", Column::job_title}, {"organizationtitle", Column::job_title},
    {"position", Column::job_title}, {"arbeitstitel", Column::job_title}, {"beruf", Column::job_title},
    {"notes", Column::notes}, {"note", Column::notes}, {"notizen", Column::notes},
    {"notiz", Column::notes}, {"bemerkungen", Column::notes}, {"bemerkung", Column::notes},
    {"kommentar", Column::notes},
};

// The parts of a postal address, behind or in front of a group word.
constexpr ColumnName address_parts[] = {
    {"street", Column::street}, {"strasse", Column::street}, {"address", Column::street},
    {"adresse", Column::street}, {"anschrift", Column::street}, {"streetaddress", Column::street},
    {"street2", Column::street_more}, {"street3", Column::street_more}, {"strasse2", Column::street_more},
    {"strasse3", Column::street_more}, {"address2", Column::street_more}, {"adresse2", Column::street_more},
    {"extendedaddress", Column::street_more},
    {"hausnummer", Column::house_number}, {"housenumber", Column::house_number},
    {"city", Column::locality}, {"ort", Column::locality}, {"stadt", Column::locality},
    {"wohnort", Column::locality}, {"town", Column::locality},
    {"state", Column::region}, {"region", Column::region}, {"bundesland", Column::region},
    {"kanton", Column::region}, {"bundeslandkanton", Column::region},
    {"postalcode", Column::postal_code}, {"zipcode", Column::postal_code}, {"zip", Column::postal_code},
    {"plz", Column::postal_code}, {"postleitzahl", Column::postal_code},
    {"country", Column::country}, {"countryregion", Column::country}, {"landregion", Column::country},
    {"land", Column::country},
    {"pobox", Column::post_office_box}, {"postfach", Column::post_office_box},
    {"postofficebox", Column::post_office_box},
};

// Group words of the address columns and the place their address takes
// among several (the home address first).
struct AddressGroup {
    std::string_view word;
    int rank;
};
constexpr std::array<AddressGroup, 10> address_groups = {{
    {"home", 0}, {"privat", 0}, {"business", 100}, {"work", 100}, {"geschaeftlich", 100},
    {"dienstlich", 100}, {"other", 200}, {"weitere", 200}, {"weiterer", 200}, {"weiteres", 200},
}};

// "Stra\xdf" "e privat" -> "strasseprivat", "E-mail 1 - Value" -> "email1value".
std::string normalised_name(std::string_view header) {
    std::string out;
    for (char c : header) {
        const auto b = static_cast<unsigned char>(c);
        if (c >= 'A' && c <= 'Z') out += static_cast<char>(c + ('a' - 'A'));
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += c;
        else if (b == 0xE4 || b == 0xC4) out += "ae";
        else if (b == 0xF6 || b == 0xD6) out += "oe";
        else if (b == 0xFC || b == 0xDC) out += "ue";
        else if (b == 0xDF) out += "ss";
    }
    return out;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

const ColumnName* find_name(std::string_view name, const auto& table) {
    for (const ColumnName& c : table)
        if (c.name == name) return &c;
    return nullptr;
}

// What a header names, with the group of an address part and a rank.
struct ColumnRole {
    Column column = Column::none;
    int group = 0;      // address groups: their rank; phones and their types: the number they carry
    int rank = 0;       // phones: the order they take
};

ColumnRole address_role(std::string_view name) {
    // "address1street": the numbered addresses of web mail.
    if (name.starts_with("address") && name.size() > 7 && is_digit(name[7])) {
        std::size_t end = 7;
        int number = 0;
        while (end < name.size() && is_digit(name[end]) && number < 1000) number = number * 10 + (name[end++] - '0');
        if (const ColumnName* part = find_name(name.substr(end), address_parts)) return {part->column, number, 0};
        return {};
    }
    if (const ColumnName* part = find_name(name, address_parts)) return {part->column, 0, 0};
    for (const AddressGroup& g : address_groups) {
        if (name.starts_with(g.word))
            if (const ColumnName* part = find_name(name.substr(g.word.size()), address_parts))
                return {part->column, g.rank, 0};
        if (name.ends_with(g.word))
            if (const ColumnName* part = find_name(name.substr(0, name.size() - g.word.size()), address_parts))
                return {part->column, g.rank, 0};
    }
    return {};
}

ColumnRole column_role(std::string_view header) {
    const std::string name = normalised_name(header);
    if (const ColumnName* c = find_name(name, column_names)) return {c->column, 0, c->rank * 1000};
    // A word, a number and what the column holds of it: "phone1value",
    // "email2address", "homephone2", "organization1title".
    std::size_t digits = 0;
    while (digits < name.size() && !is_digit(name[digits])) ++digits;
    std::size_t after = digits;
    int number = 0;
    while (after < name.size() && is_digit(name[after]) && number < 1000) number = number * 10 + (name[after++] - '0');
    if (after > digits) {
        const std::string_view word = std::string_view(name).substr(0, digits);
        const std::string_view what = std::string_view(name).substr(after);
        if (word == "phone" && (what == "type" || what == "label")) return {Column::phone_type, number, 0};
        if (word == "organization" && what == "name") return {Column::company, 0, 0};
        if (word == "organization" && what == "title") return {Column::job_title, 0, 0};
        if (what.empty() || what == "value" || what == "address" || what == "adresse")
            if (const ColumnName* c = find_name(word, column_names)) {
                if (c->column == Column::phone) return {Column::phone, number, c->rank * 1000 + number};
                if (c->column == Column::fax || c->column == Column::email || c->column == Column::url)
                    return {c->column, number, 0};
            }
    }
    return address_role(name);
}

// ---- Reading the rows ------------------------------------------------------------

char separator_of(std::string_view header_line) {
    std::array<std::size_t, 3> counts{};
    constexpr std::array<char, 3> candidates = {',', ';', '\t'};
    bool quoted = false;
    for (char c : header_line) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        for (std::size_t k = 0; k < candidates.size(); ++k)
            if (c == candidates[k]) ++counts[k];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? ',' : candidates[static_cast<std::size_t>(most - counts.begin())];
}

class RowReader {
public:
    RowReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    enum class Row { read, cut_off, end };

    // The next record's fields (raw bytes, quotes removed). A quote that
    // stays open to the end of the text cuts the record off: it is given up
    // and reading goes on at the line behind its start, from then on with
    // quotes that end at the line end.
    Row next(TextList& fields) {
        if (pos_ >= text_.size()) return Row::end;
        const std::size_t start = pos_;
        fields.clear();
        for (;;) {
            // Columns beyond any export's are read past, not kept: a line of
            // separators alone must not cost memory many times its size.
            std::string& field = fields.size() < most_columns ? fields.add() : (surplus_.clear(), surplus_);
            const bool closed = read_field(field);
            if (!closed) {
                pos_ = line_end_after(start);
                lines_only_ = true;
                return Row::cut_off;
            }
            if (pos_ >= text_.size()) return Row::read;
            const char c = text_[pos_];
            if (c == separator_) {
                ++pos_;
                continue;
            }
            skip_line_end();
            return Row::read;
        }
    }

    // Where the next record begins.
    std::size_t at() const { return pos_; }
    void move_to(std::size_t pos) { pos_ = pos; }
    // Whether quotes end at line ends since a record was cut off.
    bool lines_only() const { return lines_only_; }

    // The first line of the text (for finding the separator).
    static std::string_view first_line(std::string_view text) {
        return text.substr(0, std::min(text.find_first_of("\r\n"), text.size()));
    }

private:
    bool at_line_end() const { return text_[pos_] == '\r' || text_[pos_] == '\n'; }

    void skip_line_end() {
        if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }

    std::size_t line_end_after(std::size_t from) const {
        std::size_t i = from;
        while (i < text_.size() && text_[i] != '\r' && text_[i] != '\n') ++i;
        if (i < text_.size() && text_[i] == '\r') ++i;
        if (i < text_.size() && text_[i] == '\n') ++i;
        return std::max(i, from + 1);
    }

    // Reads one field up to its separator or line end; false when a quote
    // stays open to the end.
    bool read_field(std::string& field) {
        if (pos_ < text_.size() && text_[pos_] == '"') {
            ++pos_;
            for (;;) {
                // The text up to the next quote (or line end) in one piece.
                const std::size_t run = pos_;
                if (lines_only_) {
                    while (pos_ < text_.size() && text_[pos_] != '"' && !at_line_end()) ++pos_;
                } else {
                    const void* quote = std::memchr(text_.data() + pos_, '"', text_.size() - pos_);
                    pos_ = quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - text_.data()) : text_.size();
                }
                field.append(text_.data() + run, pos_ - run);
                if (pos_ >= text_.size()) return false;
                const char c = text_[pos_];
                if (c == '"') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                        field += '"';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                break;  // a line end that ends the field
            }
        }
        // Unquoted text, or what follows a closing quote: up to the separator.
        const std::size_t from = pos_;
        while (pos_ < text_.size() && text_[pos_] != separator_ && !at_line_end()) ++pos_;
        field.append(text_.data() + from, pos_ - from);
        return true;
    }

    static constexpr std::size_t most_columns = 1024;

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    bool lines_only_ = false;
    std::string surplus_;
};

bool blank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
    return s;
}

bool contains_fax(std::string_view s) {
    for (std::size_t i = 0; i + 3 <= s.size(); ++i)
        if ((s[i] | 0x20) == 'f' && (s[i + 1] | 0x20) == 'a' && (s[i + 2] | 0x20) == 'x') return true;
    return false;
}

// Web mail writes several values of one numbered column ("Phone 1 -
// Value") separated by " ::: "; other columns hold one value.
template <typename Add>
void each_value(std::string_view field, bool numbered, Add add) {
    constexpr std::string_view between = " ::: ";
    for (;;) {
        const std::size_t at = numbered ? field.find(between) : std::string_view::npos;
        const std::string_view value = trim(field.substr(0, at));
        if (!value.empty()) add(value);
        if (at == std::string_view::npos) return;
        field.remove_prefix(at + between.size());
    }
}

int small_number(std::string_view s) {
    s = trim(s);
    if (s.empty() || s.size() > 4 || !std::all_of(s.begin(), s.end(), is_digit)) return 0;
    int n = 0;
    for (char c : s) n = n * 10 + (c - '0');
    return n;
}

class CsvReader {
public:
    // Leading empty lines before the header are passed over.
    CsvReader(std::string_view text, const ContactSink& sink)
        : text_(text.substr(std::min(text.find_first_not_of("\r\n"), text.size()))),
          utf8_(is_valid_utf8(text_)),
          sink_(&sink),
          rows_(text_, separator_of(RowReader::first_line(text_))) {}

    ReadCounts run() {
        if (read_header()) read_until(std::string_view::npos);
        return counts_;
    }

    // False when there is no header (and so nothing to read).
    bool read_header() {
        if (rows_.next(fields_) != RowReader::Row::read) return false;
        map_header();
        return true;
    }

    // Reads the rows that begin before `stop`; true when a row begins there
    // and quotes still end where they close.
    bool read_until(std::size_t stop) {
        while (rows_.at() < stop) {
            const RowReader::Row row = rows_.next(fields_);
            if (row == RowReader::Row::end) break;
            if (row == RowReader::Row::cut_off) {
                ++counts_.unreadable;
                continue;
            }
            read_row();
        }
        return rows_.at() == stop && !rows_.lines_only();
    }
    ReadCounts finish() const { return counts_; }
    // Rows are counted each on its own: nothing to learn from the reader before.
    ReadCounts finish_after(const CsvReader&) const { return finish(); }
    const ReadCounts& counts() const { return counts_; }

    // A row near the middle of the rows, where a second reader may begin;
    // npos when there is none. A row begins behind a line end with an even
    // number of quotes in front of it (a guess: a quote inside an unquoted
    // field counts too; the first reader proves it).
    std::size_t middle_row() const {
        const std::size_t from = rows_.at();
        std::size_t split = from + (text_.size() - from) / 2;
        auto quotes = std::count(text_.begin() + static_cast<std::ptrdiff_t>(from),
                                 text_.begin() + static_cast<std::ptrdiff_t>(split), '"');
        for (int line = 0; line < 64; ++line) {
            const std::size_t end = text_.find('\n', split);
            if (end == std::string_view::npos || end + 1 >= text_.size()) return std::string_view::npos;
            quotes += std::count(text_.begin() + static_cast<std::ptrdiff_t>(split),
                                 text_.begin() + static_cast<std::ptrdiff_t>(end), '"');
            split = end + 1;
            if (quotes % 2 == 0) return split;
        }
        return std::string_view::npos;
    }
    // This reader, its header read, as a second one for the rows from `split`.
    CsvReader second_from(std::size_t split, const ContactSink& sink) const {
        CsvReader rest(*this);
        rest.sink_ = &sink;
        rest.rows_.move_to(split);
        return rest;
    }

private:
    void map_header() {
        std::vector<int> ranks;
        std::vector<std::pair<int, std::size_t>> type_columns;
        for (std::size_t k = 0; k < fields_.size(); ++k) {
            value_.clear();
            convert(fields_[k], value_);
            const ColumnRole role = column_role(value_);
            roles_.push_back(role);
            if (role.column >= Column::street) ranks.push_back(role.group);
            if (role.column == Column::phone_type) type_columns.emplace_back(role.group, k);
        }
        // "Name" beside "Vorname" and no "Nachname" is the family name.
        const auto has = [&](Column c) {
            return std::any_of(roles_.begin(), roles_.end(), [c](const ColumnRole& r) { return r.column == c; });
        };
        if (has(Column::first_name) && !has(Column::last_name))
            for (ColumnRole& r : roles_)
                if (r.column == Column::full_name) r.column = Column::last_name;
        // Address groups become slots in the order of their ranks (home first).
        std::sort(ranks.begin(), ranks.end());
        ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
        for (ColumnRole& r : roles_)
            if (r.column >= Column::street)
                r.group = static_cast<int>(std::lower_bound(ranks.begin(), ranks.end(), r.group) - ranks.begin());
        slot_parts_.resize(ranks.size());
        slot_in_use_.assign(ranks.size(), false);
        // Each numbered phone column with the column that tells its type.
        std::sort(type_columns.begin(), type_columns.end());
        type_column_.assign(roles_.size(), no_column);
        for (std::size_t k = 0; k < roles_.size(); ++k) {
            if (roles_[k].column != Column::phone || roles_[k].group == 0) continue;
            const auto it = std::lower_bound(type_columns.begin(), type_columns.end(),
                                             std::pair<int, std::size_t>{roles_[k].group, 0});
            if (it != type_columns.end() && it->first == roles_[k].group) type_column_[k] = it->second;
        }
    }

    void convert(std::string_view field, std::string& out) {
        if (!utf8_) {
            out.append(field);
        } else if (append_utf8_as_1252(field, out) > 0) {
            contact_.replaced = true;
        }
    }

    // The field of column k as Windows-1252.
    std::string_view untrimmed_field(std::size_t k) {
        const std::string& raw = fields_[k];
        // Text that no conversion would change is read where it stands.
        if (!utf8_ || is_ascii(raw)) return raw;
        value_.clear();
        convert(raw, value_);
        return value_;
    }
    std::string_view field(std::size_t k) { return trim(untrimmed_field(k)); }

    void read_row() {
        contact_.clear();
        phones_.clear();
        touched_.clear();
        bool anything = false;
        int birth_year = 0, birth_month = 0, birth_day = 0;
        const std::size_t count = std::min(fields_.size(), roles_.size());
        // "0/0/00" in a birthday column is how some programs leave it empty.
        for (std::size_t k = 0; k < fields_.size(); ++k)
            anything = anything || !(blank(fields_[k]) || (k < count && roles_[k].column == Column::birthday &&
                                                           is_empty_date(fields_[k])));
        for (std::size_t k = 0; k < count; ++k) {
            const ColumnRole role = roles_[k];
            if (role.column == Column::none || role.column == Column::phone_type || blank(fields_[k])) continue;
            const std::string_view v = field(k);
            switch (role.column) {
            case Column::first_name: append_word(contact_.given_names, v, true); break;
            case Column::middle_name: append_word(contact_.given_names, v, false); break;
            case Column::last_name: contact_.family_name.assign(v); break;
            case Column::full_name: contact_.formatted_name.assign(v); break;
            case Column::phone: {
                const bool fax = contains_fax(type_of_phone(k));
                each_value(v, role.group != 0, [&](std::string_view number) {
                    if (fax) contact_.faxes.add(number);
                    else phones_.push_back({role.rank, phones_.size(), std::string(number)});
                });
                break;
            }
            case Column::fax: each_value(v, role.group != 0, [&](std::string_view s) { contact_.faxes.add(s); }); break;
            case Column::email: each_value(v, role.group != 0, [&](std::string_view s) { contact_.emails.add(s); }); break;
            case Column::url: each_value(v, role.group != 0, [&](std::string_view s) { contact_.urls.add(s); }); break;
            case Column::company: contact_.organisations.add(v); break;
            case Column::job_title: contact_.titles.add(v); break;
            case Column::notes: contact_.notes.add(untrimmed_field(k)); break;
            case Column::birth_year: birth_year = small_number(v); break;
            case Column::birth_month: birth_month = small_number(v); break;
            case Column::birthday:
                if (parse_date(v, contact_.birthday) || is_empty_date(v)) break;
                if (const int day = small_number(v); day >= 1 && day <= 31) birth_day = day;  // a day-of-month column
                else contact_.unreadable_birthday.assign(v);
                break;
            default: take_address_part(role, v); break;
            }
        }
        if (!contact_.birthday.known() && birth_day > 0 && birth_month >= 1 && birth_month <= 12)
            contact_.birthday = {birth_day, birth_month, birth_year};
        std::sort(touched_.begin(), touched_.end());
        for (int slot : touched_) {
            contact_.addresses.add() = slot_parts_[static_cast<std::size_t>(slot)];
            slot_in_use_[static_cast<std::size_t>(slot)] = false;
        }
        if (phones_.size() > 1) std::stable_sort(phones_.begin(), phones_.end());
        for (const Phone& p : phones_) contact_.phones.add(p.number);
        if (!anything) return;
        if (contact_.empty()) {
            ++counts_.unreadable;
            return;
        }
        ++counts_.read;
        (*sink_)(contact_);
    }

    static void append_word(std::string& to, std::string_view word, bool in_front) {
        if (to.empty()) {
            to.assign(word);
        } else if (in_front) {
            to.insert(0, std::string(word) + ' ');
        } else {
            to += ' ';
            to += word;
        }
    }

    std::string_view type_of_phone(std::size_t column) {
        if (column >= type_column_.size() || type_column_[column] == no_column) return {};
        const std::size_t k = type_column_[column];
        if (k >= fields_.size()) return {};
        type_.clear();
        convert(fields_[k], type_);
        return type_;
    }

    void take_address_part(ColumnRole role, std::string_view v) {
        const auto slot = static_cast<std::size_t>(role.group);
        PostalAddress& a = slot_parts_[slot];
        if (!slot_in_use_[slot]) {
            slot_in_use_[slot] = true;
            touched_.push_back(role.group);
            a.clear();
        }
        const auto join = [](std::string& to, std::string_view part, std::string_view between) {
            if (!to.empty()) to += between;
            to += part;
        };
        switch (role.column) {
        case Column::street: join(a.street, v, ", "); break;
        case Column::street_more: join(a.street, v, ", "); break;
        case Column::house_number: join(a.street, v, " "); break;
        case Column::post_office_box: join(a.street, v, ", "); break;
        case Column::locality:
            if (a.locality.empty()) a.locality.assign(v);
            else a.locality.insert(0, std::string(v) + ", ");
            break;
        case Column::region: join(a.locality, v, ", "); break;
        case Column::postal_code: a.postal_code.assign(v); break;
        case Column::country: a.country.assign(v); break;
        default: break;
        }
    }

    struct Phone {
        int rank;
        std::size_t order;
        std::string number;
        bool operator<(const Phone& other) const { return rank < other.rank; }
    };

    std::string_view text_;
    bool utf8_;
    const ContactSink* sink_;
    RowReader rows_;
    ReadCounts counts_;
    TextList fields_;
    std::vector<ColumnRole> roles_;
    Contact contact_;
    std::string value_;
    std::string type_;
    std::vector<Phone> phones_;
    static constexpr std::size_t no_column = static_cast<std::size_t>(-1);
    std::vector<std::size_t> type_column_;   // for each column: the column with its phone's type
    std::vector<PostalAddress> slot_parts_;  // the address of each group in the row
    std::vector<bool> slot_in_use_;
    std::vector<int> touched_;               // the groups the row has text in
};

// ---- Writing --------------------------------------------------------------------

constexpr std::array<std::string_view, 16> export_columns = {
    "First Name", "Last Name",  "E-mail Address", "Business Phone", "Home Phone", "Mobile Phone",
    "Business Fax", "Home Street", "Home City", "Home Postal Code", "Home Country/Region", "Birthday",
    "Company", "Job Title", "Web Page", "Notes"};

// Writes `ansi` quoted, as UTF-8, at `w` (3 * size + 3 bytes at most) with
// `separator` behind it; returns the end.
char* put_field(std::string_view ansi, std::string_view separator, char* w) {
    static constexpr ByteForms quoted = utf8_forms("\"", '"', "\"");
    *w++ = '"';
    w = put_in_forms(ansi, quoted, w);
    *w++ = '"';
    std::memcpy(w, separator.data(), separator.size());
    return w + separator.size();
}

// Appends one record: every field quoted, commas between, CR LF behind;
// written in place, in room for the most it can take.
void append_record(std::span<const std::string_view> fields, std::string& out) {
    std::size_t most = 1;  // the line end's second byte
    for (const std::string_view field : fields) most += 3 * field.size() + 3;
    const std::size_t old = out.size();
    out.resize(old + most);
    char* w = out.data() + old;
    for (std::size_t k = 0; k < fields.size(); ++k) w = put_field(fields[k], k + 1 < fields.size() ? "," : "\r\n", w);
    out.resize(static_cast<std::size_t>(w - out.data()));
}

std::string_view nth(const TextList& list, std::size_t k) { return k < list.size() ? std::string_view(list[k]) : ""; }

}  // namespace

ReadCounts read_csv(std::string_view bytes, const ContactSink& sink) {
    std::string storage;
    return CsvReader(text_without_byte_order_mark(bytes, storage), sink).run();
}

ReadInHalves read_csv_in_halves(std::string_view bytes, const ContactSink& first, const ContactSink& second) {
    std::string storage;
    CsvReader whole(text_without_byte_order_mark(bytes, storage), first);
    if (!whole.read_header()) return {};
    const std::size_t split = whole.middle_row();
    if (split == std::string_view::npos) {
        whole.read_until(std::string_view::npos);
        return {whole.finish(), {}, false};
    }
    CsvReader rest = whole.second_from(split, second);
    return read_in_halves(whole, rest, split);
}

void append_csv_header(std::string& out) {
    out += "\xEF\xBB\xBF";
    append_record(export_columns, out);
}

void CsvWriter::append(const Contact& c, std::string& out) {
    static const PostalAddress no_address;
    const PostalAddress& a = c.addresses.empty() ? no_address : c.addresses[0];
    char date[16];
    const std::size_t date_length = c.birthday.known() ? put_iso_date(c.birthday, false, date) : 0;
    // What has no column of its own: labelled lines in front of the notes.
    notes_.clear();
    const auto overflow = [&](Role role, const TextList& list, std::size_t columns) {
        for (std::size_t k = columns; k < list.size(); ++k) {
            if (!notes_.empty()) notes_ += "\r\n";
            mapping_.append_labelled_text(role, list[k], notes_);
        }
    };
    overflow(Role::phone, c.phones, 3);
    overflow(Role::fax, c.faxes, 1);
    overflow(Role::email, c.emails, 1);
    overflow(Role::url, c.urls, 1);
    overflow(Role::organisation, c.organisations, 1);
    overflow(Role::title, c.titles, 1);
    for (const std::string& line : c.notes) {
        if (!notes_.empty()) notes_ += "\r\n";
        notes_ += line;
    }
    const std::array<std::string_view, export_columns.size()> fields = {
        c.given_names, c.family_name, nth(c.emails, 0),
        nth(c.phones, 2),  // Business Phone
        nth(c.phones, 0),  // Home Phone: the one in the heading
        nth(c.phones, 1),  // Mobile Phone
        nth(c.faxes, 0), a.street, a.locality, a.postal_code, a.country, std::string_view(date, date_length),
        nth(c.organisations, 0), nth(c.titles, 0), nth(c.urls, 0), notes_};
    append_record(fields, out);
}

void append_csv_row(const Contact& contact, const ContactMapping& mapping, std::string& out) {
    CsvWriter(mapping).append(contact, out);
}

}  // namespace lumo

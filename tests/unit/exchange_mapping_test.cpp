// Contacts in and out, the core of it: the Unicode <-> Windows-1252 code,
// the mapping between entries and contacts, and the round trip through every
// export format under several settings.
#include "exchange/contact.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "../bench/generate.h"
#include "exchange/csv.h"
#include "exchange/text_code.h"
#include "exchange/vcard.h"
#include "settings/settings.h"

namespace lumo {
namespace {

std::string entry_of(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (std::string_view line : lines) {
        out += line;
        out += "\r\n";
    }
    return out + "\r\n";
}

TEST(TextCode, UnicodeBecomesWindows1252WithPlainLettersWhereItMust) {
    struct Case {
        const char* utf8;
        const char* ansi;
        std::size_t replaced;
    };
    const Case cases[] = {
        {"M\xC3\xBCller Stra\xC3\x9F" "e \xE2\x82\xAC 5 \xE2\x80\x93 \xE2\x80\x9Eja\xE2\x80\x9C", "M\xFCller Stra\xDF" "e \x80 5 \x96 \x84ja\x93", 0},
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA \xC4\x8C" "apek Erd\xC5\x91s \xC8\x98tefan", "L\xF3" "dz Capek Erdos Stefan", 5},
        {"\xD0\x9E\xD0\xBB\xD1\x8C\xD0\xB3\xD0\xB0 \xD0\xA9\xD1\x83\xD0\xBA\xD0\xB8\xD0\xBD", "Olga Shchukin", 10},
        {"\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", "Athina", 5},
        {"e\xCC\x81t\xC3\xA9 Zoe\xCC\x88", "\xE9t\xE9 Zo\xEB", 0},  // decomposed accents composed
        {"q\xCC\x81", "q", 1},                                          // a mark with no letter for it
        {"\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", "?? ?", 3},
        {"a\xEF\xBB\xBF" "b\xE2\x80\x8B" "c", "abc", 0},                  // zero-width characters vanish
        {"\xEF\xBC\xA1\xEF\xBC\x91", "A1", 2},                            // full-width forms
        {"caf\xE9 \xFC", "caf\xE9 \xFC", 0},                              // no UTF-8: the bytes as they are
        {"\xC3", "\xC3", 0},                                              // a sequence cut off
        {"\xED\xA0\x80", "\xED\xA0\x80", 0},                              // an encoded surrogate is no UTF-8
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(append_utf8_as_1252(c.utf8, out), c.replaced) << c.utf8;
        EXPECT_EQ(out, c.ansi) << c.utf8;
    }
    // Every byte of Windows-1252 goes out and comes back unchanged.
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::string utf8;
    append_1252_as_utf8(all, utf8);
    EXPECT_TRUE(is_valid_utf8(utf8));
    std::string back;
    EXPECT_EQ(append_utf8_as_1252(utf8, back), 0u);
    EXPECT_EQ(back, all);
}

TEST(TextCode, TheEscapingWriterMatchesAByteByByteCopy) {
    // Seeded random values with the special characters and high bytes
    // anywhere in them.
    const std::string alphabet = "ab Z9\\,;\n\"\x80\x9F\xE4\xFF";
    constexpr ByteForms text = utf8_forms("\\,;\n", '\\', "\\,;n");
    constexpr ByteForms url = utf8_forms("\\", '\\', "\\");
    unsigned seed = 7;
    for (int round = 0; round < 3000; ++round) {
        std::string value;
        const int length = round % 41;
        for (int k = 0; k < length; ++k) {
            seed = seed * 1103515245u + 12345u;
            value += alphabet[(seed >> 16) % alphabet.size()];
        }
        const std::string_view specials = round % 2 ? "\\,;\n" : "\\";
        std::string expected = "x";
        for (const char c : value) {
            if (specials.find(c) == std::string_view::npos) append_1252_as_utf8(std::string_view(&c, 1), expected);
            else expected += c == '\n' ? "\\n" : std::string{'\\', c};
        }
        std::string out = "x";
        append_in_forms(value, round % 2 ? text : url, out);
        ASSERT_EQ(out, expected) << round;
    }
}

TEST(TextCode, Utf16WithByteOrderMark) {
    // "A\xe4" then U+1F600 (a surrogate pair), a lone surrogate, an odd last byte.
    const std::string le("\xFF\xFE" "A\0\xE4\0\x3D\xD8\x00\xDE\x00\xD8" "x", 13);
    std::string storage;
    EXPECT_EQ(text_without_byte_order_mark(le, storage), "A\xC3\xA4\xF0\x9F\x98\x80\xEF\xBF\xBD");
    const std::string be("\xFE\xFF\0A\0\xE4", 6);
    EXPECT_EQ(text_without_byte_order_mark(be, storage), "A\xC3\xA4");
    EXPECT_EQ(text_without_byte_order_mark("\xEF\xBB\xBFok", storage), "ok");
    EXPECT_EQ(text_without_byte_order_mark("plain", storage), "plain");
}

TEST(Dates, TheFormsTheFormatsWrite) {
    struct Case {
        const char* text;
        Birthday date;
    };
    const Case good[] = {{"1970-03-14", {14, 3, 1970}}, {"19700314", {14, 3, 1970}}, {"--03-14", {14, 3, 0}},
                         {"--0314", {14, 3, 0}},        {"14.03.1970", {14, 3, 1970}}, {"4.3.", {4, 3, 0}},
                         {"14.03", {14, 3, 0}},         {"3/14/1970", {14, 3, 1970}}, {"1970-03-14T00:00:00Z", {14, 3, 1970}}};
    for (const Case& c : good) {
        Birthday d;
        EXPECT_TRUE(parse_date(c.text, d)) << c.text;
        EXPECT_EQ(d, c.date) << c.text;
    }
    for (const char* bad : {"", "soon", "14.13.1970", "32.01.", "1970", "14.03.70", "1970-3", "0/0/00"}) {
        Birthday d;
        EXPECT_FALSE(parse_date(bad, d)) << bad;
    }
    EXPECT_TRUE(is_empty_date("0/0/00"));
    EXPECT_TRUE(is_empty_date("00.00.0000"));
    EXPECT_FALSE(is_empty_date("01.00.0000"));
}

class MappingTest : public ::testing::Test {
protected:
    Settings settings = default_settings(LogFont{});
    Contact contact;
};

TEST_F(MappingTest, ATypedEntryReadsByTheProgramsConventionsAndKeepsEveryLine) {
    ContactMapping mapping(settings);
    mapping.read_entry(entry_of({"M\xFCller Hans Peter, 030 555 12",
                                 "Hauptstra\xDF" "e 1",
                                 "10115 Berlin",
                                 "PhoneNumber: 0170 1234",
                                 "faxnumber:030 555 13",
                                 "eMail: hans@example.de",
                                 "http:// www.example.de",
                                 "http:// \"https://example.org/a\"",
                                 "Birthday: 4.3.",
                                 "Birthday: 01.01.1950",
                                 "Profession: Tischler",
                                 "Company: M\xFCller & S\xF6hne",
                                 "Info: kommt \"C:\\Briefe\\a.txt\"",
                                 "PhoneNumber:",
                                 "Urgent: bis Freitag"}),
                       contact);
    EXPECT_EQ(contact.family_name, "M\xFCller");
    EXPECT_EQ(contact.given_names, "Hans Peter");
    EXPECT_EQ(contact.formatted_name, "Hans Peter M\xFCller");
    ASSERT_EQ(contact.addresses.size(), 1u);
    EXPECT_EQ(contact.addresses[0].street, "Hauptstra\xDF" "e 1");
    EXPECT_EQ(contact.addresses[0].postal_code, "10115");
    EXPECT_EQ(contact.addresses[0].locality, "Berlin");
    EXPECT_EQ(std::vector<std::string>(contact.phones.begin(), contact.phones.end()),
              (std::vector<std::string>{"030 555 12", "0170 1234"}));
    EXPECT_EQ(contact.faxes[0], "030 555 13");
    EXPECT_EQ(contact.emails[0], "hans@example.de");
    EXPECT_EQ(std::vector<std::string>(contact.urls.begin(), contact.urls.end()),
              (std::vector<std::string>{"http://www.example.de", "https://example.org/a"}));
    EXPECT_EQ(contact.birthday, (Birthday{4, 3, 0}));
    EXPECT_EQ(contact.titles[0], "Tischler");
    EXPECT_EQ(contact.organisations[0], "M\xFCller & S\xF6hne");
    // A second birthday, an empty label and other pre-definitions stay as they were typed.
    EXPECT_EQ(std::vector<std::string>(contact.notes.begin(), contact.notes.end()),
              (std::vector<std::string>{"Birthday: 01.01.1950", "Info: kommt \"C:\\Briefe\\a.txt\"", "PhoneNumber:",
                                        "Urgent: bis Freitag"}));
}

TEST_F(MappingTest, PostalLinesFollowTheAddressLineOrderBelowTheHeadingOnly) {
    // A labelled line ends the postal lines: what follows is no address.
    ContactMapping mapping(settings);
    mapping.read_entry(entry_of({"Meier", "eMail: m@example.de", "Dorfweg 2", "12345 Dorf"}), contact);
    EXPECT_TRUE(contact.addresses.empty());
    EXPECT_EQ(contact.notes.size(), 2u);

    // Street on line 3, locality on line 2, the country on line 4; line 5 is a note.
    settings.address_line_order = {'1', '3', '2', '4', 0};
    ContactMapping reordered(settings);
    reordered.read_entry(entry_of({"Meier", "D-12345 Dorf", "Dorfweg 2", "Deutschland", "hinten klingeln"}), contact);
    ASSERT_EQ(contact.addresses.size(), 1u);
    EXPECT_EQ(contact.addresses[0].street, "Dorfweg 2");
    EXPECT_EQ(contact.addresses[0].postal_code, "");  // no digits first: all of it is the locality
    EXPECT_EQ(contact.addresses[0].locality, "D-12345 Dorf");
    EXPECT_EQ(contact.addresses[0].country, "Deutschland");
    EXPECT_EQ(contact.notes[0], "hinten klingeln");

    // The entry written back keeps that order.
    std::string out;
    reordered.append_entry(contact, out);
    EXPECT_EQ(out, entry_of({"Meier", "D-12345 Dorf", "Dorfweg 2", "Deutschland", "hinten klingeln"}));
}

TEST_F(MappingTest, AContactBecomesAnEntryInTheProgramsOwnShape) {
    settings.text_pre_definitions[0] = {};  // an emptied label falls back to its default
    std::copy_n("E-Post: ", 8, settings.text_pre_definitions[2].begin());
    ContactMapping mapping(settings);
    contact.family_name = "van der Berg";
    contact.given_names = "  Anna\tLena ";
    contact.phones.add("030 1");
    contact.phones.add(" ");
    contact.phones.add("030 2\r\n33");
    contact.faxes.add("030 3");
    contact.emails.add("anna@example.nl");
    contact.urls.add("example.nl");
    contact.birthday = {9, 11, 1989};
    contact.organisations.add("Berg, Anna & Co");
    contact.titles.add("Architektin");
    PostalAddress& home = contact.addresses.add();
    home.street = "Keizersgracht 1";
    home.postal_code = "1015 CJ";
    home.locality = "Amsterdam";
    home.country = "Nederland";
    PostalAddress& work = contact.addresses.add();
    work.street = "Dam 2";
    work.locality = "Amsterdam";
    contact.notes.add("eMail: second@example.nl\nerste Zeile\n\n\tzweite Zeile\n" + std::string(300, 'x') + "\n\n");
    std::string out;
    mapping.append_entry(contact, out);
    EXPECT_EQ(out, entry_of({"van der Berg Anna Lena, 030 1",
                             "Keizersgracht 1",
                             "1015 CJ Amsterdam",
                             "PhoneNumber: 030 2  33",
                             "FaxNumber: 030 3",
                             "E-Post: anna@example.nl",
                             "E-Post: second@example.nl",
                             "http:// \"example.nl\"",
                             "Birthday: 09.11.1989",
                             "Company: Berg, Anna & Co",
                             "Profession: Architektin",
                             "Nederland",
                             "Address: Dam 2, Amsterdam",
                             "erste Zeile",
                             " ",
                             " zweite Zeile",
                             std::string(254, 'x'),
                             std::string(46, 'x')}));
}

TEST_F(MappingTest, TheHeadingLosesEverySeparatorEvenABlankBetweenTheNames) {
    settings.name_separators = {' ', '/', 0, 0, 0};
    ContactMapping mapping(settings);
    contact.family_name = "van der/Berg";
    contact.given_names = " Anna  Lena";
    contact.phones.add("030 1");
    std::string out;
    mapping.append_entry(contact, out);
    EXPECT_EQ(out, entry_of({"vanderBergAnnaLena  030 1"}));
}

TEST_F(MappingTest, NotesRightBelowTheHeadingKeepThePostalLinesOpen) {
    ContactMapping mapping(settings);
    contact.family_name = "Ohne";
    contact.notes.add("nur eine Notiz");
    std::string out;
    mapping.append_entry(contact, out);
    EXPECT_EQ(out, entry_of({"Ohne", " ", " ", "nur eine Notiz"}));
    mapping.read_entry(out, contact);
    EXPECT_TRUE(contact.addresses.empty());
    EXPECT_EQ(contact.notes[0], "nur eine Notiz");
}

// ---- The round trip ---------------------------------------------------------------

using bench::Random;

bool one_in(Random& random, std::uint32_t n) { return random.below(n) == 0; }

constexpr std::array<std::string_view, 33> words = {
    "Miller",     "van der Berg", "O'Neil",      "Anna-Lena", "M\xFCller",     "Stra\xDF" "e 5",  "x,y",
    "a;b",        "back\\slash",  "quote\"d",    "colon: here", "  padded  ", "tab\there",   "\xE9t\xE9",
    "Zo\xEB",     "\x80 100",     "line\nbreak", "",          "   ",           "semi;colon;", "Smith, Jr.",
    "\xC4rmel",   "5th Avenue",   "12345",       "D-1234",    "caf\xE9",       "end\\",       "100%",
    "eMail: in a street", "http://site", "a ::: b", "\xDF\x92",
};
constexpr std::array<std::string_view, 14> note_lines = {
    "a note",    "eMail: moved@example.de", "Birthday: soon", "Birthday: 01.02.2003", "PhoneNumber:",
    "Info: x;y,z\\", "http://in.a.note",     "",               "   ",                  "\tindented",
    "\"quoted\"", "Company: From Note",     "Address: somewhere", "nul\x01\x7F",
};

void add_values(Random& random, TextList& list, std::size_t most) {
    for (std::uint32_t n = random.below(static_cast<std::uint32_t>(most) + 1); n > 0; --n) list.add(random.pick(words));
}

void random_contact(Random& random, Contact& c) {
    c.clear();
    c.family_name = random.pick(words);
    if (one_in(random, 2)) c.given_names = random.pick(words);
    if (one_in(random, 4)) c.formatted_name = random.pick(words);
    add_values(random, c.phones, 5);
    add_values(random, c.faxes, 2);
    add_values(random, c.emails, 3);
    add_values(random, c.urls, 2);
    add_values(random, c.organisations, 2);
    add_values(random, c.titles, 2);
    for (std::size_t n = random.below(3); n > 0; --n) {
        PostalAddress& a = c.addresses.add();
        if (one_in(random, 2)) a.street = random.pick(words);
        if (one_in(random, 2)) a.postal_code = random.pick(words);
        if (one_in(random, 2)) a.locality = random.pick(words);
        if (one_in(random, 2)) a.country = random.pick(words);
    }
    if (one_in(random, 2)) c.birthday = {1 + static_cast<int>(random.below(31)), 1 + static_cast<int>(random.below(12)),
                                        one_in(random, 2) ? 0 : 1900 + static_cast<int>(random.below(120))};
    if (one_in(random, 8)) c.unreadable_birthday = "circa 1800";
    for (std::size_t n = random.below(4); n > 0; --n) {
        std::string note;
        for (std::size_t lines = 1 + random.below(3); lines > 0; --lines) {
            note += one_in(random, 10) ? std::string(200 + random.below(200), 'n') : std::string(random.pick(note_lines));
            if (lines > 1) note += one_in(random, 2) ? "\r\n" : "\n";
        }
        c.notes.add(note);
    }
}

// Entry -> contact -> file -> contact -> entry, as export and import do it.
std::string through(ContactMapping& mapping, const std::string& entry, int format) {
    Contact contact;
    mapping.read_entry(entry, contact);
    std::string file;
    if (format == 2) {
        append_csv_header(file);
        append_csv_row(contact, mapping, file);
    } else {
        append_vcard(contact, format == 0 ? VcardVersion::v4 : VcardVersion::v3, file);
    }
    std::string back;
    const ContactSink sink = [&](Contact& c) { mapping.append_entry(c, back); };
    const ReadCounts counts = format == 2 ? read_csv(file, sink) : read_vcards(file, sink);
    EXPECT_EQ(counts.read, 1) << file;
    EXPECT_EQ(counts.unreadable, 0) << file;
    return back;
}

TEST(RoundTrip, AnImportedEntryExportedAndImportedAgainIsIdentical) {
    std::vector<Settings> variants(6, default_settings(LogFont{}));
    variants[1].address_line_order = {'1', '2', '3', '4', 0};  // the country has a line
    variants[2].address_line_order = {'1', '3', '2', 0, 0};
    variants[3].address_line_order = {'1', '2', '5', '3', '4'};
    variants[4].name_separators = {0, 0, 0, 0, 0};  // every phone on a labelled line
    variants[5].name_separators = {';', '-', 0, 0, 0};
    std::copy_n("Tel.: ", 7, variants[5].text_pre_definitions[0].begin());
    std::copy_n("Web ", 5, variants[5].text_pre_definitions[3].begin());
    Random random(20260101);
    Contact contact;
    for (const Settings& settings : variants) {
        ContactMapping mapping(settings);
        for (int k = 0; k < 300; ++k) {
            random_contact(random, contact);
            std::string imported;
            if (!mapping.append_entry(contact, imported)) continue;
            for (int format = 0; format < 3; ++format)
                ASSERT_EQ(through(mapping, imported, format), imported) << "format " << format << " contact " << k;
        }
    }
}

}  // namespace
}  // namespace lumo

// Contacts in and out, the files: vCard and CSV as phones, web mail and mail
// programs write them, damaged files, the files we write, and Import and
// Export on the open book.
#include "exchange/exchange.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "data/file_commands.h"
#include "data/store.h"
#include "exchange/csv.h"
#include "exchange/text_code.h"
#include "exchange/vcard.h"
#include "port/ids.h"
#include "settings/settings.h"
#include "support/fake_port.h"
#include "support/temp_folder.h"

namespace lumo {
namespace {

using Lines = std::vector<std::string>;

std::string entry_of(const Lines& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out + "\r\n";
}

std::string entries_of(std::initializer_list<Lines> entries) {
    std::string out;
    for (const Lines& e : entries) out += entry_of(e);
    return out;
}

// UTF-16 little-endian with its byte order mark.
std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

struct FileCase {
    const char* what;
    const char* name;
    std::string bytes;
    std::string entries;
    ImportCounts counts;
};

void expect_imports(const FileCase& c) {
    const Settings settings = default_settings(LogFont{});
    ContactMapping mapping(settings);
    std::string entries;
    ImportCounts counts;
    append_contact_entries(c.bytes, contact_format(c.name, c.bytes), mapping, entries, counts);
    EXPECT_EQ(entries, c.entries) << c.what;
    EXPECT_EQ(counts.imported, c.counts.imported) << c.what;
    EXPECT_EQ(counts.unreadable, c.counts.unreadable) << c.what;
    EXPECT_EQ(counts.replaced, c.counts.replaced) << c.what;
    // Read in two halves at once, however small: the same.
    std::string halves;
    ImportCounts halves_counts;
    append_contact_entries(c.bytes, contact_format(c.name, c.bytes), mapping, halves, halves_counts, 0);
    EXPECT_EQ(halves, entries) << c.what;
    EXPECT_EQ(halves_counts.imported, counts.imported) << c.what;
    EXPECT_EQ(halves_counts.unreadable, counts.unreadable) << c.what;
    EXPECT_EQ(halves_counts.replaced, counts.replaced) << c.what;
}

TEST(VcardReader, FilesAsPhonesWebMailAndMailProgramsWriteThem) {
    const FileCase cases[] = {
        {"2.1 from a phone: quoted-printable, charsets, bare types, an unindented photo, an agent's card",
         "phone.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
         "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller\r\n"
         "TEL;CELL;PREF:+49 170 1234567\r\n"
         "TEL;HOME;FAX:+49 89 7654321\r\n"
         "TEL;WORK;VOICE:089 123\r\n"
         "EMAIL;INTERNET:juergen@example.de\r\n"
         "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=9Fe 5;M=C3=BCnchen;;80331;Deutschland\r\n"
         "NOTE;ENCODING=QUOTED-PRINTABLE:Erste Zeile=0D=0A=\r\n"
         " zweite Zeile\r\n"
         "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n"
         "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLDBkSEw8UHRof\r\n"
         "Hh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2wBDAQkJCQwLDBgNDQwL\r\n"
         "\r\n"
         "END:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Wei=DF;Anna\r\n"
         "AGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:Assistent;Tom\r\nTEL:111\r\nEND:VCARD\r\n"
         "TEL;VOICE:222\r\n"
         "END:VCARD\r\n",
         entries_of({{"M\xFCller J\xFCrgen, +49 170 1234567", "Hauptstra\xDF" "e 5", "80331 M\xFCnchen",
                      "PhoneNumber: 089 123", "FaxNumber: +49 89 7654321", "eMail: juergen@example.de",
                      "Deutschland", "Erste Zeile", " zweite Zeile"},
                     {"Wei\xDF Anna, 222"}}),
         {2, 0, 0}},
        {"3.0 from a mail program: LF only, groups, lower-case parameters, escapes, a folded photo",
         "export.vcf",
         "BEGIN:VCARD\nVERSION:3.0\nPRODID:-//Example//Contacts 1.0//EN\n"
         "N:Castellano;Luc\xC3\xAD" "a;;;\n"
         "FN:Luc\xC3\xAD" "a Castellano\n"
         "ORG:Ejemplo S.A.;Ventas\n"
         "TITLE:Directora\n"
         "item1.EMAIL;type=INTERNET;type=pref:lucia@example.es\n"
         "item1.X-ABLabel:_$!<Work>!$_\n"
         "TEL;type=CELL;type=VOICE;type=pref:+34 600 000 000\n"
         "item2.ADR;type=HOME;type=pref:;;Calle de Atocha 27\\, 3\xC2\xBA;Madrid;;28012;Espa\xC3\xB1" "a\n"
         "item2.X-ABADR:es\n"
         "NOTE:Llamar por la tarde\\nNo los lunes\\; nunca\n"
         "BDAY:1975-06-01\n"
         "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQ\n"
         " gKDBQNDAsLDBkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/2wBD\n"
         "URL;type=pref:https://example.es/lucia\n"
         "END:VCARD\n",
         entry_of({"Castellano Luc\xED" "a, +34 600 000 000", "Calle de Atocha 27, 3\xBA", "28012 Madrid",
                   "eMail: lucia@example.es", "http:// \"https://example.es/lucia\"", "Birthday: 01.06.1975",
                   "Company: Ejemplo S.A., Ventas", "Profession: Directora", "Espa\xF1" "a",
                   "Llamar por la tarde", "No los lunes; nunca"}),
         {1, 0, 0}},
        {"4.0 from web mail: byte order mark, uri phones, quoted parameters, a fold inside a letter",
         "contacts.vcf",
         "\xEF\xBB\xBF" "BEGIN:VCARD\r\nVERSION:4.0\r\n"
         "FN:\xC5\x81ukasz \xC5\xBB\xC3\xB3\xC5\x82kiewski\r\n"
         "N:\xC5\xBB\xC3\xB3\xC5\x82kiewski;\xC5\x81ukasz;;;\r\n"
         "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+48-22-555-0100\r\n"
         "tel;type=fax,work;value=uri:tel:+48-22-555-0101\r\n"
         "EMAIL;TYPE=work:lukasz@example.pl\r\n"
         "ADR;TYPE=work;LABEL=\"ul. Marsza\xC5\x82kowska 1\\n00-001 Warszawa\":;;ul. Marsza\xC5\x82kowska 1;"
         "Warszawa;;00-001;Polska\r\n"
         "BDAY:--0229\r\n"
         "NOTE:Gr\xC3\r\n \xBC\xC3\x9F\r\n\te aus Warschau\r\n"
         "END:VCARD\r\n",
         entry_of({"Z\xF3lkiewski Lukasz, +48-22-555-0100", "ul. Marszalkowska 1", "00-001 Warszawa",
                   "FaxNumber: +48-22-555-0101", "eMail: lukasz@example.pl", "Birthday: 29.02.", "Polska",
                   "Gr\xFC\xDF" "e aus Warschau"}),
         {1, 0, 1}},
        {"UTF-16 with byte order mark, Cyrillic", "ru.vcf",
         utf16le(u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:\u0418\u0432\u0430\u043D\u043E\u0432\u0430;\u041E\u043B\u044C\u0433\u0430;;;\r\n"
                 u"TEL:+7 495 000\r\nEND:VCARD\r\n"),
         entry_of({"Ivanova Olga, +7 495 000"}), {1, 0, 1}},
        {"damaged: a card cut off by the next, an empty card, a name of separators alone, a card cut off by the end",
         "broken.vcf",
         "BEGIN:VCARD\r\nN:Good;One\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nFN:,\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nN:Cut;Off\r\n"
         "BEGIN:VCARD\r\nFN:Third\r\nno colon here\r\n:\r\n;;;\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nVERSION:4.0\r\nEND:VCARD\r\n"
         "END:VCARD\r\n"
         "BEGIN:VCARD\r\nN:Last",
         entries_of({{"Good One"}, {"Third"}}), {2, 4, 0}},
        {"no vCard at all", "x.vcf", std::string("\x89PNG\r\n\x1a\n\0\0binary", 16), "", {0, 1, 0}},
        {"an empty file", "x.vcf", "", "", {0, 0, 0}},
    };
    for (const FileCase& c : cases) expect_imports(c);
}

TEST(CsvReader, ExportsOfWebMailAndMailProgramsByTheirColumnNames) {
    const FileCase cases[] = {
        {"web mail: numbered columns, labels, several values in one, a note over two lines", "google.csv",
         "First Name,Middle Name,Last Name,Nickname,Organization Name,Organization Title,Birthday,Notes,Labels,"
         "E-mail 1 - Label,E-mail 1 - Value,E-mail 2 - Label,E-mail 2 - Value,Phone 1 - Label,Phone 1 - Value,"
         "Phone 2 - Label,Phone 2 - Value,Address 1 - Label,Address 1 - Formatted,Address 1 - Street,"
         "Address 1 - City,Address 1 - PO Box,Address 1 - Region,Address 1 - Postal Code,Address 1 - Country,"
         "Website 1 - Label,Website 1 - Value\r\n"
         "Anna,,Schmidt,Anni,Beispiel GmbH,Eink\xC3\xA4uferin,1980-12-24,\"Zeile eins\r\nZeile zwei\",* myContacts,"
         "Home,anna@example.de,Work,anna.schmidt@example.com,Mobile,+49 151 111 ::: +49 151 222,Work Fax,+49 30 999,"
         "Home,\"Gartenweg 3\n12345 Neustadt\",Gartenweg 3,Neustadt,,,12345,Deutschland,,https://anna.example.de\r\n",
         entry_of({"Schmidt Anna, +49 151 111", "Gartenweg 3", "12345 Neustadt", "PhoneNumber: +49 151 222",
                   "FaxNumber: +49 30 999", "eMail: anna@example.de", "eMail: anna.schmidt@example.com",
                   "http:// \"https://anna.example.de\"", "Birthday: 24.12.1980", "Company: Beispiel GmbH",
                   "Profession: Eink\xE4uferin", "Deutschland", "Zeile eins", "Zeile zwei"}),
         {1, 0, 0}},
        {"mail program, English: all quoted, home and business addresses, the honorific column left alone",
         "outlook.csv",
         "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Company\",\"Job Title\",\"Business Street\","
         "\"Business City\",\"Business State\",\"Business Postal Code\",\"Business Country/Region\",\"Home Street\","
         "\"Home City\",\"Home State\",\"Home Postal Code\",\"Home Country/Region\",\"Business Fax\",\"Business Phone\","
         "\"Home Phone\",\"Mobile Phone\",\"Birthday\",\"E-mail Address\",\"E-mail Type\",\"E-mail Display Name\","
         "\"Notes\",\"Web Page\"\r\n"
         "\"Mr.\",\"John\",\"Q.\",\"Smith\",\"Acme Corp\",\"Sales Manager\",\"1 Commerce Way\",\"Springfield\",\"IL\","
         "\"62701\",\"United States\",\"22 Elm Street\",\"Springfield\",\"IL\",\"62704\",\"United States\","
         "\"(217) 555-0199\",\"(217) 555-0100\",\"(217) 555-0123\",\"(217) 555-0150\",\"3/14/1970\","
         "\"john.smith@example.com\",\"SMTP\",\"John Smith (john.smith@example.com)\",\"Met at the \"\"fair\"\", 2019\","
         "\"http://www.example.com/john\"\r\n"
         "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"0/0/00\","
         "\"\",\"\",\"\",\"\",\"\"\r\n",
         entry_of({"Smith John Q., (217) 555-0123", "22 Elm Street", "62704 Springfield, IL",
                   "PhoneNumber: (217) 555-0150", "PhoneNumber: (217) 555-0100", "FaxNumber: (217) 555-0199",
                   "eMail: john.smith@example.com", "http:// \"http://www.example.com/john\"", "Birthday: 14.03.1970",
                   "Company: Acme Corp", "Profession: Sales Manager", "United States",
                   "Address: 1 Commerce Way, 62701 Springfield, IL, United States", "Met at the \"fair\", 2019"}),
         {1, 0, 0}},
        {"mail program, German: semicolons, Windows-1252", "kontakte.csv",
         "Vorname;Nachname;Firma;Position;Stra\xDF" "e privat;Ort privat;Postleitzahl privat;Land/Region privat;"
         "Telefon privat;Mobiltelefon;Fax privat;E-Mail-Adresse;Geburtstag;Notizen\r\n"
         "J\xFCrgen;B\xE4" "cker;B\xE4" "ckerei am Markt;B\xE4" "ckermeister;Viktualienmarkt 3;M\xFCnchen;80331;"
         "Deutschland;089 220 331;0170 555 2301;089 220 332;info@example.de;02.11.1961;\"liefert samstags\r\n"
         "ab 7 Uhr\"\r\n",
         entry_of({"B\xE4" "cker J\xFCrgen, 089 220 331", "Viktualienmarkt 3", "80331 M\xFCnchen",
                   "PhoneNumber: 0170 555 2301", "FaxNumber: 089 220 332", "eMail: info@example.de",
                   "Birthday: 02.11.1961", "Company: B\xE4" "ckerei am Markt", "Profession: B\xE4" "ckermeister",
                   "Deutschland", "liefert samstags", "ab 7 Uhr"}),
         {1, 0, 0}},
        {"mail program with day, month and year in columns of their own, a header ending in a comma",
         "abook.csv",
         "First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Work Phone,Home Phone,"
         "Fax Number,Mobile Number,Home Address,Home Address 2,Home City,Home State,Home ZipCode,Home Country,"
         "Job Title,Organization,Web Page 1,Birth Year,Birth Month,Birth Day,Custom 1,Notes,\n"
         "Ole,Brandt,Ole Brandt,,ole@example.net,,,040 381 772,,,\xC3\x96velg\xC3\xB6nne 41,Hinterhaus,Hamburg,,"
         "22605,,,,,1970,7,29,,,\n",
         entry_of({"Brandt Ole, 040 381 772", "\xD6velg\xF6nne 41, Hinterhaus", "22605 Hamburg",
                   "eMail: ole@example.net", "Birthday: 29.07.1970"}),
         {1, 0, 0}},
        {"a plain German list with tabs: \"Name\" beside \"Vorname\" is the family name", "liste.txt",
         "Name\tVorname\tTelefon\tStra\xC3\x9F" "e\tHausnummer\tPLZ\tOrt\n"
         "Kr\xC3\xBCger\tMalte\t0381 455 800\tLange Stra\xC3\x9F" "e\t9\t18055\tRostock\n"
         "\n"
         "\t\t\t\t\t\t\n"
         "Nowak\tJan\t\t\t\t\tGda\xC5\x84sk\n",
         entries_of({{"Kr\xFCger Malte, 0381 455 800", "Lange Stra\xDF" "e 9", "18055 Rostock"},
                     {"Nowak Jan", " ", "Gdansk"}}),
         {2, 0, 1}},
        {"damaged: a quote never closed costs its own row; a row of unknown columns", "broken.csv",
         "First Name,Last Name,Notes,Custom\r\n"
         "Anna,Alt,\"never closed\r\n"
         "Bernd,Bauer,ok\r\n"
         ",,,only here\r\n"
         "Carl,Christ,fine\r\n",
         entries_of({{"Bauer Bernd", " ", " ", "ok"}, {"Christ Carl", " ", " ", "fine"}}), {2, 2, 0}},
    };
    for (const FileCase& c : cases) expect_imports(c);
}

// The value of a property of a card, its folded lines joined again.
std::string unfolded(std::string_view card, std::string_view property) {
    std::size_t at = card.find("\r\n" + std::string(property) + ":");
    if (at == std::string_view::npos) return "<none>";
    at += property.size() + 3;
    std::string value;
    for (;;) {
        const std::size_t end = card.find("\r\n", at);
        value += card.substr(at, end - at);
        if (card[end + 2] != ' ') return value;
        at = end + 3;
    }
}

// A file made of `pieces` picked by `seed`, `count` of them.
std::string composed(const std::vector<std::string>& pieces, unsigned seed, int count) {
    std::string out;
    for (int k = 0; k < count; ++k) {
        seed = seed * 1103515245u + 12345u;
        out += pieces[(seed >> 16) % pieces.size()];
    }
    return out;
}

// The entries of every contact handed to the sink, one after the other.
struct Collected {
    explicit Collected(const Settings& settings) : mapping(settings) {}
    ContactMapping mapping;
    std::string entries;
    ContactSink sink = [this](Contact& c) { mapping.append_entry(c, entries); };
};

TEST(ReadingInHalves, GivesWhatOneReaderGivesWhateverLiesAcrossTheMiddle) {
    // Cards and rows that only seem to begin at a line: a quoted-printable
    // soft break into a "BEGIN:VCARD" line, an agent's card inside another,
    // a card cut off, line ends and a fake row inside quotes, a quote in an
    // unquoted field, a quote never closed.
    const std::vector<std::string> cards = {
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Plain;Paula;;;\r\nTEL:040 1\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\nVERSION:4.0\nFN:Lena Lf\nN:Lf;Lena;;;\nEND:VCARD\n",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Soft;Break\r\nNOTE;ENCODING=QUOTED-PRINTABLE:one=\r\nBEGIN:VCARD\r\n"
        "END:VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Boss;Big\r\nAGENT:\r\nBEGIN:VCARD\r\nN:Agent;Secret\r\nEND:VCARD\r\n"
        "END:VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cut;Off;;;\r\n",
        "BEGIN:VCARD\r\nEND:VCARD\r\n",
        "no card here\r\n"};
    const std::vector<std::string> rows = {
        "Paula,Plain,a note\r\n",
        "Anna,Multi,\"line one\r\nFake,Row,x\r\nend\"\r\n",
        "Tim,5'10\" Tall,x\r\n",
        "Open,Quote,\"never closed\r\n",
        "\r\n",
        ",,\r\n"};
    const Settings settings = default_settings(LogFont{});
    int counted = 0, dropped = 0;
    for (unsigned seed = 1; seed <= 600; ++seed) {
        const bool vcard = seed % 2 == 0;
        const std::string file = vcard ? composed(cards, seed, 2 + static_cast<int>(seed % 11))
                                       : "First Name,Last Name,Notes\r\n" + composed(rows, seed, 2 + static_cast<int>(seed % 11));
        Collected one(settings), first(settings), second(settings);
        const ReadCounts alone = vcard ? read_vcards(file, one.sink) : read_csv(file, one.sink);
        const ReadInHalves halves = vcard ? read_vcards_in_halves(file, first.sink, second.sink)
                                          : read_csv_in_halves(file, first.sink, second.sink);
        (halves.second_counts ? counted : dropped) += 1;
        const std::string together = first.entries + (halves.second_counts ? second.entries : "");
        ASSERT_EQ(together, one.entries) << file;
        ASSERT_EQ(halves.first.read + halves.second.read, alone.read) << file;
        ASSERT_EQ(halves.first.unreadable + halves.second.unreadable, alone.unreadable) << file;
    }
    // Both ways were taken: the guess held, and it failed and was dropped.
    EXPECT_GT(counted, 100);
    EXPECT_GT(dropped, 20);
}

TEST(VcardWriter, Version4And3InUtf8FoldedAt75Octets) {
    const Settings settings = default_settings(LogFont{});
    ContactMapping mapping(settings);
    Contact contact;
    const std::string long_line = "Gr\xFC\xDF" "e, " + std::string(60, '\xE4') + " \\ Ende";
    mapping.read_entry(entry_of({"M\xFCller Hans, 030 1", "Hauptstra\xDF" "e 1", "10115 Berlin",
                                 "FaxNumber: 030 2", "eMail: hans@example.de", "http:// www.example.de",
                                 "Birthday: 24.12.", "Company: A;B,C", "Profession: Koch", "Zeile", long_line}),
                       contact);
    std::string v4;
    append_vcard(contact, VcardVersion::v4, v4);
    const std::size_t note = v4.find("NOTE:");
    ASSERT_NE(note, std::string::npos);
    EXPECT_EQ(v4.substr(0, note),
              "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Hans M\xC3\xBCller\r\nN:M\xC3\xBCller;Hans;;;\r\n"
              "TEL;TYPE=voice:030 1\r\nTEL;TYPE=fax:030 2\r\nEMAIL:hans@example.de\r\n"
              "URL:http://www.example.de\r\nBDAY:--1224\r\n"
              "ADR:;;Hauptstra\xC3\x9F" "e 1;Berlin;;10115;\r\nORG:A\\;B\\,C\r\nTITLE:Koch\r\n");
    std::string utf8_line;
    append_1252_as_utf8(long_line, utf8_line);
    EXPECT_EQ(unfolded(v4, "NOTE"), "Zeile\\n" + utf8_line.replace(utf8_line.find(','), 1, "\\,")
                                                     .replace(utf8_line.find(" \\ "), 3, " \\\\ "));
    EXPECT_TRUE(v4.ends_with("\r\nEND:VCARD\r\n"));

    std::string v3;
    append_vcard(contact, VcardVersion::v3, v3);
    EXPECT_NE(v3.find("\r\nVERSION:3.0\r\n"), std::string::npos);
    EXPECT_NE(v3.find("\r\nTEL;TYPE=VOICE:030 1\r\nTEL;TYPE=FAX:030 2\r\nEMAIL;TYPE=INTERNET:hans@example.de\r\n"),
              std::string::npos);
    EXPECT_NE(v3.find("\r\nBDAY:--12-24\r\n"), std::string::npos);
    // Every line fits in 75 octets and no fold splits a letter.
    for (const std::string& file : {v4, v3}) {
        std::size_t start = 0;
        while (start < file.size()) {
            const std::size_t end = file.find("\r\n", start);
            EXPECT_LE(end - start, 75u);
            if (end + 2 < file.size() && file[end + 2] == ' ') {
                EXPECT_NE(static_cast<unsigned char>(file[end + 3]) & 0xC0, 0x80u);
            }
            start = end + 2;
        }
    }
}

TEST(VcardWriter, TheCostliestValuesFitTheRoomTheCardIsWrittenIn) {
    // Three UTF-8 bytes for every byte with a fold every 25 characters, and
    // one-letter notes with an escape between each: a card is written in
    // room made for it first, and a shortfall would cut or garble it.
    std::string euros;
    for (int k = 0; k < 2000; ++k) euros += "\xE2\x82\xAC";
    Contact name;
    name.family_name = std::string(2000, '\x80');
    std::string card;
    append_vcard(name, VcardVersion::v4, card);
    EXPECT_EQ(unfolded(card, "N"), euros + ";;;;");
    EXPECT_TRUE(card.ends_with("\r\nEND:VCARD\r\n"));

    Contact notes;
    for (int k = 0; k < 300; ++k) notes.notes.add("\x80");
    card.clear();
    append_vcard(notes, VcardVersion::v3, card);
    std::string joined = "\xE2\x82\xAC";
    for (int k = 1; k < 300; ++k) joined += "\\n\xE2\x82\xAC";
    EXPECT_EQ(unfolded(card, "NOTE"), joined);
}

TEST(CsvWriter, TheMailProgramsColumnsInUtf8WithByteOrderMark) {
    const Settings settings = default_settings(LogFont{});
    ContactMapping mapping(settings);
    Contact contact;
    mapping.read_entry(entry_of({"B\xE4" "cker J\xFCrgen, 089 1", "Markt 3", "80331 M\xFCnchen",
                                 "PhoneNumber: 089 2", "PhoneNumber: 089 3", "PhoneNumber: 089 4",
                                 "eMail: a@example.de", "eMail: b@example.de", "Birthday: 02.11.1961",
                                 "Profession: \"Meister\"", "liefert, samstags"}),
                       contact);
    std::string csv;
    append_csv_header(csv);
    append_csv_row(contact, mapping, csv);
    EXPECT_EQ(csv,
              "\xEF\xBB\xBF\"First Name\",\"Last Name\",\"E-mail Address\",\"Business Phone\",\"Home Phone\","
              "\"Mobile Phone\",\"Business Fax\",\"Home Street\",\"Home City\",\"Home Postal Code\","
              "\"Home Country/Region\",\"Birthday\",\"Company\",\"Job Title\",\"Web Page\",\"Notes\"\r\n"
              "\"J\xC3\xBCrgen\",\"B\xC3\xA4" "cker\",\"a@example.de\",\"089 3\",\"089 1\",\"089 2\",\"\",\"Markt 3\","
              "\"M\xC3\xBCnchen\",\"80331\",\"\",\"1961-11-02\",\"\",\"\"\"Meister\"\"\",\"\","
              "\"PhoneNumber: 089 4\r\neMail: b@example.de\r\nliefert, samstags\"\r\n");
}

// ---- Import and Export on the open book ------------------------------------------------

class ImportExportTest : public ::testing::Test {
protected:
    testing::FakePort fake;
    ViewState views;
    Store store{fake.port, views};
    FileState file;
    Settings settings = default_settings(LogFont{});
    FileCommands files{store, file, settings, fake.port};
    testing::TempFolder folder{"lumo_exchange_"};

    void SetUp() override {
        ASSERT_TRUE(store.reset_store());
        load("Zimmer Zoe, 040 9\r\n\r\nAlbrecht Sabine\r\n\r\n");
    }
    void load(std::string_view text) {
        TextBuffer buffer = store.allocate_text(static_cast<std::int32_t>(text.size()) + text_headroom);
        std::copy(text.begin(), text.end(), buffer.data());
        store.adopt_text(std::move(buffer), static_cast<std::int32_t>(text.size()));
        store.reindex();
        store.modified = false;
    }
    std::string write(const std::string& name, std::string_view bytes) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string text() const { return std::string(store.text_view()); }
};

TEST_F(ImportExportTest, ImportAppendsSortsAsksForTheDataCheckAndTells) {
    const std::vector<std::string> paths = {
        write("a.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Meier;Eva\r\nTEL:030 1\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nowak;Ma\xC5\x82gorzata\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nN:Cut\r\n"),
        (folder / "missing.vcf").string(),
        write("b.csv", "Vorname;Nachname\r\nAnna;Berg\r\nEva;Meier\r\n"),
    };
    fake.answers = {Answer::no};  // no data check
    const ImportCounts counts = import_command(files, store, settings, fake.port, paths);
    EXPECT_EQ(counts.imported, 4);
    EXPECT_EQ(counts.unreadable, 1);
    EXPECT_EQ(counts.replaced, 1);
    EXPECT_EQ(text(), "Albrecht Sabine\r\n\r\nBerg Anna\r\n\r\nMeier Eva\r\n\r\nMeier Eva, 030 1\r\n\r\n"
                      "Nowak Malgorzata\r\n\r\nZimmer Zoe, 040 9\r\n\r\n");
    std::string why;
    EXPECT_TRUE(store.check(&why)) << why;
    EXPECT_TRUE(store.modified);
    EXPECT_EQ(views.active_view, ActiveView::overview);
    ASSERT_EQ(fake.boxes.size(), 3u);
    EXPECT_EQ(fake.boxes[0].text, text_cannot_open);
    EXPECT_EQ(fake.boxes[0].caption, caption_load);
    EXPECT_EQ(fake.boxes[1].text, text_data_check_question);
    EXPECT_EQ(fake.boxes[2].text, "4 contacts imported.\n1 could not be read.\n1 contained characters that were replaced.");
    EXPECT_EQ(fake.boxes[2].style, box::notice);

    // Undo takes the whole import back.
    store.swap_undo_snapshot();
    EXPECT_EQ(text(), "Zimmer Zoe, 040 9\r\n\r\nAlbrecht Sabine\r\n\r\n");
}

TEST_F(ImportExportTest, TheDataCheckRemovesContactsImportedTwice) {
    const std::string path = write("twice.vcf", "BEGIN:VCARD\nN:Albrecht;Sabine\nEND:VCARD\n");
    fake.answers = {Answer::yes};
    const std::vector<std::string> paths = {path, path};
    EXPECT_EQ(import_command(files, store, settings, fake.port, paths).imported, 2);
    EXPECT_EQ(text(), "Albrecht Sabine\r\n\r\nZimmer Zoe, 040 9\r\n\r\n");
    EXPECT_EQ(fake.boxes.back().text, "2 contacts imported.");
}

TEST_F(ImportExportTest, NothingReadableChangesNothingButTheNotice) {
    const std::vector<std::string> paths = {write("junk.vcf", "no cards here")};
    EXPECT_EQ(import_command(files, store, settings, fake.port, paths).imported, 0);
    EXPECT_EQ(text(), "Zimmer Zoe, 040 9\r\n\r\nAlbrecht Sabine\r\n\r\n");
    EXPECT_FALSE(store.modified);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "0 contacts imported.\n1 could not be read.");
}

TEST_F(ImportExportTest, ExportWritesTheMarkedRangeOrEveryEntryAndNeverChangesTheBook) {
    load("Zimmer Zoe, 040 9\r\n\r\n \r\n\r\nAlbrecht Sabine\r\neMail: s@example.de\r\n\r\n");
    const std::string before = text();
    const std::string all = export_file(store, settings, ExportFormat::vcard4, entries_to_export(store, views));
    EXPECT_EQ(all,
              "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Zoe Zimmer\r\nN:Zimmer;Zoe;;;\r\nTEL;TYPE=voice:040 9\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Sabine Albrecht\r\nN:Albrecht;Sabine;;;\r\n"
              "EMAIL:s@example.de\r\nEND:VCARD\r\n");  // the blank entry holds nothing to export
    views.entry_range = {true, 2, 2, 2};
    const std::string marked = export_file(store, settings, ExportFormat::csv, entries_to_export(store, views));
    EXPECT_EQ(std::count(marked.begin(), marked.end(), '\n'), 2);
    EXPECT_NE(marked.find("\"Sabine\",\"Albrecht\",\"s@example.de\""), std::string::npos);
    EXPECT_EQ(text(), before);
    EXPECT_FALSE(store.modified);

    // What was exported comes back as it was.
    ContactMapping mapping(settings);
    std::string entries;
    ImportCounts counts;
    append_contact_entries(all, ContactFormat::vcard, mapping, entries, counts);
    EXPECT_EQ(entries, "Zimmer Zoe, 040 9\r\n\r\nAlbrecht Sabine\r\neMail: s@example.de\r\n\r\n");
}

TEST_F(ImportExportTest, ABigBookGoesOutInPiecesInItsOrderAndComesBackAsItWas) {
    // Enough entries for pieces made on two threads, and a marked range that
    // begins and ends inside them.
    std::string book;
    for (int k = 0; k < 20000; ++k) book += "Name" + std::to_string(k) + " Given, 040 " + std::to_string(k) + "\r\n\r\n";
    load(book);
    const EntrySpan span{7, 19990};
    const std::string expected = book.substr(static_cast<std::size_t>(store.entry_start(span.first)),
                                             static_cast<std::size_t>(store.entry_start(span.last + 1) -
                                                                      store.entry_start(span.first)));
    for (const ExportFormat format : {ExportFormat::vcard4, ExportFormat::csv}) {
        std::string bytes;
        int pieces = 0;
        ASSERT_TRUE(export_contacts(store, settings, format, span, [&](std::string_view piece) {
            bytes += piece;
            ++pieces;
            return true;
        }));
        EXPECT_GT(pieces, 4);
        ContactMapping mapping(settings);
        std::string entries;
        ImportCounts counts;
        append_contact_entries(bytes, format == ExportFormat::csv ? ContactFormat::csv : ContactFormat::vcard,
                               mapping, entries, counts, 0);
        EXPECT_EQ(counts.imported, span.last - span.first + 1);
        EXPECT_TRUE(entries == expected);
        // A refused piece ends the export.
        EXPECT_FALSE(export_contacts(store, settings, format, span, [](std::string_view) { return false; }));
    }
    EXPECT_EQ(text(), book);
}

TEST(ExportDialog, FiltersAndFormats) {
    EXPECT_EQ(export_format_of_filter(1), ExportFormat::vcard4);
    EXPECT_EQ(export_format_of_filter(2), ExportFormat::vcard3);
    EXPECT_EQ(export_format_of_filter(3), ExportFormat::csv);
    EXPECT_EQ(export_format_of_filter(0), ExportFormat::vcard4);
    EXPECT_EQ(export_extension(ExportFormat::csv), "csv");
    EXPECT_EQ(contact_format("x.csv", "First Name\r\nBEGIN:VCARD"), ContactFormat::vcard);
    EXPECT_EQ(contact_format("x.VCF", "garbage"), ContactFormat::vcard);
    EXPECT_EQ(contact_format("x.txt", "Name;Vorname"), ContactFormat::csv);
}

}  // namespace
}  // namespace lumo

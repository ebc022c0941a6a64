// Contacts as CSV: the exports of web mail and mail programs in, the mail
// program's own columns out.
//
// Reading follows RFC 4180 (fields in double quotes may hold separators,
// quotes written twice and line ends); the separator (comma, semicolon or
// tab) is the one the header line uses most, the text is UTF-8 (with or
// without byte order mark; UTF-16 with one) or, when the bytes are no
// UTF-8, Windows-1252. Columns are recognised by their English and German
// header names, whatever their order, case, blanks and punctuation ("First
// Name", "Given Name", "Vorname", "E-mail 1 - Value", "Home Street",
// "Stra\xdf" "e", "PLZ", ...); other columns are ignored.
//
// Writing gives UTF-8 with a byte order mark, commas, every field quoted,
// CR LF, and the column names the common mail programs import without
// manual mapping.
#pragma once

#include <string>
#include <string_view>

#include "exchange/contact.h"
#include "exchange/vcard.h"

namespace lumo {

// Reads every row below the header. A row with text in it that yields no
// contact (none of its filled columns is recognised) counts as unreadable;
// empty rows are passed over. A quote that is never closed costs only its
// own row: the rows behind it are read as lines.
ReadCounts read_csv(std::string_view bytes, const ContactSink& sink);

// read_csv on two threads (see ReadInHalves).
ReadInHalves read_csv_in_halves(std::string_view bytes, const ContactSink& first, const ContactSink& second);

// The byte order mark and the header line.
void append_csv_header(std::string& out);

// Writes rows; it keeps its working memory from row to row.
class CsvWriter {
public:
    explicit CsvWriter(const ContactMapping& mapping) : mapping_(mapping) {}
    // Appends one row for `contact`. Values beyond the columns (a fourth
    // phone, a second e-mail address, ...) go into the notes as the labelled
    // lines of an entry, so that reading the file again puts them back in
    // their places.
    void append(const Contact& contact, std::string& out);

private:
    const ContactMapping& mapping_;
    std::string notes_;
};

// One row, for a caller that writes only a few.
void append_csv_row(const Contact& contact, const ContactMapping& mapping, std::string& out);

}  // namespace lumo

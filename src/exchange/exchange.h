// The File menu's Import and Export of contacts (vCard and CSV files): what
// the two commands do once their dialogs have been answered. The shell shows
// the dialogs (titles and filters below; Import allows several files, Export
// asks before replacing one), with the modal flag set around them, and calls:
//
//   Import: import_command(app.files, app.store, app.settings, port, paths)
//           with the chosen files (not at all when the dialog was
//           cancelled). It takes the undo snapshot, appends the contacts as
//           entries, sorts with the overview active as Add does, asks Add's
//           data-check question and shows the notice; nothing more is left
//           to the shell.
//   Export: export_file(app.store, app.settings, export_format_of_filter(i),
//           entries_to_export(app.store, app.views)) gives the file's bytes
//           for the filter the user chose; the shell writes them to the
//           chosen path (through the safe write) and reports a failed write
//           as saving does. Export never changes the book.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "exchange/contact.h"
#include "port/safe_write.h"

namespace lumo {

class FileCommands;
class Store;
struct Port;
struct Settings;
struct ViewState;

// ---- Texts and dialog filters ----------------------------------------------------

inline constexpr std::string_view text_import_title = "Import contacts";
inline constexpr std::string_view text_export_title = "Export contacts";

struct FileFilter {
    std::string_view description;
    std::string_view pattern;
};
// The Open dialog of Import (several files may be chosen).
inline constexpr std::array<FileFilter, 3> import_filters = {{
    {"Contacts (*.vcf;*.csv)", "*.vcf;*.csv"},
    {"vCard (*.vcf)", "*.vcf"},
    {"CSV (*.csv;*.txt)", "*.csv;*.txt"},
}};

enum class ExportFormat { vcard4, vcard3, csv };
// The Save dialog of Export, in the order of ExportFormat.
inline constexpr std::array<FileFilter, 3> export_filters = {{
    {"vCard 4.0 (*.vcf)", "*.vcf"},
    {"vCard 3.0 (*.vcf)", "*.vcf"},
    {"CSV (*.csv)", "*.csv"},
}};
// The format of the Save dialog's filter `index` (1-based, as the dialog
// reports it; anything out of range is vCard 4.0) and its extension.
ExportFormat export_format_of_filter(int index);
std::string_view export_extension(ExportFormat format);

// ---- Import --------------------------------------------------------------------

enum class ContactFormat { vcard, csv };

// A file holding "BEGIN:VCARD" near its start is read as vCard, so is one
// named *.vcf; anything else as CSV.
ContactFormat contact_format(std::string_view file_name, std::string_view bytes);

struct ImportCounts {
    std::int32_t imported = 0;    // contacts that became entries
    std::int32_t unreadable = 0;  // cards or rows that could not be read
    std::int32_t replaced = 0;    // imported contacts in which characters were replaced
};

// A file this big is read on two threads: a second thread costs less than
// it saves.
inline constexpr std::size_t import_two_threads_from = std::size_t{1} << 20;

// Appends the entry of every contact in `bytes` to `entries` (Windows-1252,
// each ending with the entry terminator); adds to `counts`. From
// `two_threads_from` bytes, the halves of the file are read at once, with
// the same result.
void append_contact_entries(std::string_view bytes, ContactFormat format, ContactMapping& mapping,
                            std::string& entries, ImportCounts& counts,
                            std::size_t two_threads_from = import_two_threads_from);

// Appends whole entries (as built above) behind the last entry of the store
// and reindexes. On a failed growth the user is told "Not enough memory
// free!" and false comes back with the store unchanged.
bool append_entries(Store& store, std::string_view entries);

// "%i contacts imported.", then "%i could not be read." and "%i contained
// characters that were replaced." on lines of their own when not 0.
std::string import_notice(const ImportCounts& counts);

// The first part of Import: undo snapshot, then every file read (one that
// cannot be opened is reported with "Cannot open file!" and the others go
// on) and its contacts appended as entries. Nothing is sorted or asked.
ImportCounts import_files(Store& store, const Settings& settings, Port& port, std::span<const std::string> paths);

// The Import command once the files are chosen: undo snapshot; every file
// read (one that cannot be opened is reported with "Cannot open file!" and
// the others go on); the contacts appended as entries; sorted into place
// with the overview active (as after Add), `modified` set; when any came,
// the data-check question of Add; then the notice. Returns the counts.
ImportCounts import_command(FileCommands& files, Store& store, const Settings& settings, Port& port,
                            std::span<const std::string> paths);

// ---- Export ----------------------------------------------------------------------

// Entries `first` to `last`, both included.
struct EntrySpan {
    std::int32_t first = 0;
    std::int32_t last = -1;
};
// The entry range marked in the overview, else every entry.
EntrySpan entries_to_export(const Store& store, const ViewState& views);

// The bytes of an export file of the entries in `span`: vCard 4.0 or 3.0
// (UTF-8, CR LF, folded), or CSV (UTF-8 with byte order mark). Entries that
// hold nothing (a blank heading and no more) are left out. Throws
// std::bad_alloc when memory runs short: the command's boundary reports "Not
// enough memory free!" and nothing is written.
std::string export_file(const Store& store, const Settings& settings, ExportFormat format, EntrySpan span);
// The same bytes handed to `put` in pieces as they are made, as a safe
// write takes them; false once `put` refused a piece.
bool export_contacts(const Store& store, const Settings& settings, ExportFormat format, EntrySpan span,
                     const ByteSink& put);

}  // namespace lumo

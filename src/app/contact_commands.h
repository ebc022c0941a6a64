// The File menu's Import (40121) and Export (40122) of contacts: their file
// dialogs, asked through the port, and what follows them (exchange/exchange.h
// does the work on the store and the bytes).
#pragma once

#include <string>
#include <string_view>

#include "port/port.h"

namespace lumo {

class App;

// What the two dialogs start from in this run: the first file of the last
// import, the last exported file.
struct ContactDialogNames {
    std::string import_name;
    std::string export_name;
};

// The Open dialog of Import (several files, the contact files' types) and the
// Save dialog of Export (asks before replacing a file; its three formats),
// starting from `remembered`, else from the current directory and the first
// type's pattern.
FileDialogRequest import_dialog_request(std::string_view remembered, std::string_view current_directory);
FileDialogRequest export_dialog_request(std::string_view remembered, std::string_view current_directory);

// 40121: the Open dialog; the chosen files are imported (undo snapshot,
// appended, sorted, the data-check question, the notice). Cancel does nothing.
void import_contacts_command(App& app);
// 40122: the Save dialog; the marked entry range, else every entry, written
// in the chosen format through the safe write. A failed write says "Cannot
// save file!" and leaves any file already there as it was. The book is
// never changed.
void export_contacts_command(App& app);

}  // namespace lumo

// The main window's commands that need no window of the shell's own: the
// Edit menu (Undo, Cut, Copy, Paste, Select all), the data check, a new
// entry, the address field, saving the configuration, and Import and Export
// of contacts (whose file dialogs go through the port). Commands that need a
// dialog template, the shell or a window of their own stay with the shell.
#pragma once

namespace lumo {

class App;

// Runs the command `id` when it is one of the above; returns whether it was.
bool run_state_command(App& app, int id);

// Each returns nothing; what it shows goes through the port.
void undo_command(App& app);          // 40089: the undo snapshot swapped in
void data_check_command(App& app);    // 40020: undo snapshot, then the data check
void copy_command(App& app);          // 40078
void cut_command(App& app);           // 40080
void paste_command(App& app);         // 40079, data view only
void select_all_command(App& app);    // 40091
void address_field_command(App& app); // 40013
void save_configuration_command(App& app);  // 40063
// 40121 and 40122: see app/contact_commands.h.

}  // namespace lumo

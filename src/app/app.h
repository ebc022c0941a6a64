// The application object: owns the program's state and turns what the main
// window receives into actions. The Win32 shell holds exactly one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/contact_commands.h"
#include "app/dialog_logic.h"
#include "app/drag_drop.h"
#include "app/frame_logic.h"
#include "calendar/calendar_link.h"
#include "data/file_commands.h"
#include "data/file_state.h"
#include "data/search.h"
#include "data/store.h"
#include "port/port.h"
#include "settings/settings.h"
#include "views/data_view.h"
#include "views/data_view_metrics.h"
#include "views/edit_engine.h"
#include "views/overview.h"
#include "views/view_state.h"

namespace lumo {

class App {
    // Declared first: the state below is built from it.
    Port& port_;

public:
    App(Port& port, calendar::Transport& transport);

    Port& port() { return port_; }
    calendar::Link& calendar() { return calendar_; }

    // The program's state. Parts of the program that act on it take the
    // pieces they need by reference; nothing of it is global.
    ViewState views;
    // The open book's name and passwords; the store's undo snapshots carry them.
    FileState file;
    Store store{port_, views, &file};
    Settings settings = default_settings(LogFont{});
    // The File menu's commands over the state above.
    FileCommands files{store, file, settings, port_};
    // Where the configuration and help files are (set by start-up).
    ProgramPaths paths;
    // The views' own state beside their positions in `views`, the data
    // view's model and the edit engine over it.
    OverviewState overview_state;
    DataViewState data_view_state;
    DataView data_view{store, views, data_view_state, port_};
    EditEngine edit_engine{store, views, data_view, port_};
    // Search and replace with their settings for the run; the calendar's
    // search requests go to it (see on_search_request).
    Search search{store};
    MeasuredDataViewMetrics search_metrics{data_view_state.geometry, port_.measure};
    // What the dialogs remember for the run (appointment, print headline,
    // the Fileselector's last path).
    DialogState dialog_state;
    // Where the Import and Export dialogs start.
    ContactDialogNames contact_names;

    // Creation of the main window: greets the calendar program. When it is not
    // running, says so and ends the program; returns false then.
    bool greet_calendar();

    // A transfer message from the calendar program.
    void on_transfer_message(std::uint64_t w, std::int64_t l);

    // Commands that open one of the calendar's windows (1216 to 1219, 40006,
    // 40041). From the menu, toolbar or keys the calendar comes to the front
    // first; the system menu sends without that step.
    void open_calendar_window(int command, bool bring_to_front);

    // Asked before the program ends (the Quit command, the main window's
    // close box, the calendar's "VornixQuit", the end of the Windows
    // session): saves the configuration when that is automatic, then the
    // data as the settings say or after asking. When the data were to be
    // saved but are still unsaved (the write failed, the dialog was
    // cancelled), asks whether to quit without saving. True when the program
    // may end (from then on no key acts, and shut_down saves nothing again);
    // false keeps it running with its data and `modified` as they are, so
    // they can be saved elsewhere.
    bool may_quit();
    // The Quit command and the calendar's "VornixQuit": ends the message
    // loop when may_quit allows. Asked while one of the program's own boxes
    // or dialogs is up, it waits for run_pending_quit.
    void quit();
    // The message loop calls this between messages, when no command is
    // running: a quit that had to wait runs now.
    void run_pending_quit();
    // The end of the Windows session: may_quit, but refused outright while
    // a box or dialog of the program is up.
    bool may_end_session();

    // The end of the program; runs once (shut_down_sequence, then the
    // calendar hears "LumoQuit").
    void shut_down();
    bool shut_down_done() const { return shut_down_done_; }

    // Set while a paste steps the caret left and back: Ctrl, still held from
    // Ctrl+V, must not turn those steps into word jumps.
    bool automatic_caret_step = false;

    // Drag and drop: the state the drag starts share with the data view's
    // drop target, and the target's model.
    DragState drag;
    DropTarget drop_target{*this};

    // Search requests of the calendar ("AS" + text) go here.
    std::function<void(std::string_view)> on_search_request;

private:
    calendar::Link calendar_;
    bool shut_down_done_ = false;
    // may_quit has saved what was to be saved, and the program is ending.
    bool quit_allowed_ = false;
    // may_quit is asking (its boxes run a message loop that may ask again).
    bool asking_to_quit_ = false;
    // A quit came while a box or dialog was up; it runs once that is over.
    bool quit_pending_ = false;
};

}  // namespace lumo

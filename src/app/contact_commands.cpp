#include "app/contact_commands.h"

#include <array>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "data/address_file.h"
#include "data/file_commands.h"
#include "data/store.h"
#include "exchange/exchange.h"
#include "port/safe_write.h"

namespace lumo {

namespace {

template <std::size_t n>
std::vector<FileDialogFilter> dialog_filters(const std::array<FileFilter, n>& filters) {
    std::vector<FileDialogFilter> list;
    for (const FileFilter& f : filters) list.push_back({std::string(f.description), std::string(f.pattern)});
    return list;
}

// Memory that runs short anywhere in a command ends it with the program's
// message; the store is only ever changed in whole steps.
template <typename Command>
void reporting_memory_shortage(Port& port, const Command& command) {
    try {
        command();
    } catch (const std::bad_alloc&) {
        show_error(port, text_not_enough_memory);
    }
}

using DialogRequestMaker = FileDialogRequest (*)(std::string_view remembered, std::string_view current_directory);

// Shows one of the two dialogs, starting from the name it remembers, which
// becomes the (first) file chosen; nothing when it was cancelled.
std::optional<FileDialogAnswer> run_dialog(App& app, DialogRequestMaker make_request, std::string& remembered) {
    if (app.store.store_released()) return std::nullopt;
    Port& port = app.port();
    std::optional<FileDialogAnswer> answer =
        choose_files(port, make_request(remembered, port.system.current_directory()));
    if (answer) remembered = answer->paths.front();
    return answer;
}

void import_contacts(App& app) {
    const std::optional<FileDialogAnswer> answer =
        run_dialog(app, import_dialog_request, app.contact_names.import_name);
    if (answer) import_command(app.files, app.store, app.settings, app.port(), answer->paths);
}

void export_contacts(App& app) {
    const std::optional<FileDialogAnswer> answer =
        run_dialog(app, export_dialog_request, app.contact_names.export_name);
    if (!answer) return;
    const ExportFormat format = export_format_of_filter(answer->filter);
    const EntrySpan span = entries_to_export(app.store, app.views);
    const WriteStep step = write_file_safely(app.port().files, answer->paths.front(), [&](const ByteSink& put) {
        return export_contacts(app.store, app.settings, format, span, put);
    });
    if (step != WriteStep::done)
        show_error(app.port(), text_cannot_save);
}

}  // namespace

FileDialogRequest import_dialog_request(std::string_view remembered, std::string_view current_directory) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::open;
    request.title = text_import_title;
    request.filters = dialog_filters(import_filters);
    request.flags = ofn::open | ofn::allow_multi_select | ofn::explorer;
    request.default_extension = "vcf";
    request.initial_name = initial_dialog_name(remembered, current_directory, import_filters[0].pattern);
    return request;
}

FileDialogRequest export_dialog_request(std::string_view remembered, std::string_view current_directory) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::save;
    request.title = text_export_title;
    request.filters = dialog_filters(export_filters);
    request.flags = ofn::save;
    // The dialog appends the chosen type's extension when none is typed.
    request.default_extension = export_extension(ExportFormat::vcard4);
    request.initial_name = initial_dialog_name(remembered, current_directory, export_filters[0].pattern);
    return request;
}

void import_contacts_command(App& app) {
    reporting_memory_shortage(app.port(), [&app] { import_contacts(app); });
}

void export_contacts_command(App& app) {
    reporting_memory_shortage(app.port(), [&app] { export_contacts(app); });
}

}  // namespace lumo

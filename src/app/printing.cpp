#include "app/printing.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>

#include "app/app.h"

namespace lumo {

namespace {

// Where a printed line ends: at the first control byte or the text's end.
std::size_t line_end(std::string_view text, std::size_t from) {
    while (from < text.size() && static_cast<unsigned char>(text[from]) >= 32) ++from;
    return from;
}

bool at(std::string_view text, std::size_t pos, std::string_view what) {
    return text.substr(std::min(pos, text.size()), what.size()) == what;
}

// Behind the line end at `end`: its CR LF, or a stray control byte alone
// (a damaged book cannot make the walk stick or skip text).
std::size_t behind_line_end(std::string_view text, std::size_t end) {
    if (at(text, end, "\r\n")) return end + 2;
    return std::min(end + 1, text.size());
}

// The page rows as the layout walks them: r counts body rows from the top
// row T (the top margin, one more below a headline).
class PageRows {
public:
    PageRows(const PrintLayout& layout, std::int32_t top) : layout_(layout), top_(top) {}

    std::int32_t y(std::int32_t row) const { return (row + top_) * layout_.font.line_height; }
    // The rule through the middle of row `row`, one pixel above its middle.
    std::int32_t rule_y(std::int32_t row) const {
        const std::int32_t l = layout_.font.line_height;
        return (row + 1 + top_) * l - l / 2 - 1;
    }
    // Whether row `row` no longer fits above the page's last row.
    bool past_bottom(std::int32_t row) const {
        const std::int32_t l = layout_.font.line_height;
        return std::int64_t{row + top_} * l > std::int64_t{layout_.page.height} - l;
    }

private:
    const PrintLayout& layout_;
    std::int32_t top_;
};

// The headline and the stamp at the top margin; returns the rows they take
// from then on (one with a headline).
std::int32_t print_heading(const PrintLayout& layout, std::int32_t x, PrintSurface& surface) {
    const PageRows rows(layout, layout.top_margin);
    if (layout.headline.empty()) {
        surface.text(x, rows.y(0), layout.stamp, {print_headline_weight, false});
        return 0;
    }
    surface.text(x, rows.y(0), layout.headline, {print_headline_weight, false});
    surface.text(x, rows.y(1), layout.stamp, {print_body_weight, true});
    return 1;
}

}  // namespace

bool lay_out_pages(std::string_view text, const PrintLayout& layout, PrintSurface& surface) {
    const std::int32_t x = layout.font.char_width * layout.left_margin;
    const std::int32_t top = layout.top_margin + print_heading(layout, x, surface);
    const PageRows rows(layout, top);
    const std::int32_t rule_end = layout.page.width - 1;

    std::int32_t row = 2;
    PrintStyle style{print_first_line_weight, false};
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = line_end(text, pos);
        surface.text(x, rows.y(row), text.substr(pos, end - pos), style);
        if (at(text, end, entry_terminator)) {
            const std::int32_t y = rows.rule_y(row + 1);
            surface.rule(x, rule_end, y, RuleTone::light);
            surface.rule(x, rule_end, y + 1, RuleTone::dark);
            ++row;
            end += 2;
            style.weight = print_first_line_weight;
        } else {
            style.weight = print_body_weight;
        }
        ++row;
        pos = behind_line_end(text, end);
        // A new page only when more follows: the last line filling a page
        // must not push out an empty sheet.
        if (rows.past_bottom(row) && pos < text.size()) {
            if (!surface.next_page()) return false;
            row = 0;
        }
    }
    return true;
}

std::string print_stamp(const LocalTime& now) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "(Stand: %02d/%02d/%04d %02d:%02d, VORNIX-Lumo)", now.day % 100,
                  now.month % 100, now.year % 10000, now.hour % 100, now.minute % 100);
    return stamp;
}

std::int32_t printer_font_height(std::int32_t view_height, std::int32_t pixels_per_inch) {
    const std::int64_t height = std::int64_t{view_height} * pixels_per_inch / 100;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(height, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

LogFont printer_font(const LogFont& view_font, std::int32_t pixels_per_inch) {
    LogFont font = view_font;
    font.height = printer_font_height(view_font.height, pixels_per_inch);
    // A width in the view font (the stock System font has one) is a screen
    // measure that the height's scaling does not reach: kept, it measured
    // characters a third as wide as printer drivers draw them, which ignore
    // it (Wine's PostScript driver does), and the left margin came out a
    // third of its size. The face's own width is what every driver prints.
    font.width = 0;
    font.weight = print_body_weight;
    font.italic = 0;
    return font;
}

std::string_view entries_to_print(const App& app) {
    const Store& store = app.store;
    const std::int32_t count = store.entry_count();
    if (store.store_released() || count <= 0) return {};
    const EntryRange& range = app.views.entry_range;
    const std::int32_t first = std::clamp(range.marked ? range.first : app.views.selected_entry(), 0, count - 1);
    const std::int32_t last = range.marked ? std::clamp(range.last, first, count - 1) : first;
    const std::int32_t from = store.entry_start(first);
    return {store.text() + from, static_cast<std::size_t>(store.entry_start(last + 1) - from)};
}

namespace {

void show_entries_status(App& app) {
    Frame& frame = app.port().frame;
    if (frame.main_window_exists()) frame.set_status_text(app.store.entries_status_text());
}

// The document itself, once printer and settings are chosen.
void print_document(App& app, Printer& printer, std::string_view text, std::string_view stamp) {
    printer.start_document();
    app.port().frame.set_status_text(text_printing);
    const PrintFontMetrics font = printer.set_font(app.settings.data_view_font);
    if (const std::optional<PageSize> page = printer.start_page()) {
        const PrintLayout layout{app.dialog_state.print_headline, stamp, app.settings.print_left_margin,
                                 app.settings.print_top_margin,   font,  *page};
        if (lay_out_pages(text, layout, printer)) printer.end_page();
    }
    printer.end_document();
}

}  // namespace

int print_entries(App& app, Printer& printer) {
    Port& port = app.port();
    const std::string stamp = print_stamp(port.system.local_time());
    // A copy: the dialogs below run message loops that may change the store.
    std::string text;
    try {
        text.assign(entries_to_print(app));
    } catch (const std::bad_alloc&) {
        return print_not_started;
    }
    port.modal_flag = true;
    if (!printer.choose_printer()) {
        port.modal_flag = false;
        return print_cancelled;
    }
    const bool go_on = printer.edit_print_settings();
    // Cleared whatever became of the settings dialog, so keys work again.
    port.modal_flag = false;
    if (!go_on) {
        printer.release_printer();
        show_entries_status(app);
        return print_not_started;
    }
    print_document(app, printer, text, stamp);
    show_entries_status(app);
    return print_done;
}

}  // namespace lumo

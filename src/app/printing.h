// Printing the marked entries (or the selected one): the order of the print
// job's steps and the page layout, over a Printer the shell implements on the
// printer DC. Everything that decides what lands where is here, so it is
// tested without a printer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "port/port.h"
#include "settings/settings.h"

namespace lumo {

class App;

inline constexpr std::string_view print_document_name = "VORNIX-Lumo";
inline constexpr std::string_view text_printing = "Printing VORNIX-Lumo-Data...";

inline constexpr std::int32_t print_body_weight = 400;
inline constexpr std::int32_t print_first_line_weight = 700;
inline constexpr std::int32_t print_headline_weight = 900;

// The two greys of the rule between entries, light above dark.
enum class RuleTone { light, dark };

struct PrintStyle {
    std::int32_t weight = print_body_weight;
    bool italic = false;
    bool operator==(const PrintStyle&) const = default;
};

// The printer font's measures: line height (tmHeight + tmExternalLeading)
// and character width (the widest digit).
struct PrintFontMetrics {
    std::int32_t line_height = 0;
    std::int32_t char_width = 0;
};

// The printable page in device pixels (HORZRES, VERTRES).
struct PageSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// What a print job draws on. Coordinates are device pixels from the
// printable area's top left corner.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;
    // Text in the job's font with this weight and slant; nothing is wrapped,
    // the device clips what does not fit.
    virtual void text(std::int32_t x, std::int32_t y, std::string_view text, PrintStyle style) = 0;
    // A one-pixel horizontal line from x0 to x1 inclusive.
    virtual void rule(std::int32_t x0, std::int32_t x1, std::int32_t y, RuleTone tone) = 0;
    // Ends the page and starts the next; false when the next one cannot be
    // started (the job then ends).
    virtual bool next_page() = 0;
};

// What the layout needs beside the text.
struct PrintLayout {
    std::string_view headline;  // empty: none
    std::string_view stamp;
    std::int32_t left_margin = 0;  // characters
    std::int32_t top_margin = 0;   // lines
    PrintFontMetrics font;
    PageSize page;
};

// Lays the text (whole entries, each ending in CR LF CR LF) out on the
// surface from the first page on: headline and stamp, the lines with each
// entry's first line bold, the two-tone rule in the empty row behind each
// entry, and a new page when the next row would reach the bottom row (and
// more text follows). False when the surface could not start a new page;
// the last page is open otherwise.
bool lay_out_pages(std::string_view text, const PrintLayout& layout, PrintSurface& surface);

// The printer behind the print command: the two dialogs, the document and
// its pages (the shell's printer DC).
class Printer : public PrintSurface {
public:
    // The system's print dialog; true when the user chose a printer, which
    // is then held until release_printer or end_document.
    virtual bool choose_printer() = 0;
    // The print settings dialog (margins, headline); true on its OK.
    virtual bool edit_print_settings() = 0;
    // Lets go of the chosen printer without printing.
    virtual void release_printer() = 0;
    virtual void start_document() = 0;
    // Makes the job's font from the data view font and measures it.
    virtual PrintFontMetrics set_font(const LogFont& view_font) = 0;
    // Starts a page; its printable size, or nothing when the printer refused.
    virtual std::optional<PageSize> start_page() = 0;
    virtual void end_page() = 0;
    // Ends the document and lets go of the printer.
    virtual void end_document() = 0;

    bool next_page() override {
        end_page();
        return start_page().has_value();
    }
};

// "(Stand: DD/MM/YYYY HH:MM, VORNIX-Lumo)".
std::string print_stamp(const LocalTime& now);

// The printer font's height from the view font's: scaled by the printer's
// pixels per inch over 100, truncated toward zero, kept within 32 bits.
std::int32_t printer_font_height(std::int32_t view_height, std::int32_t pixels_per_inch);

// The job's regular font: the view font at the printer's height, weight 400,
// upright, at its face's own width.
LogFont printer_font(const LogFont& view_font, std::int32_t pixels_per_inch);

// The text of the entries to print: the marked entry range, or else the
// selected entry; empty when there is nothing to print.
std::string_view entries_to_print(const App& app);

// Print command results.
inline constexpr int print_done = 0;
inline constexpr int print_cancelled = -1;       // the print dialog
inline constexpr int print_not_started = -2;     // no memory, or the settings dialog cancelled

// Prints the entries to print on `printer`, asking for the printer and the
// print settings first.
int print_entries(App& app, Printer& printer);

}  // namespace lumo

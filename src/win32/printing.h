// Printing on a real printer: the print record kept for the run, the painter
// that draws a job's text and rules on a device context, and the Printer the
// print command drives (the system's print dialog, the print settings, the
// printer DC with its document and pages).
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <optional>
#include <vector>

#include "app/printing.h"
#include "win32/gdi_pool.h"
#include "win32/shell_resources.h"

namespace lumo::win32 {

// One PRINTDLGA for the whole run: the device mode and names the print dialog
// hands back stay in it, so the next print starts with the printer chosen
// last. Owns those two memory blocks.
class PrintRecord {
public:
    explicit PrintRecord(HINSTANCE instance);
    ~PrintRecord();
    PrintRecord(const PrintRecord&) = delete;
    PrintRecord& operator=(const PrintRecord&) = delete;

    // Shows the print dialog over `owner`; the printer DC the user chose
    // (the caller deletes it), or null when the dialog was cancelled or
    // found no printer (the dialog itself tells the user then).
    HDC choose(HWND owner);

private:
    PRINTDLGA record_{};
};

using Pen = GdiObject<HPEN>;

// Draws a print job on a device context in the job's font: the data view
// font scaled to the device, in the weights and slants the layout asks for.
// The fonts and the two rule pens live as long as the painter.
class PrintPainter {
public:
    PrintPainter(HDC dc, const LogFont& view_font);
    PrintPainter(const PrintPainter&) = delete;
    PrintPainter& operator=(const PrintPainter&) = delete;

    // Line height and the widest digit's width in the regular font.
    PrintFontMetrics metrics();
    // Opaque background and black text; printers may reset both per page.
    void prepare_page();
    void text(std::int32_t x, std::int32_t y, std::string_view text, PrintStyle style);
    void rule(std::int32_t x0, std::int32_t x1, std::int32_t y, RuleTone tone);

private:
    HFONT font(PrintStyle style);

    struct StyledFont {
        PrintStyle style;
        Font font;
    };

    HDC dc_;
    LOGFONTA base_;
    std::vector<StyledFont> fonts_;
    Pen light_, dark_;
};

// The printer the print command uses; holds the chosen printer DC until the
// document ends or printing is called off.
class Win32Printer final : public Printer {
public:
    // `settings_dialog` shows the print settings and answers whether to go on.
    Win32Printer(PrintRecord& record, HWND owner, std::function<bool()> settings_dialog);
    ~Win32Printer() override;
    Win32Printer(const Win32Printer&) = delete;
    Win32Printer& operator=(const Win32Printer&) = delete;

    bool choose_printer() override;
    bool edit_print_settings() override { return settings_dialog_(); }
    void release_printer() override;
    void start_document() override;
    PrintFontMetrics set_font(const LogFont& view_font) override;
    std::optional<PageSize> start_page() override;
    void end_page() override;
    void end_document() override;
    void text(std::int32_t x, std::int32_t y, std::string_view text, PrintStyle style) override;
    void rule(std::int32_t x0, std::int32_t x1, std::int32_t y, RuleTone tone) override;

private:
    PrintRecord& record_;
    HWND owner_;
    std::function<bool()> settings_dialog_;
    HDC dc_ = nullptr;
    std::optional<PrintPainter> painter_;
};

}  // namespace lumo::win32

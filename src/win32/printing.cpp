#include "win32/printing.h"

#include <algorithm>
#include <string>

namespace lumo::win32 {

PrintRecord::PrintRecord(HINSTANCE instance) {
    // The record's true size for this build: a fixed 66 would only fit the
    // packed 32-bit layout and make the dialog fail on 64-bit Windows.
    record_.lStructSize = sizeof record_;
    record_.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
    record_.nCopies = 1;
    record_.hInstance = instance;
}

PrintRecord::~PrintRecord() {
    if (record_.hDevMode) GlobalFree(record_.hDevMode);
    if (record_.hDevNames) GlobalFree(record_.hDevNames);
}

HDC PrintRecord::choose(HWND owner) {
    record_.hwndOwner = owner;
    record_.hDC = nullptr;
    if (!PrintDlgA(&record_)) return nullptr;
    HDC dc = record_.hDC;
    record_.hDC = nullptr;
    return dc;
}

namespace {

constexpr COLORREF light_rule = RGB(190, 190, 190);
constexpr COLORREF dark_rule = RGB(140, 140, 140);

LOGFONTA printer_logfont(HDC dc, const LogFont& view_font) {
    return to_logfont(printer_font(view_font, GetDeviceCaps(dc, LOGPIXELSY)));
}

int text_width(HDC dc, std::string_view text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

PrintPainter::PrintPainter(HDC dc, const LogFont& view_font)
    : dc_(dc),
      base_(printer_logfont(dc, view_font)),
      light_(CreatePen(PS_SOLID, 1, light_rule)),
      dark_(CreatePen(PS_SOLID, 1, dark_rule)) {}

HFONT PrintPainter::font(PrintStyle style) {
    const auto made = std::find_if(fonts_.begin(), fonts_.end(), [&](const StyledFont& f) { return f.style == style; });
    if (made != fonts_.end()) return made->font.get();
    LOGFONTA styled = base_;
    styled.lfWeight = style.weight;
    styled.lfItalic = style.italic ? TRUE : FALSE;
    fonts_.push_back({style, Font(CreateFontIndirectA(&styled))});
    return fonts_.back().font.get();
}

PrintFontMetrics PrintPainter::metrics() {
    const SelectedObject selected(dc_, font({}));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_, &metrics);
    int widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit) widest = std::max(widest, text_width(dc_, {&digit, 1}));
    return {metrics.tmHeight + metrics.tmExternalLeading, widest};
}

void PrintPainter::prepare_page() {
    SetBkMode(dc_, OPAQUE);
    SetTextColor(dc_, RGB(0, 0, 0));
}

void PrintPainter::text(std::int32_t x, std::int32_t y, std::string_view text, PrintStyle style) {
    const SelectedObject selected(dc_, font(style));
    TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void PrintPainter::rule(std::int32_t x0, std::int32_t x1, std::int32_t y, RuleTone tone) {
    const SelectedObject selected(dc_, tone == RuleTone::light ? light_.get() : dark_.get());
    // Polyline leaves out the end point; x1 itself is drawn too.
    const POINT line[2] = {{x0, y}, {x1 + 1, y}};
    Polyline(dc_, line, 2);
}

Win32Printer::Win32Printer(PrintRecord& record, HWND owner, std::function<bool()> settings_dialog)
    : record_(record), owner_(owner), settings_dialog_(std::move(settings_dialog)) {}

Win32Printer::~Win32Printer() { release_printer(); }

bool Win32Printer::choose_printer() {
    release_printer();
    dc_ = record_.choose(owner_);
    return dc_ != nullptr;
}

void Win32Printer::release_printer() {
    painter_.reset();
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
}

void Win32Printer::start_document() {
    const std::string name(print_document_name);
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = name.c_str();
    StartDocA(dc_, &document);
}

PrintFontMetrics Win32Printer::set_font(const LogFont& view_font) {
    painter_.emplace(dc_, view_font);
    return painter_->metrics();
}

std::optional<PageSize> Win32Printer::start_page() {
    if (StartPage(dc_) <= 0) return std::nullopt;
    painter_->prepare_page();
    return PageSize{GetDeviceCaps(dc_, HORZRES), GetDeviceCaps(dc_, VERTRES)};
}

void Win32Printer::end_page() { EndPage(dc_); }

void Win32Printer::end_document() {
    painter_.reset();
    EndDoc(dc_);
    release_printer();
}

void Win32Printer::text(std::int32_t x, std::int32_t y, std::string_view text, PrintStyle style) {
    painter_->text(x, y, text, style);
}

void Win32Printer::rule(std::int32_t x0, std::int32_t x1, std::int32_t y, RuleTone tone) {
    painter_->rule(x0, x1, y, tone);
}

}  // namespace lumo::win32

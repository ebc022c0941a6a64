// Printing drawn on a memory DC the size of a page: the job's fonts, the
// two-tone rule, bold first lines; and the print dialog answered or refused
// without a printer. Set LUMO_PRINT_PAGE to a .bmp path to keep the page.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "app/printing.h"
#include "win32/printing.h"

namespace lumo::win32 {
namespace {

constexpr int page_width = 794;  // A4 at 96 pixels per inch
constexpr int page_height = 1123;

LogFont test_font() {
    LogFont font;
    font.height = -13;
    font.weight = 700;  // the job makes it regular
    font.italic = 1;
    const char face[] = "Tahoma";
    std::memcpy(font.face_name.data(), face, sizeof face);
    return font;
}

// A white page in memory, drawn through the painter.
class MemoryPage final : public PrintSurface {
public:
    MemoryPage() : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = page_width;
        info.bmiHeader.biHeight = -page_height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        std::memset(pixels_, 0xff, page_width * page_height * 4);
        painter_.emplace(dc_, test_font());
        painter_->prepare_page();
    }
    ~MemoryPage() override {
        painter_.reset();
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }

    PrintPainter& painter() { return *painter_; }
    void text(std::int32_t x, std::int32_t y, std::string_view s, PrintStyle style) override {
        painter_->text(x, y, s, style);
    }
    void rule(std::int32_t x0, std::int32_t x1, std::int32_t y, RuleTone tone) override {
        painter_->rule(x0, x1, y, tone);
    }
    bool next_page() override { return false; }  // one page is enough here

    COLORREF pixel(int x, int y) const {
        const std::uint32_t p = pixels_[y * page_width + x];
        return RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
    }
    // Dark pixels in a band of rows, to tell ink and weight apart.
    int ink(int top, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < page_width; ++x)
                if (GetGValue(pixel(x, y)) < 128) ++count;
        return count;
    }
    void save(const char* path) const {
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = page_width;
        info.biHeight = -page_height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        const DWORD bytes = page_width * page_height * 4;
        file.bfType = 0x4d42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + bytes;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info), sizeof info);
        out.write(reinterpret_cast<const char*>(pixels_), bytes);
    }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    std::optional<PrintPainter> painter_;
};

TEST(PrintPainter, MeasuresTheScaledRegularFont) {
    MemoryPage page;
    const PrintFontMetrics metrics = page.painter().metrics();
    // -13 at 96 pixels per inch is -12: about 14 to 16 pixels a line.
    EXPECT_GE(metrics.line_height, 12);
    EXPECT_LE(metrics.line_height, 20);
    EXPECT_GE(metrics.char_width, 5);
    EXPECT_LE(metrics.char_width, 10);
}

TEST(PrintPainter, DrawsAPageWithBoldFirstLinesAndTwoToneRules) {
    MemoryPage page;
    const PrintFontMetrics font = page.painter().metrics();
    const std::string stamp = print_stamp({2026, 12, 7, 9, 30, 0});
    const PrintLayout layout{"Friends and family", stamp, 4, 2, font, {page_width, page_height}};
    // The same words as a first line and as a body line, to compare weights.
    EXPECT_TRUE(lay_out_pages("Miller Anna\r\nMiller Anna\r\n030 555 12\r\n\r\nSchulz Bernd\r\nBerlin\r\n\r\n",
                              layout, page));
    if (const char* path = std::getenv("LUMO_PRINT_PAGE")) page.save(path);

    const int l = font.line_height;
    const int top = 2 + 1;  // margin and headline
    auto row_ink = [&](int row) { return page.ink((row + top) * l, (row + top + 1) * l); };
    EXPECT_GT(page.ink(2 * l, 3 * l), 0);  // the headline
    EXPECT_GT(row_ink(0), 0);              // the stamp
    EXPECT_GT(row_ink(2), row_ink(3));     // bold first line over the same words in regular
    EXPECT_GT(row_ink(3), 0);

    // The rule through the middle of the empty row 5: light, dark below,
    // from the left margin to the page's last column.
    const int rule_y = (5 + top + 1) * l - l / 2 - 1;
    const int x = 4 * font.char_width;
    EXPECT_EQ(page.pixel(x, rule_y), RGB(190, 190, 190));
    EXPECT_EQ(page.pixel(page_width - 1, rule_y), RGB(190, 190, 190));
    EXPECT_EQ(page.pixel(page_width / 2, rule_y + 1), RGB(140, 140, 140));
    EXPECT_EQ(page.pixel(x - 1, rule_y), RGB(255, 255, 255));
    EXPECT_GT(row_ink(6), 0);  // the second entry's first line
}

// Whatever the print dialog brings up here (the dialog, or the system's
// note that no printer is installed), it is answered and nothing is chosen.
int windows_answered = 0;

void CALLBACK dismiss_active_window(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND active = GetActiveWindow();
    if (!active) return;
    KillTimer(nullptr, timer);
    ++windows_answered;
    PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(active, WM_CLOSE, 0, 0);
}

TEST(PrintRecord, CancelledOrMissingPrinterGivesNoDc) {
    PrintRecord record(GetModuleHandleA(nullptr));
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, &dismiss_active_window);
    EXPECT_EQ(record.choose(nullptr), nullptr);
    KillTimer(nullptr, timer);
    // The record stays usable for the next print.
    const UINT_PTR again = SetTimer(nullptr, 0, 300, &dismiss_active_window);
    EXPECT_EQ(record.choose(nullptr), nullptr);
    KillTimer(nullptr, again);
    EXPECT_EQ(windows_answered, 2);
}

}  // namespace
}  // namespace lumo::win32

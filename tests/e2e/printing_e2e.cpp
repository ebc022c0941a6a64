// Printing through a real printer: the default printer of a private CUPS
// with CUPS-PDF (test.sh sets it up), the PDF read back with pdftotext -bbox,
// which gives every printed word's box in points. Without a printer or
// pdftotext the test says so and skips.
#include <gtest/gtest.h>

#include <windows.h>

#include <winspool.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "data/store.h"
#include "e2e/books.h"
#include "e2e/harness.h"
#include "e2e/view_layout.h"
#include "port/ids.h"

namespace lumo::e2e {
namespace {

// Where Wine shows the machine's root folder.
constexpr char unix_root[] = "Z:";
constexpr char pdftotext_path[] = "Z:\\usr\\bin\\pdftotext";

struct Word {
    std::string text;
    double x_min = 0, x_max = 0;
};

std::optional<std::string> default_printer() {
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size)) return std::nullopt;
    return std::string(name);
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

double attribute(const std::string& element, const std::string& name) {
    const std::size_t at = element.find(name + "=\"");
    return at == std::string::npos ? 0.0 : std::atof(element.c_str() + at + name.size() + 2);
}

// The words of pdftotext -bbox's page: <word xMin=".." ... xMax="..">text</word>.
std::vector<Word> words_of(const std::string& html) {
    std::vector<Word> words;
    for (std::size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at + 1)) {
        const std::size_t text = html.find('>', at) + 1;
        const std::size_t end = html.find("</word>", text);
        if (text == 0 || end == std::string::npos) break;
        const std::string element = html.substr(at, text - at);
        words.push_back({html.substr(text, end - text), attribute(element, "xMin"), attribute(element, "xMax")});
    }
    return words;
}

const Word* find_word(const std::vector<Word>& words, const std::string& text) {
    for (const Word& word : words)
        if (word.text == text) return &word;
    return nullptr;
}

// CUPS-PDF writes to ~/PDF. A Unix shell finds the PDF whose text holds
// `marker` there, writes its words to `words_file` (through a temporary name,
// so the file appears whole) and removes the PDF. Wine starts Unix programs
// but cannot wait for them: the caller polls for the words.
class PdfReader {
public:
    PdfReader() : script_(std::string("/tmp/lumo-print-") + std::to_string(GetCurrentProcessId()) + ".sh") {
        std::ofstream(windows_path(script_), std::ios::binary)
            << "cd \"$HOME/PDF\" 2>/dev/null || exit 0\n"
               "for f in VORNIX-Lumo*.pdf; do\n"
               "  [ -f \"$f\" ] || continue\n"
               "  if pdftotext \"$f\" - 2>/dev/null | grep -q \"$1\"; then\n"
               "    pdftotext -bbox \"$f\" \"$2.$$\" && mv \"$2.$$\" \"$2\" && rm -f \"$f\"\n"
               "    exit 0\n"
               "  fi\n"
               "done\n";
    }
    ~PdfReader() { DeleteFileA(windows_path(script_).c_str()); }
    PdfReader(const PdfReader&) = delete;
    PdfReader& operator=(const PdfReader&) = delete;

    static std::string windows_path(std::string unix_path) {
        for (char& c : unix_path)
            if (c == '/') c = '\\';
        return unix_root + unix_path;
    }

    // The printed words of the PDF that holds `marker`, once it has arrived.
    std::vector<Word> words(const std::string& marker, DWORD ms = 90000) const {
        const std::string result = "/tmp/lumo-print-" + marker + ".html";
        const std::string found = windows_path(result);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            std::string command = "/bin/sh " + script_ + " " + marker + " " + result;
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION process{};
            if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process)) {
                if (process.hProcess) CloseHandle(process.hProcess);
                if (process.hThread) CloseHandle(process.hThread);
            }
            pump_for(1000);
            if (exists(found)) {
                pump_for(200);
                const std::string html = read_all(found);
                DeleteFileA(found.c_str());
                return words_of(html);
            }
        }
        return {};
    }

private:
    std::string script_;
};

class Printing : public ::testing::Test {
protected:
    // Prints the selected entry with a left margin and a headline, answering
    // the system's print dialog and the print settings.
    ::testing::AssertionResult print(int left_margin, const std::string& headline) {
        lumo.post_command(CMD_PRINT);
        HWND system_dialog = lumo.wait_for_dialog("Print", 30000);
        if (!system_dialog) return ::testing::AssertionFailure() << "no print dialog\n" << lumo.describe();
        PostMessageA(system_dialog, WM_COMMAND, IDOK, 0);
        HWND settings = nullptr;
        if (!lumo.wait_until([&] {
                settings = lumo.wait_for_dialog("VORNIX-Lumo:", 200);
                return settings && GetDlgItem(settings, IDC_PRINT_LEFT_MARGIN);
            }))
            return ::testing::AssertionFailure() << "no print settings\n" << lumo.describe();
        SetDlgItemTextA(settings, IDC_PRINT_LEFT_MARGIN, std::to_string(left_margin).c_str());
        SetDlgItemTextA(settings, IDC_PRINT_TOP_MARGIN, "0");
        SetDlgItemTextA(settings, IDC_PRINT_HEADLINE, headline.c_str());
        PostMessageA(settings, WM_COMMAND, IDC_PRINT_OK, 0);
        const auto entries = format_entries_status(1);
        const std::string shown(entries.data(), entries.size());
        if (!lumo.wait_until([&] { return !IsWindow(settings) && lumo.status_text() == shown; }))
            return ::testing::AssertionFailure() << "printing did not end\n" << lumo.describe();
        return ::testing::AssertionSuccess();
    }

    FakeCalendar calendar;
    Lumo lumo;
};

// The left margin counts characters of the printed font: five of them move
// the text by the width of five printed digits. With the view font's screen
// width in the printer font they moved it by a third of that.
TEST_F(Printing, TheLeftMarginIsCharactersOfThePrintedFont) {
    if (!default_printer()) GTEST_SKIP() << "no printer: test.sh sets up a CUPS-PDF printer (scripts/pdf-printer.sh)";
    if (!exists(pdftotext_path)) GTEST_SKIP() << "no pdftotext (poppler-utils) to read the printed PDF";

    // The system font, as a start without a configuration gives it: it
    // carries a width of its own, unlike the fonts of the font chooser.
    ASSERT_EQ(start_on_book(lumo, calendar, book({"Anton A\r\n00000 Street 1"}),
                            default_settings(system_font_setting())),
              "");
    const PdfReader reader;
    // Letters and digits only: the PDF's text turns a hyphen into a soft one.
    const std::string run = std::to_string(GetCurrentProcessId()) + "x" + std::to_string(GetTickCount());
    double left[2] = {};
    double five_digits = 0;
    for (const int margin : {0, 5}) {
        const std::string marker = "Lumo" + std::to_string(margin) + "m" + run;
        ASSERT_TRUE(print(margin, marker));
        const std::vector<Word> words = reader.words(marker);
        ASSERT_FALSE(words.empty()) << "no PDF holding " << marker << " arrived in ~/PDF";
        // Headline, stamp and body all begin at the margin.
        const Word* headline = find_word(words, marker);
        const Word* stamp = find_word(words, "(Stand:");
        const Word* heading = find_word(words, "Anton");
        const Word* digits = find_word(words, "00000");
        ASSERT_TRUE(headline && stamp && heading && digits) << margin;
        EXPECT_NEAR(stamp->x_min, headline->x_min, 0.5) << margin;
        EXPECT_NEAR(heading->x_min, headline->x_min, 0.5) << margin;
        EXPECT_NEAR(digits->x_min, headline->x_min, 0.5) << margin;
        left[margin == 0 ? 0 : 1] = headline->x_min;
        five_digits = digits->x_max - digits->x_min;
    }
    // A margin of 0 is the page's printable left edge, the page's own here.
    EXPECT_NEAR(left[0], 0.0, 0.5);
    EXPECT_GT(five_digits, 10.0);
    EXPECT_NEAR(left[1] - left[0], five_digits, 0.5) << "five digits are " << five_digits << " pt wide";
    EXPECT_EQ(lumo.quit_discarding_changes(), 0) << lumo.describe();
}

}  // namespace
}  // namespace lumo::e2e

// The colours dialog on the real template of lumo.exe, run modally as the
// Adjust colours command runs it, with the colour chooser scripted: the
// fields, live picks and what they repaint, OK, Cancel, the custom colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "port/ids.h"
#include "support/app_fixture.h"
#include "support/fake_port.h"
#include "win32/colours_dialog.h"

namespace lumo::win32 {
namespace {

std::string lumo_exe() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    result.erase(result.find_last_of("\\/") + 1);
    return result + "lumo.exe";
}

std::string text_of_window(HWND hwnd) {
    char text[256] = {};
    const int n = GetWindowTextA(hwnd, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void click(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), 0); }

// What to do with the colours dialog once it is up (from a timer inside
// its modal loop).
std::function<void(HWND)> pending_action;

void CALLBACK act_on_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = GetActiveWindow();
    if (!dialog || !pending_action) return;
    KillTimer(nullptr, timer);
    auto action = std::move(pending_action);
    pending_action = nullptr;
    action(dialog);
    // A test that forgot to close the dialog must not hang the run.
    // (An ended dialog is hidden until its modal loop returns.)
    if (IsWindow(dialog) && IsWindowVisible(dialog)) SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// A stand-in view: counts its paints, so that an invalidation shows even
// when the dialog's modal loop has already painted it.
constexpr char view_class[] = "ColoursTestView";

LRESULT CALLBACK view_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) SetWindowLongPtrA(hwnd, GWLP_USERDATA, GetWindowLongPtrA(hwnd, GWLP_USERDATA) + 1);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND create_view() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &view_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = view_class;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    return CreateWindowExA(0, view_class, "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

// Invalidated since the last validate_views: still to paint or painted.
bool invalidated(HWND hwnd) {
    return GetUpdateRect(hwnd, nullptr, FALSE) != FALSE || GetWindowLongPtrA(hwnd, GWLP_USERDATA) != 0;
}

class ColoursDialogTest : public ::testing::Test {
protected:
    testing::FakePort fake;
    testing::NoCalendar calendar;
    App app{fake.port, calendar};
    ShellWindows windows;
    HINSTANCE image = nullptr;
    std::vector<CHOOSECOLORA> chooser_calls;
    std::vector<Colour> answers;  // the chooser's picks, in turn

    // Stand-ins for the two views, to see what is invalidated; made once,
    // as showing a top-level window is slow under Wine.
    static inline HWND overview_view = nullptr;
    static inline HWND data_view_view = nullptr;

    static void SetUpTestSuite() {
        overview_view = create_view();
        data_view_view = create_view();
    }
    static void TearDownTestSuite() {
        DestroyWindow(overview_view);
        DestroyWindow(data_view_view);
    }
    void SetUp() override {
        image = LoadLibraryExA(lumo_exe().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(image, nullptr);
        windows.overview = overview_view;
        windows.data_view = data_view_view;
        validate_views();
    }
    void TearDown() override { FreeLibrary(image); }
    void validate_views() {
        for (HWND view : {windows.overview, windows.data_view}) {
            ValidateRect(view, nullptr);
            SetWindowLongPtrA(view, GWLP_USERDATA, 0);
        }
    }
    // Scripts the chooser: records each call, answers with the next pick
    // (none left: cancelled, rgbResult untouched).
    void script_chooser(ColoursDialog& dialog) {
        dialog.choose_colour = [this](CHOOSECOLORA& record) {
            chooser_calls.push_back(record);
            if (chooser_calls.size() <= answers.size()) record.rgbResult = answers[chooser_calls.size() - 1];
        };
    }
    void run(ColoursDialog& dialog, std::function<void(HWND)> action) {
        pending_action = std::move(action);
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &act_on_dialog);
        dialog.run(nullptr);
        KillTimer(nullptr, timer);
        EXPECT_FALSE(pending_action) << "the dialog never came up";
        pending_action = nullptr;
    }
};

TEST_F(ColoursDialogTest, TemplateHasSevenClickableColourFieldsPaintedInTheirColours) {
    app.settings.colours.first_line_background = rgb(10, 200, 30);
    app.settings.colours.overview_text = rgb(250, 0, 250);
    ColoursDialog dialog(app, windows, image);
    run(dialog, [&](HWND hwnd) {
        EXPECT_EQ(text_of_window(hwnd), "VORNIX-Lumo:");
        EXPECT_TRUE(fake.port.modal_flag);
        for (const int id : {IDC_COLOUR_DATA_VIEW_BACKGROUND, IDC_COLOUR_FIRST_LINE_BACKGROUND, IDC_COLOUR_DATA_VIEW_TEXT,
                             IDC_COLOUR_FIRST_LINE_TEXT, IDC_COLOUR_LINK, IDC_COLOUR_OVERVIEW_BACKGROUND,
                             IDC_COLOUR_OVERVIEW_TEXT}) {
            HWND field = GetDlgItem(hwnd, id);
            ASSERT_NE(field, nullptr) << id;
            char cls[32] = {};
            GetClassNameA(field, cls, sizeof cls);
            EXPECT_STREQ(cls, "Static") << id;
            EXPECT_TRUE(GetWindowLongA(field, GWL_STYLE) & SS_NOTIFY) << id;
        }
        EXPECT_EQ(text_of_window(GetDlgItem(hwnd, IDC_COLOURS_OK)), "&OK");
        EXPECT_EQ(text_of_window(GetDlgItem(hwnd, IDCANCEL)), "&Cancel");

        // Painted: the middle of a field shows its colour.
        ShowWindow(hwnd, SW_SHOW);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        for (const auto& [id, colour] : {std::pair{IDC_COLOUR_FIRST_LINE_BACKGROUND, rgb(10, 200, 30)},
                                         std::pair{IDC_COLOUR_OVERVIEW_TEXT, rgb(250, 0, 250)}}) {
            HWND field = GetDlgItem(hwnd, id);
            RECT client{};
            GetClientRect(field, &client);
            HDC dc = GetDC(field);
            EXPECT_EQ(GetPixel(dc, client.right / 2, client.bottom / 2), colour) << id;
            ReleaseDC(field, dc);
        }
        click(hwnd, IDC_COLOURS_OK);
    });
    EXPECT_FALSE(fake.port.modal_flag);
}

TEST_F(ColoursDialogTest, APickIsLiveAtOnceAndRepaintsOnlyItsView) {
    const ViewColours before = app.settings.colours;
    ColoursDialog dialog(app, windows, image);
    script_chooser(dialog);
    answers = {rgb(1, 2, 3), rgb(4, 5, 6), before.link};
    run(dialog, [&](HWND hwnd) {
        click(hwnd, IDC_COLOUR_DATA_VIEW_TEXT);
        ASSERT_EQ(chooser_calls.size(), 1u);
        // The chooser starts from the field's colour, owned by the dialog.
        EXPECT_EQ(chooser_calls[0].rgbResult, before.data_view_text);
        EXPECT_EQ(chooser_calls[0].hwndOwner, hwnd);
        EXPECT_EQ(chooser_calls[0].Flags, static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN));
        EXPECT_EQ(app.settings.colours.data_view_text, rgb(1, 2, 3));
        EXPECT_TRUE(invalidated(windows.data_view));
        EXPECT_FALSE(invalidated(windows.overview));
        validate_views();

        click(hwnd, IDC_COLOUR_OVERVIEW_BACKGROUND);
        EXPECT_EQ(app.settings.colours.overview_background, rgb(4, 5, 6));
        EXPECT_TRUE(invalidated(windows.overview));
        EXPECT_FALSE(invalidated(windows.data_view));
        validate_views();

        // The colour it already has: no view repaints.
        click(hwnd, IDC_COLOUR_LINK);
        EXPECT_FALSE(invalidated(windows.overview));
        EXPECT_FALSE(invalidated(windows.data_view));
        // A cancelled chooser: nothing changes either.
        click(hwnd, IDC_COLOUR_FIRST_LINE_TEXT);
        EXPECT_EQ(app.settings.colours.first_line_text, before.first_line_text);
        EXPECT_FALSE(invalidated(windows.data_view));
        click(hwnd, IDC_COLOURS_OK);
    });
    EXPECT_EQ(chooser_calls.size(), 4u);
    // OK keeps the picks.
    EXPECT_EQ(app.settings.colours.data_view_text, rgb(1, 2, 3));
    EXPECT_EQ(app.settings.colours.overview_background, rgb(4, 5, 6));
}

TEST_F(ColoursDialogTest, CancelRestoresAllSevenColoursAsAtOpeningAndRepaintsBothViews) {
    const ViewColours before = app.settings.colours;
    ColoursDialog dialog(app, windows, image);
    script_chooser(dialog);
    answers = {rgb(1, 1, 1), rgb(2, 2, 2), rgb(3, 3, 3), rgb(4, 4, 4), rgb(5, 5, 5)};
    run(dialog, [&](HWND hwnd) {
        click(hwnd, IDC_COLOUR_DATA_VIEW_BACKGROUND);
        click(hwnd, IDC_COLOUR_OVERVIEW_TEXT);
        click(hwnd, IDC_COLOUR_LINK);
        EXPECT_NE(app.settings.colours, before);
        validate_views();
        SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);  // also what Esc sends
    });
    EXPECT_EQ(app.settings.colours, before);
    EXPECT_TRUE(invalidated(windows.data_view));
    EXPECT_TRUE(invalidated(windows.overview));
    EXPECT_FALSE(fake.port.modal_flag);

    // The backup is taken at each opening: what an OK kept stays after a
    // later Cancel.
    run(dialog, [&](HWND hwnd) {
        click(hwnd, IDC_COLOUR_FIRST_LINE_BACKGROUND);
        click(hwnd, IDC_COLOURS_OK);
    });
    const ViewColours kept = app.settings.colours;
    EXPECT_EQ(kept.first_line_background, rgb(4, 4, 4));
    run(dialog, [&](HWND hwnd) {
        click(hwnd, IDC_COLOUR_FIRST_LINE_BACKGROUND);
        EXPECT_EQ(app.settings.colours.first_line_background, rgb(5, 5, 5));
        SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(app.settings.colours, kept);
}

TEST_F(ColoursDialogTest, CustomColoursAreKeptFromOneRunToTheNext) {
    ColoursDialog dialog(app, windows, image);
    EXPECT_EQ(dialog.custom_colours, decltype(dialog.custom_colours){});  // black at start
    dialog.choose_colour = [](CHOOSECOLORA& record) { record.lpCustColors[5] = rgb(7, 8, 9); };
    run(dialog, [&](HWND hwnd) {
        click(hwnd, IDC_COLOUR_LINK);
        click(hwnd, IDC_COLOURS_OK);
    });
    COLORREF seen = 0;
    dialog.choose_colour = [&](CHOOSECOLORA& record) { seen = record.lpCustColors[5]; };
    run(dialog, [&](HWND hwnd) {
        click(hwnd, IDC_COLOUR_LINK);
        click(hwnd, IDC_COLOURS_OK);
    });
    EXPECT_EQ(seen, rgb(7, 8, 9));
}

}  // namespace
}  // namespace lumo::win32

namespace lumo::win32 {
namespace {

class ViewFontTest : public ColoursDialogTest {
protected:
    std::optional<ShellResources> resources;
    int fonts_made = 0;
    int measured = 0;
    std::vector<LOGFONTA> offered;

    void SetUp() override {
        ColoursDialogTest::SetUp();
        resources.emplace(image);
        resources->view_fonts_created = [this] { ++fonts_made; };
        app.settings.data_view_font = system_logfont();
        app.settings.overview_font = system_logfont();
        resources->create_view_fonts(app.settings);
        fonts_made = 0;
    }
    // Runs the command with a chooser that takes `chosen` (or is cancelled).
    void choose(ViewId view, HWND window, std::optional<LOGFONTA> chosen) {
        choose_view_font(app, *resources, view, window, [this] { ++measured; },
                         [&](CHOOSEFONTA& record) {
                             EXPECT_TRUE(fake.port.modal_flag);
                             EXPECT_EQ(record.Flags, static_cast<DWORD>(CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT));
                             offered.push_back(*record.lpLogFont);
                             if (!chosen) return false;
                             *record.lpLogFont = *chosen;
                             return true;
                         });
        EXPECT_FALSE(fake.port.modal_flag);
    }
};

LOGFONTA bold_italic_underlined(const char* face, LONG height) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = FW_BOLD;
    font.lfItalic = 1;
    font.lfUnderline = 1;
    font.lfStrikeOut = 1;
    font.lfCharSet = ANSI_CHARSET;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

TEST_F(ViewFontTest, AChosenFontBecomesRegularAndIsRemadeAndMeasuredInItsView) {
    app.settings.data_view_font.height = -11;  // tell the two views' fonts apart
    const LogFont data_view_before = app.settings.data_view_font;
    const LogFont overview_before = app.settings.overview_font;
    choose(ViewId::data_view, windows.data_view, bold_italic_underlined("Courier New", -20));
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(from_logfont(offered[0]), data_view_before);  // the chooser starts from the view's font

    const LogFont& font = app.settings.data_view_font;
    EXPECT_EQ(text_of(font.face_name), "Courier New");
    EXPECT_EQ(font.height, -20);
    EXPECT_EQ(font.weight, 400);
    EXPECT_EQ(font.italic, 0);
    EXPECT_EQ(font.underline, 0);
    EXPECT_EQ(font.strike_out, 1);
    EXPECT_EQ(app.settings.overview_font, overview_before);  // the other view keeps its font
    EXPECT_EQ(fonts_made, 1);
    EXPECT_NE(resources->data_view_font(), nullptr);
    EXPECT_EQ(measured, 1);
    EXPECT_TRUE(invalidated(windows.data_view));
    EXPECT_FALSE(invalidated(windows.overview));

    validate_views();
    choose(ViewId::overview, windows.overview, bold_italic_underlined("Arial", -16));
    EXPECT_EQ(text_of(app.settings.overview_font.face_name), "Arial");
    EXPECT_EQ(app.settings.overview_font.weight, 400);
    EXPECT_EQ(measured, 2);
    EXPECT_TRUE(invalidated(windows.overview));
}

TEST_F(ViewFontTest, ACancelledChooserKeepsTheFontAndAMissingWindowIsNeitherMeasuredNorRepainted) {
    const LogFont before = app.settings.data_view_font;
    choose(ViewId::data_view, windows.data_view, std::nullopt);
    EXPECT_EQ(app.settings.data_view_font.face_name, before.face_name);
    EXPECT_EQ(app.settings.data_view_font.height, before.height);

    validate_views();
    measured = 0;
    choose(ViewId::overview, nullptr, bold_italic_underlined("Arial", -16));
    EXPECT_EQ(text_of(app.settings.overview_font.face_name), "Arial");
    EXPECT_EQ(measured, 0);
    EXPECT_FALSE(invalidated(windows.overview));
}

}  // namespace
}  // namespace lumo::win32

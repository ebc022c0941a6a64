// The resources compiled into lumo.exe, read back from the real image: menu
// structure and texts byte for byte, initial item states, the accelerator
// table and the icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "port/ids.h"

namespace lumo {
namespace {

// lumo.exe is built into the same folder as this test program.
std::string lumo_exe_path() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    result.erase(result.find_last_of("\\/") + 1);
    return result + "lumo.exe";
}

struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
struct MenuDestroy {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroy>;

class LumoResources : public ::testing::Test {
protected:
    void SetUp() override {
        image_.reset(LoadLibraryExA(lumo_exe_path().c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_NE(image_, nullptr) << "cannot load " << lumo_exe_path();
    }

    Menu load_menu(int id) const {
        Menu menu(LoadMenuA(image_.get(), MAKEINTRESOURCEA(id)));
        EXPECT_NE(menu, nullptr) << "menu " << id;
        return menu;
    }

    Module image_;
};

// What a menu item holds, read through the ANSI interface (code page 1252).
std::string item_text(HMENU menu, UINT item, UINT by) {
    char text[256] = {};
    const int length = GetMenuStringA(menu, item, text, sizeof text, by);
    return std::string(text, static_cast<size_t>(std::max(length, 0)));
}

// The menu's layout as one line: ids, "-" for a separator, a popup's items in
// brackets. Texts are left out so that both languages can be compared. An item
// with an empty text may show as a separator, but it keeps its id.
std::string layout(HMENU menu) {
    std::string result;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        if (!result.empty()) result += ' ';
        if (HMENU popup = GetSubMenu(menu, position)) {
            result += '[' + layout(popup) + ']';
        } else if (const UINT id = GetMenuItemID(menu, position); id != 0) {
            result += std::to_string(id);
        } else {
            result += '-';
        }
    }
    return result;
}

std::vector<std::string> popup_texts(HMENU menu) {
    std::vector<std::string> texts;
    for (int position = 0; position < GetMenuItemCount(menu); ++position)
        texts.push_back(item_text(menu, static_cast<UINT>(position), MF_BYPOSITION));
    return texts;
}

TEST_F(LumoResources, BothMenusHaveTheSameLayout) {
    const Menu english = load_menu(IDM_MENU_ENGLISH);
    const Menu german = load_menu(IDM_MENU_GERMAN);
    const std::string expected =
        "[40018 40015 40016 40017 [40101 40102 40103 40104 40105 40106 40107 40108 40109 40110]"
        " - 40019 40121 40122 40020 - 40035 - 40111 - 1220]"
        " [40089 - 40080 40078 40079 40091 - 40028 40029 40030 40031 - 40007]"
        " [40001 40012 40013]"
        " [40057 [40064 40065 - 40063] - 40060 40061 - 40063]"
        " [1216 1217 1218 1219 - 40041 - 40006 - 40011 - 40002 40003]"
        " [40005 - 1007]";
    EXPECT_EQ(layout(english.get()), expected);
    EXPECT_EQ(layout(german.get()), expected);
}

TEST_F(LumoResources, EnglishMenuTexts) {
    const Menu menu = load_menu(IDM_MENU_ENGLISH);
    EXPECT_EQ(popup_texts(menu.get()),
              (std::vector<std::string>{"F&ile", "&Edit", "&Special", "Configura&tion", "&Window", "&?"}));
    EXPECT_EQ(item_text(GetSubMenu(menu.get(), 0), 4, MF_BYPOSITION), "&Last used files");
    EXPECT_EQ(item_text(GetSubMenu(menu.get(), 3), 1, MF_BYPOSITION), "Choose &fonts...");

    const std::tuple<UINT, const char*> items[] = {
        {CMD_NEW, "&New \x08 Ctrl+N"},
        {CMD_SAVE_AS, "Sa&ve as... \x08" "Ctrl+M"},
        {CMD_IMPORT, "&Import..."},
        {CMD_EXPORT, "E&xport..."},
        {CMD_PRINT, "P&rint \x08Strg+P"},
        {CMD_PASSWORD, "Ac&tivate password protection"},
        {CMD_QUIT, "&Quit VORNIX-Lumo \x08" "Ctrl+Q"},
        {CMD_SELECT_ALL, "Selec&t all\x08" "Ctrl+A"},
        {CMD_FIND_NEXT, "Repeat searc&h\x08" "Ctrl+G"},
        {CMD_NEW_ENTRY, "&New Entry \x08INS"},
        {CMD_ADDRESS_FIELD, "&Address -> Addressfield \x08" "Alt+C"},
        {CMD_COLOURS, "Adjust &colours..."},
        {CMD_TEXT_PREDEFINITIONS, "&Text pre-definitions... \x08Shift+F1-F10/Alt+F"},
        {CMD_CALENDAR_1, "Calendar &1  \x08" "Ctrl+F1"},
        {CMD_ALARM_WINDOW, "&Alarm window \x08" "Ctrl+F10"},
        {CMD_ONE_UPON_OTHER, "&One upon the other"},
        {CMD_HELP, "&HELP \x08" "F1"},
    };
    for (const auto& [id, text] : items) EXPECT_EQ(item_text(menu.get(), id, MF_BYCOMMAND), text) << id;
}

TEST_F(LumoResources, GermanMenuTextsKeepTheirUmlauts) {
    const Menu menu = load_menu(IDM_MENU_GERMAN);
    EXPECT_EQ(popup_texts(menu.get()),
              (std::vector<std::string>{"Date&i", "&Bearbeiten", "Ext&ras", "&Konfiguration", "Fe&nster", "&?"}));
    EXPECT_EQ(item_text(GetSubMenu(menu.get(), 3), 1, MF_BYPOSITION), "&Zeichensatz w\xe4hlen...");

    const std::tuple<UINT, const char*> items[] = {
        {CMD_NEW, "&Neu \x08 Strg+N"},
        {CMD_ADD, "&Hinzuf\xfcgen... \x08Strg+R"},
        {CMD_IMPORT, "&Importieren..."},
        {CMD_EXPORT, "E&xportieren..."},
        {CMD_PASSWORD, "Passwortschutz &aktivieren..."},
        {CMD_UNDO, "&R\xfc" "ckg\xe4ngig \x08Strg+Z"},
        {CMD_NEW_ENTRY, "&Neuer Eintrag \x08" "Einfg"},
        {CMD_FONT_OVERVIEW, "&\xdc" "bersichtsfenster"},
    };
    for (const auto& [id, text] : items) EXPECT_EQ(item_text(menu.get(), id, MF_BYCOMMAND), text) << id;

    // The image holds real UTF-16 letters, not bytes that only survive a round trip.
    wchar_t wide[64] = {};
    GetMenuStringW(menu.get(), CMD_UNDO, wide, 64, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(wide), L"&R\u00fcckg\u00e4ngig \x08Strg+Z");
}

TEST_F(LumoResources, RecentFileItemsAndInitialStates) {
    for (const int id : {IDM_MENU_ENGLISH, IDM_MENU_GERMAN}) {
        const Menu menu = load_menu(id);
        const HMENU recent = GetSubMenu(GetSubMenu(menu.get(), 0), 4);
        ASSERT_EQ(GetMenuItemCount(recent), 10) << id;
        for (int slot = 0; slot < 10; ++slot) {
            EXPECT_EQ(GetMenuItemID(recent, slot), static_cast<UINT>(CMD_RECENT_FIRST + slot)) << id;
            EXPECT_EQ(item_text(recent, static_cast<UINT>(slot), MF_BYPOSITION),
                      id == IDM_MENU_ENGLISH ? "" : " ");
        }
        for (const UINT grayed : {CMD_UNDO, CMD_CUT, CMD_COPY, CMD_PASTE})
            EXPECT_TRUE(GetMenuState(menu.get(), grayed, MF_BYCOMMAND) & MF_GRAYED) << id << ' ' << grayed;
        for (const UINT enabled : {CMD_NEW, CMD_SELECT_ALL, CMD_SEARCH, CMD_QUIT})
            EXPECT_FALSE(GetMenuState(menu.get(), enabled, MF_BYCOMMAND) & MF_GRAYED) << id << ' ' << enabled;

        // Start-up labels the slots by command id.
        ASSERT_TRUE(ModifyMenuA(menu.get(), CMD_RECENT_LAST, MF_BYCOMMAND | MF_STRING, CMD_RECENT_LAST,
                                "&9: demo.adr \tStrg+9"));
        EXPECT_EQ(item_text(recent, 9, MF_BYPOSITION), "&9: demo.adr \tStrg+9");
        EXPECT_FALSE(GetMenuState(menu.get(), CMD_RECENT_LAST, MF_BYCOMMAND) & (MF_GRAYED | MF_SEPARATOR));
    }
}

using Key = std::tuple<int, int, int>;  // modifiers, virtual key, command

std::vector<Key> expected_keys() {
    constexpr int none = 0, ctrl = FCONTROL, shift = FSHIFT, alt = FALT;
    std::vector<Key> keys = {
        {ctrl, 'A', CMD_SELECT_ALL},    {shift | ctrl, 'A', CMD_SELECT_ALL},
        {ctrl, 'C', CMD_COPY},          {alt, 'C', CMD_ADDRESS_FIELD},
        {ctrl, 'D', CMD_DATA_CHECK},    {ctrl, 'E', CMD_REPLACE},
        {ctrl, 'F', CMD_SEARCH},        {alt, 'F', CMD_CHOOSE_PREDEFINITION},
        {ctrl, 'G', CMD_FIND_NEXT},     {none, VK_F3, CMD_FIND_NEXT},
        {alt, 'G', CMD_REPLACE_NEXT},   {ctrl, 'I', CMD_INFO},
        {ctrl, 'M', CMD_SAVE_AS},       {shift | ctrl, 'S', CMD_SAVE_AS},
        {ctrl, 'N', CMD_NEW},           {ctrl, 'O', CMD_OPEN},
        {shift | ctrl, 'O', CMD_ADD},   {ctrl, 'R', CMD_ADD},
        {ctrl, 'P', CMD_PRINT},         {ctrl, 'Q', CMD_QUIT},
        {ctrl, 'S', CMD_SAVE},          {ctrl, 'T', CMD_APPOINTMENT},
        {ctrl, 'V', CMD_PASTE},         {ctrl, 'W', CMD_ROTATE},
        {ctrl, 'X', CMD_CUT},           {alt, 'X', CMD_CALENDAR_SEARCH},
        {ctrl, 'Z', CMD_UNDO},          {none, VK_F1, CMD_HELP},
        {ctrl, VK_INSERT, CMD_COPY},    {shift, VK_INSERT, CMD_PASTE},
        {shift, VK_DELETE, CMD_CUT},
    };
    for (int digit = 0; digit < 10; ++digit) keys.emplace_back(ctrl, '0' + digit, CMD_RECENT_FIRST + digit);
    const int calendars[] = {CMD_CALENDAR_1, CMD_CALENDAR_2, CMD_CALENDAR_3, CMD_CALENDAR_4};
    for (int n = 0; n < 4; ++n) keys.emplace_back(ctrl, VK_F1 + n, calendars[n]);
    const int predefinitions[] = {CMD_PREDEFINITION_1, CMD_PREDEFINITION_2, CMD_PREDEFINITION_3,
                                  CMD_PREDEFINITION_4, CMD_PREDEFINITION_5, CMD_PREDEFINITION_6,
                                  CMD_PREDEFINITION_7, CMD_PREDEFINITION_8, CMD_PREDEFINITION_9,
                                  CMD_PREDEFINITION_10};
    for (int n = 0; n < 10; ++n) keys.emplace_back(shift, VK_F1 + n, predefinitions[n]);
    return keys;
}

TEST_F(LumoResources, AcceleratorTableMatchesTheKeys) {
    const HACCEL table = LoadAcceleratorsA(image_.get(), MAKEINTRESOURCEA(IDA_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
    CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
    DestroyAcceleratorTable(table);

    std::vector<Key> actual;
    for (const ACCEL& entry : entries) {
        EXPECT_TRUE(entry.fVirt & FVIRTKEY) << entry.key << ' ' << entry.cmd;
        actual.emplace_back(entry.fVirt & (FCONTROL | FSHIFT | FALT), entry.key, entry.cmd);
    }
    std::vector<Key> expected = expected_keys();
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(actual, expected);
}

TEST_F(LumoResources, IconsLoadAtTheirSizes) {
    const std::tuple<int, int> icons[] = {
        {IDI_LUMO_LARGE, 48}, {IDI_LUMO_LARGE, 32}, {IDI_LUMO_LARGE, 16}, {IDI_LUMO_SMALL, 16}};
    for (const auto& [id, size] : icons) {
        const HANDLE icon = LoadImageA(image_.get(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
        ASSERT_NE(icon, nullptr) << id << ' ' << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size) << id;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST_F(LumoResources, VersionAndManifestArePresent) {
    EXPECT_NE(FindResourceA(image_.get(), MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION), nullptr);
    EXPECT_NE(FindResourceA(image_.get(), MAKEINTRESOURCEA(1), RT_MANIFEST), nullptr);
}

// ---- Dialog templates -------------------------------------------------------------

struct TemplateItem {
    std::uint32_t id = 0;
    std::uint32_t style = 0;
    std::array<int, 4> place{};  // x, y, width, height
    std::string window_class;
    std::string text;
};

struct DialogTemplate {
    std::uint32_t style = 0;
    std::array<int, 4> place{};
    std::string caption;
    int point_size = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

// Reads a DLGTEMPLATEEX as the resource compiler writes DIALOGEX.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : base_(data), p_(data) {}

    DialogTemplate read() {
        DialogTemplate result;
        word();  // version
        EXPECT_EQ(word(), 0xFFFF) << "not an extended template";
        dword();  // help id
        dword();  // extended style
        result.style = dword();
        const int count = word();
        for (int& value : result.place) value = static_cast<short>(word());
        text_or_ordinal();                   // menu
        text_or_ordinal();                   // class
        result.caption = text_or_ordinal();
        if (result.style & (DS_SETFONT | DS_SHELLFONT)) {
            result.point_size = word();
            word();  // weight
            p_ += 2;  // italic, character set
            result.font = text_or_ordinal();
        }
        for (int i = 0; i < count; ++i) result.items.push_back(item());
        return result;
    }

private:
    WORD word() {
        WORD w;
        std::memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD dword() {
        DWORD d;
        std::memcpy(&d, p_, 4);
        p_ += 4;
        return d;
    }
    void align() {
        while ((p_ - base_) % 4 != 0) ++p_;
    }
    // A UTF-16 text, given back in code page 1252; an ordinal as "#n".
    std::string text_or_ordinal() {
        const WORD first = word();
        if (first == 0) return {};
        if (first == 0xFFFF) {
            std::string ordinal(1, '#');
            ordinal += std::to_string(word());
            return ordinal;
        }
        std::wstring wide(1, static_cast<wchar_t>(first));
        for (WORD w = word(); w != 0; w = word()) wide.push_back(static_cast<wchar_t>(w));
        char bytes[512] = {};
        const int n = WideCharToMultiByte(1252, 0, wide.c_str(), static_cast<int>(wide.size()), bytes, sizeof bytes,
                                          nullptr, nullptr);
        return std::string(bytes, static_cast<std::size_t>(std::max(n, 0)));
    }
    TemplateItem item() {
        align();
        TemplateItem result;
        dword();  // help id
        dword();  // extended style
        result.style = dword();
        for (int& value : result.place) value = static_cast<short>(word());
        result.id = dword();
        result.window_class = text_or_ordinal();
        result.text = text_or_ordinal();
        p_ += word();  // creation data
        return result;
    }

    const BYTE* base_;
    const BYTE* p_;
};

class DialogTemplates : public LumoResources {
protected:
    DialogTemplate load_template(int id) const {
        const HRSRC found = FindResourceA(image_.get(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
        EXPECT_NE(found, nullptr) << "dialog " << id;
        if (!found) return {};
        const HGLOBAL loaded = LoadResource(image_.get(), found);
        return TemplateReader(static_cast<const BYTE*>(LockResource(loaded))).read();
    }
};

// The ids of a template's controls in their order, statics without one left out.
std::vector<std::uint32_t> control_ids(const DialogTemplate& dialog) {
    std::vector<std::uint32_t> ids;
    for (const TemplateItem& item : dialog.items)
        if (item.id != 0xFFFF && item.id != 0xFFFFFFFF) ids.push_back(item.id);
    return ids;
}

// The texts a template shows, in their order.
std::vector<std::string> control_texts(const DialogTemplate& dialog) {
    std::vector<std::string> texts;
    for (const TemplateItem& item : dialog.items)
        if (!item.text.empty()) texts.push_back(item.text);
    return texts;
}

std::uint32_t style_of(const DialogTemplate& dialog, std::uint32_t id) {
    for (const TemplateItem& item : dialog.items)
        if (item.id == id) return item.style;
    ADD_FAILURE() << "no control " << id;
    return 0;
}

struct ExpectedDialog {
    int id;
    std::vector<std::uint32_t> controls;
    std::vector<std::string> texts;
};

std::vector<ExpectedDialog> expected_dialogs() {
    const std::vector<std::string> pre_definition_picks = {"&1", "&2", "&3", "&4", "&5",
                                                           "&6", "&7", "&8", "&9", "1&0"};
    std::vector<std::string> pre_definition_texts = {"Text pre-definitions"};
    pre_definition_texts.insert(pre_definition_texts.end(), pre_definition_picks.begin(), pre_definition_picks.end());
    for (const char* button : {"&Fileselector", "&Set", "&OK", "&Cancel"}) pre_definition_texts.push_back(button);

    std::vector<std::string> appointment_texts = {"Insert entry in VORNIX", "Entry-\n&text:",
                                                  "Insert text pre-definition in front of &entry-text"};
    appointment_texts.insert(appointment_texts.end(), pre_definition_picks.begin(), pre_definition_picks.end());
    for (const char* text : {"Inserting in Calendar", "CAL 1", "CAL 2", "CAL 3", "CAL 4", "&Date:", "T&ime:", "&OK",
                             "&Cancel"})
        appointment_texts.push_back(text);

    return {
        {IDD_SEARCH,
         {1082, 1059, 1060, 1061, 1062, 1077, 1000, 2},
         {"Search", "&for:", "Searching direction", "Di&stinction CAPITAL/lower letter", "&OK", "&Cancel"}},
        {IDD_REPLACE,
         {1082, 1083, 1059, 1060, 1061, 1062, 1077, 1227, 1086, 2},
         {"Search", "&for:", "&with:", "Searching direction", "Di&stinction CAPITAL/lower letter", "Replace",
          "Replace &all", "&OK", "&Cancel"}},
        {IDD_GENERAL_CONFIG,
         {1014, 1015, 1016, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1030, 1026, 1031, 1028, 1017, 1168, 1169, 1178,
          2},
         {"General configuration", "Separating sign between Name and Tel.-No.", "Address-field per Clipboard",
          "Order of address-lines:", "Empty lines:", "Swap first and last name", "Save Data autom.",
          "Save Config autom.", "&OK", "&Cancel"}},
        {IDD_TEXT_PREDEFINITIONS,
         {1089, 1091, 1090, 1092, 1094, 1093, 1096, 1095, 1098, 1097, 1100, 1099, 1102, 1101, 1104, 1103, 1106, 1105,
          1108, 1107, 40085, 40083, 40087, 2},
         pre_definition_texts},
        {IDD_APPOINTMENT,
         {1003, 1228, 1089, 1091, 1090, 1092, 1094, 1093, 1096, 1095, 1098, 1097, 1100, 1099, 1102, 1101, 1104, 1103,
          1106, 1105, 1108, 1107, 1004, 1005, 1006, 1007, 1053, 1052, 1008, 2},
         appointment_texts},
        {IDD_CALENDAR_SEARCH,
         {1082, 1009, 1010, 1011, 1012, 1013, 2},
         {"Searching in VORNIX", "&for:", "Searching in calendar", "CAL &1", "CAL &2", "CAL &3", "CAL &4", "&OK",
          "&Cancel"}},
        {IDD_PRINT_SETTINGS_GERMAN,
         {1214, 1213, 12192, 1215, 2},
         {"Drucken", "&linker Rand:", "Zeichen", "o&berer Rand:", "Zeichen", "\xdc" "ber&schrift:", "&OK",
          "&Abbrechen"}},
        {IDD_PRINT_SETTINGS,
         {1214, 1213, 12192, 1215, 2},
         {"Print", "&left margin:", "characters", "&top margin:", "lines", "&Headline:", "&OK", "&Cancel"}},
        {IDD_PASSWORD_OPEN, {1233, 1232}, {"Please type in the password!", "&Password", "&OK"}},
        {IDD_PASSWORD_ADD, {1235, 1234}, {"Please type in the password!", "&Password", "&OK"}},
        {IDD_PASSWORD_PROTECT,
         {1230, 1229, 1231, 2},
         {"Please type in more than\n4 characters!", "&Password", "&Repeat your\npassword", "&OK", "&Cancel"}},
    };
}

TEST_F(DialogTemplates, EachDialogHasItsControlsTextsAndFrame) {
    constexpr std::uint32_t frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SYSMODAL |
                                    DS_SETFOREGROUND | DS_CENTER;
    for (const ExpectedDialog& expected : expected_dialogs()) {
        const DialogTemplate dialog = load_template(expected.id);
        EXPECT_EQ(dialog.style & frame, frame) << expected.id;
        EXPECT_EQ(dialog.caption, "VORNIX-Lumo:") << expected.id;
        EXPECT_EQ(dialog.font, "MS Sans Serif") << expected.id;
        EXPECT_EQ(dialog.point_size, 10) << expected.id;
        EXPECT_EQ(control_ids(dialog), expected.controls) << expected.id;
        EXPECT_EQ(control_texts(dialog), expected.texts) << expected.id;
    }
}

TEST_F(DialogTemplates, ControlStylesThatTheProcedureReliesOn) {
    for (const int id : {IDD_SEARCH, IDD_REPLACE}) {
        const DialogTemplate dialog = load_template(id);
        for (std::uint32_t radio = 1059; radio <= 1062; ++radio) {
            const std::uint32_t style = style_of(dialog, radio);
            EXPECT_EQ(style & 0xF, static_cast<std::uint32_t>(BS_AUTORADIOBUTTON)) << id << ' ' << radio;
            EXPECT_TRUE(style & BS_PUSHLIKE) << radio;
            EXPECT_TRUE(style & BS_BITMAP) << radio;
        }
    }
    const DialogTemplate general = load_template(IDD_GENERAL_CONFIG);
    for (const std::uint32_t id : {1168u, 1169u}) {
        EXPECT_EQ(style_of(general, id) & 0xF, static_cast<std::uint32_t>(BS_AUTOCHECKBOX)) << id;
        EXPECT_TRUE(style_of(general, id) & BS_PUSHLIKE) << id;
    }
    for (std::uint32_t id = 1020; id <= 1024; ++id) EXPECT_TRUE(style_of(general, id) & ES_NUMBER) << id;
    const DialogTemplate print = load_template(IDD_PRINT_SETTINGS_GERMAN);
    EXPECT_TRUE(style_of(print, 1214) & ES_NUMBER);
    EXPECT_TRUE(style_of(print, 1213) & ES_NUMBER);
    EXPECT_TRUE(style_of(load_template(IDD_PASSWORD_OPEN), 1233) & ES_PASSWORD);
    EXPECT_TRUE(style_of(load_template(IDD_PASSWORD_ADD), 1235) & ES_PASSWORD);
    const DialogTemplate protect = load_template(IDD_PASSWORD_PROTECT);
    EXPECT_TRUE(style_of(protect, 1230) & ES_PASSWORD);
    EXPECT_TRUE(style_of(protect, 1229) & ES_PASSWORD);
    // Enter presses OK, whatever its id.
    EXPECT_EQ(style_of(load_template(IDD_SEARCH), 1000) & 0xF, static_cast<std::uint32_t>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(style_of(load_template(IDD_APPOINTMENT), 1008) & 0xF, static_cast<std::uint32_t>(BS_DEFPUSHBUTTON));
}

INT_PTR CALLBACK inert_dialog_procedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Every dialog exists in English and German: the twins share frame and
// controls (ids, classes, styles, places) and differ in their texts. Each
// template also makes a dialog with all its controls.
TEST_F(DialogTemplates, EveryDialogHasAGermanTwinWithTheSameControls) {
    const std::pair<int, int> twins[] = {
        {IDD_SEARCH, IDD_SEARCH_GERMAN},
        {IDD_REPLACE, IDD_REPLACE_GERMAN},
        {IDD_GENERAL_CONFIG, IDD_GENERAL_CONFIG_GERMAN},
        {IDD_TEXT_PREDEFINITIONS, IDD_TEXT_PREDEFINITIONS_GERMAN},
        {IDD_APPOINTMENT, IDD_APPOINTMENT_GERMAN},
        {IDD_CALENDAR_SEARCH, IDD_CALENDAR_SEARCH_GERMAN},
        {IDD_PRINT_SETTINGS, IDD_PRINT_SETTINGS_GERMAN},
        {IDD_PASSWORD_OPEN, IDD_PASSWORD_OPEN_GERMAN},
        {IDD_PASSWORD_ADD, IDD_PASSWORD_ADD_GERMAN},
        {IDD_PASSWORD_PROTECT, IDD_PASSWORD_PROTECT_GERMAN},
        {IDD_COLOURS, IDD_COLOURS_GERMAN},
        {IDD_BLOCK_OR_ALL, IDD_BLOCK_OR_ALL_GERMAN},
        {IDD_ABOUT, IDD_ABOUT_GERMAN},
    };
    for (const auto& [english_id, german_id] : twins) {
        SCOPED_TRACE(std::to_string(english_id) + " and " + std::to_string(german_id));
        const DialogTemplate english = load_template(english_id);
        const DialogTemplate german = load_template(german_id);
        EXPECT_EQ(german.style, english.style);
        EXPECT_EQ(german.place, english.place);
        EXPECT_EQ(german.caption, english.caption);
        EXPECT_EQ(german.font, english.font);
        EXPECT_EQ(german.point_size, english.point_size);
        ASSERT_EQ(german.items.size(), english.items.size());
        for (std::size_t i = 0; i < english.items.size(); ++i) {
            const TemplateItem& e = english.items[i];
            const TemplateItem& g = german.items[i];
            EXPECT_EQ(g.id, e.id) << i;
            EXPECT_EQ(g.window_class, e.window_class) << i;
            EXPECT_EQ(g.style, e.style) << i;
            EXPECT_EQ(g.place, e.place) << i;
            if (e.id == IDCANCEL) {
                EXPECT_EQ(e.text, "&Cancel");
                EXPECT_EQ(g.text, "&Abbrechen");
            }
        }
        EXPECT_NE(control_texts(german), control_texts(english));

        for (const int id : {english_id, german_id}) {
            const HRSRC found = FindResourceA(image_.get(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
            const auto* bytes = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(image_.get(), found)));
            HWND dialog = CreateDialogIndirectParamA(image_.get(), bytes, nullptr, &inert_dialog_procedure, 0);
            ASSERT_NE(dialog, nullptr) << id;
            for (const std::uint32_t control : control_ids(english))
                EXPECT_NE(GetDlgItem(dialog, static_cast<int>(control)), nullptr) << id << ' ' << control;
            DestroyWindow(dialog);
        }
    }
}

TEST_F(DialogTemplates, DirectionPicturesExist) {
    for (const int id : {IDB_DIRECTION_FORWARD_WRAP, IDB_DIRECTION_BACKWARD_WRAP, IDB_DIRECTION_FORWARD,
                         IDB_DIRECTION_BACKWARD})
        EXPECT_NE(FindResourceA(image_.get(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)), nullptr) << id;
}

}  // namespace
}  // namespace lumo

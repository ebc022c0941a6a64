// The resources compiled into lumo.exe, read back from the real image: menu
// structure and texts byte for byte, initial item states, the accelerator
// table and the icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
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
        " - 40019 40020 - 40035 - 40111 - 1220]"
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

}  // namespace
}  // namespace lumo

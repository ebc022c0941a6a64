// Labels of the recent-file menu items and the start-up rule for slot 0.
#include <gtest/gtest.h>

#include "settings/recent_files.h"

namespace lumo {
namespace {

TEST(RecentFiles, LabelShowsSlotBaseNameAndShortcut) {
    EXPECT_EQ(recent_file_label(0, "C:\\Daten\\Privat.adr"), "&0: Privat.adr \tStrg+0");
    EXPECT_EQ(recent_file_label(9, "/home/a\\b/c.adr"), "&9: c.adr \tStrg+9");
    EXPECT_EQ(recent_file_label(3, "Plain.adr"), "&3: Plain.adr \tStrg+3");
    EXPECT_EQ(recent_file_label(1, "C:\\dir\\"), "&1:  \tStrg+1");
    std::string long_name(600, 'L');
    EXPECT_EQ(recent_file_label(2, "C:\\" + long_name), "&2: " + std::string(508, 'L') + " \tStrg+2");
}

TEST(RecentFiles, OnlyNamesFromCharacter65OnCount) {
    EXPECT_FALSE(names_a_file(""));
    EXPECT_FALSE(names_a_file("@:\\x.adr"));  // 64
    EXPECT_FALSE(names_a_file("\x03:\\Daten\\"));  // a remembered folder
    EXPECT_TRUE(names_a_file("\\\\server\\share\\x.adr"));
    EXPECT_TRUE(names_a_file("A:\\x.adr"));
    EXPECT_TRUE(names_a_file("\xe4hnlich.adr"));
}

TEST(RecentFiles, ItemsCoverTheSlotsThatNameAFile) {
    Settings s = default_settings(LogFont{});
    set_text(s.recent_files[0], "C:\\a.adr");
    set_text(s.recent_files[4], "1:\\not a file");
    set_text(s.recent_files[9], "D:\\z\\b.adr");
    std::vector<RecentFileItem> items = recent_file_items(s);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], (RecentFileItem{40101, "&0: a.adr \tStrg+0"}));
    EXPECT_EQ(items[1], (RecentFileItem{40110, "&9: b.adr \tStrg+9"}));
}

TEST(RecentFiles, LastFileFillsOnlyAnEmptyFirstSlot) {
    Settings s = default_settings(LogFont{});
    set_text(s.file_name, "C:\\Daten\\Last.adr");
    EXPECT_TRUE(adopt_file_name_as_recent(s));
    EXPECT_EQ(text_of(s.recent_files[0]), "C:\\Daten\\Last.adr");
    EXPECT_EQ(recent_file_items(s).at(0).label, "&0: Last.adr \tStrg+0");

    set_text(s.file_name, "C:\\Other.adr");
    EXPECT_FALSE(adopt_file_name_as_recent(s));
    EXPECT_EQ(text_of(s.recent_files[0]), "C:\\Daten\\Last.adr");

    Settings unnamed = default_settings(LogFont{});
    set_text(unnamed.file_name, "\x03:\\Daten\\");  // remembered folder C:
    EXPECT_FALSE(adopt_file_name_as_recent(unnamed));
    EXPECT_EQ(text_of(unnamed.recent_files[0]), "");

    // A slot holding something below 'A' counts as empty and is replaced.
    Settings odd = default_settings(LogFont{});
    set_text(odd.recent_files[0], " ");
    set_text(odd.file_name, "E:\\e.adr");
    EXPECT_TRUE(adopt_file_name_as_recent(odd));
    EXPECT_EQ(text_of(odd.recent_files[0]), "E:\\e.adr");
}

}  // namespace
}  // namespace lumo

#include <gtest/gtest.h>

#include <set>

#include "app/colours.h"
#include "port/ids.h"

namespace lumo {
namespace {

TEST(ColoursTest, EachFieldShowsItsOwnColourAndRepaintsItsView) {
    ViewColours colours;
    // Distinct values, so a field reading the wrong member shows.
    colours.data_view_background = rgb(1, 0, 0);
    colours.first_line_background = rgb(2, 0, 0);
    colours.data_view_text = rgb(3, 0, 0);
    colours.first_line_text = rgb(4, 0, 0);
    colours.link = rgb(5, 0, 0);
    colours.overview_background = rgb(6, 0, 0);
    colours.overview_text = rgb(7, 0, 0);
    ColoursEditor editor(colours);

    EXPECT_EQ(editor.colour_of(IDC_COLOUR_DATA_VIEW_BACKGROUND), rgb(1, 0, 0));
    EXPECT_EQ(editor.colour_of(IDC_COLOUR_FIRST_LINE_BACKGROUND), rgb(2, 0, 0));
    EXPECT_EQ(editor.colour_of(IDC_COLOUR_DATA_VIEW_TEXT), rgb(3, 0, 0));
    EXPECT_EQ(editor.colour_of(IDC_COLOUR_FIRST_LINE_TEXT), rgb(4, 0, 0));
    EXPECT_EQ(editor.colour_of(IDC_COLOUR_LINK), rgb(5, 0, 0));
    EXPECT_EQ(editor.colour_of(IDC_COLOUR_OVERVIEW_BACKGROUND), rgb(6, 0, 0));
    EXPECT_EQ(editor.colour_of(IDC_COLOUR_OVERVIEW_TEXT), rgb(7, 0, 0));
    EXPECT_EQ(editor.colour_of(IDC_COLOURS_OK), std::nullopt);

    const auto data_view_change = editor.pick(IDC_COLOUR_FIRST_LINE_TEXT, rgb(9, 9, 9));
    ASSERT_TRUE(data_view_change);
    EXPECT_EQ(data_view_change->view, ViewId::data_view);
    EXPECT_FALSE(data_view_change->update_now);
    EXPECT_EQ(colours.first_line_text, rgb(9, 9, 9));

    const auto overview_change = editor.pick(IDC_COLOUR_OVERVIEW_BACKGROUND, rgb(8, 8, 8));
    ASSERT_TRUE(overview_change);
    EXPECT_EQ(overview_change->view, ViewId::overview);
    EXPECT_EQ(colours.overview_background, rgb(8, 8, 8));

    const auto link_change = editor.pick(IDC_COLOUR_LINK, rgb(0, 128, 0));
    ASSERT_TRUE(link_change);
    EXPECT_EQ(link_change->view, ViewId::data_view);
    EXPECT_TRUE(link_change->update_now);
    EXPECT_EQ(colours.link, rgb(0, 128, 0));
}

TEST(ColoursTest, FieldsAreSevenDistinctControlsOverSevenDistinctColours) {
    std::set<int> controls;
    ViewColours marked{};
    for (const ColourField& field : colour_fields) {
        controls.insert(field.control);
        marked.*(field.colour) = 0xFFFFFFFF;
    }
    EXPECT_EQ(controls.size(), 7u);
    EXPECT_EQ(marked, (ViewColours{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                   0xFFFFFFFF}));
}

TEST(ColoursTest, TheSameColourOrAnUnknownControlChangesNothing) {
    ViewColours colours;
    const ViewColours before = colours;
    ColoursEditor editor(colours);
    // A cancelled chooser hands back the colour the field had.
    EXPECT_EQ(editor.pick(IDC_COLOUR_DATA_VIEW_BACKGROUND, colours.data_view_background), std::nullopt);
    EXPECT_EQ(editor.pick(IDC_COLOUR_LINK, colours.link), std::nullopt);
    EXPECT_EQ(editor.pick(IDC_COLOURS_OK, rgb(1, 2, 3)), std::nullopt);
    EXPECT_EQ(editor.pick(0, rgb(1, 2, 3)), std::nullopt);
    EXPECT_EQ(colours, before);
}

TEST(ColoursTest, CancelRestoresAllSevenAsTheyWereAtOpening) {
    ViewColours colours;
    colours.link = rgb(10, 20, 30);  // not the default: the backup is taken at opening
    const ViewColours at_opening = colours;
    ColoursEditor editor(colours);
    ASSERT_TRUE(editor.pick(IDC_COLOUR_DATA_VIEW_TEXT, rgb(1, 1, 1)));
    ASSERT_TRUE(editor.pick(IDC_COLOUR_OVERVIEW_TEXT, rgb(2, 2, 2)));
    ASSERT_TRUE(editor.pick(IDC_COLOUR_LINK, rgb(3, 3, 3)));
    ASSERT_TRUE(editor.pick(IDC_COLOUR_LINK, rgb(4, 4, 4)));  // a field picked twice
    EXPECT_NE(colours, at_opening);
    editor.cancel();
    EXPECT_EQ(colours, at_opening);
}

TEST(ColoursTest, ChosenFontBecomesRegularUprightAndNotUnderlined) {
    LogFont font;
    font.height = -13;
    font.weight = 700;
    font.italic = 1;
    font.underline = 1;
    font.strike_out = 1;
    set_text(font.face_name, "Arial");
    LogFont expected = font;
    expected.weight = 400;
    expected.italic = 0;
    expected.underline = 0;
    make_regular(font);
    EXPECT_EQ(font, expected);  // face, size and strike-out kept
}

}  // namespace
}  // namespace lumo

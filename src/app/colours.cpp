#include "app/colours.h"

#include "port/ids.h"

namespace lumo {

const std::array<ColourField, 7> colour_fields{{
    {IDC_COLOUR_DATA_VIEW_BACKGROUND, &ViewColours::data_view_background, ViewId::data_view},
    {IDC_COLOUR_FIRST_LINE_BACKGROUND, &ViewColours::first_line_background, ViewId::data_view},
    {IDC_COLOUR_DATA_VIEW_TEXT, &ViewColours::data_view_text, ViewId::data_view},
    {IDC_COLOUR_FIRST_LINE_TEXT, &ViewColours::first_line_text, ViewId::data_view},
    {IDC_COLOUR_OVERVIEW_BACKGROUND, &ViewColours::overview_background, ViewId::overview},
    {IDC_COLOUR_OVERVIEW_TEXT, &ViewColours::overview_text, ViewId::overview},
    {IDC_COLOUR_LINK, &ViewColours::link, ViewId::data_view},
}};

const ColourField* find_colour_field(int control) {
    for (const ColourField& field : colour_fields)
        if (field.control == control) return &field;
    return nullptr;
}

std::optional<Colour> ColoursEditor::colour_of(int control) const {
    const ColourField* field = find_colour_field(control);
    if (!field) return std::nullopt;
    return colours_.*(field->colour);
}

std::optional<ColourChange> ColoursEditor::pick(int control, Colour chosen) {
    const ColourField* field = find_colour_field(control);
    if (!field) return std::nullopt;
    Colour& colour = colours_.*(field->colour);
    if (colour == chosen) return std::nullopt;
    colour = chosen;
    return ColourChange{field->view, control == IDC_COLOUR_LINK};
}

void make_regular(LogFont& font) {
    font.weight = regular_font_weight;
    font.italic = 0;
    font.underline = 0;
}

}  // namespace lumo

// The rules behind the colours dialog and the font commands: which field
// shows which colour and which view a change repaints, Cancel putting all
// colours back, and the regular face every view font is reduced to.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "port/port.h"
#include "settings/settings.h"

namespace lumo {

// One colour field of the colours dialog: its control, the colour it shows
// and edits, and the view that paints with that colour.
struct ColourField {
    int control;
    Colour ViewColours::*colour;
    ViewId view;
};

// The seven fields in the order the dialog paints them.
extern const std::array<ColourField, 7> colour_fields;

// The field with this control id, or null for any other control.
const ColourField* find_colour_field(int control);

// The colour chooser's sixteen custom colours: black at start, kept for the
// run (never saved).
inline constexpr std::size_t custom_colour_count = 16;

// What a picked colour asks of the shell.
struct ColourChange {
    ViewId view;            // the view to invalidate
    bool update_now = false;  // paint it at once (the link colour: a shown link takes it)
};

// The colours dialog's state over the live colours: every pick is live at
// once, and Cancel restores the seven colours as they were at opening.
class ColoursEditor {
public:
    explicit ColoursEditor(ViewColours& colours) : colours_(colours), backup_(colours) {}

    // The colour a field shows; nothing for a control that is no colour field.
    std::optional<Colour> colour_of(int control) const;
    // Takes the chooser's result for a field. Nothing to repaint when the
    // control is no colour field or the colour is the one it already had
    // (also what a cancelled chooser hands back).
    std::optional<ColourChange> pick(int control, Colour chosen);
    // Puts all seven colours back as they were when the editor was made.
    void cancel() { colours_ = backup_; }

private:
    ViewColours& colours_;
    ViewColours backup_;
};

inline constexpr std::int32_t regular_font_weight = 400;

// A view font after the font chooser: regular weight, upright and not
// underlined (the views draw emphasis themselves); strike-out is kept.
void make_regular(LogFont& font);

}  // namespace lumo

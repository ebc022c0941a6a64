// Defaults of the settings and the byte form of a font record.
#include "settings/settings.h"

#include "settings/little_endian.h"

namespace lumo {

LogFont::Bytes LogFont::to_bytes() const {
    Bytes out{};
    const std::int32_t ints[] = {height, width, escapement, orientation, weight};
    for (std::size_t i = 0; i < 5; ++i) put_le32(out.data() + 4 * i, static_cast<std::uint32_t>(ints[i]));
    const std::uint8_t flags[] = {italic,         underline,      strike_out, char_set,
                                  out_precision,  clip_precision, quality,    pitch_and_family};
    std::memcpy(out.data() + 20, flags, sizeof flags);
    std::memcpy(out.data() + 28, face_name.data(), face_name_size);
    return out;
}

LogFont LogFont::from_bytes(const Bytes& bytes) {
    LogFont font;
    std::int32_t* ints[] = {&font.height, &font.width, &font.escapement, &font.orientation,
                            &font.weight};
    for (std::size_t i = 0; i < 5; ++i) *ints[i] = static_cast<std::int32_t>(get_le32(bytes.data() + 4 * i));
    std::uint8_t* flags[] = {&font.italic,        &font.underline,      &font.strike_out,
                             &font.char_set,      &font.out_precision,  &font.clip_precision,
                             &font.quality,       &font.pitch_and_family};
    for (std::size_t i = 0; i < 8; ++i) *flags[i] = bytes[20 + i];
    std::memcpy(font.face_name.data(), bytes.data() + 28, face_name_size);
    font.face_name[face_name_size - 1] = '\0';
    return font;
}

std::array<TextPreDefinition, text_pre_definition_count> default_text_pre_definitions() {
    constexpr std::string_view texts[text_pre_definition_count] = {
        "PhoneNumber: ", "FaxNumber: ",   "eMail: ", "http:// ", "Urgent: ",
        "Birthday: ",    "Profession: ", "Address: ", "Info: ",   "ToDo: "};
    std::array<TextPreDefinition, text_pre_definition_count> result{};
    for (std::size_t i = 0; i < text_pre_definition_count; ++i) set_text(result[i], texts[i]);
    return result;
}

Settings default_settings(const LogFont& system_font) {
    Settings settings;
    settings.data_view_font = system_font;
    settings.overview_font = system_font;
    return settings;
}

}  // namespace lumo
